#include "driver/timeline.h"

#include "platform/platform.h"
#include "scenes/demo_clock.h"
#include "scenes/overlay.h"
#include "scenes/scenes.h"

namespace {

// Windows that meet end to start, from 0, never overlap: advanceTimeline relies on that to choose
// at most one scene, and the fades on it to keep their windows apart.
constexpr bool scenesFollowEachOther() {
    for (int i = 0; i < SCENE_COUNT; ++i) {
        const double previousEnd = i == 0 ? 0.0 : scenes[i - 1].end;
        if (scenes[i].start != previousEnd || !(scenes[i].end > scenes[i].start)) return false;
        if (!(2.0 * scenes[i].fadeSeconds <= scenes[i].end - scenes[i].start)) return false;
    }
    return true;
}
static_assert(scenesFollowEachOther());

}  // namespace

int advanceTimeline(float* counter, double t) {
    *counter += 1.0f;
    int chosen = -1;
    // Every row is tested on every pass; the windows do not overlap, so at most one is chosen.
    for (int i = 0; i < SCENE_COUNT; ++i) {
        const Scene& w = scenes[i];
        if (!(t > w.start)) continue;
        if (t < w.start + COUNTER_RESET_SPAN) *counter = 0.0f;
        if (t < w.end) chosen = i;
    }
    return chosen;
}

double stepTimeline() {
    const double t = platform.now() - static_cast<double>(demoClock.origin);
    const int scene = advanceTimeline(&demoClock.sceneCounter, t);
    if (scene >= 0) scenes[scene].draw();
    return t;
}

void skipPass(double t) {
    advanceTimeline(&demoClock.sceneCounter, t);
    fadeAlpha = stepFadeAlpha(fadeAlpha, fadeModeAt(t));
}
