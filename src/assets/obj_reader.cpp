#include "assets/obj_reader.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "assets/mtl_reader.h"
#include "assets/text_scan.h"

// The reader makes one pass over the text. Each line is seen by the three readers of the first
// design (vertex-like lines in pieces of 99 characters, faces in pieces of 499, the library name
// in pieces of 255), each cutting the line at its own length. Lines of the common shapes
// ("v x y z", "f a/b/c ...") take a fast path that accepts only lines it reads exactly as the
// general path would, and hands every other line to the general path.

namespace {

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

// A material's place in the lookup of names.
struct MaterialKey {
    uint64_t hash;  // of its name
    int32_t index;  // into the model's materials
};

// The state of one parse; it lives on readObjModel's stack.
struct ObjParse {
    ObjModel* model;
    AssetFile* text;
    const char* end;      // of the whole lines being read, in the text's window
    uint64_t lineOffset;  // text offset of the line being read
    LinePieces pieces;    // in a line longer than a window
    const ObjLibrarySource* libraries;
    MaterialKey* materialKeys;  // one per material, by hash and then index; null when none
    Records vertices;
    Records texCoords;
    Records normals;
    int32_t faceCapacity;
    int32_t firstCapacity;  // records each array starts with
    int32_t currentMaterial;
    bool continuing;      // the latest face piece ended with a backslash
    bool librarySettled;  // the first "mtllib " piece has been read, or there is none
    bool outOfMemory;
    Polygon polygon;
};

inline bool isFaceSeparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// Grows a heap array to hold `needed` elements, doubling from `first`; false when memory runs
// out. Large blocks are mappings that grow by remapping: nothing is copied, and pages beyond the
// count are never touched, so they cost no memory.
bool reserve(void** data, int32_t* capacity, size_t elementSize, int64_t needed, int32_t first) {
    if (needed <= *capacity) return true;
    if (needed > INT32_MAX) return false;
    const int64_t grown = std::min<int64_t>(
        INT32_MAX, std::max<int64_t>(needed, std::max<int64_t>(first, int64_t{*capacity} * 2)));
    void* block = std::realloc(*data, static_cast<size_t>(grown) * elementSize);
    if (!block) return false;
    *data = block;
    *capacity = static_cast<int32_t>(grown);
    return true;
}

// Out of line: taken once per doubling.
__attribute__((noinline)) bool growRecords(ObjParse* parse, Records* records) {
    void* data = *records->data;
    const size_t size = sizeof(float) * static_cast<size_t>(records->width);
    if (!reserve(&data, &records->capacity, size, int64_t{*records->count} + 1,
                 parse->firstCapacity)) {
        parse->outOfMemory = true;
        return false;
    }
    *records->data = static_cast<float*>(data);
    return true;
}

inline float* appendRecord(ObjParse* parse, Records* records) {
    if (*records->count == records->capacity && !growRecords(parse, records)) return nullptr;
    return *records->data +
           static_cast<size_t>((*records->count)++) * static_cast<size_t>(records->width);
}

// Gives an array exactly its count of records, none when it is empty.
template <typename T>
void trimArray(T** data, size_t count) {
    if (count == 0) {
        std::free(*data);
        *data = nullptr;
    } else if (void* block = std::realloc(*data, sizeof(T) * count)) {
        *data = static_cast<T*>(block);
    }
}

// ---- the material library ------------------------------------------------------------------

// FNV-1a, 64 bits.
uint64_t nameHash(const char* name) {
    uint64_t hash = 14695981039346656037u;
    for (; *name; ++name) hash = (hash ^ static_cast<unsigned char>(*name)) * 1099511628211u;
    return hash;
}

bool keyBefore(const MaterialKey& a, const MaterialKey& b) {
    return a.hash != b.hash ? a.hash < b.hash : a.index < b.index;
}

// Keys of the materials ordered by the hash of their names, equal hashes by index, so that a
// binary search over the compact keys, then a comparison of the names of equal hash in index
// order, finds the first material of a name: usemtl lines take time logarithmic in the library.
bool keyMaterials(ObjParse* parse) {
    const ObjModel* model = parse->model;
    if (model->materialCount == 0) return true;
    const auto count = static_cast<size_t>(model->materialCount);
    parse->materialKeys = static_cast<MaterialKey*>(std::malloc(count * sizeof(MaterialKey)));
    if (!parse->materialKeys) return false;
    for (int32_t i = 0; i < model->materialCount; ++i)
        parse->materialKeys[i] = MaterialKey{nameHash(model->materials[i].name), i};
    std::sort(parse->materialKeys, parse->materialKeys + count, keyBefore);
    return true;
}

// Index of the first material whose name equals `name` exactly, or -1.
int32_t findMaterial(const ObjParse* parse, const char* name) {
    const ObjModel* model = parse->model;
    const MaterialKey* keys = parse->materialKeys;
    const MaterialKey* end = keys + model->materialCount;
    const MaterialKey wanted = {nameHash(name), INT32_MIN};
    for (const MaterialKey* key = std::lower_bound(keys, end, wanted, keyBefore);
         key != end && key->hash == wanted.hash; ++key)
        if (std::strcmp(model->materials[key->index].name, name) == 0) return key->index;
    return -1;
}

void readLibrary(ObjParse* parse, const char* first, const char* last) {
    parse->librarySettled = true;
    ObjModel* model = parse->model;
    scanWord(first + 6, last, model->materialLibrary, sizeof model->materialLibrary);
    const ObjLibrarySource* source = parse->libraries;
    if (!source) return;
    AssetFile file;
    const int error = source->open(source->context, model->materialLibrary, &file);
    if (error != 0) {
        model->materialLibraryError = error;
        return;
    }
    if (!parseMaterialLibrary(model, &file) || !keyMaterials(parse)) parse->outOfMemory = true;
    source->close(source->context, &file);
}

// A "usemtl " line needs the library before the pass has reached its "mtllib " line: the first
// such piece is then looked for from the current line on (earlier lines have none), by a second
// reader of the text, as the first one's window still holds the line being read.
void settleLibrary(ObjParse* parse) {
    if (parse->librarySettled) return;
    parse->librarySettled = true;
    AssetFile ahead;
    if (openAssetFileAgain(*parse->text, &ahead) != 0) {
        parse->outOfMemory = true;
        return;
    }
    forEachLibraryPiece(&ahead, parse->lineOffset, [&](const char* first, const char* last) {
        if (!startsWith(first, last, "mtllib ", 7)) return true;
        readLibrary(parse, first, last);
        return false;
    });
    closeAssetFile(&ahead);
}

void switchMaterial(ObjParse* parse, const char* first, const char* last) {
    char name[FACE_PIECE + 1] = "";  // a "usemtl " without a name looks for the empty name
    scanWord(first, last, name, sizeof name);
    settleLibrary(parse);
    parse->currentMaterial = findMaterial(parse, name);
}

// ---- faces ---------------------------------------------------------------------------------

// A 1-based number as written (negative: counted back from `before` records) as a 0-based
// index; -1 when absent. The result may lie outside the array: the compiler tests it.
inline int32_t resolveIndex(int32_t number, int32_t before) {
    if (number > 0) return number - 1;
    return number < 0 ? before + number : -1;
}

void startPolygon(ObjParse* parse) {
    const ObjModel* model = parse->model;
    parse->polygon = {};
    parse->polygon.firstFace = model->faceCount;
    parse->polygon.vertexBase = model->vertexCount;
    parse->polygon.normalBase = model->normalCount;
    parse->polygon.texCoordBase = model->texCoordCount;
}

// Out of line: taken once per doubling.
__attribute__((noinline)) bool growFaces(ObjParse* parse, int64_t count) {
    ObjModel* model = parse->model;
    void* faces = model->faces;
    if (!reserve(&faces, &parse->faceCapacity, sizeof(ObjFace), model->faceCount + count,
                 parse->firstCapacity)) {
        parse->outOfMemory = true;
        return false;
    }
    model->faces = static_cast<ObjFace*>(faces);
    return true;
}

// Room for `count` more triangle records; null when memory runs out.
inline ObjFace* appendFaces(ObjParse* parse, int64_t count) {
    ObjModel* model = parse->model;
    if (model->faceCount + count > parse->faceCapacity && !growFaces(parse, count)) return nullptr;
    ObjFace* first = model->faces + model->faceCount;
    model->faceCount += static_cast<int32_t>(count);
    return first;
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

// ---- the general path ----------------------------------------------------------------------

// The line offset of the next piece any reader takes; SIZE_MAX past the line's end.
size_t nextPiece(const ObjParse* parse, const LinePieces& at) {
    return std::min({at.face, at.vertex, parse->librarySettled ? SIZE_MAX : at.library});
}

// The pieces of the three readers are taken in order of position, so that a face counts back
// only over records whose pieces begin before it. `part` holds the line from line offset `base`
// on; one that ends inside the line holds the pieces that end before its last byte, which may be
// a carriage return the line feed after it drops. Returns the offset of the next piece.
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

// ---- the fast path -------------------------------------------------------------------------

// The end of a line whose last token ends at p: its line feed, or the end of the text; nullptr
// when something else follows. With `rest`, blanks and further tokens may follow and are skipped.
const char* lineEndAfter(const char* p, const char* end, bool rest) {
    if (p == end || *p == '\n') return p;
    if (*p == '\r' && p + 1 < end && p[1] == '\n') return p + 1;
    if (!rest || *p != ' ') return nullptr;
    const void* lineFeed = std::memchr(p, '\n', static_cast<size_t>(end - p));
    return lineFeed ? static_cast<const char*>(lineFeed) : end;
}

// Characters a reader counts for the line [start, lineEnd), lineEnd at its line feed or the end.
size_t countedLength(const char* start, const char* lineEnd, const char* end) {
    if (lineEnd == end) return static_cast<size_t>(lineEnd - start);
    const bool carriageReturn = lineEnd > start && lineEnd[-1] == '\r';
    return static_cast<size_t>(lineEnd - start) - carriageReturn + 1;
}

inline const char* nextLine(const char* lineEnd, const char* end) {
    return lineEnd == end ? end : lineEnd + 1;
}

// One number of a vertex-like line; nullptr when the general path must read it. A token that
// starts otherwise than a number (with a tab, say) is left to that path: atof would skip the
// blank after it.
inline const char* readNumber(const char* p, const char* end, double* value) {
    const bool negative = *p == '-';
    if (const char* stop = scanShortDecimal(p + negative, end, value)) {
        if (negative) *value = -*value;
        return stop;
    }
    if (!(isDigit(*p) || *p == '-' || *p == '.' || *p == '+')) return nullptr;
    const char* stop = scanAtof(p, end, value);
    return stop == p ? nullptr : stop;
}

// "v x y z", "vt u v", "vn x y z" with numbers separated by blanks, in one piece.
template <int WIDTH>
const char* readFastFloatLine(ObjParse* parse, Records* records, const char* start, const char* p) {
    const char* end = parse->end;
    float values[WIDTH];
    for (int i = 0; i < WIDTH; ++i) {
        while (p < end && *p == ' ') ++p;
        if (p == end) return nullptr;
        double value;
        const char* stop = readNumber(p, end, &value);
        if (!stop) return nullptr;
        values[i] = static_cast<float>(value);
        p = stop;
        if (i + 1 < WIDTH && (p == end || *p != ' ')) return nullptr;
    }
    const char* lineEnd = lineEndAfter(p, end, true);
    if (!lineEnd || countedLength(start, lineEnd, end) > VERTEX_PIECE) return nullptr;
    float* record = appendRecord(parse, records);
    if (record)
        for (int i = 0; i < WIDTH; ++i) record[i] = values[i];
    return nextLine(lineEnd, end);
}

// An optional minus and one to nine digits: a value an int32_t holds. Its loop stops at ten
// digits rather than at the end of the number, which reads face lines faster than scanDigits.
inline bool readFastNumber(const char** p, const char* end, int32_t* value) {
    const char* q = *p;
    const bool negative = q < end && *q == '-';
    q += negative;
    uint64_t number = 0;
    int count = 0;
    for (; count < 10 && q + count < end && isDigit(q[count]); ++count)
        number = number * 10 + static_cast<uint64_t>(q[count] - '0');
    if (count == 0 || count > 9) return false;
    *value = negative ? -static_cast<int32_t>(number) : static_cast<int32_t>(number);
    *p = q + count;
    return true;
}

// A corner "v", "v/t", "v//n" or "v/t/n"; its end, or nullptr.
inline const char* readCorner(const char* p, const char* end, int32_t* vertex, int32_t* texCoord,
                              int32_t* normal) {
    *texCoord = *normal = 0;
    if (!readFastNumber(&p, end, vertex)) return nullptr;
    if (p == end || *p != '/') return p;
    ++p;
    if (p < end && *p != '/' && !readFastNumber(&p, end, texCoord)) return nullptr;
    if (p == end || *p != '/') return p;
    ++p;
    return readFastNumber(&p, end, normal) ? p : nullptr;
}

// Longer polygons take the general path.
constexpr int FAST_CORNERS = 64;

// "f" and corners "v", "v/t", "v//n", "v/t/n" separated by blanks, in one piece. Such a line
// holds no keyword at the positions where the other readers cut it.
const char* readFastFaceLine(ObjParse* parse, const char* start) {
    const char* end = parse->end;
    const ObjModel* model = parse->model;
    int32_t corners[FAST_CORNERS][3];
    int count = 0;
    const char* p = start + 2;
    const char* lineEnd;
    for (;;) {
        while (p < end && *p == ' ') ++p;
        if ((lineEnd = lineEndAfter(p, end, false))) break;
        int32_t vertex, texCoord, normal;
        const char* stop = readCorner(p, end, &vertex, &texCoord, &normal);
        if (!stop || count == FAST_CORNERS) return nullptr;
        p = stop;
        if (p < end && *p != ' ' && *p != '\n' && *p != '\r') return nullptr;
        corners[count][0] = resolveIndex(vertex, model->vertexCount);
        corners[count][1] = resolveIndex(normal, model->normalCount);
        corners[count][2] = resolveIndex(texCoord, model->texCoordCount);
        ++count;
    }
    if (countedLength(start, lineEnd, end) > FACE_PIECE) return nullptr;
    if (count >= 3) {
        ObjFace* face = appendFaces(parse, count - 2);
        for (int k = 2; face && k < count; ++k, ++face)
            writeTriangle(face, corners[0], corners[k - 1], corners[k], parse->currentMaterial,
                          corners[count - 1]);
    }
    return nextLine(lineEnd, end);
}

const char* readFastLine(ObjParse* parse, const char* p) {
    if (parse->end - p < 3) return nullptr;
    if (p[0] == 'f' && p[1] == ' ') return readFastFaceLine(parse, p);
    if (p[0] != 'v') return nullptr;
    if (p[1] == ' ') return readFastFloatLine<3>(parse, &parse->vertices, p, p + 2);
    if (p[2] != ' ') return nullptr;
    if (p[1] == 't') return readFastFloatLine<2>(parse, &parse->texCoords, p, p + 3);
    if (p[1] == 'n') return readFastFloatLine<3>(parse, &parse->normals, p, p + 3);
    return nullptr;
}

int openLibraryFile(void*, const char* name, AssetFile* file) {
    return openAssetFile(name, MTL_MAX_BYTES, file);
}
void closeLibraryFile(void*, AssetFile* file) { closeAssetFile(file); }

// Whole lines, each through the fast path when it takes it, else through the general path.
bool readWholeLines(ObjParse* parse, const char* first, const char* end, uint64_t offset) {
    parse->end = end;
    for (const char* p = first; p < end && !parse->outOfMemory;) {
        parse->lineOffset = offset + static_cast<uint64_t>(p - first);
        const char* next = parse->continuing ? nullptr : readFastLine(parse, p);
        if (!next) {
            TextLine line;
            nextTextLine(&line, p, end);
            LinePieces at = {};
            readLinePieces(parse, line, 0, true, &at);
            next = line.next;
        }
        p = next;
    }
    return !parse->outOfMemory;
}

// A line longer than a window, through the general path a part at a time.
size_t readLongLinePart(ObjParse* parse, const TextLine& part, size_t base, bool complete,
                        uint64_t lineOffset) {
    parse->lineOffset = lineOffset;
    if (base == 0) parse->pieces = LinePieces{};
    const size_t next = readLinePieces(parse, part, base, complete, &parse->pieces);
    return parse->outOfMemory ? STOP_WALK : next;
}

}  // namespace

const ObjLibrarySource objLibraryFiles = {openLibraryFile, closeLibraryFile, nullptr};

int readObjModel(ObjModel** result, AssetFile* text, const ObjLibrarySource* libraries) {
    auto* model = static_cast<ObjModel*>(std::calloc(1, sizeof(ObjModel)));
    if (!model) return OBJ_OUT_OF_MEMORY;
    ObjParse parse = {};
    parse.model = model;
    parse.text = text;
    parse.libraries = libraries;
    parse.vertices = {&model->vertices, &model->vertexCount, 0, 3};
    parse.texCoords = {&model->texCoords, &model->texCoordCount, 0, 2};
    parse.normals = {&model->normals, &model->normalCount, 0, 3};
    parse.currentMaterial = -1;
    // A large file starts its arrays large enough to be mappings, which grow without copies.
    parse.firstCapacity = static_cast<int32_t>(
        std::min<uint64_t>(INT32_MAX, std::max<uint64_t>(1024, text->length / 128)));

    walkAssetLines(
        text, 0,
        [&](const char* first, const char* end, uint64_t offset) {
            return readWholeLines(&parse, first, end, offset);
        },
        [&](const TextLine& part, size_t base, bool complete, uint64_t lineOffset) {
            return readLongLinePart(&parse, part, base, complete, lineOffset);
        });
    // A backslash on the last line has no next line to continue on: the polygon ends there.
    if (parse.continuing) finishPolygon(&parse);
    std::free(parse.materialKeys);

    if (parse.outOfMemory) {
        freeObjModel(model);
        return OBJ_OUT_OF_MEMORY;
    }
    trimArray(&model->faces, static_cast<size_t>(model->faceCount));
    trimArray(&model->vertices, static_cast<size_t>(model->vertexCount) * 3);
    trimArray(&model->texCoords, static_cast<size_t>(model->texCoordCount) * 2);
    trimArray(&model->normals, static_cast<size_t>(model->normalCount) * 3);
    *result = model;
    return OBJ_LOADED;
}

int parseObjModel(ObjModel** model, const char* text, size_t length,
                  const ObjLibrarySource* libraries) {
    AssetFile file = memoryAssetFile(text, length);
    return readObjModel(model, &file, libraries);
}

int loadObjModel(ObjModel** model, const char* path, int* error) {
    AssetFile file;
    const int opened = openAssetFile(path, OBJ_MAX_BYTES, &file);
    int result = OBJ_CANNOT_OPEN;
    if (opened == 0) {
        result = readObjModel(model, &file, &objLibraryFiles);
        closeAssetFile(&file);
    }
    if (error) *error = result == OBJ_OUT_OF_MEMORY ? ENOMEM : opened;
    return result;
}

void freeObjModel(ObjModel* model) {
    if (!model) return;
    std::free(model->faces);
    std::free(model->vertices);
    std::free(model->texCoords);
    std::free(model->normals);
    std::free(model->materials);
    std::free(model);
}
