// A literal reading of the OBJ and MTL dialect, written apart from the reader under test: a pass
// per record kind over fgets-style pieces, with strtok, atof and sscanf from the C library, and
// the mended faults. Slow; tests and the fuzzer compare parseObjModel against it.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "assets/obj_model.h"

// A material as the library's lines give it, its name in place.
struct ReferenceMaterial {
    char name[512];
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float dissolve;
    float shininess;
};

struct ReferenceModel {
    std::vector<ObjFace> faces;
    std::vector<float> vertices;   // 3 per position
    std::vector<float> texCoords;  // 2 per coordinate
    std::vector<float> normals;    // 3 per normal
    std::string materialLibrary;
    std::vector<ReferenceMaterial> materials;
};

// libraries maps a library name to its text; a name not in it cannot be opened.
ReferenceModel readReferenceModel(const std::string& text,
                                  const std::map<std::string, std::string>& libraries);

// Field by field, floats bit for bit; false with the first difference described.
bool sameAsReference(const ObjModel& model, const ReferenceModel& reference,
                     std::string* difference);
