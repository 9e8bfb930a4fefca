// The renderer's main loop, shared by every host: drain the messages, test Esc,
// render one frame, swap, and sleep out the refresh period where the display does not
// pace the swaps; while nobody can see the frames, wait for the next message instead.
// The host supplies the message pump, the window and the sleep.
#pragma once

#include <cstdint>
#include <vector>

#include "host/frame_clock.h"
#include "host/frame_pacer.h"
#include "host/key_table.h"
#include "host/viewport.h"

// The host's message queue.
class MessagePump {
  public:
    virtual ~MessagePump() = default;
    // Takes one waiting message and dispatches it (a quit request included);
    // returns false when the queue is empty. wasQuit tells whether it was a quit request.
    virtual bool dispatchNext(bool& wasQuit) = 0;
    // Blocks, with no timeout, until a message is waiting (at once when one already is).
    virtual void waitForMessage() = 0;
};

// The window being drawn to; destroying it is its teardown.
class RenderSurface {
  public:
    virtual ~RenderSurface() = default;
    virtual void swapBuffers() = 0;
    // Refreshes per second of the display the window is on; 0 when unknown.
    virtual int32_t refreshRateHz() const { return 0; }
    // False while nobody can see what is drawn (display off, session not on screen, window
    // minimised or hidden): the loop then draws nothing.
    virtual bool seen() const { return true; }
    // Where each frame shows the shot, one drawing area per monitor, the main one first;
    // empty when the window keeps its one drawing area set itself. Asked every frame: kept
    // by the surface, not made anew.
    virtual const std::vector<ViewportRect>& viewports() const {
        static const std::vector<ViewportRect> kOwnArea;
        return kOwnArea;
    }
};

// The three places where the animation plugs into the renderer.
class Animation {
  public:
    virtual ~Animation() = default;
    virtual void initAnimation() = 0;  // may throw a start-up failure text (const char*)
    // One frame: the shot at sceneTime in each of the viewports (in the one already set when
    // there are none).
    virtual void drawFrame(double sceneTime, const std::vector<ViewportRect>& viewports) = 0;
    virtual void releaseAnimation() = 0;
};

// Advances the scene time and draws one frame.
class FrameRenderer {
  public:
    FrameRenderer(SecondsClock& clock, Animation& animation)
        : timing_(clock), animation_(animation) {}
    void renderFrame(const std::vector<ViewportRect>& viewports);
    double sceneTime() const { return timing_.sceneTime(); }

  private:
    FrameTiming timing_;
    Animation& animation_;
};

// False once Esc was down at any moment of the last drain: a tap whose press and release
// were both taken in it counts.
bool keepRunning(const KeyTable& keys);

// Runs until Esc was down in a drain or a quit request was taken; the pass that notices
// either still renders and swaps one full frame, when the window is seen. While it is not,
// each pass waits for a message instead of drawing; the scene time keeps following the
// wall clock, so the first frame after shows the ball where it would have been.
// pacer: nullptr to run as fast as frames come (the hack's --delay, and test runs).
void runMainLoop(MessagePump& pump, KeyTable& keys, FrameRenderer& frames, RenderSurface& surface,
                 FramePacer* pacer);
