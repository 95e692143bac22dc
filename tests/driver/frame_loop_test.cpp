#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/frame_loop.h"
#include "platform/platform.h"
#include "support/gl_context.h"
#include "support/text.h"
#include "support/virtual_platform.h"

namespace {

class FrameLoop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(requireGlContext());
        installVirtualPlatform();
        virtualPlatform.passWork = 0.005;
    }
};

TEST_F(FrameLoop, ReportsOncePerSecondOnStderrAndPlaysToTheEnd) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(runTimeline(), 0);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::vector<std::string> report = lines(testing::internal::GetCapturedStderr());

    EXPECT_EQ(out, "");
    ASSERT_GE(report.size(), 79u);
    ASSERT_LE(report.size(), 80u);
    for (const std::string& line : report) {
        EXPECT_TRUE(isReportLine(line)) << line;
        const double ms = std::stod(line);
        EXPECT_GT(ms, 16.3) << line;
        EXPECT_LT(ms, 17.0) << line;
    }
    EXPECT_EQ(virtualPlatform.terminations, 1);
}

TEST_F(FrameLoop, PassThatFindsTheEndPresentsNothing) {
    double lastPresented = 0.0;
    virtualPlatform.onSwap = [&](int) { lastPresented = virtualPlatform.clock; };
    stderrOf([&] { runTimeline(); });
    // Every pass sleeps once (its work is shorter than a period); the last one is never swapped.
    EXPECT_EQ(virtualPlatform.sleeps.size(), static_cast<size_t>(virtualPlatform.swaps) + 1);
    EXPECT_LE(lastPresented - virtualPlatform.passWork, 80.0);
    EXPECT_GT(virtualPlatform.clock, 80.0);
}

TEST_F(FrameLoop, StallReportsFullSecondsUntilTheMarkCatchesUp) {
    virtualPlatform.onSwap = [](int swap) {
        if (swap == 10) virtualPlatform.clock += 3.5;
        if (swap == 14) virtualPlatform.escape = true;
    };
    const std::vector<std::string> report = lines(stderrOf([&] { runTimeline(); }));
    // The pass after the stall closes the first window with 11 passes; the mark then trails the
    // clock by more than a second twice more.
    const std::vector<std::string> expected = {"90.909091 ms/frame", "1000.000000 ms/frame",
                                               "1000.000000 ms/frame"};
    EXPECT_EQ(report, expected);
    EXPECT_EQ(virtualPlatform.swaps, 14);
}

// Either way out ends the loop after the frame of that pass is presented.
TEST_F(FrameLoop, EscapeOrAClosedWindowAtTheFirstPassPresentsExactlyOneFrame) {
    virtualPlatform.escape = true;
    EXPECT_EQ(runTimeline(), 0);
    EXPECT_EQ(virtualPlatform.swaps, 1);
    EXPECT_EQ(virtualPlatform.terminations, 1);

    installVirtualPlatform();
    virtualPlatform.windowOpen = false;
    EXPECT_EQ(runTimeline(), 0);
    EXPECT_EQ(virtualPlatform.swaps, 1);
    EXPECT_EQ(virtualPlatform.terminations, 1);
}

}  // namespace
