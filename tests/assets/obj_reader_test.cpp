#include <gtest/gtest.h>

#include <cstring>

#include "assets/obj_reader.h"
#include "obj_files.h"

namespace {

const Corners NONE = {-1, -1, -1};

using ObjReader = ObjFiles;

TEST_F(ObjReader, FanTriangulatesQuads) {
    const ObjModel* m = load("quad.obj");
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->faceCount, 2);
    expectFace(m->faces[0], {0, 1, 2}, {0, 1, 2}, {0, 1, 2}, -1, 1, 1);
    expectFace(m->faces[1], {0, 2, 3}, {0, 2, 3}, {0, 2, 3}, -1, 1, 1);
    EXPECT_EQ(m->vertexCount, 4);
    EXPECT_EQ(m->texCoordCount, 4);
    EXPECT_EQ(m->normalCount, 4);
    expectFloats(m->vertices + 6, {1, 1, 0});
    expectFloats(m->texCoords + 6, {0, 1});
}

TEST_F(ObjReader, FanTriangulatesPentagons) {
    const ObjModel* m = load("pentagon.obj");
    ASSERT_EQ(m->faceCount, 3);
    expectFace(m->faces[0], {0, 1, 2}, NONE, NONE, -1, 0, 0);
    expectFace(m->faces[1], {0, 2, 3}, NONE, NONE, -1, 0, 0);
    expectFace(m->faces[2], {0, 3, 4}, NONE, NONE, -1, 0, 0);
    EXPECT_EQ(m->normalCount, 0);
    EXPECT_EQ(m->normals, nullptr);
    EXPECT_EQ(m->texCoordCount, 0);
}

TEST_F(ObjReader, CornersWithNormalsOnly) {
    const ObjModel* m = load("normals_only.obj");
    ASSERT_EQ(m->faceCount, 1);
    expectFace(m->faces[0], {0, 1, 2}, {3, 4, 5}, NONE, -1, 1, 0);
}

TEST_F(ObjReader, FlagsFollowTheLastCorner) {
    const ObjModel* m = load("last_corner_flags.obj");
    ASSERT_EQ(m->faceCount, 4);
    expectFace(m->faces[0], {0, 1, 2}, {0, -1, 2}, {0, 1, 2}, -1, 1, 1);
    expectFace(m->faces[1], {0, 1, 2}, {0, 1, -1}, {0, 1, 2}, -1, 0, 1);
    // A quad whose last corner has no normal: both its triangles say so.
    expectFace(m->faces[2], {1, 2, 3}, {-1, 2, 0}, {1, 2, 0}, -1, 0, 1);
    expectFace(m->faces[3], {1, 3, 0}, {-1, 0, -1}, {1, 0, 0}, -1, 0, 1);
}

