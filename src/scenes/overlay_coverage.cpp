#include "scenes/overlay_coverage.h"

#include <cstring>

OverlayCoverage overlayCoverage = {};

namespace {

int tileSide(uint32_t texels) {
    const int fitted = static_cast<int>((texels + OVERLAY_GRID_MAX - 1) / OVERLAY_GRID_MAX);
    return fitted > OVERLAY_TILE_MIN ? fitted : OVERLAY_TILE_MIN;
}

int wrapped(int64_t tile, int count) {
    const int64_t r = tile % count;
    return static_cast<int>(r < 0 ? r + count : r);
}

int64_t floorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The tiles along one axis that texel `i` of a level `levelTexels` wide can reach in samples: a
// sample at s reads the texels either side of s * levelTexels - 0.5, so texel i is read only
// between (i - 0.5) / levelTexels and (i + 1.5) / levelTexels; a whole texel either side is kept.
struct TileSpan {
    int64_t first, last;  // tile indices, unwrapped
};
TileSpan reachOf(int64_t i, uint32_t levelTexels, int baseTexels, int tile) {
    const int64_t texelsPerTile = static_cast<int64_t>(levelTexels) * tile;
    return {floorDiv((i - 1) * baseTexels, texelsPerTile),
            floorDiv((i + 2) * baseTexels, texelsPerTile)};
}

void markLevel(const PngMipmaps& m, int level, OverlayCoverage* c, uint8_t* reach) {
    const uint32_t width = m.width[level];
    const uint32_t height = m.height[level];
    const uint8_t* pixels = m.pixels[level];
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + static_cast<size_t>(y) * width * 4;
        uint32_t x = 0;
        while (x < width) {
            if (row[x * 4 + 3] == 0) {
                ++x;
                continue;
            }
            // A run of texels with content marks as one.
            const uint32_t runStart = x;
            while (x < width && row[x * 4 + 3] != 0) ++x;
            const TileSpan across = reachOf(runStart, width, c->baseWidth, c->tileWidth);
            const TileSpan lastAcross = reachOf(x - 1, width, c->baseWidth, c->tileWidth);
            const TileSpan down = reachOf(y, height, c->baseHeight, c->tileHeight);
            const int64_t columnsSpanned = lastAcross.last - across.first + 1;
            for (int64_t r = down.first; r <= down.last; ++r) {
                uint8_t* reachRow = reach + wrapped(r, c->rows) * c->columns;
                if (columnsSpanned >= c->columns) {
                    std::memset(reachRow, 1, static_cast<size_t>(c->columns));
                    continue;
                }
                for (int64_t col = across.first; col <= lastAcross.last; ++col)
                    reachRow[wrapped(col, c->columns)] = 1;
            }
        }
    }
}

}  // namespace

void measureOverlayCoverage(const PngMipmaps& mipmaps, OverlayCoverage* coverage) {
    std::memset(coverage, 0, sizeof *coverage);
    if (mipmaps.levelCount < 1) return;
    coverage->baseWidth = static_cast<int>(mipmaps.width[0]);
    coverage->baseHeight = static_cast<int>(mipmaps.height[0]);
    coverage->tileWidth = tileSide(mipmaps.width[0]);
    coverage->tileHeight = tileSide(mipmaps.height[0]);
    coverage->columns = (coverage->baseWidth + coverage->tileWidth - 1) / coverage->tileWidth;
    coverage->rows = (coverage->baseHeight + coverage->tileHeight - 1) / coverage->tileHeight;
    for (int level = 0; level < mipmaps.levelCount; ++level) {
        uint8_t* reach = coverage->reach[level];
        if (level > 0) std::memcpy(reach, coverage->reach[level - 1], sizeof coverage->reach[0]);
        markLevel(mipmaps, level, coverage, reach);
    }
    coverage->levelCount = mipmaps.levelCount;
}

int overlayCoverageRects(const OverlayCoverage& coverage, int level, OverlayRect* rects) {
    const uint8_t* reach = coverage.reach[level];
    int count = 0;
    // Runs of reached tiles along each row; a run that repeats one of the row before grows that
    // rectangle instead of starting another.
    for (int row = 0; row < coverage.rows; ++row) {
        const int before = count;
        const uint8_t* tiles = reach + row * coverage.columns;
        for (int column = 0; column < coverage.columns;) {
            if (!tiles[column]) {
                ++column;
                continue;
            }
            const int start = column;
            while (column < coverage.columns && tiles[column]) ++column;
            OverlayRect* grown = nullptr;
            for (int i = 0; i < before && !grown; ++i)
                if (rects[i].column0 == start && rects[i].column1 == column && rects[i].row1 == row)
                    grown = &rects[i];
            if (grown) {
                grown->row1 = static_cast<uint8_t>(row + 1);
                continue;
            }
            rects[count++] = {static_cast<uint8_t>(start), static_cast<uint8_t>(row),
                              static_cast<uint8_t>(column), static_cast<uint8_t>(row + 1)};
        }
    }
    return count;
}
