#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <vector>

#include "scene_fixture.h"
#include "scenes/demo_clock.h"
#include "scenes/scene_resources.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"

namespace {

struct Marker {
    uint32_t SceneResources::*list;
    double x, y, z;  // model units
};

struct Expected {
    Rgb colour;      // the model's texture pair under the probe program
    double x, y, z;  // eye units where the marker must land
};

// Each scene drawn at counter n with one marker per model: where each marker lands.
TEST(Scenes, EachPutsItsModelsWhereItsMotionSaysAtEveryCounter) {
    using R = SceneResources;
    const std::vector<Marker> one = {{&R::list5, 50, 0, 0}};
    const std::vector<Marker> two = {{&R::list3, -60, 140, -300}, {&R::list3c, 60, 140, -300}};
    const std::vector<Marker> three = {{&R::list4, -60, 0, -400}, {&R::list4b, 60, 0, -400}};
    const std::vector<Marker> four = {
        {&R::list2, -150, 0, 0}, {&R::list2b, 0, 80, 0}, {&R::list2c, 0, -80, 0}};
    const struct {
        void (*draw)();
        float n;
        const std::vector<Marker>& markers;
        std::vector<Expected> expected;
    } cases[] = {
        // Scene one turns half a degree a pass from a half turn.
        {drawSceneOne, 0.0f, one, {{PAIR_OR_N, -50, 0, -400}}},
        {drawSceneOne, 60.0f, one, {{PAIR_OR_N, -43.30127, 0, -375}}},
        {drawSceneOne, 360.0f, one, {{PAIR_OR_N, 50, 0, -400}}},
        // Scene two sits below and ahead and slides left half a unit a pass.
        {drawSceneTwo, 0.0f, two, {{PAIR_1_1N, -60, 0, -400}, {PAIR_OR_N, 60, 0, -400}}},
        {drawSceneTwo, 200.0f, two, {{PAIR_1_1N, -160, 0, -400}, {PAIR_OR_N, -40, 0, -400}}},
        // Scene three comes towards the eye at seven tenths of a unit a pass.
        {drawSceneThree, 0.0f, three, {{PAIR_1_1N, -60, 0, -400}, {PAIR_OR_N, 60, 0, -400}}},
        {drawSceneThree, 100.0f, three, {{PAIR_1_1N, -60, 0, -330}, {PAIR_OR_N, 60, 0, -330}}},
        // Scene four starts 700 away; its third model sways, a quarter of it at 30 passes:
        // 100 * sin(90 * 3.14 / 180), just short of 100 units to the right.
        {drawSceneFour,
         0.0f,
         four,
         {{PAIR_1_1N, -150, 0, -700}, {PAIR_HR_N, 0, 80, -700}, {PAIR_OR_N, 0, -80, -700}}},
        {drawSceneFour,
         30.0f,
         four,
         {{PAIR_1_1N, -150, 0, -694}, {PAIR_HR_N, 0, 80, -694}, {PAIR_OR_N, 100, -80, -694}}},
        {drawSceneFour, 90.0f, four, {{PAIR_OR_N, -100, -80, -682}}},
    };
    for (const auto& c : cases) {
        prepareSceneFixture();
        for (const Marker& m : c.markers) sceneResources.*m.list = markerList(m.x, m.y, m.z);
        demoClock.sceneCounter = c.n;
        c.draw();
        for (const Expected& e : c.expected) {
            SCOPED_TRACE(testing::Message() << "n " << c.n << " eye " << e.x << " " << e.z);
            const Spot at = findColour(e.colour);
            const Spot want = projectEye(e.x, e.y, e.z);
            ASSERT_GE(at.count, 9) << "not drawn";
            EXPECT_NEAR(at.x, want.x, 0.75);
            EXPECT_NEAR(at.y, want.y, 0.75);
        }
    }
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
