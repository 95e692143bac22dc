// The presentation from start to end: window, render state, scene resources, frame loop.
// runDemo() is the program; runDemoIn() runs the same start-up in a window a tool chooses.
#pragma once

struct WindowRequest;

// Returns the process exit status: 1 when the window cannot be opened, otherwise 0.
int runDemo();

// The same start-up and frame loop in `window`. `adaptPlatform`, when not null, runs once the
// window is open and its context current and before anything reads the clock, so that a tool can
// put its own services into `platform`; a non-zero result from it shuts the window system down
// and ends the run with status 1.
int runDemoIn(const WindowRequest& window, int (*adaptPlatform)());
