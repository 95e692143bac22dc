// A large text read by two threads. The caller's thread reads the text up to a line start near
// the middle while a second thread reads on from there. The second thread knows nothing of what
// came before, so it takes only what it can settle later: lines of the fast path (negative
// indices made right once the first half's counts are known), "usemtl " lines of one piece (their
// names looked up once the library is known) and lines no reader of the dialect takes anything
// from. It stops at any other line, at a line longer than its window and when it fails; the
// caller then takes its records after its own and reads on alone from where it stopped, so that
// the model is the one a single reader makes.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "assets/mtl_reader.h"
#include "assets/obj_parse.h"
#include "assets/text_scan.h"

#if defined(__linux__)
#include <sched.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

ObjSplit objSplit = {OBJ_SPLIT_BYTES, SPLIT_AT_MIDDLE, 2};
std::atomic<uint64_t> objSecondHalfBytes{0};

namespace objparse {

struct SecondHalf {
    AssetFile text;    // a reader of its own
    uint64_t start;    // text offset where it starts, a line start
    uint64_t reached;  // text offset of the first line it did not take
    ObjModel model;    // its records: the arrays and their counts
    ObjParse parse;
    std::vector<std::string> materials;  // the names its "usemtl " lines switch to, in order
    bool namesLibrary;  // it passed over a "mtllib " piece, which only a settled library ignores
    std::thread thread;
};

namespace {

// The text offset of the first line start at or after `at`; the text's length when there is none,
// UINT64_MAX when the line at `at` goes on past a window.
uint64_t lineStartFrom(AssetFile* text, uint64_t at) {
    if (at == 0) return 0;
    const AssetWindow window = assetWindow(text, at - 1);
    const void* lineFeed = std::memchr(window.text, '\n', window.length);
    if (lineFeed)
        return at + static_cast<uint64_t>(static_cast<const char*>(lineFeed) - window.text);
    return window.atEnd ? text->length : UINT64_MAX;
}

// A "usemtl " line of one piece: the current material becomes its name's, found after the join.
bool readMaterialSwitch(SecondHalf* half, const TextLine& line) {
    if (line.length > VERTEX_PIECE) return false;
    const char* first;
    const char* last;
    textPiece(line, 0, FACE_PIECE, &first, &last);
    if (!startsWith(first, last, "usemtl ", 7)) return false;
    char name[FACE_PIECE + 1] = "";
    scanWord(first + 6, last, name, sizeof name);
    if (half->materials.empty() || half->materials.back() != name)
        half->materials.emplace_back(name);
    half->parse.currentMaterial = static_cast<int32_t>(half->materials.size()) - 1;
    return true;
}

// True when no reader takes anything from the line: none of the pieces the face, vertex and
// library readers cut starts with their keywords' first letters ("f" or "usemtl ", "v",
// "mtllib "). A library piece only counts when the library is not yet settled.
bool isIgnoredLine(SecondHalf* half, const TextLine& line) {
    for (size_t at = 0; at < line.contentLength; at += FACE_PIECE)
        if (line.start[at] == 'f' || line.start[at] == 'u') return false;
    for (size_t at = 0; at < line.contentLength; at += VERTEX_PIECE)
        if (line.start[at] == 'v') return false;
    for (size_t at = 0; at < line.contentLength; at += LIBRARY_PIECE)
        half->namesLibrary |= line.start[at] == 'm';
    return true;
}

bool readSecondHalfLines(SecondHalf* half, const char* first, const char* end, uint64_t offset) {
    ObjParse* parse = &half->parse;
    parse->end = end;
    for (const char* p = first; p < end;) {
        const char* next = readFastLine(parse, p);
        if (!next) {
            TextLine line;
            nextTextLine(&line, p, end);
            if (readMaterialSwitch(half, line) || isIgnoredLine(half, line)) next = line.next;
        }
        if (!next || parse->failure != ObjResult::LOADED) {
            half->reached = offset + static_cast<uint64_t>(p - first);
            return false;
        }
        p = next;
    }
    half->reached = offset + static_cast<uint64_t>(end - first);
    return true;
}

// Gives back the whole pages of [first, last), copied elsewhere and no longer read, so that the
// two copies of a half's records are never held whole at once. Returns where the next release
// may start.
const char* releasePages(const char* first, const char* last) {
#if defined(__linux__)
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    const uintptr_t from = (reinterpret_cast<uintptr_t>(first) + page - 1) & ~(page - 1);
    const uintptr_t to = reinterpret_cast<uintptr_t>(last) & ~(page - 1);
    if (from >= to) return first;
    madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    return reinterpret_cast<const char*>(to);
#else
    (void)last;
    return first;
#endif
}

// The pages past an array's last record: with huge pages, up to 2 MiB are held that no record
// uses.
template <typename T>
void releaseUnused(const T* data, size_t count, size_t capacity) {
    if (data)
        releasePages(reinterpret_cast<const char*>(data + count),
                     reinterpret_cast<const char*>(data + capacity));
}

void readSecondHalf(SecondHalf* half) {
    try {
        walkAssetLines(
            &half->text, half->start,
            [half](const char* first, const char* end, uint64_t offset) {
                return readSecondHalfLines(half, first, end, offset);
            },
            [half](const TextLine&, size_t, bool, uint64_t lineOffset) {
                half->reached = lineOffset;
                return STOP_WALK;
            });
    } catch (const std::bad_alloc&) {
        half->reached = half->start;  // nothing of it is taken
    }
    const ObjModel& model = half->model;
    const ObjParse& parse = half->parse;
    releaseUnused(model.faces, static_cast<size_t>(model.faceCount),
                  static_cast<size_t>(parse.faceCapacity));
    for (const Records* records : {&parse.vertices, &parse.normals, &parse.texCoords})
        releaseUnused(*records->data,
                      static_cast<size_t>(*records->count) * static_cast<size_t>(records->width),
                      static_cast<size_t>(records->capacity) * static_cast<size_t>(records->width));
}

void dropSecondHalf(SecondHalf* half) {
    std::free(half->model.faces);
    std::free(half->model.vertices);
    std::free(half->model.texCoords);
    std::free(half->model.normals);
    closeAssetFile(&half->text);
    delete half;
}

// One array's records the first half takes from the second.
struct Move {
    char* to;
    const char* from;
    size_t count;  // elements
    size_t size;   // bytes per element
    bool faces;
};

// What a second half's triangle needs from the first half.
struct FaceFix {
    int32_t vertexCount;  // records of the first half
    int32_t normalCount;
    int32_t texCoordCount;
    int32_t inherited;         // its current material at the split
    const int32_t* materials;  // of the second half's "usemtl " names
};

// An index the second half resolved, made right: one it counted back from SECOND_HALF_BASE
// counts back from the records before it.
inline int32_t settledIndex(int32_t index, int32_t before) {
    return index < -1 ? static_cast<int32_t>(int64_t{index} - SECOND_HALF_BASE + before) : index;
}

void fixFaces(ObjFace* face, size_t count, const FaceFix& fix) {
    for (ObjFace* last = face + count; face < last; ++face) {
        for (int k = 0; k < 3; ++k) {
            face->vertexIndex[k] = settledIndex(face->vertexIndex[k], fix.vertexCount);
            face->normalIndex[k] = settledIndex(face->normalIndex[k], fix.normalCount);
            face->texCoordIndex[k] = settledIndex(face->texCoordIndex[k], fix.texCoordCount);
        }
        if (face->hasNormals < -1)
            face->hasNormals = settledIndex(face->hasNormals, fix.normalCount) >= 0;
        if (face->hasTexCoords < -1)
            face->hasTexCoords = settledIndex(face->hasTexCoords, fix.texCoordCount) >= 0;
        face->materialIndex = face->materialIndex < 0
                                  ? fix.inherited
                                  : fix.materials[static_cast<size_t>(face->materialIndex)];
    }
}

constexpr size_t MOVE_BLOCK = size_t{256} << 10;

// Moves the records a block at a time, giving back the source's pages as they are copied. One
// thread does it: a second one, faulting in fresh huge pages of its own, held 2-5 MB more at the
// peak and gained 3-4 ms.
void moveRecords(const Move& move, const FaceFix& fix) {
    const size_t block = MOVE_BLOCK / move.size;
    const char* released = move.from;
    for (size_t done = 0; done < move.count;) {
        const size_t n = std::min(block, move.count - done);
        std::memcpy(move.to + done * move.size, move.from + done * move.size, n * move.size);
        if (move.faces) fixFaces(reinterpret_cast<ObjFace*>(move.to) + done, n, fix);
        done += n;
        released = releasePages(released, move.from + done * move.size);
    }
}

bool reserveFloats(ObjParse* parse, Records* records, int32_t count) {
    void* data = *records->data;
    if (!reserve(&data, &records->capacity, sizeof(float) * static_cast<size_t>(records->width),
                 int64_t{*records->count} + count, parse->firstCapacity, INT32_MAX))
        return false;
    *records->data = static_cast<float*>(data);
    return true;
}

Move floatMove(const Records& records, const float* from, int32_t count) {
    const size_t width = static_cast<size_t>(records.width);
    return {reinterpret_cast<char*>(*records.data + static_cast<size_t>(*records.count) * width),
            reinterpret_cast<const char*>(from), static_cast<size_t>(count) * width, sizeof(float),
            false};
}

// Takes the second half's records after the first half's; false, with nothing taken, when memory
// runs out.
bool takeSecondHalf(ObjParse* parse, SecondHalf* half) {
    ObjModel* model = parse->model;
    const ObjModel& taken = half->model;
    void* faces = model->faces;
    if (!reserve(&faces, &parse->faceCapacity, sizeof(ObjFace),
                 int64_t{model->faceCount} + taken.faceCount, parse->firstCapacity,
                 OBJ_MAX_TRIANGLES))
        return false;
    model->faces = static_cast<ObjFace*>(faces);
    if (!reserveFloats(parse, &parse->vertices, taken.vertexCount) ||
        !reserveFloats(parse, &parse->normals, taken.normalCount) ||
        !reserveFloats(parse, &parse->texCoords, taken.texCoordCount))
        return false;
    std::vector<int32_t> materials(half->materials.size());
    for (size_t i = 0; i < materials.size(); ++i)
        materials[i] = findMaterial(model->library, half->materials[i].c_str());

    const FaceFix fix = {model->vertexCount, model->normalCount, model->texCoordCount,
                         parse->currentMaterial, materials.data()};
    const Move moves[4] = {{reinterpret_cast<char*>(model->faces + model->faceCount),
                            reinterpret_cast<const char*>(taken.faces),
                            static_cast<size_t>(taken.faceCount), sizeof(ObjFace), true},
                           floatMove(parse->vertices, taken.vertices, taken.vertexCount),
                           floatMove(parse->normals, taken.normals, taken.normalCount),
                           floatMove(parse->texCoords, taken.texCoords, taken.texCoordCount)};
    for (const Move& move : moves) moveRecords(move, fix);
    model->faceCount += taken.faceCount;
    model->vertexCount += taken.vertexCount;
    model->normalCount += taken.normalCount;
    model->texCoordCount += taken.texCoordCount;
    const int32_t current = half->parse.currentMaterial;
    if (current >= 0) parse->currentMaterial = materials[static_cast<size_t>(current)];
    return true;
}

// The cores the process may run on. A second thread pays only where a second core may run it:
// a process kept to one core (taskset) reads alone, as copying the second half's records would
// then only cost time.
int coresToRunOn() {
#if defined(__linux__)
    cpu_set_t cores;
    if (sched_getaffinity(0, sizeof cores, &cores) == 0) return CPU_COUNT(&cores);
#endif
    return static_cast<int>(std::thread::hardware_concurrency());
}

}  // namespace

uint64_t startSecondHalf(ObjParse* parse) {
    const uint64_t length = parse->text->length;
    objSecondHalfBytes = 0;
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    return length;  // a page built without threads
#endif
    if (length < objSplit.minimumBytes || coresToRunOn() < objSplit.minimumCores) return length;
    auto* half = new (std::nothrow) SecondHalf();
    if (!half) return length;
    if (openAssetFileAgain(*parse->text, &half->text) != 0) {
        delete half;
        return length;
    }
    half->start =
        lineStartFrom(&half->text, objSplit.at == SPLIT_AT_MIDDLE ? length / 2 : objSplit.at);
    half->reached = half->start;
    ObjParse& second = half->parse;
    second.model = &half->model;
    second.text = &half->text;
    second.vertices = {&half->model.vertices, &half->model.vertexCount, 0, 3};
    second.texCoords = {&half->model.texCoords, &half->model.texCoordCount, 0, 2};
    second.normals = {&half->model.normals, &half->model.normalCount, 0, 3};
    second.firstCapacity = parse->firstCapacity;
    second.currentMaterial = -1;  // the first half's last one
    second.countBase = SECOND_HALF_BASE;
    if (half->start >= length) {
        dropSecondHalf(half);
        return length;
    }
    try {
        half->thread = std::thread(readSecondHalf, half);
    } catch (const std::exception&) {
        dropSecondHalf(half);
        return length;
    }
    parse->secondHalf = half;
    return half->start;
}

uint64_t joinSecondHalf(ObjParse* parse, bool reached) {
    SecondHalf* half = parse->secondHalf;
    parse->secondHalf = nullptr;
    half->thread.join();
    uint64_t next = half->start;
    // Anything the second half could not settle is read again: a first half that ends inside a
    // polygon or fails, a library named or needed in the second half before the first settled
    // it, a triangle past the bound (the reader alone finds where it fails), or memory.
    const bool settled = parse->librarySettled || (half->materials.empty() && !half->namesLibrary);
    try {
        if (reached && parse->failure == ObjResult::LOADED && !parse->continuing && settled &&
            half->reached > half->start &&
            int64_t{parse->model->faceCount} + half->model.faceCount <= OBJ_MAX_TRIANGLES &&
            takeSecondHalf(parse, half))
            next = half->reached;
    } catch (const std::bad_alloc&) {}
    objSecondHalfBytes = next - half->start;
    dropSecondHalf(half);
    return next;
}

}  // namespace objparse
