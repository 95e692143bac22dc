// What a whole process prints, from a forked child (POSIX only: the suites that use it are left
// out of the Windows build). text = outputOfChild([] { ... });
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/text.h"

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
