#include <epoxy/gl.h>

#include "driver/scene_resources.h"

#include <cstdio>

#include "assets/display_list.h"
#include "assets/obj_model.h"
#include "assets/png_texture.h"
#include "assets/shader_program.h"
#include "driver/asset_prefetch.h"
#include "driver/demo_clock.h"
#include "platform/platform.h"
#include "platform/soundtrack.h"

SceneResources sceneResources = {};

const SceneTextureFile sceneTextureFiles[] = {
    {"1.PNG", &SceneResources::texture1},     {"1n.PNG", &SceneResources::texture1n},
    {"peitto.PNG", &SceneResources::texturePeitto}, {"or.PNG", &SceneResources::textureOr},
    {"hr.PNG", &SceneResources::textureHr},   {"n.PNG", &SceneResources::textureN},
};
static_assert(sizeof(sceneTextureFiles) / sizeof(sceneTextureFiles[0]) == 6);

const SceneModelFile sceneModelFiles[] = {
    {"2.OBJ", &SceneResources::model2, &SceneResources::list2},
    {"2b.OBJ", &SceneResources::model2b, &SceneResources::list2b},
    {"2c.OBJ", &SceneResources::model2c, &SceneResources::list2c},
    {"3.OBJ", &SceneResources::model3, &SceneResources::list3},
    {"3c.OBJ", &SceneResources::model3c, &SceneResources::list3c},
    {"4.OBJ", &SceneResources::model4, &SceneResources::list4},
    {"4b.OBJ", &SceneResources::model4b, &SceneResources::list4b},
    {"5.OBJ", &SceneResources::model5, &SceneResources::list5},
};
static_assert(sizeof(sceneModelFiles) / sizeof(sceneModelFiles[0]) == 8);

namespace {

const GLfloat FOG_COLOR[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // white, to match the cleared frame
constexpr GLfloat FOG_DENSITY = 0.0038f;  // replaced by the scenes' 0.003 from their first pass
constexpr GLfloat FOG_START = -900.0f;    // inert under the default GL_EXP mode

// A model that opened may still be useless: the reader skips what it does not understand, so a
// binary file loads as an empty model, and a library it cannot open leaves it without materials.
void warnAboutLoadedModel(const char* path, const ObjModel& model) {
    if (model.faceCount == 0) {
        std::fprintf(stderr, "demo: %s: no triangles in the model; nothing is drawn for it\n", path);
    }
    if (model.materialLibrary[0] == '\0' || model.materialCount > 0) return;
    FILE* library = std::fopen(model.materialLibrary, "rb");
    if (library) {
        std::fclose(library);
        return;
    }
    std::fprintf(stderr, "demo: %s: cannot open the material library of %s; drawn without it\n",
                 model.materialLibrary, path);
}

}  // namespace

void loadSceneTextures() {
    for (int i = 0; i < SCENE_TEXTURE_COUNT; ++i) {
        const SceneTextureFile& f = sceneTextureFiles[i];
        sceneResources.*f.texture = uploadPngMipmaps(f.path, &assetPrefetch.textures[i]);
    }
    // The overlay is drawn by the fixed-function pipeline, which textures only where texturing is
    // enabled; the scenes' GLSL program ignores this switch.
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
}

void buildSceneProgram() { sceneResources.shaderProgram = buildShaderProgram(); }

void loadSceneModels() {
    for (int i = 0; i < SCENE_MODEL_COUNT; ++i) {
        const SceneModelFile& f = sceneModelFiles[i];
        ObjModel* model = assetPrefetch.models[i];
        assetPrefetch.models[i] = nullptr;
        if (!model) {
            std::fprintf(stderr, "demo: %s: cannot open the model; it is left out\n", f.path);
        } else {
            warnAboutLoadedModel(f.path, *model);
        }
        sceneResources.*f.model = model;
        sceneResources.*f.list = model ? compileModelList(model) : 0;
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

void createSceneResources() {
    waitAssetPrefetch();
    loadSceneTextures();
    buildSceneProgram();
    loadSceneModels();
    setSceneFog();
    connectSamplers();
    prepareSoundtrack(SOUNDTRACK_FILE);
    startTimelineAndSoundtrack();
}
