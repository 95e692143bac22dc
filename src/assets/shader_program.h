// Builds the presentation's one GLSL program from "vertexshader_offset.glsl" and
// "fragmentshader_offset.glsl" in the working directory; buildShaderProgram() with a context current.
#pragma once

#include <cstdint>

constexpr const char* VERTEX_SHADER_FILE = "vertexshader_offset.glsl";
constexpr const char* FRAGMENT_SHADER_FILE = "fragmentshader_offset.glsl";

// Re-opens both standard streams on the console, compiles and links the two files, makes the
// program current and prints the fragment, vertex and program info logs on stdout exactly as
// OpenGL gives them. No status is queried: the logs are the only diagnostics. When a file cannot
// be read, prints "Error opening shader." (stdout for the vertex file, stderr for the fragment
// file), one warning line naming it on stderr, builds nothing and returns 0, so the scenes draw
// with the fixed-function pipeline.
uint32_t buildShaderProgram();

// Prints the shader's info log on stdout when OpenGL reports one; nothing otherwise.
void printShaderLog(uint32_t shader);
