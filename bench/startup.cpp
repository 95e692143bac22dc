// Start-up time of the presentation, from process start to the first presented frame, step by step:
// window (with the asset files read beside it), render state, the wait for that reading, textures
// (uploaded), shaders, models (compiled), fog and samplers, audio (device and file opened, then the
// play command), first frame. Then the asset steps again, warm and on one thread, for a median
// that is free of first-touch costs.
//   bench_startup [ASSET_DIR]    (default: the fixture asset set; run under Xvfb without a display)
#include <epoxy/gl.h>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "driver/asset_prefetch.h"
#include "driver/pacer.h"
#include "driver/render_state.h"
#include "driver/scene_resources.h"
#include "driver/timeline.h"
#include "platform/console.h"
#include "platform/glfw_window.h"
#include "platform/platform.h"
#include "platform/soundtrack.h"
#include "scenes/overlay.h"

namespace {

double secondsOn(clockid_t clock) {
    timespec now = {};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds from the kernel's start of this process to now, to the kernel's 10 ms tick; -1 if unknown.
double sinceProcessStart() {
    FILE* stat = std::fopen("/proc/self/stat", "r");
    if (!stat) return -1.0;
    char text[1024] = {};
    const size_t got = std::fread(text, 1, sizeof(text) - 1, stat);
    std::fclose(stat);
    text[got] = '\0';
    // Field 22, counted after the command name, which may itself hold blanks.
    const char* p = std::strrchr(text, ')');
    if (!p) return -1.0;
    unsigned long long startTicks = 0;
    int field = 2;
    for (const char* c = p + 1; *c && field < 22; ++c) {
        if (*c == ' ') ++field;
        if (field == 22) startTicks = std::strtoull(c + 1, nullptr, 10);
    }
    return secondsOn(CLOCK_BOOTTIME) - static_cast<double>(startTicks) / sysconf(_SC_CLK_TCK);
}

struct Step {
    const char* name;
    double ms;
};

std::vector<Step> steps;
double stepMark = 0.0;

void endStep(const char* name) {
    glFinish();  // the driver's deferred work counts in the step that caused it
    const double now = secondsOn(CLOCK_MONOTONIC);
    steps.push_back(Step{name, (now - stepMark) * 1000.0});
    stepMark = now;
}

void firstPass() {
    limitFrameRate(60.0);
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    drawOverlayAndFade(stepTimeline());
    platform.swapAndPoll();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const double beforeMain = sinceProcessStart();
    stepMark = secondsOn(CLOCK_MONOTONIC);
    const char* assets = argc > 1 ? argv[1] : DEMO_FIXTURE_ASSETS;
    if (chdir(assets) != 0) {
        std::fprintf(stderr, "bench_startup: %s: cannot enter the asset directory\n", assets);
        return 1;
    }
    consoleDevice.path = "/nonexistent/console";  // keep the report on the streams given to us

    startAssetPrefetch();
    if (openDemoWindow(DEMO_WINDOW) != 0) {
        waitAssetPrefetch();
        return 1;
    }
    endStep("window");
    int width = 0;
    int height = 0;
    platform.frameSize(&width, &height);
    setRenderState(width, height);
    endStep("render state");
    waitAssetPrefetch();
    endStep("wait for the asset files");
    const double workerTextures = assetPrefetch.textureSeconds * 1000.0;
    const double workerModels = assetPrefetch.modelSeconds * 1000.0;
    loadSceneTextures();
    endStep("textures (upload)");
    buildSceneProgram();
    endStep("shaders");
    loadSceneModels();
    endStep("models (compile)");
    setSceneFog();
    connectSamplers();
    endStep("fog and samplers");
    prepareSoundtrack(SOUNDTRACK_FILE);
    startTimelineAndSoundtrack();
    endStep("audio");
    firstPass();
    endStep("first frame");

    std::printf("start-up of %s at %dx%d\n", assets, width, height);
    if (beforeMain >= 0.0) std::printf("%-28s %9.0f ms (kernel ticks)\n", "process start to main", beforeMain * 1000.0);
    double total = 0.0;
    for (const Step& s : steps) {
        std::printf("%-28s %9.1f ms\n", s.name, s.ms);
        total += s.ms;
    }
    std::printf("%-28s %9.1f ms\n", "main to first frame", total);
    std::printf("%-28s %9.1f ms (worker, beside the window: textures %.1f, models %.1f)\n",
                "asset files read", workerTextures + workerModels, workerTextures, workerModels);
    if (beforeMain >= 0.0) {
        const double processToNow = sinceProcessStart();
        std::printf("%-28s %9.0f ms (process start to first frame, kernel ticks)\n", "total",
                    processToNow * 1000.0);
    }

    // Warm repeats of the asset steps, the files read on this thread since no worker is started;
    // every repeat makes new objects, which is fine for a bench.
    constexpr int REPEATS = 5;
    std::vector<double> reads, textures, shaders, models;
    for (int i = 0; i < REPEATS; ++i) {
        steps.clear();
        stepMark = secondsOn(CLOCK_MONOTONIC);
        waitAssetPrefetch();
        endStep("read");
        loadSceneTextures();
        endStep("textures");
        buildSceneProgram();
        endStep("shaders");
        loadSceneModels();
        endStep("models");
        reads.push_back(steps[0].ms);
        textures.push_back(steps[1].ms);
        shaders.push_back(steps[2].ms);
        models.push_back(steps[3].ms);
    }
    std::printf("warm median of %d: files read %.1f ms, textures %.1f ms, shaders %.1f ms, "
                "models %.1f ms\n",
                REPEATS, median(reads), median(textures), median(shaders), median(models));
    platform.terminate();
    return 0;
}