TEST_F(ObjReader, BackslashContinuesThePolygonOnTheNextLine) {
    const ObjModel* m = load("continuation.obj");
    // Five corners (the 9 9 after the backslash dropped), then a triangle.
    ASSERT_EQ(m->faceCount, 4);
    expectFace(m->faces[0], {0, 1, 2}, NONE, NONE, -1, 0, 0);
    expectFace(m->faces[1], {0, 2, 3}, NONE, NONE, -1, 0, 0);
    expectFace(m->faces[2], {0, 3, 4}, NONE, NONE, -1, 0, 0);
    expectFace(m->faces[3], {0, 1, 2}, NONE, NONE, -1, 0, 0);
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

TEST_F(ObjReader, OnlyTheFirstLibraryIsRead) {
    const ObjModel* m = load("two_libraries.obj");
    EXPECT_STREQ(m->materialLibrary, "first.mtl");
    ASSERT_EQ(m->materialCount, 2);
    EXPECT_STREQ(m->materials[1].name, "Other");
    ASSERT_EQ(m->faceCount, 1);
    EXPECT_EQ(m->faces[0].materialIndex, 0);
}

TEST_F(ObjReader, MissingLibraryLeavesTheModelWithoutMaterials) {
    const ObjModel* m = load("missing_library.obj");
    EXPECT_STREQ(m->materialLibrary, "nothere.mtl");
    EXPECT_EQ(m->materialCount, 0);
    EXPECT_EQ(m->materials, nullptr);
    ASSERT_EQ(m->faceCount, 1);
    EXPECT_EQ(m->faces[0].materialIndex, -1);
}

TEST_F(ObjReader, UsemtlBeforeTheLibraryLineStillFindsItsMaterial) {
    const ObjModel* m = load("library_after_usemtl.obj");
    ASSERT_EQ(m->faceCount, 2);
    EXPECT_EQ(m->faces[0].materialIndex, 1);
    EXPECT_EQ(m->faces[1].materialIndex, 0);
}

TEST_F(ObjReader, LibraryNameIsRelativeToTheWorkingDirectory) {
    const ObjModel* beside = load("sub/model.obj");
    EXPECT_EQ(beside->materialCount, 0);  // sub/beside.mtl is not looked for beside the model
    EXPECT_EQ(beside->faces[0].materialIndex, -1);
    const ObjModel* here = load("sub/cwd_library.obj");
    EXPECT_EQ(here->materialCount, 5);
    EXPECT_EQ(here->faces[0].materialIndex, 0);
}

TEST_F(ObjReader, CrLfFileReadsAsItsLfTwin) {
    const ObjModel* m = load("crlf.obj");
    ASSERT_EQ(m->vertexCount, 3);
    expectFloats(m->vertices, {1, 2, 3, 4, 5, 6, 7, 8, 9});
    ASSERT_EQ(m->texCoordCount, 1);
    expectFloats(m->texCoords, {0.5f, 0.25f});
    ASSERT_EQ(m->faceCount, 1);
    expectFace(m->faces[0], {0, 1, 2}, {0, 0, 0}, {0, 0, 0}, -1, 1, 1);
}

TEST_F(ObjReader, LastLineWithoutLineFeedIsRead) {
    const ObjModel* m = load("no_final_newline.obj");
    ASSERT_EQ(m->faceCount, 1);
    expectFace(m->faces[0], {0, 1, 2}, {0, 0, 0}, NONE, -1, 1, 0);
}

TEST_F(ObjReader, CommentsGroupsAndObjectsChangeNothing) {
    const ObjModel* m = load("groups.obj");
    EXPECT_EQ(m->vertexCount, 4);  // the "vp" line is not a position
    ASSERT_EQ(m->faceCount, 3);    // every group in one model, the commented face not among them
    expectFace(m->faces[0], {0, 1, 2}, NONE, NONE, 0, 0, 0);
    expectFace(m->faces[1], {1, 3, 2}, NONE, NONE, 0, 0, 0);
    expectFace(m->faces[2], {0, 1, 3}, NONE, NONE, 0, 0, 0);
}

TEST_F(ObjReader, EmptyFileLoadsAnEmptyModel) {
    const ObjModel* m = load("empty.obj");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->faceCount, 0);
    EXPECT_EQ(m->vertexCount, 0);
    EXPECT_EQ(m->texCoordCount, 0);
    EXPECT_EQ(m->normalCount, 0);
    EXPECT_EQ(m->materialCount, 0);
    EXPECT_EQ(m->materials, nullptr);
    EXPECT_STREQ(m->materialLibrary, "");
}

TEST_F(ObjReader, MissingFileGivesTwoAndLeavesThePlaceUntouched) {
    ObjModel sentinel = {};
    ObjModel* model = &sentinel;
    EXPECT_EQ(loadObjModel(&model, "no_such_model.obj"), OBJ_CANNOT_OPEN);
    EXPECT_EQ(model, &sentinel);
    EXPECT_EQ(loadObjModel(&model, "sub"), OBJ_CANNOT_OPEN);  // a directory cannot be read
    EXPECT_EQ(model, &sentinel);
}

