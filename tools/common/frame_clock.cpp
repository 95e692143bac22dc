#include "frame_clock.h"

#include "driver/frame_loop.h"

FrameClock frameClock = {DEMO_FPS, 0};

double frameClockSeconds(int64_t passes, int fps) {
    return static_cast<double>(passes) / static_cast<double>(fps);
}

void resetFrameClock(int fps) { frameClock = FrameClock{fps, 0}; }

double frameClockNow() { return frameClockSeconds(frameClock.passes, frameClock.fps); }

void advanceFrameClock() { ++frameClock.passes; }

void setFrameClock(int64_t passes) { frameClock.passes = passes; }
