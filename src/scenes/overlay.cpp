#include <epoxy/gl.h>

#include "scenes/overlay.h"

#include <cmath>

#include "scenes/overlay_coverage.h"
#include "scenes/scene_resources.h"

float fadeAlpha = FADE_ALPHA_START;

FadeMode fadeModeAt(double t) {
    for (const FadeWindow& w : fadeWindows)
        if (t > w.start && t < w.end) return w.mode;
    return FADE_NONE;
}

namespace {

struct QuadCorner {
    double s, t;  // texture coordinate
    double x, y;  // eye units, before the quad's own depth
};

// Counter-clockwise from the eye, so the quad survives back-face culling.
const QuadCorner quadCorners[] = {
    {0.0, 0.0, -OVERLAY_HALF_WIDTH, -OVERLAY_HALF_HEIGHT},
    {1.0, 0.0, OVERLAY_HALF_WIDTH, -OVERLAY_HALF_HEIGHT},
    {1.0, 1.0, OVERLAY_HALF_WIDTH, OVERLAY_HALF_HEIGHT},
    {0.0, 1.0, -OVERLAY_HALF_WIDTH, OVERLAY_HALF_HEIGHT},
};
static_assert(sizeof(quadCorners) / sizeof(quadCorners[0]) == 4);

constexpr GLfloat OVERLAY_DEPTH = -100.1f;  // just beyond the near plane at 100
constexpr GLfloat FADE_DEPTH = -100.01f;    // in front of the overlay
constexpr GLfloat OVERLAY_ALPHA_REFERENCE = 0.1f;
constexpr GLfloat FADE_ALPHA_REFERENCE = 0.01f;
constexpr double FADE_STEP = 0.01;  // alpha per call, not per second

void drawQuad() {
    glBegin(GL_QUADS);
    for (const QuadCorner& c : quadCorners) {
        glTexCoord2d(c.s, c.t);
        glVertex2d(c.x, c.y);
    }
    glEnd();
}

// The coarsest mip level a sample of the overlay may read at the present viewport and projection,
// or -1 when that cannot be told. Trilinear filtering reads the level of the texel-to-pixel ratio
// and the next coarser one; one level more allows for the rasteriser's own estimate of the ratio.
int sampledLevel(const OverlayCoverage& coverage) {
    GLint viewport[4] = {};
    GLfloat projection[16] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const double depth = -static_cast<double>(OVERLAY_DEPTH);
    const double pixelsPerUnitX = projection[0] * viewport[2] / (2.0 * depth);
    const double pixelsPerUnitY = projection[5] * viewport[3] / (2.0 * depth);
    const double texelsPerPixelX = coverage.baseWidth / (2.0 * OVERLAY_HALF_WIDTH) / pixelsPerUnitX;
    const double texelsPerPixelY =
        coverage.baseHeight / (2.0 * OVERLAY_HALF_HEIGHT) / pixelsPerUnitY;
    const double ratio = std::fmax(texelsPerPixelX, texelsPerPixelY);
    if (!(ratio > 0.0) || !std::isfinite(ratio)) return -1;
    const double lod = std::log2(ratio);
    const int level = (lod > 0.0 ? static_cast<int>(std::fmin(lod, 64.0)) : 0) + 2;
    return level < coverage.levelCount ? level : coverage.levelCount - 1;
}

// The overlay quad where its image can show: the rectangles of tiles whose samples may meet any
// alpha above 0. Everywhere else the sampled alpha is 0, which the alpha test drops, so the frame
// is what the whole quad makes. Corners on a shared edge are formed from the same tile index, so
// neighbouring rectangles meet without a gap or a pixel drawn twice.
bool drawCoveredQuads() {
    const OverlayCoverage& coverage = overlayCoverage;
    if (sceneResources.texturePeitto == 0 || coverage.levelCount == 0) return false;
    const int level = sampledLevel(coverage);
    if (level < 0) return false;
    static OverlayRect rects[OVERLAY_GRID_MAX * OVERLAY_GRID_MAX];
    const int count = overlayCoverageRects(coverage, level, rects);
    auto s = [&](int column) {
        return column == coverage.columns
                   ? 1.0
                   : static_cast<double>(column * coverage.tileWidth) / coverage.baseWidth;
    };
    auto t = [&](int row) {
        return row == coverage.rows
                   ? 1.0
                   : static_cast<double>(row * coverage.tileHeight) / coverage.baseHeight;
    };
    glBegin(GL_QUADS);
    for (int i = 0; i < count; ++i) {
        const double s0 = s(rects[i].column0), s1 = s(rects[i].column1);
        const double t0 = t(rects[i].row0), t1 = t(rects[i].row1);
        const double corners[4][2] = {{s0, t0}, {s1, t0}, {s1, t1}, {s0, t1}};
        for (const auto& c : corners) {
            glTexCoord2d(c[0], c[1]);
            glVertex2d(-OVERLAY_HALF_WIDTH + 2.0 * OVERLAY_HALF_WIDTH * c[0],
                       -OVERLAY_HALF_HEIGHT + 2.0 * OVERLAY_HALF_HEIGHT * c[1]);
        }
    }
    glEnd();
    return true;
}

// Fragments at or below the reference alpha are dropped, the rest blended over the frame.
void beginBlending(GLfloat alphaReference) {
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, alphaReference);
}

// Back to what the scenes expect: lighting and depth testing on, blending and alpha testing off.
void endQuad() {
    glPopMatrix();
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_ALPHA_TEST);
}

}  // namespace

float stepFadeAlpha(float alpha, FadeMode mode) {
    // Stepped in double, stored in single, never clamped: a window of 300 passes drives it far
    // past 0 or 1, and the next window has to climb back before anything shows.
    const double stepOf[] = {0.0, -FADE_STEP, FADE_STEP};  // by FadeMode
    return static_cast<float>(static_cast<double>(alpha) + stepOf[mode]);
}

void drawOverlayAndFade(double t) {
    drawOverlay();
    // The fade relies on the blend function the overlay has just set.
    const FadeMode mode = fadeModeAt(t);
    if (mode != FADE_NONE) drawFadeQuad(mode);
}

void drawOverlay() {
    beginBlending(OVERLAY_ALPHA_REFERENCE);
    // Neither tested against the scene's depth nor written into it.
    glDisable(GL_DEPTH_TEST);
    glUseProgram(0);
    glDisable(GL_LIGHTING);
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, OVERLAY_DEPTH);
    // Opaque white neither tints the image nor lowers its alpha.
    glColor3f(1.0f, 1.0f, 1.0f);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, sceneResources.texturePeitto);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (!drawCoveredQuads()) drawQuad();
    endQuad();
}

void drawFadeQuad(FadeMode mode) {
    beginBlending(FADE_ALPHA_REFERENCE);
    glUseProgram(0);
    glDisable(GL_LIGHTING);
    glPushMatrix();
    glTranslatef(0.0f, 0.0f, FADE_DEPTH);
    fadeAlpha = stepFadeAlpha(fadeAlpha, mode);
    glColor4f(1.0f, 1.0f, 1.0f, fadeAlpha);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    // OpenGL clamps the alpha to 0..1 and the alpha test then drops every fragment of a quad at or
    // below the reference: such a quad changes no pixel, only the state above, which stays set.
    if (fadeAlpha > FADE_ALPHA_REFERENCE) drawQuad();
    endQuad();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
