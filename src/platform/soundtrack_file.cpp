#include "platform/soundtrack_file.h"

#include <cstring>

#include "system/byte_order.h"
#include "system/warning.h"

const char PLAY_SILENT[] = "playing without sound";
const char KEEP_LAST[] = "keeping the last good one";

int warnSoundtrack(const char* path, const char* what, const char* why, const char* consequence) {
    warnFile(path, what, why, consequence);
    return 1;
}

namespace {

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
// it: a decoder (libmpg123) would print its own lines about a broken file, and a file cut short
// would play a part with no word at all.
const char* soundtrackFault(const RegularFile& file) {
    uint8_t head[10] = {};
    if (readFileAt(file.fd, head, sizeof head, 0) != static_cast<int64_t>(sizeof head))
        return "not an MP3 stream";
    const uint64_t start = id3Size(head);
    uint8_t frame[64] = {};
    const int64_t got = readFileAt(file.fd, frame, sizeof frame, start);
    if (got < 4 || !isFrameHeader(frame)) return "not an MP3 stream";
    const uint64_t declared = declaredStreamBytes(frame, static_cast<size_t>(got));
    if (file.size - start < declared) return "shorter than its header declares";
    return nullptr;
}

}  // namespace

int openSoundtrackFile(const char* path, RegularFile* file, const char* consequence) {
    const int error = openRegularFile(path, UINT64_MAX, file);
    if (error != 0)
        return warnSoundtrack(path, "cannot read the soundtrack", fileErrorText(error),
                              consequence);
    const char* fault = soundtrackFault(*file);
    if (!fault) return 0;
    closeRegularFile(file->fd);
    return warnSoundtrack(path, "cannot play the soundtrack", fault, consequence);
}

bool soundtrackPlayable(const char* path, const char* consequence) {
    RegularFile file;
    if (openSoundtrackFile(path, &file, consequence) != 0) return false;
    closeRegularFile(file.fd);
    return true;
}
