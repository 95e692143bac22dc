#include "assets/mtl_reader.h"

#include <climits>
#include <cstdlib>

#include "assets/text_scan.h"

namespace {

// Calls visit(first, last) for every piece of the library, in file order.
template <typename Visit>
void forEachLibraryPiece(const char* text, size_t length, Visit visit) {
    TextLine line;
    for (const char* p = text; nextTextLine(&line, p, text + length); p = line.next) {
        for (size_t offset = 0; offset < line.length; offset += LIBRARY_PIECE) {
            const char* first;
            const char* last;
            textPiece(line, offset, LIBRARY_PIECE, &first, &last);
            visit(first, last);
        }
    }
}

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

bool parseMaterialLibrary(ObjModel* model, const char* text, size_t length) {
    model->materials = nullptr;
    model->materialCount = 0;
    size_t count = 0;
    forEachLibraryPiece(text, length, [&](const char* first, const char* last) {
        count += startsWith(first, last, "newmtl ", 7);
    });
    if (count == 0) return true;
    if (count > INT32_MAX) return false;
    auto* materials = static_cast<ObjMaterial*>(std::calloc(count, sizeof(ObjMaterial)));
    if (!materials) return false;

    // Lines before the first "newmtl " have no material to go to and are skipped.
    ObjMaterial* current = nullptr;
    ObjMaterial* next = materials;
    forEachLibraryPiece(text, length, [&](const char* first, const char* last) {
        if (startsWith(first, last, "newmtl ", 7)) {
            current = next++;
            scanWord(first + 6, last, current->name, sizeof current->name);
        } else if (current) {
            readMaterialLine(current, first, last);
        }
    });
    model->materials = materials;
    model->materialCount = static_cast<int32_t>(count);
    return true;
}
