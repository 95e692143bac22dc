// Reads an MTL material library into the materials of a model under construction.
// parseMaterialLibrary(model, text, length) once the OBJ reader has found the library's name.
#pragma once

#include <cstddef>

#include "assets/obj_model.h"

// Characters per piece of a library line (and of the OBJ reader's search for "mtllib "), line
// feed counted.
constexpr size_t LIBRARY_PIECE = 255;

// Sets model->materials (one zero-initialised record per "newmtl " piece, null when there is
// none) and model->materialCount. Returns false when memory for the records cannot be had; the
// model then has no materials.
bool parseMaterialLibrary(ObjModel* model, const char* text, size_t length);
