// Runs a program, or a function of the test, in a child process: for what a whole process prints,
// the status it ends with, or a crash that must not take the test with it. The child starts in a
// session of its own (no controlling terminal, which the program would send its streams to), and
// a hang guard ends it and fails the test when it runs too long. POSIX only: the Windows build
// leaves the suites that use it out. Also the fixture copy such runs start from.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "support/text.h"

enum class Stream {
    Captured,    // stdout or stderr into the run's text; stdin reads /dev/null
    Null,        // /dev/null
    Closed,      // no descriptor at all: the next file the child opens takes the number
    BrokenPipe,  // a pipe whose reader is gone before anything is written
    ToStdout,    // stderr only: where stdout goes (2>&1), the two in the order written
};

struct ChildOptions {
    std::string directory;                      // to run in; empty: the test's own
    std::vector<std::string> environment = {};  // "NAME=value" sets, "NAME" unsets
    Stream streams[3] = {Stream::Captured, Stream::Captured, Stream::Captured};
    unsigned hangSeconds = 60;  // still running then, the child is ended and the test fails
};

struct ChildRun {
    int status;  // exit status, or 128 + the signal that ended it, as a shell shows it
    std::string out;
    std::string err;
};

// A started child; ended with SIGKILL if it is not finished.
class Child {
public:
    // `arguments` starts with the program, a path or a name looked up in PATH.
    Child(const std::vector<std::string>& arguments, const ChildOptions& options)
        : name_(arguments.at(0)) {
        start(options, [&arguments] {
            CommandLine line(arguments[0], {arguments.begin() + 1, arguments.end()});
            execvp(arguments[0].c_str(), line.argv());
            std::fprintf(stderr, "child: cannot run %s: %s\n", line.argv()[0],
                         std::strerror(errno));
            _exit(127);
        });
    }
    // The child's status is what `body` returns, 0 if it returns nothing.
    template <typename Body, typename = std::enable_if_t<std::is_invocable_v<Body&>>>
    Child(Body body, const ChildOptions& options) {
        start(options, [&body] {
            int status = 0;
            if constexpr (std::is_void_v<decltype(body())>)
                body();
            else
                status = body();
            std::fflush(nullptr);
            _exit(status);  // the test's atexit handlers and static objects are not the child's
        });
    }
    ~Child() { finish(SIGKILL); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    std::string outputSoFar() const { return fileBytes(path(1)) + fileBytes(path(2)); }

    // Calls `reached` every 20 ms while the child runs (it stays unreaped); false when the child
    // ended first.
    template <typename Condition>
    bool runsUntil(Condition reached) const {
        for (;; usleep(20000)) {
            siginfo_t info = {};
            if (pid_ <= 0 ||
                waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
                info.si_pid == pid_)
                return false;
            if (reached()) return true;
        }
    }
    bool endsWithin(double seconds) const {
        int polls = static_cast<int>(seconds * 50);
        return !runsUntil([&polls] { return polls-- <= 0; });
    }

    // Waits for the end, after sending `signal` if one is given, and takes what it printed.
    ChildRun finish(int signal = 0) {
        ChildRun run = {-1, fileBytes(path(1)), fileBytes(path(2))};
        if (pid_ > 0) {
            if (signal) kill(pid_, signal);
            int wait = 0;
            waitpid(pid_, &wait, 0);
            run = {WIFEXITED(wait) ? WEXITSTATUS(wait) : 128 + WTERMSIG(wait), fileBytes(path(1)),
                   fileBytes(path(2))};
            if (WIFSIGNALED(wait) && WTERMSIG(wait) == SIGALRM && signal != SIGALRM) {
                kill(-pid_, SIGKILL);  // and whatever it started in its session
                ADD_FAILURE() << name_ << " hung: still running after " << hangSeconds_
                              << " s, it was ended";
            }
            pid_ = -1;
        }
        if (!captures_.empty()) std::filesystem::remove_all(captures_);
        captures_.clear();
        return run;
    }

private:
    pid_t pid_ = -1;
    std::string captures_;  // a directory of its own for stdout.txt and stderr.txt
    unsigned hangSeconds_ = 0;
    std::string name_ = "the child";  // for the message when it hangs

    std::string path(int fd) const {
        return captures_.empty() ? "" : captures_ + (fd == 1 ? "/stdout.txt" : "/stderr.txt");
    }

    static void moveDescriptor(int opened, int fd) {
        if (opened < 0) _exit(126);
        if (opened == fd) return;
        dup2(opened, fd);
        close(opened);
    }

    void setStream(int fd, Stream stream) const {
        int ends[2] = {-1, -1};
        if (stream == Stream::Captured && fd != 0) {
            moveDescriptor(open(path(fd).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), fd);
        } else if (stream == Stream::Captured || stream == Stream::Null) {
            moveDescriptor(open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY), fd);
        } else if (stream == Stream::BrokenPipe) {
            if (pipe(ends) != 0) _exit(126);
            moveDescriptor(ends[1], fd);
            if (ends[0] != fd) close(ends[0]);
        } else if (stream == Stream::ToStdout) {
            dup2(1, fd);
        }
    }

