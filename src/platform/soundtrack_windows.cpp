#include "platform/soundtrack.h"

// windows.h first: the header after it uses its types.
#include <windows.h>

#include <mmsystem.h>

#include <io.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/soundtrack_file.h"

namespace {

constexpr int ALIAS_BYTES = 24;

// Written by keepSoundtrackSilent, prepareSoundtrack and reloadSoundtrack, read by the rest; the
// presentation never closes its music (it plays to the end), a reload closes the music it replaces.
struct Soundtrack {
    const char* path;
    char alias[ALIAS_BYTES];  // MCI's name for the open music; empty while there is none
    int opened;               // files opened so far, which numbers the aliases
    bool noDevice;            // MCI has no device to play on: the run is silent for good
    bool silent;              // a tool renders offline: nothing is opened
};
Soundtrack soundtrack = {};

MCIERROR sendCommand(const std::string& command) {
    return mciSendStringA(command.c_str(), nullptr, 0, nullptr);
}

std::string errorText(MCIERROR error) {
    char text[MAXERRORLENGTH] = "";
    if (!mciGetErrorStringA(error, text, sizeof text))
        std::snprintf(text, sizeof text, "MCI error %lu", static_cast<unsigned long>(error));
    return text;
}

// Opens `path` with DirectShow's player ("mpegvideo", which decodes MP3) under a fresh alias,
// timed in milliseconds. 0, or MCI's error with nothing left open.
MCIERROR openMusic(const char* path, char (&alias)[ALIAS_BYTES]) {
    std::snprintf(alias, sizeof alias, "soundtrack%d", soundtrack.opened++);
    // A full path: the player resolves a relative one against a directory of its own choosing.
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    const std::string file = length > 0 && length < sizeof full ? full : path;
    const std::string name = alias;
    MCIERROR error = sendCommand("open \"" + file + "\" type mpegvideo alias " + name);
    if (error == 0) error = sendCommand("set " + name + " time format milliseconds");
    if (error == 0) return 0;
    sendCommand("close " + name);
    alias[0] = '\0';
    return error;
}

bool hasMusic() { return soundtrack.alias[0] != '\0'; }

void closeMusic() {
    if (hasMusic()) sendCommand(std::string("close ") + soundtrack.alias);
}

}  // namespace

void keepSoundtrackSilent() { soundtrack.silent = true; }

int prepareSoundtrack(const char* path) {
    soundtrack.path = path;
    if (soundtrack.silent) return 0;
    // The player answers a file it cannot read or decode as it answers a missing device
    // (MCIERR_INTERNAL under Wine), so the file is checked first, as on every system.
    RegularFile file;
    if (openSoundtrackFile(path, &file, PLAY_SILENT) != 0) return 1;
    _close(file.fd);
    const MCIERROR error = openMusic(path, soundtrack.alias);
    if (error == 0) {
        // DirectShow's threads must not be playing while the process ends: Wine crashes then.
        std::atexit(closeMusic);
        return 0;
    }
    soundtrack.noDevice = waveOutGetNumDevs() == 0;
    return warnSoundtrack(
        path, soundtrack.noDevice ? "cannot open the audio device" : "cannot play the soundtrack",
        errorText(error).c_str(), PLAY_SILENT);
}

void playSoundtrack() {
    if (!hasMusic()) return;
    // Without "wait" MCI returns at once; the music plays once to its end.
    const MCIERROR error = sendCommand(std::string("play ") + soundtrack.alias);
    if (error != 0)
        warnSoundtrack(soundtrack.path, "cannot start the soundtrack", errorText(error).c_str(),
                       PLAY_SILENT);
}

void playSoundtrackFrom(double seconds) {
    if (!hasMusic()) return;
    const long long milliseconds = std::llround(seconds * 1000.0);
    const std::string name = soundtrack.alias;
    // A time past the end is out of range for MCI: the music stops instead.
    if (sendCommand("play " + name + " from " + std::to_string(milliseconds)) != 0)
        sendCommand("stop " + name);
}

void pauseSoundtrack() {
    if (hasMusic()) sendCommand(std::string("pause ") + soundtrack.alias);
}

ReloadResult reloadSoundtrack(const char* path) {
    if (soundtrack.noDevice) return ReloadResult::SILENT;
    // The file could not be played when the run began, or nothing was ever opened.
    if (!hasMusic())
        return prepareSoundtrack(path) == 0 ? ReloadResult::RELOADED : ReloadResult::KEPT;
    RegularFile file;
    if (openSoundtrackFile(path, &file, KEEP_LAST) != 0) return ReloadResult::KEPT;
    _close(file.fd);
    char alias[ALIAS_BYTES];
    const MCIERROR error = openMusic(path, alias);
    if (error != 0) {
        warnSoundtrack(path, "cannot play the soundtrack", errorText(error).c_str(), KEEP_LAST);
        return ReloadResult::KEPT;
    }
    sendCommand(std::string("close ") + soundtrack.alias);
    std::snprintf(soundtrack.alias, sizeof soundtrack.alias, "%s", alias);
    soundtrack.path = path;
    return ReloadResult::RELOADED;
}
