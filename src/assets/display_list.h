// Compiles a loaded model into one OpenGL display list of triangles; needs a current context.
// sceneResources.list2 = compileModelList(sceneResources.model2);
#pragma once

#include <cstdint>

#include "assets/obj_model.h"

// One list holding one GL_TRIANGLES block: normal, texture coordinate and position for every
// corner in stored order. A triangle with a position index outside the model's positions is left
// out; a corner whose normal index is outside the normals gets the triangle's face normal, one
// whose texture index is outside the coordinates gets (0, 0). Returns the list name; 0 for a null
// model (without touching any GL state), when no list name can be had, or when OpenGL reports an
// error for the compile (out of memory, say), which *glError then holds (a list it made for the
// call is deleted). A non-zero `list` is compiled over, replacing what it held, so that whoever
// calls it draws the new model.
uint32_t compileModelList(const ObjModel* model, uint32_t list = 0, uint32_t* glError = nullptr);

// The triangles compileModelList draws of the model: those whose positions are all inside its
// array. A model with none draws nothing, however many faces it read.
int32_t drawableTriangles(const ObjModel& model);
