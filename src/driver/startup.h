// The presentation from start to end: window, render state, scene resources, frame loop.
#pragma once

// Returns the process exit status: 1 when the window cannot be opened, otherwise 0.
int runDemo();
