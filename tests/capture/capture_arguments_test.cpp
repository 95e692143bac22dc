#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture_arguments.h"
#include "support/text.h"

namespace {

int parse(const std::vector<std::string>& words, CaptureArguments* arguments) {
    CommandLine line("capture", words);
    return parseCaptureArguments(line.argc(), line.argv(), arguments);
}

TEST(CaptureArguments, FrameRangesAreExactInWholeFrames) {
    struct Case {
        std::vector<std::string> words;
        int64_t firstFrame;
        int64_t endFrame;
    };
    const Case cases[] = {
        {{"--png", "d"}, 0, 4800},  // the whole (0, 80] at 60 frames a second
        {{"--from", "9.99", "--to", "10", "--png", "d"}, 599, 600},
        // 0.29 * 100 is 28.999999999999996 in binary floating point.
        {{"--from", "0.29", "--to", "0.3", "--fps", "100", "--png", "d"}, 29, 30},
        {{"--from", "60.57", "--to", "60.59", "--png", "d"}, 3634, 3635},
        {{"--from", "0.000001", "--to", "80", "--fps", "1", "--video", "v.mkv"}, 0, 80},
    };
    for (const Case& c : cases) {
        CaptureArguments arguments = {};
        ASSERT_EQ(parse(c.words, &arguments), 0) << c.words[0] << " " << c.words[1];
        EXPECT_EQ(arguments.firstFrame, c.firstFrame) << c.words[1];
        EXPECT_EQ(arguments.endFrame, c.endFrame) << c.words[1];
    }
}

TEST(CaptureArguments, BadLinesGiveStatusTwoAndOneLineNamingWhatIsWrong) {
    struct Case {
        std::vector<std::string> words;
        const char* named;  // must appear in the message
    };
    const Case cases[] = {
        {{}, "--png DIR, --video FILE or --discard"},
        {{"--png", "a", "--video", "b.mp4"}, "only one"},
        {{"--discard", "--png", "a"}, "only one"},
        {{"--supersample", "5", "--png", "d"}, "--supersample 5"},
        {{"--supersample", "0", "--png", "d"}, "--supersample 0"},
        {{"--size", "4096x2048", "--supersample", "3", "--discard"}, "--supersample 3"},
        {{"--encode-png", "d", "--png", "e"}, "--encode-png d: needs --video"},
        {{"--fps", "0", "--png", "d"}, "--fps 0"},
        {{"--fps", "24.5", "--png", "d"}, "--fps 24.5"},
        {{"--size", "320x", "--png", "d"}, "--size 320x"},
        {{"--size", "0x10", "--png", "d"}, "--size 0x10"},
        {{"--from", "1e2", "--png", "d"}, "--from 1e2"},
        {{"--from", "-1", "--png", "d"}, "--from -1"},
        {{"--to", "80.5", "--png", "d"}, "--to 80.5"},
        {{"--from", "5", "--to", "5", "--png", "d"}, "--from 5"},
        {{"--from", "0.001", "--to", "0.002", "--png", "d"}, "no frame"},
        {{"--png"}, "--png: needs a value"},
        {{"--speed", "2", "--png", "d"}, "--speed"},
        {{"--video", "out.avi"}, "--video out.avi"},
        {{"--size", "321x180", "--video", "out.mp4"}, "--size 321x180"},
    };
    for (const Case& c : cases) {
        CaptureArguments arguments = {};
        testing::internal::CaptureStderr();
        const int result = parse(c.words, &arguments);
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, 2) << c.named;
        EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
        EXPECT_NE(message.find(c.named), std::string::npos) << message;
    }
}

}  // namespace