    template <typename InChild>
    void start(const ChildOptions& options, InChild inChild) {
        hangSeconds_ = options.hangSeconds;
        char pattern[] = "/tmp/child_run_XXXXXX";
        if (!mkdtemp(pattern)) {
            ADD_FAILURE() << "no directory for the child's output: " << std::strerror(errno);
            return;
        }
        captures_ = pattern;
        std::fflush(nullptr);  // or what the test has buffered is written by the child too
        pid_ = fork();
        if (pid_ < 0) ADD_FAILURE() << "fork failed: " << std::strerror(errno);
        if (pid_ != 0) return;
        setsid();
        for (int fd = 0; fd <= 2; ++fd) setStream(fd, options.streams[fd]);
        // Closed last, so that no other stream takes the number meanwhile.
        for (int fd = 0; fd <= 2; ++fd)
            if (options.streams[fd] == Stream::Closed) close(fd);
        if (!options.directory.empty() && chdir(options.directory.c_str()) != 0) {
            std::fprintf(stderr, "child: cannot enter %s\n", options.directory.c_str());
            _exit(127);
        }
        for (const std::string& entry : options.environment) {
            const size_t equals = entry.find('=');
            if (equals == std::string::npos)
                unsetenv(entry.c_str());
            else
                setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
        }
        alarm(options.hangSeconds);  // kept across exec
        inChild();
    }
};

inline ChildRun runProgram(const std::vector<std::string>& arguments,
                           const ChildOptions& options = {}) {
    return Child(arguments, options).finish();
}

template <typename Body>
ChildRun runInChild(Body body, const ChildOptions& options = {}) {
    return Child(body, options).finish();
}

// All that `body` prints on stdout and stderr, in the order written, run in a child.
template <typename Body>
std::string printedInChild(Body body, ChildOptions options = {}) {
    options.streams[2] = Stream::ToStdout;
    return runInChild(body, options).out;
}

// A fresh copy of the fixture asset set in `dir`, removed with everything beside it in `root`.
struct AssetCopy {
    std::string root;
    std::string dir;
    explicit AssetCopy(const std::vector<std::string>& removed = {}) {
        char pattern[] = "/tmp/assets_XXXXXX";
        root = mkdtemp(pattern) ? pattern : "/tmp/assets_failed";
        dir = root + "/assets";
        std::filesystem::copy(std::string(DEMO_TEST_DATA) + "/assets", dir);
        for (const std::string& name : removed) std::filesystem::remove(*this / name);
    }
    ~AssetCopy() { std::filesystem::remove_all(root); }
    AssetCopy(const AssetCopy&) = delete;
    AssetCopy& operator=(const AssetCopy&) = delete;
    std::string operator/(const std::string& name) const { return dir + "/" + name; }
};
