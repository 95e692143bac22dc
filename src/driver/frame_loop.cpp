#include <epoxy/gl.h>

#include "driver/frame_loop.h"

#include <cstdio>

#include "driver/pacer.h"
#include "driver/timeline.h"
#include "platform/platform.h"
#include "scenes/overlay.h"

namespace {

struct FrameReport {
    double mark;    // seconds; start of the current one-second report window
    int passCount;  // passes in that window, the closing pass included
};

// Written by runTimeline and restartFrameReport, both on the frame loop's thread.
FrameReport frameReport = {0.0, 0};

}  // namespace

void restartFrameReport() { frameReport = FrameReport{platform.now(), 0}; }

int runTimeline() {
    restartFrameReport();
    for (;;) {
        limitFrameRate(DEMO_FPS);

        const double now = platform.now();
        ++frameReport.passCount;
        if (now - frameReport.mark >= 1.0) {
            std::fprintf(stderr, "%f ms/frame\n", 1000.0 / frameReport.passCount);
            // Advanced by one second, not set to now: after a stall every pass reports until the
            // mark has caught up with the clock.
            frameReport.mark += 1.0;
            frameReport.passCount = 0;
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
