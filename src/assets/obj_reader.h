// Reads a Wavefront OBJ model, with the MTL library it names, into an ObjModel.
// loadObjModel(&model, "2.OBJ"): 0 on success, 2 when the file cannot be opened.
#pragma once

#include "assets/obj_model.h"

// Stores a new model in *model; on failure *model is left as it was.
int loadObjModel(ObjModel** model, const char* path);
