#include <epoxy/gl.h>

#include "scenes/scenes.h"

#include <cmath>

#include "driver/demo_clock.h"
#include "driver/scene_resources.h"

namespace {

constexpr double FOG_DENSITY = 0.003;  // the scenes' own, replacing start-up's on every call
// Degrees to radians for the sway, as the presentation has always had it: a little short of pi/180.
constexpr double SWAY_RADIANS_PER_DEGREE = 3.14 / 180.0;

struct SceneModel {
    uint32_t SceneResources::*list;
    uint32_t SceneResources::*colorMap;   // texture unit 0
    uint32_t SceneResources::*normalMap;  // texture unit 1
    bool sways;                           // moved along X by the sway before drawing
};

// The models of scenes two to four, each scene's in drawing order.
const SceneModel sceneTwoModels[] = {
    {&SceneResources::list3, &SceneResources::texture1, &SceneResources::texture1n, false},
    {&SceneResources::list3c, &SceneResources::textureOr, &SceneResources::textureN, false},
};
static_assert(sizeof(sceneTwoModels) / sizeof(sceneTwoModels[0]) == 2);

const SceneModel sceneThreeModels[] = {
    {&SceneResources::list4, &SceneResources::texture1, &SceneResources::texture1n, false},
    {&SceneResources::list4b, &SceneResources::textureOr, &SceneResources::textureN, false},
};
static_assert(sizeof(sceneThreeModels) / sizeof(sceneThreeModels[0]) == 2);

const SceneModel sceneFourModels[] = {
    {&SceneResources::list2, &SceneResources::texture1, &SceneResources::texture1n, false},
    {&SceneResources::list2b, &SceneResources::textureHr, &SceneResources::textureN, false},
    {&SceneResources::list2c, &SceneResources::textureOr, &SceneResources::textureN, true},
};
static_assert(sizeof(sceneFourModels) / sizeof(sceneFourModels[0]) == 3);

// The scene counter widened once, so that every product below is formed in double precision and
// narrowed only as it is handed to OpenGL.
double passes() { return static_cast<double>(demoClock.sceneCounter); }

void bindMaps(uint32_t colorMap, uint32_t normalMap) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, colorMap);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, normalMap);
}

// A model that could not be loaded has list 0: it draws nothing, and is not called at all, since
// OpenGL flags a call of list 0 as an error.
void callModelList(uint32_t list) {
    if (list) glCallList(list);
}

void beginScene() {
    glFogf(GL_FOG_DENSITY, static_cast<GLfloat>(FOG_DENSITY));
    glUseProgram(sceneResources.shaderProgram);
    glPushMatrix();
}

template <int count>
void drawModels(const SceneModel (&models)[count]) {
    for (const SceneModel& m : models) {
        glPushMatrix();
        bindMaps(sceneResources.*m.colorMap, sceneResources.*m.normalMap);
        if (m.sways) {
            const double sway = 100.0 * std::sin(3.0 * passes() * SWAY_RADIANS_PER_DEGREE);
            glTranslatef(static_cast<GLfloat>(sway), 0.0f, 0.0f);
        }
        callModelList(sceneResources.*m.list);
        glPopMatrix();
    }
}

}  // namespace

void drawSceneOne() {
    beginScene();
    // One model, so no frame of its own: its textures are bound before the turn.
    bindMaps(sceneResources.textureOr, sceneResources.textureN);
    glTranslatef(0.0f, 0.0f, -400.0f);
    glRotatef(static_cast<GLfloat>(180.0 + 0.5 * passes()), 0.0f, 1.0f, 0.0f);
    callModelList(sceneResources.list5);
    glPopMatrix();
}

void drawSceneTwo() {
    beginScene();
    glTranslatef(static_cast<GLfloat>(-0.5 * passes()), -140.0f, -100.0f);
    drawModels(sceneTwoModels);
    glPopMatrix();
}

void drawSceneThree() {
    beginScene();
    glTranslatef(0.0f, 0.0f, static_cast<GLfloat>(0.7 * passes()));
    drawModels(sceneThreeModels);
    glPopMatrix();
}

void drawSceneFour() {
    beginScene();
    glTranslatef(0.0f, 0.0f, static_cast<GLfloat>(0.2 * passes() - 700.0));
    drawModels(sceneFourModels);
    glPopMatrix();
}
