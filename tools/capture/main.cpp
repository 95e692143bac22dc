// Renders the presentation offline from the asset files in the working directory. The options
// are in capture_arguments.cpp's usage text, which `capture --help` prints.
#include <cstdio>

#include "capture_session.h"
#include "driver/startup.h"
#include "platform/glfw_window.h"
#include "platform/soundtrack.h"
#include "platform/standard_streams.h"
#include "stop_signals.h"

int main(int argc, char** argv) {
    // Before anything opens a file: the pipe to ffmpeg and the X connection must not land on a
    // closed standard descriptor. A line to a reader that has gone is dropped, and ffmpeg going
    // away in mid-capture shows as a failed write rather than ending the process unseen.
    guardStandardStreams();
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
    if (arguments.chunkFrames > 0) {
        printCaptureChunks(arguments, stdout);
        return 0;
    }
    // Ctrl-C, SIGTERM and SIGHUP wind the capture down: ffmpeg stopped, no unfinished video left.
    catchStopSignals();
    if (arguments.encodeDirectory) {
        const int status = encodeCapturedFrames();
        if (stopSignal() != 0) endByStopSignal();
        return status;
    }
    if (openCaptureOutput() != 0) return 1;
    // The soundtrack belongs in the video, not in the speakers at real-time speed.
    keepSoundtrackSilent();
    // The window only carries the context: every pass draws into the offscreen target of the
    // requested size, so the display's size does not matter and a small window's swap is free.
    const WindowRequest hidden = {64, 64, false, false};
    const int run = runDemoIn(hidden, StartupHooks{adaptPlatformForCapture, nullptr});
    const int status = finishCapture(run);
    if (stopSignal() != 0) endByStopSignal();
    return status;
}
