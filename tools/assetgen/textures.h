// The surface textures of the pack: colour maps with the tangent-space normal maps made from the
// same height fields (height kept in the normal map's alpha for offset mapping). All tile seamlessly.
#pragma once

#include "image.h"

// "1.PNG" and its normal map "1n.PNG": glazed hexagon tiles.
void makeTileTextures(Image* colour, Image* normal);

// "or.PNG" (copper) and "hr.PNG" (lacquer) share one relief of riveted plates, "n.PNG".
void makePlateTextures(Image* copper, Image* lacquer, Image* normal);
