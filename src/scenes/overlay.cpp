#include <epoxy/gl.h>

#include "scenes/overlay.h"

float fadeAlpha = 1.0f;

void drawOverlayAndFade(double) {}
void drawOverlay() {}
void drawFadeQuad(FadeMode) {}
