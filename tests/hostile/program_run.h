// The real programs run as a hostile user starts them: from a copy of the fixture assets, with
// chosen descriptors and environment, detached from any terminal, under a hang guard.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/text.h"

// A run still going after this long is ended by SIGALRM: it hangs.
constexpr unsigned HANG_GUARD_SECONDS = 60;

// stdin captured is /dev/null, stdout and stderr go to files beside the asset copy.
enum StreamSetup { STREAM_CAPTURED = 0, STREAM_CLOSED, STREAM_BROKEN_PIPE };

struct ProgramCall {
    std::vector<std::string> arguments;         // the program first
    std::string directory;                      // to run in; the outputs go to its parent
    std::vector<std::string> environment = {};  // "NAME=value" sets, "NAME" unsets
    StreamSetup streams[3] = {};
};

struct ProgramRun {
    int status;  // exit status, or 128 + the signal that ended it, as a shell shows it
    std::string out;
    std::string err;
};

// A fresh copy of the fixture asset set in `dir`, removed with everything beside it in `root`.
struct AssetCopy {
    std::string root;
    std::string dir;
    AssetCopy() {
        char pattern[] = "/tmp/hostile_XXXXXX";
        root = mkdtemp(pattern) ? pattern : "/tmp/hostile_failed";
        dir = root + "/assets";
        std::filesystem::copy(std::string(DEMO_TEST_DATA) + "/assets", dir);
    }
    ~AssetCopy() { std::filesystem::remove_all(root); }
    std::string operator/(const std::string& name) const { return dir + "/" + name; }
};

inline std::string outputPath(const ProgramCall& call, int fd) {
    return call.directory + (fd == 1 ? "/../stdout.txt" : "/../stderr.txt");
}

inline void moveDescriptor(int opened, int fd) {
    if (opened < 0) _exit(98);
    if (opened == fd) return;
    dup2(opened, fd);
    close(opened);
}

[[noreturn]] inline void executeProgram(const ProgramCall& call) {
    setsid();  // no controlling terminal, which the program would send its streams to
    if (chdir(call.directory.c_str()) != 0) _exit(96);
    for (const std::string& entry : call.environment) {
        const size_t equals = entry.find('=');
        if (equals == std::string::npos)
            unsetenv(entry.c_str());
        else
            setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
    for (int fd = 0; fd <= 2; ++fd) {
        int ends[2] = {-1, -1};
        if (call.streams[fd] == STREAM_BROKEN_PIPE && pipe(ends) == 0) {
            moveDescriptor(ends[1], fd);
            if (ends[0] != fd) close(ends[0]);  // the reader is gone before anything is written
        } else if (call.streams[fd] == STREAM_CAPTURED) {
            const int flags = O_WRONLY | O_CREAT | O_TRUNC;
            moveDescriptor(fd == 0 ? open("/dev/null", O_RDONLY)
                                   : open(outputPath(call, fd).c_str(), flags, 0644),
                           fd);
        }
    }
    for (int fd = 0; fd <= 2; ++fd)
        if (call.streams[fd] == STREAM_CLOSED) close(fd);
    std::vector<char*> argv;
    for (const std::string& word : call.arguments) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    alarm(HANG_GUARD_SECONDS);  // kept across exec
    execv(argv[0], argv.data());
    _exit(95);
}

inline pid_t startProgram(const ProgramCall& call) {
    const pid_t child = fork();
    if (child == 0) executeProgram(call);
    return child;
}

inline ProgramRun finishProgram(pid_t pid, const ProgramCall& call) {
    int wait = 0;
    waitpid(pid, &wait, 0);
    const int status = WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait);
    return ProgramRun{status, fileBytes(outputPath(call, 1)), fileBytes(outputPath(call, 2))};
}

inline ProgramRun runProgram(const ProgramCall& call) {
    return finishProgram(startProgram(call), call);
}

// Polls `reached` every 20 ms while the started program runs (it is not reaped); false when the
// program ended first.
template <typename Condition>
bool waitWhileRunning(pid_t pid, Condition reached) {
    for (;; usleep(20000)) {
        siginfo_t info = {};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
            info.si_pid == pid)
            return false;
        if (reached()) return true;
    }
}

// stderr without the once-a-second reports and the capture's summary.
inline std::vector<std::string> warningLines(const std::string& err) {
    const std::regex chatter("^[0-9]+\\.[0-9]{6} ms/frame$|^capture: [0-9]+ frames .*");
    std::vector<std::string> warnings;
    for (const std::string& line : lines(err))
        if (!std::regex_match(line, chatter)) warnings.push_back(line);
    return warnings;
}
