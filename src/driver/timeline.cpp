#include "driver/timeline.h"

#include "platform/platform.h"
#include "scenes/demo_clock.h"
#include "scenes/overlay.h"
#include "scenes/scenes.h"

const SceneWindow sceneWindows[SCENE_COUNT] = {
    {0.0, 10.0, drawSceneOne},
    {10.0, 30.0, drawSceneTwo},
    {30.0, 60.0, drawSceneThree},
    {60.0, 80.0, drawSceneFour},
};
static_assert(sizeof(sceneWindows) / sizeof(sceneWindows[0]) == SCENE_COUNT);

int advanceTimeline(float* counter, double t) {
    *counter += 1.0f;
    int chosen = -1;
    // Every row is tested on every pass; the windows do not overlap, so at most one is chosen.
    for (int i = 0; i < SCENE_COUNT; ++i) {
        const SceneWindow& w = sceneWindows[i];
        if (!(t > w.start)) continue;
        if (t < w.start + COUNTER_RESET_SPAN) *counter = 0.0f;
        if (t < w.end) chosen = i;
    }
    return chosen;
}

double stepTimeline() {
    const double t = platform.now() - static_cast<double>(demoClock.origin);
    const int scene = advanceTimeline(&demoClock.sceneCounter, t);
    if (scene >= 0) sceneWindows[scene].draw();
    return t;
}

void skipPass(double t) {
    advanceTimeline(&demoClock.sceneCounter, t);
    fadeAlpha = stepFadeAlpha(fadeAlpha, fadeModeAt(t));
}
