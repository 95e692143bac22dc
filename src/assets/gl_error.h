// OpenGL's error flags, read around one operation: takeGlError() before it clears what earlier
// calls left, takeGlError() after it says whether it failed; glErrorName(e) for the warning line.
#pragma once

#include <cstdint>

// Takes every flag OpenGL has set; the first, or 0 (GL_NO_ERROR) when none is set. Needs a
// current context, outside glBegin and glEnd.
uint32_t takeGlError();

// "GL_OUT_OF_MEMORY" and the like; "an unknown OpenGL error" for a value OpenGL 2 does not define.
const char* glErrorName(uint32_t error);
