#include <epoxy/gl.h>

#include "platform/glfw_window.h"

#include <GLFW/glfw3.h>
#include <emscripten.h>

#include <cstdio>

#include "platform/glfw_keys.h"
#include "platform/key_queue.h"
#include "platform/page_web.h"
#include "platform/platform.h"

namespace {

// The canvas, through Emscripten's GLFW 3 emulation; opened by openDemoWindow only.
GLFWwindow* demoWindow = nullptr;

void queueKey(GLFWwindow*, int glfwKey, int, int action, int mods) {
    if (action == GLFW_RELEASE) return;
    // Escape belongs to the browser, which leaves fullscreen with it, and the page has no quit.
    const PlatformKey key = platformKeyOf(glfwKey);
    if (key == KEY_OTHER || key == KEY_ESCAPE || key == KEY_Q) return;
    pressKeyFromPage(key, (mods & GLFW_MOD_SHIFT) != 0);
}

double webNow() { return emscripten_get_now() / 1000.0; }

// The browser runs its events, timers and audio only while the program is suspended here.
void webSleep(double seconds) {
    const double ms = seconds * 1000.0;
    emscripten_sleep(ms > 0.0 ? static_cast<unsigned>(ms) : 0);
}

void webWaitEvents(double seconds) {
    if (seconds > 0.0) webSleep(seconds);
}

// The canvas shows what was drawn once the program yields to the browser; it yields until the
// browser paints again, so that each pass drawn is a frame seen.
EM_ASYNC_JS(void, waitForAnimationFrame, (), {
    await new Promise(function(resolve) { requestAnimationFrame(function() { resolve(); }); });
});

void webSwapAndPoll() { waitForAnimationFrame(); }

bool webEscapePressed() { return false; }

bool webWindowOpen() { return true; }

void webFrameSize(int* width, int* height) { glfwGetFramebufferSize(demoWindow, width, height); }

void webShutdown() {
    glfwTerminate();
    demoWindow = nullptr;
}

void webSetTitle(const char* title) { glfwSetWindowTitle(demoWindow, title); }

// The canvas's size on the screen in device pixels, kept at the requested shape, so that the
// picture is drawn as sharp as it is shown (and at the reference frames' size in a window of
// theirs); the request's size where the page has not laid the canvas out.
EM_JS(void, canvasPixels, (int* width, int* height), {
    var canvas = Module['canvas'];
    var box = canvas ? canvas.getBoundingClientRect() : null;
    var ratio = window.devicePixelRatio || 1;
    var w = box ? Math.round(box.width * ratio) : 0;
    if (w < 1) return;
    var h = Math.max(1, Math.round(w * HEAP32[height >> 2] / HEAP32[width >> 2]));
    HEAP32[width >> 2] = w;
    HEAP32[height >> 2] = h;
});

}  // namespace

void pressKeyFromPage(PlatformKey key, bool shift) { queueKeyPress(KeyPress{key, shift}); }

int openDemoWindow(const WindowRequest& request) {
    if (!glfwInit()) {
        std::fprintf(stderr, "demo: cannot initialise the window system\n");
        return 1;
    }
    glfwWindowHint(GLFW_SAMPLES, 4);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    // An opaque canvas: the frame's alpha is the blending's, not something to show the page
    // through.
    glfwWindowHint(GLFW_ALPHA_BITS, 0);
    // Fullscreen needs a gesture in a browser: the page asks for it on its click.
    int width = request.width;
    int height = request.height;
    canvasPixels(&width, &height);
    demoWindow = glfwCreateWindow(width, height, "demo", nullptr, nullptr);
    if (!demoWindow) {
        std::fprintf(stderr, "demo: cannot open the window: this browser gives no WebGL\n");
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(demoWindow);
    glfwSetKeyCallback(demoWindow, queueKey);
    platform = Platform{webNow,       webSleep,    webSwapAndPoll, webEscapePressed, webWindowOpen,
                        webFrameSize, webShutdown, takeKeyPress,   webWaitEvents,    webSetTitle};
    return 0;
}
