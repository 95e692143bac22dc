// Reads an MTL material library into one block that every model naming it shares:
// parseMaterialLibrary(&text, &library), then findMaterial(library, name) for each "usemtl ".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "assets/asset_file.h"
#include "assets/obj_model.h"

// Characters per piece of a library line (and of the OBJ reader's search for "mtllib "), line
// feed counted.
constexpr size_t LIBRARY_PIECE = 255;

// Largest library read, in bytes. A material takes some 80 bytes (record, key and name) where its
// "newmtl " line may take ten: the largest library stays near 150 MB, read once however many
// models name it.
constexpr uint64_t MTL_MAX_BYTES = 16ull << 20;

// A material's place in the lookup of names.
struct MaterialKey {
    uint64_t hash;  // of its name
    int32_t index;  // into the materials
};

// A library as read: one malloc'd block holding this record, the materials, their keys and their
// names. Released by the last of its holders.
struct MaterialLibrary {
    int32_t holders;  // models and caches; each release drops one
    int32_t count;
    ObjMaterial* materials;  // count records, zero-initialised, then filled by their lines
    MaterialKey* keys;       // one per material, by hash and then index
};

// One zero-initialised record per "newmtl " piece. *library is null when there is none; otherwise
// a new library held once, by the caller. False when memory cannot be had (*library null).
bool parseMaterialLibrary(AssetFile* text, MaterialLibrary** library);

// Index of the first material whose name is `name`, exactly; -1 when none is (or no library).
int32_t findMaterial(const MaterialLibrary* library, const char* name);

// One more holder; returns the library.
MaterialLibrary* holdMaterialLibrary(MaterialLibrary* library);

// Drops one holder; the last frees the library. Nothing for null.
void releaseMaterialLibrary(MaterialLibrary* library);

// Gives the model the library's materials, with the caller's hold on it (null: no materials).
void giveMaterialLibrary(ObjModel* model, MaterialLibrary* library);

// Calls visit(first, last) -> bool for every piece of LIBRARY_PIECE characters of the text from
// text offset `offset`, the start of a line, on, in file order, until visit returns false. With
// `only`, the pieces that do not start with it may be left out: a window's whole lines that do not
// hold it anywhere are passed over at the speed of one search.
template <typename Visit>
void forEachLibraryPiece(AssetFile* text, uint64_t offset, Visit visit,
                         std::string_view only = {}) {
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
            if (!only.empty() &&
                std::string_view(first, static_cast<size_t>(end - first)).find(only) ==
                    std::string_view::npos)
                return true;
            TextLine line;
            for (const char* p = first; nextTextLine(&line, p, end); p = line.next)
                if (readPart(line, 0, true) == STOP_WALK) return false;
            return true;
        },
        [&](const TextLine& part, size_t base, bool complete, uint64_t) {
            return readPart(part, base, complete);
        });
}
