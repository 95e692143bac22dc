// The soundtrack, played once beside the timeline: through SDL2_mixer on Linux, MCI on Windows.
// prepareSoundtrack(path) opens the audio device and the file; playSoundtrack() starts it. A tool
// that moves through the timeline cues it with playSoundtrackFrom() and pauseSoundtrack().
#pragma once

#include "system/reload_result.h"

// 0 when the music is ready to start. Otherwise prints one warning line on stderr naming the file
// and the reason, returns 1, and playSoundtrack() then does nothing: the timeline runs silently.
int prepareSoundtrack(const char* path);

// For a tool that renders offline: from here on prepareSoundtrack opens nothing, neither the file
// nor a sound device, and says nothing; the tool checks the file itself, once, for what it makes
// of it (soundtrack_file.h). Call before prepareSoundtrack.
void keepSoundtrackSilent();

// Starts the prepared music and returns at once; it plays once to its end by itself and nothing
// waits for it or stops it.
void playSoundtrack();

// Plays the prepared music from `seconds` into it, at once, whether it was playing, paused or had
// ended; a time past its end leaves it silent. Does nothing when there is no music.
void playSoundtrackFrom(double seconds);

// Holds the music where it is. Does nothing when there is no music.
void pauseSoundtrack();

// Reads `path` again into the music that the cues play: RELOADED (cue it to play the new file),
// KEPT after one line on stderr naming the file (the music stays as it was), or SILENT without a
// line when there is no audio device (the run said so when it began). Every system's player
// gives these three and nothing else.
ReloadResult reloadSoundtrack(const char* path);
