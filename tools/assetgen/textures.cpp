#include "textures.h"

#include <cmath>

namespace {

const int32_t TEXTURE_SIZE = 512;

// Hexagon tiles: 7 columns and 8 rows of unit-spaced cells per repeat, close to regular since
// 8 rows of 0.866 span 6.93 units against the 7 of the columns.
const int HEX_COLUMNS = 7;
const int HEX_ROWS = 8;
const double HEX_ROW_SPACING = 0.8660254037844386;

// Plates: 4 rows of 2 per repeat, alternate rows shifted by half a plate; sizes in texture units.
const int PLATE_ROWS = 4;
const int PLATES_PER_ROW = 2;

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B9u ^ x * 0x85EBCA6Bu ^ y * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

double unitHash(uint32_t x, uint32_t y, uint32_t seed) { return hash(x, y, seed) / 4294967296.0; }

int wrap(int value, int period) { return ((value % period) + period) % period; }

double smoothstep(double edge0, double edge1, double x) {
    double t = (x - edge0) / (edge1 - edge0);
    t = t < 0.0 ? 0.0 : t > 1.0 ? 1.0 : t;
    return t * t * (3.0 - 2.0 * t);
}

double mix(double a, double b, double t) { return a + (b - a) * t; }

// Value noise on a lattice of `period` cells per texture repeat, so it tiles.
double valueNoise(double u, double v, int period, uint32_t seed) {
    double x = u * period, y = v * period;
    int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
    double fx = smoothstep(0.0, 1.0, x - x0), fy = smoothstep(0.0, 1.0, y - y0);
    double corners[4];
    for (int i = 0; i < 4; ++i) {
        corners[i] = unitHash(wrap(x0 + (i & 1), period), wrap(y0 + (i >> 1), period), seed);
    }
    return mix(mix(corners[0], corners[1], fx), mix(corners[2], corners[3], fx), fy);
}

// Fractal sum of octaves from `period` up, in 0..1.
double fractalNoise(double u, double v, int period, int octaves, uint32_t seed) {
    double sum = 0.0, weight = 0.5, total = 0.0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * valueNoise(u, v, period << i, seed + i);
        total += weight;
        weight *= 0.5;
    }
    return sum / total;
}

// Texture coordinates of a pixel centre; v grows upwards, as the images are shown upright.
void pixelTexCoord(int32_t x, int32_t y, double* u, double* v) {
    *u = (x + 0.5) / TEXTURE_SIZE;
    *v = 1.0 - (y + 0.5) / TEXTURE_SIZE;
}

// Slopes of the height field become the normal: x along u, y along v (up the image), z out of the
// surface; the height itself goes into alpha for offset mapping.
void heightToNormalMap(const std::vector<double>& height, double strength, Image* normal) {
    resizeImage(normal, TEXTURE_SIZE, TEXTURE_SIZE, 4);
    for (int32_t y = 0; y < TEXTURE_SIZE; ++y) {
        for (int32_t x = 0; x < TEXTURE_SIZE; ++x) {
            auto at = [&](int32_t px, int32_t py) {
                return height[wrap(py, TEXTURE_SIZE) * TEXTURE_SIZE + wrap(px, TEXTURE_SIZE)];
            };
            double slopeU = (at(x + 1, y) - at(x - 1, y)) * 0.5 * strength;
            double slopeV = (at(x, y - 1) - at(x, y + 1)) * 0.5 * strength;
            double l = std::sqrt(slopeU * slopeU + slopeV * slopeV + 1.0);
            double value[4] = {(-slopeU / l + 1.0) * 0.5, (-slopeV / l + 1.0) * 0.5,
                               (1.0 / l + 1.0) * 0.5, at(x, y)};
            setPixel(normal, x, y, value);
        }
    }
}

struct HexCell {
    int column, row;      // wrapped into one repeat
    double edgeDistance;  // to the nearest border, 0.5 at the centre
    double centreDistance;
};

HexCell findHexCell(double u, double v) {
    double x = u * HEX_COLUMNS, y = v * HEX_ROWS * HEX_ROW_SPACING;
    double best = 1e9, second = 1e9;
    HexCell cell = {0, 0, 0.0, 0.0};
    int baseRow = static_cast<int>(std::floor(y / HEX_ROW_SPACING));
    for (int row = baseRow - 1; row <= baseRow + 2; ++row) {
        double offset = wrap(row, 2) ? 0.5 : 0.0;
        int baseColumn = static_cast<int>(std::floor(x - offset));
        for (int column = baseColumn - 1; column <= baseColumn + 2; ++column) {
            double dx = x - (column + offset), dy = y - row * HEX_ROW_SPACING;
            double d2 = dx * dx + dy * dy;
            if (d2 < best) {
                second = best;
                best = d2;
                cell.column = wrap(column, HEX_COLUMNS);
                cell.row = wrap(row, HEX_ROWS);
            } else if (d2 < second) {
                second = d2;
            }
        }
    }
    // Neighbouring centres are one unit apart, so the bisector lies (d2^2 - d1^2) / 2 away.
    cell.edgeDistance = (second - best) / 2.0;
    cell.centreDistance = std::sqrt(best);
    return cell;
}

}  // namespace

