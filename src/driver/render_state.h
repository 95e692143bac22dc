// The OpenGL state every scene shares: viewport, white clear colour, the 65-degree perspective,
// depth test, back-face culling, light 0 at the eye and the front material.
#pragma once

constexpr double FIELD_OF_VIEW = 65.0;  // degrees, vertical
constexpr double NEAR_PLANE = 100.0;
constexpr double FAR_PLANE = 10000.0;

// Needs a current context. `width` and `height` are the drawable's size in pixels as the window
// system reports it; a height below 1 is taken as 1.
void setRenderState(int width, int height);
