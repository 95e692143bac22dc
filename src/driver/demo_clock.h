// The timeline's time, shared by the driver and the scene renderers.
// createSceneResources() sets `origin`; stepTimeline() advances and resets `sceneCounter`.
#pragma once

struct DemoClock {
    float origin;        // seconds on the platform clock, taken just before the soundtrack starts
    float sceneCounter;  // passes since the current scene began; the scenes' only animation input
};

// `origin` is written once by createSceneResources; `sceneCounter` only by stepTimeline. The scene
// renderers only read it.
extern DemoClock demoClock;
