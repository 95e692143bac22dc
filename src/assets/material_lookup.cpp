// The material library of a model and the lookup of its materials by name.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "assets/mtl_reader.h"
#include "assets/obj_parse.h"
#include "assets/text_scan.h"

namespace objparse {

namespace {

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

int openLibraryFile(void*, const char* name, AssetFile* file) {
    return openAssetFile(name, MTL_MAX_BYTES, file);
}
void closeLibraryFile(void*, AssetFile* file) { closeAssetFile(file); }

}  // namespace

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

void switchMaterial(ObjParse* parse, const char* first, const char* last) {
    char name[FACE_PIECE + 1] = "";  // a "usemtl " without a name looks for the empty name
    scanWord(first, last, name, sizeof name);
    settleLibrary(parse);
    parse->currentMaterial = findMaterial(parse, name);
}

}  // namespace objparse

const ObjLibrarySource objLibraryFiles = {objparse::openLibraryFile, objparse::closeLibraryFile,
                                          nullptr};
