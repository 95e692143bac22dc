// The four scenes, one record each: when a scene is shown and faded, which models it draws with
// which maps, how they move, and its renderer. A scene's window is the stretch of timeline
// seconds, open at both ends, in which it is drawn; the timeline picks the scene whose window
// holds the time of the pass (one round of the frame loop, one frame) and calls its renderer with
// the modelview matrix at the identity. Each renderer leaves the stack as it found it.
#pragma once

#include <cstdint>

#include "scenes/scene_resources.h"

void drawSceneOne();
void drawSceneTwo();
void drawSceneThree();
void drawSceneFour();

struct SceneModel {
    uint32_t SceneResources::*list;       // null for an unused place in Scene::models
    uint32_t SceneResources::*colorMap;   // texture unit 0
    uint32_t SceneResources::*normalMap;  // texture unit 1
    bool sways;                           // moved along X by the sway before drawing
};

// How a scene's models move with the scene counter n (passes since the scene began): every model
// is drawn at offset + n * offsetPerPass, turned by yawDegrees + n * yawPerPass about Y.
struct SceneMotion {
    double offset[3];         // eye units at n = 0
    double offsetPerPass[3];  // eye units a pass
    double yawDegrees;        // at n = 0
    double yawPerPass;        // degrees a pass; a scene with no yaw at all is not turned
};

constexpr int SCENE_MAX_MODELS = 3;

struct Scene {
    double start;        // seconds, exclusive: the scene is drawn while start < t < end
    double end;          // seconds, exclusive
    double fadeSeconds;  // the scene comes out of white in its first ones and goes back in its last
    SceneMotion motion;
    SceneModel models[SCENE_MAX_MODELS];  // in drawing order, the unused places last
    void (*draw)();                       // the renderer
};

namespace scene_table {

using R = SceneResources;

constexpr SceneModel still(uint32_t R::*list, uint32_t R::*colorMap, uint32_t R::*normalMap) {
    return SceneModel{list, colorMap, normalMap, false};
}

constexpr SceneModel swaying(uint32_t R::*list, uint32_t R::*colorMap, uint32_t R::*normalMap) {
    return SceneModel{list, colorMap, normalMap, true};
}

// Built field by field, so that every value in the table below says what it is.
constexpr Scene sceneOne() {
    Scene s = {};
    s.start = 0.0;
    s.end = 10.0;
    s.fadeSeconds = 5.0;
    s.motion.offset[2] = -400.0;
    s.motion.yawDegrees = 180.0;
    s.motion.yawPerPass = 0.5;
    s.models[0] = still(&R::list5, &R::textureOr, &R::textureN);
    s.draw = drawSceneOne;
    return s;
}

constexpr Scene sceneTwo() {
    Scene s = {};
    s.start = 10.0;
    s.end = 30.0;
    s.fadeSeconds = 5.0;
    s.motion.offset[1] = -140.0;
    s.motion.offset[2] = -100.0;
    s.motion.offsetPerPass[0] = -0.5;
    s.models[0] = still(&R::list3, &R::texture1, &R::texture1n);
    s.models[1] = still(&R::list3c, &R::textureOr, &R::textureN);
    s.draw = drawSceneTwo;
    return s;
}

constexpr Scene sceneThree() {
    Scene s = {};
    s.start = 30.0;
    s.end = 60.0;
    s.fadeSeconds = 5.0;
    s.motion.offsetPerPass[2] = 0.7;
    s.models[0] = still(&R::list4, &R::texture1, &R::texture1n);
    s.models[1] = still(&R::list4b, &R::textureOr, &R::textureN);
    s.draw = drawSceneThree;
    return s;
}

constexpr Scene sceneFour() {
    Scene s = {};
    s.start = 60.0;
    s.end = 80.0;
    s.fadeSeconds = 5.0;
    s.motion.offset[2] = -700.0;
    s.motion.offsetPerPass[2] = 0.2;
    s.models[0] = still(&R::list2, &R::texture1, &R::texture1n);
    s.models[1] = still(&R::list2b, &R::textureHr, &R::textureN);
    s.models[2] = swaying(&R::list2c, &R::textureOr, &R::textureN);
    s.draw = drawSceneFour;
    return s;
}

}  // namespace scene_table

constexpr int SCENE_COUNT = 4;

// The timeline in order: scenes[0] is scene one. Everything else about a scene (the timeline's
// end, the fade schedule, how many models a scene has) is derived from here.
inline constexpr Scene scenes[SCENE_COUNT] = {
    scene_table::sceneOne(),
    scene_table::sceneTwo(),
    scene_table::sceneThree(),
    scene_table::sceneFour(),
};

constexpr int sceneModelCount(const Scene& scene) {
    int count = 0;
    while (count < SCENE_MAX_MODELS && scene.models[count].list) ++count;
    return count;
}

constexpr bool sceneTurns(const Scene& scene) {
    return scene.motion.yawDegrees != 0.0 || scene.motion.yawPerPass != 0.0;
}

// Where scene `scene` (0 to SCENE_COUNT - 1) puts a model `passes` passes after the scene began:
// a point p of the model is drawn at offset + turn(p + (swayX, 0, 0)), turn being a rotation of
// yawDegrees about Y. Every value is formed in double precision; the renderers narrow them for
// OpenGL.
struct ScenePlacement {
    double offset[3];   // eye units
    double yawDegrees;  // 0 for a scene that does not turn
    double swayX;       // eye units; 0 for a model that does not sway
};
ScenePlacement placeSceneModel(int scene, const SceneModel& model, double passes);
