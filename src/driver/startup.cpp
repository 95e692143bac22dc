#include <epoxy/gl.h>

#include "driver/startup.h"

#include "driver/asset_prefetch.h"
#include "driver/frame_loop.h"
#include "driver/render_state.h"
#include "driver/scene_resources.h"
#include "platform/glfw_window.h"
#include "platform/platform.h"

int runDemo() { return runDemoIn(DEMO_WINDOW, nullptr); }

int runDemoIn(const WindowRequest& window, int (*adaptPlatform)()) {
    // Opening the window keeps the main thread busy for most of start-up, and the asset files need
    // no context: they are read beside it.
    startAssetPrefetch();
    if (openDemoWindow(window) != 0) {
        // Joined on every way out, so that no reader is left running while the process ends.
        waitAssetPrefetch();
        return 1;
    }
    if (adaptPlatform && adaptPlatform() != 0) {
        waitAssetPrefetch();
        platform.terminate();
        return 1;
    }
    int width = 0;
    int height = 0;
    platform.frameSize(&width, &height);
    setRenderState(width, height);
    createSceneResources();
    return runTimeline();
}
