// Holds the frame loop to at most `fps` passes a second by sleeping out the rest of each period,
// measured from the end of the previous call. limitFrameRate(DEMO_FPS) at the head of every pass.
#pragma once

struct FramePacer {
    double lastFrameMark;  // seconds on the platform clock when the previous call ended; 0 at start
};

// Before the first pass.
constexpr FramePacer FRAME_PACER_START = {0.0};

// Written only by limitFrameRate and resetPresentation.
extern FramePacer framePacer;

// Seconds to sleep when `elapsed` seconds have passed of a period of `framePeriod`; 0 when the
// period is used up or the comparison cannot be made (NaN).
double pacerSleepSeconds(double framePeriod, double elapsed);

void limitFrameRate(double fps);
