// Frames a second of capture --discard against a baseline capture program, side by side: the
// cost of rendering and reading back alone, before and after a change to what a pass draws.
// Every run is a fresh process over the middle of one scene's window or of a fade window; the
// windows come from the scene record itself. The
// two programs take turns run after run, so that a change in the load of a shared machine falls
// on both alike, and each slice reports the median of its rounds. The rate is capture's own, from
// its first frame, after start-up; so is the processor time a frame (see measure()).
//   bench_frames BASELINE_CAPTURE [ASSET_DIR] [ROUNDS] [SECONDS]   (under Xvfb)
// BASELINE_CAPTURE is a capture program built from an earlier revision, for instance by
// bench/build-baseline.sh REVISION. SECONDS is each slice's length (default 1; 0 for the whole
// window). Without a baseline the benchmark says so and measures nothing.
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/frame_loop.h"
#include "measures.h"
#include "scenes/overlay.h"
#include "scenes/scenes.h"

namespace {

struct Slice {
    char name[48];
    double from;  // seconds
    double to;
};

// The middle `seconds` of a window, or all of it.
Slice middleOf(const char* name, double start, double end, double seconds) {
    Slice slice = {};
    std::snprintf(slice.name, sizeof slice.name, "%s", name);
    slice.from = start;
    slice.to = end;
    if (seconds > 0.0 && end - start > seconds) {
        slice.from = (start + end - seconds) / 2.0;
        slice.to = slice.from + seconds;
    }
    return slice;
}

// The middle of each scene's window, then of the first fade-in window after scene one's, where
// the fade quad has long gone clear: what it costs when no one can see it.
std::vector<Slice> slicesOf(double seconds) {
    std::vector<Slice> slices;
    char name[48];
    for (int i = 0; i < SCENE_COUNT; ++i) {
        std::snprintf(name, sizeof name, "scene %d", i + 1);
        slices.push_back(middleOf(name, scenes[i].start, scenes[i].end, seconds));
    }
    const FadeWindow& fade = fadeWindows[2];
    std::snprintf(name, sizeof name, "fade in %g-%g s", fade.start, fade.end);
    slices.push_back(middleOf(name, fade.start, fade.end, seconds));
    return slices;
}

// One run of `capture` over [from, to) seconds, its frames dropped.
CaptureRun runOnce(const std::string& capture, const std::string& assets, double from, double to) {
    char range[96];
    std::snprintf(range, sizeof range, " --from %.6f --to %.6f --discard", from, to);
    return runCapture("cd '" + assets + "' && setsid -w '" + capture + "'" + range +
                      " 2>&1 >/dev/null");
}

// The slice's rate, and its processor time a frame without start-up: that of the slice less that
// of a run of its first frame alone, over the frames between. Processor time follows the work far
// more closely than the rate does on a machine that others load.
struct Measure {
    double rate;         // frames a second
    double cpuPerFrame;  // seconds
};
Measure measure(const std::string& capture, const std::string& assets, const Slice& slice,
                int fps) {
    const CaptureRun whole = runOnce(capture, assets, slice.from, slice.to);
    const CaptureRun first = runOnce(capture, assets, slice.from, slice.from + 1.0 / fps);
    if (whole.frames <= first.frames || first.frames <= 0) return Measure{whole.rate, 0.0};
    return Measure{whole.rate, (whole.cpuSeconds - first.cpuSeconds) /
                                   static_cast<double>(whole.frames - first.frames)};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf(
            "bench_frames: no baseline capture given (bench_frames BASELINE_CAPTURE "
            "[ASSET_DIR] [ROUNDS] [SECONDS]); nothing measured\n");
        return 0;
    }
    const std::string programs[2] = {argv[1], CAPTURE_EXECUTABLE};
    const char* names[2] = {"baseline", "this build"};
    const std::string assets = argc > 2 ? argv[2] : BUILD_ASSETS;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    const double seconds = argc > 4 ? std::atof(argv[4]) : 1.0;

    std::printf(
        "capture --discard at 1280x720, baseline %s against %s, from %s; %d rounds; "
        "load average %s\n",
        programs[0].c_str(), programs[1].c_str(), assets.c_str(), rounds, loadAverage().c_str());
    bool allFaster = true;   // in frames a second
    bool allCheaper = true;  // in processor time a frame
    for (const Slice& slice : slicesOf(seconds)) {
        std::vector<double> rates[2], cpu[2];
        for (int round = 0; round < rounds; ++round)
            for (int p = 0; p < 2; ++p) {
                const Measure m = measure(programs[p], assets, slice, DEMO_FPS);
                rates[p].push_back(m.rate);
                cpu[p].push_back(m.cpuPerFrame * 1000.0);
                std::printf(
                    "  %-16s %6.2f to %6.2f s  round %d  %-10s %6.2f frames/s %6.1f ms "
                    "of processor a frame\n",
                    slice.name, slice.from, slice.to, round + 1, names[p], m.rate,
                    m.cpuPerFrame * 1000.0);
                std::fflush(stdout);
            }
        const double before = median(rates[0]);
        const double after = median(rates[1]);
        const double ratio = before > 0.0 ? after / before : 0.0;
        const double cpuRatio = median(cpu[1]) > 0.0 ? median(cpu[0]) / median(cpu[1]) : 0.0;
        allFaster = allFaster && ratio >= 1.2;
        allCheaper = allCheaper && cpuRatio >= 1.2;
        std::printf(
            "%-16s baseline %6.2f frames/s, this build %6.2f frames/s: %.2fx; processor "
            "a frame %.1f ms against %.1f ms: %.2fx\n",
            slice.name, before, after, ratio, median(cpu[0]), median(cpu[1]), cpuRatio);
    }
    std::printf(
        "every slice at least 1.2x: %s in frames a second, %s in processor time a frame; "
        "load average %s\n",
        allFaster ? "yes" : "no", allCheaper ? "yes" : "no", loadAverage().c_str());
    return 0;
}
