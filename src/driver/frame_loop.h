// The frame loop: paces, reports the mean frame time once a second on stderr, clears, steps the
// timeline, draws overlay and fade, presents, and stops on Escape, a closed window or t > 80 s.
#pragma once

constexpr double DEMO_FPS = 60.0;

// Returns the exit status (0) after shutting the window system down.
int runTimeline();
