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

// For a program that replaces one in use: reads, compiles and links the two files the same way,
// with the same logs, and then checks what buildShaderProgram never does. The new program, made
// current, when both shaders compiled and it linked. Otherwise 0, after one line on stderr naming
// the file that cannot be read or the two that do not build (their logs say why), with nothing
// left behind and the current program untouched.
uint32_t buildCheckedShaderProgram(const char* vertexPath, const char* fragmentPath);
