// GLU's header, with what it needs before it on the system at hand: Windows' own glu.h uses the
// calling-convention macros of windows.h. Include it after <epoxy/gl.h>, as <GL/glu.h> would be.
#pragma once

#ifdef _WIN32
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif
#include <GL/glu.h>
