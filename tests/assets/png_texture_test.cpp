#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "assets/png_texture.h"
#include "scenes/scene_resources.h"
#include "support/gl_context.h"
#include "support/png_upload.h"
#include "support/text.h"

namespace {

const std::string PNG = std::string(DEMO_TEST_DATA) + "/png/";
const std::string ASSETS = std::string(DEMO_TEST_DATA) + "/assets/";

using Bytes = std::vector<uint8_t>;

// One level of the texture as RGBA bytes, bottom row first.
Bytes levelOf(GLuint texture, int level, int width, int height) {
    Bytes texels(static_cast<size_t>(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

Bytes cpuLevel(const PngMipmaps& mipmaps, int level) {
    const uint8_t* first = mipmaps.pixels[level];
    return Bytes(first, first + size_t{mipmaps.width[level]} * mipmaps.height[level] * 4);
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

TEST_F(PngTexture, ImageIsUprightMipmappedTrilinearAndRepeats) {
    GLuint texture = 0;
    EXPECT_EQ(stderrOf([&] { texture = loadPngTexture((PNG + "grid_2x3.png").c_str()); }), "");
    ASSERT_NE(texture, 0u);
    // Rows as stored in the file, top first: red green / blue(128) yellow(0) / dark(255) dark(200).
    const Bytes expected = {10,  20, 30,  255, 40,  50,  60, 200,   // t = 0
                            0,   0,  255, 128, 255, 255, 0,  0,     //
                            255, 0,  0,   255, 0,   255, 0,  255};  // t = 1
    EXPECT_EQ(levelOf(texture, 0, 2, 3), expected);
    EXPECT_EQ(textureParameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(textureParameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(textureParameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    // 2x3 has levels down to 1x1: level 1 is 1x1, and it exists only if mipmaps were made.
    GLint width = 0, format = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    EXPECT_EQ(format, GL_RGBA8);
}

TEST_F(PngTexture, EveryBadFileGivesZeroAndOneLineNamingIt) {
    for (const char* name : {"absent.png", "truncated.png", "bad_crc.png", "not_a_png.png",
                             "empty.png", "huge_header.png", "directory.png"}) {
        GLuint texture = 1;
        const std::string err = stderrOf([&] { texture = loadPngTexture((PNG + name).c_str()); });
        EXPECT_EQ(texture, 0u) << name;
        ASSERT_FALSE(err.empty()) << name;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
        EXPECT_EQ(err.rfind("demo: " + PNG + name + ": ", 0), 0u) << err;
    }
}

TEST_F(PngTexture, EveryUploadedLevelHoldsTheBoxFilteredChain) {
    PngMipmaps mipmaps = {};
    ASSERT_EQ(readPngMipmaps((ASSETS + sceneTexturePath(&SceneResources::texturePeitto)).c_str(),
                             &mipmaps),
              0);
    std::vector<Bytes> expected;
    for (int level = 0; level < mipmaps.levelCount; ++level)
        expected.push_back(cpuLevel(mipmaps, level));
    const PngMipmaps sizes = mipmaps;
    GLuint texture = 0;
    EXPECT_EQ(stderrOf([&] { texture = uploadPngMipmaps("overlay", &mipmaps); }), "");
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(mipmaps.pixels[0], nullptr) << "the upload frees the chain";
    for (int level = 0; level < sizes.levelCount; ++level) {
        EXPECT_EQ(levelOf(texture, level, static_cast<int>(sizes.width[level]),
                          static_cast<int>(sizes.height[level])),
                  expected[level])
            << "level " << level;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A reload replaces the image whole or not at all: here the driver takes level 0 and refuses
// level 1, told a side no level 1 may have.
TEST_F(PngTexture, AReloadTheDriverRefusesKeepsTheOldImageAndAGoodOneReplacesIt) {
    const GLuint old = loadPngTexture((PNG + "grid_2x3.png").c_str());
    ASSERT_NE(old, 0u);
    const Bytes oldLevel = levelOf(old, 0, 2, 3);
    const std::string overlay = ASSETS + sceneTexturePath(&SceneResources::texturePeitto);
    PngMipmaps refused = {};
    ASSERT_EQ(readPngMipmaps(overlay.c_str(), &refused), 0);
    ASSERT_GT(refused.levelCount, 1);
    GLint most = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
    refused.width[1] = static_cast<uint32_t>(most);
    GLuint result = 1;
    const std::string err =
        stderrOf([&] { result = reloadPngMipmaps(old, "overlay.png", &refused); });
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(err,
              "demo: overlay.png: OpenGL cannot hold the texture (GL_INVALID_VALUE); keeping the "
              "last good image\n");
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, old);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    ASSERT_EQ(width, 2) << "the old image was replaced";
    EXPECT_EQ(levelOf(old, 0, 2, 3), oldLevel);

    PngMipmaps good = {};
    ASSERT_EQ(readPngMipmaps(overlay.c_str(), &good), 0);
    const Bytes newLevel = cpuLevel(good, 0);
    const PngMipmaps sizes = good;
    EXPECT_EQ(stderrOf([&] { result = reloadPngMipmaps(old, "overlay.png", &good); }), "");
    ASSERT_NE(result, 0u);
    EXPECT_EQ(
        levelOf(result, 0, static_cast<int>(sizes.width[0]), static_cast<int>(sizes.height[0])),
        newLevel);
    EXPECT_FALSE(glIsTexture(old)) << "the replaced texture is freed";
    glDeleteTextures(1, &result);
}

// What Mesa's glGenerateMipmap makes of level 0 itself, to the bit, for images whose sides halve
// evenly down to one texel: the pictures drawn with the chain are those drawn before it.
TEST_F(PngTexture, ChainIsWhatOpenGlGeneratesForEvenlyHalvingImages) {
    for (const SceneTextureFile& file : sceneFiles.textures) {
        const char* name = file.path;
        PngMipmaps mipmaps = {};
        ASSERT_EQ(readPngMipmaps((ASSETS + name).c_str(), &mipmaps), 0);
        GLuint generated = 0;
        glGenTextures(1, &generated);
        glBindTexture(GL_TEXTURE_2D, generated);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(mipmaps.width[0]),
                     static_cast<GLsizei>(mipmaps.height[0]), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     mipmaps.pixels[0]);
        glGenerateMipmap(GL_TEXTURE_2D);
        for (int level = 1; level < mipmaps.levelCount; ++level) {
            EXPECT_EQ(levelOf(generated, level, static_cast<int>(mipmaps.width[level]),
                              static_cast<int>(mipmaps.height[level])),
                      cpuLevel(mipmaps, level))
                << name << " level " << level;
        }
        glDeleteTextures(1, &generated);
        std::free(mipmaps.pixels[0]);
    }
}

TEST(PngMipmaps, LevelsHalveRoundingDownToOneByOneInOneBlock) {
    PngMipmaps mipmaps = {};
    ASSERT_EQ(readPngMipmaps((ASSETS + sceneTexturePath(&SceneResources::texturePeitto)).c_str(),
                             &mipmaps),
              0);
    // 128x64: the height reaches 1 a level before the width does.
    ASSERT_EQ(mipmaps.levelCount, 8);
    EXPECT_EQ(mipmaps.width[7] + mipmaps.height[6], 2u);
    std::free(mipmaps.pixels[0]);

    ASSERT_EQ(readPngMipmaps((PNG + "grid_2x3.png").c_str(), &mipmaps), 0);
    ASSERT_EQ(mipmaps.levelCount, 2);
    EXPECT_EQ(mipmaps.width[1], 1u);
    EXPECT_EQ(mipmaps.height[1], 1u);
    // The two bottom rows, the odd top row left out; pairs first along the rows, halves rounded up:
    // red (10 + 40) / 2 = 25 and (0 + 255) / 2 = 127.5 -> 128, then (25 + 128) / 2 = 76.5 -> 77.
    EXPECT_EQ(cpuLevel(mipmaps, 1), Bytes({77, 82, 87, 146}));
    std::free(mipmaps.pixels[0]);
}

}  // namespace
