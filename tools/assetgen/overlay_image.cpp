#include "overlay_image.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const int32_t OVERLAY_WIDTH = 1024;
const int32_t OVERLAY_HEIGHT = 1024;

// Everything sits inside the visible part of the quad, with a margin for screens a little off
// 16:9; the middle stays clear.
const double FRAME_HALF_WIDTH = 105.0;
const double FRAME_HALF_HEIGHT = 55.0;
const double FRAME_CORNER_RADIUS = 3.0;
const double FRAME_LINE = 0.32;  // half widths of strokes, quad units
const double BRACKET_LINE = 0.75;
const double BRACKET_LENGTH = 14.0;
const double TICK_LINE = 0.22;
const double TICK_SPACING = 10.0;
const double TICK_SPAN = 50.0;  // ticks run from -span to +span, clear of the lettering
const double TICK_LENGTH = 1.8;
const double INK_ALPHA = 0.85;
const double INK[3] = {0.04, 0.08, 0.16};
// A pale halo round every stroke keeps the lines legible over busy parts of a scene.
const double HALO_WIDTH = 0.7;
const double HALO_ALPHA = 0.45;

struct Segment {
    double ax, ay, bx, by;
};

struct Glyph {
    char letter;
    // Strokes on a 4-wide, 6-high grid: points "x,y" joined by lines; '|' starts a new stroke.
    const char* strokes;
};

// An angular face, straight strokes only, in the chamfered style of the frame.
const Glyph GLYPHS[] = {
    {'A', "0,0 0,5 1,6 3,6 4,5 4,0|0,3 4,3"},
    {'E', "4,6 0,6 0,0 4,0|0,3 3,3"},
    {'I', "2,0 2,6|1,0 3,0|1,6 3,6"},
    {'J', "4,6 4,1 3,0 1,0 0,1"},
    {'L', "0,6 0,0 4,0"},
    {'M', "0,0 0,6 2,3 4,6 4,0"},
    {'N', "0,0 0,6 4,0 4,6"},
    {'O', "1,0 0,1 0,5 1,6 3,6 4,5 4,1 3,0 1,0"},
    {'P', "0,0 0,6 3,6 4,5 4,4 3,3 0,3"},
    {'R', "0,0 0,6 3,6 4,5 4,4 3,3 0,3|2,3 4,0"},
    {'T', "0,6 4,6|2,6 2,0"},
    {'U', "0,6 0,1 1,0 3,0 4,1 4,6"},
    {'Y', "0,6 2,3 4,6|2,3 2,0"},
};
static_assert(sizeof(GLYPHS) / sizeof(GLYPHS[0]) == 13, "one entry per letter used");

struct TextLine {
    const char* text;
    double left, baseline;  // quad units
    double capHeight;
    double halfLine;
};

void appendGlyph(const Glyph& glyph, double left, double baseline, double unit,
                 std::vector<Segment>* segments) {
    const char* p = glyph.strokes;
    bool havePoint = false;
    double px = 0.0, py = 0.0;
    while (*p) {
        if (*p == '|' || *p == ' ') {
            if (*p == '|') havePoint = false;
            ++p;
            continue;
        }
        char* end = nullptr;
        double gx = std::strtod(p, &end);
        double gy = std::strtod(end + 1, &end);
        p = end;
        double x = left + gx * unit, y = baseline + gy * unit;
        if (havePoint) segments->push_back({px, py, x, y});
        px = x, py = y, havePoint = true;
    }
}

void layoutText(const TextLine& line, std::vector<Segment>* segments) {
    double unit = line.capHeight / 6.0;
    double x = line.left;
    for (const char* c = line.text; *c; ++c) {
        for (const Glyph& glyph : GLYPHS) {
            if (glyph.letter == *c) appendGlyph(glyph, x, line.baseline, unit, segments);
        }
        x += 6.5 * unit;
    }
}

double textWidth(const char* text, double capHeight) {
    return (std::strlen(text) * 6.5 - 2.5) * capHeight / 6.0;
}

double segmentDistance(const Segment& s, double x, double y) {
    double dx = s.bx - s.ax, dy = s.by - s.ay;
    double t = ((x - s.ax) * dx + (y - s.ay) * dy) / (dx * dx + dy * dy);
    t = t < 0.0 ? 0.0 : t > 1.0 ? 1.0 : t;
    return std::hypot(x - (s.ax + t * dx), y - (s.ay + t * dy));
}

