#include <epoxy/gl.h>

#include "driver/frame_loop.h"

#include <cstdio>

#include "driver/pacer.h"
#include "driver/timeline.h"
#include "platform/platform.h"
#include "scenes/overlay.h"

int runTimeline() {
    double reportMark = platform.now();  // seconds; start of the current one-second report window
    int passCount = 0;                   // passes in that window, the closing pass included
    for (;;) {
        limitFrameRate(DEMO_FPS);

        const double now = platform.now();
        ++passCount;
        if (now - reportMark >= 1.0) {
            std::fprintf(stderr, "%f ms/frame\n", 1000.0 / passCount);
            // Advanced by one second, not set to now: after a stall every pass reports until the
            // mark has caught up with the clock.
            reportMark += 1.0;
            passCount = 0;
        }

        glMatrixMode(GL_MODELVIEW);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();

        const double t = stepTimeline();
        if (t > TIMELINE_END) break;
        drawOverlayAndFade(t);

        platform.swapAndPoll();
        if (platform.escapePressed()) break;
        if (!platform.windowOpen()) break;
    }
    platform.terminate();
    return 0;
}
