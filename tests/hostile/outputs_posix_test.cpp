// What capture leaves where it writes when the disk fills, ffmpeg fails or ends well with a bad
// file, a name reads as one of ffmpeg's protocols, or a frame's name is a link: the old file whole
// or the new one complete, never a part, and one line that says why.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <set>

#include "scenes/scene_resources.h"
#include "support/child_run.h"

namespace fs = std::filesystem;

namespace {

constexpr int FRAMES = 6;  // in the first tenth of a second at 60 frames a second

// A tmpfs of 1 MiB at `dir`, made full in a moment; unmounted before the directory goes.
struct SmallDisk {
    std::string dir;
    std::string refusal;  // why it could not be mounted; empty once it is
    explicit SmallDisk(const std::string& at) : dir(at) {
        fs::create_directory(dir);
        if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=1m") != 0) refusal = std::strerror(errno);
    }
    ~SmallDisk() {
        if (refusal.empty()) umount2(dir.c_str(), MNT_DETACH);
    }
    // Fills the disk up to `bytes` left, in a file named "filler".
    void leave(uint64_t bytes) const {
        fs::remove(dir + "/filler");
        struct statvfs disk = {};
        statvfs(dir.c_str(), &disk);
        const uint64_t room = uint64_t{disk.f_bavail} * disk.f_frsize;
        std::ofstream(dir + "/filler") << std::string(room > bytes ? room - bytes : 0, 'f');
    }
};

#define SKIP_UNLESS_MOUNTED(disk)                                                               \
    if (!(disk).refusal.empty())                                                                \
    GTEST_SKIP() << "cannot mount a tmpfs (" << (disk).refusal << "); a full disk needs root, " \
                 << "as CI has it"

// capture run from the copy's asset directory; `environment` as ChildOptions takes it.
ChildRun capture(const AssetCopy& copy, std::vector<std::string> arguments,
                 const std::vector<std::string>& environment = {}) {
    arguments.insert(arguments.begin(), CAPTURE_EXECUTABLE);
    return runProgram(arguments, {copy.dir, environment});
}

std::set<std::string> namesIn(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.insert(entry.path().filename());
    return names;
}

// What ffprobe counts in the file: "frames,sound packets", sound 0 when it has no sound stream.
std::string contentOf(const std::string& video) {
    std::string counts;
    for (const char* kind : {"v", "a"}) {
        const std::string packets =
            runProgram({"ffprobe", "-v", "error", "-count_packets", "-show_entries",
                        "stream=nb_read_packets", "-of", "csv=p=0", "-select_streams", kind,
                        "file:" + video})
                .out;
        counts += (counts.empty() ? "" : ",") + std::to_string(std::atoi(packets.c_str()));
    }
    return counts;
}

// The one line that is neither a report nor the summary, or what stderr held instead.
std::string onlyLine(const ChildRun& run) {
    std::vector<std::string> said;
    for (const std::string& line : lines(run.err))
        if (!isReportLine(line) && line.find(" frames in ") == std::string::npos)
            said.push_back(line);
    return said.size() == 1 ? said[0] : "not one line: " + run.err;
}

TEST(Outputs, AVideoThatFindsTheDiskFullFailsWithTheReasonAndTheOldVideoStays) {
    AssetCopy copy;
    SmallDisk disk(copy.root + "/disk");
    SKIP_UNLESS_MOUNTED(disk);
    const std::string video = disk.dir + "/v.mkv";
    const std::vector<std::string> range = {"--to", "0.5", "--size", "160x90"};
    std::vector<std::string> encode = range;
    // The farm's final encode, of frames captured beforehand.
    encode.insert(encode.end(), {"--png", copy.root + "/frames"});
    ASSERT_EQ(capture(copy, encode).status, 0);
    encode.end()[-2] = "--encode-png";
    for (const bool encoded : {false, true}) {
        SCOPED_TRACE(encoded ? "encoded from PNG frames" : "rendered");
        fs::remove(disk.dir + "/filler");
        ASSERT_EQ(capture(copy, {"--to", "0.1", "--size", "64x36", "--video", video}).status, 0);
        const std::string old = fileBytes(video);
        disk.leave(16 * 1024);
        std::vector<std::string> arguments = encoded ? encode : range;
        arguments.insert(arguments.end(), {"--video", video});
        const ChildRun run = capture(copy, arguments);
        EXPECT_EQ(run.status, 1);
        const std::string line = onlyLine(run);
        EXPECT_EQ(line.rfind("capture: " + video + ": ", 0), 0u) << line;
        EXPECT_NE(line.find(std::strerror(ENOSPC)), std::string::npos) << line;
        EXPECT_TRUE(fileBytes(video) == old);
        EXPECT_EQ(namesIn(disk.dir), (std::set<std::string>{"filler", "v.mkv"}));
    }
}

TEST(Outputs, FramesThatFindTheDiskFullFailWithTheReasonAndNoFrameIsLeftEmptyOrCut) {
    AssetCopy copy;
    SmallDisk disk(copy.root + "/disk");
    SKIP_UNLESS_MOUNTED(disk);
    const std::string frames = disk.dir + "/frames";
    ASSERT_EQ(capture(copy, {"--to", "0.1", "--size", "64x36", "--png", frames}).status, 0);
    std::map<std::string, std::string> old;
    for (const std::string& name : namesIn(frames)) old[name] = fileBytes(frames + "/" + name);
    disk.leave(16 * 1024);
    const ChildRun run = capture(copy, {"--to", "0.1", "--size", "640x360", "--png", frames});
    EXPECT_EQ(run.status, 1);
    const std::string line = onlyLine(run);
    EXPECT_NE(line.find(std::string(": cannot write: ") + std::strerror(ENOSPC)), std::string::npos)
        << line;
    ASSERT_EQ(namesIn(frames).size(), old.size()) << "a frame's temporary file was left";
    for (const auto& [name, bytes] : old) {
        const std::string now = fileBytes(frames + "/" + name);
        // A new frame is whole: it ends with the PNG's closing chunk.
        const bool whole = now.size() > 12 && now.compare(now.size() - 8, 4, "IEND") == 0;
        EXPECT_TRUE(now == bytes || whole) << name << ": " << now.size() << " bytes";
    }
}

TEST(Outputs, AFrameWhoseNameIsALinkIsReplacedAndWhatItPointsToIsLeftAlone) {
    AssetCopy copy;
    const std::string frames = copy.root + "/frames";
    const std::string target = copy.root + "/target";
    fs::create_directory(frames);
    std::ofstream(target) << "keep";
    fs::create_symlink(target, frames + "/frame_000002.png");
    EXPECT_EQ(capture(copy, {"--to", "0.1", "--size", "64x36", "--png", frames}).status, 0);
    EXPECT_EQ(fileBytes(target), "keep");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(frames + "/frame_000002.png")));
    EXPECT_EQ(namesIn(frames).size(), static_cast<size_t>(FRAMES));
}

