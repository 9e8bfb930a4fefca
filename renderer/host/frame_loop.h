// The renderer's main loop, shared by every host: drain the messages, test Esc,
// render one frame, swap. The host supplies the message pump and the window.
#pragma once

#include "host/frame_clock.h"
#include "host/key_table.h"

// The host's message queue.
class MessagePump {
  public:
    virtual ~MessagePump() = default;
    // Takes one waiting message and dispatches it (a quit request included);
    // returns false when the queue is empty. wasQuit tells whether it was a quit request.
    virtual bool dispatchNext(bool& wasQuit) = 0;
};

// The window being drawn to; destroying it is its teardown.
class RenderSurface {
  public:
    virtual ~RenderSurface() = default;
    virtual void swapBuffers() = 0;
};

// The three places where the animation plugs into the renderer.
class Animation {
  public:
    virtual ~Animation() = default;
    virtual void initAnimation() = 0;  // may throw a start-up failure text (const char*)
    virtual void drawFrame(double sceneTime) = 0;
    virtual void releaseAnimation() = 0;
};

// Advances the scene time and draws one frame.
class FrameRenderer {
  public:
    FrameRenderer(SecondsClock& clock, Animation& animation)
        : timing_(clock), animation_(animation) {}
    void renderFrame();
    double sceneTime() const { return timing_.sceneTime(); }

  private:
    FrameTiming timing_;
    Animation& animation_;
};

// False while Esc is down.
bool keepRunning(const KeyTable& keys);

// Runs until Esc is down after a drain or a quit request was taken; the pass that
// notices either still renders and swaps one full frame. Never sleeps.
void runMainLoop(MessagePump& pump, const KeyTable& keys, FrameRenderer& frames,
                 RenderSurface& surface);
