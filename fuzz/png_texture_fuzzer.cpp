// libFuzzer target over the PNG texture path from memory: the size limits, libspng's decoding to
// RGBA8 and the mip chain filtered from it, which the sanitizers watch for any access outside the
// one block that holds every level. Level 0 must also be what the plain decoder gives for the same
// bytes, accepted or refused alike.
//   make fuzz   (FUZZ_SECONDS=60 make fuzz for a shorter run)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/png_texture.h"

namespace {

void fail(const char* what) {
    std::fprintf(stderr, "png_texture_fuzzer: %s\n", what);
    std::abort();
}

// Reading the 1x1 level at the end of the chain reaches the end of the block.
void checkChain(const PngMipmaps& mipmaps) {
    const int last = mipmaps.levelCount - 1;
    if (last < 0 || last >= PNG_MAX_LEVELS) fail("level count out of range");
    if (mipmaps.width[last] != 1 || mipmaps.height[last] != 1) fail("the chain stops before 1x1");
    volatile uint8_t texel = mipmaps.pixels[last][3];
    (void)texel;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PngMipmaps mipmaps;
    const int error = decodePngMipmaps(data, size, &mipmaps);
    PngImage image = {};
    if ((decodePng(data, size, &image) == 0) != (error == 0)) fail("the two decoders disagree");
    if (error) {
        if (mipmaps.levelCount != 0 || mipmaps.pixels[0]) fail("levels left after a failure");
        return 0;
    }
    checkChain(mipmaps);
    const size_t bytes = static_cast<size_t>(image.width) * image.height * 4;
    if (image.width != mipmaps.width[0] || image.height != mipmaps.height[0] ||
        std::memcmp(image.pixels, mipmaps.pixels[0], bytes) != 0)
        fail("level 0 differs from the plain decoding");
    std::free(image.pixels);
    std::free(mipmaps.pixels[0]);
    return 0;
}
