// The eight models of the presentation, each designed for where its scene puts it and how it moves.
// for (const ModelDesign& d : MODEL_DESIGNS) { Mesh m = {}; d.build(&m); writeObjModel(m, dir, d.objName, ...); }
#pragma once

#include "mesh.h"

struct ModelDesign {
    const char* objName;
    const char* libraryName;
    const char* title;
    void (*build)(Mesh* mesh);
};

constexpr int MODEL_DESIGN_COUNT = 8;
extern const ModelDesign MODEL_DESIGNS[MODEL_DESIGN_COUNT];
