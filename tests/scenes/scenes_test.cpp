#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <initializer_list>

#include "scenes/demo_clock.h"
#include "scenes/scene_resources.h"
#include "scene_fixture.h"
#include "scenes/scenes.h"

namespace {

struct Marker {
    uint32_t SceneResources::*list;
    double x, y, z;  // model units
    Rgb shownAs;     // the colour of the model's texture pair under the probe program
};

struct Expected {
    Rgb colour;
    double x, y, z;  // eye units where the marker must land
};

// Draws the scene at counter n with one marker per model and checks where each one landed.
void expectMarkers(void (*draw)(), float n, std::initializer_list<Marker> markers,
                   std::initializer_list<Expected> expected) {
    prepareSceneFixture();
    for (const Marker& m : markers) sceneResources.*m.list = markerList(m.x, m.y, m.z);
    demoClock.sceneCounter = n;
    draw();
    for (const Expected& e : expected) {
        const Spot at = findColour(e.colour);
        const Spot want = projectEye(e.x, e.y, e.z);
        ASSERT_GE(at.count, 9) << "n " << n << ": colour " << e.colour.r << "," << e.colour.g << ","
                               << e.colour.b << " not drawn";
        EXPECT_NEAR(at.x, want.x, 0.75) << "n " << n << " eye x " << e.x;
        EXPECT_NEAR(at.y, want.y, 0.75) << "n " << n << " eye y " << e.y;
    }
}

TEST(SceneOne, TurnsItsModelHalfADegreePerPassFromAHalfTurn) {
    const std::initializer_list<Marker> markers = {{&SceneResources::list5, 50, 0, 0, PAIR_OR_N}};
    expectMarkers(drawSceneOne, 0.0f, markers, {{PAIR_OR_N, -50, 0, -400}});
    expectMarkers(drawSceneOne, 60.0f, markers, {{PAIR_OR_N, -43.30127, 0, -375}});
    expectMarkers(drawSceneOne, 360.0f, markers, {{PAIR_OR_N, 50, 0, -400}});
}

TEST(SceneTwo, FrameSitsBelowAndAheadAndSlidesLeftHalfAUnitPerPass) {
    const std::initializer_list<Marker> markers = {{&SceneResources::list3, -60, 140, -300, PAIR_1_1N},
                                                   {&SceneResources::list3c, 60, 140, -300, PAIR_OR_N}};
    expectMarkers(drawSceneTwo, 0.0f, markers, {{PAIR_1_1N, -60, 0, -400}, {PAIR_OR_N, 60, 0, -400}});
    expectMarkers(drawSceneTwo, 200.0f, markers, {{PAIR_1_1N, -160, 0, -400}, {PAIR_OR_N, -40, 0, -400}});
}

TEST(SceneThree, ModelsComeTowardsTheEyeAtSevenTenthsOfAUnitPerPass) {
    const std::initializer_list<Marker> markers = {{&SceneResources::list4, -60, 0, -400, PAIR_1_1N},
                                                   {&SceneResources::list4b, 60, 0, -400, PAIR_OR_N}};
    expectMarkers(drawSceneThree, 0.0f, markers, {{PAIR_1_1N, -60, 0, -400}, {PAIR_OR_N, 60, 0, -400}});
    expectMarkers(drawSceneThree, 100.0f, markers, {{PAIR_1_1N, -60, 0, -330}, {PAIR_OR_N, 60, 0, -330}});
}

TEST(SceneFour, ThreeModelsFromSevenHundredAwayAndTheThirdSways) {
    const std::initializer_list<Marker> markers = {{&SceneResources::list2, -150, 0, 0, PAIR_1_1N},
                                                   {&SceneResources::list2b, 0, 80, 0, PAIR_HR_N},
                                                   {&SceneResources::list2c, 0, -80, 0, PAIR_OR_N}};
    expectMarkers(drawSceneFour, 0.0f, markers,
                  {{PAIR_1_1N, -150, 0, -700}, {PAIR_HR_N, 0, 80, -700}, {PAIR_OR_N, 0, -80, -700}});
    // A quarter of the sway: 100 * sin(90 * 3.14 / 180), just short of 100 units to the right.
    expectMarkers(drawSceneFour, 30.0f, markers,
                  {{PAIR_1_1N, -150, 0, -694}, {PAIR_HR_N, 0, 80, -694}, {PAIR_OR_N, 100, -80, -694}});
    expectMarkers(drawSceneFour, 90.0f, markers, {{PAIR_OR_N, -100, -80, -682}});
}

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

GLint boundOnUnit(GLenum unit) {
    const GLint active = integer(GL_ACTIVE_TEXTURE);
    glActiveTexture(unit);
    const GLint bound = integer(GL_TEXTURE_BINDING_2D);
    glActiveTexture(static_cast<GLenum>(active));
    return bound;
}

TEST(SceneRenderers, LeaveProgramFogMapsUnitAndStackAsTheFrameLoopExpects) {
    for (void (*draw)() : {drawSceneOne, drawSceneTwo, drawSceneThree, drawSceneFour}) {
        prepareSceneFixture();
        demoClock.sceneCounter = 42.0f;
        glFogf(GL_FOG_DENSITY, 0.0038f);
        const GLint depth = integer(GL_MODELVIEW_STACK_DEPTH);
        draw();
        EXPECT_EQ(static_cast<GLuint>(integer(GL_CURRENT_PROGRAM)), sceneResources.shaderProgram);
        GLfloat density = 0.0f;
        glGetFloatv(GL_FOG_DENSITY, &density);
        EXPECT_EQ(density, 0.003f);
        EXPECT_EQ(integer(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
        // Every scene draws a model with textureOr and textureN last.
        EXPECT_EQ(static_cast<GLuint>(boundOnUnit(GL_TEXTURE0)), sceneResources.textureOr);
        EXPECT_EQ(static_cast<GLuint>(boundOnUnit(GL_TEXTURE1)), sceneResources.textureN);
        EXPECT_EQ(integer(GL_MODELVIEW_STACK_DEPTH), depth);
        GLfloat top[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, top);
        EXPECT_EQ(top[12], 0.0f);
        EXPECT_EQ(top[14], 0.0f);
        EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(glIsEnabled(GL_FOG));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST(SceneRenderers, MissingTexturesAndListsDrawNothingAndRaiseNoError) {
    prepareSceneFixture();
    sceneResources.textureOr = 0;
    sceneResources.textureN = 0;
    sceneResources.shaderProgram = 0;
    for (void (*draw)() : {drawSceneOne, drawSceneTwo, drawSceneThree, drawSceneFour}) draw();
    EXPECT_EQ(integer(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(findColour(Rgb{255, 255, 255}).count, VIEW_WIDTH * VIEW_HEIGHT);
}

}  // namespace
