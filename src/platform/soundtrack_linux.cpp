#include "platform/soundtrack.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/soundtrack_file.h"
#include "system/regular_file.h"
#include "system/warning.h"

namespace {

constexpr int SAMPLE_RATE = 44100;  // Hz
constexpr int CHANNELS = 2;
constexpr int CHUNK_SAMPLES = 2048;  // per mixer callback: about 46 ms, smooth under a busy CPU

// Written by prepareSoundtrack and reloadSoundtrack, read by the rest; the presentation never
// releases its music (it plays to the end), a reload releases the music it replaces.
struct Soundtrack {
    Mix_Music* music;
    const char* path;
    bool noDevice;  // the device could not be opened: the run is silent for good
    bool halting;   // we stop the music ourselves: its end is no failure
    bool silent;    // a tool renders offline: nothing is opened
};
Soundtrack soundtrack = {nullptr, nullptr, false, false, false};

// Music that ends this long before its duration stopped early: the decoder gave up on it.
constexpr double EARLY_END_SECONDS = 0.5;

// Called by SDL_mixer on its audio thread whenever the music stops. A stream that the decoder
// cannot go on with (a stretch of garbage, say) ends the music there without a word.
void noteMusicEnd() {
    if (soundtrack.halting || !soundtrack.music) return;
    const double at = Mix_GetMusicPosition(soundtrack.music);
    const double duration = Mix_MusicDuration(soundtrack.music);
    if (at < 0.0 || duration <= 0.0 || at >= duration - EARLY_END_SECONDS) return;
    char why[64];
    std::snprintf(why, sizeof why, "at %.1f of %.1f s", at, duration);
    warnFile(soundtrack.path, "the soundtrack stopped early", why, "the rest plays silently");
}

// Stops the music without taking it for a failure.
void haltMusic() {
    soundtrack.halting = true;
    Mix_HaltMusic();
    soundtrack.halting = false;
}

// Audio back-ends (ALSA's library above all) print their own diagnostics on stderr while they look
// for a device; with none to be had that is a screenful. For as long as the device is being
// opened stderr points at /dev/null, and the one warning line afterwards says what matters.
struct MutedStderr {
    int saved;  // the real stderr, -1 when it could not be set aside
};

MutedStderr muteStderr() {
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) close(null);
    return MutedStderr{saved};
}

void restoreStderr(MutedStderr muted) {
    if (muted.saved < 0) return;
    dup2(muted.saved, STDERR_FILENO);
    close(muted.saved);
}

int openAudioDevice() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 1;
    if (Mix_OpenAudio(SAMPLE_RATE, MIX_DEFAULT_FORMAT, CHANNELS, CHUNK_SAMPLES) != 0) return 2;
    return 0;
}

// The soundtrack, opened and checked, as SDL_mixer's music; null when it refuses it, with the
// descriptor closed.
Mix_Music* loadMusic(const RegularFile& file) {
    FILE* stream = fdopen(file.fd, "rb");
    if (!stream) {
        close(file.fd);
        return nullptr;
    }
    SDL_RWops* source = SDL_RWFromFP(stream, SDL_TRUE);
    if (!source) {
        std::fclose(stream);
        return nullptr;
    }
    // As Mix_LoadMUS takes a file named ".mp3"; the source is closed on failure too. libmpg123
    // prints its own complaints about a broken stream; the warning line after says it once.
    const MutedStderr muted = muteStderr();
    Mix_Music* music = Mix_LoadMUSType_RW(source, MUS_MP3, SDL_TRUE);
    restoreStderr(muted);
    return music;
}

}  // namespace

