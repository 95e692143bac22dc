// The line path: every line, of any shape, read piece by piece as each reader of the dialect
// cuts it (see obj_reader.h). The fast path hands over every line it does not read itself.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "assets/mtl_reader.h"
#include "assets/obj_parse.h"
#include "assets/text_scan.h"

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace objparse {

namespace {

// Asks for huge pages under a large block: a 2 MiB page costs one fault where 4 KiB pages cost
// 512, and first touches of fresh pages were a quarter of a large model's load. The advice covers
// every page the block touches, so that a block that is a mapping of its own stays one mapping,
// which the next growth can still move without a copy.
void preferHugePages(void* block, size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr size_t LARGE = size_t{4} << 20;
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    if (size < LARGE) return;
    const uintptr_t first = reinterpret_cast<uintptr_t>(block) & ~(page - 1);
    const uintptr_t last = (reinterpret_cast<uintptr_t>(block) + size + page - 1) & ~(page - 1);
    madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#else
    (void)block;
    (void)size;
#endif
}

}  // namespace

bool reserve(void** data, int32_t* capacity, size_t elementSize, int64_t needed, int32_t first,
             int32_t most) {
    if (needed <= *capacity) return true;
    if (needed > most) return false;
    const int64_t grown = std::min<int64_t>(
        most, std::max<int64_t>(needed, std::max<int64_t>(first, int64_t{*capacity} * 2)));
    void* block = std::realloc(*data, static_cast<size_t>(grown) * elementSize);
    if (!block) return false;
    preferHugePages(block, static_cast<size_t>(grown) * elementSize);
    *data = block;
    *capacity = static_cast<int32_t>(grown);
    return true;
}

__attribute__((noinline)) bool growRecords(ObjParse* parse, Records* records) {
    void* data = *records->data;
    const size_t size = sizeof(float) * static_cast<size_t>(records->width);
    if (!reserve(&data, &records->capacity, size, int64_t{*records->count} + 1,
                 parse->firstCapacity, INT32_MAX)) {
        parse->failure = ObjResult::OUT_OF_MEMORY;
        return false;
    }
    *records->data = static_cast<float*>(data);
    return true;
}

__attribute__((noinline)) bool growFaces(ObjParse* parse, int64_t count) {
    ObjModel* model = parse->model;
    void* faces = model->faces;
    const int64_t needed = model->faceCount + count;
    if (needed > OBJ_MAX_TRIANGLES) {
        parse->failure = ObjResult::TOO_MANY_TRIANGLES;
        return false;
    }
    if (!reserve(&faces, &parse->faceCapacity, sizeof(ObjFace), needed, parse->firstCapacity,
                 OBJ_MAX_TRIANGLES)) {
        parse->failure = ObjResult::OUT_OF_MEMORY;
        return false;
    }
    model->faces = static_cast<ObjFace*>(faces);
    return true;
}

namespace {

inline bool isFaceSeparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

void startPolygon(ObjParse* parse) {
    const ObjModel* model = parse->model;
    parse->polygon = {};
    parse->polygon.firstFace = model->faceCount;
    parse->polygon.vertexBase = model->vertexCount;
    parse->polygon.normalBase = model->normalCount;
    parse->polygon.texCoordBase = model->texCoordCount;
}

// Corner k >= 2 closes the fan triangle (0, k - 1, k).
void addCorner(ObjParse* parse, int32_t vertexNumber, int32_t normalNumber,
               int32_t texCoordNumber) {
    Polygon& polygon = parse->polygon;
    const int32_t corner[3] = {resolveIndex(vertexNumber, polygon.vertexBase),
                               resolveIndex(normalNumber, polygon.normalBase),
                               resolveIndex(texCoordNumber, polygon.texCoordBase)};
    polygon.hasNormals = corner[1] >= 0;
    polygon.hasTexCoords = corner[2] >= 0;
    if (polygon.cornerCount == 0) {
        std::memcpy(polygon.first, corner, sizeof corner);
    } else if (polygon.cornerCount >= 2) {
        if (ObjFace* face = appendFaces(parse, 1))
            writeTriangle(face, polygon.first, polygon.previous, corner, parse->currentMaterial,
                          corner);
    }
    std::memcpy(polygon.previous, corner, sizeof corner);
    ++polygon.cornerCount;
}

// The numbers of one corner token ("v", "v/t", "v/t/n" or "v//n"), as written: 1-based, negative
// to count back from the last record read before the face, 0 where absent.
struct ObjCorner {
    int32_t vertexNumber;
    int32_t normalNumber;
    int32_t texCoordNumber;
    bool hasVertexNumber;  // false for a token such as a lone backslash: it is no corner
};

// Reads the corner token [token, end); true when it holds a backslash anywhere, which continues
// the polygon on the next piece.
bool parseFaceCorner(const char* token, const char* end, ObjCorner* corner) {
    const char* slash[2] = {end, end};  // the first two slashes
    const char* lastSlash = end;
    int slashes = 0;
    bool backslash = false;
    for (const char* p = token; p < end; ++p) {
        if (*p == '/') {
            if (slashes < 2) slash[slashes] = p;
            ++slashes;
            lastSlash = p;
        }
        backslash |= *p == '\\';
    }
    *corner = {};
    corner->hasVertexNumber = scanInt(token, slash[0], &corner->vertexNumber) != nullptr;
    if (slashes >= 1) scanInt(slash[0] + 1, slash[1], &corner->texCoordNumber);
    if (slashes >= 2) scanInt(lastSlash + 1, end, &corner->normalNumber);
    return backslash;
}

// Reads the corner tokens of [p, last); true when a backslash continues the polygon on the next
// piece (what follows the backslash's token is dropped).
bool readCorners(ObjParse* parse, const char* p, const char* last) {
    for (;;) {
        while (p < last && isFaceSeparator(*p)) ++p;
        if (p == last) return false;
        const char* token = p;
        while (p < last && !isFaceSeparator(*p)) ++p;
        ObjCorner corner;
        const bool continues = parseFaceCorner(token, p, &corner);
        if (corner.hasVertexNumber)
            addCorner(parse, corner.vertexNumber, corner.normalNumber, corner.texCoordNumber);
        if (continues) return true;
    }
}

void readPolygonPiece(ObjParse* parse, const char* first, const char* last) {
    parse->continuing = readCorners(parse, first, last);
    if (!parse->continuing) finishPolygon(parse);
}

void readFacePiece(ObjParse* parse, const char* first, const char* last) {
    if (parse->continuing) {
        readPolygonPiece(parse, first, last);
    } else if (startsWith(first, last, "usemtl ", 7)) {
        switchMaterial(parse, first + 6, last);
    } else if (first < last && *first == 'f') {
        startPolygon(parse);
        readPolygonPiece(parse, first + std::min<ptrdiff_t>(2, last - first), last);
    }
}

// ---- vertices, texture coordinates, normals ------------------------------------------------

// Tokens at blanks only (tabs belong to tokens); the first is the keyword; a missing value is 0.
void readFloatPiece(ObjParse* parse, Records* records, const char* first, const char* last) {
    float* record = appendRecord(parse, records);
    if (!record) return;
    const char* p = first;
    while (p < last && *p != ' ') ++p;
    for (int i = 0; i < records->width; ++i) {
        while (p < last && *p == ' ') ++p;
        const char* token = p;
        while (p < last && *p != ' ') ++p;
        double value;
        scanAtof(token, p, &value);
        record[i] = static_cast<float>(value);
    }
}

void readVertexPiece(ObjParse* parse, const char* first, const char* last) {
    if (last - first < 2 || first[0] != 'v') return;
    if (first[1] == ' ')
        readFloatPiece(parse, &parse->vertices, first, last);
    else if (first[1] == 't')
        readFloatPiece(parse, &parse->texCoords, first, last);
    else if (first[1] == 'n')
        readFloatPiece(parse, &parse->normals, first, last);
}

// The line offset of the next piece any reader takes; SIZE_MAX past the line's end.
size_t nextPiece(const ObjParse* parse, const LinePieces& at) {
    return std::min({at.face, at.vertex, parse->librarySettled ? SIZE_MAX : at.library});
}

}  // namespace

// All triangles of a polygon carry the flags of its last corner; the last one already does.
void finishPolygon(ObjParse* parse) {
    const Polygon& polygon = parse->polygon;
    ObjModel* model = parse->model;
    for (int32_t i = polygon.firstFace; i + 1 < model->faceCount; ++i) {
        model->faces[i].hasNormals = polygon.hasNormals;
        model->faces[i].hasTexCoords = polygon.hasTexCoords;
    }
    parse->continuing = false;
}

// The pieces of the three readers are taken in order of position, so that a face counts back
// only over records whose pieces begin before it. `part` holds the line from line offset `base`
// on; one that ends inside the line holds the pieces that end before its last byte, which may
// be a carriage return the line feed after it drops. Returns the offset of the next piece.
size_t readLinePieces(ObjParse* parse, const TextLine& part, size_t base, bool complete,
                      LinePieces* at) {
    for (;;) {
        const size_t next = nextPiece(parse, *at);
        const size_t limit = next == at->face     ? FACE_PIECE
                             : next == at->vertex ? VERTEX_PIECE
                                                  : LIBRARY_PIECE;
        const size_t offset = next - base;
        if (complete ? offset >= part.length : offset + limit >= part.length) return next;
        const char* first;
        const char* last;
        textPiece(part, offset, limit, &first, &last);
        if (next == at->face) {
            readFacePiece(parse, first, last);
            at->face += FACE_PIECE;
        } else if (next == at->vertex) {
            readVertexPiece(parse, first, last);
            at->vertex += VERTEX_PIECE;
        } else {
            if (startsWith(first, last, "mtllib ", 7)) readLibrary(parse, first, last);
            at->library += LIBRARY_PIECE;
        }
    }
}

}  // namespace objparse
