#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "asset_pack.h"
#include "models.h"
#include "pack_files.h"
#include "scenes/scene_resources.h"

namespace fs = std::filesystem;

// The build wrote the pack once; writing it again must give the same bytes, file for file.
TEST(AssetPack, SecondRunWritesIdenticalBytes) {
    char pattern[] = "/tmp/assetgen_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string again = std::string(pattern) + "/nested/pack";
    ASSERT_EQ(writeAssetPack(again.c_str()), 0);

    std::vector<std::string> names;
    for (int i = 0; i < SCENE_FILE_COUNT; ++i) names.push_back(sceneFilePath(i));
    for (const ModelDesign& design : MODEL_DESIGNS) names.push_back(design.libraryName);
    for (const std::string& name : names) {
        std::vector<uint8_t> first = readPackFile(name);
        std::vector<uint8_t> second = readFileBytes(again + "/" + name);
        EXPECT_FALSE(first.empty()) << name;
        EXPECT_TRUE(first == second) << name << " differs between runs";
    }
    fs::remove_all(pattern);
}

TEST(AssetPack, UnwritableDirectoryFailsWithOneLine) {
    testing::internal::CaptureStderr();
    int result = writeAssetPack("/proc/assetgen-cannot-exist");
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 1);
    EXPECT_NE(message.find("/proc/assetgen-cannot-exist"), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), message.size() - 1) << message;
}
