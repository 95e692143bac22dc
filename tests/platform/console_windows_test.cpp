// Each test runs in a process of its own (one per CTest test), so the streams it moves stay moved
// for nothing else; the test's own output is set aside and restored around the move.
#include <gtest/gtest.h>

#include <io.h>

#include <cstdio>
#include <string>

#include "platform/console.h"
#include "support/text.h"

namespace {

const char CONSOLE_FILE[] = "console_test_device.txt";

// What reaches the streams' targets after reopenStreamsOnConsole with the device at `path`, the
// streams pointing at `streams` before it.
std::string printedAfterReopen(const char* path, const char* streams) {
    std::fflush(nullptr);
    const int savedOut = _dup(1);
    const int savedErr = _dup(2);
    std::FILE* before = std::freopen(streams, "w", stdout);
    _dup2(_fileno(before), 2);
    consoleDevice.path = path;
    reopenStreamsOnConsole();
    std::fputs("out ", stdout);
    std::fflush(stdout);
    std::fputs("err", stderr);
    std::fflush(nullptr);
    _dup2(savedOut, 1);
    _dup2(savedErr, 2);
    return fileBytes(streams);
}

TEST(Console, BothStreamsFollowTheConsoleWhenItOpens) {
    std::fclose(std::fopen(CONSOLE_FILE, "w"));
    EXPECT_EQ(printedAfterReopen(CONSOLE_FILE, "streams.txt"), "");
    EXPECT_EQ(fileBytes(CONSOLE_FILE), "out err");
    std::remove(CONSOLE_FILE);
    std::remove("streams.txt");
}

TEST(Console, WithoutAConsoleTheStreamsKeepTheirTargets) {
    EXPECT_EQ(printedAfterReopen("Z:\\nonexistent\\console", "streams.txt"), "out err");
    std::remove("streams.txt");
}

}  // namespace
