#include <epoxy/gl.h>

#include "support/gl_context.h"

#include <GLFW/glfw3.h>

namespace {
GLFWwindow* testWindow = nullptr;
}

bool requireGlContext(int width, int height) {
    if (!testWindow) {
        if (!glfwInit()) return false;
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        glfwWindowHint(GLFW_DEPTH_BITS, 24);
        testWindow = glfwCreateWindow(width, height, "test", nullptr, nullptr);
        if (!testWindow) return false;
    }
    glfwMakeContextCurrent(testWindow);
    return true;
}

void readPixel(int x, int y, unsigned char rgba[4]) {
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
