#include <epoxy/gl.h>

#include "driver/startup.h"

#include "driver/frame_loop.h"
#include "driver/render_state.h"
#include "driver/scene_resources.h"
#include "platform/glfw_window.h"
#include "platform/platform.h"

int runDemo() { return runDemoIn(DEMO_WINDOW, nullptr); }

int runDemoIn(const WindowRequest& window, int (*adaptPlatform)()) {
    if (openDemoWindow(window) != 0) return 1;
    if (adaptPlatform && adaptPlatform() != 0) {
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
