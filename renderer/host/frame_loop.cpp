// The renderer's main loop.
#include "host/frame_loop.h"

void FrameRenderer::renderFrame(const std::vector<ViewportRect>& viewports) {
    animation_.drawFrame(timing_.advance(), viewports);
}

bool keepRunning(const KeyTable& keys) {
    return !keys.wasDownDuringDrain(KeyTable::kEscape);
}

void runMainLoop(MessagePump& pump, KeyTable& keys, FrameRenderer& frames, RenderSurface& surface,
                 FramePacer* pacer) {
    if (pacer != nullptr) {
        pacer->start();
    }
    bool stop = false;
    bool unseen = false;
    while (!stop) {
        // The drain always empties the queue, also after a quit request.
        keys.drainStarting();
        bool wasQuit = false;
        while (pump.dispatchNext(wasQuit)) {
            if (wasQuit) {
                stop = true;
            }
        }
        if (!keepRunning(keys)) {
            stop = true;
        }
        if (!surface.seen()) {
            if (!stop) {
                pump.waitForMessage();
            }
            unseen = true;
            continue;
        }
        if (unseen && pacer != nullptr) {
            pacer->start();  // the wait was no frame: the next pass is timed from now
        }
        unseen = false;
        frames.renderFrame(surface.viewports());
        surface.swapBuffers();
        if (pacer != nullptr && !stop) {
            pacer->frameShown();
        }
    }
}
