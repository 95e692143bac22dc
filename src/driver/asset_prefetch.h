// The file work of start-up that needs no OpenGL context, done on one worker thread while the
// window opens: startAssetPrefetch() first thing, waitAssetPrefetch() before the first upload.
#pragma once

#include "assets/png_texture.h"
#include "scenes/scene_resources.h"

struct ObjModel;

// The scene's asset files as read from the working directory, in the order of their tables.
struct AssetPrefetch {
    PngMipmaps textures[SCENE_TEXTURE_COUNT];  // decoded with every level, or why not
    ObjModel* models[SCENE_MODEL_COUNT];       // null where the file could not be read
    int modelErrors[SCENE_MODEL_COUNT];        // why a model is null: loadObjModel's error
    double textureSeconds;                     // spent reading and decoding the textures
    double modelSeconds;                       // spent reading the models
};

// Ownership: from startAssetPrefetch until the join in waitAssetPrefetch the worker alone writes
// this record and nothing reads it. After the join the main thread owns it: loadSceneTextures
// uploads and frees the images, loadSceneModels hands the models over to sceneResources. The
// worker also measures overlayCoverage, which nothing reads before the first pass.
extern AssetPrefetch assetPrefetch;

// Starts the worker on the files of the current working directory, which must not change until
// the wait. At most one worker runs: a second start before the wait does nothing.
void startAssetPrefetch();

// Joins the worker; when none was started, does its work here on the calling thread. Either way
// assetPrefetch is then complete. Every path that started a worker waits for it, failures included.
void waitAssetPrefetch();
