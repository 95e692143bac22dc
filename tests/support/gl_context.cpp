#include <epoxy/gl.h>

#include "support/gl_context.h"

#include <GLFW/glfw3.h>

#include <cstdio>

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
    if (!testWindow) testWindow = openTestWindow(width, height);
    if (!testWindow) {
        const char* reason = nullptr;
        glfwGetError(&reason);
        std::fprintf(stderr, "test: no GL context: %s\n", reason ? reason : "unknown reason");
        return false;
    }
    glfwMakeContextCurrent(testWindow);
    return true;
}

GLint integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

std::string shaderLog(GLuint object) {
    const bool program = glIsProgram(object);
    GLint length = 0;
    if (program)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    std::string log(length > 0 ? length : 0, '\0');
    if (length > 0 && program) glGetProgramInfoLog(object, length, nullptr, log.data());
    if (length > 0 && !program) glGetShaderInfoLog(object, length, nullptr, log.data());
    return log.c_str();  // without the closing null
}
