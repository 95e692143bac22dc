// What <epoxy/gl.h> gives the rest of the tree, in the browser build: Emscripten's OpenGL over
// WebGL 1 with its fixed-function emulation, and the calls that emulation lacks or gets wrong
// taken over by the platform's GL module (gl_web.h). Only the browser build has this directory
// on its include path.
#pragma once

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/gl_web.h"

#define glNewList webNewList
#define glEndList webEndList
#define glGenLists webGenLists
#define glCallList webCallList
#define glDeleteLists webDeleteLists
#define glBegin webBegin
#define glEnd webEnd
#define glNormal3f webNormal3f
#define glTexCoord2f webTexCoord2f
#define glTexCoord2d webTexCoord2d
#define glVertex3f webVertex3f
#define glVertex2d webVertex2d
#define glMaterialf webMaterialf
#define glMateriali webMateriali
#define glMaterialfv webMaterialfv
#define glLightf webLightf
#define glLightfv webLightfv
#define glFogf webFogf
#define glFogfv webFogfv
#define glEnable webEnable
#define glDisable webDisable
#define glActiveTexture webActiveTexture
#define glBindTexture webBindTexture
#define glUseProgram webUseProgram
#define glShaderSource webShaderSource
#define glTexImage2D webTexImage2D
