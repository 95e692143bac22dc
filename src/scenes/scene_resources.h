// Everything the scenes draw with, and the files it comes from: the driver fills sceneResources
// from sceneFiles at start-up; the scenes and the overlay only read it.
#pragma once

#include <cstdint>

struct ObjModel;

struct SceneResources {
    // Texture objects; 0 when the file could not be loaded.
    uint32_t texture1;       // colour map
    uint32_t texture1n;      // normal map paired with texture1
    uint32_t texturePeitto;  // the overlay
    uint32_t textureOr;      // colour map
    uint32_t textureHr;      // colour map
    uint32_t textureN;       // normal map paired with textureOr and textureHr

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

// Written only by the driver's start-up (and by a tool that reloads an asset); read by the scenes
// and the overlay.
extern SceneResources sceneResources;

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
constexpr int SCENE_FILE_COUNT = SCENE_TEXTURE_COUNT + SCENE_MODEL_COUNT + 3;

// Every file the presentation opens, relative to the working directory and spelled exactly as
// here; the MTL libraries come with the models that name them.
struct SceneFiles {
    SceneTextureFile textures[SCENE_TEXTURE_COUNT];  // in load order
    SceneModelFile models[SCENE_MODEL_COUNT];        // in load order
    const char* vertexShader;                        // with fragmentShader: shaderProgram
    const char* fragmentShader;
    const char* soundtrack;  // played once beside the timeline
};
extern const SceneFiles sceneFiles;

// File `index` of all SCENE_FILE_COUNT in the order above, for tools that treat them alike.
const char* sceneFilePath(int index);

// The file that fills `field`; null for a field no file fills.
const char* sceneTexturePath(uint32_t SceneResources::*texture);
const char* sceneModelPath(uint32_t SceneResources::*list);
