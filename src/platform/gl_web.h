// The browser's OpenGL module: what Emscripten's legacy GL emulation (WebGL 1) lacks or gets
// wrong for this renderer, filled in in one place. Display lists are recorded into vertex buffers
// and drawn by this module: with the program in use, whose shader text was mapped onto uniforms
// this module sets, or without one through a small lit, fogged, textured program of its own, with
// lights where they are (the emulation makes every light directional). Texture 0 samples white
// under the fixed function, as an incomplete texture disables texturing on the desktop (WebGL
// samples it black). The rest of the tree reaches these through <epoxy/gl.h>'s names.
#pragma once

#include <GL/gl.h>

GLuint webGenLists(GLsizei range);
void webNewList(GLuint list, GLenum mode);
void webEndList();
void webCallList(GLuint list);
void webDeleteLists(GLuint list, GLsizei range);

// Immediate mode: recorded while a list is open, otherwise the emulation's.
void webBegin(GLenum mode);
void webEnd();
void webNormal3f(GLfloat x, GLfloat y, GLfloat z);
void webTexCoord2f(GLfloat s, GLfloat t);
void webTexCoord2d(GLdouble s, GLdouble t);
void webVertex3f(GLfloat x, GLfloat y, GLfloat z);
void webVertex2d(GLdouble x, GLdouble y);

// Lighting, material and fog, kept for the lists' programs (and the fog passed on).
void webMaterialf(GLenum face, GLenum name, GLfloat value);
void webMateriali(GLenum face, GLenum name, GLint value);
void webMaterialfv(GLenum face, GLenum name, const GLfloat* value);
void webLightf(GLenum light, GLenum name, GLfloat value);
void webLightfv(GLenum light, GLenum name, const GLfloat* value);
void webFogf(GLenum name, GLfloat value);
void webFogfv(GLenum name, const GLfloat* value);
void webEnable(GLenum capability);
void webDisable(GLenum capability);

void webActiveTexture(GLenum unit);
void webBindTexture(GLenum target, GLuint texture);
void webUseProgram(GLuint program);

// The desktop GLSL 1.10 text mapped onto GLSL ES 1.00: no #version, the derivatives extension,
// and the fixed-function built-ins as this module's own uniforms and attributes.
void webShaderSource(GLuint shader, GLsizei count, const GLchar* const* text, const GLint* length);

// GL_RGBA8 as an internal format is refused by WebGL 1; GL_RGBA stores the same bytes.
void webTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                   GLint border, GLenum format, GLenum type, const void* pixels);
