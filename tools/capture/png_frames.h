// Frames as PNG files named by frame index, frame_000000.png, frame_000001.png ..., in one
// directory: preparePngDirectory() once, then writePngFrame() for each frame.
#pragma once

#include <cstdint>

// Creates the directory when it is missing. 0 when frames can be written into it; 1 with a line
// on stderr naming it otherwise.
int preparePngDirectory(const char* directory);

// Writes one RGB frame, top row first. 0 on success; 1 with a line on stderr naming the file.
int writePngFrame(const char* directory, int64_t frame, const uint8_t* rgb, int width, int height);
