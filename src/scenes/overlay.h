// The overlay image over every frame and the white fade quad at the start and end of each scene.
// drawOverlayAndFade(t) once per pass, after the scene and before the swap.
#pragma once

enum FadeMode { FADE_NONE = 0, FADE_IN = 1, FADE_OUT = 2 };

// Alpha of the fade quad, 1.0 at start; stepped only by drawFadeQuad, never clamped.
extern float fadeAlpha;

void drawOverlayAndFade(double t);
void drawOverlay();
void drawFadeQuad(FadeMode mode);
