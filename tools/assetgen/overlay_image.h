// The overlay image "peitto.PNG": a thin viewfinder frame with corner brackets and lettering,
// transparent in the middle, laid out for the overlay quad that overfills the view.
#pragma once

#include "image.h"

// The quad spans +-120 by +-90 units at the overlay's depth, of which about +-113 by +-64 are on
// screen; the image is drawn in those units so nothing is stretched.
constexpr double OVERLAY_HALF_WIDTH = 120.0;
constexpr double OVERLAY_HALF_HEIGHT = 90.0;
constexpr double VISIBLE_HALF_WIDTH = 113.0;
constexpr double VISIBLE_HALF_HEIGHT = 64.0;

void makeOverlay(Image* overlay);
