// The eight models of the presentation, each designed for where its scene puts it and how it moves.
// for (const ModelDesign& d : MODEL_DESIGNS) { Mesh m = {}; d.build(&m); writeObjModel(m, dir,
// ...); }
#pragma once

#include "mesh.h"
#include "scenes/scene_resources.h"

struct ModelDesign {
    uint32_t SceneResources::*list;  // the display list its model file fills
    const char* libraryName;
    const char* title;
    void (*build)(Mesh* mesh);
};

constexpr int MODEL_DESIGN_COUNT = 8;
extern const ModelDesign MODEL_DESIGNS[MODEL_DESIGN_COUNT];

// The model file the design is written to.
inline const char* modelDesignPath(const ModelDesign& design) {
    return sceneModelPath(design.list);
}
