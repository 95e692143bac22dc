#include <epoxy/gl.h>

#include "scenes/scenes.h"

#include <cmath>

#include "scenes/demo_clock.h"

DemoClock demoClock = DEMO_CLOCK_START;

namespace {

constexpr double FOG_DENSITY = 0.003;  // the scenes' own, replacing start-up's on every call
// Degrees to radians for the sway, as the presentation has always had it: a little short of pi/180.
constexpr double SWAY_RADIANS_PER_DEGREE = 3.14 / 180.0;

using R = SceneResources;

}  // namespace

const SceneDesign sceneDesigns[SCENE_COUNT] = {
    {{{&R::list5, &R::textureOr, &R::textureN, false}}, 1, true},
    {{{&R::list3, &R::texture1, &R::texture1n, false},
      {&R::list3c, &R::textureOr, &R::textureN, false}},
     2,
     false},
    {{{&R::list4, &R::texture1, &R::texture1n, false},
      {&R::list4b, &R::textureOr, &R::textureN, false}},
     2,
     false},
    {{{&R::list2, &R::texture1, &R::texture1n, false},
      {&R::list2b, &R::textureHr, &R::textureN, false},
      {&R::list2c, &R::textureOr, &R::textureN, true}},
     3,
     false},
};

ScenePlacement placeSceneModel(int scene, const SceneModel& model, double passes) {
    ScenePlacement p = {};
    switch (scene) {
    case 0:
        p = {{0.0, 0.0, -400.0}, 180.0 + 0.5 * passes, 0.0};
        break;
    case 1:
        p = {{-0.5 * passes, -140.0, -100.0}, 0.0, 0.0};
        break;
    case 2:
        p = {{0.0, 0.0, 0.7 * passes}, 0.0, 0.0};
        break;
    case 3:
        p = {{0.0, 0.0, 0.2 * passes - 700.0}, 0.0, 0.0};
        break;
    }
    if (model.sways) p.swayX = 100.0 * std::sin(3.0 * passes * SWAY_RADIANS_PER_DEGREE);
    return p;
}

namespace {

void bindMaps(uint32_t colorMap, uint32_t normalMap) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, colorMap);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, normalMap);
}

// The scene counter widened once, so that every product is formed in double precision and
// narrowed only as it is handed to OpenGL.
void drawScene(int scene) {
    const SceneDesign& design = sceneDesigns[scene];
    const double passes = static_cast<double>(demoClock.sceneCounter);
    const ScenePlacement whole = placeSceneModel(scene, design.models[0], passes);
    glFogf(GL_FOG_DENSITY, static_cast<GLfloat>(FOG_DENSITY));
    glUseProgram(sceneResources.shaderProgram);
    glPushMatrix();
    glTranslatef(static_cast<GLfloat>(whole.offset[0]), static_cast<GLfloat>(whole.offset[1]),
                 static_cast<GLfloat>(whole.offset[2]));
    if (design.turns) glRotatef(static_cast<GLfloat>(whole.yawDegrees), 0.0f, 1.0f, 0.0f);
    for (int i = 0; i < design.modelCount; ++i) {
        const SceneModel& m = design.models[i];
        glPushMatrix();
        bindMaps(sceneResources.*m.colorMap, sceneResources.*m.normalMap);
        if (m.sways) {
            const ScenePlacement own = placeSceneModel(scene, m, passes);
            glTranslatef(static_cast<GLfloat>(own.swayX), 0.0f, 0.0f);
        }
        // A model that could not be loaded has list 0: it draws nothing, and is not called at
        // all, since OpenGL flags a call of list 0 as an error.
        if (sceneResources.*m.list) glCallList(sceneResources.*m.list);
        glPopMatrix();
    }
    glPopMatrix();
}

}  // namespace

void drawSceneOne() { drawScene(0); }
void drawSceneTwo() { drawScene(1); }
void drawSceneThree() { drawScene(2); }
void drawSceneFour() { drawScene(3); }
