// Small helpers the suites share: a file's bytes, a text's lines, and what code prints.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

inline std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// What `body` prints on stderr.
template <typename Body>
std::string stderrOf(Body body) {
    testing::internal::CaptureStderr();
    body();
    return testing::internal::GetCapturedStderr();
}

// Runs `body` in a forked child whose stdout and stderr go to a file, and returns what the file
// got: for what a process prints (or stops printing) without disturbing the test's own streams.
inline std::string outputOfChild(void (*body)()) {
    char path[] = "/tmp/child_output_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return "mkstemp failed";
    const pid_t child = fork();
    if (child == 0) {
        dup2(fd, STDOUT_FILENO);
        dup2(fd, STDERR_FILENO);
        body();
        std::fflush(nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    close(fd);
    const std::string text = fileBytes(path);
    std::remove(path);
    return text;
}
