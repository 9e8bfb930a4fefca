// Entry sequence of the renderer: settings, key table, window, start-up, loop, release.
#include "host/renderer_main.h"

#include <exception>

#include "host/render_settings.h"

int runRenderer(RendererPlatform& platform, Animation& animation) {
    auto keys = std::make_unique<KeyTable>();
    renderSettings = kFixedRenderSettings;

    try {
        // The window owns the display mode: leaving this block by any way gives it back.
        std::unique_ptr<RenderSurface> window = platform.createWindow(
            {kRendererWindowTitle, renderSettings.width, renderSettings.height,
             renderSettings.colorBits, renderSettings.fullScreen},
            *keys);
        try {
            animation.initAnimation();
        } catch (...) {
            // What was built goes while its GL context is still there.
            animation.releaseAnimation();
            throw;
        }

        SecondsClock clock(platform.clockSource());
        FrameRenderer frames(clock, animation);
        std::unique_ptr<FramePacer> pacer;
        if (FrameSleeper* sleeper = platform.frameSleeper()) {
            pacer = std::make_unique<FramePacer>(clock, *sleeper, window->refreshRateHz());
        }
        runMainLoop(platform.messagePump(), *keys, frames, *window, pacer.get());

        animation.releaseAnimation();
        window.reset();
        return 0;
    } catch (const char* message) {
        // The window and the mode are gone by now: the box shows on the user's own display.
        platform.showError(message);
    } catch (const std::exception& failure) {
        platform.showError(failure.what());
    }
    return kFailedRunExitCode;
}
