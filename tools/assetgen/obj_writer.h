// Writes a Mesh as an OBJ model and the MTL library it names, in the plain dialect the
// presentation reads. writeObjModel(mesh, outDir, "knot.OBJ", "knot.MTL", "turning knot"): 0 or 1.
#pragma once

#include <string>

#include "mesh.h"

// Every corner carries v/vt/vn; "usemtl" precedes each run of polygons in one material.
std::string formatObjText(const Mesh& mesh, const char* libraryName, const char* title);
std::string formatMtlText(const Mesh& mesh);

// 0 on success; 1 after a one-line report on stderr (a line too long for the reader, or a file
// that cannot be written).
int writeObjModel(const Mesh& mesh, const std::string& directory, const char* objName,
                  const char* libraryName, const char* title);
