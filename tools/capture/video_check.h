// What ffmpeg made, checked before it takes the video's name: ffmpeg 5.1 ends with status 0 even
// when its last writes found a full disk and the file lacks frames or its index.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// What the file must hold: every frame sent, at the rate sent, and sound when sound went in.
struct ExpectedVideo {
    int64_t frames;
    int fps;
    bool withSound;
};

// The line of ffmpeg's log that says a write of `output` failed, or empty when there is none.
// The log holds only ffmpeg's errors; those about a soundtrack it decodes are no write failure.
std::string writeFailureIn(FILE* log, const std::string& output);

// Reads the file back with ffprobe. Empty when it holds what `expected` says; otherwise why not,
// for a line on stderr.
std::string checkEncodedVideo(const std::string& path, const ExpectedVideo& expected);

// false when `program` is nowhere on PATH, so that a missing tool is said before a long capture.
bool onPath(const char* program);
