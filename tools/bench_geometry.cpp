// Geometry and scene section of the benchmark report: mesh build, start-up, scene frames.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <vector>

#include "bench.h"
#include "gl_api.h"
#include "host/egl/egl_offscreen.h"
#include "host/render_settings.h"
#include "host/velmora_animation.h"
#include "host/viewport.h"
#include "scene/scene.h"
#include "scene/scene_mesh.h"
#include "textures/texture_set.h"

namespace {

constexpr int32_t kFrameWidth = 1024;
constexpr int32_t kFrameHeight = 768;

// Median time of building the texture set and the scene mesh; each run is released again
// outside the measured span.
double startUpSeconds(int runs) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        buildTextureSet();
        setupScene();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        times.push_back(elapsed.count());
        releaseTextureSet();
        releaseScene();
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void benchWithContext() {
    OffscreenContext context(kFrameWidth, kFrameHeight);
    renderSettings = kFixedRenderSettings;
    resizeViewport(kFrameWidth, kFrameHeight);

    printBenchLine("start-up: texture set + scene mesh", startUpSeconds(21));

    VelmoraAnimation animation;
    animation.initAnimation();
    double t = 0.0;
    const double sceneFrame = medianSeconds(
        [&t] {
            drawScene(t);
            glFinish();
            t += 1.0 / 60.0;
        },
        61);
    const double emptyFrame = medianSeconds(
        [] {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glFinish();
        },
        61);
    animation.releaseAnimation();

    printBenchLine("frame 1024x768: scene", sceneFrame);
    printBenchLine("frame 1024x768: empty (clear only)", emptyFrame);
    std::printf("%-56s %10.2f x\n", "frame 1024x768: scene / empty", sceneFrame / emptyFrame);
}

}  // namespace

void benchGeometry() {
    printBenchLine("scene mesh build (64x64, deformed, normals)",
                   medianSeconds([] { buildSceneMesh(kFixedRenderSettings.meshDetailLevel); }, 51));
    try {
        benchWithContext();
    } catch (const std::exception& error) {
        std::printf("frames: no headless GL (%s)\n", error.what());
    }
}
