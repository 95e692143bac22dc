#include <epoxy/gl.h>

#include "scenes/scenes.h"

#include <cmath>

#include "scenes/demo_clock.h"

DemoClock demoClock = DEMO_CLOCK_START;

namespace {

constexpr double FOG_DENSITY = 0.003;  // the scenes' own, replacing start-up's on every call
// Degrees to radians for the sway, as the presentation has always had it: a little short of pi/180.
constexpr double SWAY_RADIANS_PER_DEGREE = 3.14 / 180.0;

// Every model the presentation loads is drawn by one scene.
constexpr int modelsDrawn() {
    int count = 0;
    for (const Scene& scene : scenes) count += sceneModelCount(scene);
    return count;
}
static_assert(modelsDrawn() == SCENE_MODEL_COUNT);

}  // namespace

ScenePlacement placeSceneModel(int scene, const SceneModel& model, double passes) {
    const SceneMotion& motion = scenes[scene].motion;
    ScenePlacement p = {};
    for (int axis = 0; axis < 3; ++axis)
        p.offset[axis] = motion.offset[axis] + motion.offsetPerPass[axis] * passes;
    p.yawDegrees = motion.yawDegrees + motion.yawPerPass * passes;
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
    const Scene& record = scenes[scene];
    const double passes = static_cast<double>(demoClock.sceneCounter);
    const ScenePlacement whole = placeSceneModel(scene, record.models[0], passes);
    glFogf(GL_FOG_DENSITY, static_cast<GLfloat>(FOG_DENSITY));
    glUseProgram(sceneResources.shaderProgram);
    glPushMatrix();
    glTranslatef(static_cast<GLfloat>(whole.offset[0]), static_cast<GLfloat>(whole.offset[1]),
                 static_cast<GLfloat>(whole.offset[2]));
    if (sceneTurns(record)) glRotatef(static_cast<GLfloat>(whole.yawDegrees), 0.0f, 1.0f, 0.0f);
    for (int i = 0; i < sceneModelCount(record); ++i) {
        const SceneModel& m = record.models[i];
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
