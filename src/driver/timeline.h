// The fixed timeline of the four scenes in `scenes`. stepTimeline() once per pass measures t,
// advances the scene counter and draws the scene whose window holds t.
#pragma once

#include "scenes/scenes.h"

// Seconds; the first pass past it ends the run.
constexpr double TIMELINE_END = scenes[SCENE_COUNT - 1].end;
constexpr double COUNTER_RESET_SPAN =
    0.1;  // seconds at a scene's start during which the counter is 0

// Advances `counter` by one pass at elapsed time t (seconds), applies the scene resets, and returns
// the index into `scenes` of the scene to draw, or -1 for none. Pure: no clock, no drawing.
int advanceTimeline(float* counter, double t);

// What a pass at elapsed time t (seconds) leaves for the next one, the scene counter and the fade
// alpha, changed exactly as a drawn pass changes them, drawing nothing: for tools that step passes
// nobody sees (a seek replays every pass from the first in a few microseconds each).
void skipPass(double t);

// Returns the elapsed time t of this pass, in seconds since demoClock.origin.
double stepTimeline();
