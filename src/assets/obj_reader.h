// Reads a Wavefront OBJ model, with the MTL library it names, into an ObjModel.
// loadObjModel(&model, "model.OBJ", &error) == ObjResult::LOADED, else *error says why.
//
// The dialect read. A line is one of six kinds, known by its first characters at the very start
// of the line (case-sensitive, no leading blanks): "v " a position, "vt" a texture coordinate,
// "vn" a normal, "f" a face, "usemtl " a material switch, "mtllib " the material library (only
// the first counts). Every other line is ignored. In "v", "vt" and "vn" lines the numbers are
// separated by spaces only (a tab belongs to its number, which then ends there); missing numbers
// are 0, extra ones ignored. A face's corners ("v", "v/t", "v//n", "v/t/n", 1-based, negative
// counting back from the last record read before the face) are separated by spaces or tabs; the
// polygon is cut into a fan around its first corner, and a corner holding a backslash continues
// it on the next line. A line is read in pieces, as each kind's reader cuts it: VERTEX_PIECE
// characters for "v", "vt" and "vn", FACE_PIECE for faces, material switches and continuation
// lines, LIBRARY_PIECE in the search for "mtllib " (the line feed counted, a carriage return
// before it not). Each piece of a longer line is classified as a line of its own: its rest is
// ignored unless it happens to begin with a keyword, and a number cut at the limit is read from
// the part that was read. Indices are stored as read; compileModelList tests them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "assets/asset_file.h"
#include "assets/obj_model.h"
#include "system/regular_file.h"

// Characters per piece, line feed counted: "v", "vt" and "vn" lines are read in pieces of
// VERTEX_PIECE, face and "usemtl " lines (continuation lines too) in pieces of FACE_PIECE.
constexpr size_t VERTEX_PIECE = 99;
constexpr size_t FACE_PIECE = 499;
static_assert(FACE_PIECE < ASSET_WINDOW_BYTES / 2, "a window holds any piece of a longer line");

// Largest model file read, in bytes. A triangle's record takes 52 bytes where its corner in a
// face line may take two, so the records of the largest model may take some gigabytes.
constexpr uint64_t OBJ_MAX_BYTES = 256ull << 20;

// Most triangles one model may hold: a face line's corner may take two characters where its
// triangle's record takes 52 bytes and its display list more, so a file within OBJ_MAX_BYTES could
// otherwise ask for gigabytes. The presentation's models hold a few thousand.
constexpr int32_t OBJ_MAX_TRIANGLES = 1 << 22;

// A text of at least minimumBytes is read by two threads, the second one from the first line
// start at or after `at` (SPLIT_AT_MIDDLE: the middle of the text) on, when the process may run
// on minimumCores cores; the model is the same. Tests move all three to split small texts
// anywhere.
struct ObjSplit {
    uint64_t minimumBytes;
    uint64_t at;
    int minimumCores;
};

// The second thread holds 2-3 MB of its own at the peak (its window, the huge page the move of
// its records faults in ahead): over a tenth of a smaller file's records, where it gains at most
// some 15 ms.
constexpr uint64_t OBJ_SPLIT_BYTES = 32ull << 20;
constexpr uint64_t SPLIT_AT_MIDDLE = UINT64_MAX;
extern ObjSplit objSplit;

// The bytes of text from the split on whose records the second thread gave, in the latest read
// of any thread; 0 when the text was read whole by one thread or the second one's work was read
// again. For tests, which read one model at a time. Not thread_local, which MinGW emulates with
// storage set up and torn down in every thread that touches it, the prefetch workers included.
extern std::atomic<uint64_t> objSecondHalfBytes;

// Results of loadObjModel, readObjModel and parseObjModel.
enum class ObjResult {
    LOADED = 0,
    CANNOT_OPEN = 2,         // the model file cannot be opened or read
    OUT_OF_MEMORY = 3,       // nothing is kept
    TOO_MANY_TRIANGLES = 4,  // past OBJ_MAX_TRIANGLES: nothing is kept
};

// loadObjModel's error for TOO_MANY_TRIANGLES, past every errno and FILE_NOT_REGULAR.
constexpr int OBJ_TOO_MANY_TRIANGLES = FILE_NOT_REGULAR + 2;

// An error of loadObjModel in words, for a warning line: fileErrorText's, or the reader's own.
const char* objErrorText(int error);

// Where the reader gets the text of the material library a model names: open fills *file and
// returns 0, or returns why the library cannot be read (an errno, EIO when none is known, or
// FILE_NOT_REGULAR), which the model keeps in materialLibraryError; close releases what open
// gave. context is handed to both unchanged.
struct ObjLibrarySource {
    int (*open)(void* context, const char* name, AssetFile* file);
    void (*close)(void* context, AssetFile* file);
    void* context;
};

// Libraries read in a batch of loads, kept so that each is read once however many models name it
// (a library that cannot be opened is tried once too): MaterialLibraryCache cache = {}; then
// loadObjModel(..., &cache) for each model; releaseMaterialLibraries(&cache) when the batch is
// done. The models keep what they share. Libraries past the entries are read for each model.
constexpr int MATERIAL_CACHE_ENTRIES = 16;
struct MaterialLibraryCache {
    struct Entry {
        char name[256];            // as the model names it
        MaterialLibrary* library;  // held by the cache; null when it has no materials
        int error;                 // why it cannot be opened; 0 when it was read
    };
    Entry entries[MATERIAL_CACHE_ENTRIES];
    int count;
};

void releaseMaterialLibraries(MaterialLibraryCache* cache);

// Libraries are regular files of at most MTL_MAX_BYTES, their names taken relative to the working
// directory (not to the model).
extern const ObjLibrarySource objLibraryFiles;

// Reads the regular file `path` of at most OBJ_MAX_BYTES. Stores a new model in *model; on
// failure *model is left as it was and *error (when not null) says why: openAssetFile's code,
// ENOMEM with OUT_OF_MEMORY, or OBJ_TOO_MANY_TRIANGLES. freeObjModel releases it.
// With `shared`, a library another load of the batch read is not read again.
ObjResult loadObjModel(ObjModel** model, const char* path, int* error = nullptr,
                       MaterialLibraryCache* shared = nullptr);

// The reader proper, over a model's text through its window. libraries may be null: the model
// then has no materials, and no library error.
ObjResult readObjModel(ObjModel** model, AssetFile* text, const ObjLibrarySource* libraries,
                       MaterialLibraryCache* shared = nullptr);

// readObjModel over a text in memory (length bytes, no NUL needed).
ObjResult parseObjModel(ObjModel** model, const char* text, size_t length,
                        const ObjLibrarySource* libraries);

// Releases a model and its arrays. The presentation keeps its models for the whole run; this is
// for a reader that fails half-way and for tools that load many models.
void freeObjModel(ObjModel* model);
