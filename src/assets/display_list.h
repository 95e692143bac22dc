// Compiles a loaded model into one OpenGL display list of triangles; needs a current context.
#pragma once

#include <cstdint>

#include "assets/obj_model.h"

uint32_t compileModelList(const ObjModel* model);
