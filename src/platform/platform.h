// The services the frame loop, the pacer and the timeline take from the machine, as one record of
// function pointers. openDemoWindow() fills it with GLFW; tests and the capture tool fill it with a
// virtual clock so that a whole run can be stepped pass by pass.
#pragma once

// Keys a tool reacts to; every other key is KEY_OTHER.
enum PlatformKey {
    KEY_OTHER = 0,
    KEY_ESCAPE,
    KEY_SPACE,
    KEY_LEFT,
    KEY_RIGHT,
    KEY_PAGE_UP,
    KEY_PAGE_DOWN,
    KEY_HOME,
    KEY_PERIOD,
    KEY_Q,
    KEY_R,
};

// One press of a key (or its repeat while held), as the window system reported it.
struct KeyPress {
    PlatformKey key;
    bool shift;  // a Shift key was held
};

struct Platform {
    double (*now)();                // seconds on one monotonic clock
    void (*sleep)(double seconds);  // the one place that waits; never spins
    void (*swapAndPoll)();          // present the back buffer, then process window events
    bool (*escapePressed)();        // Escape is held down
    bool (*windowOpen)();           // the window has not been closed
    void (*frameSize)(int* width, int* height);  // drawable size in pixels
    void (*terminate)();                         // shut the window system down
    // Takes the oldest key press not yet taken into *press; false when none is left. Presses are
    // queued as events arrive, so a tap between two passes is never lost.
    bool (*nextKeyPress)(KeyPress* press);
    void (*waitEvents)(double seconds);   // process window events, waiting at most this long
    void (*setTitle)(const char* title);  // the window's title, UTF-8
};

// Written once by whoever opens the window (demo start-up, a tool, a test fixture) before the first
// pass; only read afterwards.
extern Platform platform;
