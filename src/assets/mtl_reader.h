// Reads an MTL material library into the materials of a model under construction.
// parseMaterialLibrary(model, &library) once the OBJ reader has opened the library it names.
#pragma once

#include <cstddef>
#include <cstdint>

#include "assets/asset_file.h"
#include "assets/obj_model.h"

// Characters per piece of a library line (and of the OBJ reader's search for "mtllib "), line
// feed counted.
constexpr size_t LIBRARY_PIECE = 255;

// Largest library read, in bytes. A material record takes 560 bytes where its "newmtl " line may
// take ten: the records of the largest library stay near a gigabyte.
constexpr uint64_t MTL_MAX_BYTES = 16ull << 20;

// Sets model->materials (one zero-initialised record per "newmtl " piece, null when there is
// none) and model->materialCount. Returns false when memory for the records cannot be had; the
// model then has no materials.
bool parseMaterialLibrary(ObjModel* model, AssetFile* library);

// Calls visit(first, last) -> bool for every piece of LIBRARY_PIECE characters of the text from
// text offset `offset`, the start of a line, on, in file order, until visit returns false.
template <typename Visit>
void forEachLibraryPiece(AssetFile* text, uint64_t offset, Visit visit) {
    // The pieces in a line's part from line offset `base` (a piece's offset) on; the offset of
    // the first piece left for the next part, or STOP_WALK. A part that ends inside the line
    // holds the pieces that end before its last byte, which may be a carriage return the line
    // feed after it drops.
    auto readPart = [&](const TextLine& part, size_t base, bool complete) -> size_t {
        for (size_t at = 0;; at += LIBRARY_PIECE) {
            if (complete ? at >= part.length : at + LIBRARY_PIECE >= part.length) return base + at;
            const char* first;
            const char* last;
            textPiece(part, at, LIBRARY_PIECE, &first, &last);
            if (!visit(first, last)) return STOP_WALK;
        }
    };
    walkAssetLines(
        text, offset,
        [&](const char* first, const char* end, uint64_t) {
            TextLine line;
            for (const char* p = first; nextTextLine(&line, p, end); p = line.next)
                if (readPart(line, 0, true) == STOP_WALK) return false;
            return true;
        },
        [&](const TextLine& part, size_t base, bool complete, uint64_t) {
            return readPart(part, base, complete);
        });
}
