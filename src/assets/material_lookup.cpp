// The material library of a model and the lookup of its materials by name.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "assets/mtl_reader.h"
#include "assets/obj_parse.h"
#include "assets/text_scan.h"

namespace objparse {

namespace {

// The entry of the library of that name read earlier in the batch, or null.
const MaterialLibraryCache::Entry* cachedLibrary(const MaterialLibraryCache* cache,
                                                 const char* name) {
    for (int i = 0; cache && i < cache->count; ++i)
        if (std::strcmp(cache->entries[i].name, name) == 0) return &cache->entries[i];
    return nullptr;
}

void keepInCache(MaterialLibraryCache* cache, const char* name, MaterialLibrary* library,
                 int error) {
    if (!cache || cache->count == MATERIAL_CACHE_ENTRIES) return;
    MaterialLibraryCache::Entry& entry = cache->entries[cache->count++];
    std::snprintf(entry.name, sizeof entry.name, "%s", name);
    entry.library = holdMaterialLibrary(library);
    entry.error = error;
}

// Reads the library from its source: 0 with *library (null when it has no material), or why it
// cannot be opened. *outOfMemory is true when its block cannot be had.
int readLibraryText(const ObjLibrarySource* source, const char* name, MaterialLibrary** library,
                    bool* outOfMemory) {
    *library = nullptr;
    AssetFile file;
    const int error = source->open(source->context, name, &file);
    if (error != 0) return error;
    *outOfMemory = !parseMaterialLibrary(&file, library);
    source->close(source->context, &file);
    return 0;
}

// A "usemtl " line needs the library before the pass has reached its "mtllib " line: the first
// such piece is then looked for from the current line on (earlier lines have none), by a second
// reader of the text, as the first one's window still holds the line being read.
void settleLibrary(ObjParse* parse) {
    if (parse->librarySettled) return;
    parse->librarySettled = true;
    AssetFile ahead;
    if (openAssetFileAgain(*parse->text, &ahead) != 0) {
        parse->failure = ObjResult::OUT_OF_MEMORY;
        return;
    }
    forEachLibraryPiece(
        &ahead, parse->lineOffset,
        [&](const char* first, const char* last) {
            if (!startsWith(first, last, "mtllib ", 7)) return true;
            readLibrary(parse, first, last);
            return false;
        },
        "mtllib ");
    closeAssetFile(&ahead);
}

int openLibraryFile(void*, const char* name, AssetFile* file) {
    return openAssetFile(name, MTL_MAX_BYTES, file);
}
void closeLibraryFile(void*, AssetFile* file) { closeAssetFile(file); }

}  // namespace

void readLibrary(ObjParse* parse, const char* first, const char* last) {
    parse->librarySettled = true;
    ObjModel* model = parse->model;
    scanWord(first + 6, last, model->materialLibrary, sizeof model->materialLibrary);
    if (!parse->libraries) return;
    if (const MaterialLibraryCache::Entry* kept =
            cachedLibrary(parse->shared, model->materialLibrary)) {
        model->materialLibraryError = kept->error;
        giveMaterialLibrary(model, holdMaterialLibrary(kept->library));
        return;
    }
    MaterialLibrary* library = nullptr;
    bool outOfMemory = false;
    const int error =
        readLibraryText(parse->libraries, model->materialLibrary, &library, &outOfMemory);
    if (outOfMemory) {
        parse->failure = ObjResult::OUT_OF_MEMORY;
        return;
    }
    model->materialLibraryError = error;
    keepInCache(parse->shared, model->materialLibrary, library, error);
    giveMaterialLibrary(model, library);
}

void switchMaterial(ObjParse* parse, const char* first, const char* last) {
    char name[FACE_PIECE + 1] = "";  // a "usemtl " without a name looks for the empty name
    scanWord(first, last, name, sizeof name);
    settleLibrary(parse);
    parse->currentMaterial = findMaterial(parse->model->library, name);
}

}  // namespace objparse

const ObjLibrarySource objLibraryFiles = {objparse::openLibraryFile, objparse::closeLibraryFile,
                                          nullptr};
