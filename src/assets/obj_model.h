// The records of a model read from an OBJ file: the model, its triangles and the materials of the
// MTL library it names. Filled by loadObjModel, read by compileModelList.
#pragma once

#include <cstdint>

struct ObjFace {
    int32_t cornerCount;       // always 3
    int32_t vertexIndex[3];    // 0-based into vertices
    int32_t normalIndex[3];    // 0-based into normals; -1 when the corner gave none
    int32_t texCoordIndex[3];  // 0-based into texCoords; -1 when the corner gave none
    int32_t materialIndex;     // into materials; -1 for none
    int32_t hasNormals;        // 1 when the polygon's last corner gave a normal number
    int32_t hasTexCoords;      // 1 when the polygon's last corner gave a texture number
};

struct ObjMaterial {
    char name[512];
    float ambient[4];   // "Ka", fourth component 1
    float diffuse[4];   // "Kd", fourth component 1
    float specular[4];  // "Ks", fourth component 1
    float dissolve;     // "d"
    float shininess;    // "Ns"
};

struct ObjModel {
    int32_t faceCount;
    int32_t vertexCount;
    int32_t texCoordCount;
    int32_t normalCount;
    ObjFace* faces;
    float* vertices;   // x, y, z per vertex
    float* texCoords;  // u, v per coordinate
    float* normals;    // x, y, z per normal
    char materialLibrary[256];
    ObjMaterial* materials;
    int32_t materialCount;
};
