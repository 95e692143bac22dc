// capture's PNG levels side by side: the processor time a worker spends to encode and write one
// frame at each --png-level, and the file's size, over frames of the whole presentation at
// 1280x720 (one a second, every fourth kept: each scene and the fades between them). Processor
// time of the thread, not wall time, so that the load of a shared machine changes it little;
// each level's figure is the median of its rounds, the levels taking turns in every round.
//   bench_png_level [ASSET_DIR] [ROUNDS]   (default: the build's asset pack, 3 rounds; under Xvfb)
#include <spng.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "capture_arguments.h"
#include "png_frames.h"

namespace {

namespace fs = std::filesystem;

struct Frame {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

double threadSeconds() {
    timespec now = {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

bool readFrame(const fs::path& path, Frame* frame) {
    std::ifstream in(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    spng_ctx* context = spng_ctx_new(0);
    spng_set_png_buffer(context, data.data(), data.size());
    spng_ihdr header = {};
    size_t size = 0;
    bool good = spng_get_ihdr(context, &header) == 0 &&
                spng_decoded_image_size(context, SPNG_FMT_RGB8, &size) == 0;
    if (good) {
        frame->width = static_cast<int>(header.width);
        frame->height = static_cast<int>(header.height);
        frame->rgb.resize(size);
        good = spng_decode_image(context, frame->rgb.data(), size, SPNG_FMT_RGB8, 0) == 0;
    }
    spng_ctx_free(context);
    return good;
}

// The presentation's frames, rendered by the capture of this build and stored without compression.
bool renderFrames(const std::string& assets, const fs::path& work, std::vector<Frame>* frames) {
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
        if (!readFrame(paths[i], &frames->back())) return false;
    }
    fs::remove_all(stored);
    return !frames->empty();
}

struct Sample {
    double milliseconds;  // processor time a frame
    double kilobytes;     // file size a frame
};

Sample encodeAll(const std::vector<Frame>& frames, int level, const fs::path& out) {
    fs::create_directories(out);
    double spent = 0.0;
    uintmax_t bytes = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const Frame& frame = frames[i];
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
    std::vector<Frame> frames;
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
