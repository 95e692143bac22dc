// The overlay image over every frame and the white fade quad at the start and end of each scene.
// drawOverlayAndFade(t) once per pass, after the scene and before the swap.
#pragma once

#include <array>

#include "scenes/scenes.h"

enum FadeMode { FADE_NONE = 0, FADE_IN = 1, FADE_OUT = 2 };

struct FadeWindow {
    double start;  // seconds, exclusive
    double end;    // seconds, exclusive
    FadeMode mode;
};

// Each scene comes out of white in its first fadeSeconds and goes back in its last; between
// those windows no fade quad is drawn.
constexpr int FADE_WINDOW_COUNT = 2 * SCENE_COUNT;
constexpr std::array<FadeWindow, FADE_WINDOW_COUNT> fadeWindowsOfScenes() {
    std::array<FadeWindow, FADE_WINDOW_COUNT> windows = {};
    for (int i = 0; i < SCENE_COUNT; ++i) {
        const Scene& s = scenes[i];
        windows[2 * i] = {s.start, s.start + s.fadeSeconds, FADE_IN};
        windows[2 * i + 1] = {s.end - s.fadeSeconds, s.end, FADE_OUT};
    }
    return windows;
}
inline constexpr std::array<FadeWindow, FADE_WINDOW_COUNT> fadeWindows = fadeWindowsOfScenes();

// The fade of the window that holds t, FADE_NONE outside them all.
FadeMode fadeModeAt(double t);

// Both quads span this much either side of the view's centre, in eye units at their depth, which
// overfills the view (about +-113 by +-64 units there) on every side.
constexpr double OVERLAY_HALF_WIDTH = 120.0;
constexpr double OVERLAY_HALF_HEIGHT = 90.0;

constexpr float FADE_ALPHA_START = 1.0f;

// Alpha of the fade quad; stepped by drawFadeQuad (and by a tool's skipped pass, the same way),
// never clamped.
extern float fadeAlpha;

// The alpha one fade quad of `mode` leaves after `alpha`: 0.01 less fading in, 0.01 more fading
// out, the same for FADE_NONE. Pure, so that a pass can be stepped without drawing.
float stepFadeAlpha(float alpha, FadeMode mode);

void drawOverlayAndFade(double t);
void drawOverlay();
void drawFadeQuad(FadeMode mode);
