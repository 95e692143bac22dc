// A hidden window with a real OpenGL context (Mesa under Xvfb) for the tests that need GL, and what
// the tests read back from it. Call requireGlContext() at the start of a GL test; the window lives
// until the process ends.
#pragma once

#include <epoxy/gl.h>

#include <string>

// Opens the context on first use; later calls make it current again. Returns false when no
// display is available (the caller then fails the test).
bool requireGlContext(int width = 320, int height = 180);

// One integer of the GL state, as glGetIntegerv gives it.
GLint integer(GLenum name);

// The info log of a shader or a program object, "" when it has none.
std::string shaderLog(GLuint object);
