#include <epoxy/gl.h>

#include "driver/startup.h"

#include "driver/asset_prefetch.h"
#include "driver/frame_loop.h"
#include "driver/pacer.h"
#include "driver/render_state.h"
#include "driver/scene_loading.h"
#include "platform/console.h"
#include "platform/glfw_window.h"
#include "platform/platform.h"
#include "scenes/demo_clock.h"
#include "scenes/overlay.h"

namespace {

void noteStep(const StartupHooks& hooks, const char* step) {
    if (hooks.stepDone) hooks.stepDone(step);
}

}  // namespace

int runDemo() { return runDemoIn(DEMO_WINDOW, StartupHooks{}); }

void resetPresentation() {
    demoClock = DEMO_CLOCK_START;
    fadeAlpha = FADE_ALPHA_START;
    framePacer = FRAME_PACER_START;
}

int runDemoIn(const WindowRequest& window, const StartupHooks& hooks) {
    // Everything the run prints, the window system's complaint and the texture warnings included,
    // follows the streams to the terminal.
    reopenStreamsOnConsole();
    // Opening the window keeps the main thread busy for most of start-up, and the asset files need
    // no context: they are read beside it.
    startAssetPrefetch();
    if (openDemoWindow(window) != 0) {
        // Joined on every way out, so that no reader is left running while the process ends.
        waitAssetPrefetch();
        return 1;
    }
    if (hooks.adaptPlatform && hooks.adaptPlatform() != 0) {
        waitAssetPrefetch();
        platform.terminate();
        return 1;
    }
    noteStep(hooks, "window");
    int width = 0;
    int height = 0;
    platform.frameSize(&width, &height);
    setRenderState(width, height);
    noteStep(hooks, "render state");
    createSceneResources(hooks.stepDone);
    return runTimeline();
}
