#include <epoxy/gl.h>

#include "assets/gl_error.h"

namespace {

// glGetError sets no flag of its own, but a lost context may report one for ever.
constexpr int MOST_FLAGS = 16;

}  // namespace

uint32_t takeGlError() {
    GLenum first = GL_NO_ERROR;
    for (int i = 0; i < MOST_FLAGS; ++i) {
        const GLenum error = glGetError();
        if (error == GL_NO_ERROR) break;
        if (first == GL_NO_ERROR) first = error;
    }
    return first;
}

const char* glErrorName(uint32_t error) {
    switch (error) {
    case GL_INVALID_ENUM:
        return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE:
        return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION:
        return "GL_INVALID_OPERATION";
    case GL_STACK_OVERFLOW:
        return "GL_STACK_OVERFLOW";
    case GL_STACK_UNDERFLOW:
        return "GL_STACK_UNDERFLOW";
    case GL_OUT_OF_MEMORY:
        return "GL_OUT_OF_MEMORY";
    default:
        return "an unknown OpenGL error";
    }
}
