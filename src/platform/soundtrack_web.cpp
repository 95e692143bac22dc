#include "platform/soundtrack.h"

#include <emscripten.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/soundtrack_file.h"
#include "system/regular_file.h"

// The music through Web Audio, as Module.soundtrack: the page's AudioContext (which its click
// resumes), a gain node `output` that every source plays into (a place to listen in), the
// decoded `buffer`, the `source` playing, and `wanted`, a play asked for before the decoding
// ended. decodeAudioData runs beside the start-up, so the first frame does not wait for it.

namespace {

// Written by prepareSoundtrack; the path that a late decoding failure names.
struct Soundtrack {
    const char* path;
    bool ready;  // handed to the browser to decode
};
Soundtrack soundtrack = {nullptr, false};

EM_JS(int, webAudioAvailable, (), {
    return (typeof AudioContext != 'undefined' || typeof webkitAudioContext != 'undefined') ? 1 : 0;
});

// Takes a copy of the bytes; a failure to decode calls back into webSoundtrackUndecodable.
EM_JS(void, webDecode, (const unsigned char* bytes, int size), {
    var s = Module.soundtrack;
    if (!s) {
        var Context = typeof AudioContext != 'undefined' ? AudioContext : webkitAudioContext;
        var context = Module.audioContext || new Context();
        var output = context.createGain();
        output.connect(context.destination);
        s = Module.soundtrack = {
            context : context,
            output : output,
            buffer : null,
            source : null,
            wanted : null,
            generation : 0
        };
    }
    var generation = ++s.generation;
    var data = HEAPU8.slice(bytes, bytes + size).buffer;
    s.context.decodeAudioData(data).then(
        function(buffer) {
            if (generation != s.generation) return;
            s.buffer = buffer;
            if (!s.wanted) return;
            // Started as far in as the time that has passed since the play was asked for.
            var late = s.context.currentTime - s.wanted.at;
            var offset = s.wanted.offset + late;
            s.wanted = null;
            Module.playSoundtrackAt(offset);
        },
        function(error) {
            if (generation != s.generation) return;
            s.wanted = null;
            var reason = String((error && error.message) || error || 'undecodable');
            var length = lengthBytesUTF8(reason) + 1;
            var text = _malloc(length);
            stringToUTF8(reason, text, length);
            _webSoundtrackUndecodable(text);
            _free(text);
        });
    Module.playSoundtrackAt = function(offset) {
        if (s.source) {
            s.source.onended = null;
            s.source.stop();
            s.source.disconnect();
            s.source = null;
        }
        if (!s.buffer || offset >= s.buffer.duration) return;
        var source = s.context.createBufferSource();
        source.buffer = s.buffer;
        source.connect(s.output);
        source.start(0, Math.max(0, offset));
        s.source = source;
    };
});

EM_JS(void, webPlayFrom, (double seconds), {
    var s = Module.soundtrack;
    if (!s) return;
    if (s.buffer) {
        Module.playSoundtrackAt(seconds);
        return;
    }
    s.wanted = {offset : seconds, at : s.context.currentTime};
});

EM_JS(void, webPause, (), {
    var s = Module.soundtrack;
    if (!s) return;
    s.wanted = null;
    if (s.buffer) Module.playSoundtrackAt(Infinity);
});

// The whole file, or null after a warning line ending in `consequence`.
unsigned char* readSoundtrack(const char* path, int* size, const char* consequence) {
    RegularFile file;
    if (openSoundtrackFile(path, &file, consequence) != 0) return nullptr;
    const size_t bytes = static_cast<size_t>(file.size);
    unsigned char* data = static_cast<unsigned char*>(std::malloc(bytes > 0 ? bytes : 1));
    size_t done = 0;
    while (data && done < bytes) {
        const int64_t got = readFileAt(file.fd, data + done, bytes - done, done);
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    close(file.fd);
    if (!data || done != bytes) {
        std::free(data);
        warnSoundtrack(path, "cannot read the soundtrack", "the read ended early", consequence);
        return nullptr;
    }
    *size = static_cast<int>(bytes);
    return data;
}

int decode(const char* path, const char* consequence) {
    if (!webAudioAvailable())
        return warnSoundtrack(path, "no audio", "this browser has no Web Audio", consequence);
    int size = 0;
    unsigned char* data = readSoundtrack(path, &size, consequence);
    if (!data) return 1;
    webDecode(data, size);
    std::free(data);
    soundtrack = Soundtrack{path, true};
    return 0;
}

}  // namespace

// The browser's decoder refused the file, after start-up went on without waiting for it.
extern "C" EMSCRIPTEN_KEEPALIVE void webSoundtrackUndecodable(const char* reason) {
    warnSoundtrack(soundtrack.path ? soundtrack.path : "soundtrack", "cannot play the soundtrack",
                   reason, PLAY_SILENT);
}

// A page is silent until its click anyway; nothing more to do.
void keepSoundtrackSilent() {}

int prepareSoundtrack(const char* path) { return decode(path, PLAY_SILENT); }

void playSoundtrack() { playSoundtrackFrom(0.0); }

void playSoundtrackFrom(double seconds) {
    if (soundtrack.ready) webPlayFrom(seconds);
}

void pauseSoundtrack() {
    if (soundtrack.ready) webPause();
}

ReloadResult reloadSoundtrack(const char* path) {
    if (!webAudioAvailable()) return ReloadResult::SILENT;
    return decode(path, KEEP_LAST) == 0 ? ReloadResult::RELOADED : ReloadResult::KEPT;
}
