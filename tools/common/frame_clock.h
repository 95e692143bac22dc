// The tools' timeline clock: it stands still during a pass and moves on by whole passes when told,
// which the tools do where the frame loop's pacer would sleep. resetFrameClock() once.
#pragma once

#include <cstdint>

struct FrameClock {
    int fps;         // frames a second
    int64_t passes;  // passes begun; the clock reads passes / fps seconds
};

// Written by resetFrameClock and advanceFrameClock; everything else only reads it.
extern FrameClock frameClock;

// Seconds at the start of pass `passes`, formed from whole numbers so that no error builds up
// over a long capture the way a summed float step would.
double frameClockSeconds(int64_t passes, int fps);

// Back to 0 passes. Done before anything reads the clock, so that the timeline origin is exactly
// 0 and the pass of frame k reads (k + 1) / fps.
void resetFrameClock(int fps);

// The clock's reading now, for platform.now.
double frameClockNow();

// Begins the next pass, one frame later.
void advanceFrameClock();

// Begins pass `passes`, wherever the clock stood: a tool's seek.
void setFrameClock(int64_t passes);
