// The soundtrack, played once beside the timeline through SDL2_mixer.
// prepareSoundtrack(path) opens the audio device and the file; playSoundtrack() starts it.
#pragma once

// 0 when the music is ready to start. Otherwise prints one warning line on stderr naming the file
// and the reason, returns 1, and playSoundtrack() then does nothing: the timeline runs silently.
int prepareSoundtrack(const char* path);

// Starts the prepared music and returns at once; it plays once to its end by itself and nothing
// waits for it or stops it.
void playSoundtrack();
