// The services the frame loop, the pacer and the timeline take from the machine, as one record of
// function pointers. openDemoWindow() fills it with GLFW; tests and the capture tool fill it with a
// virtual clock so that a whole run can be stepped pass by pass.
#pragma once

struct Platform {
    double (*now)();                      // seconds on one monotonic clock
    void (*sleep)(double seconds);        // the one place that waits; never spins
    void (*swapAndPoll)();                // present the back buffer, then process window events
    bool (*escapePressed)();              // Escape is held down
    bool (*windowOpen)();                 // the window has not been closed
    void (*frameSize)(int* width, int* height);  // drawable size in pixels
    void (*terminate)();                  // shut the window system down
};

// Written once by whoever opens the window (demo start-up, a tool, a test fixture) before the first
// pass; only read afterwards.
extern Platform platform;
