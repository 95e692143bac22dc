#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "assets/png_texture.h"
#include "scenes/demo_clock.h"
#include "driver/frame_loop.h"
#include "scenes/scene_resources.h"
#include "scene_fixture.h"
#include "scenes/overlay.h"
#include "support/text.h"
#include "support/virtual_platform.h"

namespace {

const uint8_t* pixel(const std::vector<uint8_t>& frame, int x, int y) {
    return &frame[(static_cast<size_t>(y) * VIEW_WIDTH + x) * 4];
}

// The fixture overlay and a marker in the middle of the view for every model of every scene.
void prepareFrames() {
    prepareSceneFixture();
    const std::string peitto = std::string(DEMO_TEST_DATA) + "/assets/" + sceneTexturePath(&SceneResources::texturePeitto);
    EXPECT_EQ(stderrOf([&] { sceneResources.texturePeitto = loadPngTexture(peitto.c_str()); }), "");
    sceneResources.list5 = markerList(0, 0, 0, 30);
    sceneResources.list3 = sceneResources.list3c = markerList(0, 140, -300, 30);
    sceneResources.list4 = sceneResources.list4b = markerList(0, 0, -400, 30);
    sceneResources.list2 = sceneResources.list2b = sceneResources.list2c = markerList(0, 0, 300, 30);
    installVirtualPlatform();
    virtualPlatform.width = VIEW_WIDTH;
    virtualPlatform.height = VIEW_HEIGHT;
}

// Runs the frame loop for exactly one pass whose t is `t`, and returns that frame.
std::vector<uint8_t> onePassAt(double t) {
    virtualPlatform.clock = t;  // past the first period: the pacer does not sleep
    virtualPlatform.onSwap = [](int) { virtualPlatform.escape = true; };
    stderrOf([&] { runTimeline(); });
    EXPECT_EQ(virtualPlatform.swaps, 1);
    return readFrame();
}

TEST(Frames, FirstPassShowsTheSceneUnderWhiteAtAlphaPointNinetyNine) {
    prepareFrames();
    virtualPlatform.onSwap = [](int) { virtualPlatform.escape = true; };
    testing::internal::CaptureStderr();
    runTimeline();  // the first pass sleeps one period: t = 1/60
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(fadeAlpha, static_cast<float>(1.0 - 0.01));
    const std::vector<uint8_t> frame = readFrame();
    const uint8_t* centre = pixel(frame, VIEW_WIDTH / 2, VIEW_HEIGHT / 2);
    // 0.99 of white over the marker (0, 200, 200) of scene one.
    EXPECT_NEAR(centre[0], 252, 1);
    EXPECT_NEAR(centre[1], 254, 1);
    EXPECT_NEAR(centre[2], 254, 1);
}

TEST(Frames, AtEachSceneBoundaryOnlyTheOverlayIsDrawnOverWhiteAndItIsUpright) {
    for (double t : {10.0, 30.0, 60.0}) {
        prepareFrames();
        const std::vector<uint8_t> frame = onePassAt(t);
        EXPECT_EQ(fadeAlpha, 1.0f) << "no fade quad at " << t;

        glMatrixMode(GL_MODELVIEW);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        drawOverlay();
        EXPECT_TRUE(frame == readFrame()) << "more than the overlay over white at " << t;

        // The overlay's dark band is along the top of the image; its lower part is clear.
        const uint8_t* top = pixel(frame, 2, VIEW_HEIGHT - 3);
        const uint8_t* bottom = pixel(frame, 2, 2);
        EXPECT_LT(top[0], 160) << t;
        EXPECT_GT(top[2], top[0]) << t;
        EXPECT_EQ(bottom[0] + bottom[1] + bottom[2], 3 * 255) << t;
        const uint8_t* centre = pixel(frame, VIEW_WIDTH / 2, VIEW_HEIGHT / 2);
        EXPECT_EQ(centre[0] + centre[1] + centre[2], 3 * 255) << "no scene at " << t;
    }
}

}  // namespace
