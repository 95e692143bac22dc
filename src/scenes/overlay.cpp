#include <epoxy/gl.h>

#include "scenes/overlay.h"

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
    drawQuad();
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
    drawQuad();
    endQuad();
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}
