// The frame loop: paces, reports the mean frame time once a second on stderr, clears, steps the
// timeline, draws overlay and fade, presents, and stops on Escape, a closed window or t > 80 s.
#pragma once

constexpr double DEMO_FPS = 60.0;

// Starts a new one-second report window at the clock's present reading. For a tool that moves the
// clock by more than a pass (a seek), which the report would otherwise take for a stall.
void restartFrameReport();

// Returns the exit status (0) after shutting the window system down.
int runTimeline();
