// PNG files into mipmapped, trilinear, repeating RGBA8 textures: readPngMipmaps("image.PNG", &m)
// on any thread, then uploadPngMipmaps("image.PNG", &m) with a context current.
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

// Levels of the largest image decodePng accepts (65536 pixels a side) down to 1x1.
constexpr int PNG_MAX_LEVELS = 17;

// A texture file read and decoded without OpenGL: its whole mip chain, or why there is none.
struct PngMipmaps {
    int readError;                    // errno of reading the file; 0 when it was read
    int decodeError;                  // why the bytes are not a usable PNG image; 0 when they are
    int levelCount;                   // 0 unless both errors are 0
    uint32_t width[PNG_MAX_LEVELS];   // pixels; half the level before, rounded down, at least 1
    uint32_t height[PNG_MAX_LEVELS];  // pixels
    // RGBA8, bottom row first, level after level in one malloc'd block that pixels[0] owns.
    uint8_t* pixels[PNG_MAX_LEVELS];
};

// Decodes any PNG colour type and depth to RGBA8, transparency chunks applied, rows flipped so the
// image's top row comes last. 0 on success, otherwise libspng's error code (image untouched).
int decodePng(const uint8_t* data, size_t size, PngImage* image);

// Decodes PNG bytes in memory and box-filters each level from the one above (a 2x2 average,
// rounded as Mesa's glGenerateMipmap rounds; an odd last row or column is left out). Touches no
// OpenGL state and prints nothing, so it may run on any thread. 0 on success, the whole chain in
// `mipmaps` for the caller to free (pixels[0]); otherwise decodeError, and no level.
int decodePngMipmaps(const uint8_t* data, size_t size, PngMipmaps* mipmaps);

// Reads the file, then decodePngMipmaps. 0 on success; otherwise readError or decodeError says why.
int readPngMipmaps(const char* path, PngMipmaps* mipmaps);

// With a context current: a new texture object holding every level, left bound to GL_TEXTURE_2D on
// the active unit; or 0 after one warning line on stderr naming `path` and what is wrong: the file,
// a side longer than OpenGL's GL_MAX_TEXTURE_SIZE, or an error OpenGL reports for the upload (out
// of memory, say). Frees the pixels either way.
uint32_t uploadPngMipmaps(const char* path, PngMipmaps* mipmaps);

// As uploadPngMipmaps, for an image that takes the place of `texture` (0 for none): once every
// level is in a new texture object, `texture` is deleted and the new one returned, for the caller
// to draw with instead. 0 after the warning line, with `texture` untouched.
uint32_t reloadPngMipmaps(uint32_t texture, const char* path, PngMipmaps* mipmaps);
