#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "assets/png_texture.h"
#include "support/gl_context.h"

namespace {

const std::string PNG = std::string(DEMO_TEST_DATA) + "/png/";
const std::string ASSETS = std::string(DEMO_TEST_DATA) + "/assets/";

struct Load {
    GLuint texture;
    std::string err;
};

Load load(const std::string& name) {
    testing::internal::CaptureStderr();
    const GLuint texture = loadPngTexture((PNG + name).c_str());
    return Load{texture, testing::internal::GetCapturedStderr()};
}

// One level of the texture as RGBA bytes, bottom row first.
std::vector<uint8_t> levelOf(GLuint texture, int level, int width, int height) {
    std::vector<uint8_t> texels(static_cast<size_t>(width) * height * 4);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

std::vector<uint8_t> levelZero(GLuint texture, int width, int height) {
    return levelOf(texture, 0, width, height);
}

std::vector<uint8_t> cpuLevel(const PngMipmaps& mipmaps, int level) {
    const uint8_t* first = mipmaps.pixels[level];
    return std::vector<uint8_t>(first, first + static_cast<size_t>(mipmaps.width[level]) *
                                                   mipmaps.height[level] * 4);
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

TEST_F(PngTexture, EveryUploadedLevelHoldsTheBoxFilteredChain) {
    PngMipmaps mipmaps = {};
    ASSERT_EQ(readPngMipmaps((ASSETS + "peitto.PNG").c_str(), &mipmaps), 0);
    std::vector<std::vector<uint8_t>> expected;
    for (int level = 0; level < mipmaps.levelCount; ++level) {
        expected.push_back(cpuLevel(mipmaps, level));
    }
    const PngMipmaps sizes = mipmaps;
    testing::internal::CaptureStderr();
    const GLuint texture = uploadPngMipmaps("peitto.PNG", &mipmaps);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(mipmaps.pixels[0], nullptr) << "the upload frees the chain";
    for (int level = 0; level < sizes.levelCount; ++level) {
        const int width = static_cast<int>(sizes.width[level]);
        const int height = static_cast<int>(sizes.height[level]);
        EXPECT_EQ(levelOf(texture, level, width, height), expected[level]) << "level " << level;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// What Mesa's glGenerateMipmap makes of level 0 itself, to the bit, for images whose sides halve
// evenly down to one texel: the pictures drawn with the chain are those drawn before it.
TEST_F(PngTexture, ChainIsWhatOpenGlGeneratesForEvenlyHalvingImages) {
    for (const char* name : {"1.PNG", "1n.PNG", "peitto.PNG", "or.PNG", "hr.PNG", "n.PNG"}) {
        PngMipmaps mipmaps = {};
        ASSERT_EQ(readPngMipmaps((ASSETS + name).c_str(), &mipmaps), 0);
        GLuint generated = 0;
        glGenTextures(1, &generated);
        glBindTexture(GL_TEXTURE_2D, generated);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(mipmaps.width[0]),
                     static_cast<GLsizei>(mipmaps.height[0]), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     mipmaps.pixels[0]);
        glGenerateMipmap(GL_TEXTURE_2D);
        int worst = 0;
        for (int level = 1; level < mipmaps.levelCount; ++level) {
            const std::vector<uint8_t> gl =
                levelOf(generated, level, static_cast<int>(mipmaps.width[level]),
                        static_cast<int>(mipmaps.height[level]));
            const std::vector<uint8_t> cpu = cpuLevel(mipmaps, level);
            for (size_t i = 0; i < cpu.size(); ++i) {
                worst = std::max(worst, std::abs(cpu[i] - gl[i]));
            }
        }
        EXPECT_EQ(worst, 0) << name;
        glDeleteTextures(1, &generated);
        std::free(mipmaps.pixels[0]);
    }
}

TEST(PngMipmaps, LevelsHalveRoundingDownToOneByOne) {
    PngMipmaps mipmaps = {};
    ASSERT_EQ(readPngMipmaps((ASSETS + "peitto.PNG").c_str(), &mipmaps), 0);
    const uint32_t widths[] = {128, 64, 32, 16, 8, 4, 2, 1};
    const uint32_t heights[] = {64, 32, 16, 8, 4, 2, 1, 1};
    ASSERT_EQ(mipmaps.levelCount, 8);
    for (int level = 0; level < 8; ++level) {
        EXPECT_EQ(mipmaps.width[level], widths[level]) << level;
        EXPECT_EQ(mipmaps.height[level], heights[level]) << level;
        if (level > 0) {
            const size_t above = widths[level - 1] * heights[level - 1];
            EXPECT_EQ(mipmaps.pixels[level], mipmaps.pixels[level - 1] + above * 4)
                << "one block, level after level";
        }
    }
    std::free(mipmaps.pixels[0]);

    ASSERT_EQ(readPngMipmaps((PNG + "grid_2x3.png").c_str(), &mipmaps), 0);
    ASSERT_EQ(mipmaps.levelCount, 2);
    EXPECT_EQ(mipmaps.width[1], 1u);
    EXPECT_EQ(mipmaps.height[1], 1u);
    // The two bottom rows, the odd top row left out; pairs first along the rows, halves rounded up:
    // red (10 + 40) / 2 = 25 and (0 + 255) / 2 = 127.5 -> 128, then (25 + 128) / 2 = 76.5 -> 77.
    EXPECT_EQ(cpuLevel(mipmaps, 1), rgba({77, 82, 87, 146}));
    std::free(mipmaps.pixels[0]);
}

// The reading runs on a worker before any context exists; its warnings wait for the upload.
TEST_F(PngTexture, ReadingOffTheContextThreadPrintsNothingAndTheUploadPrintsTheOneLine) {
    for (const char* name :
         {"absent.png", "truncated.png", "not_a_png.png", "directory.png", "grid_2x3.png"}) {
        const std::string path = PNG + name;
        PngMipmaps mipmaps = {};
        int result = -1;
        testing::internal::CaptureStderr();
        std::thread reader([&] { result = readPngMipmaps(path.c_str(), &mipmaps); });
        reader.join();
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << name;
        EXPECT_EQ(result == 0, mipmaps.levelCount > 0) << name;
        testing::internal::CaptureStderr();
        const GLuint texture = uploadPngMipmaps(path.c_str(), &mipmaps);
        const std::string uploaded = testing::internal::GetCapturedStderr();
        const Load direct = load(name);
        EXPECT_EQ(uploaded, direct.err) << name;
        EXPECT_EQ(texture != 0, direct.texture != 0) << name;
        if (std::string(name) == "absent.png") {
            EXPECT_EQ(uploaded, "demo: " + path + ": cannot read the texture (No such file or "
                                                  "directory); drawing without it\n");
        }
    }
    PngMipmaps absent = {};
    EXPECT_EQ(readPngMipmaps((PNG + "absent.png").c_str(), &absent), ENOENT);
    EXPECT_EQ(absent.readError, ENOENT);
    EXPECT_EQ(absent.levelCount, 0);
    PngMipmaps notPng = {};
    EXPECT_NE(readPngMipmaps((PNG + "not_a_png.png").c_str(), &notPng), 0);
    EXPECT_EQ(notPng.readError, 0);
    EXPECT_NE(notPng.decodeError, 0);
    EXPECT_EQ(notPng.pixels[0], nullptr);
}

TEST(PngDecode, FailureLeavesTheImageUntouched) {
    const uint8_t bytes[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    PngImage image = {7, 7, nullptr};
    EXPECT_NE(decodePng(bytes, sizeof(bytes), &image), 0);
    EXPECT_EQ(image.width, 7u);
    EXPECT_EQ(image.pixels, nullptr);
}

}  // namespace
