#include "video_check.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;

namespace {

// The lines of a file written by a child, from its start, without their line ends.
std::vector<std::string> linesOf(FILE* file) {
    std::vector<std::string> lines;
    char line[512];
    std::rewind(file);
    while (std::fgets(line, sizeof line, file)) {
        line[std::strcspn(line, "\r\n")] = '\0';
        if (line[0] != '\0') lines.push_back(line);
    }
    return lines;
}

// ffmpeg's failed writes say "writ..." ("Error writing trailer", "av_interleaved_write_frame()")
// or name the file ("Error closing file").
bool tellsOfWriting(const std::string& line, const std::string& output) {
    if (line.find(output) != std::string::npos) return true;
    std::string lower = line;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower.find("writ") != std::string::npos;
}

// The text of a library's line without the "[matroska,webm @ 0x...] " that leads it.
std::string withoutContext(const std::string& line) {
    if (line.empty() || line[0] != '[') return line;
    const size_t end = line.find("] ");
    return end == std::string::npos ? line : line.substr(end + 2);
}

struct Probe {
    int64_t videoPackets = -1;  // -1: no video stream
    int64_t soundPackets = -1;
    double duration = -1.0;  // seconds, -1 when the file gives none
    std::string error;       // ffprobe's first error line, empty when it had none
};

// Runs ffprobe on `path` with its output and errors in `out` and `errors`; -1 when it could not
// start, else its wait status. It runs in a group of its own, as ffmpeg does, so that Ctrl-C
// reaches the capture only.
int runFfprobe(const std::string& path, FILE* out, FILE* errors) {
    const char* argv[] = {"ffprobe",       "-v",
                          "error",         "-count_packets",
                          "-show_entries", "stream=codec_type,nb_read_packets:format=duration",
                          "-of",           "default=noprint_wrappers=1",
                          path.c_str(),    nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fileno(out), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fileno(errors), STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "ffprobe", &actions, &attributes,
                                     const_cast<char* const*>(argv), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        errno = spawned;
        return -1;
    }
    int status = 0;
    // A stop signal interrupts the wait; ffprobe is quick, so it is waited for all the same.
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return status;
}

// ffprobe's "key=value" lines: a stream's codec_type comes before its nb_read_packets.
void readProbe(FILE* out, Probe* probe) {
    std::string type;
    for (const std::string& line : linesOf(out)) {
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const char* value = line.c_str() + equals + 1;
        if (key == "codec_type") type = value;
        if (key == "duration" && std::isdigit(static_cast<unsigned char>(value[0])))
            probe->duration = std::strtod(value, nullptr);
        if (key != "nb_read_packets") continue;
        const int64_t packets = std::strtoll(value, nullptr, 10);
        if (type == "video" && probe->videoPackets < 0) probe->videoPackets = packets;
        if (type == "audio" && probe->soundPackets < 0) probe->soundPackets = packets;
    }
}

}  // namespace

std::string writeFailureIn(FILE* log, const std::string& output) {
    for (const std::string& line : linesOf(log))
        if (tellsOfWriting(line, output)) return line;
    return std::string();
}

std::string checkEncodedVideo(const std::string& path, const ExpectedVideo& expected) {
    FILE* out = std::tmpfile();
    FILE* errors = std::tmpfile();
    Probe probe;
    int status = -1;
    if (out && errors) status = runFfprobe(path, out, errors);
    const int startError = out && errors ? errno : ENOMEM;
    if (status != -1) readProbe(out, &probe);
    const std::vector<std::string> errorLines =
        errors ? linesOf(errors) : std::vector<std::string>();
    if (!errorLines.empty()) probe.error = withoutContext(errorLines.front());
    if (out) std::fclose(out);
    if (errors) std::fclose(errors);

    if (status == -1) return std::string("ffprobe cannot be run: ") + std::strerror(startError);
    if (!probe.error.empty()) return "ffprobe cannot read it back: " + probe.error;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "ffprobe cannot read it back: it ended with status " +
               std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
    if (probe.videoPackets != expected.frames)
        return "it holds " + std::to_string(std::max<int64_t>(probe.videoPackets, 0)) + " of " +
               std::to_string(expected.frames) + " frames";
    if (expected.withSound && probe.soundPackets <= 0) return "it has no sound";
    // Sound is cut to the pictures' end, and containers round times to a millisecond.
    const double seconds = static_cast<double>(expected.frames) / expected.fps;
    if (std::fabs(probe.duration - seconds) > 1.0 / expected.fps + 0.002)
        return "it lasts " + std::to_string(probe.duration) + " s, not " + std::to_string(seconds) +
               " s";
    return std::string();
}

bool onPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string directories = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= directories.size();) {
        size_t end = directories.find(':', start);
        if (end == std::string::npos) end = directories.size();
        const std::string directory = end > start ? directories.substr(start, end - start) : ".";
        if (access((directory + "/" + program).c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}
