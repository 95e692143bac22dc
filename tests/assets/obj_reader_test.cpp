// The OBJ and MTL readers on the edge cases of the dialect, one fixture file each; the
// differential tests read every fixture against a literal reading as well.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "assets/mtl_reader.h"
#include "assets/obj_reader.h"
#include "obj_files.h"
#include "system/regular_file.h"

namespace {

using ObjReader = ObjFiles;

Face plain(int32_t a, int32_t b, int32_t c) { return Face{{a, b, c}}; }

TEST_F(ObjReader, QuadsAndPentagonsAreFannedFromTheFirstCorner) {
    const ObjModel* m = load("quad.obj");
    expectFaces(m, {{{0, 1, 2}, {0, 1, 2}, {0, 1, 2}, -1, 1, 1},
                    {{0, 2, 3}, {0, 2, 3}, {0, 2, 3}, -1, 1, 1}});
    EXPECT_EQ(m->vertexCount, 4);
    EXPECT_EQ(m->texCoordCount, 4);
    EXPECT_EQ(m->normalCount, 4);
    expectFloats(m->vertices + 6, {1, 1, 0});
    expectFloats(m->texCoords + 6, {0, 1});
    const ObjModel* pentagon = load("pentagon.obj");
    expectFaces(pentagon, {plain(0, 1, 2), plain(0, 2, 3), plain(0, 3, 4)});
    EXPECT_EQ(pentagon->normalCount, 0);
    EXPECT_EQ(pentagon->normals, nullptr);
    EXPECT_EQ(pentagon->texCoordCount, 0);
}

TEST_F(ObjReader, FixturesGiveTheirTriangles) {
    const struct {
        const char* name;
        std::initializer_list<Face> faces;
    } cases[] = {
        {"normals_only.obj", {{{0, 1, 2}, {3, 4, 5}, NONE, -1, 1, 0}}},  // v//n
        // The flags follow the last corner: a quad whose last corner has no normal says so in
        // both its triangles.
        {"last_corner_flags.obj",
         {{{0, 1, 2}, {0, -1, 2}, {0, 1, 2}, -1, 1, 1},
          {{0, 1, 2}, {0, 1, -1}, {0, 1, 2}, -1, 0, 1},
          {{1, 2, 3}, {-1, 2, 0}, {1, 2, 0}, -1, 0, 1},
          {{1, 3, 0}, {-1, 0, -1}, {1, 0, 0}, -1, 0, 1}}},
        // A backslash continues the polygon: five corners (the 9 9 after it dropped), then one.
        {"continuation.obj", {plain(0, 1, 2), plain(0, 2, 3), plain(0, 3, 4), plain(0, 1, 2)}},
        {"no_final_newline.obj", {{{0, 1, 2}, {0, 0, 0}, NONE, -1, 1, 0}}},
        // Every group and object in one model, the commented face not among them.
        {"groups.obj",
         {{{0, 1, 2}, NONE, NONE, 0}, {{1, 3, 2}, NONE, NONE, 0}, {{0, 1, 3}, NONE, NONE, 0}}},
        // A usemtl before the library line still finds its material.
        {"library_after_usemtl.obj", {{{0, 1, 2}, NONE, NONE, 1}, {{0, 1, 2}, NONE, NONE, 0}}},
        // Faces of fewer than three corners give no record.
        {"two_corners.obj", {{{0, 1, 2}}}},
        // Zero, negative and far indices are stored for the list compiler to test: 0 names
        // nothing, past the end stays, -4 of 4 is the first, -9 lies before the first record.
        {"indices.obj",
         {{{-1, 0, 1}},
          {{0, 1, 2}, {0, 8, -1}, {0, 8, -1}},
          {{0, 1, 2}, {0, -1, -1}, {0, -1, -1}},
          {{0, 1, 98}},
          {{-5, 0, 1}},
          {{0, 1, 2}, {-4, -1, -1}, {-4, -1, -1}}}},
        // A lone backslash continues without inventing a corner: 1 2 3 \ + 4 5 make five
        // corners; then 1 2 3\ with nothing after.
        {"lone_backslash.obj", {{{0, 1, 2}}, {{0, 2, 3}}, {{0, 3, 4}}, {{0, 1, 2}}}},
        // A backslash on the last line ends the polygon.
        {"backslash_last_line.obj", {{{0, 1, 2}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectFaces(load(c.name), c.faces);
    }
}

TEST_F(ObjReader, UsemtlResolvesByExactNameFirstMatchWins) {
    const ObjModel* m = load("materials.obj");
    ASSERT_EQ(m->materialCount, 5);
    EXPECT_STREQ(m->materialLibrary, "materials.mtl");
    const int32_t expected[] = {
        -1,     // before any usemtl
        1,      // Stone
        1,      // "usemtl<tab>Wood" is not a usemtl line
        -1,     // "Wo" is only a prefix of Wood
        2,      // Twin: the first of two
        0,      // Wood
        3,      // Glass
        1,  1,  // Stone, a quad: both triangles
        1,      // an indented usemtl is not one
    };
    ASSERT_EQ(m->faceCount, 10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(m->faces[i].materialIndex, expected[i]) << "face " << i;
}

TEST_F(ObjReader, LibraryGivesNamesAndColoursWithUnsetFieldsZero) {
    const ObjModel* m = load("materials.obj");
    ASSERT_EQ(m->materialCount, 5);
    const char* names[] = {"Wood", "Stone", "Twin", "Glass", "Twin"};
    for (int i = 0; i < 5; ++i) EXPECT_STREQ(m->materials[i].name, names[i]);
    const ObjMaterial& wood = m->materials[0];
    expectFloats(wood.diffuse, {0.8f, 0.6f, 0.4f, 1});  // the "Kd 9 9 9" before it went nowhere
    expectFloats(wood.ambient, {0, 0, 0, 0});
    EXPECT_EQ(wood.dissolve, 0.0f);
    EXPECT_EQ(wood.shininess, 0.0f);
    const ObjMaterial& stone = m->materials[1];
    expectFloats(stone.ambient, {0.1f, 0.2f, 0.3f, 1});
    expectFloats(stone.specular, {0.5f, 0.5f, 0.5f, 1});
    EXPECT_FLOAT_EQ(stone.shininess, 96);
    EXPECT_FLOAT_EQ(stone.dissolve, 0.5f);
    EXPECT_FLOAT_EQ(m->materials[2].dissolve, 0.25f);
    expectFloats(m->materials[3].specular, {0, 0, 0, 0});
    EXPECT_FLOAT_EQ(m->materials[4].dissolve, 0.75f);  // the last line, without a line feed
}

TEST_F(ObjReader, OnlyTheFirstLibraryIsReadAndAMissingOneGivesNoMaterialsAndItsReason) {
    const ObjModel* m = load("two_libraries.obj");
    EXPECT_STREQ(m->materialLibrary, "first.mtl");
    EXPECT_EQ(m->materialLibraryError, 0);
    ASSERT_EQ(m->materialCount, 2);
    EXPECT_STREQ(m->materials[1].name, "Other");
    expectFaces(m, {{{0, 0, 0}, NONE, NONE, 0}});
    const ObjModel* missing = load("missing_library.obj");
    EXPECT_STREQ(missing->materialLibrary, "nothere.mtl");
    EXPECT_EQ(missing->materialLibraryError, ENOENT);
    EXPECT_EQ(missing->materialCount, 0);
    EXPECT_EQ(missing->materials, nullptr);
    ASSERT_EQ(missing->faceCount, 1);
    EXPECT_EQ(missing->faces[0].materialIndex, -1);
}

TEST_F(ObjReader, LibraryNameIsRelativeToTheWorkingDirectory) {
    const ObjModel* beside = load("sub/model.obj");
    EXPECT_EQ(beside->materialCount, 0);  // sub/beside.mtl is not looked for beside the model
    EXPECT_EQ(beside->faces[0].materialIndex, -1);
    const ObjModel* here = load("sub/cwd_library.obj");
    EXPECT_EQ(here->materialCount, 5);
    EXPECT_EQ(here->faces[0].materialIndex, 0);
}

TEST_F(ObjReader, EmptyFileLoadsAnEmptyModel) {
    const ObjModel* m = load("empty.obj");
    ASSERT_NE(m, nullptr);
    const int32_t counts[] = {m->faceCount, m->vertexCount, m->texCoordCount, m->normalCount,
                              m->materialCount};
    for (int32_t count : counts) EXPECT_EQ(count, 0);
    EXPECT_EQ(m->materials, nullptr);
    EXPECT_STREQ(m->materialLibrary, "");
}

TEST_F(ObjReader, FileThatCannotBeReadGivesTwoWithWhyAndLeavesThePlaceUntouched) {
    const struct {
        const char* name;
        int error;
    } cases[] = {{"no_such_model.obj", ENOENT}, {"sub", EISDIR}, {"/dev/null", FILE_NOT_REGULAR}};
    for (const auto& c : cases) {
        ObjModel sentinel = {};
        ObjModel* model = &sentinel;
        int error = 0;
        EXPECT_EQ(loadObjModel(&model, c.name, &error), ObjResult::CANNOT_OPEN) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_EQ(model, &sentinel) << c.name;
    }
}

TEST_F(ObjReader, LongLinesAreReadInPiecesOf99And499) {
    const ObjModel* m = load("long_lines.obj");
    ASSERT_EQ(m->vertexCount, 3);
    // The third number is cut at the 99th character; the 7 after it lies in another piece.
    expectFloats(m->vertices, {1.5f, 2.5f, 1.0f / 3.0f, 0.25f, 0.5f, 0.75f, 7, 8, 9});
    // 242 corners; 1 + 1 (an "f" at offset 499 is a face of its own); 249 corners within 499.
    ASSERT_EQ(m->faceCount, 240 + 2 + 247);
    const ObjFace first = {3, {0, 1, 2}, {-1, -1, -1}, {-1, -1, -1}, -1, 0, 0};
    for (int i : {239, 240, 241}) EXPECT_EQ(std::memcmp(&m->faces[i], &first, sizeof first), 0);
}

ObjModel readLibrary(const std::string& text) {
    ObjModel model = {};
    AssetFile file = memoryAssetFile(text.data(), text.size());
    MaterialLibrary* library = nullptr;
    EXPECT_TRUE(parseMaterialLibrary(&file, &library));
    giveMaterialLibrary(&model, library);
    return model;
}

TEST(MtlReaderText, OtherAndIndentedKeywordsChangeNothingAndUnreadComponentsStay) {
    const ObjModel m = readLibrary(
        "newmtl A\nillum 2\nNi 1.5\nKe 1 1 1\nTr 0.5\nmap_Kd a.png\n Kd 1 1 1\n\tNs 5\n");
    ASSERT_EQ(m.materialCount, 1);
    ObjMaterial zero = {};
    zero.name = m.materials[0].name;
    EXPECT_STREQ(zero.name, "A");
    EXPECT_EQ(std::memcmp(&m.materials[0], &zero, sizeof zero), 0);
    const ObjModel c = readLibrary("newmtl A\nKd 0.5 0.25 0.125\nKd 1 x 3\nKa\nKs 2\n");
    ASSERT_EQ(c.materialCount, 1);
    expectFloats(c.materials[0].diffuse, {1, 0.25f, 0.125f, 1});  // stops at the x
    expectFloats(c.materials[0].specular, {2, 0, 0, 1});
    expectFloats(c.materials[0].ambient, {0, 0, 0, 0});  // "Ka" without its blank is no keyword
    EXPECT_EQ(readLibrary("# nothing here\nKd 1 1 1\n").materials, nullptr);
    EXPECT_EQ(readLibrary("").materialCount, 0);
    releaseMaterialLibrary(m.library);
    releaseMaterialLibrary(c.library);
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
    releaseMaterialLibrary(m.library);
}

}  // namespace
