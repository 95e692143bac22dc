#include "assets/obj_reader.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

#include "assets/mtl_reader.h"
#include "assets/obj_parse.h"
#include "assets/text_scan.h"

// The reader makes one pass over the text, a window at a time. Each whole line goes through the
// fast path when it takes it, else through the line path; a line longer than a window goes
// through the line path a part at a time. A large text's second half is read meanwhile by a
// second thread (obj_split.cpp), whose records join the first half's at the split.

namespace {

using namespace objparse;

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

// Whole lines, each through the fast path when it takes it, else through the general path.
bool readWholeLines(ObjParse* parse, const char* first, const char* end, uint64_t offset) {
    parse->end = end;
    for (const char* p = first; p < end && parse->failure == ObjResult::LOADED;) {
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
    return parse->failure == ObjResult::LOADED;
}

// A line longer than a window, through the general path a part at a time.
size_t readLongLinePart(ObjParse* parse, const TextLine& part, size_t base, bool complete,
                        uint64_t lineOffset) {
    parse->lineOffset = lineOffset;
    if (base == 0) parse->pieces = LinePieces{};
    const size_t next = readLinePieces(parse, part, base, complete, &parse->pieces);
    return parse->failure != ObjResult::LOADED ? STOP_WALK : next;
}

}  // namespace

ObjResult readObjModel(ObjModel** result, AssetFile* text, const ObjLibrarySource* libraries,
                       MaterialLibraryCache* shared) {
    auto* model = static_cast<ObjModel*>(std::calloc(1, sizeof(ObjModel)));
    if (!model) return ObjResult::OUT_OF_MEMORY;
    ObjParse parse = {};
    parse.model = model;
    parse.text = text;
    parse.libraries = libraries;
    parse.shared = shared;
    parse.vertices = {&model->vertices, &model->vertexCount, 0, 3};
    parse.texCoords = {&model->texCoords, &model->texCoordCount, 0, 2};
    parse.normals = {&model->normals, &model->normalCount, 0, 3};
    parse.currentMaterial = -1;
    // A large file starts its arrays large enough to be mappings, which grow without copies.
    parse.firstCapacity = static_cast<int32_t>(
        std::min<uint64_t>(INT32_MAX, std::max<uint64_t>(1024, text->length / 128)));

    // The text offset up to which the walk has read.
    uint64_t reached = 0;
    auto walk = [&](AssetFile* file, uint64_t offset) {
        walkAssetLines(
            file, offset,
            [&](const char* first, const char* end, uint64_t at) {
                if (!readWholeLines(&parse, first, end, at)) return false;
                reached = at + static_cast<uint64_t>(end - first);
                return true;
            },
            [&](const TextLine& part, size_t base, bool complete, uint64_t lineOffset) {
                const size_t next = readLongLinePart(&parse, part, base, complete, lineOffset);
                if (complete && next != STOP_WALK)
                    reached = lineOffset + base + static_cast<uint64_t>(part.next - part.start);
                return next;
            });
    };
    const uint64_t split = startSecondHalf(&parse);
    if (parse.secondHalf) {
        // The first half is read through a copy of the text's reader that ends at the split; the
        // text itself keeps its length, since the search for a library ahead reads all of it.
        AssetFile firstHalf = *text;
        firstHalf.length = split;
        walk(&firstHalf, 0);
        text->bufferOffset = firstHalf.bufferOffset;
        text->bufferLength = firstHalf.bufferLength;
        const bool whole = reached == split && parse.failure == ObjResult::LOADED;
        const uint64_t next = joinSecondHalf(&parse, whole);
        if (whole) walk(text, next);
    } else {
        walk(text, 0);
    }
    // A backslash on the last line has no next line to continue on: the polygon ends there.
    if (parse.continuing) finishPolygon(&parse);

    if (parse.failure != ObjResult::LOADED) {
        freeObjModel(model);
        return parse.failure;
    }
    trimArray(&model->faces, static_cast<size_t>(model->faceCount));
    trimArray(&model->vertices, static_cast<size_t>(model->vertexCount) * 3);
    trimArray(&model->texCoords, static_cast<size_t>(model->texCoordCount) * 2);
    trimArray(&model->normals, static_cast<size_t>(model->normalCount) * 3);
    *result = model;
    return ObjResult::LOADED;
}

ObjResult parseObjModel(ObjModel** model, const char* text, size_t length,
                        const ObjLibrarySource* libraries) {
    AssetFile file = memoryAssetFile(text, length);
    return readObjModel(model, &file, libraries);
}

ObjResult loadObjModel(ObjModel** model, const char* path, int* error,
                       MaterialLibraryCache* shared) {
    AssetFile file;
    const int opened = openAssetFile(path, OBJ_MAX_BYTES, &file);
    ObjResult result = ObjResult::CANNOT_OPEN;
    if (opened == 0) {
        result = readObjModel(model, &file, &objLibraryFiles, shared);
        closeAssetFile(&file);
    }
    if (error) {
        *error = result == ObjResult::OUT_OF_MEMORY        ? ENOMEM
                 : result == ObjResult::TOO_MANY_TRIANGLES ? OBJ_TOO_MANY_TRIANGLES
                                                           : opened;
    }
    return result;
}

const char* objErrorText(int error) {
    if (error != OBJ_TOO_MANY_TRIANGLES) return fileErrorText(error);
    static const std::string text = "more than " + std::to_string(OBJ_MAX_TRIANGLES) + " triangles";
    return text.c_str();
}

void releaseMaterialLibraries(MaterialLibraryCache* cache) {
    for (int i = 0; i < cache->count; ++i) releaseMaterialLibrary(cache->entries[i].library);
    cache->count = 0;
}

void freeObjModel(ObjModel* model) {
    if (!model) return;
    std::free(model->faces);
    std::free(model->vertices);
    std::free(model->texCoords);
    std::free(model->normals);
    releaseMaterialLibrary(model->library);
    std::free(model);
}
