#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "driver/pacer.h"
#include "platform/platform.h"
#include "support/virtual_platform.h"

namespace {

constexpr double PERIOD = 1.0 / 60.0;

TEST(Pacer, SleepsExactlyTheRestOfThePeriod) {
    installVirtualPlatform();
    framePacer.lastFrameMark = 5.0;
    virtualPlatform.clock = 5.004;
    limitFrameRate(60.0);
    ASSERT_EQ(virtualPlatform.sleeps.size(), 1u);
    EXPECT_DOUBLE_EQ(virtualPlatform.sleeps[0], PERIOD - (5.004 - 5.0));
    EXPECT_NEAR(virtualPlatform.sleeps[0], 0.012667, 1e-6);
    EXPECT_DOUBLE_EQ(framePacer.lastFrameMark, virtualPlatform.clock);
}

TEST(Pacer, DoesNotSleepAtOrPastOnePeriod) {
    EXPECT_EQ(pacerSleepSeconds(PERIOD, PERIOD), 0.0);
    EXPECT_EQ(pacerSleepSeconds(PERIOD, PERIOD + 1e-9), 0.0);
    EXPECT_EQ(pacerSleepSeconds(PERIOD, 3.0), 0.0);
    EXPECT_EQ(pacerSleepSeconds(PERIOD, std::numeric_limits<double>::quiet_NaN()), 0.0);

    installVirtualPlatform();
    framePacer.lastFrameMark = 1.0;
    virtualPlatform.clock = 1.5;
    limitFrameRate(60.0);
    EXPECT_TRUE(virtualPlatform.sleeps.empty());
    EXPECT_DOUBLE_EQ(framePacer.lastFrameMark, 1.5);
}

TEST(Pacer, NaNClockReadingDoesNotSleep) {
    installVirtualPlatform();
    virtualPlatform.clock = std::numeric_limits<double>::quiet_NaN();
    limitFrameRate(60.0);
    EXPECT_TRUE(virtualPlatform.sleeps.empty());
}

TEST(Pacer, FirstCallMeasuresFromTheClocksZero) {
    installVirtualPlatform();
    virtualPlatform.clock = 0.2;  // start-up took longer than a period
    limitFrameRate(60.0);
    EXPECT_TRUE(virtualPlatform.sleeps.empty());
    EXPECT_DOUBLE_EQ(framePacer.lastFrameMark, 0.2);

    installVirtualPlatform();
    virtualPlatform.clock = 0.01;
    limitFrameRate(60.0);
    ASSERT_EQ(virtualPlatform.sleeps.size(), 1u);
    EXPECT_DOUBLE_EQ(virtualPlatform.sleeps[0], PERIOD - 0.01);
}

// The platform's sleep overshoots by 2 ms; the next budget starts from the real wake-up.
double overshootingClock = 0.0;
double overshootingNow() { return overshootingClock; }
void overshootingSleep(double seconds) { overshootingClock += seconds + 0.002; }

TEST(Pacer, OvershootAndLongPassesAreNotPaidBack) {
    installVirtualPlatform();
    platform.now = overshootingNow;
    platform.sleep = overshootingSleep;
    overshootingClock = 0.0;
    limitFrameRate(60.0);
    EXPECT_DOUBLE_EQ(framePacer.lastFrameMark, PERIOD + 0.002);

    // A pass whose work took 30 ms: no sleep, and the next budget starts at the call.
    overshootingClock = framePacer.lastFrameMark + 0.030;
    const double callTime = overshootingClock;
    limitFrameRate(60.0);
    EXPECT_DOUBLE_EQ(framePacer.lastFrameMark, callTime);

    // Then a short pass sleeps a full period's rest, not less.
    overshootingClock += 0.005;
    limitFrameRate(60.0);
    EXPECT_NEAR(framePacer.lastFrameMark - callTime, PERIOD + 0.002, 1e-12);
}

}  // namespace
