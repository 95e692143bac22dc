#include "video_pipe.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "capture_arguments.h"
#include "platform/soundtrack_file.h"
#include "png_frames.h"
#include "scenes/scene_resources.h"
#include "stop_signals.h"
#include "video_check.h"

extern char** environ;

namespace {

constexpr int64_t AUDIO_RATE = 48000;  // samples a second in the video

// The descriptor ffmpeg reads the frames from. Its standard input is /dev/null, whatever ours is,
// so that it never takes keys from the terminal nor finds the frames' descriptor there.
constexpr int FRAME_FD = 3;

std::string text(int64_t value) { return std::to_string(value); }

bool endsWith(const char* path, const char* suffix) {
    const size_t length = std::strlen(path);
    const size_t suffixLength = std::strlen(suffix);
    return length >= suffixLength && std::strcmp(path + length - suffixLength, suffix) == 0;
}

std::string absolutePath(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char* directory = getcwd(nullptr, 0);
    const std::string absolute = std::string(directory ? directory : ".") + "/" + path;
    std::free(directory);
    return absolute;
}

// The name as ffmpeg must read it: a relative name such as "pipe:1.mkv" or "md5:x.mkv" would
// otherwise select one of its protocols and write anywhere but the file.
std::string fileUrl(const std::string& path) { return "file:" + absolutePath(path); }

// The soundtrack cut to the frames by sample counts, so its start matches the first frame's
// interval exactly and its length the video's; silence pads a soundtrack that ends early.
std::string audioFilter(const CaptureArguments& arguments) {
    const int64_t start = arguments.firstFrame * AUDIO_RATE / arguments.fps;
    const int64_t end = arguments.endFrame * AUDIO_RATE / arguments.fps;
    return "aresample=" + text(AUDIO_RATE) + ",apad,atrim=start_sample=" + text(start) +
           ":end_sample=" + text(end) + ",asetpts=PTS-STARTPTS";
}

// ffmpeg's command line; it writes `output`, which has the video's extension.
std::vector<std::string> ffmpegArguments(const CaptureArguments& arguments, bool withSoundtrack,
                                         const std::string& output) {
    const std::string size = text(arguments.width) + "x" + text(arguments.height);
    std::vector<std::string> line = {"ffmpeg",    "-hide_banner", "-nostdin",
                                     "-loglevel", "error",        "-y"};
    // Frames a PNG capture wrote decode to the same RGB as those piped raw, so both encode alike.
    if (arguments.encodeDirectory)
        line.insert(
            line.end(),
            {"-framerate", text(arguments.fps), "-start_number", text(arguments.firstFrame), "-i",
             "file:" + pngFramePattern(absolutePath(arguments.encodeDirectory).c_str())});
    else
        line.insert(line.end(),
                    {"-f", "rawvideo", "-pix_fmt", "rgb24", "-video_size", size, "-framerate",
                     text(arguments.fps), "-i", "pipe:" + text(FRAME_FD)});
    // Read as MP3 whatever it holds, as demo reads it.
    if (withSoundtrack)
        line.insert(line.end(), {"-f", "mp3", "-i", fileUrl(sceneFiles.soundtrack), "-map", "0:v",
                                 "-map", "1:a"});
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
    line.push_back(fileUrl(output));
    return line;
}

// Why ffmpeg failed: its line about a failed write of `output` (a full disk), else the last line
// it wrote on its standard error, else how it ended.
std::string failureOf(FILE* log, const std::string& output, int status) {
    const std::string written = writeFailureIn(log, output);
    if (!written.empty()) return written;
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

// `frames` and `log` lie above the standard descriptors (main guards those first), so that no
// step below overwrites a descriptor a later step still needs.
int spawnFfmpeg(const std::vector<std::string>& line, int frames, int log, int* pid) {
    std::vector<char*> argv;
    for (const std::string& word : line) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, log, STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, frames, FRAME_FD);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    // A group of its own: Ctrl-C on the terminal reaches the capture only, which then stops
    // ffmpeg itself, rather than ffmpeg closing a shorter video that looks complete.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int result = posix_spawnp(pid, "ffmpeg", &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

// The temporary file beside the video: its name with ".unfinished-XXXXXX" before the extension,
// which ffmpeg takes the container from. mkstemps makes it private; it gets the mode a new file
// gets. 0, or the errno of the failure.
int createPartFile(const char* path, std::string* partPath) {
    const char* extension = std::strrchr(path, '.');  // the arguments made sure there is one
    std::string name = std::string(path, extension) + ".unfinished-XXXXXX" + extension;
    const int fd = mkstemps(name.data(), static_cast<int>(std::strlen(extension)));
    if (fd < 0) return errno;
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    *partPath = name;
    return 0;
}

// Refuses a directory early: it could only be found out after the whole capture, at the rename.
int checkTarget(const char* path) {
    struct stat status;
    if (stat(path, &status) == 0 && S_ISDIR(status.st_mode)) return EISDIR;
    return 0;
}

void removePartFile(VideoPipe* video) {
    if (!video->partPath.empty()) unlink(video->partPath.c_str());
    video->partPath.clear();
}

// Whether what ffmpeg made, having ended with status 0, is the whole video; a line says why not.
bool wholeVideo(const VideoPipe& video) {
    const std::string failure = writeFailureIn(video.log, absolutePath(video.partPath));
    if (!failure.empty()) {
        std::fprintf(stderr, "capture: %s: ffmpeg failed: %s\n", video.path, failure.c_str());
        return false;
    }
    const std::string missing = checkEncodedVideo(fileUrl(video.partPath), video.expected);
    if (missing.empty()) return true;
    std::fprintf(stderr, "capture: %s: ffmpeg's video is not whole (%s); no video written\n",
                 video.path, missing.c_str());
    return false;
}

// A stop signal may interrupt the wait; the wait goes on.
bool waitFor(int pid, int* status) {
    while (waitpid(pid, status, 0) < 0)
        if (errno != EINTR) return false;
    return true;
}

}  // namespace

int openVideoPipe(const CaptureArguments& arguments, VideoPipe* video) {
    *video =
        VideoPipe{-1, -1, nullptr, arguments.path, std::string(), false, {0, arguments.fps, false}};
    for (const char* tool : {"ffmpeg", "ffprobe"}) {
        if (onPath(tool)) continue;
        std::fprintf(stderr, "capture: %s: not found; install the Debian package ffmpeg\n", tool);
        return 1;
    }
    int error = checkTarget(arguments.path);
    if (error == 0) error = createPartFile(arguments.path, &video->partPath);
    if (error != 0) {
        std::fprintf(stderr, "capture: --video %s: cannot write: %s\n", arguments.path,
                     std::strerror(error));
        return 1;
    }
    // What the presentation plays goes into the video, and only that.
    const bool withSoundtrack = soundtrackPlayable(sceneFiles.soundtrack, "the video has no sound");
    video->expected.withSound = withSoundtrack;
    // ffmpeg counts the PNG frames itself; those piped are counted as they go.
    if (arguments.encodeDirectory) video->expected.frames = capturedFrameCount(arguments);

    int ends[2];
    video->log = std::tmpfile();
    if (!video->log || pipe2(ends, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "capture: --video %s: cannot set up the pipe to ffmpeg: %s\n",
                     arguments.path, std::strerror(errno));
        removePartFile(video);
        return 1;
    }
    const int spawned = spawnFfmpeg(ffmpegArguments(arguments, withSoundtrack, video->partPath),
                                    ends[0], fileno(video->log), &video->pid);
    close(ends[0]);
    if (spawned != 0) {
        close(ends[1]);
        video->pid = -1;
        removePartFile(video);
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
        if (written < 0 && errno == EINTR) {
            if (stopSignal() != 0) return 1;
            continue;
        }
        if (written <= 0) {
            video->refused = true;
            return 1;
        }
        rgb += written;
        size -= static_cast<size_t>(written);
    }
    ++video->expected.frames;
    return 0;
}

void waitVideoPipeEnd(const VideoPipe& video) {
    siginfo_t ended = {};
    while (stopSignal() == 0 && ended.si_pid == 0) {
        if (waitid(P_PID, static_cast<id_t>(video.pid), &ended, WEXITED | WNOWAIT | WNOHANG) != 0)
            return;
        if (ended.si_pid == 0) usleep(100000);
    }
}

int closeVideoPipe(VideoPipe* video, bool keep) {
    if (video->frameFd >= 0) close(video->frameFd);
    video->frameFd = -1;
    const bool ownFailure = video->refused || keep;
    if (!ownFailure && video->pid > 0) kill(video->pid, SIGTERM);
    int status = 0;
    const bool waited = video->pid > 0 && waitFor(video->pid, &status);
    video->pid = -1;
    const bool encoded = waited && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!encoded && ownFailure && video->log)
        std::fprintf(stderr, "capture: %s: ffmpeg failed: %s\n", video->path,
                     failureOf(video->log, absolutePath(video->partPath), status).c_str());
    const bool whole = encoded && keep && wholeVideo(*video);
    if (video->log) std::fclose(video->log);
    video->log = nullptr;
    if (whole) {
        if (rename(video->partPath.c_str(), video->path) == 0) {
            video->partPath.clear();
            return 0;
        }
        std::fprintf(stderr, "capture: --video %s: cannot write: %s\n", video->path,
                     std::strerror(errno));
    }
    removePartFile(video);
    return 1;
}