TEST_F(ObjReader, StreamsWithoutASizeAreReadToTheirEnd) {
    const ObjModel* m = load("/dev/null");
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->faceCount, 0);
}

TEST_F(ObjReader, ShortExtraAndMisplacedValues) {
    const ObjModel* m = load("short_lines.obj");
    ASSERT_EQ(m->vertexCount, 3);  // "v<tab>" and an indented "v" are not positions
    expectFloats(m->vertices, {1, 2, 0, 1, 2, 3, 7, 8, 9});
    ASSERT_EQ(m->texCoordCount, 3);  // a third value is ignored; "vt0.5" is the keyword's token
    expectFloats(m->texCoords, {0.5f, 0, 0.5f, 0.25f, 0.75f, 0.125f});
    ASSERT_EQ(m->normalCount, 3);
    expectFloats(m->normals, {0, 0, 0, 0, 0, 1, 0.001f, -250, 4});
}

TEST_F(ObjReader, LongLinesAreReadInPieces) {
    const ObjModel* m = load("long_lines.obj");
    ASSERT_EQ(m->vertexCount, 3);
    // The third number is cut at the 99th character; the 7 after it lies in another piece.
    expectFloats(m->vertices, {1.5f, 2.5f, 1.0f / 3.0f, 0.25f, 0.5f, 0.75f, 7, 8, 9});
    // 242 corners; 1 + 1 (an "f" at offset 499 is a face of its own); 249 corners within 499.
    ASSERT_EQ(m->faceCount, 240 + 2 + 247);
    expectFace(m->faces[239], {0, 1, 2}, NONE, NONE, -1, 0, 0);
    expectFace(m->faces[240], {0, 1, 2}, NONE, NONE, -1, 0, 0);
    expectFace(m->faces[241], {0, 1, 2}, NONE, NONE, -1, 0, 0);
}

TEST(ParseFaceCorner, ReadsEveryForm) {
    struct Case {
        const char* token;
        int32_t vertex, normal, texCoord;
        bool hasVertex, continues;
    } cases[] = {
        {"7", 7, 0, 0, true, false},           {"7/8", 7, 0, 8, true, false},
        {"7/8/9", 7, 9, 8, true, false},       {"7//9", 7, 9, 0, true, false},
        {"3/3/3\\", 3, 3, 3, true, true},      {"\\", 0, 0, 0, false, true},
        {"-2/-3/-4", -2, -4, -3, true, false}, {"+5/x/", 5, 0, 0, true, false},
        {"1/2/3/4", 1, 4, 2, true, false},     {"4294967297", 1, 0, 0, true, false},
        {"x/1/1", 0, 1, 1, false, false},      {"1\\/2", 1, 0, 2, true, true},
    };
    for (const Case& c : cases) {
        ObjCorner corner;
        EXPECT_EQ(parseFaceCorner(c.token, std::strlen(c.token), &corner), c.continues) << c.token;
        EXPECT_EQ(corner.vertexNumber, c.vertex) << c.token;
        EXPECT_EQ(corner.normalNumber, c.normal) << c.token;
        EXPECT_EQ(corner.texCoordNumber, c.texCoord) << c.token;
        EXPECT_EQ(corner.hasVertexNumber, c.hasVertex) << c.token;
    }
}

TEST_F(ObjReader, FindMaterialComparesWholeNames) {
    const ObjModel* m = load("materials.obj");
    EXPECT_EQ(findMaterial(m, "Wood"), 0);
    EXPECT_EQ(findMaterial(m, "Glass"), 3);
    EXPECT_EQ(findMaterial(m, "Twin"), 2);
    EXPECT_EQ(findMaterial(m, "wood"), -1);
    EXPECT_EQ(findMaterial(m, "Woo"), -1);
    const ObjModel* none = load("pentagon.obj");
    EXPECT_EQ(findMaterial(none, ""), -1);
}

}  // namespace
