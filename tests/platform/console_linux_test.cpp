#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/console.h"
#include "support/child_run.h"
#include "support/text.h"

namespace {

const char CONSOLE_FILE[] = "/tmp/console_test_device";

TEST(Console, BothStreamsFollowTheConsoleWhenItOpens) {
    std::remove(CONSOLE_FILE);
    std::fclose(std::fopen(CONSOLE_FILE, "w"));
    const std::string given = printedInChild([] {
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
    const std::string given = printedInChild([] {
        consoleDevice.path = "/nonexistent/console";
        reopenStreamsOnConsole();
        std::fputs("out ", stdout);
        std::fflush(stdout);
        std::fputs("err", stderr);
    });
    EXPECT_EQ(given, "out err");
}

}  // namespace
