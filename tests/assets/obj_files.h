// Helpers for the reader tests: a fixture that works in tests/data/obj (libraries are named
// relative to the working directory) and checks of face records.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "assets/obj_reader.h"

#define OBJ_FIXTURES DEMO_TEST_DATA "/obj"

class ObjFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(getcwd(savedDirectory, sizeof savedDirectory), nullptr);
        ASSERT_EQ(chdir(OBJ_FIXTURES), 0);
    }
    void TearDown() override {
        for (ObjModel* model : loaded) freeObjModel(model);
        ASSERT_EQ(chdir(savedDirectory), 0);
    }

    // Loads a fixture that must load; it is freed when the test ends.
    ObjModel* load(const char* name) {
        ObjModel* model = nullptr;
        EXPECT_EQ(loadObjModel(&model, name), ObjResult::LOADED) << name;
        loaded.push_back(model);
        return model;
    }

private:
    char savedDirectory[PATH_MAX];
    std::vector<ObjModel*> loaded;
};

using Corners = std::array<int32_t, 3>;
constexpr Corners NONE = {-1, -1, -1};

struct Face {
    Corners vertex, normal = NONE, texCoord = NONE;
    int32_t material = -1, hasNormals = 0, hasTexCoords = 0;
};

// The model has exactly these triangles, in this order.
inline void expectFaces(const ObjModel* m, std::initializer_list<Face> faces) {
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->faceCount, static_cast<int32_t>(faces.size()));
    const ObjFace* face = m->faces;
    for (const Face& f : faces) {
        SCOPED_TRACE("face " + std::to_string(face - m->faces));
        EXPECT_EQ(face->cornerCount, 3);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(face->vertexIndex[k], f.vertex[k]) << "vertex index of corner " << k;
            EXPECT_EQ(face->normalIndex[k], f.normal[k]) << "normal index of corner " << k;
            EXPECT_EQ(face->texCoordIndex[k], f.texCoord[k]) << "texture index of corner " << k;
        }
        EXPECT_EQ(face->materialIndex, f.material);
        EXPECT_EQ(face->hasNormals, f.hasNormals);
        EXPECT_EQ(face->hasTexCoords, f.hasTexCoords);
        ++face;
    }
}

inline void expectFloats(const float* values, std::initializer_list<float> expected) {
    int i = 0;
    for (float e : expected) {
        EXPECT_FLOAT_EQ(values[i], e) << "value " << i;
        ++i;
    }
}
