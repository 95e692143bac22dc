// The overlay image (texturePeitto): a thin viewfinder frame with corner brackets and lettering,
// transparent in the middle, laid out for the overlay quad that overfills the view.
#pragma once

#include "image.h"
#include "scenes/overlay.h"

// The image is drawn in the overlay quad's own units so nothing is stretched; of the quad's extent
// about this much is on screen.
constexpr double VISIBLE_HALF_WIDTH = 113.0;
constexpr double VISIBLE_HALF_HEIGHT = 64.0;

void makeOverlay(Image* overlay);
