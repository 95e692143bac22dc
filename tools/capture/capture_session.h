// One capture run: the demo's own start-up and frame loop, driven frame by frame by the platform.
// Set `arguments`, openCaptureOutput(), runDemoIn(window, adaptPlatformForCapture), finish.
#pragma once

#include <cstdint>

#include "capture_arguments.h"
#include "frame_writer.h"
#include "offscreen_target.h"
#include "platform/platform.h"
#include "progress_line.h"
#include "video_pipe.h"

struct CaptureSession {
    CaptureArguments arguments;
    VideoPipe video;         // when the output is a video
    OffscreenTarget target;  // every pass draws here, at the size as rendered
    FrameWriter writer;      // takes the frames read back
    ProgressLine progress;
    Platform windowPlatform;     // the window system's own services, for the swap and window state
    int64_t lastPresentedFrame;  // frame index of the last pass presented, -1 before the first
    int64_t framesWritten;
    bool failed;  // a frame could not be written: the loop is ended, the run fails
};

// Written by main (the arguments) and by the capture's platform services during the run.
extern CaptureSession& captureSession;

// Creates the PNG directory or starts ffmpeg. 0, or 1 with a line on stderr.
int openCaptureOutput();

// --encode-png: the frames of a PNG capture encoded into the video, without rendering. Returns the
// exit status.
int encodeCapturedFrames();

// The hook for runDemoIn: once the window is open, points the platform's clock, sleep, swap,
// window state and frame size at the capture, and the drawing at the offscreen target.
int adaptPlatformForCapture();

// After the run: finishes the output and prints the summary. Returns the exit status.
int finishCapture(int runStatus);
