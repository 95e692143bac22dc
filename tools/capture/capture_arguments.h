// The capture tool's command line: which frames, at what rate and size, and where they go.
// parseCaptureArguments() once at start; printCaptureUsage() for --help.
#pragma once

#include <cstdint>
#include <cstdio>

// OUTPUT_DISCARD reads every frame back and drops it: the cost of rendering and readback alone,
// against which the writing of the other outputs is measured.
enum CaptureOutput { OUTPUT_NONE = 0, OUTPUT_PNG = 1, OUTPUT_VIDEO = 2, OUTPUT_DISCARD = 3 };

constexpr int MAX_CAPTURE_FPS = 1000;
constexpr int MAX_CAPTURE_SIDE = 8192;  // pixels, of the frame as rendered (supersampling included)
constexpr int MAX_SUPERSAMPLE = 4;
constexpr int MAX_PNG_LEVEL = 9;  // zlib's levels, 0 (stored) to 9
constexpr int DEFAULT_PNG_LEVEL = 1;
constexpr int MAX_PROGRESS_FD = 1023;

struct CaptureArguments {
    // Frame k is the pass whose elapsed time is exactly (k + 1) / fps; the frames written are
    // those whose time lies in (from, to].
    int64_t firstFrame;
    int64_t endFrame;  // one past the last frame written
    int fps;           // frames a second
    int width;         // pixels, of the frames written
    int height;        // pixels
    int supersample;   // each side rendered this many times larger, then filtered down
    CaptureOutput output;
    const char* path;  // the PNG directory or the video file, as given
    // With --video: the frames are not rendered but taken from this directory of PNG frames as
    // --png writes them, numbered by frame index (the farm's final encode). Null otherwise.
    const char* encodeDirectory;
    bool printRange;  // --print-range: print firstFrame, endFrame and fps and nothing else
    bool help;        // --help: print the usage and nothing else
    int pngLevel;     // zlib's compression level of --png frames
    // --print-chunks: frames a chunk, when the range is to be printed cut into chunks; 0 otherwise.
    int chunkFrames;
    // --progress-fd: the descriptor that takes "frames DONE TOTAL" lines for a program that
    // follows the capture (the farm); -1 when none.
    int progressFd;
};

// 0 when the line is good (or is --help). Otherwise prints one line on stderr naming the argument
// and what is wrong with it, and returns 2.
int parseCaptureArguments(int argc, char** argv, CaptureArguments* arguments);

// Frames in the range, `endFrame - firstFrame`.
int64_t capturedFrameCount(const CaptureArguments& arguments);

void printCaptureUsage(FILE* stream);

// --print-chunks: the range cut into chunks of `chunkFrames` frames, the last one shorter, a line
// each: "FIRST END FROM TO", the chunk's first frame index, one past its last, and the --from and
// --to seconds that give exactly those frames at this rate.
void printCaptureChunks(const CaptureArguments& arguments, FILE* stream);
