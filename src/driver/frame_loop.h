// The frame loop: paces, reports the mean frame time once a second on stderr, clears, steps the
// timeline, draws overlay and fade, presents, and stops on Escape, a closed window or the end.
//
// A pass is one round of this loop, which makes one frame. Motion and fades step once a pass,
// never by the clock, so the tools, which move their clocks by exactly one pass, show the same
// frame for a time on any machine.
#pragma once

// Passes a second at most: the pacer's budget is 1 / DEMO_FPS seconds a pass. The tools step their
// clocks by the same pass, so that a time shows the same frame everywhere.
constexpr int DEMO_FPS = 60;

// Starts a new one-second report window at the clock's present reading. For a tool that moves the
// clock by more than a pass (a seek), which the report would otherwise take for a stall.
void restartFrameReport();

// Returns the exit status (0) after shutting the window system down.
int runTimeline();
