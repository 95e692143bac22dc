#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "assets/png_texture.h"
#include "support/gl_context.h"

namespace {

const std::string PNG = std::string(DEMO_TEST_DATA) + "/png/";

struct Load {
    GLuint texture;
    std::string err;
};

Load load(const std::string& name) {
    testing::internal::CaptureStderr();
    const GLuint texture = loadPngTexture((PNG + name).c_str());
    return Load{texture, testing::internal::GetCapturedStderr()};
}

// Level 0 of the texture as RGBA bytes, bottom row first.
std::vector<uint8_t> levelZero(GLuint texture, int width, int height) {
    std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

std::vector<uint8_t> rgba(std::initializer_list<int> values) {
    return std::vector<uint8_t>(values.begin(), values.end());
}

GLint textureParameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

class PngTexture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(requireGlContext()); }
};

TEST_F(PngTexture, ImageIsUprightWithTheTopRowAtTheHighestT) {
    const Load l = load("grid_2x3.png");
    ASSERT_NE(l.texture, 0u);
    EXPECT_EQ(l.err, "");
    // Rows as stored in the file, top first: red green / blue(128) yellow(0) / dark(255) dark(200).
    const std::vector<uint8_t> expected = rgba({10, 20, 30, 255, 40, 50, 60, 200,    // t = 0
                                                0, 0, 255, 128, 255, 255, 0, 0,      //
                                                255, 0, 0, 255, 0, 255, 0, 255});    // t = 1
    EXPECT_EQ(levelZero(l.texture, 2, 3), expected);
}

TEST_F(PngTexture, TextureIsMipmappedTrilinearAndRepeats) {
    const Load l = load("grid_2x3.png");
    ASSERT_NE(l.texture, 0u);
    glBindTexture(GL_TEXTURE_2D, l.texture);
    EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(textureParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    // 2x3 has levels down to 1x1: level 1 is 1x1, and it exists only if mipmaps were made.
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);
    GLint format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_RGBA8);
}

TEST_F(PngTexture, OtherColourTypesAndDepthsArriveAsRgba8WithTransparencyApplied) {
    const Load grey = load("grey_trns.png");
    ASSERT_NE(grey.texture, 0u);
    EXPECT_EQ(levelZero(grey.texture, 2, 1), rgba({0, 0, 0, 0, 200, 200, 200, 255}));
    const Load palette = load("palette.png");
    ASSERT_NE(palette.texture, 0u);
    EXPECT_EQ(levelZero(palette.texture, 2, 1), rgba({255, 0, 0, 128, 0, 0, 255, 255}));
    const Load deep = load("rgb16.png");
    ASSERT_NE(deep.texture, 0u);
    EXPECT_EQ(levelZero(deep.texture, 1, 1), rgba({255, 128, 0, 255}));
}

TEST_F(PngTexture, EveryBadFileGivesZeroAndOneLineNamingIt) {
    for (const char* name : {"absent.png", "truncated.png", "bad_crc.png", "not_a_png.png",
                             "empty.png", "huge_header.png", "directory.png"}) {
        GLuint before = 0;
        glGenTextures(1, &before);
        const Load l = load(name);
        EXPECT_EQ(l.texture, 0u) << name;
        ASSERT_FALSE(l.err.empty()) << name;
        EXPECT_EQ(l.err.find('\n'), l.err.size() - 1) << l.err;
        EXPECT_EQ(l.err.rfind("demo: " + PNG + name + ": ", 0), 0u) << l.err;
        // No texture object is left behind for a file that failed.
        GLuint after = 0;
        glGenTextures(1, &after);
        EXPECT_EQ(after, before + 1) << name;
    }
}

TEST(PngDecode, FailureLeavesTheImageUntouched) {
    const uint8_t bytes[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    PngImage image = {7, 7, nullptr};
    EXPECT_NE(decodePng(bytes, sizeof(bytes), &image), 0);
    EXPECT_EQ(image.width, 7u);
    EXPECT_EQ(image.pixels, nullptr);
}

}  // namespace
