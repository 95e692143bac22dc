// Images made by the generator and their PNG encoding: 8-bit RGB or RGBA, top row first.
// Image tiles = {}; makeTileTextures(&tiles, &bumps); writePng(tiles, joinPath(dir, name));
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Image {
    int32_t width;
    int32_t height;
    int32_t channels;  // 3 (RGB) or 4 (RGBA)
    std::vector<uint8_t> pixels;
};

void resizeImage(Image* image, int32_t width, int32_t height, int32_t channels);
// Stores a colour given as 0..1 components, clamped, at column x of row y.
void setPixel(Image* image, int32_t x, int32_t y, const double* components);

// The PNG file of the image in memory; empty on failure.
std::vector<uint8_t> encodePng(const Image& image);
// 0 on success; 1 after a one-line report on stderr.
int writePng(const Image& image, const std::string& path);
