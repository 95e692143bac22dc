#include "png_frames.h"

#include <spng.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/replace_file.h"

namespace {

// The file name of a frame, as printf and as ffmpeg's image sequence reader take it; frame indices
// stay far below 2^31 (80 seconds at 1000 frames a second at most).
constexpr const char* FRAME_NAME = "frame_%06d.png";

std::string framePath(const char* directory, int64_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, FRAME_NAME, static_cast<int>(frame));
    return std::string(directory) + "/" + name;
}

// Measured on the presentation's frames at 1280x720 (bench_png_level): libspng's default choice of
// filter, every filter tried on every row, costs some 28 ms of a frame's encoding for files 1-2 %
// smaller than the Paeth filter alone gives. After Paeth, zlib's run-length strategy makes files
// as small as level 6 makes them, in a third of its time; the full match search of levels 2 to 9
// only pays from level 7 up, by 1-2 %, at many times the cost. Level 0 stores the rows as they
// are: a filter would only cost time.
void chooseEncoding(spng_ctx* context, int level) {
    spng_set_option(context, SPNG_IMG_COMPRESSION_LEVEL, level);
    spng_set_option(context, SPNG_FILTER_CHOICE,
                    level == 0 ? SPNG_FILTER_CHOICE_NONE : SPNG_FILTER_CHOICE_PAETH);
    spng_set_option(context, SPNG_IMG_COMPRESSION_STRATEGY, level == 1 ? Z_RLE : Z_FILTERED);
}

// The frame as a PNG file in memory, to be written in one piece: libspng's own writes through a
// FILE would report a full disk as its state rather than the reason. Null with `result` set on
// failure; the caller frees what it returns.
void* encode(const uint8_t* rgb, int width, int height, int level, size_t* bytes, int* result) {
    spng_ctx* context = spng_ctx_new(SPNG_CTX_ENCODER);
    if (!context) {
        *result = SPNG_EMEM;
        return nullptr;
    }
    spng_set_option(context, SPNG_ENCODE_TO_BUFFER, 1);
    chooseEncoding(context, level);
    spng_ihdr header = {};
    header.width = static_cast<uint32_t>(width);
    header.height = static_cast<uint32_t>(height);
    header.bit_depth = 8;
    header.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    *result = spng_set_ihdr(context, &header);
    if (*result == 0) {
        const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
        *result = spng_encode_image(context, rgb, size, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
    }
    void* png = *result == 0 ? spng_get_png_buffer(context, bytes, result) : nullptr;
    spng_ctx_free(context);
    return png;
}

}  // namespace

int preparePngDirectory(const char* directory) {
    // Whatever exists already is checked below like a directory that was just made.
    std::error_code error;
    std::filesystem::create_directory(directory, error);
    if (error && error != std::errc::file_exists) {
        std::fprintf(stderr, "capture: --png %s: cannot create the directory: %s\n", directory,
                     error.message().c_str());
        return 1;
    }
    struct stat info = {};
    if (stat(directory, &info) != 0 || !S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "capture: --png %s: not a directory\n", directory);
        return 1;
    }
    if (access(directory, W_OK) != 0) {
        std::fprintf(stderr, "capture: --png %s: cannot write into it: %s\n", directory,
                     std::strerror(errno));
        return 1;
    }
    return 0;
}

int writePngFrame(const char* directory, int64_t frame, const uint8_t* rgb, int width, int height,
                  int level, std::string* failure) {
    const std::string path = framePath(directory, frame);
    size_t bytes = 0;
    int encoded = 0;
    void* png = encode(rgb, width, height, level, &bytes, &encoded);
    if (!png) {
        *failure = "capture: " + path + ": cannot write: " + spng_strerror(encoded);
        return 1;
    }
    // A frame already there stays whole until the new one is complete, whatever stops this one.
    const int error = replaceFile(path.c_str(), png, bytes);
    std::free(png);
    if (error == 0) return 0;
    *failure = "capture: " + path + ": cannot write: " + std::strerror(error);
    return 1;
}

int checkPngFrames(const char* directory, int64_t firstFrame, int64_t endFrame) {
    for (int64_t frame = firstFrame; frame < endFrame; ++frame) {
        const std::string path = framePath(directory, frame);
        if (access(path.c_str(), R_OK) == 0) continue;
        std::fprintf(stderr, "capture: %s: cannot be read: %s\n", path.c_str(),
                     std::strerror(errno));
        return 1;
    }
    return 0;
}

std::string pngFramePattern(const char* directory) {
    std::string pattern;
    for (const char* c = directory; *c != '\0'; ++c) {
        pattern += *c;
        if (*c == '%') pattern += '%';  // a literal percent sign in the pattern
    }
    return pattern + "/" + FRAME_NAME;
}
