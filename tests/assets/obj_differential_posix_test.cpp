// The reader against two others on the same files: the literal reading of reference_reader (every
// fixture, and generated texts that mix every kind of line the dialect knows), and tinyobjloader
// on real-world files no one here wrote (Debian's assimp-testmodels).
#include <unistd.h>

#include <gtest/gtest.h>
#include <tiny_obj_loader.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "assets/obj_reader.h"
#include "obj_files.h"
#include "reference_reader.h"
#include "support/text.h"

namespace {

std::vector<std::string> filesEndingIn(const std::string& directory, const std::string& suffix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        if (entry.path().extension() == suffix) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

using Libraries = std::map<std::string, std::string>;

// The libraries of a read, handed out in windows of the same size as the model's text.
struct WindowedLibraries {
    const Libraries* libraries;
    size_t windowBytes;
};

int openFromMap(void* context, const char* name, AssetFile* file) {
    const auto* source = static_cast<const WindowedLibraries*>(context);
    const auto found = source->libraries->find(name);
    if (found == source->libraries->end()) return ENOENT;
    *file = memoryAssetFile(found->second.data(), found->second.size(), source->windowBytes);
    return 0;
}

void closeFromMap(void*, AssetFile*) {}

// The whole text at once, and through windows of 512 bytes (a little more than the longest
// piece), which cut lines, pieces and the look-ahead for "mtllib " as a large file's windows do.
void expectSameAsReference(const std::string& text, const Libraries& libraries,
                           const std::string& what) {
    const ReferenceModel reference = readReferenceModel(text, libraries);
    for (const size_t windowBytes : {SIZE_MAX, size_t{512}}) {
        WindowedLibraries windowed = {&libraries, windowBytes};
        const ObjLibrarySource source = {openFromMap, closeFromMap, &windowed};
        AssetFile file = memoryAssetFile(text.data(), text.size(), windowBytes);
        ObjModel* model = nullptr;
        ASSERT_EQ(readObjModel(&model, &file, &source), ObjResult::LOADED) << what;
        std::string difference;
        EXPECT_TRUE(sameAsReference(*model, reference, &difference))
            << what << " in windows of " << windowBytes << ": " << difference;
        freeObjModel(model);
    }
}

TEST(ObjReaderDifferential, EveryFixtureReadsAsTheLiteralReading) {
    Libraries libraries;
    for (const std::string& name : filesEndingIn(OBJ_FIXTURES, ".mtl"))
        libraries[name] = fileBytes(OBJ_FIXTURES "/" + name);
    const std::vector<std::string> models = filesEndingIn(OBJ_FIXTURES, ".obj");
    ASSERT_GE(models.size(), 20u);
    for (const std::string& name : models)
        expectSameAsReference(fileBytes(OBJ_FIXTURES "/" + name), libraries, name);
}

// Texts made of the pieces the dialect and its edge cases are made of, with lines that run past
// the 99-, 255- and 499-character limits.
std::string generatedText(std::mt19937* random) {
    static const char* starts[] = {"v ", "vt ", "vn ",     "f ",   "usemtl ", "mtllib ", "# ",
                                   "g ", "o ",  "s ",      "  v ", "v\t",     "vt",      "vn",
                                   "f",  "f\t", "newmtl ", "\\",   ""};
    static const char* numbers[] = {"1",     "-2",     "0.5",          "1e3",
                                    "+.5",   "-0",     "0x1p2",        "inf",
                                    "nan",   "12.",    "123456789012", "0.1234567890123456789",
                                    "1e400", "3.1+e2", "-.e1"};
    static const char* corners[] = {"1",       "2/1", "3/1/1",        "1//2",       "-1/-1/-1",
                                    "2\\",     "\\",  "4294967297",   "0",          "x",
                                    "1/2/3/4", "-9",  "12345678/1/1", "123456789/1"};
    static const char* names[] = {"a", "b", "Wood", "lib.mtl", "", "a b"};
    static const char* blanks[] = {" ", "  ", "\t", " \t "};
    static const char* ends[] = {"\n", "\n", "\n", "\r\n", "\r\r\n", "\\\n", " \\\n"};
    auto pick = [&](const auto& list) {
        return std::string(list[(*random)() % (sizeof list / sizeof list[0])]);
    };
    std::string text;
    const int lines = 1 + static_cast<int>((*random)() % 40);
    for (int i = 0; i < lines; ++i) {
        std::string line = pick(starts);
        const int tokens = static_cast<int>((*random)() % 8);
        for (int k = 0; k < tokens; ++k) {
            const unsigned kind = (*random)() % 3;
            line += kind == 0 ? pick(numbers) : kind == 1 ? pick(corners) : pick(names);
            line += pick(blanks);
        }
        if ((*random)() % 8 == 0)
            line.insert(line.size() / 2, std::string(90 + (*random)() % 1400, ' '));
        text += line + (i + 1 < lines || (*random)() % 2 ? pick(ends) : "");
    }
    return text;
}

TEST(ObjReaderDifferential, GeneratedTextsReadAsTheLiteralReading) {
    std::mt19937 random(20261206);
    const Libraries libraries = {{"a", "newmtl a\nKd 1 2 3\nnewmtl Wood\nd 0.5\n"},
                                 {"lib.mtl", "newmtl b\nnewmtl a\n"}};
    for (int i = 0; i < 3000; ++i) {
        const std::string text = generatedText(&random);
        expectSameAsReference(text, libraries, "text " + std::to_string(i) + ":\n" + text);
        if (HasFailure()) return;
    }
}

// Vertex lines of decimal numbers of every length on either side of the point, the shapes the
// fast path reads, with an exponent now and then, which it leaves to the general path.
TEST(ObjReaderDifferential, NumbersOfEveryLengthReadAsAtof) {
    std::mt19937 random(7);
    auto digits = [&](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += static_cast<char>('0' + random() % 10);
        return text;
    };
    std::string text;
    for (int line = 0; line < 20000; ++line) {
        text += line % 3 == 0 ? "v" : line % 3 == 1 ? "vt" : "vn";
        for (int k = 0; k < 3; ++k) {
            const unsigned shape = random() % 4;
            std::string number =
                (random() % 2 ? "-" : "") + digits(static_cast<int>(random() % 10));
            if (shape != 0) number += "." + digits(static_cast<int>(random() % 12));
            if (shape == 3) number += "e" + std::to_string(static_cast<int>(random() % 80) - 40);
            text += " " + number;
        }
        text += "\n";
    }
    expectSameAsReference(text, {}, "numbers");
}

// The assimp test models that stay within our dialect. Left out: box_UTF16BE (UTF-16),
// box_longline, concave_polygon and space_in_material_name (lines past 99 characters, which we
// read in pieces), box_mat_with_spaces (a material name with blanks, which we end at the first).
const char* ASSIMP_DIRECTORY = "/usr/share/assimp/models/OBJ";
const char* ASSIMP_MODELS[] = {
    "WusonOBJ.obj",
    "box.obj",
    "box_without_lineending.obj",
    "cube_mtllib_after_g.obj",
    "cube_usemtl.obj",
    "cube_with_vertexcolors.obj",
    "cube_with_vertexcolors_uni.obj",
    "empty_mat.obj",
    "multiple_spaces.obj",
    "number_formats.obj",
    "point_cloud.obj",
    "regr01.obj",
    "regr_3429812.obj",
    "spider.obj",
    "testline.obj",
    "testmixed.obj",
    "testpoints.obj",
};

void expectSameFloats(const float* ours, int32_t count, int width,
                      const std::vector<tinyobj::real_t>& theirs, const char* what,
                      const char* model) {
    ASSERT_EQ(static_cast<size_t>(count) * width, theirs.size()) << what << " of " << model;
    for (size_t i = 0; i < theirs.size(); ++i)
        ASSERT_FLOAT_EQ(ours[i], theirs[i]) << what << " " << i << " of " << model;
}

class TinyObjLoaderComparison : public ObjFiles {
protected:
    void SetUp() override {
        ObjFiles::SetUp();
        if (access(ASSIMP_DIRECTORY, R_OK) != 0)
            GTEST_SKIP() << "assimp-testmodels is not installed";
        // Our reader finds libraries in the working directory.
        ASSERT_EQ(chdir(ASSIMP_DIRECTORY), 0);
    }
};

TEST_F(TinyObjLoaderComparison, AssimpModelsGiveTheSameArraysAndTheFansOfItsPolygons) {
    for (const char* name : ASSIMP_MODELS) {
        ObjModel* ours = nullptr;
        ASSERT_EQ(loadObjModel(&ours, name), ObjResult::LOADED) << name;
        tinyobj::attrib_t attrib;
        std::vector<tinyobj::shape_t> shapes;
        std::vector<tinyobj::material_t> materials;
        std::string warning, error;
        ASSERT_TRUE(
            tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, name, "./", false))
            << name << error;

        expectSameFloats(ours->vertices, ours->vertexCount, 3, attrib.vertices, "positions", name);
        expectSameFloats(ours->texCoords, ours->texCoordCount, 2, attrib.texcoords,
                         "texture coordinates", name);
        expectSameFloats(ours->normals, ours->normalCount, 3, attrib.normals, "normals", name);

        int32_t next = 0;  // our next triangle
        for (const tinyobj::shape_t& shape : shapes) {
            size_t offset = 0;
            for (size_t f = 0; f < shape.mesh.num_face_vertices.size(); ++f) {
                const tinyobj::index_t* corner = &shape.mesh.indices[offset];
                const int n = shape.mesh.num_face_vertices[f];
                offset += static_cast<size_t>(n);
                const int material = shape.mesh.material_ids[f];
                for (int k = 2; k < n; ++k, ++next) {
                    ASSERT_LT(next, ours->faceCount) << name;
                    const ObjFace& face = ours->faces[next];
                    const tinyobj::index_t fan[3] = {corner[0], corner[k - 1], corner[k]};
                    for (int c = 0; c < 3; ++c) {
                        EXPECT_EQ(face.vertexIndex[c], fan[c].vertex_index)
                            << name << " triangle " << next;
                        EXPECT_EQ(face.normalIndex[c], fan[c].normal_index)
                            << name << " triangle " << next;
                        EXPECT_EQ(face.texCoordIndex[c], fan[c].texcoord_index)
                            << name << " triangle " << next;
                    }
                    const std::string ourMaterial =
                        face.materialIndex >= 0 ? ours->materials[face.materialIndex].name : "";
                    const std::string theirMaterial =
                        material >= 0 ? materials[static_cast<size_t>(material)].name : "";
                    EXPECT_EQ(ourMaterial, theirMaterial) << name << " triangle " << next;
                }
            }
        }
        EXPECT_EQ(next, ours->faceCount) << name;
        freeObjModel(ours);
        if (HasFailure()) return;
    }
}

}  // namespace
