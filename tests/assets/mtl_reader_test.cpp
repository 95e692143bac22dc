#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "assets/mtl_reader.h"
#include "obj_files.h"

namespace {

using MtlReader = ObjFiles;

ObjModel readLibrary(const std::string& text) {
    ObjModel model = {};
    EXPECT_TRUE(parseMaterialLibrary(&model, text.data(), text.size()));
    return model;
}

TEST_F(MtlReader, ReadsNamesAndColours) {
    const ObjModel* m = load("materials.obj");
    ASSERT_EQ(m->materialCount, 5);
    const char* names[] = {"Wood", "Stone", "Twin", "Glass", "Twin"};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(m->materials[i].name, names[i]);
    expectFloats(m->materials[0].diffuse, {0.8f, 0.6f, 0.4f, 1});
    const ObjMaterial& stone = m->materials[1];
    expectFloats(stone.ambient, {0.1f, 0.2f, 0.3f, 1});
    expectFloats(stone.specular, {0.5f, 0.5f, 0.5f, 1});
    EXPECT_FLOAT_EQ(stone.shininess, 96);
    EXPECT_FLOAT_EQ(stone.dissolve, 0.5f);
    EXPECT_FLOAT_EQ(m->materials[2].dissolve, 0.25f);
    EXPECT_FLOAT_EQ(m->materials[4].dissolve, 0.75f);  // the last line, without a line feed
}

TEST(MtlReaderText, OtherAndIndentedKeywordsChangeNothing) {
    const ObjModel m = readLibrary(
        "newmtl A\nillum 2\nNi 1.5\nKe 1 1 1\nTr 0.5\nmap_Kd a.png\n Kd 1 1 1\n\tNs 5\n");
    ASSERT_EQ(m.materialCount, 1);
    ObjMaterial zero = {};
    std::strcpy(zero.name, "A");
    EXPECT_EQ(std::memcmp(&m.materials[0], &zero, sizeof zero), 0);
}

TEST(MtlReaderText, ColourComponentsNotReadKeepTheirValue) {
    const ObjModel m = readLibrary("newmtl A\nKd 0.5 0.25 0.125\nKd 1 x 3\nKa\nKs 2\n");
    ASSERT_EQ(m.materialCount, 1);
    expectFloats(m.materials[0].diffuse, {1, 0.25f, 0.125f, 1});  // stops at the x
    expectFloats(m.materials[0].specular, {2, 0, 0, 1});
    expectFloats(m.materials[0].ambient, {0, 0, 0, 0});  // "Ka" without its blank is no keyword
}

TEST(MtlReaderText, LibraryWithoutMaterialsGivesNone) {
    const ObjModel m = readLibrary("# nothing here\nKd 1 1 1\n");
    EXPECT_EQ(m.materialCount, 0);
    EXPECT_EQ(m.materials, nullptr);
    const ObjModel empty = readLibrary("");
    EXPECT_EQ(empty.materialCount, 0);
}

TEST(MtlReaderText, LinesAreReadInPiecesOf255) {
    // The name's line is 300 characters: its second piece starts with "Kd " at offset 255.
    const std::string line =
        "newmtl " + std::string(248, 'n') + "Kd 0.5 0.5 0.5" + std::string(31, ' ') + "\n";
    const ObjModel m = readLibrary(line + "newmtl " + std::string(300, 'x') + "\r\n");
    ASSERT_EQ(m.materialCount, 2);
    EXPECT_EQ(std::strlen(m.materials[0].name), 248u);
    expectFloats(m.materials[0].diffuse, {0.5f, 0.5f, 0.5f, 1});
    EXPECT_EQ(std::strlen(m.materials[1].name), 248u);
}

}  // namespace
