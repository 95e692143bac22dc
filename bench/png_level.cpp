// capture's PNG levels side by side: the processor time a worker spends to encode and write one
// frame at each --png-level, and the file's size, over frames of the whole presentation at
// 1280x720 (one a second, every fourth kept: each scene and the fades between them). Processor
// time of the thread, not wall time, so that the load of a shared machine changes it little;
// each level's figure is the median of its rounds, the levels taking turns in every round.
//   bench_png_level [ASSET_DIR] [ROUNDS]   (default: the build's asset pack, 3 rounds; under Xvfb)
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "capture_arguments.h"
#include "png_frames.h"
#include "support/png_rgb.h"

namespace {

namespace fs = std::filesystem;

double threadSeconds() {
    timespec now = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

bool renderFrames(const std::string& assets, const fs::path& work, std::vector<RgbImage>* frames) {
    const fs::path stored = work / "stored";
    const std::string command = "cd '" + assets +
                                "' && setsid -w '" CAPTURE_EXECUTABLE
                                "' --fps 1 --from 3 --to 80 --png-level 0 --png '" +
                                stored.string() + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) return false;
    std::vector<fs::path> paths;
    for (const auto& entry : fs::directory_iterator(stored)) paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    for (size_t i = 0; i < paths.size(); i += 4) {
        frames->emplace_back();
        if (!readPngRgb(paths[i], &frames->back())) return false;
    }
    fs::remove_all(stored);
    return !frames->empty();
}

struct Sample {
    double milliseconds;  // processor time a frame
    double kilobytes;     // file size a frame
};

Sample encodeAll(const std::vector<RgbImage>& frames, int level, const fs::path& out) {
    fs::create_directories(out);
    double spent = 0.0;
    uintmax_t bytes = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const RgbImage& frame = frames[i];
        std::string failure;
        const double before = threadSeconds();
        if (writePngFrame(out.c_str(), static_cast<int64_t>(i), frame.rgb.data(), frame.width,
                          frame.height, level, &failure) != 0) {
            std::fprintf(stderr, "%s\n", failure.c_str());
            std::exit(1);
        }
        spent += threadSeconds() - before;
    }
    for (const auto& entry : fs::directory_iterator(out)) bytes += entry.file_size();
    fs::remove_all(out);
    const double count = static_cast<double>(frames.size());
    return Sample{spent * 1000.0 / count, static_cast<double>(bytes) / 1024.0 / count};
}

}  // namespace

int main(int argc, char** argv) {
    const std::string assets = argc > 1 ? argv[1] : BUILD_ASSETS;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    char pattern[] = "/tmp/bench_png_level_XXXXXX";
    if (!mkdtemp(pattern)) return 1;
    const fs::path work = pattern;
    std::vector<RgbImage> frames;
    if (!renderFrames(assets, work, &frames)) {
        std::fprintf(stderr, "bench_png_level: capture could not render the frames from %s\n",
                     assets.c_str());
        fs::remove_all(work);
        return 1;
    }
    std::printf("%zu frames of %dx%d from %s; %d rounds\n", frames.size(), frames[0].width,
                frames[0].height, assets.c_str(), rounds);
    std::vector<Sample> samples[MAX_PNG_LEVEL + 1];
    for (int round = 0; round < rounds; ++round)
        for (int level = 0; level <= MAX_PNG_LEVEL; ++level)
            samples[level].push_back(encodeAll(frames, level, work / "png"));
    fs::remove_all(work);
    for (int level = 0; level <= MAX_PNG_LEVEL; ++level) {
        std::vector<Sample>& runs = samples[level];
        std::sort(runs.begin(), runs.end(),
                  [](const Sample& a, const Sample& b) { return a.milliseconds < b.milliseconds; });
        std::printf("--png-level %d%s %6.1f ms of processor a frame %7.0f KB a frame\n", level,
                    level == DEFAULT_PNG_LEVEL ? " (default)" : "          ",
                    runs[runs.size() / 2].milliseconds, runs[0].kilobytes);
    }
    return 0;
}
