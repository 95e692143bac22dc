#include <epoxy/gl.h>

#include "support/gl_context.h"

#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

GLFWwindow* testWindow = nullptr;

GLFWwindow* openTestWindow(int width, int height) {
    if (!glfwInit()) return nullptr;
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    GLFWwindow* window = glfwCreateWindow(width, height, "test", nullptr, nullptr);
    if (!window) glfwTerminate();
    return window;
}

}  // namespace

bool requireGlContext(int width, int height) {
    // Many test processes start at once against one X server, and now and then it refuses a
    // connection; a moment later it takes it. Only a refusal that persists fails the test.
    for (int attempt = 0; !testWindow && attempt < 5; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
        testWindow = openTestWindow(width, height);
        if (testWindow) break;
        const char* reason = nullptr;
        glfwGetError(&reason);
        std::fprintf(stderr, "test: no GL context (attempt %d): %s\n", attempt + 1,
                     reason ? reason : "unknown reason");
    }
    if (!testWindow) return false;
    glfwMakeContextCurrent(testWindow);
    return true;
}

void readPixel(int x, int y, unsigned char rgba[4]) {
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