// Signed distance to the frame's rounded rectangle (negative inside).
double frameDistance(double x, double y) {
    double qx = std::fabs(x) - (FRAME_HALF_WIDTH - FRAME_CORNER_RADIUS);
    double qy = std::fabs(y) - (FRAME_HALF_HEIGHT - FRAME_CORNER_RADIUS);
    double outside = std::hypot(std::fmax(qx, 0.0), std::fmax(qy, 0.0));
    return outside + std::fmin(std::fmax(qx, qy), 0.0) - FRAME_CORNER_RADIUS;
}

// Coverage of a stroke of half width `halfLine` at distance `d`, over one pixel's footprint.
double strokeCoverage(double d, double halfLine, double pixel) {
    double c = (halfLine - d) / pixel + 0.5;
    return c < 0.0 ? 0.0 : c > 1.0 ? 1.0 : c;
}

double tickDistance(double x, double y) {
    // Short ticks standing out of the middle of the long edges.
    if (std::fabs(x) > TICK_SPAN + TICK_LINE) return 1e9;
    double along = std::fabs(std::remainder(x, TICK_SPACING));
    double out = std::fabs(y) - FRAME_HALF_HEIGHT;
    if (out < 0.0) return 1e9;
    return out > TICK_LENGTH ? std::hypot(along, out - TICK_LENGTH) : along;
}

}  // namespace

void makeOverlay(Image* overlay) {
    resizeImage(overlay, OVERLAY_WIDTH, OVERLAY_HEIGHT, 4);
    const double unitsPerPixelX = 2.0 * OVERLAY_HALF_WIDTH / OVERLAY_WIDTH;
    const double unitsPerPixelY = 2.0 * OVERLAY_HALF_HEIGHT / OVERLAY_HEIGHT;
    const double pixel = std::fmax(unitsPerPixelX, unitsPerPixelY);

    const double titleHeight = 3.6, subtitleHeight = 2.4;
    const char* subtitle = "A REALTIME JOURNEY";
    const TextLine lines[2] = {
        {"PEITTO", -FRAME_HALF_WIDTH + 1.0, FRAME_HALF_HEIGHT + 2.6, titleHeight, 0.42},
        {subtitle, FRAME_HALF_WIDTH - 1.0 - textWidth(subtitle, subtitleHeight),
         -FRAME_HALF_HEIGHT - 2.6 - subtitleHeight, subtitleHeight, 0.3},
    };
    std::vector<Segment> letters[2];
    for (int i = 0; i < 2; ++i) layoutText(lines[i], &letters[i]);

    for (int32_t row = 0; row < OVERLAY_HEIGHT; ++row) {
        // The top row of the image shows at the top of the quad.
        double y = OVERLAY_HALF_HEIGHT - (row + 0.5) * unitsPerPixelY;
        for (int32_t column = 0; column < OVERLAY_WIDTH; ++column) {
            double x = -OVERLAY_HALF_WIDTH + (column + 0.5) * unitsPerPixelX;
            // Each stroke as its distance and half width; ink and halo share them.
            double edge = std::fabs(frameDistance(x, y));
            bool nearCorner = std::fabs(x) > FRAME_HALF_WIDTH - BRACKET_LENGTH &&
                              std::fabs(y) > FRAME_HALF_HEIGHT - BRACKET_LENGTH;
            double ink = 0.0, halo = 0.0;
            auto stroke = [&](double distance, double halfLine) {
                ink = std::fmax(ink, strokeCoverage(distance, halfLine, pixel));
                halo =
                    std::fmax(halo, strokeCoverage(distance, halfLine + HALO_WIDTH, pixel * 3.0));
            };
            stroke(edge, nearCorner ? BRACKET_LINE : FRAME_LINE);
            stroke(tickDistance(x, y), TICK_LINE);
            for (int i = 0; i < 2; ++i) {
                const TextLine& line = lines[i];
                if (std::fabs(y - line.baseline - line.capHeight / 2.0) > line.capHeight) continue;
                for (const Segment& s : letters[i]) stroke(segmentDistance(s, x, y), line.halfLine);
            }
            // Ink over halo.
            double inkAlpha = ink * INK_ALPHA, haloAlpha = halo * HALO_ALPHA * (1.0 - inkAlpha);
            double alpha = inkAlpha + haloAlpha;
            double rgba[4] = {1.0, 1.0, 1.0, alpha};
            for (int c = 0; c < 3 && alpha > 0.0; ++c)
                rgba[c] = (INK[c] * inkAlpha + haloAlpha) / alpha;
            setPixel(overlay, column, row, rgba);
        }
    }
}
