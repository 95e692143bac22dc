// The surface textures of the pack: colour maps with the tangent-space normal maps made from the
// same height fields (height kept in the normal map's alpha for offset mapping). All tile
// seamlessly.
#pragma once

#include "image.h"

// texture1 and its normal map texture1n: glazed hexagon tiles.
void makeTileTextures(Image* colour, Image* normal);

// textureOr (copper) and textureHr (lacquer) share one relief of riveted plates, textureN.
void makePlateTextures(Image* copper, Image* lacquer, Image* normal);
