#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/console.h"

namespace {

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Runs `body` in a child whose stdout and stderr go to a file, and returns what the file got.
std::string outputOfChild(void (*body)()) {
    char path[] = "/tmp/console_test_XXXXXX";
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

const char CONSOLE_FILE[] = "/tmp/console_test_device";

TEST(Console, BothStreamsFollowTheConsoleWhenItOpens) {
    std::remove(CONSOLE_FILE);
    std::fclose(std::fopen(CONSOLE_FILE, "w"));
    const std::string given = outputOfChild([] {
        consoleDevice.path = CONSOLE_FILE;
        reopenStreamsOnConsole();
        std::fputs("out ", stdout);
        std::fflush(stdout);
        std::fputs("err", stderr);
    });
    EXPECT_EQ(given, "");
    EXPECT_EQ(fileBytes(CONSOLE_FILE), "out err");
    std::remove(CONSOLE_FILE);
}

TEST(Console, WithoutAConsoleTheStreamsKeepTheirTargets) {
    const std::string given = outputOfChild([] {
        consoleDevice.path = "/nonexistent/console";
        reopenStreamsOnConsole();
        std::fputs("out ", stdout);
        std::fflush(stdout);
        std::fputs("err", stderr);
    });
    EXPECT_EQ(given, "out err");
}

}  // namespace
