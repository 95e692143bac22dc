// The presentation from start to end: window, render state, scene resources, frame loop.
// runDemo() is the program; runDemoIn() runs the same start-up in a window a tool chooses.
#pragma once

struct WindowRequest;

// What a tool adds to start-up; every member may be null.
struct StartupHooks {
    // Runs once the window is open and its context current and before anything reads the clock,
    // so that a tool can put its own services into `platform`. A non-zero result shuts the window
    // system down and ends the run with status 1.
    int (*adaptPlatform)();
    // Called after each step of start-up with the step's name, for timing it.
    void (*stepDone)(const char* step);
};

// Puts the clock, the scene counter, the fade and the pacer back where a run starts, for tools
// and tests that run the presentation more than once in a process.
void resetPresentation();

// Returns the process exit status: 1 when the window cannot be opened, otherwise 0.
int runDemo();

// The same start-up and frame loop in `window`, with a tool's hooks.
int runDemoIn(const WindowRequest& window, const StartupHooks& hooks);
