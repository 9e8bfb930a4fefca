// The renderer's main loop.
#include "host/frame_loop.h"

void FrameRenderer::renderFrame() {
    animation_.drawFrame(timing_.advance());
}

bool keepRunning(const KeyTable& keys) {
    return !keys.isDown(KeyTable::kEscape);
}

void runMainLoop(MessagePump& pump, const KeyTable& keys, FrameRenderer& frames,
                 RenderSurface& surface) {
    bool stop = false;
    while (!stop) {
        // The drain always empties the queue, also after a quit request.
        bool wasQuit = false;
        while (pump.dispatchNext(wasQuit)) {
            if (wasQuit) {
                stop = true;
            }
        }
        if (!keepRunning(keys)) {
            stop = true;
        }
        frames.renderFrame();
        surface.swapBuffers();
    }
}
