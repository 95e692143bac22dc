// The preview's command line: where it starts, whether paused, and its window.
// parsePreviewArguments() once at start; printPreviewUsage() for --help.
#pragma once

#include <cstdint>
#include <cstdio>

#include "driver/frame_loop.h"

// Passes a second of timeline time: the frame loop's paced rate, so that the preview shows for a
// time what the presentation and the capture show.
constexpr int PREVIEW_FPS = DEMO_FPS;
constexpr int MAX_PREVIEW_SIDE = 8192;  // pixels

struct PreviewArguments {
    int64_t startPass;  // the pass shown first, at startPass / PREVIEW_FPS seconds; at least 1
    bool paused;        // --paused
    int width;          // pixels
    int height;         // pixels
    bool fullscreen;    // on the primary monitor, at its size
    bool help;          // --help: print the usage and nothing else
};

// 0 when the line is good (or is --help). Otherwise prints one line on stderr naming the argument
// and what is wrong with it, and returns 2.
int parsePreviewArguments(int argc, char** argv, PreviewArguments* arguments);

void printPreviewUsage(FILE* stream);
