// Numbers as file formats store them: bigEndian32(p) reads the four bytes at p, most significant
// first (PNG chunk lengths, MP3 frame tags).
#pragma once

#include <cstdint>

inline uint32_t bigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
