// The presentation and the capture tool as a hostile user runs them: closed or broken standard
// streams, FIFOs, devices and oversized files among the assets, swapped shaders, an existing video
// file, Ctrl-C. No hang, no crash, one line per bad file, no file lost or left unfinished.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>

#include "assets/obj_reader.h"
#include "scenes/scene_resources.h"
#include "support/child_run.h"
#include "support/text.h"
#include "system/regular_file.h"

namespace fs = std::filesystem;

namespace {

using R = SceneResources;

constexpr size_t FRAMES = 6;  // in the first tenth of a second at 60 frames a second

// A capture of the first tenth of a second into `option` (--png or --video) `path`.
std::vector<std::string> capture(const char* option, const std::string& path) {
    return {CAPTURE_EXECUTABLE, "--to", "0.1", "--size", "64x36", option, path};
}

// stderr without the once-a-second reports and the capture's summary.
std::vector<std::string> warningLines(const std::string& err) {
    const std::regex summary("^capture: [0-9]+ frames .*");
    std::vector<std::string> warnings;
    for (const std::string& line : lines(err))
        if (!isReportLine(line) && !std::regex_match(line, summary)) warnings.push_back(line);
    return warnings;
}

size_t filesIn(const std::string& directory) {
    std::error_code error;
    return static_cast<size_t>(std::distance(fs::directory_iterator(directory, error), {}));
}

// The material library the fixture model names, as the reader reads the name.
std::string libraryOf(const char* model) {
    AssetCopy copy;
    ObjModel* read = nullptr;
    EXPECT_EQ(loadObjModel(&read, (copy / model).c_str()), ObjResult::LOADED);
    const std::string name = read ? read->materialLibrary : "";
    freeObjModel(read);
    return name;
}

TEST(HostileSurroundings, AClosedStandardDescriptorNeitherFreezesTheRunNorTakesItsOutput) {
    // The X connection or the pipe to ffmpeg would take the closed number and get what the run
    // prints there: its reports on stderr, the message about the missing shader on stdout.
    for (const int fd : {0, 1, 2}) {
        SCOPED_TRACE(fd);
        AssetCopy copy;
        fs::remove(copy / sceneFiles.vertexShader);
        ChildOptions options = {copy.dir};
        options.streams[fd] = Stream::Closed;
        const ChildRun run = runProgram(fd == 0 ? capture("--video", copy.root + "/v.mkv")
                                                : capture("--png", copy.root + "/frames"),
                                        options);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(fd == 0 ? fs::file_size(copy.root + "/v.mkv") > 0
                            : filesIn(copy.root + "/frames") == FRAMES);
    }
}

TEST(HostileSurroundings, AStreamWhoseReaderHasGoneDropsTheLineAndTheRunEndsAsItWould) {
    // Without a display the run prints one line and ends with 1; SIGPIPE would make it 141.
    AssetCopy copy;
    ChildOptions options = {copy.dir, {"DISPLAY", "WAYLAND_DISPLAY"}};
    options.streams[2] = Stream::BrokenPipe;
    EXPECT_EQ(runProgram({DEMO_EXECUTABLE}, options).status, 1);
}

TEST(HostileFiles, ANonRegularOrOversizedAssetIsNamedInOneLineAndTheRunGoesOn) {
    using Make = void (*)(const std::string& file);
    const Make fifo = [](const std::string& f) {
        fs::remove(f);
        mkfifo(f.c_str(), 0644);
    };
    const Make device = [](const std::string& f) {
        fs::remove(f);
        fs::create_symlink("/dev/zero", f);
    };
    const Make socket = [](const std::string& f) {
        fs::remove(f);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        f.copy(address.sun_path, sizeof address.sun_path - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        close(fd);
    };
    const Make oversized = [](const std::string& f) { fs::resize_file(f, OBJ_MAX_BYTES + 1); };
    const char* model = sceneModelPath(&R::list2);
    const std::string library = libraryOf(model);
    const std::string notRegular = fileErrorText(FILE_NOT_REGULAR);
    const struct {
        std::string file;
        Make make;
        std::string why;
    } cases[] = {
        {model, fifo, notRegular},
        {model, device, notRegular},
        {model, oversized, fileErrorText(EFBIG)},
        {library, fifo, notRegular},
        {library, device, notRegular},
        {sceneTexturePath(&R::texture1), fifo, notRegular},
        {sceneTexturePath(&R::texture1), socket, notRegular},
        {sceneFiles.vertexShader, fifo, notRegular},
        {sceneFiles.soundtrack, fifo, notRegular},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + ": " + c.why);
        AssetCopy copy;
        c.make(copy / c.file);
        const ChildRun run = runProgram(capture("--png", copy.root + "/frames"), {copy.dir});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(filesIn(copy.root + "/frames"), FRAMES);
        const std::vector<std::string> warnings = warningLines(run.err);
        ASSERT_EQ(warnings.size(), 1u) << run.err;
        EXPECT_NE(warnings[0].find(c.file + ": "), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("(" + c.why + ")"), std::string::npos) << warnings[0];
    }
    // Without a display the run ends at once with 1, no loading left waiting on a FIFO.
    AssetCopy copy;
    fifo(copy / model);
    EXPECT_EQ(runProgram({DEMO_EXECUTABLE}, {copy.dir, {"DISPLAY", "WAYLAND_DISPLAY"}}).status, 1);
}

TEST(HostileFiles, ShaderFilesSwappedAfterARunCompileAgainRatherThanCrashTheLink) {
    AssetCopy copy;
    const std::vector<std::string> call = capture("--png", copy.root + "/frames");
    const ChildOptions options = {copy.dir,
                                  {"HOME=" + copy.root, "XDG_CACHE_HOME=" + copy.root + "/cache",
                                   "MESA_SHADER_CACHE_DISABLE"}};
    ASSERT_EQ(runProgram(call, options).status, 0);
    fs::rename(copy / sceneFiles.vertexShader, copy.root + "/swap");
    fs::rename(copy / sceneFiles.fragmentShader, copy / sceneFiles.vertexShader);
    fs::rename(copy.root + "/swap", copy / sceneFiles.fragmentShader);
    const ChildRun run = runProgram(call, options);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out, "") << "the compile logs say what is wrong";
}

