// Capture's speed at 1280x720 for each way of taking the frames read back: dropped (--discard,
// the cost of rendering and reading back alone), written as PNG files at the default level and at
// level 0, encoded as H.264. With CAPTURE_BEFORE naming another build's capture program, its
// --discard and --png run beside them, so that a change is measured against what it changes.
// Every run is a fresh process over the same 4 seconds of scene 2. The kinds take turns round
// after round, so that a change in the load of a shared machine falls on all of them alike, and
// each reports the median of its rounds; capture counts from its first frame, after start-up.
// Beside the speed, which follows the load of a shared machine, each run's processor time a frame
// (all its processes, start-up included), which does not: with C cores busy with nothing else, a
// kind cannot go faster than C divided by it. The farm has its own, bench/capture_farm.sh.
//   bench_capture [ASSET_DIR] [ROUNDS]   (default: the build's asset pack, 3 rounds; under Xvfb)
// LP_NUM_THREADS=1 in the environment keeps llvmpipe to one thread, leaving a core to the writing.
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "measures.h"

namespace {

namespace fs = std::filesystem;

const char* const RANGE = "--from 20 --to 24 --size 1280x720";

struct Kind {
    const char* name;
    bool before;          // CAPTURE_BEFORE's program, or this build's
    const char* options;  // the output option last
    const char* output;   // its path under the work directory; null for --discard
};

const Kind KINDS[] = {
    {"capture --discard", false, "--discard", nullptr},
    {"capture --png", false, "--png", "frames"},
    {"capture --png-level 0", false, "--png-level 0 --png", "frames"},
    {"capture --video", false, "--video", "video.mp4"},
    {"before --discard", true, "--discard", nullptr},
    {"before --png", true, "--png", "frames"},
};
constexpr int KIND_COUNT = sizeof(KINDS) / sizeof(KINDS[0]);

struct Run {
    double rate;         // frames a second; 0 when the run failed
    double cpuPerFrame;  // processor seconds a frame, user and system, of every process of the run
};

// One run of a kind: its rate and its processor time a frame, start-up included.
Run runOnce(const Kind& kind, const std::string& assets, const fs::path& work) {
    // In a session of its own capture has no terminal to write to, so its report comes here.
    const char* before = std::getenv("CAPTURE_BEFORE");
    std::string command = "cd '" + assets + "' && setsid -w '";
    command += kind.before ? before : CAPTURE_EXECUTABLE;
    command += std::string("' ") + RANGE + " " + kind.options;
    if (kind.output) command += " '" + (work / kind.output).string() + "'";
    command += " 2>&1 >/dev/null";
    const CaptureRun run = runCapture(command);
    if (kind.output) fs::remove_all(work / kind.output);
    if (run.frames <= 0) return Run{0.0, 0.0};
    return Run{run.rate, run.cpuSeconds / static_cast<double>(run.frames)};
}

}  // namespace

int main(int argc, char** argv) {
    const std::string assets = argc > 1 ? argv[1] : BUILD_ASSETS;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    char pattern[] = "/tmp/bench_capture_XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const fs::path work = pattern;

    std::printf("capture at 1280x720, %s, from %s; %d rounds; load average %s\n", RANGE,
                assets.c_str(), rounds, loadAverage().c_str());
    // Without another build to measure against, its kinds are left out.
    const int kinds = std::getenv("CAPTURE_BEFORE") ? KIND_COUNT : KIND_COUNT - 2;
    std::vector<double> rates[KIND_COUNT];
    std::vector<double> cpu[KIND_COUNT];
    for (int round = 0; round < rounds; ++round)
        for (int k = 0; k < kinds; ++k) {
            const Run run = runOnce(KINDS[k], assets, work);
            rates[k].push_back(run.rate);
            cpu[k].push_back(run.cpuPerFrame * 1000.0);
            std::printf("  round %d  %-22s %6.2f frames/s %6.0f ms of processor a frame\n",
                        round + 1, KINDS[k].name, run.rate, run.cpuPerFrame * 1000.0);
            std::fflush(stdout);
        }
    fs::remove_all(work);

    double discard = 0.0;
    for (int k = 0; k < kinds; ++k) {
        std::sort(rates[k].begin(), rates[k].end());
        std::sort(cpu[k].begin(), cpu[k].end());
        const double median = rates[k][rates[k].size() / 2];
        // Each build's PNG against its own --discard.
        if (std::strcmp(KINDS[k].options, "--discard") == 0) discard = median;
        std::printf(
            "%-22s median %6.2f frames/s (%3.0f %% of --discard), %6.0f ms of processor "
            "a frame\n",
            KINDS[k].name, median, discard > 0.0 ? 100.0 * median / discard : 0.0,
            cpu[k][cpu[k].size() / 2]);
    }
    std::printf("load average %s\n", loadAverage().c_str());
    return 0;
}
