// Small files that would cost without bound: shader macros that double forty times, a model of
// more triangles than any scene needs, one material library named by every model.
#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "assets/obj_reader.h"
#include "assets/shader_macros.h"
#include "assets/shader_program.h"
#include "driver/asset_prefetch.h"
#include "scenes/scene_resources.h"
#include "support/child_run.h"
#include "support/gl_context.h"
#include "support/text.h"

namespace {

// Forty macros, each twice the one before, defined in order or the other way round.
std::string doublingMacros(bool reversed) {
    std::string text;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "M" + std::to_string(i);
        const std::string line = i == 0 ? "#define M0 x x\n"
                                        : "#define " + name + " M" + std::to_string(i - 1) + " M" +
                                              std::to_string(i - 1) + "\n";
        text = reversed ? line + text : text + line;
    }
    return text + "void main() { float y = M39; }\n";
}

// One call doubling its argument, nested forty deep, in a text of two lines.
std::string nestedCalls() {
    std::string call = "1";
    for (int i = 0; i < 40; ++i) call = "D(" + call + ")";
    return "#define D(a) a a\nvoid main() { float y = " + call + "; }\n";
}

TEST(HostileBounds, ShaderMacrosThatWouldExpandPastTheBoundAreRefusedBeforeTheDriverSeesThem) {
    ASSERT_TRUE(requireGlContext());
    const std::string refused =
        std::string("demo: ") + sceneFiles.fragmentShader +
        ": its macros expand past 1048576 tokens; drawing without shaders\n";
    const struct {
        const char* what;
        std::string text;
        std::string err;
    } cases[] = {
        {"doubling defines", doublingMacros(false), refused},
        {"doubling defines, last first", doublingMacros(true), refused},
        {"a call nested forty deep", nestedCalls(), refused},
        // A megabyte of comment is far more than a shader, and a driver may take minutes over it.
        {"one byte past the size bound", "//" + std::string(SHADER_MAX_BYTES - 1, 'c'),
         std::string("Error opening shader.\ndemo: ") + sceneFiles.fragmentShader +
             ": cannot read the shader (File too large); drawing without shaders\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AssetCopy copy;
        std::ofstream(copy / sceneFiles.fragmentShader, std::ios::binary) << c.text;
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(copy.dir);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const uint32_t program =
            buildShaderProgram(sceneFiles.vertexShader, sceneFiles.fragmentShader);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        std::filesystem::current_path(previous);
        EXPECT_EQ(program, 0u);
        EXPECT_EQ(out, "");
        EXPECT_EQ(err, c.err);
    }
}

TEST(HostileBounds, TheMacroBoundCountsOnlyWhatCanGrowAndPassesOrdinaryShaders) {
    const auto tokens = [](const std::string& text) {
        return shaderExpansionTokens(text.data(), text.size());
    };
    // A macro inside its own expansion stays a name, however the definitions name each other.
    EXPECT_LT(tokens("#define A B A\n#define B A B\nA B\n"), 10.0);
    // Neither a continued definition nor a comment ends a definition; a line feed does.
    EXPECT_EQ(tokens("#define A x \\\n x\n#define B A A A\nB\n"), 6.0);
    EXPECT_EQ(tokens("#define A x /* a\n comment */ x\nA\n"), 2.0);
    // Calls left open are no calls; finding that out stays linear however many there are.
    std::string open = "#define D(a) a a\n";
    for (int i = 0; i < 200000; ++i) open += "D(";
    EXPECT_EQ(tokens(open), 400000.0);
    // Twenty doublings stay within the bound; the pack's shaders are far below it.
    std::string twenty = "#define M0 x\n";
    for (int i = 1; i <= 20; ++i)
        twenty += "#define M" + std::to_string(i) + " M" + std::to_string(i - 1) + " M" +
                  std::to_string(i - 1) + "\n";
    EXPECT_EQ(tokens(twenty + "M20\n"), 1048576.0);
    EXPECT_GT(tokens(twenty + "M20 M20\n"), SHADER_MAX_EXPANDED_TOKENS);
    const std::string shader =
        fileBytes(std::string(DEMO_TEST_DATA) + "/assets/" + sceneFiles.fragmentShader);
    EXPECT_LT(tokens(shader), 10000.0);
}

// `triangles` triangles in faces of 64 corners, over three positions.
std::string modelOfTriangles(int64_t triangles) {
    std::string fan = "f";
    for (int k = 0; k < 64; ++k) fan += k % 2 ? " 2" : " 3";
    fan += "\n";
    std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    for (; triangles >= 62; triangles -= 62) text += fan;
    if (triangles > 0) text += fan.substr(0, 1 + 2 * static_cast<size_t>(triangles + 2)) + "\n";
    return text;
}

TEST(HostileBounds, AModelOfMoreTrianglesThanTheBoundIsRefusedAndOneAtTheBoundLoads) {
    const std::string atBound = modelOfTriangles(OBJ_MAX_TRIANGLES);
    ObjModel* model = nullptr;
    ASSERT_EQ(parseObjModel(&model, atBound.data(), atBound.size(), nullptr), ObjResult::LOADED);
    EXPECT_EQ(model->faceCount, OBJ_MAX_TRIANGLES);
    freeObjModel(model);

    AssetCopy copy;
    const std::string path = copy / "model.obj";
    std::ofstream(path, std::ios::binary) << modelOfTriangles(OBJ_MAX_TRIANGLES + 1);
    ObjModel* kept = nullptr;
    int error = 0;
    EXPECT_EQ(loadObjModel(&kept, path.c_str(), &error), ObjResult::TOO_MANY_TRIANGLES);
    EXPECT_EQ(kept, nullptr);
    EXPECT_STREQ(objErrorText(error), "more than 4194304 triangles");
}

TEST(HostileBounds, OneLibraryNamedByEveryModelIsReadOnceAtStartUpAndShared) {
    AssetCopy copy;
    std::string library;
    for (int i = 0; i < 1000; ++i) library += "newmtl m" + std::to_string(i) + "\nKd 1 0 0\n";
    std::ofstream(copy / "shared.mtl") << library;
    for (const SceneModelFile& f : sceneFiles.models)
        std::ofstream(copy / f.path) << "mtllib shared.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                        "usemtl m999\nf 1 2 3\n";
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(copy.dir);
    waitAssetPrefetch();
    std::filesystem::current_path(previous);
    ASSERT_NE(assetPrefetch.models[0], nullptr);
    const ObjMaterial* shared = assetPrefetch.models[0]->materials;
    for (ObjModel*& model : assetPrefetch.models) {
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->materials, shared) << "one block for every model";
        EXPECT_EQ(model->materialCount, 1000);
        EXPECT_EQ(model->faces[0].materialIndex, 999);
        freeObjModel(model);
        model = nullptr;
    }
    for (PngMipmaps& texture : assetPrefetch.textures) std::free(texture.pixels[0]);
}

}  // namespace
