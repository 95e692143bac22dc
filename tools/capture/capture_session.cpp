#include "capture_session.h"

#include <cstdio>
#include <cstdlib>

#include "driver/frame_loop.h"
#include "driver/timeline.h"
#include "frame_clock.h"
#include "platform/soundtrack_file.h"
#include "png_frames.h"
#include "scenes/scene_resources.h"
#include "stop_signals.h"

// Never destroyed: a library may end the process with exit() while the frame writer's workers
// wait on its condition variable (Xlib does when the X server goes away), and destroying that
// variable would wait for them for ever.
CaptureSession& captureSession = *new CaptureSession();

namespace {

// Such an exit skips finishCapture, and ffmpeg, its input closed, would finish a shorter video
// under the temporary name: it is stopped and the file removed, as when the capture fails.
void abandonVideo() {
    if (captureSession.video.pid > 0) closeVideoPipe(&captureSession.video, false);
}

// The pass under way draws frame k = passes - 1, at exactly (k + 1) / fps.
int64_t currentFrame() { return frameClock.passes - 1; }

bool keptFrame(int64_t frame) {
    return frame >= captureSession.arguments.firstFrame &&
           frame < captureSession.arguments.endFrame;
}

// The passes between the first and the first frame kept are stepped without drawing, as the
// preview's seek steps them: the pass is what takes a catch-up's time, some half a millisecond of
// processor each even with nothing rasterized, and a farm's chunk late in the timeline would pay
// it thousands of times. The first pass is still drawn, unseen: it leaves the one piece of GL
// state that a pass hands to the next (the scenes' fog density) as a run from the start has it.
void skipToFirstFrame() {
    const int64_t firstFrame = captureSession.arguments.firstFrame;
    for (int64_t pass = frameClock.passes + 1; pass <= firstFrame; ++pass)
        skipPass(frameClockSeconds(pass, frameClock.fps));
    setFrameClock(firstFrame);
    // The frame loop's once-a-second report would otherwise print a line for every second jumped.
    restartFrameReport();
    discardPassPixels(false);
}

// Where the pacer would sleep out its budget: the next pass begins one frame later, at once.
void captureWait(double) {
    if (frameClock.passes == 1 && captureSession.arguments.firstFrame > 1) skipToFirstFrame();
    advanceFrameClock();
    if (currentFrame() == captureSession.arguments.firstFrame)
        startFrames(&captureSession.progress);
}

// Reads the frame back into a buffer for the writer's workers; 1 once a frame has failed.
int storeFrame(int64_t frame) {
    CaptureSession& session = captureSession;
    FrameBuffer* buffer = takeFrameBuffer(&session.writer);
    if (!buffer) return 1;
    readOffscreenFrame(session.target, buffer->rendered.data());
    buffer->index = frame;
    passFrame(&session.writer, buffer);
    return 0;
}

// Runs where the frame loop presents: the frame is complete in the offscreen target and the pass's
// clock reading is still its own.
void captureSwapAndPoll() {
    CaptureSession& session = captureSession;
    const int64_t frame = currentFrame();
    if (frame == session.lastPresentedFrame) {
        std::fprintf(stderr,
                     "capture: the frame loop presented twice without waiting, so the clock cannot "
                     "move on\n");
        session.failed = true;
    } else if (keptFrame(frame)) {
        if (storeFrame(frame) == 0) {
            ++session.framesWritten;
            showFrames(&session.progress, session.framesWritten);
        } else {
            session.failed = true;
        }
    } else {
        showCatchUp(&session.progress, frame + 1, session.arguments.firstFrame);
    }
    session.lastPresentedFrame = frame;
    discardPassPixels(frame + 1 < session.arguments.firstFrame);
    session.windowPlatform.swapAndPoll();
}

// The loop ends after the last frame of the range, at the first failure, or on a stop signal.
bool captureWindowOpen() {
    const CaptureSession& session = captureSession;
    return !session.failed && stopSignal() == 0 &&
           currentFrame() + 1 < session.arguments.endFrame && session.windowPlatform.windowOpen();
}

void captureFrameSize(int* width, int* height) {
    *width = captureSession.target.width;
    *height = captureSession.target.height;
}

}  // namespace

