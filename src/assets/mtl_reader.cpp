#include "assets/mtl_reader.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "assets/text_scan.h"

namespace {

// "%f%f%f" from the space after the keyword: the components read stay, the rest keep their value;
// the fourth is 1 whatever was read.
void readColour(const char* first, const char* last, float colour[4]) {
    const char* p = first;
    for (int i = 0; i < 3 && p; ++i) p = scanFloat(p, last, &colour[i]);
    colour[3] = 1.0f;
}

void readMaterialLine(ObjMaterial* material, const char* first, const char* last) {
    if (startsWith(first, last, "Ka ", 3))
        readColour(first + 2, last, material->ambient);
    else if (startsWith(first, last, "Kd ", 3))
        readColour(first + 2, last, material->diffuse);
    else if (startsWith(first, last, "Ks ", 3))
        readColour(first + 2, last, material->specular);
    else if (startsWith(first, last, "Ns ", 3))
        scanFloat(first + 2, last, &material->shininess);
    else if (startsWith(first, last, "d ", 2))
        scanFloat(first + 1, last, &material->dissolve);
}

// Bytes of each part of a library's block.
struct LibrarySize {
    size_t materials;
    size_t nameBytes;  // every name with its NUL
};

// Counts the "newmtl " pieces and the bytes their names take.
LibrarySize measureLibrary(AssetFile* text) {
    LibrarySize size = {0, 0};
    char name[512];
    forEachLibraryPiece(text, 0, [&](const char* first, const char* last) {
        if (!startsWith(first, last, "newmtl ", 7)) return true;
        ++size.materials;
        name[0] = '\0';
        scanWord(first + 6, last, name, sizeof name);
        size.nameBytes += std::strlen(name) + 1;
        return true;
    });
    return size;
}

// The block of a library of `size`, zeroed, its parts laid out one after another, held once.
MaterialLibrary* allocateLibrary(const LibrarySize& size) {
    // The keys, which hold a 64-bit hash, come first: on a 32-bit system (the browser's wasm32)
    // a material is a multiple of 4 bytes only.
    static_assert(sizeof(MaterialLibrary) % alignof(MaterialKey) == 0 &&
                      sizeof(MaterialKey) % alignof(ObjMaterial) == 0,
                  "each part of the block starts aligned");
    const size_t bytes = sizeof(MaterialLibrary) + size.materials * sizeof(ObjMaterial) +
                         size.materials * sizeof(MaterialKey) + size.nameBytes;
    auto* library = static_cast<MaterialLibrary*>(std::calloc(1, bytes));
    if (!library) return nullptr;
    library->holders = 1;
    library->keys = reinterpret_cast<MaterialKey*>(library + 1);
    library->materials = reinterpret_cast<ObjMaterial*>(library->keys + size.materials);
    return library;
}

// Lines before the first "newmtl " have no material to go to and are skipped. A library that
// changed since it was measured keeps the materials that fit in the block.
void fillLibrary(AssetFile* text, const LibrarySize& size, MaterialLibrary* library) {
    char* names = reinterpret_cast<char*>(library->materials + size.materials);
    size_t nameBytes = 0;
    ObjMaterial* current = nullptr;
    forEachLibraryPiece(text, 0, [&](const char* first, const char* last) {
        if (!startsWith(first, last, "newmtl ", 7)) {
            if (current) readMaterialLine(current, first, last);
            return true;
        }
        char name[512] = "";
        scanWord(first + 6, last, name, sizeof name);
        const size_t length = std::strlen(name) + 1;
        if (static_cast<size_t>(library->count) == size.materials ||
            nameBytes + length > size.nameBytes)
            return false;
        current = &library->materials[library->count++];
        current->name = static_cast<const char*>(std::memcpy(names + nameBytes, name, length));
        nameBytes += length;
        return true;
    });
}

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
void keyMaterials(MaterialLibrary* library) {
    for (int32_t i = 0; i < library->count; ++i)
        library->keys[i] = MaterialKey{nameHash(library->materials[i].name), i};
    std::sort(library->keys, library->keys + library->count, keyBefore);
}

}  // namespace

bool parseMaterialLibrary(AssetFile* text, MaterialLibrary** library) {
    *library = nullptr;
    LibrarySize size = measureLibrary(text);
    if (size.materials == 0) return true;
    if (size.materials > INT32_MAX) return false;
    MaterialLibrary* made = allocateLibrary(size);
    if (!made) return false;
    fillLibrary(text, size, made);
    if (made->count == 0) {
        std::free(made);
        return true;
    }
    keyMaterials(made);
    *library = made;
    return true;
}

int32_t findMaterial(const MaterialLibrary* library, const char* name) {
    if (!library) return -1;
    const MaterialKey* keys = library->keys;
    const MaterialKey* end = keys + library->count;
    const MaterialKey wanted = {nameHash(name), INT32_MIN};
    for (const MaterialKey* key = std::lower_bound(keys, end, wanted, keyBefore);
         key != end && key->hash == wanted.hash; ++key)
        if (std::strcmp(library->materials[key->index].name, name) == 0) return key->index;
    return -1;
}

MaterialLibrary* holdMaterialLibrary(MaterialLibrary* library) {
    if (library) ++library->holders;
    return library;
}

void releaseMaterialLibrary(MaterialLibrary* library) {
    if (library && --library->holders == 0) std::free(library);
}

void giveMaterialLibrary(ObjModel* model, MaterialLibrary* library) {
    model->library = library;
    model->materials = library ? library->materials : nullptr;
    model->materialCount = library ? library->count : 0;
}
