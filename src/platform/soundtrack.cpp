#include "platform/soundtrack.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdio>

namespace {

constexpr int SAMPLE_RATE = 44100;  // Hz
constexpr int CHANNELS = 2;
constexpr int CHUNK_SAMPLES = 2048;  // per mixer callback: about 46 ms, smooth under a busy CPU

// Written by prepareSoundtrack, read by playSoundtrack; never released (it plays to the end).
struct Soundtrack {
    Mix_Music* music;
    const char* path;
};
Soundtrack soundtrack = {nullptr, nullptr};

int warnSilent(const char* path, const char* what) {
    std::fprintf(stderr, "demo: %s: %s (%s); playing without sound\n", path, what, SDL_GetError());
    return 1;
}

}  // namespace

int prepareSoundtrack(const char* path) {
    // SDL's audio brings in its event subsystem, which would otherwise catch SIGINT and SIGTERM
    // and queue them as events that nobody reads: Ctrl-C would no longer stop the presentation.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return warnSilent(path, "no audio");
    if (Mix_OpenAudio(SAMPLE_RATE, MIX_DEFAULT_FORMAT, CHANNELS, CHUNK_SAMPLES) != 0) {
        return warnSilent(path, "cannot open the audio device");
    }
    Mix_Music* music = Mix_LoadMUS(path);
    if (!music) {
        warnSilent(path, "cannot play the soundtrack");
        // No silent mixer thread left running for the rest of the run.
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 1;
    }
    soundtrack = Soundtrack{music, path};
    return 0;
}

void playSoundtrack() {
    if (!soundtrack.music) return;
    // One play-through, no repeat.
    if (Mix_PlayMusic(soundtrack.music, 1) != 0) warnSilent(soundtrack.path, "cannot start the soundtrack");
}
