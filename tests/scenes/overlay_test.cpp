#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "assets/png_texture.h"
#include "driver/timeline.h"
#include "scene_fixture.h"
#include "scenes/overlay.h"
#include "scenes/overlay_coverage.h"
#include "scenes/scene_resources.h"
#include "support/gl_context.h"

namespace {

// As a scene leaves it: its program current, unit 1 active, a colour that is not white.
void enterAsAfterAScene() {
    glUseProgram(sceneResources.shaderProgram);
    glActiveTexture(GL_TEXTURE1);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
}

void expectStateLeftForTheNextPass(const char* what) {
    SCOPED_TRACE(what);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), 1);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    for (GLfloat c : colour) EXPECT_EQ(c, 1.0f);
    GLfloat density = 0.0f;
    glGetFloatv(GL_FOG_DENSITY, &density);
    EXPECT_EQ(density, 0.0038f) << "neither quad touches the fog";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(OverlayAndFade, BothQuadsLeaveTheStateTheScenesExpect) {
    prepareSceneFixture();
    enterAsAfterAScene();
    drawOverlay();
    expectStateLeftForTheNextPass("overlay");
    EXPECT_EQ(integer(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    EXPECT_EQ(integer(GL_BLEND_DST_RGB), GL_ONE_MINUS_SRC_ALPHA);
    for (FadeMode mode : {FADE_IN, FADE_OUT, FADE_NONE}) {
        enterAsAfterAScene();
        drawFadeQuad(mode);
        expectStateLeftForTheNextPass("fade quad");
    }
}

// The change drawOverlayAndFade(t) makes to an alpha of 0.5.
float stepAt(double t) {
    fadeAlpha = 0.5f;
    drawOverlayAndFade(t);
    return fadeAlpha;
}

// The windows come from the schedule itself; what is tested is that the quad steps the alpha the
// window's way strictly inside it and nowhere else, and that the windows are the scenes' edges.
TEST(OverlayAndFade, FadeScheduleStepsOnlyStrictlyInsideItsWindows) {
    prepareSceneFixture();
    const float down = static_cast<float>(0.5 - 0.01);
    const float up = static_cast<float>(0.5 + 0.01);
    for (const FadeWindow& w : fadeWindows) {
        const float expected = w.mode == FADE_IN ? down : up;
        EXPECT_EQ(w.end - w.start, 5.0);
        EXPECT_EQ(stepAt(std::nextafter(w.start, 100.0)), expected) << "just after " << w.start;
        EXPECT_EQ(stepAt((w.start + w.end) / 2), expected) << "inside " << w.start;
        EXPECT_EQ(stepAt(std::nextafter(w.end, 0.0)), expected) << "just before " << w.end;
        EXPECT_EQ(stepAt(w.start), 0.5f) << "exactly " << w.start;
        EXPECT_EQ(stepAt(w.end), 0.5f) << "exactly " << w.end;
    }
    for (double t : {-1.0, 15.5, 20.0, 24.99, 35.01, 45.0, 54.9, 65.2, 70.0, 74.9, 80.5})
        EXPECT_EQ(stepAt(t), 0.5f) << "between windows at " << t;
    // Every scene fades in from its start and out to its end.
    for (const Scene& scene : scenes) {
        EXPECT_EQ(fadeModeAt(scene.start + 0.01), FADE_IN) << scene.start;
        EXPECT_EQ(fadeModeAt(scene.end - 0.01), FADE_OUT) << scene.end;
    }
}

TEST(OverlayAndFade, AlphaStepsInDoubleIsStoredInSingleAndIsNeverClamped) {
    prepareSceneFixture();
    for (int pass = 0; pass < 94; ++pass) drawFadeQuad(FADE_IN);
    // Single-precision arithmetic would give 0.0600006655 here.
    EXPECT_EQ(fadeAlpha, 0.0600006618f);
    for (int pass = 94; pass < 300; ++pass) drawFadeQuad(FADE_IN);
    EXPECT_EQ(fadeAlpha, -1.99999774f);
    drawFadeQuad(FADE_NONE);
    EXPECT_EQ(fadeAlpha, -1.99999774f);
    for (int pass = 0; pass < 300; ++pass) drawFadeQuad(FADE_OUT);
    EXPECT_EQ(fadeAlpha, 1.0f);
    for (int pass = 0; pass < 50; ++pass) drawFadeQuad(FADE_OUT);
    EXPECT_NEAR(fadeAlpha, 1.5f, 1e-5);
}

// The fade quad alone over a black frame, with `alpha`, and the grey level it left at the centre.
int fadeOverBlack(float alpha) {
    prepareSceneFixture();
    sceneResources.texturePeitto = solidTexture(0, 0, 0, 0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    drawOverlay();  // sets the blend function the fade quad relies on, and draws nothing here
    fadeAlpha = alpha;
    drawFadeQuad(FADE_NONE);
    uint8_t rgba[4] = {0, 0, 0, 0};
    glReadPixels(VIEW_WIDTH / 2, VIEW_HEIGHT / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    EXPECT_EQ(rgba[0], rgba[2]) << "the fade quad is flat white";
    return rgba[0];
}

TEST(OverlayAndFade, FadeQuadIsWhiteAtItsAlphaWhichOpenGLAloneClamps) {
    EXPECT_NEAR(fadeOverBlack(0.5f), 128, 1);
    EXPECT_EQ(fadeOverBlack(1.7f), 255);
    EXPECT_EQ(fadeOverBlack(-2.0f), 0);
    EXPECT_EQ(fadeOverBlack(0.009f), 0) << "at or below 0.01 the alpha test drops it";
    EXPECT_NEAR(fadeOverBlack(0.02f), 5, 1);
}

TEST(OverlayAndFade, OverlayWithoutItsImageIsAnOpaqueWhiteQuad) {
    prepareSceneFixture();
    sceneResources.texturePeitto = 0;
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    drawOverlay();
    EXPECT_EQ(findColour(Rgb{255, 255, 255}).count, VIEW_WIDTH * VIEW_HEIGHT);
}

// The overlay of a mostly clear image over black at a w x h viewport, as RGB bytes.
std::vector<uint8_t> overlayAt(int width, int height) {
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    drawOverlay();
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// Drawn only where its image can show, the overlay leaves the frame the whole quad leaves, within
// the rounding of a quad cut into pieces, at every scale from magnified to minified well into the
// mip chain, where coarser levels spread the image's content further.
TEST(OverlayAndFade, OverlayDrawnOnlyWhereItsImageCanShowLeavesTheFrameTheWholeQuadLeaves) {
    prepareSceneFixture();
    const char* path = DEMO_TEST_DATA "/png/sparse_overlay.png";
    PngMipmaps mipmaps = {};
    ASSERT_EQ(readPngMipmaps(path, &mipmaps), 0);
    OverlayCoverage measured = {};
    measureOverlayCoverage(mipmaps, &measured);
    sceneResources.texturePeitto = uploadPngMipmaps(path, &mipmaps);
    ASSERT_NE(sceneResources.texturePeitto, 0u);

    static OverlayRect rects[OVERLAY_GRID_MAX * OVERLAY_GRID_MAX];
    const int count = overlayCoverageRects(measured, 0, rects);
    int tiles = 0;
    for (int i = 0; i < count; ++i)
        tiles += (rects[i].column1 - rects[i].column0) * (rects[i].row1 - rects[i].row0);
    EXPECT_LT(tiles, measured.columns * measured.rows / 3) << "most of the image is clear";

    for (int height : {VIEW_HEIGHT, 90, 36, 18, 9}) {
        const int width = height * VIEW_WIDTH / VIEW_HEIGHT;
        overlayCoverage = OverlayCoverage{};
        const std::vector<uint8_t> whole = overlayAt(width, height);
        overlayCoverage = measured;
        const std::vector<uint8_t> covered = overlayAt(width, height);
        int worst = 0;
        for (size_t i = 0; i < whole.size(); ++i)
            worst = std::max(worst, std::abs(whole[i] - covered[i]));
        EXPECT_LE(worst, 1) << width << "x" << height;
        EXPECT_NE(std::count(whole.begin(), whole.end(), 0), static_cast<long>(whole.size()))
            << "the image shows at " << width << "x" << height;
    }
    overlayCoverage = OverlayCoverage{};
    glViewport(0, 0, VIEW_WIDTH, VIEW_HEIGHT);
}

}  // namespace
