#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "driver/pacer.h"
#include "platform/platform.h"
#include "support/virtual_platform.h"

namespace {

constexpr double PERIOD = 1.0 / 60.0;

// The rest of the period since the last mark, measured from the clock's zero on the first call;
// nothing at or past a whole period, nor when the clock reads NaN.
TEST(Pacer, SleepsTheRestOfThePeriodSinceTheLastMarkAndNeverMore) {
    const double NaN = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double mark, clock, sleep;  // seconds
    } cases[] = {
        {5.0, 5.004, PERIOD - 0.004},
        {0.0, 0.01, PERIOD - 0.01},
        {0.0, 0.2, 0.0},
        {1.0, 1.0 + PERIOD, 0.0},
        {1.0, 1.5, 0.0},
        {0.0, NaN, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mark << " " << c.clock);
        installVirtualPlatform();
        framePacer.lastFrameMark = c.mark;
        virtualPlatform.clock = c.clock;
        limitFrameRate(60.0);
        const double slept = virtualPlatform.sleeps.empty() ? 0.0 : virtualPlatform.sleeps[0];
        EXPECT_LE(virtualPlatform.sleeps.size(), 1u);
        EXPECT_NEAR(slept, c.sleep, 1e-12);
        if (!std::isnan(c.clock)) {
            EXPECT_DOUBLE_EQ(framePacer.lastFrameMark, virtualPlatform.clock);
        }
    }
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
