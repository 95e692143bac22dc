#include "platform/soundtrack.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "files/regular_file.h"

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
};
Soundtrack soundtrack = {nullptr, nullptr, false};

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

const char PLAY_SILENT[] = "playing without sound";
const char KEEP_LAST[] = "keeping the last good one";

// One warning line; `consequence` says what the run does without the music.
int warnSoundtrack(const char* path, const char* what, const char* why, const char* consequence) {
    std::fprintf(stderr, "demo: %s: %s (%s); %s\n", path, what, why, consequence);
    return 1;
}

uint32_t bigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// Bytes of the ID3v2 tag at the start of `head`, 0 when there is none: a ten-byte header, a
// size of four 7-bit bytes, and a footer of ten more when its flag says so.
uint64_t id3Size(const uint8_t (&head)[10]) {
    if (std::memcmp(head, "ID3", 3) != 0) return 0;
    const uint64_t size = uint64_t{head[6] & 0x7fu} << 21 | uint64_t{head[7] & 0x7fu} << 14 |
                          uint64_t{head[8] & 0x7fu} << 7 | (head[9] & 0x7fu);
    return 10 + size + ((head[5] & 0x10) ? 10 : 0);
}

// An MPEG audio frame header: the sync bits, and no reserved version, layer, bit rate or
// sample rate.
bool isFrameHeader(const uint8_t* h) {
    return h[0] == 0xff && (h[1] & 0xe0) == 0xe0 && ((h[1] >> 3) & 3) != 1 &&
           ((h[1] >> 1) & 3) != 0 && (h[2] >> 4) != 15 && ((h[2] >> 2) & 3) != 3;
}

// The stream's length in bytes as its Xing or Info frame (which encoders put first) gives it;
// 0 when it gives none. The tag follows the header and the side information, whose size depends
// on the MPEG version and on mono or not.
uint64_t declaredStreamBytes(const uint8_t* frame, size_t length) {
    const bool mpeg1 = ((frame[1] >> 3) & 3) == 3;
    const bool mono = (frame[3] >> 6) == 3;
    const size_t tag = 4 + (mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17));
    if (length < tag + 16) return 0;
    const uint8_t* p = frame + tag;
    if (std::memcmp(p, "Xing", 4) != 0 && std::memcmp(p, "Info", 4) != 0) return 0;
    const uint32_t flags = bigEndian32(p + 4);
    if ((flags & 2) == 0) return 0;
    return bigEndian32(p + ((flags & 1) ? 12 : 8));
}

// Why the file is no soundtrack we can play to its end, or null. Checked before the decoder sees
// it: libmpg123 would print its own lines about a broken file, and a file cut short would play
// a part with no word at all.
const char* soundtrackFault(const RegularFile& file) {
    uint8_t head[10] = {};
    if (pread(file.fd, head, sizeof head, 0) != static_cast<ssize_t>(sizeof head))
        return "not an MP3 stream";
    const uint64_t start = id3Size(head);
    uint8_t frame[64] = {};
    const ssize_t got = pread(file.fd, frame, sizeof frame, static_cast<off_t>(start));
    if (got < 4 || !isFrameHeader(frame)) return "not an MP3 stream";
    const uint64_t declared = declaredStreamBytes(frame, static_cast<size_t>(got));
    if (file.size - start < declared) return "shorter than its header declares";
    return nullptr;
}

// Opens the soundtrack without blocking (a name SDL opened itself could be a FIFO) and checks it.
// 0, or 1 after one warning line.
int openSoundtrackFile(const char* path, RegularFile* file, const char* consequence) {
    const int error = openRegularFile(path, UINT64_MAX, file);
    if (error != 0)
        return warnSoundtrack(path, "cannot read the soundtrack", fileErrorText(error),
                              consequence);
    const char* fault = soundtrackFault(*file);
    if (!fault) return 0;
    close(file->fd);
    return warnSoundtrack(path, "cannot play the soundtrack", fault, consequence);
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

int prepareSoundtrack(const char* path) {
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
    soundtrack = Soundtrack{music, path, false};
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
    if (Mix_FadeInMusicPos(soundtrack.music, 1, 0, seconds) != 0) Mix_HaltMusic();
}

void pauseSoundtrack() {
    if (soundtrack.music) Mix_PauseMusic();
}

int reloadSoundtrack(const char* path) {
    if (soundtrack.noDevice) return SOUNDTRACK_SILENT;
    // The run began without a playable file, so without the device too.
    if (!soundtrack.music)
        return prepareSoundtrack(path) == 0 ? SOUNDTRACK_RELOADED : SOUNDTRACK_KEPT;
    RegularFile file;
    if (openSoundtrackFile(path, &file, KEEP_LAST) != 0) return SOUNDTRACK_KEPT;
    Mix_Music* music = loadMusic(file);
    if (!music) {
        warnSoundtrack(path, "cannot play the soundtrack", SDL_GetError(), KEEP_LAST);
        return SOUNDTRACK_KEPT;
    }
    Mix_HaltMusic();
    Mix_FreeMusic(soundtrack.music);
    soundtrack.music = music;
    return SOUNDTRACK_RELOADED;
}