void makeTileTextures(Image* colour, Image* normal) {
    // Glazes a tile may get; the gold one is rare.
    const double glazes[5][3] = {{0.09, 0.42, 0.50},
                                 {0.08, 0.22, 0.50},
                                 {0.16, 0.55, 0.58},
                                 {0.05, 0.32, 0.42},
                                 {0.76, 0.55, 0.18}};
    const double grout[3] = {0.05, 0.07, 0.11};
    resizeImage(colour, TEXTURE_SIZE, TEXTURE_SIZE, 3);
    std::vector<double> height(TEXTURE_SIZE * TEXTURE_SIZE);
    for (int32_t y = 0; y < TEXTURE_SIZE; ++y) {
        for (int32_t x = 0; x < TEXTURE_SIZE; ++x) {
            double u = 0.0, v = 0.0;
            pixelTexCoord(x, y, &u, &v);
            HexCell cell = findHexCell(u, v);
            double tile = smoothstep(0.035, 0.12, cell.edgeDistance);
            double dome = 1.0 - cell.centreDistance * cell.centreDistance / 0.34;
            double grain = fractalNoise(u, v, 16, 4, 7);
            height[y * TEXTURE_SIZE + x] = tile * (0.72 + 0.18 * dome) + 0.08 * grain;

            double pick = unitHash(cell.column, cell.row, 11);
            const double* glaze = glazes[pick < 0.06 ? 4 : static_cast<int>(pick * 4.0) % 4];
            double shade = 0.8 + 0.35 * fractalNoise(u, v, 8, 3, 23) + 0.1 * dome;
            double rim = mix(0.55, 1.0, smoothstep(0.035, 0.2, cell.edgeDistance));
            double rgb[3];
            for (int c = 0; c < 3; ++c) rgb[c] = mix(grout[c], glaze[c] * shade * rim, tile);
            setPixel(colour, x, y, rgb);
        }
    }
    heightToNormalMap(height, 14.0, normal);
}

void makePlateTextures(Image* copper, Image* lacquer, Image* normal) {
    resizeImage(copper, TEXTURE_SIZE, TEXTURE_SIZE, 3);
    resizeImage(lacquer, TEXTURE_SIZE, TEXTURE_SIZE, 3);
    std::vector<double> height(TEXTURE_SIZE * TEXTURE_SIZE);
    const double plateWidth = 1.0 / PLATES_PER_ROW, plateHeight = 1.0 / PLATE_ROWS;
    const double rivetInset = 0.024, rivetRadius = 0.011, engraveInset = 0.048;
    for (int32_t y = 0; y < TEXTURE_SIZE; ++y) {
        for (int32_t x = 0; x < TEXTURE_SIZE; ++x) {
            double u = 0.0, v = 0.0;
            pixelTexCoord(x, y, &u, &v);
            int row = static_cast<int>(v * PLATE_ROWS);
            double shifted = u + (row % 2 ? plateWidth / 2.0 : 0.0);
            double lx = std::fmod(shifted, plateWidth), ly = std::fmod(v, plateHeight);
            double edge =
                std::fmin(std::fmin(lx, plateWidth - lx), std::fmin(ly, plateHeight - ly));
            double groove = smoothstep(0.003, 0.016, edge);
            double engraved = 1.0 - smoothstep(0.0015, 0.004, std::fabs(edge - engraveInset));
            double rx =
                std::fmin(std::fabs(lx - rivetInset), std::fabs(plateWidth - rivetInset - lx));
            double ry =
                std::fmin(std::fabs(ly - rivetInset), std::fabs(plateHeight - rivetInset - ly));
            double rivetDistance = std::sqrt(rx * rx + ry * ry) / rivetRadius;
            double rivet =
                rivetDistance < 1.0 ? std::sqrt(1.0 - rivetDistance * rivetDistance) : 0.0;
            double hammered = fractalNoise(u, v, 32, 3, 41);
            double h = groove * (0.7 - 0.3 * engraved + 0.06 * hammered) + 0.3 * rivet;
            height[y * TEXTURE_SIZE + x] = h;

            double cloud = fractalNoise(u, v, 6, 4, 53);
            double streak = fractalNoise(u * 0.25, v * 4.0, 8, 3, 61);
            double patina =
                smoothstep(0.6, 0.75, cloud) * 0.8 + (1.0 - groove) * 0.7 + engraved * 0.5;
            patina = patina > 1.0 ? 1.0 : patina;
            double metal[3] = {0.80, 0.40, 0.16}, green[3] = {0.24, 0.55, 0.47};
            double brass[3] = {0.88, 0.68, 0.30}, crimson[3] = {0.55, 0.05, 0.10};
            double gold[3] = {0.82, 0.60, 0.20}, dark[3] = {0.10, 0.06, 0.05};
            double shine = 0.78 + 0.3 * streak + 0.08 * hammered;
            double grooveShade = mix(0.35, 1.0, groove);
            double orRgb[3], hrRgb[3];
            for (int c = 0; c < 3; ++c) {
                double base = mix(metal[c] * shine, green[c] * (0.8 + 0.3 * cloud), patina);
                orRgb[c] = mix(mix(dark[c], base, grooveShade), brass[c], rivet > 0.0 ? 0.85 : 0.0);
                double lacquered = crimson[c] * (0.8 + 0.35 * cloud);
                double trim = std::fmax(engraved, rivet > 0.0 ? 1.0 : 0.0);
                hrRgb[c] = mix(mix(dark[c], lacquered, grooveShade), gold[c] * shine, trim);
            }
            setPixel(copper, x, y, orRgb);
            setPixel(lacquer, x, y, hrRgb);
        }
    }
    heightToNormalMap(height, 12.0, normal);
}
