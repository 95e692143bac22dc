// Pacing of the real frame loop's head: 600 passes of an empty frame on the real clock, in the
// demo's own window. Prints the mean and the 99th-percentile interval between pass starts.
//   xvfb-run -a -s "-screen 0 1280x720x24" build/bench/bench_pacer
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "driver/frame_loop.h"
#include "driver/pacer.h"
#include "driver/render_state.h"
#include "platform/glfw_window.h"
#include "platform/platform.h"

int main() {
    constexpr int PASSES = 600;
    if (openDemoWindow(DEMO_WINDOW) != 0) return 1;
    int width = 0;
    int height = 0;
    platform.frameSize(&width, &height);
    setRenderState(width, height);

    std::vector<double> starts;
    starts.reserve(PASSES + 1);
    for (int pass = 0; pass <= PASSES; ++pass) {
        limitFrameRate(DEMO_FPS);
        starts.push_back(platform.now());
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        platform.swapAndPoll();
    }
    platform.terminate();

    std::vector<double> intervals;  // milliseconds
    for (int i = 1; i <= PASSES; ++i) intervals.push_back((starts[i] - starts[i - 1]) * 1000.0);
    double sum = 0.0;
    for (double ms : intervals) sum += ms;
    std::sort(intervals.begin(), intervals.end());
    const double p99 = intervals[static_cast<size_t>(0.99 * (PASSES - 1))];
    std::printf(
        "pacer: %d passes, mean %.4f ms (target 16.6667, %+.3f %%), p99 %.4f ms, max %.4f ms\n",
        PASSES, sum / PASSES, (sum / PASSES / (1000.0 / 60.0) - 1.0) * 100.0, p99,
        intervals.back());
    return 0;
}
