// The soundtrack's file, opened and checked before a player is given it, and the one line that
// says why not: if (openSoundtrackFile(path, &file, PLAY_SILENT) == 0) { play it; close file.fd }.
#pragma once

#include "system/regular_file.h"

// What the run does without the music: the end of each warning line.
extern const char PLAY_SILENT[];
extern const char KEEP_LAST[];

// warnFile, for a caller that returns its 1.
int warnSoundtrack(const char* path, const char* what, const char* why, const char* consequence);

// Opens the soundtrack without blocking (a name a player opened itself could be a FIFO) and checks
// that it is an MP3 stream no shorter than its header declares: a decoder would print its own
// lines about a broken file, and play a file cut short in part with no word at all. 0, or 1
// after one warning line ending in `consequence`, with nothing left open.
int openSoundtrackFile(const char* path, RegularFile* file, const char* consequence);

// Whether a player would be given the file: openSoundtrackFile, closing what it opened. A tool that
// hands the soundtrack to another program asks this first, so that it passes on what the
// presentation plays and nothing else.
bool soundtrackPlayable(const char* path, const char* consequence);
