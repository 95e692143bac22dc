// Frames as PNG files named by frame index, frame_000000.png, frame_000001.png ..., in one
// directory: preparePngDirectory() once, then writePngFrame() for each frame, from any thread.
#pragma once

#include <cstdint>
#include <string>

// Creates the directory when it is missing. 0 when frames can be written into it; 1 with a line
// on stderr naming it otherwise.
int preparePngDirectory(const char* directory);

// Writes one RGB frame, top row first, at zlib's compression `level`. 0 on success; 1 with
// `failure` set to the line that names the file and says why, for the caller to print.
int writePngFrame(const char* directory, int64_t frame, const uint8_t* rgb, int width, int height,
                  int level, std::string* failure);

// 0 when every frame of [firstFrame, endFrame) is in the directory; 1 with a line on stderr naming
// the first that is not.
int checkPngFrames(const char* directory, int64_t firstFrame, int64_t endFrame);

// The frames' names in the directory as ffmpeg's image sequence reader takes them.
std::string pngFramePattern(const char* directory);
