#include <epoxy/gl.h>

#include "driver/scene_loading.h"

#include <cstdio>

#include "assets/display_list.h"
#include "assets/gl_error.h"
#include "assets/obj_reader.h"
#include "assets/png_texture.h"
#include "assets/shader_program.h"
#include "driver/asset_prefetch.h"
#include "platform/platform.h"
#include "platform/soundtrack.h"
#include "scenes/demo_clock.h"
#include "scenes/scene_resources.h"
#include "system/regular_file.h"
#include "system/warning.h"

namespace {

const GLfloat FOG_COLOR[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // white, to match the cleared frame
constexpr GLfloat FOG_DENSITY = 0.0038f;  // replaced by the scenes' 0.003 from their first pass
constexpr GLfloat FOG_START = -900.0f;    // inert under the default GL_EXP mode

// A model that opened may still be useless: the reader skips what it does not understand, so a
// binary file loads as an empty model, faces that name no position it holds draw nothing, and a
// library it cannot open leaves it without materials.
void warnAboutLoadedModel(const char* path, const ObjModel& model) {
    if (drawableTriangles(model) == 0) {
        warnFile(path, "no triangles in the model", nullptr, "nothing is drawn for it");
    }
    if (model.materialLibraryError == 0) return;
    char what[sizeof model.materialLibrary + 64];
    std::snprintf(what, sizeof what, "cannot open the material library of %s", path);
    warnFile(model.materialLibrary, what, fileErrorText(model.materialLibraryError),
             "drawn without it");
}

}  // namespace

void loadSceneTextures() {
    for (int i = 0; i < SCENE_TEXTURE_COUNT; ++i) {
        const SceneTextureFile& f = sceneFiles.textures[i];
        sceneResources.*f.texture = uploadPngMipmaps(f.path, &assetPrefetch.textures[i]);
    }
    // The overlay is drawn by the fixed-function pipeline, which textures only where texturing is
    // enabled; the scenes' GLSL program ignores this switch.
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
}

void buildSceneProgram() {
    sceneResources.shaderProgram =
        buildShaderProgram(sceneFiles.vertexShader, sceneFiles.fragmentShader);
}

void loadSceneModels() {
    for (int i = 0; i < SCENE_MODEL_COUNT; ++i) {
        const SceneModelFile& f = sceneFiles.models[i];
        ObjModel* model = assetPrefetch.models[i];
        assetPrefetch.models[i] = nullptr;
        if (!model) {
            warnFile(f.path, "cannot read the model", objErrorText(assetPrefetch.modelErrors[i]),
                     "it is left out");
        } else {
            warnAboutLoadedModel(f.path, *model);
        }
        sceneResources.*f.model = model;
        uint32_t error = 0;
        sceneResources.*f.list = model ? compileModelList(model, 0, &error) : 0;
        if (error != 0)
            warnFile(f.path, "OpenGL cannot hold the model", glErrorName(error), "it is left out");
    }
}

void setSceneFog() {
    glEnable(GL_FOG);
    glFogfv(GL_FOG_COLOR, FOG_COLOR);
    glFogf(GL_FOG_DENSITY, FOG_DENSITY);
    glFogf(GL_FOG_START, FOG_START);
}

void connectSamplers() {
    // Without a program there is nothing to connect, and OpenGL would flag the lookups as errors.
    sceneResources.colorMapLocation = -1;
    sceneResources.normalMapLocation = -1;
    const GLuint program = sceneResources.shaderProgram;
    if (!program) return;
    sceneResources.colorMapLocation = glGetUniformLocation(program, "colorMap");
    sceneResources.normalMapLocation = glGetUniformLocation(program, "normalMap");
    // The program is still current from its build; the units match the scenes' bindings.
    glUniform1i(sceneResources.colorMapLocation, 0);
    glUniform1i(sceneResources.normalMapLocation, 1);
}

void startTimelineAndSoundtrack() {
    // Taken immediately before the play command: the music was opened beforehand, so the
    // timeline leads the soundtrack only by the time the player takes to start.
    demoClock.origin = static_cast<float>(platform.now());
    playSoundtrack();
}

void openSceneSoundtrack() { prepareSoundtrack(sceneFiles.soundtrack); }

const SceneLoadingStep sceneLoadingSteps[SCENE_LOADING_STEP_COUNT] = {
    {"wait for the asset files", waitAssetPrefetch},
    {"textures", loadSceneTextures},
    {"shaders", buildSceneProgram},
    {"models", loadSceneModels},
    {"fog", setSceneFog},
    {"samplers", connectSamplers},
    {"soundtrack", openSceneSoundtrack},
    {"origin and play", startTimelineAndSoundtrack},
};

void createSceneResources(void (*stepDone)(const char* step)) {
    for (const SceneLoadingStep& step : sceneLoadingSteps) {
        step.run();
        if (stepDone) stepDone(step.name);
    }
}
