#include <epoxy/gl.h>

#include "assets/png_texture.h"

#include <spng.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/gl_error.h"
#include "system/byte_order.h"
#include "system/regular_file.h"
#include "system/warning.h"

namespace {

// Past the end of libspng's error codes; our own reasons for refusing an image.
constexpr int PNG_TOO_LARGE = 1000;
// No PNG within the pixel limit compresses worse than this.
constexpr uint64_t PNG_MAX_FILE_BYTES = 2 * PNG_MAX_PIXELS * 4;
// Most bytes libspng may take for one chunk, and for all the chunks it keeps, text inflated
// included. What reaches it after copyUsedChunks (palette, transparency) is far smaller.
constexpr size_t PNG_CHUNK_LIMIT = 1 << 20;

// Of the ancillary chunks only the transparency changes the pixels we decode (no gamma, no colour
// profile), yet libspng reads, and inflates, every one before the image: a few compressed text
// chunks can make gigabytes. The others are left out of the copy in `out` (room for `size`
// bytes), which keeps the order of the rest. Returns the copy's size; what is not a whole chunk is
// copied as it is, for the decoder to refuse.
size_t copyUsedChunks(const uint8_t* data, size_t size, uint8_t* out) {
    constexpr size_t SIGNATURE = 8;
    constexpr size_t FRAME = 12;  // length, type and CRC around a chunk's data
    size_t from = std::min(size, SIGNATURE);
    std::memcpy(out, data, from);
    size_t to = from;
    while (size - from >= FRAME) {
        const uint64_t chunk = FRAME + uint64_t{bigEndian32(data + from)};
        if (chunk > size - from) break;
        const uint8_t* type = data + from + 4;
        const bool ancillary = (type[0] & 0x20) != 0;  // a lower-case first letter
        if (!ancillary || std::memcmp(type, "tRNS", 4) == 0) {
            std::memcpy(out + to, data + from, static_cast<size_t>(chunk));
            to += static_cast<size_t>(chunk);
        }
        from += static_cast<size_t>(chunk);
    }
    std::memcpy(out + to, data + from, size - from);
    return to + (size - from);
}

void flipRows(uint8_t* pixels, size_t rowBytes, uint32_t height) {
    uint8_t* top = pixels;
    uint8_t* bottom = pixels + rowBytes * (height - 1);
    for (; top < bottom; top += rowBytes, bottom -= rowBytes) {
        for (size_t i = 0; i < rowBytes; ++i) {
            const uint8_t swap = top[i];
            top[i] = bottom[i];
            bottom[i] = swap;
        }
    }
}

// Reads the header and checks it against our limits; `length` gets the bytes of the decoded image.
int readHeader(spng_ctx* ctx, const uint8_t* data, size_t size, spng_ihdr* ihdr, size_t* length) {
    int error = spng_set_png_buffer(ctx, data, size);
    if (!error) error = spng_set_image_limits(ctx, 1u << 16, 1u << 16);
    if (!error) error = spng_set_chunk_limits(ctx, PNG_CHUNK_LIMIT, PNG_CHUNK_LIMIT);
    if (!error) error = spng_get_ihdr(ctx, ihdr);
    if (error) return error;
    if (static_cast<uint64_t>(ihdr->width) * ihdr->height > PNG_MAX_PIXELS) return PNG_TOO_LARGE;
    return spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, length);
}

// libspng's context over a copy of the file's bytes without the chunks we never use.
struct PngDecoder {
    spng_ctx* ctx;
    uint8_t* bytes;  // malloc'd; read by the context until closeDecoder
};

// Opens the decoder and reads the header; `length` gets the bytes of the decoded image. Every
// outcome needs closeDecoder.
int openDecoder(const uint8_t* data, size_t size, PngDecoder* decoder, spng_ihdr* ihdr,
                size_t* length) {
    *decoder = PngDecoder{spng_ctx_new(0), static_cast<uint8_t*>(std::malloc(size ? size : 1))};
    if (!decoder->ctx || !decoder->bytes) return SPNG_EMEM;
    const size_t used = copyUsedChunks(data, size, decoder->bytes);
    return readHeader(decoder->ctx, decoder->bytes, used, ihdr, length);
}

void closeDecoder(PngDecoder* decoder) {
    spng_ctx_free(decoder->ctx);
    std::free(decoder->bytes);
}

