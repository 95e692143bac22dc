#include <epoxy/gl.h>

#include "scene_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <vector>

#include "assets/shader_program.h"
#include "driver/render_state.h"
#include "driver/scene_loading.h"
#include "driver/startup.h"
#include "platform/console.h"
#include "scenes/demo_clock.h"
#include "scenes/overlay.h"
#include "scenes/scene_resources.h"
#include "support/gl_context.h"

GLuint solidTexture(int r, int g, int b, int a) {
    const uint8_t texel[4] = {static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                              static_cast<uint8_t>(b), static_cast<uint8_t>(a)};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    return texture;
}

namespace {

// Made once per process: the context outlives every test.
SceneResources fixtureResources = {};

// Builds the program of one directory under tests/data/shaders with its output swallowed.
uint32_t programFrom(const std::string& directory) {
    const std::string dir = std::string(DEMO_TEST_DATA) + "/shaders/" + directory + "/";
    testing::internal::CaptureStdout();
    const uint32_t program = buildShaderProgram((dir + sceneFiles.vertexShader).c_str(),
                                                (dir + sceneFiles.fragmentShader).c_str());
    testing::internal::GetCapturedStdout();
    return program;
}

}  // namespace

void prepareSceneFixture() {
    ASSERT_TRUE(requireGlContext(VIEW_WIDTH, VIEW_HEIGHT));
    setRenderState(VIEW_WIDTH, VIEW_HEIGHT);
    if (!fixtureResources.shaderProgram) {
        fixtureResources.texture1 = solidTexture(200, 0, 0);
        fixtureResources.texture1n = solidTexture(0, 0, 100);
        fixtureResources.textureOr = solidTexture(0, 200, 0);
        fixtureResources.textureN = solidTexture(0, 0, 200);
        fixtureResources.textureHr = solidTexture(100, 100, 0);
        fixtureResources.shaderProgram = programFrom("probe");
        ASSERT_NE(fixtureResources.shaderProgram, 0u);
    }
    sceneResources = fixtureResources;
    glUseProgram(sceneResources.shaderProgram);
    connectSamplers();
    setSceneFog();
    glUseProgram(0);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    resetPresentation();
    glMatrixMode(GL_MODELVIEW);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

uint32_t markerList(double x, double y, double z, double half) {
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_QUADS);
    const double corners[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
    for (int i = 0; i < 4; ++i) glVertex3d(x + corners[i][0], y + corners[i][1], z);
    for (int i = 3; i >= 0; --i) glVertex3d(x + corners[i][0], y + corners[i][1], z);
    glEnd();
    glEndList();
    return list;
}

std::vector<uint8_t> readFrame() {
    std::vector<uint8_t> frame(static_cast<size_t>(VIEW_WIDTH) * VIEW_HEIGHT * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, VIEW_WIDTH, VIEW_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    return frame;
}

Spot findColour(Rgb colour) {
    const std::vector<uint8_t> frame = readFrame();
    Spot spot = {0.0, 0.0, 0};
    for (int y = 0; y < VIEW_HEIGHT; ++y) {
        for (int x = 0; x < VIEW_WIDTH; ++x) {
            const uint8_t* p = &frame[(static_cast<size_t>(y) * VIEW_WIDTH + x) * 4];
            if (p[0] != colour.r || p[1] != colour.g || p[2] != colour.b) continue;
            spot.x += x + 0.5;
            spot.y += y + 0.5;
            ++spot.count;
        }
    }
    if (spot.count) {
        spot.x /= spot.count;
        spot.y /= spot.count;
    }
    return spot;
}

Spot projectEye(double x, double y, double z) {
    const double f = 1.0 / std::tan(FIELD_OF_VIEW * M_PI / 360.0);
    const double aspect = static_cast<double>(VIEW_WIDTH) / VIEW_HEIGHT;
    const double ndcX = f / aspect * x / -z;
    const double ndcY = f * y / -z;
    return Spot{(ndcX + 1.0) / 2.0 * VIEW_WIDTH, (ndcY + 1.0) / 2.0 * VIEW_HEIGHT, 1};
}
