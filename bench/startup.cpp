// Start-up time of the presentation, from process start to the first presented frame, step by step,
// through the program's own start-up: the window (with the asset files read beside it), render
// state, the wait for that reading, textures (uploaded), shaders, models (compiled), fog, samplers,
// soundtrack, origin and play, and the frame loop's first pass. Then the asset steps again, warm
// and on one thread, for a median that is free of first-touch costs.
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
#include "driver/scene_loading.h"
#include "driver/startup.h"
#include "measures.h"
#include "platform/console.h"
#include "platform/glfw_window.h"
#include "platform/platform.h"

namespace {

double secondsOn(clockid_t clock) {
    timespec now = {};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Seconds from the kernel's start of this process to now, to the kernel's 10 ms tick; -1 if
// unknown.
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

// Written by the start-up hooks on the main thread, read by main after the run.
struct StartupTiming {
    std::vector<Step> steps;
    double stepMark;          // seconds, CLOCK_MONOTONIC, when the step under way began
    Platform windowPlatform;  // the window's own services, wrapped below
    double workerTextures;    // ms the worker spent on each kind of file
    double workerModels;
    double warmMedian[SCENE_ASSET_STEPS];  // ms
    double processToFirstFrame;            // seconds, to the kernel's tick; -1 if unknown
    bool firstFrameShown;
};
StartupTiming timing = {};

void endStep(const char* name) {
    glFinish();  // the driver's deferred work counts in the step that caused it
    const double now = secondsOn(CLOCK_MONOTONIC);
    timing.steps.push_back(Step{name, (now - timing.stepMark) * 1000.0});
    timing.stepMark = now;
    if (std::strcmp(name, sceneLoadingSteps[0].name) == 0) {
        timing.workerTextures = assetPrefetch.textureSeconds * 1000.0;
        timing.workerModels = assetPrefetch.modelSeconds * 1000.0;
    }
}

// Warm repeats of the asset steps, the files read on this thread since no worker is started;
// every repeat makes new objects, which is fine for a bench.
void repeatAssetSteps() {
    constexpr int REPEATS = 5;
    std::vector<double> ms[SCENE_ASSET_STEPS];
    for (int i = 0; i < REPEATS; ++i) {
        for (int s = 0; s < SCENE_ASSET_STEPS; ++s) {
            const double start = secondsOn(CLOCK_MONOTONIC);
            sceneLoadingSteps[s].run();
            glFinish();
            ms[s].push_back((secondsOn(CLOCK_MONOTONIC) - start) * 1000.0);
        }
    }
    for (int s = 0; s < SCENE_ASSET_STEPS; ++s) timing.warmMedian[s] = median(ms[s]);
}

// The frame loop's first pass ends in its swap: the last step. The run then ends, after the warm
// repeats, in the same context.
void swapOnceAndStop() {
    timing.windowPlatform.swapAndPoll();
    endStep("first frame");
    timing.processToFirstFrame = sinceProcessStart();
    timing.firstFrameShown = true;
    repeatAssetSteps();
}

bool openUntilTheFirstFrame() { return !timing.firstFrameShown; }

int wrapSwap() {
    timing.windowPlatform = platform;
    platform.swapAndPoll = swapOnceAndStop;
    platform.windowOpen = openUntilTheFirstFrame;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const double beforeMain = sinceProcessStart();
    timing.stepMark = secondsOn(CLOCK_MONOTONIC);
    const char* assets = argc > 1 ? argv[1] : DEMO_FIXTURE_ASSETS;
    if (chdir(assets) != 0) {
        std::fprintf(stderr, "bench_startup: %s: cannot enter the asset directory\n", assets);
        return 1;
    }
    consoleDevice.path = "/nonexistent/console";  // keep the report on the streams given to us
    if (runDemoIn(DEMO_WINDOW, StartupHooks{wrapSwap, endStep}) != 0) return 1;

    std::printf("start-up of %s\n", assets);
    if (beforeMain >= 0.0)
        std::printf("%-28s %9.0f ms (kernel ticks)\n", "process start to main",
                    beforeMain * 1000.0);
    double total = 0.0;
    for (const Step& s : timing.steps) {
        std::printf("%-28s %9.1f ms\n", s.name, s.ms);
        total += s.ms;
    }
    std::printf("%-28s %9.1f ms\n", "main to first frame", total);
    std::printf("%-28s %9.1f ms (worker, beside the window: textures %.1f, models %.1f)\n",
                "asset files read", timing.workerTextures + timing.workerModels,
                timing.workerTextures, timing.workerModels);
    if (timing.processToFirstFrame >= 0.0)
        std::printf("%-28s %9.0f ms (process start to first frame, kernel ticks)\n", "total",
                    timing.processToFirstFrame * 1000.0);
    std::printf("warm medians:");
    for (int s = 0; s < SCENE_ASSET_STEPS; ++s)
        std::printf(" %s %.1f ms%s", sceneLoadingSteps[s].name, timing.warmMedian[s],
                    s + 1 < SCENE_ASSET_STEPS ? "," : "\n");
    return 0;
}
