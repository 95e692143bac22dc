// The demo's one window over GLFW 3: openDemoWindow() opens it, makes its context current and
// fills `platform` with the GLFW clock, sleep, swap, keys, key presses and window state.
#pragma once

// The mouse pointer over the window. A presentation shows no pointer; a tool played fullscreen
// shows it only while the mouse moves, so that it can still be found.
enum class WindowPointer {
    shown,
    hidden,
    hiddenWhenStill,  // hidden from the start, shown on a move, hidden again 2 s after the last
};

struct WindowRequest {
    int width;        // pixels
    int height;       // pixels
    bool fullscreen;  // on the primary monitor
    bool visible;     // false for offscreen work (capture, tests)
    WindowPointer pointer = WindowPointer::shown;
};

// How long the pointer stays after the mouse stops, for WindowPointer::hiddenWhenStill.
constexpr double POINTER_STILL_SECONDS = 2.0;

// The presentation's window: fullscreen 1280x720, 4 samples, 24-bit depth, no pointer.
constexpr WindowRequest DEMO_WINDOW = {1280, 720, true, true, WindowPointer::hidden};

// 0 on success. On failure prints one line on stderr with the reason GLFW gives, shuts GLFW down
// and returns 1.
int openDemoWindow(const WindowRequest& request);
