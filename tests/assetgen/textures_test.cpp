#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "assets/png_texture.h"
#include "overlay_image.h"
#include "pack_files.h"
#include "scenes/scene_resources.h"

namespace {

// The image as the presentation's loader decodes it: RGBA8, bottom row first.
struct Decoded {
    PngImage image = {};
    ~Decoded() { std::free(image.pixels); }
    const uint8_t* at(uint32_t x, uint32_t y) const {
        return &image.pixels[(y * image.width + x) * 4];
    }
};

bool decodePackImage(const char* name, Decoded* decoded) {
    std::vector<uint8_t> bytes = readPackFile(name);
    return !bytes.empty() && decodePng(bytes.data(), bytes.size(), &decoded->image) == 0;
}

}  // namespace

// Tangent-space normals of unit length that never face into the surface, with a relief height
// in alpha that actually varies (the offset mapping reads it).
TEST(AssetPackTextures, NormalMapsHoldOutwardUnitNormalsAndARelief) {
    for (auto normalMap : {&SceneResources::texture1n, &SceneResources::textureN}) {
        const char* name = sceneTexturePath(normalMap);
        Decoded decoded;
        ASSERT_TRUE(decodePackImage(name, &decoded)) << name;
        int bad = 0, lowest = 255, highest = 0;
        double tiltSum = 0.0;
        for (uint32_t y = 0; y < decoded.image.height; ++y) {
            for (uint32_t x = 0; x < decoded.image.width; ++x) {
                const uint8_t* p = decoded.at(x, y);
                double n[3] = {p[0] / 127.5 - 1.0, p[1] / 127.5 - 1.0, p[2] / 127.5 - 1.0};
                double l = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
                if (std::fabs(l - 1.0) > 0.03 || n[2] <= 0.0) ++bad;
                tiltSum += 1.0 - n[2] / l;
                lowest = std::min<int>(lowest, p[3]);
                highest = std::max<int>(highest, p[3]);
            }
        }
        EXPECT_EQ(bad, 0) << name;
        EXPECT_GT(tiltSum / (decoded.image.width * decoded.image.height), 0.01)
            << name << " is flat";
        EXPECT_GT(highest - lowest, 128) << name;
    }
}

// Everything the overlay shows lies inside the visible part of its quad and around the edges; the
// middle of the picture is left to the scenes (alpha 0.1 or less is discarded).
TEST(AssetPackTextures, OverlayFramesThePictureAndLeavesTheMiddleClear) {
    Decoded decoded;
    ASSERT_TRUE(decodePackImage(sceneTexturePath(&SceneResources::texturePeitto), &decoded));
    const int discarded = 26;  // 0.1 of 255, rounded up
    int shownInMiddle = 0, shownOffScreen = 0, shownAtEdges = 0;
    for (uint32_t row = 0; row < decoded.image.height; ++row) {
        double y =
            -OVERLAY_HALF_HEIGHT + (row + 0.5) * 2.0 * OVERLAY_HALF_HEIGHT / decoded.image.height;
        for (uint32_t column = 0; column < decoded.image.width; ++column) {
            double x = -OVERLAY_HALF_WIDTH +
                       (column + 0.5) * 2.0 * OVERLAY_HALF_WIDTH / decoded.image.width;
            if (decoded.at(column, row)[3] <= discarded) continue;
            if (std::fabs(x) > VISIBLE_HALF_WIDTH || std::fabs(y) > VISIBLE_HALF_HEIGHT) {
                ++shownOffScreen;
            } else if (std::fabs(x) < 0.85 * VISIBLE_HALF_WIDTH &&
                       std::fabs(y) < 0.75 * VISIBLE_HALF_HEIGHT) {
                ++shownInMiddle;
            } else {
                ++shownAtEdges;
            }
        }
    }
    EXPECT_EQ(shownInMiddle, 0);
    EXPECT_EQ(shownOffScreen, 0);
    EXPECT_GT(shownAtEdges, 10000);
}
