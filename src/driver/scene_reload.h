// Reading the presentation's files again into the objects the scenes already draw with, for a
// tool that follows the files as they change: sceneReloadsFor(name), then reloadSceneObject(i).
#pragma once

#include <cstddef>
#include <cstdint>

#include "assets/obj_reader.h"
#include "scenes/scene_resources.h"
#include "system/reload_result.h"

// The objects a file fills, in this order: each texture, each model (with its display list), the
// GLSL program (both shader files), the soundtrack.
constexpr int SCENE_RELOAD_PROGRAM = SCENE_TEXTURE_COUNT + SCENE_MODEL_COUNT;
constexpr int SCENE_RELOAD_SOUNDTRACK = SCENE_RELOAD_PROGRAM + 1;
constexpr int SCENE_RELOAD_COUNT = SCENE_RELOAD_SOUNDTRACK + 1;

// Marks in `due` the objects that a change to the file `name` (relative to the working directory)
// calls for reloading: the one it fills, and every model whose loaded version names it as its
// material library. Returns how many it marked; a null name, for "any file may have changed",
// marks them all.
int sceneReloadsFor(const char* name, bool due[SCENE_RELOAD_COUNT]);

// The file or files that fill object `index`, for messages.
void describeSceneReload(int index, char* text, size_t size);

// With the context current, after start-up: a texture goes into its own texture object, a model is
// compiled over its own display list, the program is rebuilt and checked (one that does not build
// leaves the last good one current in the scenes), the soundtrack is read into the music, which the
// caller then cues. A model without triangles or without the material library it names counts as
// broken: KEPT, after one line naming the file; SILENT for the soundtrack without an audio device.
ReloadResult reloadSceneObject(int index);

// A model's reload in parts, so that the reading and compiling, which for a big model take
// seconds, can run on a worker thread while the main thread goes on drawing with the old model.
bool isModelReload(int index);  // whether object `index` is a model
struct ModelReading {
    ObjModel* model;   // owned by whoever holds the reading, until placeReloadedModel takes it
    ObjResult loaded;  // loadObjModel's result
    int error;         // why not, when not loaded
    uint32_t list;     // compiled by compileReloadedModel; 0 for none yet
    uint32_t glError;  // what OpenGL said of a compile there that failed; 0 when none did
};
// Reads the file of model object `index`. Touches no OpenGL state, no scene object and prints
// nothing, so it may run on any thread.
ModelReading readReloadedModel(int index);
// On a thread whose current context shares the scene's objects: a model read that can replace
// the one drawn compiled into a list of its own and finished, so that placing it costs the main
// thread nothing. Prints nothing.
void compileReloadedModel(ModelReading* reading);
// With the context current: what reloadSceneObject does with a model once read (and compiled, or
// compiled here). The model and list replaced are freed; a model that cannot replace them is
// freed and named in one line.
ReloadResult placeReloadedModel(int index, const ModelReading& reading);
