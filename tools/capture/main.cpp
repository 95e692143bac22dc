// capture [--from SECONDS] [--to SECONDS] [--fps N] [--size WxH] [--supersample K]
//         (--png DIR | --video FILE | --discard)
// Renders the presentation offline from the asset files in the working directory.
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "capture_session.h"
#include "driver/startup.h"
#include "platform/glfw_window.h"

int main(int argc, char** argv) {
    CaptureArguments& arguments = captureSession.arguments;
    const int parsed = parseCaptureArguments(argc, argv, &arguments);
    if (parsed != 0) return parsed;
    if (arguments.help) {
        printCaptureUsage(stdout);
        return 0;
    }
    if (arguments.printRange) {
        std::printf("%lld %lld %d\n", static_cast<long long>(arguments.firstFrame),
                    static_cast<long long>(arguments.endFrame), arguments.fps);
        return 0;
    }
    // ffmpeg going away in mid-capture must show as a failed write, not end the process unseen.
    std::signal(SIGPIPE, SIG_IGN);
    if (arguments.encodeDirectory) return encodeCapturedFrames();
    if (openCaptureOutput() != 0) return 1;
    // The soundtrack belongs in the video, not in the speakers at real-time speed.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The window only carries the context: every pass draws into the offscreen target of the
    // requested size, so the display's size does not matter and a small window's swap is free.
    const WindowRequest hidden = {64, 64, false, false};
    return finishCapture(runDemoIn(hidden, StartupHooks{adaptPlatformForCapture, nullptr}));
}
