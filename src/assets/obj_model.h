// The records of a model read from an OBJ file: the model, its triangles and the materials of the
// MTL library it names. Filled by loadObjModel, read by compileModelList.
#pragma once

#include <cstddef>
#include <cstdint>

// One triangle. Indices are 0-based and stored as read: one outside its array is possible, and
// compileModelList tests every index before it uses it.
struct ObjFace {
    int32_t cornerCount;       // always 3
    int32_t vertexIndex[3];    // into vertices, corners in order
    int32_t normalIndex[3];    // into normals; -1 when the corner gave none
    int32_t texCoordIndex[3];  // into texCoords; -1 when the corner gave none
    int32_t materialIndex;     // into materials; -1 for none
    int32_t hasNormals;        // 1 when the polygon's last corner gave a normal, else 0
    int32_t hasTexCoords;      // 1 when the polygon's last corner gave a texture coordinate, else 0
};

struct MaterialLibrary;

// One material of the library. Records start zeroed: a field whose keyword the material lacks
// stays 0.
struct ObjMaterial {
    const char* name;   // from "newmtl ", NUL-terminated, at most 511 characters; in the library
    float ambient[4];   // "Ka" red, green, blue; fourth component 1 once the line is seen
    float diffuse[4];   // "Kd", likewise
    float specular[4];  // "Ks", likewise
    float dissolve;     // "d"
    float shininess;    // "Ns"
};

// A loaded model. The record and every array come from the heap, and freeObjModel releases them
// all (the materials with the last model holding their library); an array with a count of 0 is
// null.
struct ObjModel {
    int32_t faceCount;      // records in faces
    int32_t vertexCount;    // positions in vertices
    int32_t texCoordCount;  // coordinates in texCoords
    int32_t normalCount;    // normals in normals
    ObjFace* faces;
    float* vertices;               // x, y, z per position
    float* texCoords;              // u, v per coordinate
    float* normals;                // x, y, z per normal
    char materialLibrary[256];     // name from the first "mtllib " line, NUL-terminated; else empty
    const ObjMaterial* materials;  // materialCount records, or null; the library's
    int32_t materialCount;
    int32_t materialLibraryError;  // 0 when the named library was read or none is named, else the
                                   // errno of why it could not be opened (EIO when none is known)
    MaterialLibrary* library;      // holds the materials, shared with other models that name it
};

static_assert(sizeof(ObjFace) == 13 * sizeof(int32_t), "ObjFace is thirteen 32-bit integers");
static_assert(offsetof(ObjFace, normalIndex) < offsetof(ObjFace, texCoordIndex),
              "normal indices come before texture indices");
static_assert(sizeof(ObjMaterial) <= 64, "a library of a million materials stays in tens of MB");
static_assert(offsetof(ObjMaterial, dissolve) < offsetof(ObjMaterial, shininess),
              "dissolve comes before shininess");