TEST(Outputs, AVideoNameThatFfmpegReadsAsAProtocolIsAFileOfThatName) {
    for (const std::string name : {"pipe:1.mkv", "md5:x.mkv"}) {
        SCOPED_TRACE(name);
        AssetCopy copy;
        std::set<std::string> names = namesIn(copy.dir);
        const ChildRun run = capture(copy, {"--to", "0.1", "--size", "64x36", "--video", name});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(contentOf(copy / name).substr(0, 2), "6,");
        names.insert(name);
        EXPECT_EQ(namesIn(copy.dir), names);
    }
}

TEST(Outputs, AVideoTakesItsNameOnlyWhenFfmpegSucceedsAndTheFileReadsBackWhole) {
    const struct {
        const char* name;
        std::string script;  // the body of the ffmpeg that capture finds first
        const char* says;
    } cases[] = {
        {"ffmpeg fails", "echo 'Conversion failed!' >&2; exit 1",
         "ffmpeg failed: Conversion failed!"},
        {"ffmpeg takes every frame and writes one byte",
         "cat <&3 >/dev/null; for last; do :; done; printf x > \"${last#file:}\"",
         "ffmpeg's video is not whole (ffprobe cannot read it back: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AssetCopy copy;
        const std::string video = copy.root + "/old.mkv";
        std::ofstream(video) << "keep";
        fs::create_directory(copy.root + "/bin");
        std::ofstream(copy.root + "/bin/ffmpeg") << "#!/bin/bash\n" << c.script << "\n";
        fs::permissions(copy.root + "/bin/ffmpeg", fs::perms::owner_all);
        const ChildRun run = capture(copy, {"--to", "0.1", "--size", "64x36", "--video", video},
                                     {"PATH=" + copy.root + "/bin:" + std::getenv("PATH")});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(onlyLine(run).find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(fileBytes(video), "keep");
        EXPECT_EQ(namesIn(copy.root), (std::set<std::string>{"assets", "bin", "old.mkv"}));
    }
}

TEST(Outputs, ASoundtrackThePresentationWouldNotPlayIsLeftOutOfTheVideoWithOneLine) {
    using Make = void (*)(const std::string& soundtrack);
    const struct {
        const char* name;
        Make make;
    } cases[] = {
        {"a WAV file named as the MP3",
         [](const std::string& soundtrack) {
             runProgram({"ffmpeg", "-v", "error", "-f", "lavfi", "-i", "sine=duration=1", "-f",
                         "wav", "-y", soundtrack});
         }},
        {"bytes of no format",
         [](const std::string& soundtrack) {
             std::ofstream(soundtrack) << std::string(5000, 'z');
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AssetCopy copy;
        c.make(copy / sceneFiles.soundtrack);
        const std::string video = copy.root + "/v.mkv";
        const ChildRun run = capture(copy, {"--to", "0.1", "--size", "64x36", "--video", video});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(onlyLine(run), "demo: " + std::string(sceneFiles.soundtrack) +
                                     ": cannot play the soundtrack (not an MP3 stream); the video "
                                     "has no sound");
        EXPECT_EQ(contentOf(video), "6,0");
    }
}

TEST(Outputs, AnXServerThatGoesAwayEndsTheCaptureAndLeavesNoUnfinishedVideo) {
    // Xlib ends the process with exit() then, past the capture's own winding down.
    ChildOptions quiet;
    quiet.streams[2] = Stream::Null;
    Child server({"Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "640x480x24"},
                 quiet);
    ASSERT_TRUE(
        server.runsUntil([&] { return server.outputSoFar().find('\n') != std::string::npos; }));
    AssetCopy copy;
    const std::string video = copy.root + "/old.mkv";
    std::ofstream(video) << "keep";
    Child run({CAPTURE_EXECUTABLE, "--fps", "1000", "--size", "64x36", "--video", video},
              {copy.dir, {"DISPLAY=:" + lines(server.outputSoFar()).at(0)}});
    // Frames are flowing once ffmpeg has written some of the video.
    const bool encoding = run.runsUntil([&] {
        for (const auto& entry : fs::directory_iterator(copy.root))
            if (entry.path() != video && entry.path().extension() == ".mkv" &&
                fs::file_size(entry.path()) > 4)
                return true;
        return false;
    });
    server.finish(SIGTERM);
    EXPECT_TRUE(run.endsWithin(20)) << "the capture hangs";
    const ChildRun ended = run.finish(SIGKILL);
    ASSERT_TRUE(encoding) << ended.err;
    EXPECT_EQ(ended.status, 1) << ended.err;
    EXPECT_EQ(fileBytes(video), "keep");
    EXPECT_EQ(namesIn(copy.root), (std::set<std::string>{"assets", "old.mkv"}));
}

TEST(Outputs, AToolWithoutADisplaySaysItsOwnName) {
    AssetCopy copy;
    const ChildRun run = capture(copy, {"--to", "0.1", "--png", copy.root + "/frames"},
                                 {"DISPLAY", "WAYLAND_DISPLAY"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("capture: cannot initialise the window system: ", 0), 0u) << run.err;
}

}  // namespace
