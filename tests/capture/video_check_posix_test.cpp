// The check of ffmpeg's result before it takes the video's name, on ffmpeg's own log lines and on
// videos made by ffmpeg in the test: whole, short of frames or sound, cut.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/child_run.h"
#include "video_check.h"

namespace {

namespace fs = std::filesystem;

TEST(VideoCheck, OnlyAFailedWriteOfTheVideoInFfmpegsLogCountsAsAFailure) {
    const std::string output = "/tmp/v.unfinished-AbC123.mkv";
    // As ffmpeg 5.1 wrote them on a full disk, and about a soundtrack with garbage in its middle.
    const struct {
        const char* line;
        bool failure;
    } cases[] = {
        {"av_interleaved_write_frame(): No space left on device", true},
        {"Error writing trailer of file:/tmp/v.unfinished-AbC123.mkv: No space left on device",
         true},
        {"Error closing file file:/tmp/v.unfinished-AbC123.mkv: Input/output error", true},
        {"[mp3float @ 0x56254fdba380] Header missing", false},
        {"Error while decoding stream #1:0: Invalid data found when processing input", false},
    };
    for (const auto& c : cases) {
        FILE* log = std::tmpfile();
        std::fprintf(log, "[mp3float @ 0x56254fdba380] Header missing\n%s\n", c.line);
        EXPECT_EQ(writeFailureIn(log, output), c.failure ? c.line : "") << c.line;
        std::fclose(log);
    }
}

TEST(VideoCheck, AVideoIsWholeOnlyWithEveryFrameItsSoundAndItsEnd) {
    char pattern[] = "/tmp/video_check_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    const std::string video = dir + "/v.mkv";
    // Six frames at 60 a second with sound cut to their end, as capture makes them.
    ASSERT_EQ(runProgram({"ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                          "testsrc=size=64x36:rate=60", "-f", "lavfi", "-i", "sine", "-t", "0.1",
                          "-c:v", "libx264", "-c:a", "flac", "-y", video})
                  .status,
              0);
    const std::string silent = dir + "/silent.mkv";
    ASSERT_EQ(
        runProgram({"ffmpeg", "-v", "error", "-i", video, "-an", "-c", "copy", silent}).status, 0);
    const std::string cut = dir + "/cut.mkv";
    const std::string bytes = fileBytes(video);
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() * 2 / 3);
    const struct {
        std::string file;
        ExpectedVideo expected;
        const char* why;  // the start of what it says, empty when the video is whole
    } cases[] = {
        {video, {6, 60, true}, ""},
        {video, {7, 60, true}, "it holds 6 of 7 frames"},
        {video, {6, 30, true}, "it lasts 0.1"},
        {silent, {6, 60, true}, "it has no sound"},
        {silent, {6, 60, false}, ""},
        {cut, {6, 60, true}, "ffprobe cannot read it back: "},
        {dir + "/missing.mkv", {6, 60, false}, "ffprobe cannot read it back: "},
    };
    for (const auto& c : cases) {
        const std::string said = checkEncodedVideo("file:" + c.file, c.expected);
        EXPECT_EQ(said.substr(0, std::string(c.why).size()), c.why) << c.file << ": " << said;
        EXPECT_EQ(said.empty(), c.why[0] == '\0') << said;
    }
    fs::remove_all(dir);
}

}  // namespace
