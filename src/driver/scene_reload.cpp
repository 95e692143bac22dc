#include <epoxy/gl.h>

#include "driver/scene_reload.h"

#include <cstdio>
#include <cstring>

#include "assets/display_list.h"
#include "assets/gl_error.h"
#include "assets/obj_reader.h"
#include "assets/png_texture.h"
#include "assets/shader_program.h"
#include "driver/scene_loading.h"
#include "platform/soundtrack.h"
#include "scenes/overlay_coverage.h"
#include "system/regular_file.h"
#include "system/warning.h"

namespace {

const char KEEP_LIST[] = "keeping its last good list";

ReloadResult reloadTexture(const SceneTextureFile& f) {
    PngMipmaps mipmaps = {};
    readPngMipmaps(f.path, &mipmaps);
    // Measured before the upload frees the levels, kept only if the new image replaces the old.
    const bool overlay = f.texture == &SceneResources::texturePeitto;
    static OverlayCoverage measured;
    if (overlay) measureOverlayCoverage(mipmaps, &measured);
    const uint32_t texture = reloadPngMipmaps(sceneResources.*f.texture, f.path, &mipmaps);
    if (!texture) return ReloadResult::KEPT;
    sceneResources.*f.texture = texture;
    if (overlay) overlayCoverage = measured;
    return ReloadResult::RELOADED;
}

// Why a freshly read model cannot replace the one drawn; null when it can.
const char* modelProblem(const ObjModel& model) {
    if (drawableTriangles(model) == 0) return "no triangles in the model";
    if (model.materialLibraryError != 0) return "cannot open its material library";
    return nullptr;
}

// A list compiled ahead on a worker's context takes the place of the old one, which is deleted;
// otherwise the model is compiled here over the old list.
ReloadResult placeModel(const SceneModelFile& f, const ModelReading& reading) {
    ObjModel* model = reading.model;
    if (reading.loaded != ObjResult::LOADED) {
        warnFile(f.path, "cannot read the model", objErrorText(reading.error), KEEP_LIST);
        return ReloadResult::KEPT;
    }
    const char* problem = modelProblem(*model);
    uint32_t list = reading.list;
    uint32_t glError = reading.glError;
    const bool overOld = !problem && !list && glError == 0;
    if (overOld) list = compileModelList(model, sceneResources.*f.list, &glError);
    if (!list) {
        // A compile that OpenGL failed over the old list has already replaced what it held; one
        // on a worker's context failed in a list of its own and left the old one as it was.
        if (glError != 0)
            warnFile(f.path, "OpenGL cannot hold the model", glErrorName(glError),
                     overOld ? "it is left out until it reloads" : KEEP_LIST);
        else
            warnFile(f.path, problem ? problem : "no list name left", nullptr, KEEP_LIST);
        freeObjModel(model);
        return ReloadResult::KEPT;
    }
    const uint32_t old = sceneResources.*f.list;
    if (old && old != list) glDeleteLists(old, 1);
    freeObjModel(sceneResources.*f.model);
    sceneResources.*f.model = model;
    sceneResources.*f.list = list;
    return ReloadResult::RELOADED;
}

ReloadResult reloadProgram() {
    const uint32_t program =
        buildCheckedShaderProgram(sceneFiles.vertexShader, sceneFiles.fragmentShader);
    if (!program) return ReloadResult::KEPT;
    if (sceneResources.shaderProgram) glDeleteProgram(sceneResources.shaderProgram);
    sceneResources.shaderProgram = program;
    // The new program is current, as connectSamplers needs it.
    connectSamplers();
    return ReloadResult::RELOADED;
}

bool named(const char* name, const char* path) { return std::strcmp(name, path) == 0; }

// Whether a change to the file `name` calls for reloading object `index`.
bool touches(int index, const char* name) {
    if (index < SCENE_TEXTURE_COUNT) return named(name, sceneFiles.textures[index].path);
    if (index < SCENE_RELOAD_PROGRAM) {
        const SceneModelFile& f = sceneFiles.models[index - SCENE_TEXTURE_COUNT];
        const ObjModel* model = sceneResources.*f.model;
        return named(name, f.path) || (model && named(name, model->materialLibrary));
    }
    if (index == SCENE_RELOAD_PROGRAM)
        return named(name, sceneFiles.vertexShader) || named(name, sceneFiles.fragmentShader);
    return named(name, sceneFiles.soundtrack);
}

}  // namespace

int sceneReloadsFor(const char* name, bool due[SCENE_RELOAD_COUNT]) {
    int marked = 0;
    for (int i = 0; i < SCENE_RELOAD_COUNT; ++i) {
        if (name && !touches(i, name)) continue;
        due[i] = true;
        ++marked;
    }
    return marked;
}

void describeSceneReload(int index, char* text, size_t size) {
    if (index < SCENE_TEXTURE_COUNT)
        std::snprintf(text, size, "%s", sceneFiles.textures[index].path);
    else if (index < SCENE_RELOAD_PROGRAM)
        std::snprintf(text, size, "%s", sceneFiles.models[index - SCENE_TEXTURE_COUNT].path);
    else if (index == SCENE_RELOAD_PROGRAM)
        std::snprintf(text, size, "%s, %s", sceneFiles.vertexShader, sceneFiles.fragmentShader);
    else
        std::snprintf(text, size, "%s", sceneFiles.soundtrack);
}

bool isModelReload(int index) {
    return index >= SCENE_TEXTURE_COUNT && index < SCENE_RELOAD_PROGRAM;
}

ModelReading readReloadedModel(int index) {
    ModelReading reading = {nullptr, ObjResult::CANNOT_OPEN, 0, 0, 0};
    reading.loaded = loadObjModel(
        &reading.model, sceneFiles.models[index - SCENE_TEXTURE_COUNT].path, &reading.error);
    return reading;
}

void compileReloadedModel(ModelReading* reading) {
    if (reading->loaded != ObjResult::LOADED || modelProblem(*reading->model)) return;
    reading->list = compileModelList(reading->model, 0, &reading->glError);
    // Done before the main thread draws the list from its own context.
    glFinish();
}

ReloadResult placeReloadedModel(int index, const ModelReading& reading) {
    return placeModel(sceneFiles.models[index - SCENE_TEXTURE_COUNT], reading);
}

ReloadResult reloadSceneObject(int index) {
    if (index < SCENE_TEXTURE_COUNT) return reloadTexture(sceneFiles.textures[index]);
    if (isModelReload(index)) return placeReloadedModel(index, readReloadedModel(index));
    if (index == SCENE_RELOAD_PROGRAM) return reloadProgram();
    return reloadSoundtrack(sceneFiles.soundtrack);
}
