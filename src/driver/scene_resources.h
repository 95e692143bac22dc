// Everything the scenes draw with: textures, the GLSL program, the models and their display lists.
// createSceneResources() fills it once at start-up, then takes the timeline origin and starts the
// soundtrack.
#pragma once

#include <cstdint>

struct ObjModel;

struct SceneResources {
    // Texture objects; 0 when the file could not be loaded.
    uint32_t texture1;       // "1.PNG", colour map
    uint32_t texture1n;      // "1n.PNG", normal map paired with texture1
    uint32_t texturePeitto;  // "peitto.PNG", the overlay
    uint32_t textureOr;      // "or.PNG", colour map
    uint32_t textureHr;      // "hr.PNG", colour map
    uint32_t textureN;       // "n.PNG", normal map paired with textureOr and textureHr

    uint32_t shaderProgram;     // 0 when a shader file is missing: the scenes draw fixed-function
    int32_t colorMapLocation;   // sampler "colorMap", set to unit 0
    int32_t normalMapLocation;  // sampler "normalMap", set to unit 1

    // Models as read, and their display lists (0 when the model could not be opened).
    ObjModel* model2;
    ObjModel* model2b;
    ObjModel* model2c;
    ObjModel* model3;
    ObjModel* model3c;
    ObjModel* model4;
    ObjModel* model4b;
    ObjModel* model5;
    uint32_t list2;
    uint32_t list2b;
    uint32_t list2c;
    uint32_t list3;
    uint32_t list3c;
    uint32_t list4;
    uint32_t list4b;
    uint32_t list5;
};

// Written only by createSceneResources during start-up; read by the scenes and the overlay.
extern SceneResources sceneResources;

// The asset files in load order, each with the fields that its texture, model and list go into.
struct SceneTextureFile {
    const char* path;
    uint32_t SceneResources::*texture;
};
struct SceneModelFile {
    const char* path;
    ObjModel* SceneResources::*model;
    uint32_t SceneResources::*list;
};
constexpr int SCENE_TEXTURE_COUNT = 6;
constexpr int SCENE_MODEL_COUNT = 8;
extern const SceneTextureFile sceneTextureFiles[SCENE_TEXTURE_COUNT];
extern const SceneModelFile sceneModelFiles[SCENE_MODEL_COUNT];

// Needs the window's context current, with the render state set. Waits for the asset prefetch
// (reading the files here when none was started), then runs the steps below in order.
void createSceneResources();

// The steps, apart so that start-up can be timed step by step. The two that take assets use what
// waitAssetPrefetch() left in assetPrefetch, each once per wait.
void loadSceneTextures();   // the six textures uploaded, then 2D texturing on unit 0 (overlay)
void buildSceneProgram();   // the GLSL program, left current
void loadSceneModels();     // each model compiled in table order
void setSceneFog();
void connectSamplers();     // "colorMap" to unit 0, "normalMap" to unit 1
void startTimelineAndSoundtrack();  // the origin, then the play command of a prepared soundtrack
