#include <gtest/gtest.h>

#include <cmath>

#include "driver/timeline.h"
#include "scenes/demo_clock.h"
#include "support/gl_context.h"
#include "support/virtual_platform.h"

namespace {

// The scene drawn at t with a counter that is not in a reset window.
int sceneAt(double t) {
    float counter = 5.0f;
    return advanceTimeline(&counter, t);
}

TEST(Timeline, DrawsEachSceneOnlyStrictlyInsideItsWindow) {
    for (int scene = 0; scene < SCENE_COUNT; ++scene) {
        const double start = scenes[scene].start;
        const double end = scenes[scene].end;
        EXPECT_EQ(sceneAt(std::nextafter(start, 1e9)), scene) << "just after " << start;
        EXPECT_EQ(sceneAt((start + end) / 2), scene);
        EXPECT_EQ(sceneAt(std::nextafter(end, 0.0)), scene) << "just before " << end;
        EXPECT_EQ(sceneAt(end), -1) << "exactly " << end;
    }
    EXPECT_EQ(sceneAt(0.0), -1);
    EXPECT_EQ(sceneAt(-0.5), -1);
    EXPECT_EQ(sceneAt(std::nextafter(TIMELINE_END, 1e9)), -1);
}

TEST(Timeline, CounterIsZeroDuringTheFirstTenthOfEachSceneThenCountsOn) {
    for (const Scene& scene : scenes) {
        const double start = scene.start;
        float counter = 417.0f;
        advanceTimeline(&counter, start + 0.02);
        EXPECT_EQ(counter, 0.0f) << start;
        advanceTimeline(&counter, start + 0.09);
        EXPECT_EQ(counter, 0.0f) << start;
        // The first pass after the reset window draws with 1.
        advanceTimeline(&counter, start + 0.1);
        EXPECT_EQ(counter, 1.0f) << start;
        advanceTimeline(&counter, start + 0.12);
        EXPECT_EQ(counter, 2.0f) << start;
    }
    float counter = 7.0f;
    advanceTimeline(&counter, 10.0);  // the bound itself is outside the reset window
    EXPECT_EQ(counter, 8.0f);
    counter = 1.0f;  // the initial value: a start slower than the reset window draws with 2
    EXPECT_EQ(advanceTimeline(&counter, 0.15), 0);
    EXPECT_EQ(counter, 2.0f);
    // A stall across a boundary, no pass inside 10 < t < 10.1: the count of scene one goes on.
    counter = 500.0f;
    EXPECT_EQ(advanceTimeline(&counter, 10.5), 1);
    EXPECT_EQ(counter, 501.0f);
}

TEST(Timeline, StepMeasuresFromTheOriginAndAdvancesTheSharedCounter) {
    ASSERT_TRUE(requireGlContext());  // the step draws the scene of the moment
    installVirtualPlatform();
    demoClock.origin = 2.5f;
    virtualPlatform.clock = 14.5;
    EXPECT_DOUBLE_EQ(stepTimeline(), 12.0);
    EXPECT_EQ(demoClock.sceneCounter, 2.0f);
    virtualPlatform.clock = 12.55;  // t = 10.05, scene two's reset window
    EXPECT_DOUBLE_EQ(stepTimeline(), 10.05);
    EXPECT_EQ(demoClock.sceneCounter, 0.0f);
}

}  // namespace