int openCaptureOutput() {
    const CaptureArguments& arguments = captureSession.arguments;
    // The run opens no soundtrack (keepSoundtrackSilent); a video's pipe checks it for the video,
    // and frames are told of a bad one all the same, with the line the presentation gives.
    if (arguments.output != OUTPUT_VIDEO) soundtrackPlayable(sceneFiles.soundtrack, PLAY_SILENT);
    if (arguments.output == OUTPUT_PNG) return preparePngDirectory(arguments.path);
    if (arguments.output == OUTPUT_DISCARD) return 0;
    if (arguments.encodeDirectory &&
        checkPngFrames(arguments.encodeDirectory, arguments.firstFrame, arguments.endFrame) != 0)
        return 1;
    std::atexit(abandonVideo);
    return openVideoPipe(arguments, &captureSession.video);
}

int encodeCapturedFrames() {
    if (openCaptureOutput() != 0) return 1;
    VideoPipe& video = captureSession.video;
    // ffmpeg reads the frames itself.
    waitVideoPipeEnd(video);
    if (stopSignal() == 0) return closeVideoPipe(&video, true);
    closeVideoPipe(&video, false);
    std::fprintf(stderr, "capture: stopped by %s; no video written\n", stopSignalName());
    return 1;
}

int adaptPlatformForCapture() {
    CaptureSession& session = captureSession;
    const CaptureArguments& arguments = session.arguments;
    const int factor = arguments.supersample;
    if (createOffscreenTarget(arguments.width * factor, arguments.height * factor,
                              &session.target) != 0)
        return 1;
    startFrameWriter(&session.writer, arguments, &session.video);
    session.windowPlatform = platform;
    session.lastPresentedFrame = -1;
    session.framesWritten = 0;
    session.failed = false;

    resetFrameClock(arguments.fps);
    platform.now = frameClockNow;
    platform.sleep = captureWait;
    platform.swapAndPoll = captureSwapAndPoll;
    platform.windowOpen = captureWindowOpen;
    platform.frameSize = captureFrameSize;
    discardPassPixels(arguments.firstFrame > 0);
    startProgress(&session.progress, capturedFrameCount(arguments), arguments.progressFd);
    return 0;
}

int finishCapture(int runStatus) {
    CaptureSession& session = captureSession;
    closeProgress(&session.progress);
    const int64_t expected = capturedFrameCount(session.arguments);
    const bool video = session.arguments.output == OUTPUT_VIDEO;
    if (stopSignal() != 0) {
        // The workers end before ffmpeg's input closes behind them; what is queued is dropped.
        finishFrameWriter(&session.writer, true);
        if (video) closeVideoPipe(&session.video, false);
        std::fprintf(stderr, "capture: stopped by %s after %lld of %lld frames%s\n",
                     stopSignalName(), static_cast<long long>(session.framesWritten),
                     static_cast<long long>(expected), video ? "; no video written" : "");
        return 1;
    }
    bool complete = runStatus == 0 && !session.failed;
    // The workers finish what was read back before the video is closed behind them.
    if (finishFrameWriter(&session.writer, false) != 0) complete = false;
    if (complete && session.framesWritten != expected) {
        std::fprintf(stderr, "capture: the window was closed after %lld of %lld frames\n",
                     static_cast<long long>(session.framesWritten),
                     static_cast<long long>(expected));
        complete = false;
    }
    if (video && closeVideoPipe(&session.video, complete) != 0) complete = false;
    if (!complete) return 1;
    showSummary(&session.progress, session.framesWritten);
    return 0;
}
