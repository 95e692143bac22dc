// The capture's progress on stderr: frames done of total, frames a second, time left. Redrawn in
// place below the frame loop's report lines on a terminal, a line every few seconds otherwise.
// With a descriptor for a program that follows the capture, also "frames DONE TOTAL" lines there,
// a few a second and at the last frame.
#pragma once

#include <cstdint>

struct ProgressLine {
    int64_t total;               // frames to write
    double startSeconds;         // wall clock when the first frame's pass began (seconds)
    double shownSeconds;         // wall clock of the last line shown (seconds)
    bool terminal;               // stderr is a terminal: redraw in place
    bool open;                   // a line is drawn on the terminal and not yet finished
    int machineFd;               // takes the "frames DONE TOTAL" lines; -1 when none
    double machineShownSeconds;  // wall clock of the last such line (seconds)
};

// Wall-clock seconds on a monotonic clock; progress and speed are the only things a capture
// measures in real time.
double wallSeconds();

// `machineFd` -1 for no "frames DONE TOTAL" lines.
void startProgress(ProgressLine* progress, int64_t total, int machineFd);

// Before the first frame: the passes that only advance the timeline up to it.
void showCatchUp(ProgressLine* progress, int64_t pass, int64_t firstFrame);

// The first frame's pass begins: the speed is measured from here.
void startFrames(ProgressLine* progress);

// `done` frames written.
void showFrames(ProgressLine* progress, int64_t done);

// Ends the progress line so that a message can follow on a line of its own.
void closeProgress(ProgressLine* progress);

// The last line: frames written, wall time and frames a second.
void showSummary(ProgressLine* progress, int64_t done);
