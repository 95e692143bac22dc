// The values the tools' command lines take: seconds kept as whole microseconds, so that pass and
// frame bounds come out exact, and sizes like 1280x720. Each parser takes the whole text or
// nothing.
#pragma once

#include <cstdint>

constexpr int64_t MICROS_PER_SECOND = 1000000;

// A whole number from 0 to `limit` written in digits alone, followed by `end`; `rest`, when not
// null, is left on that `end`.
bool parseBoundedInt(const char* text, char end, int limit, int* value, const char** rest);

// Seconds as a plain decimal ("12", "9.99") with at most six digits after the point and at most
// a million before it.
bool parseMicros(const char* text, int64_t* micros);

// WIDTHxHEIGHT, each side from 1 to `limit` pixels.
bool parseSize(const char* text, int limit, int* width, int* height);

// What is wrong with a size parseSize refused, into `out`: "not a size like 1280x720, each side 1
// to 8192", the example being the presentation's own window.
void describeBadSize(int limit, char* out, int size);

// Frames at `fps` whose time, (k + 1) / fps for frame k, is at most `micros`: the index of the
// first frame after it, and the pass count of the last one up to it.
int64_t framesUpTo(int64_t micros, int fps);
