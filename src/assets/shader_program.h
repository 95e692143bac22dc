// Builds the presentation's one GLSL program from a vertex and a fragment shader file:
// buildShaderProgram(vertexPath, fragmentPath) with a context current.
#pragma once

#include <cstdint>

// Compiles and links the two files, makes the program current and prints the fragment, vertex and
// program info logs on stdout exactly as OpenGL gives them. No status is queried: the logs are the
// only diagnostics. When a file cannot be read, prints "Error opening shader." (stdout for the
// vertex file, stderr for the fragment file), then one warning line naming it on stderr, builds
// nothing and returns 0, so the scenes draw with the fixed-function pipeline.
uint32_t buildShaderProgram(const char* vertexPath, const char* fragmentPath);

// Prints the shader's info log on stdout when OpenGL reports one; nothing otherwise.
void printShaderLog(uint32_t shader);
