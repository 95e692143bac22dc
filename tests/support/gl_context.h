// A hidden window with a real OpenGL context (Mesa under Xvfb) for the tests that need GL.
// Call requireGlContext() at the start of a GL test; the window lives until the process ends.
#pragma once

// Opens the context on first use; later calls make it current again. Returns false when no
// display is available (the caller then fails the test).
bool requireGlContext(int width = 320, int height = 180);
