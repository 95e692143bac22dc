#include "image.h"

#include <spng.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "file_io.h"

void resizeImage(Image* image, int32_t width, int32_t height, int32_t channels) {
    image->width = width;
    image->height = height;
    image->channels = channels;
    image->pixels.assign(static_cast<size_t>(width) * height * channels, 0);
}

void setPixel(Image* image, int32_t x, int32_t y, const double* components) {
    uint8_t* pixel = &image->pixels[(static_cast<size_t>(y) * image->width + x) * image->channels];
    for (int32_t c = 0; c < image->channels; ++c) {
        double value = components[c] < 0.0 ? 0.0 : components[c] > 1.0 ? 1.0 : components[c];
        pixel[c] = static_cast<uint8_t>(std::lround(value * 255.0));
    }
}

std::vector<uint8_t> encodePng(const Image& image) {
    std::vector<uint8_t> bytes;
    spng_ctx* context = spng_ctx_new(SPNG_CTX_ENCODER);
    if (!context) return bytes;
    spng_set_option(context, SPNG_ENCODE_TO_BUFFER, 1);
    struct spng_ihdr header = {};
    header.width = static_cast<uint32_t>(image.width);
    header.height = static_cast<uint32_t>(image.height);
    header.bit_depth = 8;
    header.color_type =
        image.channels == 4 ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
    spng_set_ihdr(context, &header);
    int error = spng_encode_image(context, image.pixels.data(), image.pixels.size(), SPNG_FMT_PNG,
                                  SPNG_ENCODE_FINALIZE);
    size_t size = 0;
    void* buffer = error ? nullptr : spng_get_png_buffer(context, &size, &error);
    if (buffer) {
        const uint8_t* start = static_cast<const uint8_t*>(buffer);
        bytes.assign(start, start + size);
        std::free(buffer);  // spng hands the buffer over to the caller
    }
    spng_ctx_free(context);
    return bytes;
}

int writePng(const Image& image, const std::string& path) {
    std::vector<uint8_t> bytes = encodePng(image);
    if (bytes.empty()) {
        std::fprintf(stderr, "assetgen: cannot encode %s as PNG\n", path.c_str());
        return 1;
    }
    return writeFileBytes(path, bytes.data(), bytes.size());
}
