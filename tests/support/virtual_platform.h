// A platform whose clock moves only when told: sleeps advance it by exactly what was asked, each
// swap by `passWork`, and `onSwap` may do more (a stall, a key press, closing the window).
#pragma once

#include <functional>
#include <vector>

struct VirtualPlatform {
    double clock = 0.0;          // seconds
    double passWork = 0.0;       // seconds each swap adds
    std::vector<double> sleeps;  // every sleep asked for, in seconds
    int swaps = 0;
    int terminations = 0;
    bool escape = false;
    bool windowOpen = true;
    int width = 1280;
    int height = 720;
    std::function<void(int swap)> onSwap;  // called after each swap with its 1-based number
};

// Reset by installVirtualPlatform; read and written by the tests.
extern VirtualPlatform virtualPlatform;

// Points `platform` at the virtual one and resets it, the pacer, the demo clock and the fade.
void installVirtualPlatform();
