// Builds the presentation's one GLSL program from a vertex and a fragment shader file:
// buildShaderProgram(vertexPath, fragmentPath) with a context current.
#pragma once

#include <cstdint>

// Largest shader file read, in bytes: ours are a few kilobytes, and a driver may take minutes
// over a text of megabytes. A larger one is refused ("File too large").
constexpr uint64_t SHADER_MAX_BYTES = 1 << 20;

// Compiles and links the two files, makes the program current and prints the fragment, vertex and
// program info logs on stdout as OpenGL gives them (a line feed added where a log does not end
// its last line). A program that does not compile or link is still made current, after one line
// on stderr naming both files. When a file cannot be read, prints "Error opening shader." (stdout
// for the vertex file, stderr for the fragment file), then one warning line naming it on stderr,
// builds nothing and returns 0, so the scenes draw with the fixed-function pipeline. So does a
// text larger than SHADER_MAX_BYTES, or one whose macros would expand past
// SHADER_MAX_EXPANDED_TOKENS, with only the warning line, before any driver sees it.
uint32_t buildShaderProgram(const char* vertexPath, const char* fragmentPath);

// For a program that replaces one in use: reads, compiles and links the two files the same way,
// with the same logs and checks. The new program, made current, when both shaders compiled and it
// linked. Otherwise 0, after one line on stderr naming the file that cannot be read or the two that
// do not build (their logs say why), with nothing left behind and the current program untouched.
uint32_t buildCheckedShaderProgram(const char* vertexPath, const char* fragmentPath);