// SDL_mixer opens every MP3 through mpg123_new and never sets libmpg123's MPG123_QUIET, so the
// decoder prints its own lines about a broken stream on stderr, in the middle of the run; no
// call or hint of SDL_mixer reaches the flag. This definition takes the library's place (the
// dynamic linker binds SDL_mixer's call to the program's own symbol first): it creates the
// handle with the library's function and makes it quiet. Our own line says what went wrong.
struct mpg123_handle_struct;
extern "C" mpg123_handle_struct* mpg123_new(const char* decoder, int* error) {
    using New = mpg123_handle_struct* (*)(const char*, int*);
    using Param = int (*)(mpg123_handle_struct*, int, long, double);
    constexpr int ADD_FLAGS = 2;  // MPG123_ADD_FLAGS of mpg123.h's enum mpg123_parms
    constexpr long QUIET = 0x20;  // MPG123_QUIET of enum mpg123_param_flags
    static const New create = reinterpret_cast<New>(dlsym(RTLD_NEXT, "mpg123_new"));
    static const Param set = reinterpret_cast<Param>(dlsym(RTLD_NEXT, "mpg123_param"));
    if (!create) {
        if (error) *error = -1;  // MPG123_ERR
        return nullptr;
    }
    mpg123_handle_struct* handle = create(decoder, error);
    if (handle && set) set(handle, ADD_FLAGS, QUIET, 0.0);
    return handle;
}

void keepSoundtrackSilent() { soundtrack.silent = true; }

int prepareSoundtrack(const char* path) {
    if (soundtrack.silent) return 0;
    // SDL's audio brings in its event subsystem, which would otherwise catch SIGINT and SIGTERM
    // and queue them as events that nobody reads: Ctrl-C would no longer stop the presentation.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL's init connects to the D-Bus session bus, which the audio does not use; where none runs
    // (a bare X server), libdbus would fork the by now large process to autolaunch one: several ms.
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
    RegularFile file;
    if (openSoundtrackFile(path, &file, PLAY_SILENT) != 0) return 1;
    const MutedStderr muted = muteStderr();
    const int device = openAudioDevice();
    restoreStderr(muted);
    soundtrack.noDevice = device != 0;
    if (device != 0) close(file.fd);
    if (device == 1) return warnSoundtrack(path, "no audio", SDL_GetError(), PLAY_SILENT);
    if (device == 2)
        return warnSoundtrack(path, "cannot open the audio device", SDL_GetError(), PLAY_SILENT);
    Mix_Music* music = loadMusic(file);
    if (!music) {
        warnSoundtrack(path, "cannot play the soundtrack", SDL_GetError(), PLAY_SILENT);
        // No silent mixer thread left running for the rest of the run.
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return 1;
    }
    soundtrack = Soundtrack{music, path, false, false, false};
    Mix_HookMusicFinished(noteMusicEnd);
    return 0;
}

void playSoundtrack() {
    if (!soundtrack.music) return;
    // One play-through, no repeat.
    if (Mix_PlayMusic(soundtrack.music, 1) != 0)
        warnSoundtrack(soundtrack.path, "cannot start the soundtrack", SDL_GetError(), PLAY_SILENT);
}

void playSoundtrackFrom(double seconds) {
    if (!soundtrack.music) return;
    // Starting at the position in one call: a play from the start followed by a seek would let
    // the first few milliseconds of the music through.
    if (Mix_FadeInMusicPos(soundtrack.music, 1, 0, seconds) != 0) haltMusic();
}

void pauseSoundtrack() {
    if (soundtrack.music) Mix_PauseMusic();
}

ReloadResult reloadSoundtrack(const char* path) {
    if (soundtrack.noDevice) return ReloadResult::SILENT;
    // The run began without a playable file, so without the device too.
    if (!soundtrack.music)
        return prepareSoundtrack(path) == 0 ? ReloadResult::RELOADED : ReloadResult::KEPT;
    RegularFile file;
    if (openSoundtrackFile(path, &file, KEEP_LAST) != 0) return ReloadResult::KEPT;
    Mix_Music* music = loadMusic(file);
    if (!music) {
        warnSoundtrack(path, "cannot play the soundtrack", SDL_GetError(), KEEP_LAST);
        return ReloadResult::KEPT;
    }
    haltMusic();
    Mix_FreeMusic(soundtrack.music);
    soundtrack.music = music;
    return ReloadResult::RELOADED;
}
