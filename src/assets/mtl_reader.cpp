#include "assets/mtl_reader.h"

#include <climits>
#include <cstdlib>

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

}  // namespace

bool parseMaterialLibrary(ObjModel* model, AssetFile* library) {
    model->materials = nullptr;
    model->materialCount = 0;
    size_t count = 0;
    forEachLibraryPiece(library, 0, [&](const char* first, const char* last) {
        count += startsWith(first, last, "newmtl ", 7);
        return true;
    });
    if (count == 0) return true;
    if (count > INT32_MAX) return false;
    auto* materials = static_cast<ObjMaterial*>(std::calloc(count, sizeof(ObjMaterial)));
    if (!materials) return false;

    // Lines before the first "newmtl " have no material to go to and are skipped. A library that
    // changed since it was counted keeps the materials that fit in the records.
    ObjMaterial* current = nullptr;
    size_t filled = 0;
    forEachLibraryPiece(library, 0, [&](const char* first, const char* last) {
        if (startsWith(first, last, "newmtl ", 7)) {
            if (filled == count) return false;
            current = &materials[filled++];
            scanWord(first + 6, last, current->name, sizeof current->name);
        } else if (current) {
            readMaterialLine(current, first, last);
        }
        return true;
    });
    if (filled == 0) {
        std::free(materials);
        return true;
    }
    model->materials = materials;
    model->materialCount = static_cast<int32_t>(filled);
    return true;
}
