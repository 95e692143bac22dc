#include "driver/asset_prefetch.h"

#include <pthread.h>

#include <chrono>

#include "assets/obj_reader.h"
#include "scenes/overlay_coverage.h"

AssetPrefetch assetPrefetch = {};

namespace {

// Written only by startAssetPrefetch and waitAssetPrefetch, both on the main thread.
struct PrefetchWorker {
    pthread_t thread;
    bool running;  // started and not yet joined
};
PrefetchWorker prefetchWorker = {};

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Prints nothing: every warning waits for the main thread, which prints it where the file's
// texture or model is used, so that the output keeps the order of a start-up without a worker.
void readSceneAssets() {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < SCENE_TEXTURE_COUNT; ++i) {
        const SceneTextureFile& f = sceneFiles.textures[i];
        readPngMipmaps(f.path, &assetPrefetch.textures[i]);
        // Measured from the levels here, since the upload frees them; an image that fails to
        // upload leaves the texture 0, for which the overlay is drawn whole.
        if (f.texture == &SceneResources::texturePeitto)
            measureOverlayCoverage(assetPrefetch.textures[i], &overlayCoverage);
    }
    assetPrefetch.textureSeconds = secondsSince(start);
    start = std::chrono::steady_clock::now();
    // Models that name one library share it, read once.
    MaterialLibraryCache libraries = {};
    for (int i = 0; i < SCENE_MODEL_COUNT; ++i) {
        assetPrefetch.models[i] = nullptr;
        loadObjModel(&assetPrefetch.models[i], sceneFiles.models[i].path,
                     &assetPrefetch.modelErrors[i], &libraries);
    }
    releaseMaterialLibraries(&libraries);
    assetPrefetch.modelSeconds = secondsSince(start);
}

void* runWorker(void*) {
    readSceneAssets();
    return nullptr;
}

}  // namespace

void startAssetPrefetch() {
    if (prefetchWorker.running) return;
    // A thread that cannot be had leaves the work to the wait.
    prefetchWorker.running =
        pthread_create(&prefetchWorker.thread, nullptr, runWorker, nullptr) == 0;
}

void waitAssetPrefetch() {
    if (!prefetchWorker.running) {
        readSceneAssets();
        return;
    }
    pthread_join(prefetchWorker.thread, nullptr);
    prefetchWorker.running = false;
}
