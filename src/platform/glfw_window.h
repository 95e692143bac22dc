// The demo's one window over GLFW 3: openDemoWindow() opens it, makes its context current and
// fills `platform` with the GLFW clock, sleep, swap, keys, key presses and window state.
#pragma once

struct WindowRequest {
    int width;        // pixels
    int height;       // pixels
    bool fullscreen;  // on the primary monitor
    bool visible;     // false for offscreen work (capture, tests)
};

// The presentation's window: fullscreen 1280x720, 4 samples, 24-bit depth.
constexpr WindowRequest DEMO_WINDOW = {1280, 720, true, true};

// 0 on success. On failure prints one line on stderr with the reason GLFW gives, shuts GLFW down
// and returns 1.
int openDemoWindow(const WindowRequest& request);