int decodeFlipped(spng_ctx* ctx, const spng_ihdr& ihdr, uint8_t* pixels, size_t length) {
    const int error = spng_decode_image(ctx, pixels, length, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
    if (!error) flipRows(pixels, static_cast<size_t>(ihdr.width) * 4, ihdr.height);
    return error;
}

// Fills the sizes of every level, down to 1x1, and returns the bytes of the whole chain.
size_t layOutLevels(uint32_t width, uint32_t height, PngMipmaps* mipmaps) {
    size_t bytes = 0;
    int level = 0;
    for (;; ++level) {
        mipmaps->width[level] = width;
        mipmaps->height[level] = height;
        bytes += static_cast<size_t>(width) * height * 4;
        if (width == 1 && height == 1) break;
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
    mipmaps->levelCount = level + 1;
    return bytes;
}

// Mean of two channel values, a half rounded up.
unsigned pairMean(unsigned a, unsigned b) { return (a + b + 1) >> 1; }

// One level from the one above by a 2x2 box filter, which narrows to 2x1 or 1x2 where the level
// above is one texel high or wide. The block is averaged in pairs, along each row and then the two
// row means, each rounding a half up: Mesa's llvmpipe makes its mipmaps so, and the levels of an
// image whose sides halve evenly come out identical to what glGenerateMipmap gave.
void halveLevel(const PngMipmaps& mipmaps, int level) {
    const uint32_t fromWidth = mipmaps.width[level - 1];
    const uint32_t fromHeight = mipmaps.height[level - 1];
    const size_t fromRowBytes = static_cast<size_t>(fromWidth) * 4;
    const uint8_t* from = mipmaps.pixels[level - 1];
    uint8_t* to = mipmaps.pixels[level];
    for (uint32_t y = 0; y < mipmaps.height[level]; ++y) {
        const uint8_t* row0 = from + fromRowBytes * std::min(2 * y, fromHeight - 1);
        const uint8_t* row1 = from + fromRowBytes * std::min(2 * y + 1, fromHeight - 1);
        for (uint32_t x = 0; x < mipmaps.width[level]; ++x) {
            const size_t x0 = static_cast<size_t>(std::min(2 * x, fromWidth - 1)) * 4;
            const size_t x1 = static_cast<size_t>(std::min(2 * x + 1, fromWidth - 1)) * 4;
            for (size_t c = 0; c < 4; ++c) {
                const unsigned mean0 = pairMean(row0[x0 + c], row0[x1 + c]);
                const unsigned mean1 = pairMean(row1[x0 + c], row1[x1 + c]);
                *to++ = static_cast<uint8_t>(pairMean(mean0, mean1));
            }
        }
    }
}

// Decodes level 0 straight into a block with room for the whole chain, then filters the rest.
int decodeMipmaps(const uint8_t* data, size_t size, PngMipmaps* mipmaps) {
    PngDecoder decoder;
    spng_ihdr ihdr = {};
    size_t length = 0;
    PngMipmaps chain = {};
    uint8_t* block = nullptr;
    int error = openDecoder(data, size, &decoder, &ihdr, &length);
    if (!error) {
        block = static_cast<uint8_t*>(std::malloc(layOutLevels(ihdr.width, ihdr.height, &chain)));
        if (!block) error = SPNG_EMEM;
    }
    if (!error) error = decodeFlipped(decoder.ctx, ihdr, block, length);
    closeDecoder(&decoder);
    if (error) {
        std::free(block);
        return error;
    }
    chain.pixels[0] = block;
    for (int level = 1; level < chain.levelCount; ++level) {
        const size_t above = static_cast<size_t>(chain.width[level - 1]) * chain.height[level - 1];
        chain.pixels[level] = chain.pixels[level - 1] + above * 4;
        halveLevel(chain, level);
    }
    *mipmaps = chain;
    return 0;
}

const char* decodeErrorText(int error) {
    if (error == PNG_TOO_LARGE) return "image too large";
    return spng_strerror(error);
}

// Into `texture`, or into a new texture object when it is 0.
uint32_t uploadLevels(const PngMipmaps& mipmaps, GLuint texture) {
    if (texture == 0) glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // RGBA8 rows are always whole words
    for (int level = 0; level < mipmaps.levelCount; ++level) {
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, static_cast<GLsizei>(mipmaps.width[level]),
                     static_cast<GLsizei>(mipmaps.height[level]), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     mipmaps.pixels[level]);
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    return texture;
}

// `consequence` ends the warning line: what the caller does without the image.
uint32_t uploadOrWarn(const char* path, const PngMipmaps& mipmaps, GLuint texture,
                      const char* consequence) {
    if (mipmaps.readError) {
        warnFile(path, "cannot read the texture", fileErrorText(mipmaps.readError), consequence);
        return 0;
    }
    if (mipmaps.decodeError) {
        warnFile(path, "not a usable PNG image", decodeErrorText(mipmaps.decodeError), consequence);
        return 0;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (mipmaps.width[0] > static_cast<uint32_t>(maxSize) ||
        mipmaps.height[0] > static_cast<uint32_t>(maxSize)) {
        char what[64];
        std::snprintf(what, sizeof what, "%ux%u is larger than OpenGL's %d", mipmaps.width[0],
                      mipmaps.height[0], maxSize);
        warnFile(path, what, nullptr, consequence);
        return 0;
    }
    takeGlError();  // what earlier calls left is theirs
    const GLuint uploaded = uploadLevels(mipmaps, texture);
    // Under a memory limit the driver refuses the levels, and the texture would sample as black.
    const uint32_t error = takeGlError();
    if (error == 0) return uploaded;
    if (texture == 0) glDeleteTextures(1, &uploaded);
    warnFile(path, "OpenGL cannot hold the texture", glErrorName(error), consequence);
    return 0;
}

uint32_t uploadAndFree(const char* path, PngMipmaps* mipmaps, GLuint texture,
                       const char* consequence) {
    const uint32_t uploaded = uploadOrWarn(path, *mipmaps, texture, consequence);
    std::free(mipmaps->pixels[0]);
    mipmaps->levelCount = 0;
    for (uint8_t*& level : mipmaps->pixels) level = nullptr;
    return uploaded;
}

}  // namespace

int decodePng(const uint8_t* data, size_t size, PngImage* image) {
    PngDecoder decoder;
    spng_ihdr ihdr = {};
    size_t length = 0;
    uint8_t* pixels = nullptr;
    int error = openDecoder(data, size, &decoder, &ihdr, &length);
    if (!error) {
        pixels = static_cast<uint8_t*>(std::malloc(length));
        if (!pixels) error = SPNG_EMEM;
    }
    if (!error) error = decodeFlipped(decoder.ctx, ihdr, pixels, length);
    closeDecoder(&decoder);
    if (error) {
        std::free(pixels);
        return error;
    }
    *image = PngImage{ihdr.width, ihdr.height, pixels};
    return 0;
}

int decodePngMipmaps(const uint8_t* data, size_t size, PngMipmaps* mipmaps) {
    *mipmaps = PngMipmaps{};
    mipmaps->decodeError = decodeMipmaps(data, size, mipmaps);
    return mipmaps->decodeError;
}

int readPngMipmaps(const char* path, PngMipmaps* mipmaps) {
    *mipmaps = PngMipmaps{};
    // An empty file, or one cut short while it was read, gives the bytes there are, which the
    // decoder then refuses.
    char* bytes = nullptr;
    size_t size = 0;
    mipmaps->readError = readWholeRegularFile(path, PNG_MAX_FILE_BYTES, &bytes, &size);
    if (mipmaps->readError) return mipmaps->readError;
    const int error = decodePngMipmaps(reinterpret_cast<uint8_t*>(bytes), size, mipmaps);
    std::free(bytes);
    return error;
}

uint32_t reloadPngMipmaps(uint32_t texture, const char* path, PngMipmaps* mipmaps) {
    // Into an object of its own: a driver that refuses a level after taking the first would
    // otherwise leave the old texture half replaced, though the line says it is kept.
    const uint32_t replacement = uploadAndFree(path, mipmaps, 0, "keeping the last good image");
    if (replacement && texture) glDeleteTextures(1, &texture);
    return replacement;
}

uint32_t uploadPngMipmaps(const char* path, PngMipmaps* mipmaps) {
    return uploadAndFree(path, mipmaps, 0, "drawing without it");
}
