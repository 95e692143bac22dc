#include <epoxy/gl.h>

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "child_output.h"
#include "driver/demo_clock.h"
#include "driver/render_state.h"
#include "driver/scene_resources.h"
#include "platform/console.h"
#include "platform/soundtrack.h"
#include "support/gl_context.h"
#include "support/virtual_platform.h"

namespace fs = std::filesystem;

namespace {

const fs::path ASSETS = fs::path(DEMO_TEST_DATA) / "assets";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// A copy of the fixture asset set in a fresh directory, made the working directory, with one
// file taken out or replaced; restores the working directory when it goes.
struct AssetCopy {
    fs::path dir;
    fs::path previous;
    explicit AssetCopy(const char* removed = nullptr) {
        previous = fs::current_path();
        dir = fs::temp_directory_path() / ("assets_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::copy(ASSETS, dir);
        if (removed) fs::remove(dir / removed);
        fs::current_path(dir);
    }
    ~AssetCopy() {
        fs::current_path(previous);
        fs::remove_all(dir);
    }
};

class SceneResourcesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(requireGlContext());
        setRenderState(320, 180);
        installVirtualPlatform();
        consoleDevice.path = "/nonexistent/console";
        sceneResources = SceneResources{};
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
};

GLint uniformValue(GLuint program, GLint location) {
    GLint value = -1;
    glGetUniformiv(program, location, &value);
    return value;
}

TEST_F(SceneResourcesTest, FixtureSetFillsEveryFieldConnectsSamplersAndTakesTheOrigin) {
    AssetCopy assets;
    virtualPlatform.clock = 12.25;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    createSceneResources();
    testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find(".PNG"), std::string::npos) << err;
    EXPECT_EQ(err.find(".glsl"), std::string::npos) << err;
    EXPECT_EQ(err.find(".mp3"), std::string::npos) << err;

    const SceneResources& r = sceneResources;
    const uint32_t textures[] = {r.texture1, r.texture1n, r.texturePeitto, r.textureOr, r.textureHr, r.textureN};
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(glIsTexture(textures[i])) << i;
        if (i > 0) {
            EXPECT_EQ(textures[i], textures[i - 1] + 1) << "loaded in table order";
        }
    }
    ASSERT_NE(r.shaderProgram, 0u);
    ASSERT_GE(r.colorMapLocation, 0);
    ASSERT_GE(r.normalMapLocation, 0);
    EXPECT_EQ(uniformValue(r.shaderProgram, r.colorMapLocation), 0);
    EXPECT_EQ(uniformValue(r.shaderProgram, r.normalMapLocation), 1);

    EXPECT_TRUE(glIsEnabled(GL_FOG));
    GLfloat fog[4];
    glGetFloatv(GL_FOG_COLOR, fog);
    for (GLfloat c : fog) EXPECT_EQ(c, 1.0f);
    glGetFloatv(GL_FOG_DENSITY, fog);
    EXPECT_EQ(fog[0], 0.0038f);
    glGetFloatv(GL_FOG_START, fog);
    EXPECT_EQ(fog[0], -900.0f);
    GLint mode = 0;
    glGetIntegerv(GL_FOG_MODE, &mode);
    EXPECT_EQ(mode, GL_EXP);

    glActiveTexture(GL_TEXTURE0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "the overlay is textured by the fixed pipeline";
    EXPECT_EQ(demoClock.origin, 12.25f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SceneResourcesTest, MissingTextureIsNamedOnceAndTheOthersStillLoad) {
    AssetCopy assets("or.PNG");
    testing::internal::CaptureStderr();
    loadSceneTextures();
    const std::vector<std::string> err = lines(testing::internal::GetCapturedStderr());
    ASSERT_EQ(err.size(), 1u);
    EXPECT_EQ(err[0].rfind("demo: or.PNG: ", 0), 0u) << err[0];
    EXPECT_EQ(sceneResources.textureOr, 0u);
    for (uint32_t t : {sceneResources.texture1, sceneResources.texture1n, sceneResources.texturePeitto,
                       sceneResources.textureHr, sceneResources.textureN})
        EXPECT_TRUE(glIsTexture(t));
}

TEST_F(SceneResourcesTest, WithoutAProgramTheSamplersAreNoneAndNoErrorIsRaised) {
    AssetCopy assets("fragmentshader_offset.glsl");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    buildSceneProgram();
    connectSamplers();
    testing::internal::GetCapturedStdout();
    const std::vector<std::string> err = lines(testing::internal::GetCapturedStderr());
    EXPECT_EQ(sceneResources.shaderProgram, 0u);
    EXPECT_EQ(sceneResources.colorMapLocation, -1);
    EXPECT_EQ(sceneResources.normalMapLocation, -1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    ASSERT_EQ(err.size(), 1u);
    EXPECT_NE(err[0].find("fragmentshader_offset.glsl"), std::string::npos);
}

TEST(Soundtrack, MissingFileIsNamedOnceAndPlayingThenDoesNothing) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(prepareSoundtrack("/nonexistent/ms.mp3"), 1);
    playSoundtrack();
    const std::vector<std::string> err = lines(testing::internal::GetCapturedStderr());
    ASSERT_EQ(err.size(), 1u);
    EXPECT_EQ(err[0].rfind("demo: /nonexistent/ms.mp3: ", 0), 0u) << err[0];
}

TEST(Soundtrack, AudioBackEndChatterNeverReachesStderr) {
    // ALSA without a sound card prints a screenful while SDL probes it; with one, nothing at all.
    const std::string err = outputOfChild([] {
        setenv("SDL_AUDIODRIVER", "alsa", 1);
        prepareSoundtrack((ASSETS / "ms.mp3").c_str());
    });
    const std::vector<std::string> got = lines(err);
    ASSERT_LE(got.size(), 1u) << err;
    if (!got.empty()) {
        EXPECT_EQ(got[0].rfind("demo: " + (ASSETS / "ms.mp3").string() + ": ", 0), 0u) << err;
    }
}

TEST(Soundtrack, PlayingLeavesCtrlCToStopTheProgram) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::string mp3 = (ASSETS / "ms.mp3").string();
    ASSERT_EQ(prepareSoundtrack(mp3.c_str()), 0);
    playSoundtrack();
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action = {};
        sigaction(signal, nullptr, &action);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << signal;
    }
}

}  // namespace
