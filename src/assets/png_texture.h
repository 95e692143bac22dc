// PNG files into OpenGL textures: loadPngTexture("1.PNG") with a context current gives a mipmapped,
// trilinear, repeating RGBA8 texture, upright on a quad whose t = 0 edge is at the bottom.
#pragma once

#include <cstddef>
#include <cstdint>

struct PngImage {
    uint32_t width;   // pixels
    uint32_t height;  // pixels
    uint8_t* pixels;  // RGBA8, width * height * 4 bytes, bottom row first; malloc'd, caller frees
};

// Largest image accepted, in pixels (256 MiB decoded): a header cannot make us allocate more.
constexpr uint64_t PNG_MAX_PIXELS = 64ull * 1024 * 1024;

// Decodes any PNG colour type and depth to RGBA8, transparency chunks applied, rows flipped so the
// image's top row comes last. 0 on success, otherwise libspng's error code (image untouched).
int decodePng(const uint8_t* data, size_t size, PngImage* image);

// The name of a new texture object made from the file, left bound to GL_TEXTURE_2D on the active
// unit; 0 after one warning line on stderr naming the file and what is wrong.
uint32_t loadPngTexture(const char* path);
