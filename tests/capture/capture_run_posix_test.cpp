#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/child_run.h"
#include "support/png_rgb.h"
#include "support/text.h"

namespace {

namespace fs = std::filesystem;

const std::string ASSETS = DEMO_TEST_DATA "/assets";
const std::string GOLDEN = DEMO_TEST_DATA "/golden";
constexpr int GOLDEN_TOLERANCE = 6;  // per channel, of 255

std::vector<fs::path> framesIn(const fs::path& directory) {
    std::vector<fs::path> frames;
    for (const auto& entry : fs::directory_iterator(directory)) frames.push_back(entry.path());
    std::sort(frames.begin(), frames.end());
    return frames;
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

    // Exit status of the tool given `words`; its standard error is kept in `errors`.
    int capture(std::vector<std::string> words) {
        words.insert(words.begin(), CAPTURE_EXECUTABLE);
        const ChildRun run = runProgram(words, {ASSETS});
        errors = run.err;
        return run.status;
    }
    std::string errors;
};

// A capture from the middle, which steps the passes before its first frame without drawing them,
// gives the same bytes as a capture from the start at one PNG level; other levels and their
// filters give the same pixels, which the golden frames compare.
TEST_F(CaptureRun, FramesFromTheMiddleHaveTheBytesOfARunFromTheStartAndThePixelsAtAnyLevel) {
    // Across the end of scene 1 and the start of scene 2, with both fades and a counter reset.
    const std::vector<std::string> range = {"--from", "9.9", "--to", "10.2", "--size", "160x90"};
    auto with = [&](std::vector<std::string> head, std::vector<std::string> tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    ASSERT_EQ(capture(with(range, {"--png", work / "a"})), 0) << errors;
    ASSERT_EQ(capture({"--to", "10.2", "--size", "160x90", "--png", work / "b"}), 0) << errors;
    const std::vector<fs::path> a = framesIn(work / "a");
    ASSERT_EQ(a.size(), 18u);
    EXPECT_EQ(a.front().filename(), "frame_000594.png");
    const std::vector<std::string> levels = {"0", "2", "9"};
    for (const std::string& level : levels)
        ASSERT_EQ(capture(with({"--png-level", level}, with(range, {"--png", work / level}))), 0)
            << errors;
    std::set<std::vector<uint8_t>> distinct;
    for (const fs::path& frame : a) {
        const fs::path name = frame.filename();
        EXPECT_EQ(fileBytes(frame), fileBytes(work / "b" / name)) << name;
        RgbImage first;
        ASSERT_TRUE(readPngRgb(frame, &first)) << frame;
        for (const std::string& level : levels) {
            RgbImage other;
            ASSERT_TRUE(readPngRgb(work / level / name, &other)) << level << " " << name;
            EXPECT_TRUE(first.rgb == other.rgb) << "--png-level " << level << " " << name;
        }
        distinct.insert(first.rgb);
    }
    // The frames really move: a tool that wrote one frame over and over would pass the above.
    EXPECT_GT(distinct.size(), a.size() / 2);
}

TEST_F(CaptureRun, SupersampledFramesHaveTheAskedSizeAndDifferOnlyAtEdges) {
    // Scene 2: models with sharp outlines over a textured floor, under the overlay.
    ASSERT_EQ(
        capture({"--from", "20", "--to", "20.02", "--size", "160x90", "--png", work / "plain"}), 0)
        << errors;
    ASSERT_EQ(capture({"--supersample", "2", "--from", "20", "--to", "20.02", "--size", "160x90",
                       "--png", work / "fine"}),
              0)
        << errors;
    RgbImage plain, fine;
    ASSERT_TRUE(readPngRgb(work / "plain" / "frame_001200.png", &plain));
    ASSERT_TRUE(readPngRgb(work / "fine" / "frame_001200.png", &fine));
    ASSERT_EQ(fine.width, 160);
    ASSERT_EQ(fine.height, 90);
    ASSERT_EQ(fine.rgb.size(), plain.rgb.size());
    long total = 0;
    size_t close = 0;
    for (size_t i = 0; i < fine.rgb.size(); ++i) {
        const int difference = std::abs(fine.rgb[i] - plain.rgb[i]);
        total += difference;
        close += difference <= 4;
    }
    const double mean = static_cast<double>(total) / static_cast<double>(fine.rgb.size());
    // Finer outlines and texture detail, the same picture: a frame upside down, shifted or of
    // another time differs by tens on average.
    EXPECT_GT(mean, 0.0);
    EXPECT_LT(mean, 3.0);
    EXPECT_GT(static_cast<double>(close) / static_cast<double>(fine.rgb.size()), 0.8);
}

// What ffprobe says of the file's first stream of a kind ("v" or "a"), one line per entry.
std::vector<std::string> probe(const fs::path& video, const char* stream, const char* entries) {
    return lines(runProgram({"ffprobe", "-v", "error", "-select_streams", stream, "-show_entries",
                             entries, "-of", "csv=p=0", video})
                     .out);
}

// Packets and the end (the latest packet time plus its duration, in seconds) of a stream, from
// the packets themselves, the same way for every container.
std::pair<int, double> extentOf(const fs::path& video, const char* stream) {
    std::pair<int, double> extent = {0, 0.0};
    double pts = 0.0, duration = 0.0;
    for (const std::string& line : probe(video, stream, "packet=pts_time,duration_time")) {
        if (std::sscanf(line.c_str(), "%lf,%lf", &pts, &duration) != 2) continue;
        ++extent.first;
        extent.second = std::max(extent.second, pts + duration);
    }
    return extent;
}

TEST_F(CaptureRun, VideoHoldsEveryFrameAtItsRateWithTheSoundtrackToTheSameEnd) {
    struct Case {
        std::vector<std::string> range;
        const char* file;
        int frames;
    };
    // The second range runs past the end of the 6-second fixture soundtrack.
    const Case cases[] = {{{"--to", "0.5"}, "a.mp4", 30},
                          {{"--from", "5.6", "--to", "6.2"}, "b.mkv", 36}};
    for (const Case& c : cases) {
        const fs::path video = work / c.file;
        std::vector<std::string> words = c.range;
        words.insert(words.end(), {"--size", "160x90", "--video", video});
        ASSERT_EQ(capture(words), 0) << errors;
        const auto [frames, picturesEnd] = extentOf(video, "v");
        const auto [soundPackets, soundEnd] = extentOf(video, "a");
        EXPECT_EQ(frames, c.frames) << c.file;
        EXPECT_EQ(probe(video, "v", "stream=r_frame_rate"), std::vector<std::string>{"60/1"});
        EXPECT_GT(soundPackets, 0) << c.file;
        EXPECT_NEAR(soundEnd, picturesEnd, 1.0 / 60.0) << c.file;
        EXPECT_NEAR(picturesEnd, c.frames / 60.0, 0.03) << c.file;
    }
}

TEST_F(CaptureRun, OutputThatCannotBeMadeGivesOneLineAndAFailingStatus) {
    struct Case {
        const char* option;
        std::string path;
        const char* named;
    };
    const std::string file = (work / "file").string();
    std::ofstream(file) << "not a directory";
    const Case cases[] = {
        {"--png", file, file.c_str()},
        {"--video", (work / "missing" / "v.mp4").string(), "missing/v.mp4"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(capture({"--to", "0.1", c.option, c.path}), 1) << c.option;
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        EXPECT_NE(errors.find(c.named), std::string::npos) << errors;
    }
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
    ASSERT_EQ(
        capture({"--from", golden.from, "--to", golden.to, "--size", "320x180", "--png", out}), 0)
        << errors;
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", golden.frame);
    ASSERT_EQ(framesIn(out), std::vector<fs::path>{out / name});

    RgbImage frame;
    RgbImage reference;
    ASSERT_TRUE(readPngRgb(out / name, &frame));
    ASSERT_TRUE(readPngRgb(GOLDEN + "/" + golden.name + ".png", &reference)) << golden.name;
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
