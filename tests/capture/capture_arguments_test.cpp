#include <gtest/gtest.h>

#include <cstdio>
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
        {{"--png-level", "10", "--png", "d"}, "--png-level 10: not a whole number from 0 to 9"},
        {{"--print-chunks", "0", "--png", "d"}, "--print-chunks 0"},
        {{"--progress-fd", "0", "--discard"}, "--progress-fd 0: not a whole number from 1 to"},
        {{"--progress-fd", "1000", "--discard"}, "--progress-fd 1000: not an open descriptor"},
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

// The farm runs each printed chunk as --from FROM --to TO: read back, every line must select
// exactly its own frames, and the lines must cover the range once, in order. Rates that do not
// divide a million microseconds are where a boundary's rounding would slip by a frame.
TEST(CaptureArguments, PrintedChunksSelectExactlyTheirFramesAndCoverTheRange) {
    const std::vector<std::vector<std::string>> lines = {
        {"--from", "9.5", "--to", "10.5", "--print-chunks", "16"},
        {"--fps", "7", "--from", "0.1", "--to", "3", "--print-chunks", "5"},
        {"--fps", "997", "--from", "1.000001", "--to", "1.9", "--print-chunks", "97"},
        {"--fps", "1000", "--from", "79.99", "--print-chunks", "3"},
        {"--fps", "30", "--print-chunks", "100000"},
    };
    for (const std::vector<std::string>& line : lines) {
        std::vector<std::string> words = line;
        words.insert(words.end(), {"--png", "d"});
        CaptureArguments whole = {};
        ASSERT_EQ(parse(words, &whole), 0) << words[1];
        FILE* printed = std::tmpfile();
        ASSERT_NE(printed, nullptr);
        printCaptureChunks(whole, printed);
        std::rewind(printed);
        long long next = whole.firstFrame;
        long long first = 0;
        long long end = 0;
        char from[32];
        char to[32];
        while (std::fscanf(printed, "%lld %lld %31s %31s", &first, &end, from, to) == 4) {
            EXPECT_EQ(first, next) << words[1] << ": chunk from " << from;
            EXPECT_LE(end - first, whole.chunkFrames) << from;
            CaptureArguments chunk = {};
            const std::vector<std::string> fps(line.begin(), line.begin() + 2);
            std::vector<std::string> again = {"--from", from, "--to", to, "--png", "d"};
            if (line[0] == "--fps") again.insert(again.end(), fps.begin(), fps.end());
            ASSERT_EQ(parse(again, &chunk), 0) << from << " " << to;
            EXPECT_EQ(chunk.firstFrame, first) << "--from " << from;
            EXPECT_EQ(chunk.endFrame, end) << "--to " << to;
            next = end;
        }
        std::fclose(printed);
        EXPECT_EQ(next, whole.endFrame) << words[1];
    }
}

}  // namespace
