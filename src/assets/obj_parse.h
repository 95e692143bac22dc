// The state of one OBJ parse, shared by the reader's parts: obj_reader.cpp walks the text and
// hands each line to the fast path (obj_fast_path.cpp) or to the line path (obj_lines.cpp), which
// looks materials up through material_lookup.cpp; a large text's second half is read meanwhile on
// a thread of its own (obj_split.cpp). Internal to those files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "assets/obj_reader.h"

namespace objparse {

// One of the model's float arrays while it grows.
struct Records {
    float** data;
    int32_t* count;
    int32_t capacity;  // records
    int width;         // floats per record
};

// The polygon being read, which may run over continuation pieces.
struct Polygon {
    int64_t cornerCount;
    int32_t first[3];     // corner 0: vertex, normal, texture-coordinate index
    int32_t previous[3];  // the latest corner
    int32_t hasNormals;   // set from the latest corner, so at the end from the last one
    int32_t hasTexCoords;
    int32_t firstFace;   // its first triangle record
    int32_t vertexBase;  // records read before the face, from which negative numbers count back
    int32_t normalBase;
    int32_t texCoordBase;
};

// Where the three readers stand in the line being read: the line offset of each one's next piece.
struct LinePieces {
    size_t face;
    size_t vertex;
    size_t library;
};

struct SecondHalf;

// The state of one parse; it lives on readObjModel's stack.
struct ObjParse {
    ObjModel* model;
    AssetFile* text;
    const char* end;      // of the whole lines being read, in the text's window
    uint64_t lineOffset;  // text offset of the line being read
    LinePieces pieces;    // in a line longer than a window
    const ObjLibrarySource* libraries;
    MaterialLibraryCache* shared;  // libraries read earlier in the batch; null for none
    Records vertices;
    Records texCoords;
    Records normals;
    int32_t faceCapacity;
    int32_t firstCapacity;  // records each array starts with
    int32_t currentMaterial;
    // 0, except in the reader of a second half (see SECOND_HALF_BASE), which counts its records
    // from SECOND_HALF_BASE when it resolves a negative index.
    int32_t countBase;
    bool continuing;      // the latest face piece ended with a backslash
    bool librarySettled;  // the first "mtllib " piece has been read, or there is none
    ObjResult failure;    // LOADED while the parse goes on; anything else stops it
    Polygon polygon;
    SecondHalf* secondHalf;  // being read meanwhile, or null
};

// ---- growing the arrays (obj_lines.cpp) ----------------------------------------------------

// Grows a heap array to hold `needed` elements, doubling from `first`; false when memory runs
// out or `most` would not hold them. Large blocks are mappings that grow by remapping: nothing is
// copied, and pages beyond the count are never touched, so they cost no memory.
bool reserve(void** data, int32_t* capacity, size_t elementSize, int64_t needed, int32_t first,
             int32_t most);

// Out of line: taken once per doubling. False, with the failure set, when memory runs out or the
// model would pass OBJ_MAX_TRIANGLES.
bool growRecords(ObjParse* parse, Records* records);
bool growFaces(ObjParse* parse, int64_t count);

inline float* appendRecord(ObjParse* parse, Records* records) {
    if (*records->count == records->capacity && !growRecords(parse, records)) return nullptr;
    return *records->data +
           static_cast<size_t>((*records->count)++) * static_cast<size_t>(records->width);
}

// Room for `count` more triangle records; null when memory runs out.
inline ObjFace* appendFaces(ObjParse* parse, int64_t count) {
    ObjModel* model = parse->model;
    if (model->faceCount + count > parse->faceCapacity && !growFaces(parse, count)) return nullptr;
    ObjFace* first = model->faces + model->faceCount;
    model->faceCount += static_cast<int32_t>(count);
    return first;
}

// A 1-based number as written (negative: counted back from `before` records) as a 0-based
// index; -1 when absent. The result may lie outside the array: the compiler tests it.
inline int32_t resolveIndex(int32_t number, int32_t before) {
    if (number > 0) return number - 1;
    return number < 0 ? before + number : -1;
}

inline void writeTriangle(ObjFace* face, const int32_t (&a)[3], const int32_t (&b)[3],
                          const int32_t (&c)[3], int32_t material, const int32_t (&last)[3]) {
    const int32_t* corners[3] = {a, b, c};
    face->cornerCount = 3;
    for (int k = 0; k < 3; ++k) {
        face->vertexIndex[k] = corners[k][0];
        face->normalIndex[k] = corners[k][1];
        face->texCoordIndex[k] = corners[k][2];
    }
    face->materialIndex = material;
    face->hasNormals = last[1] >= 0;
    face->hasTexCoords = last[2] >= 0;
}

// ---- the second half (obj_split.cpp) -------------------------------------------------------

// The reader of a second half does not know how many records come before it, so a negative
// index that it resolves comes out as if SECOND_HALF_BASE records had: below -1, unlike any other
// index, and made right once the first half's count is known. The fast path reads at most nine
// digits, and the half holds fewer records than the file has bytes.
constexpr int32_t SECOND_HALF_BASE = -(1 << 30);
static_assert(OBJ_MAX_BYTES < (uint64_t{1} << 30) &&
                  int64_t{SECOND_HALF_BASE} - 999'999'999 > int64_t{INT32_MIN},
              "an index a second half resolves stays below -1 and within 32 bits");

// A triangle's flags come from its polygon's last corner; where that corner counts back in a
// second half, the flag keeps the resolved index until the first half's count decides it.
inline void keepCountedBackFlags(ObjFace* face, int64_t count, const int32_t (&last)[3]) {
    if (last[1] >= -1 && last[2] >= -1) return;
    for (; count > 0; --count, ++face) {
        if (last[1] < -1) face->hasNormals = last[1];
        if (last[2] < -1) face->hasTexCoords = last[2];
    }
}

// Starts reading the second half of a text long enough to be split, on a thread of its own, and
// returns the text offset where the first half ends; the text's length, with no second half,
// when the caller reads it whole.
uint64_t startSecondHalf(ObjParse* parse);

// Waits for the second half, then takes its records after the first half's: the text offset
// the caller reads on from (the split, when the second half is dropped, or where it stopped).
// `reached` says whether the first half was read to the split without failing.
uint64_t joinSecondHalf(ObjParse* parse, bool reached);

// ---- the line path (obj_lines.cpp) ---------------------------------------------------------

// Reads the pieces of a line that start in `part`, which holds the line from line offset `base`
// on; `at` says where each reader's next piece starts. Returns the offset of the next piece.
size_t readLinePieces(ObjParse* parse, const TextLine& part, size_t base, bool complete,
                      LinePieces* at);

// Ends the polygon being read; all its triangles get the flags of its last corner.
void finishPolygon(ObjParse* parse);

// ---- the fast path (obj_fast_path.cpp) -----------------------------------------------------

// Reads the line at p when it has one of the common shapes, exactly as the line path would;
// returns the start of the next line, or nullptr to leave the line to the line path.
const char* readFastLine(ObjParse* parse, const char* p);

// ---- materials (material_lookup.cpp) -------------------------------------------------------

// Reads the library a "mtllib " piece [first, last) names, once per parse.
void readLibrary(ObjParse* parse, const char* first, const char* last);

// A "usemtl " piece from the space after the keyword: the current material becomes the first
// one of that name, or -1.
void switchMaterial(ObjParse* parse, const char* first, const char* last);

}  // namespace objparse