// Beside an existing file that a video failed or was stopped to replace: nothing else.
void expectOnlyTheOldFile(const AssetCopy& copy, const std::string& video, bool replaced) {
    EXPECT_EQ(fileBytes(video) == "keep", !replaced);
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(copy.root))
        left.insert(entry.path().filename());
    EXPECT_EQ(left, (std::set<std::string>{"assets", "old.mp4"}));
}

TEST(HostileCapture, AVideoTakesTheNameOfAnExistingFileOnlyOnceComplete) {
    const struct {
        const char* name;
        std::vector<std::string> environment;
        int status;
    } cases[] = {
        {"without a display", {"DISPLAY", "WAYLAND_DISPLAY"}, 1},
        {"without ffmpeg", {"PATH=/nonexistent"}, 1},
        {"complete", {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AssetCopy copy;
        const std::string video = copy.root + "/old.mp4";
        std::ofstream(video) << "keep";
        ChildOptions options = {copy.dir, c.environment};
        options.streams[0] = Stream::Closed;
        const ChildRun run = runProgram(capture("--video", video), options);
        EXPECT_EQ(run.status, c.status) << run.err;
        expectOnlyTheOldFile(copy, video, c.status == 0);
    }
}

TEST(HostileCapture, AStopSignalStopsTheCaptureAndFfmpegAndRemovesTheUnfinishedVideo) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        AssetCopy copy;
        const std::string video = copy.root + "/old.mp4";
        std::ofstream(video) << "keep";
        // 80 000 frames: far more than are done by the time the signal comes.
        Child run({CAPTURE_EXECUTABLE, "--fps", "1000", "--size", "64x36", "--video", video},
                  {copy.dir});
        const pid_t pid = run.pid();
        // Frames are flowing once ffmpeg has written a video, wherever it writes it.
        const bool encoding = run.runsUntil([&] {
            for (const auto& entry : fs::directory_iterator(copy.root))
                if (entry.path().extension() == ".mp4" && fileBytes(entry.path()).size() > 4)
                    return true;
            return false;
        });
        const pid_t ffmpeg = std::atoi(
            fileBytes("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children")
                .c_str());
        const ChildRun ended = run.finish(signal);
        ASSERT_TRUE(encoding) << ended.err;
        EXPECT_EQ(ended.status, 128 + signal) << ended.err;
        expectOnlyTheOldFile(copy, video, false);
        ASSERT_GT(ffmpeg, 0);
        EXPECT_NE(kill(ffmpeg, 0), 0) << "ffmpeg is still running";
    }
}

}  // namespace
