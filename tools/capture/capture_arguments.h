// The capture tool's command line: which frames, at what rate and size, and where they go.
// parseCaptureArguments() once at start; printCaptureUsage() for --help.
#pragma once

#include <cstdint>
#include <cstdio>

enum CaptureOutput { OUTPUT_NONE = 0, OUTPUT_PNG = 1, OUTPUT_VIDEO = 2 };

constexpr int MAX_CAPTURE_FPS = 1000;
constexpr int MAX_CAPTURE_SIDE = 8192;  // pixels

struct CaptureArguments {
    // Frame k is the pass whose elapsed time is exactly (k + 1) / fps; the frames written are
    // those whose time lies in (from, to].
    int64_t firstFrame;
    int64_t endFrame;  // one past the last frame written
    int fps;           // frames a second
    int width;         // pixels
    int height;        // pixels
    CaptureOutput output;
    const char* path;  // the PNG directory or the video file, as given
    bool help;         // --help: print the usage and nothing else
};

// 0 when the line is good (or is --help). Otherwise prints one line on stderr naming the argument
// and what is wrong with it, and returns 2.
int parseCaptureArguments(int argc, char** argv, CaptureArguments* arguments);

// Frames in the range, `endFrame - firstFrame`.
int64_t capturedFrameCount(const CaptureArguments& arguments);

void printCaptureUsage(FILE* stream);
