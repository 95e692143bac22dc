#include <epoxy/gl.h>

#include "assets/png_texture.h"

#include <spng.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Past the end of libspng's error codes; our own reasons for refusing an image.
constexpr int PNG_TOO_LARGE = 1000;
// No PNG within the pixel limit compresses worse than this.
constexpr uint64_t PNG_MAX_FILE_BYTES = 2 * PNG_MAX_PIXELS * 4;

struct FileBytes {
    uint8_t* data;  // malloc'd
    size_t size;
};

// 0, or the errno of the failure. An empty file reads as zero bytes, which the decoder refuses.
int readWholeFile(const char* path, FileBytes* bytes) {
    FILE* file = std::fopen(path, "rb");
    if (!file) return errno;
    int error = 0;
    long size = -1;
    // A directory opens too, and reports a size of nonsense: only a regular file is read.
    struct stat info = {};
    if (fstat(fileno(file), &info) != 0) error = errno;
    else if (!S_ISREG(info.st_mode)) error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    if (!error && std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    if (!error && (size < 0 || std::fseek(file, 0, SEEK_SET) != 0)) error = errno ? errno : EIO;
    if (!error && static_cast<uint64_t>(size) > PNG_MAX_FILE_BYTES) error = EFBIG;
    uint8_t* data = nullptr;
    if (!error) {
        data = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size) + 1));
        if (!data) error = ENOMEM;
    }
    if (!error && std::fread(data, 1, static_cast<size_t>(size), file) != static_cast<size_t>(size)) {
        error = std::ferror(file) ? (errno ? errno : EIO) : EIO;
    }
    std::fclose(file);
    if (error) {
        std::free(data);
        return error;
    }
    *bytes = FileBytes{data, static_cast<size_t>(size)};
    return 0;
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

int decodeWith(spng_ctx* ctx, const uint8_t* data, size_t size, PngImage* image) {
    int error = spng_set_png_buffer(ctx, data, size);
    if (!error) error = spng_set_image_limits(ctx, 1u << 16, 1u << 16);
    spng_ihdr ihdr = {};
    if (!error) error = spng_get_ihdr(ctx, &ihdr);
    if (error) return error;
    if (static_cast<uint64_t>(ihdr.width) * ihdr.height > PNG_MAX_PIXELS) return PNG_TOO_LARGE;
    size_t length = 0;
    error = spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &length);
    if (error) return error;
    uint8_t* pixels = static_cast<uint8_t*>(std::malloc(length));
    if (!pixels) return SPNG_EMEM;
    error = spng_decode_image(ctx, pixels, length, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
    if (error) {
        std::free(pixels);
        return error;
    }
    flipRows(pixels, static_cast<size_t>(ihdr.width) * 4, ihdr.height);
    *image = PngImage{ihdr.width, ihdr.height, pixels};
    return 0;
}

const char* decodeErrorText(int error) {
    if (error == PNG_TOO_LARGE) return "image too large";
    return spng_strerror(error);
}

uint32_t uploadTexture(const PngImage& image) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);  // RGBA8 rows are always whole words
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(image.width),
                 static_cast<GLsizei>(image.height), 0, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    return texture;
}

}  // namespace

int decodePng(const uint8_t* data, size_t size, PngImage* image) {
    spng_ctx* ctx = spng_ctx_new(0);
    if (!ctx) return SPNG_EMEM;
    const int error = decodeWith(ctx, data, size, image);
    spng_ctx_free(ctx);
    return error;
}

uint32_t loadPngTexture(const char* path) {
    FileBytes bytes = {};
    const int readError = readWholeFile(path, &bytes);
    if (readError) {
        std::fprintf(stderr, "demo: %s: cannot read the texture (%s); drawing without it\n", path,
                     std::strerror(readError));
        return 0;
    }
    PngImage image = {};
    const int decodeError = decodePng(bytes.data, bytes.size, &image);
    std::free(bytes.data);
    if (decodeError) {
        std::fprintf(stderr, "demo: %s: not a usable PNG image (%s); drawing without it\n", path,
                     decodeErrorText(decodeError));
        return 0;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    uint32_t texture = 0;
    if (image.width <= static_cast<uint32_t>(maxSize) && image.height <= static_cast<uint32_t>(maxSize)) {
        texture = uploadTexture(image);
    } else {
        std::fprintf(stderr, "demo: %s: %ux%u is larger than OpenGL's %d; drawing without it\n",
                     path, image.width, image.height, maxSize);
    }
    std::free(image.pixels);
    return texture;
}
