#include "support/png_upload.h"

#include "assets/png_texture.h"

uint32_t loadPngTexture(const char* path) {
    PngMipmaps mipmaps = {};
    readPngMipmaps(path, &mipmaps);
    return uploadPngMipmaps(path, &mipmaps);
}
