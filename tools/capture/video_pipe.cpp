#include "video_pipe.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "capture_arguments.h"
#include "png_frames.h"
#include "scenes/scene_resources.h"

extern char** environ;

namespace {

constexpr int64_t AUDIO_RATE = 48000;  // samples a second in the video

std::string text(int64_t value) { return std::to_string(value); }

bool endsWith(const char* path, const char* suffix) {
    const size_t length = std::strlen(path);
    const size_t suffixLength = std::strlen(suffix);
    return length >= suffixLength && std::strcmp(path + length - suffixLength, suffix) == 0;
}

// The soundtrack cut to the frames by sample counts, so its start matches the first frame's
// interval exactly and its length the video's; silence pads a soundtrack that ends early.
std::string audioFilter(const CaptureArguments& arguments) {
    const int64_t start = arguments.firstFrame * AUDIO_RATE / arguments.fps;
    const int64_t end = arguments.endFrame * AUDIO_RATE / arguments.fps;
    return "aresample=" + text(AUDIO_RATE) + ",apad,atrim=start_sample=" + text(start) +
           ":end_sample=" + text(end) + ",asetpts=PTS-STARTPTS";
}

std::vector<std::string> ffmpegArguments(const CaptureArguments& arguments, bool withSoundtrack) {
    const std::string size = text(arguments.width) + "x" + text(arguments.height);
    std::vector<std::string> line = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y"};
    // Frames a PNG capture wrote decode to the same RGB as those piped raw, so both encode alike.
    if (arguments.encodeDirectory)
        line.insert(line.end(), {"-framerate", text(arguments.fps), "-start_number",
                                 text(arguments.firstFrame), "-i",
                                 pngFramePattern(arguments.encodeDirectory)});
    else
        line.insert(line.end(), {"-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size,
                                 "-framerate", text(arguments.fps), "-i", "pipe:0"});
    if (withSoundtrack) line.insert(line.end(), {"-i", sceneFiles.soundtrack, "-map", "0:v", "-map", "1:a"});
    line.insert(line.end(),
                {"-c:v", "libx264", "-preset", "fast", "-crf", "18", "-pix_fmt", "yuv420p"});
    // The directory may hold later frames too; the audio is cut on its own, by its filter.
    if (arguments.encodeDirectory)
        line.insert(line.end(), {"-vf", "trim=end_frame=" + text(capturedFrameCount(arguments))});
    const bool quickTime = endsWith(arguments.path, ".mp4") || endsWith(arguments.path, ".mov");
    // AAC comes in blocks of 21 ms, longer than a frame: MP4 trims the last block by its edit
    // list, Matroska cannot, so there the soundtrack goes in losslessly as FLAC, which ends on
    // the exact sample.
    if (withSoundtrack)
        line.insert(line.end(),
                    {"-af", audioFilter(arguments), "-c:a", quickTime ? "aac" : "flac"});
    if (withSoundtrack && quickTime) line.insert(line.end(), {"-b:a", "192k"});
    if (quickTime) line.insert(line.end(), {"-movflags", "+faststart"});
    line.push_back(arguments.path);
    return line;
}

// Why ffmpeg failed: the last line it wrote on its standard error, or else how it ended.
std::string failureOf(FILE* log, int status) {
    std::string last;
    char line[512];
    std::rewind(log);
    while (std::fgets(line, sizeof line, log)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        if (line[0] != '\0') last = line;
    }
    if (!last.empty()) return last;
    if (WIFSIGNALED(status)) return "ended by signal " + text(WTERMSIG(status));
    return "exit status " + text(WEXITSTATUS(status));
}

int spawnFfmpeg(const std::vector<std::string>& line, int input, int log, int* pid) {
    std::vector<char*> argv;
    for (const std::string& word : line) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, log, 2);
    const int result = posix_spawnp(pid, "ffmpeg", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

}  // namespace

int openVideoPipe(const CaptureArguments& arguments, VideoPipe* video) {
    *video = VideoPipe{-1, -1, nullptr, arguments.path, false};
    const int probe = open(arguments.path, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (probe < 0) {
        std::fprintf(stderr, "capture: --video %s: cannot write: %s\n", arguments.path,
                     std::strerror(errno));
        return 1;
    }
    close(probe);

    const bool withSoundtrack = access(sceneFiles.soundtrack, R_OK) == 0;
    if (!withSoundtrack)
        std::fprintf(stderr, "capture: %s: cannot be read (%s); the video has no soundtrack\n",
                     sceneFiles.soundtrack, std::strerror(errno));

    int ends[2];
    video->log = std::tmpfile();
    if (!video->log || pipe2(ends, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "capture: --video %s: cannot set up the pipe to ffmpeg: %s\n",
                     arguments.path, std::strerror(errno));
        return 1;
    }
    const int spawned = spawnFfmpeg(ffmpegArguments(arguments, withSoundtrack), ends[0],
                                    fileno(video->log), &video->pid);
    close(ends[0]);
    if (spawned != 0) {
        close(ends[1]);
        video->pid = -1;
        unlink(arguments.path);
        if (spawned == ENOENT)
            std::fprintf(stderr, "capture: ffmpeg: not found; install the Debian package ffmpeg\n");
        else
            std::fprintf(stderr, "capture: ffmpeg: cannot be started: %s\n",
                         std::strerror(spawned));
        return 1;
    }
    video->frameFd = ends[1];
    return 0;
}

int writeVideoFrame(VideoPipe* video, const uint8_t* rgb, size_t size) {
    while (size > 0) {
        const ssize_t written = write(video->frameFd, rgb, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            video->refused = true;
            return 1;
        }
        rgb += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

int closeVideoPipe(VideoPipe* video, bool keep) {
    if (video->frameFd >= 0) close(video->frameFd);
    video->frameFd = -1;
    const bool ownFailure = video->refused || keep;
    if (!ownFailure && video->pid > 0) kill(video->pid, SIGTERM);
    int status = 0;
    const bool waited = video->pid > 0 && waitpid(video->pid, &status, 0) == video->pid;
    video->pid = -1;
    const bool encoded = waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!encoded && ownFailure && video->log)
        std::fprintf(stderr, "capture: %s: ffmpeg failed: %s\n", video->path,
                     failureOf(video->log, status).c_str());
    if (video->log) std::fclose(video->log);
    video->log = nullptr;
    if (encoded && keep) return 0;
    unlink(video->path);
    return 1;
}
