// The four scene renderers and where each puts its models. The timeline calls at most one
// renderer per pass, with the modelview matrix at the identity; each leaves the stack as it found
// it.
#pragma once

#include <cstdint>

#include "scenes/scene_resources.h"

void drawSceneOne();    // 0 to 10 s
void drawSceneTwo();    // 10 to 30 s
void drawSceneThree();  // 30 to 60 s
void drawSceneFour();   // 60 to 80 s

struct SceneModel {
    uint32_t SceneResources::*list;
    uint32_t SceneResources::*colorMap;   // texture unit 0
    uint32_t SceneResources::*normalMap;  // texture unit 1
    bool sways;                           // moved along X by the sway before drawing
};

constexpr int SCENE_COUNT = 4;
constexpr int SCENE_MAX_MODELS = 3;

// Each scene's models in drawing order; sceneDesigns[0] is scene one.
struct SceneDesign {
    SceneModel models[SCENE_MAX_MODELS];
    int modelCount;
    bool turns;  // the whole scene turns about the Y axis
};
extern const SceneDesign sceneDesigns[SCENE_COUNT];

// Where scene `scene` (0 to 3) puts a model `passes` passes after the scene began: a point p of
// the model is drawn at offset + turn(p + (swayX, 0, 0)), turn being a rotation of yawDegrees
// about Y. Every value is formed in double precision; the renderers narrow them for OpenGL.
struct ScenePlacement {
    double offset[3];   // eye units
    double yawDegrees;  // 0 for a scene that does not turn
    double swayX;       // eye units; 0 for a model that does not sway
};
ScenePlacement placeSceneModel(int scene, const SceneModel& model, double passes);
