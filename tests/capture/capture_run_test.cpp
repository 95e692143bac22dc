#include <gtest/gtest.h>

#include <spng.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string ASSETS = DEMO_TEST_DATA "/assets";
const std::string GOLDEN = DEMO_TEST_DATA "/golden";
constexpr int GOLDEN_TOLERANCE = 6;  // per channel, of 255

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

bool readPng(const fs::path& path, Image* image) {
    std::ifstream in(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    spng_ctx* context = spng_ctx_new(0);
    spng_set_png_buffer(context, data.data(), data.size());
    spng_ihdr header = {};
    size_t size = 0;
    bool good = spng_get_ihdr(context, &header) == 0 &&
                spng_decoded_image_size(context, SPNG_FMT_RGB8, &size) == 0;
    if (good) {
        image->width = static_cast<int>(header.width);
        image->height = static_cast<int>(header.height);
        image->rgb.resize(size);
        good = spng_decode_image(context, image->rgb.data(), size, SPNG_FMT_RGB8, 0) == 0;
    }
    spng_ctx_free(context);
    return good;
}

uint64_t checksum(const Image& image) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (uint8_t byte : image.rgb) hash = (hash ^ byte) * 1099511628211ull;
    return hash;
}

std::vector<fs::path> framesIn(const fs::path& directory) {
    std::vector<fs::path> frames;
    for (const auto& entry : fs::directory_iterator(directory)) frames.push_back(entry.path());
    std::sort(frames.begin(), frames.end());
    return frames;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs the real tool from the fixture asset directory, as a user runs it.
class CaptureRun : public ::testing::Test {
protected:
    fs::path work;

    void SetUp() override {
        char pattern[] = "/tmp/capture_test_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        work = pattern;
    }
    void TearDown() override { fs::remove_all(work); }

    // Exit status of `capture arguments`; its standard error is kept in `errors`.
    int capture(const std::string& arguments, const std::string& environment = "") {
        const std::string command =
            "cd '" + ASSETS + "' && " + environment + " '" CAPTURE_EXECUTABLE "' " + arguments +
            " >'" + (work / "out.txt").string() + "' 2>'" + (work / "err.txt").string() + "'";
        const int status = std::system(command.c_str());
        errors = readText(work / "err.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string errors;
};

TEST_F(CaptureRun, TwoCapturesOfTheSameRangeGiveIdenticalFrames) {
    // Across the end of scene 1 and the start of scene 2, with both fades and a counter reset.
    const std::string range = "--from 9.9 --to 10.2 --size 160x90 --png ";
    ASSERT_EQ(capture(range + (work / "a").string()), 0) << errors;
    ASSERT_EQ(capture(range + (work / "b").string()), 0) << errors;
    const std::vector<fs::path> a = framesIn(work / "a");
    const std::vector<fs::path> b = framesIn(work / "b");
    ASSERT_EQ(a.size(), 18u);
    ASSERT_EQ(b.size(), a.size());
    EXPECT_EQ(a.front().filename(), "frame_000594.png");
    std::vector<uint64_t> distinct;
    for (size_t i = 0; i < a.size(); ++i) {
        Image first;
        Image second;
        ASSERT_TRUE(readPng(a[i], &first) && readPng(b[i], &second)) << a[i];
        EXPECT_EQ(checksum(first), checksum(second)) << a[i].filename();
        if (std::find(distinct.begin(), distinct.end(), checksum(first)) == distinct.end())
            distinct.push_back(checksum(first));
    }
    // The frames really move: a tool that wrote one frame over and over would pass the above.
    EXPECT_GT(distinct.size(), a.size() / 2);
}

struct StreamExtent {
    int packets = 0;
    double end = 0.0;  // seconds: the latest packet time plus its duration
};

// Per stream ("v" or "a"), from the packets themselves, the same way for every container.
StreamExtent extentOf(const fs::path& video, const char* stream) {
    const std::string command = std::string("ffprobe -v error -select_streams ") + stream +
                                " -show_entries packet=pts_time,duration_time -of csv=p=0 '" +
                                video.string() + "'";
    StreamExtent extent;
    FILE* pipe = popen(command.c_str(), "r");
    char line[128];
    double pts = 0.0;
    double duration = 0.0;
    while (pipe && std::fgets(line, sizeof line, pipe)) {
        if (std::sscanf(line, "%lf,%lf", &pts, &duration) != 2) continue;
        ++extent.packets;
        extent.end = std::max(extent.end, pts + duration);
    }
    if (pipe) pclose(pipe);
    return extent;
}

std::string frameRateOf(const fs::path& video) {
    const std::string command =
        "ffprobe -v error -select_streams v -show_entries stream=r_frame_rate -of csv=p=0 '" +
        video.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    char line[64] = "";
    if (pipe && !std::fgets(line, sizeof line, pipe)) line[0] = '\0';
    if (pipe) pclose(pipe);
    return std::string(line).substr(0, std::string(line).find('\n'));
}

TEST_F(CaptureRun, VideoHoldsEveryFrameAtItsRateWithTheSoundtrackToTheSameEnd) {
    struct Case {
        const char* arguments;
        const char* file;
        int frames;
    };
    // The second range runs past the end of the 6-second fixture soundtrack.
    const Case cases[] = {{"--to 0.5", "a.mp4", 30}, {"--from 5.6 --to 6.2", "b.mkv", 36}};
    for (const Case& c : cases) {
        const fs::path video = work / c.file;
        ASSERT_EQ(capture(std::string(c.arguments) + " --size 160x90 --video " + video.string()), 0)
            << errors;
        const StreamExtent pictures = extentOf(video, "v");
        const StreamExtent sound = extentOf(video, "a");
        EXPECT_EQ(pictures.packets, c.frames) << c.file;
        EXPECT_EQ(frameRateOf(video), "60/1") << c.file;
        EXPECT_GT(sound.packets, 0) << c.file;
        EXPECT_NEAR(sound.end, pictures.end, 1.0 / 60.0) << c.file;
        EXPECT_NEAR(pictures.end, c.frames / 60.0, 0.03) << c.file;
    }
}

TEST_F(CaptureRun, OutputThatCannotBeMadeGivesOneLineAndAFailingStatus) {
    struct Case {
        std::string arguments;
        std::string environment;
        const char* named;
    };
    const std::string file = (work / "file").string();
    std::ofstream(file) << "not a directory";
    const Case cases[] = {
        {"--video " + (work / "v.mp4").string(), "PATH=/nonexistent", "ffmpeg"},
        {"--png " + file, "", file.c_str()},
        {"--video " + (work / "missing" / "v.mp4").string(), "", "missing/v.mp4"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(capture("--to 0.1 " + c.arguments, c.environment), 1) << c.arguments;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find(c.named), std::string::npos) << errors;
    }
    EXPECT_FALSE(fs::exists(work / "v.mp4"));
}

struct GoldenFrame {
    std::string name;
    std::string from;
    std::string to;
    int frame = 0;
};

std::vector<GoldenFrame> goldenFrames() {
    std::vector<GoldenFrame> frames;
    std::ifstream list(GOLDEN + "/frames.txt");
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line[0] == '#') continue;
        GoldenFrame frame;
        std::istringstream(line) >> frame.name >> frame.from >> frame.to >> frame.frame;
        frames.push_back(frame);
    }
    return frames;
}

void PrintTo(const GoldenFrame& frame, std::ostream* out) { *out << frame.name; }

class GoldenFrames : public CaptureRun, public ::testing::WithParamInterface<GoldenFrame> {};

TEST_P(GoldenFrames, MatchTheReferenceWithinASmallTolerance) {
    const GoldenFrame& golden = GetParam();
    const fs::path out = work / "frames";
    ASSERT_EQ(capture("--from " + golden.from + " --to " + golden.to + " --size 320x180 --png " +
                      out.string()),
              0)
        << errors;
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", golden.frame);
    ASSERT_EQ(framesIn(out), std::vector<fs::path>{out / name});

    Image frame;
    Image reference;
    ASSERT_TRUE(readPng(out / name, &frame));
    ASSERT_TRUE(readPng(GOLDEN + "/" + golden.name + ".png", &reference)) << golden.name;
    ASSERT_EQ(frame.width, reference.width);
    ASSERT_EQ(frame.height, reference.height);
    int worst = 0;
    size_t worstAt = 0;
    for (size_t i = 0; i < frame.rgb.size(); ++i) {
        const int difference = std::abs(frame.rgb[i] - reference.rgb[i]);
        if (difference > worst) {
            worst = difference;
            worstAt = i;
        }
    }
    EXPECT_LE(worst, GOLDEN_TOLERANCE)
        << "at x " << worstAt / 3 % frame.width << ", y " << worstAt / 3 / frame.width;
}

INSTANTIATE_TEST_SUITE_P(Capture, GoldenFrames, ::testing::ValuesIn(goldenFrames()),
                         [](const ::testing::TestParamInfo<GoldenFrame>& info) {
                             return info.param.name;
                         });

}  // namespace
