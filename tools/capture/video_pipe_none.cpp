#include "video_pipe.h"

#include <cstdio>
#include <string>

#include "capture_arguments.h"

// A build without a way to start ffmpeg (the Windows one) writes PNG frames only.
int openVideoPipe(const CaptureArguments& arguments, VideoPipe* video) {
    *video = VideoPipe{-1, -1, nullptr, arguments.path, std::string(), false, {0, 0, false}};
    std::fprintf(stderr, "capture: --video %s: this build writes PNG frames only (--png DIR)\n",
                 arguments.path);
    return 1;
}

int writeVideoFrame(VideoPipe*, const uint8_t*, size_t) { return 1; }

void waitVideoPipeEnd(const VideoPipe&) {}

int closeVideoPipe(VideoPipe*, bool) { return 1; }
