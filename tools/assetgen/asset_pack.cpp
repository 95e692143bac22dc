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
#include "shaders.h"
#include "textures.h"

const char* const PACK_FILES[PACK_FILE_COUNT] = {
    "2.OBJ",  "2b.OBJ",  "2c.OBJ",     "3.OBJ",   "3c.OBJ",  "4.OBJ",
    "4b.OBJ", "5.OBJ",   "1.PNG",      "1n.PNG",  "peitto.PNG", "or.PNG",
    "hr.PNG", "n.PNG",   "vertexshader_offset.glsl", "fragmentshader_offset.glsl", "ms.mp3",
};

namespace {

int writeModels(const std::string& directory) {
    for (const ModelDesign& design : MODEL_DESIGNS) {
        Mesh mesh = {};
        design.build(&mesh);
        if (writeObjModel(mesh, directory, design.objName, design.libraryName, design.title) != 0) {
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
    struct Named {
        const char* name;
        const Image* image;
    };
    const Named images[] = {
        {"1.PNG", &tiles},   {"1n.PNG", &tileRelief}, {"peitto.PNG", &overlay},
        {"or.PNG", &copper}, {"hr.PNG", &lacquer},    {"n.PNG", &plateRelief},
    };
    for (const Named& named : images) {
        if (writePng(*named.image, joinPath(directory, named.name)) != 0) return 1;
    }
    return 0;
}

int writeShaders(const std::string& directory) {
    if (writeFileBytes(joinPath(directory, "vertexshader_offset.glsl"), VERTEX_SHADER_TEXT,
                       std::strlen(VERTEX_SHADER_TEXT)) != 0) {
        return 1;
    }
    return writeFileBytes(joinPath(directory, "fragmentshader_offset.glsl"), FRAGMENT_SHADER_TEXT,
                          std::strlen(FRAGMENT_SHADER_TEXT));
}

int writeSoundtrack(const std::string& directory) {
    StereoBuffer sound;
    synthesiseSoundtrack(&sound);
    std::vector<uint8_t> mp3 = encodeMp3(sound);
    std::string path = joinPath(directory, "ms.mp3");
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
