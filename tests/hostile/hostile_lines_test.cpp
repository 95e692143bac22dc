// Files that are bad in a way the readers cannot see at once still get their one line: a model
// that draws nothing however many faces it reads, a soundtrack the decoder gives up on midway.
#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "assets/obj_reader.h"
#include "driver/asset_prefetch.h"
#include "driver/scene_loading.h"
#include "driver/scene_reload.h"
#include "platform/console.h"
#include "platform/soundtrack.h"
#include "scenes/scene_resources.h"
#include "support/child_run.h"
#include "support/gl_context.h"
#include "support/text.h"

namespace {

int modelIndex(uint32_t SceneResources::*list) {
    for (int i = 0; i < SCENE_MODEL_COUNT; ++i)
        if (sceneFiles.models[i].list == list) return i;
    return -1;
}

// Start-up's model step, then a reload of the same files, with what each printed on stderr.
struct ModelLines {
    std::string startUp, reload;
};

ModelLines modelLinesIn(const std::string& directory, int model) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(directory);
    ModelLines printed;
    printed.startUp = stderrOf([] {
        waitAssetPrefetch();
        loadSceneTextures();
        loadSceneModels();
    });
    printed.reload = stderrOf([&] { reloadSceneObject(SCENE_TEXTURE_COUNT + model); });
    std::filesystem::current_path(previous);
    for (const SceneModelFile& f : sceneFiles.models) {
        freeObjModel(sceneResources.*f.model);
        sceneResources.*f.model = nullptr;
    }
    return printed;
}

TEST(HostileLines, AModelWhoseEveryFaceIsDroppedSaysNoTrianglesLikeAnEmptyOne) {
    ASSERT_TRUE(requireGlContext());
    const int model = modelIndex(&SceneResources::list2);
    ASSERT_GE(model, 0);
    const std::string path = sceneFiles.models[model].path;
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty", ""},
        // One line to the reader: a vertex at most, and no face.
        {"line ends of carriage returns only", "v 0 0 0\rv 1 0 0\rv 0 1 0\rf 1 2 3\r"},
        // "v" and a tab is no vertex line: the faces name positions that are not there.
        {"tabs between numbers", "v\t0\t0\t0\nv\t1\t0\t0\nv\t0\t1\t0\nf\t1\t2\t3\n"},
        {"faces that name missing positions", "v 0 0 0\nv 1 0 0\nf 1 2 3\nf 4 5 6 7\nf -9 1 2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AssetCopy copy;
        std::ofstream(copy / path, std::ios::binary) << c.text;
        const ModelLines printed = modelLinesIn(copy.dir, model);
        EXPECT_EQ(printed.startUp,
                  "demo: " + path + ": no triangles in the model; nothing is drawn for it\n");
        EXPECT_EQ(printed.reload,
                  "demo: " + path + ": no triangles in the model; keeping its last good list\n");
    }
}

TEST(HostileLines, ASoundtrackTheDecoderGivesUpOnMidwaySaysSoInOneLineAndTheDecoderIsQuiet) {
    AssetCopy copy;
    const std::string soundtrackPath = copy / sceneFiles.soundtrack;
    // Some frames of music, then a stretch in which the decoder finds no frame to go on with, then
    // the rest: the header still declares no more than the file holds.
    const std::string good = fileBytes(soundtrackPath);
    ASSERT_GT(good.size(), 20000u);
    std::ofstream(soundtrackPath, std::ios::binary)
        << good.substr(0, 8000) + std::string(200000, 'z') + good.substr(8000);
    const std::string printed = printedInChild(
        [&] {
            if (prepareSoundtrack(soundtrackPath.c_str()) != 0) return;
            playSoundtrack();
            std::this_thread::sleep_for(std::chrono::seconds(3));
        },
        {"", {"SDL_AUDIODRIVER=dummy"}});
    ASSERT_EQ(lines(printed).size(), 1u) << printed;
    EXPECT_EQ(printed.rfind("demo: " + soundtrackPath + ": the soundtrack stopped early (at ", 0),
              0u)
        << printed;
    EXPECT_NE(printed.find("; the rest plays silently\n"), std::string::npos) << printed;
}

}  // namespace
