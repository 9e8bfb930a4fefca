// Entry sequence of the renderer: settings, key table, window, start-up, loop, release.
#include "host/renderer_main.h"

#include "host/render_settings.h"

int runRenderer(RendererPlatform& platform, Animation& animation) {
    auto keys = std::make_unique<KeyTable>();
    renderSettings = kFixedRenderSettings;

    std::unique_ptr<RenderSurface> window;
    try {
        window = platform.createWindow(
            {kRendererWindowTitle, renderSettings.width, renderSettings.height,
             renderSettings.colorBits, renderSettings.fullScreen},
            *keys);
    } catch (const char* message) {
        // A half-built window is left as it stands; the process ends after the box.
        platform.showError(message);
        return 0;
    }

    try {
        animation.initAnimation();
    } catch (const char* message) {
        // Shown like a window failure; what was built is released and the display restored.
        platform.showError(message);
        animation.releaseAnimation();
        window.reset();
        return 0;
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
}
