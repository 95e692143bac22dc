// The timeline's time, the scenes' only animation input: the driver takes `origin` at start-up and
// steps `sceneCounter` once a pass; the scene renderers only read it.
#pragma once

struct DemoClock {
    float origin;        // seconds on the platform clock, taken just before the soundtrack starts
    float sceneCounter;  // passes since the current scene began
};

// Before start-up: no origin yet, and the counter one pass in.
constexpr DemoClock DEMO_CLOCK_START = {0.0f, 1.0f};

// `origin` is written once by the driver's start-up; `sceneCounter` only by the timeline step.
extern DemoClock demoClock;
