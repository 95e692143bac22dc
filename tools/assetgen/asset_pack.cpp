#include "asset_pack.h"

#include <cstring>
#include <string>
#include <thread>

#include "file_io.h"
#include "image.h"
#include "models.h"
#include "music.h"
#include "obj_writer.h"
#include "overlay_image.h"
#include "scenes/scene_resources.h"
#include "shaders.h"
#include "textures.h"

namespace {

int writeModels(const std::string& directory) {
    for (const ModelDesign& design : MODEL_DESIGNS) {
        Mesh mesh = {};
        design.build(&mesh);
        if (writeObjModel(mesh, directory, modelDesignPath(design), design.libraryName,
                          design.title) != 0) {
            return 1;
        }
    }
    return 0;
}

int writeTextures(const std::string& directory) {
    Image tiles = {}, tileRelief = {}, copper = {}, lacquer = {}, plateRelief = {}, overlay = {};
    makeTileTextures(&tiles, &tileRelief);
    makePlateTextures(&copper, &lacquer, &plateRelief);
    makeOverlay(&overlay);
    struct Filling {
        uint32_t SceneResources::*texture;
        const Image* image;
    };
    const Filling images[] = {
        {&SceneResources::texture1, &tiles},        {&SceneResources::texture1n, &tileRelief},
        {&SceneResources::texturePeitto, &overlay}, {&SceneResources::textureOr, &copper},
        {&SceneResources::textureHr, &lacquer},     {&SceneResources::textureN, &plateRelief},
    };
    static_assert(sizeof(images) / sizeof(images[0]) == SCENE_TEXTURE_COUNT);
    for (const Filling& f : images) {
        if (writePng(*f.image, joinPath(directory, sceneTexturePath(f.texture))) != 0) return 1;
    }
    return 0;
}

int writeShaders(const std::string& directory) {
    if (writeFileBytes(joinPath(directory, sceneFiles.vertexShader), VERTEX_SHADER_TEXT,
                       std::strlen(VERTEX_SHADER_TEXT)) != 0) {
        return 1;
    }
    return writeFileBytes(joinPath(directory, sceneFiles.fragmentShader), FRAGMENT_SHADER_TEXT,
                          std::strlen(FRAGMENT_SHADER_TEXT));
}

int writeSoundtrack(const std::string& directory) {
    StereoBuffer sound;
    synthesiseSoundtrack(&sound);
    std::vector<uint8_t> mp3 = encodeMp3(sound);
    std::string path = joinPath(directory, sceneFiles.soundtrack);
    if (mp3.empty()) {
        std::fprintf(stderr, "assetgen: cannot encode %s\n", path.c_str());
        return 1;
    }
    return writeFileBytes(path, mp3.data(), mp3.size());
}

}  // namespace

int writeAssetPack(const char* directory) {
    std::string root = directory;
    if (makeDirectories(root) != 0) return 1;
    // The soundtrack takes as long as everything else together; it gets the second core. The
    // two halves share nothing but the directory, so the bytes do not depend on the timing.
    int soundtrackResult = 1;
    std::thread soundtrack([&] { soundtrackResult = writeSoundtrack(root); });
    int result = writeModels(root);
    if (result == 0) result = writeTextures(root);
    if (result == 0) result = writeShaders(root);
    soundtrack.join();
    return result != 0 ? result : soundtrackResult;
}
