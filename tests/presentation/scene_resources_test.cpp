#include <epoxy/gl.h>

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/obj_reader.h"
#include "driver/asset_prefetch.h"
#include "driver/demo_clock.h"
#include "driver/render_state.h"
#include "driver/scene_resources.h"
#include "platform/console.h"
#include "platform/soundtrack.h"
#include "support/gl_context.h"
#include "support/text.h"
#include "support/virtual_platform.h"

namespace fs = std::filesystem;

namespace {

const fs::path ASSETS = fs::path(DEMO_TEST_DATA) / "assets";

// A copy of the fixture asset set in a fresh directory, made the working directory, with some
// files taken out; restores the working directory when it goes.
struct AssetCopy {
    fs::path dir;
    fs::path previous;
    explicit AssetCopy(std::initializer_list<const char*> removed = {}) {
        previous = fs::current_path();
        dir = fs::temp_directory_path() / ("assets_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::copy(ASSETS, dir);
        for (const char* name : removed) fs::remove(dir / name);
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
    for (uint32_t t : {r.texture1, r.texture1n, r.texturePeitto, r.textureOr, r.textureHr, r.textureN})
        EXPECT_TRUE(glIsTexture(t));
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
    AssetCopy assets({"or.PNG"});
    waitAssetPrefetch();
    const std::vector<std::string> err = lines(stderrOf(loadSceneTextures));
    ASSERT_EQ(err.size(), 1u);
    EXPECT_EQ(err[0].rfind("demo: or.PNG: ", 0), 0u) << err[0];
    EXPECT_EQ(sceneResources.textureOr, 0u);
    const SceneResources& r = sceneResources;
    for (uint32_t t : {r.texture1, r.texture1n, r.texturePeitto, r.textureHr, r.textureN})
        EXPECT_TRUE(glIsTexture(t));
}

TEST_F(SceneResourcesTest, WithoutAProgramTheSamplersAreNoneAndNoErrorIsRaised) {
    AssetCopy assets({"fragmentshader_offset.glsl"});
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

// The texture and model steps of start-up, with the files read by a worker or in place; returns
// what they printed on stderr.
std::string texturesAndModels(bool worker) {
    if (worker) startAssetPrefetch();
    return stderrOf([] {
        waitAssetPrefetch();
        loadSceneTextures();
        loadSceneModels();
    });
}

TEST_F(SceneResourcesTest, WorkerReadingPrintsTheWarningsInPlaceAndInOrder) {
    AssetCopy assets({"or.PNG", "3c.OBJ"});
    const std::string inPlace = texturesAndModels(false);
    EXPECT_EQ(inPlace,
              "demo: or.PNG: cannot read the texture (No such file or directory); drawing without "
              "it\n"
              "demo: 3c.OBJ: cannot open the model; it is left out\n");
    for (const SceneModelFile& f : sceneModelFiles) freeObjModel(sceneResources.*f.model);
    sceneResources = SceneResources{};
    EXPECT_EQ(texturesAndModels(true), inPlace);
    EXPECT_EQ(sceneResources.textureOr, 0u);
    EXPECT_EQ(sceneResources.model3c, nullptr);
    EXPECT_EQ(sceneResources.list3c, 0u);
}

TEST_F(SceneResourcesTest, WorkerResultsAreUploadedInTableOrderAndHandedOverOnce) {
    AssetCopy assets;
    EXPECT_EQ(texturesAndModels(true), "");
    const SceneResources& r = sceneResources;
    const uint32_t textures[] = {r.texture1,  r.texture1n, r.texturePeitto,
                                 r.textureOr, r.textureHr, r.textureN};
    for (int i = 0; i < SCENE_TEXTURE_COUNT; ++i) {
        EXPECT_TRUE(glIsTexture(textures[i])) << i;
        if (i > 0) { EXPECT_EQ(textures[i], textures[i - 1] + 1) << "uploaded in table order"; }
        EXPECT_EQ(assetPrefetch.textures[i].pixels[0], nullptr) << "the upload freed image " << i;
    }
    for (int i = 0; i < SCENE_MODEL_COUNT; ++i) {
        const SceneModelFile& f = sceneModelFiles[i];
        EXPECT_NE(r.*f.model, nullptr) << f.path;
        EXPECT_TRUE(glIsList(r.*f.list)) << f.path;
        if (i > 0) { EXPECT_EQ(r.*f.list, r.*sceneModelFiles[i - 1].list + 1) << "in order"; }
        EXPECT_EQ(assetPrefetch.models[i], nullptr) << "handed over: " << f.path;
    }
    EXPECT_GT(assetPrefetch.textureSeconds, 0.0);
    EXPECT_GT(assetPrefetch.modelSeconds, 0.0);
    // Upload levels from the 128x64 overlay down to 1x1, as the chain was built.
    glBindTexture(GL_TEXTURE_2D, r.texturePeitto);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 7, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(Soundtrack, MissingFileIsNamedOnceAndPlayingThenDoesNothing) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const std::vector<std::string> err = lines(stderrOf([] {
        EXPECT_EQ(prepareSoundtrack("/nonexistent/ms.mp3"), 1);
        playSoundtrack();
    }));
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
    const std::string named = "demo: " + (ASSETS / "ms.mp3").string() + ": ";
    if (!got.empty()) { EXPECT_EQ(got[0].rfind(named, 0), 0u) << err; }
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
