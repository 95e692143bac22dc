// A PNG file decoded to RGB, top row first, as capture writes its frames; for the tests and the
// benchmarks that read them back.
#pragma once

#include <spng.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// False when the file cannot be read or is not a PNG image.
inline bool readPngRgb(const std::filesystem::path& path, RgbImage* image) {
    std::ifstream in(path, std::ios::binary);
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    spng_ctx* context = spng_ctx_new(0);
    spng_set_png_buffer(context, data.data(), data.size());
    spng_ihdr header = {};
    size_t size = 0;
    bool good = spng_get_ihdr(context, &header) == 0 &&
                spng_decoded_image_size(context, SPNG_FMT_RGB8, &size) == 0;
    if (good) {
        image->width = static_cast<int>(header.width);
        image->height = static_cast<int>(header.height);
        image->rgb.resize(size);
        good = spng_decode_image(context, image->rgb.data(), size, SPNG_FMT_RGB8, 0) == 0;
    }
    spng_ctx_free(context);
    return good;
}
