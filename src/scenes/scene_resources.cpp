#include "scenes/scene_resources.h"

SceneResources sceneResources = {};

const SceneFiles sceneFiles = {
    {
        {"1.PNG", &SceneResources::texture1},
        {"1n.PNG", &SceneResources::texture1n},
        {"peitto.PNG", &SceneResources::texturePeitto},
        {"or.PNG", &SceneResources::textureOr},
        {"hr.PNG", &SceneResources::textureHr},
        {"n.PNG", &SceneResources::textureN},
    },
    {
        {"2.OBJ", &SceneResources::model2, &SceneResources::list2},
        {"2b.OBJ", &SceneResources::model2b, &SceneResources::list2b},
        {"2c.OBJ", &SceneResources::model2c, &SceneResources::list2c},
        {"3.OBJ", &SceneResources::model3, &SceneResources::list3},
        {"3c.OBJ", &SceneResources::model3c, &SceneResources::list3c},
        {"4.OBJ", &SceneResources::model4, &SceneResources::list4},
        {"4b.OBJ", &SceneResources::model4b, &SceneResources::list4b},
        {"5.OBJ", &SceneResources::model5, &SceneResources::list5},
    },
    "vertexshader_offset.glsl",
    "fragmentshader_offset.glsl",
    "ms.mp3",
};

const char* sceneFilePath(int index) {
    if (index < 0 || index >= SCENE_FILE_COUNT) return nullptr;
    if (index < SCENE_TEXTURE_COUNT) return sceneFiles.textures[index].path;
    index -= SCENE_TEXTURE_COUNT;
    if (index < SCENE_MODEL_COUNT) return sceneFiles.models[index].path;
    index -= SCENE_MODEL_COUNT;
    const char* const rest[] = {sceneFiles.vertexShader, sceneFiles.fragmentShader,
                                sceneFiles.soundtrack};
    static_assert(sizeof(rest) / sizeof(rest[0]) ==
                  SCENE_FILE_COUNT - SCENE_TEXTURE_COUNT - SCENE_MODEL_COUNT);
    return rest[index];
}

const char* sceneTexturePath(uint32_t SceneResources::*texture) {
    for (const SceneTextureFile& f : sceneFiles.textures)
        if (f.texture == texture) return f.path;
    return nullptr;
}

const char* sceneModelPath(uint32_t SceneResources::*list) {
    for (const SceneModelFile& f : sceneFiles.models)
        if (f.list == list) return f.path;
    return nullptr;
}
