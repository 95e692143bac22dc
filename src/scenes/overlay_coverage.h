// Where the overlay image can show at all, so that the overlay is drawn only there: measure once
// per image with measureOverlayCoverage(mipmaps) before the upload frees the levels, then
// overlayCoverageRects(level) for the level set the view samples.
#pragma once

#include <cstdint>

#include "assets/png_texture.h"

constexpr int OVERLAY_TILE_MIN = 16;  // texels of the base level a tile side, at the least
constexpr int OVERLAY_GRID_MAX = 64;  // tiles a side, at the most

// A rectangle of whole tiles, [column0, column1) by [row0, row1), row 0 at t = 0.
struct OverlayRect {
    uint8_t column0, row0, column1, row1;
};

struct OverlayCoverage {
    int levelCount;  // 0: nothing measured, the whole quad is drawn
    int baseWidth;   // texels of level 0
    int baseHeight;
    int tileWidth;  // texels of level 0 a tile
    int tileHeight;
    int columns;  // tiles
    int rows;
    // reach[k][row * columns + column] is 1 when a sample that reads levels 0 to k anywhere in the
    // tile may meet a texel with alpha above 0: the texel itself or a bilinear neighbour of it, the
    // texture wrapping round as it repeats. Where no level a sample reads has such a texel, the
    // sampled alpha is 0 and the alpha test drops the fragment.
    uint8_t reach[PNG_MAX_LEVELS][OVERLAY_GRID_MAX * OVERLAY_GRID_MAX];
};

// Written by the driver when it reads or reloads the overlay image (at start-up on its prefetch
// worker, before the first pass); read by drawOverlay.
extern OverlayCoverage overlayCoverage;

// Fills `coverage` from the decoded levels (levelCount 0 when there are none).
void measureOverlayCoverage(const PngMipmaps& mipmaps, OverlayCoverage* coverage);

// The tiles reached on levels 0 to `level`, merged into few non-overlapping rectangles, into
// `rects` (room for OVERLAY_GRID_MAX * OVERLAY_GRID_MAX). Returns how many.
int overlayCoverageRects(const OverlayCoverage& coverage, int level, OverlayRect* rects);
