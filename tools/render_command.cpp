// `velmora-tool render`: one frame of the real scene, drawn headless, as an image file.
#include <cstdio>
#include <exception>
#include <vector>

#include "gl_api.h"
#include "host/egl/egl_offscreen.h"
#include "host/render_settings.h"
#include "host/velmora_animation.h"
#include "host/viewport.h"
#include "image_file.h"
#include "option_reader.h"
#include "tool_command.h"

const char* const kRenderHelp =
    "usage: velmora-tool render --time T [--size WxH] --out FILE.png|FILE.ppm\n"
    "Draws the frame the renderer shows T seconds after its first frame, headless, at\n"
    "WxH pixels (default 1024x768) with the window's projection, after the renderer's own\n"
    "start-up (texture set, scene mesh, texturing on), and writes it.\n";

namespace {

struct RenderRequest {
    double time = 0.0;
    bool timeGiven = false;
    int32_t width = 1024;
    int32_t height = 768;
    std::string outPath;
};

RenderRequest readRequest(const ToolArguments& arguments) {
    RenderRequest request;
    OptionReader reader(arguments);
    std::string option;
    while (reader.next(option)) {
        if (option == "--time") {
            request.time = parseNumber(option, reader.value(option));
            request.timeGiven = true;
        } else if (option == "--size") {
            parseSize(option, reader.value(option), request.width, request.height);
        } else if (option == "--out") {
            request.outPath = reader.value(option);
        } else {
            throw UsageError{"unknown option '" + option + "'"};
        }
    }
    if (!request.timeGiven) {
        throw UsageError{"--time T is required"};
    }
    if (request.outPath.empty()) {
        throw UsageError{"--out FILE is required"};
    }
    return request;
}

std::vector<uint8_t> renderFrameAt(const RenderRequest& request) {
    OffscreenContext context(request.width, request.height);
    renderSettings = kFixedRenderSettings;
    resizeViewport(request.width, request.height);
    VelmoraAnimation animation;
    animation.initAnimation();
    animation.drawFrame(request.time, {});
    glFinish();
    std::vector<uint8_t> rgb = context.readPixelsTopDown();
    animation.releaseAnimation();  // while the context is still current
    return rgb;
}

}  // namespace

int runRenderCommand(const ToolArguments& arguments) {
    const RenderRequest request = readRequest(arguments);
    std::vector<uint8_t> rgb;
    try {
        rgb = renderFrameAt(request);
    } catch (const char* message) {
        std::fprintf(stderr, "velmora-tool render: start-up failed: %s\n", message);
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velmora-tool render: %s\n", error.what());
        return 1;
    }
    writeImageFile(request.outPath, request.width, request.height, rgb);
    return 0;
}
