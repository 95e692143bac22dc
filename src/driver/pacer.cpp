#include "driver/pacer.h"

#include "platform/platform.h"

FramePacer framePacer = FRAME_PACER_START;

double pacerSleepSeconds(double framePeriod, double elapsed) {
    // A NaN fails the comparison and so never sleeps.
    if (elapsed < framePeriod) return framePeriod - elapsed;
    return 0.0;
}

void limitFrameRate(double fps) {
    const double framePeriod = 1.0 / fps;
    const double rest = pacerSleepSeconds(framePeriod, platform.now() - framePacer.lastFrameMark);
    if (rest > 0.0) platform.sleep(rest);
    // A fresh reading, not mark + period: an overshot sleep or a long pass is not paid back.
    framePacer.lastFrameMark = platform.now();
}
