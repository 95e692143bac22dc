#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/png_texture.h"
#include "driver/render_state.h"
#include "pack_files.h"
#include "scenes/scene_resources.h"
#include "support/gl_context.h"
#include "support/png_upload.h"

namespace {

const int WIDTH = 320;
const int HEIGHT = 180;

GLuint compile(GLenum kind, const char* file) {
    std::vector<uint8_t> bytes = readPackFile(file);
    std::string text(bytes.begin(), bytes.end());
    const char* source = text.c_str();
    GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    EXPECT_TRUE(ok) << file;
    EXPECT_EQ(shaderLog(shader), "") << file;
    return shader;
}

GLuint buildPackProgram() {
    GLuint program = glCreateProgram();
    glAttachShader(program, compile(GL_FRAGMENT_SHADER, sceneFiles.fragmentShader));
    glAttachShader(program, compile(GL_VERTEX_SHADER, sceneFiles.vertexShader));
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(shaderLog(program), "");
    return program;
}

// A square of copper plates facing the eye at the given distance, drawn as a scene draws it;
// gives the colour it shows in the middle of the picture.
void drawPlateAt(GLuint program, double distance, unsigned char rgba[4]) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glFogf(GL_FOG_DENSITY, 0.003f);
    glUseProgram(program);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D,
                  loadPngTexture(packPath(sceneTexturePath(&SceneResources::textureOr)).c_str()));
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D,
                  loadPngTexture(packPath(sceneTexturePath(&SceneResources::textureN)).c_str()));
    const double half = distance * 0.3;
    glBegin(GL_QUADS);
    glNormal3f(0, 0, 1);
    glTexCoord2d(0, 0), glVertex3d(-half, -half, -distance);
    glTexCoord2d(2, 0), glVertex3d(half, -half, -distance);
    glTexCoord2d(2, 2), glVertex3d(half, half, -distance);
    glTexCoord2d(0, 2), glVertex3d(-half, half, -distance);
    glEnd();
    glUseProgram(0);
    // The mean over a block round the centre, so neither one rivet nor the highlight decides.
    const int block = 40;
    std::vector<unsigned char> pixels(block * block * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(WIDTH / 2 - block / 2, HEIGHT / 2 - block / 2, block, block, GL_RGBA,
                 GL_UNSIGNED_BYTE, pixels.data());
    for (int c = 0; c < 4; ++c) {
        long sum = 0;
        for (int i = 0; i < block * block; ++i) sum += pixels[i * 4 + c];
        rgba[c] = static_cast<unsigned char>(sum / (block * block));
    }
}

}  // namespace

TEST(AssetPackShaders, CompileAndLinkUnderMesaWithEmptyLogsAndBothSamplers) {
    ASSERT_TRUE(requireGlContext(WIDTH, HEIGHT));
    GLuint program = buildPackProgram();
    EXPECT_NE(glGetUniformLocation(program, "colorMap"), -1);
    EXPECT_NE(glGetUniformLocation(program, "normalMap"), -1);
}

// The haze leaves a model at scene distances in full colour, against the white fog, and fades
// one far down the tunnel into that white.
TEST(AssetPackShaders, HazeKeepsSceneDistancesClearAndWhitensTheFarDistance) {
    ASSERT_TRUE(requireGlContext(WIDTH, HEIGHT));
    setRenderState(WIDTH, HEIGHT);
    const GLfloat white[4] = {1, 1, 1, 1};
    glEnable(GL_FOG);
    glFogfv(GL_FOG_COLOR, white);
    GLuint program = buildPackProgram();
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "colorMap"), 0);
    glUniform1i(glGetUniformLocation(program, "normalMap"), 1);

    unsigned char nearBytes[4], farBytes[4];
    drawPlateAt(program, 450.0, nearBytes);
    drawPlateAt(program, 3500.0, farBytes);
    const int near[3] = {nearBytes[0], nearBytes[1], nearBytes[2]};
    const int far[3] = {farBytes[0], farBytes[1], farBytes[2]};
    // Copper: strong red, little blue, far from both white and black.
    EXPECT_GT(near[0], 90);
    EXPECT_LT(near[2], 150);
    EXPECT_GT(near[0] - near[2], 60);
    EXPECT_GT(far[2], 240);
    EXPECT_GT(far[0], 240);
}
