#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/obj_reader.h"
#include "driver/asset_prefetch.h"
#include "driver/render_state.h"
#include "driver/scene_loading.h"
#include "platform/console.h"
#include "scenes/demo_clock.h"
#include "scenes/scene_resources.h"
#include "support/child_run.h"
#include "support/gl_context.h"
#include "support/text.h"
#include "support/virtual_platform.h"

namespace fs = std::filesystem;

namespace {

using R = SceneResources;
const std::string OR_PNG = sceneTexturePath(&R::textureOr);
const std::string MODEL_3C = sceneModelPath(&R::list3c);

// A copy of the fixture asset set with some files taken out, the working directory while it lasts.
struct AssetsHere : AssetCopy {
    const fs::path previous = fs::current_path();
    explicit AssetsHere(const std::vector<std::string>& removed = {}) : AssetCopy(removed) {
        fs::current_path(dir);
    }
    ~AssetsHere() { fs::current_path(previous); }
};

// Models are the one thing start-up allocates on the heap and keeps; a test that loads them again
// frees the earlier ones.
void releaseSceneModels() {
    for (const SceneModelFile& f : sceneFiles.models) {
        freeObjModel(sceneResources.*f.model);
        sceneResources.*f.model = nullptr;
    }
}

class SceneResourcesTest : public ::testing::Test {
protected:
    void TearDown() override { releaseSceneModels(); }
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
    AssetsHere assets;
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
    for (uint32_t t :
         {r.texture1, r.texture1n, r.texturePeitto, r.textureOr, r.textureHr, r.textureN})
        EXPECT_TRUE(glIsTexture(t));
    ASSERT_NE(r.shaderProgram, 0u);
    ASSERT_GE(r.colorMapLocation, 0);
    ASSERT_GE(r.normalMapLocation, 0);
    EXPECT_EQ(uniformValue(r.shaderProgram, r.colorMapLocation), 0);
    EXPECT_EQ(uniformValue(r.shaderProgram, r.normalMapLocation), 1);

    EXPECT_TRUE(glIsEnabled(GL_FOG));

    glActiveTexture(GL_TEXTURE0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "the overlay is textured by the fixed pipeline";
    EXPECT_EQ(demoClock.origin, 12.25f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(SceneResourcesTest, WithoutAProgramTheSamplersAreNoneAndNoErrorIsRaised) {
    AssetsHere assets({sceneFiles.fragmentShader});
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
    ASSERT_EQ(err.size(), 2u);
    EXPECT_EQ(err[0], "Error opening shader.");
    EXPECT_NE(err[1].find(sceneFiles.fragmentShader), std::string::npos);
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
    AssetsHere assets({OR_PNG, MODEL_3C});
    const std::string inPlace = texturesAndModels(false);
    const std::string missing = " (No such file or directory); ";
    EXPECT_EQ(inPlace, "demo: " + OR_PNG + ": cannot read the texture" + missing +
                           "drawing without it\ndemo: " + MODEL_3C + ": cannot read the model" +
                           missing + "it is left out\n");
    releaseSceneModels();
    EXPECT_EQ(texturesAndModels(true), inPlace);
    const SceneResources& r = sceneResources;
    EXPECT_EQ(r.textureOr, 0u);
    for (uint32_t t : {r.texture1, r.texture1n, r.texturePeitto, r.textureHr, r.textureN})
        EXPECT_TRUE(glIsTexture(t)) << "the others still load";
    EXPECT_EQ(sceneResources.model3c, nullptr);
    EXPECT_EQ(sceneResources.list3c, 0u);
}

}  // namespace
