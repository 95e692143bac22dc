// Closed solids added to a Mesh in the material currently in use: boxes, polygonal rings, surfaces
// of revolution, tubes swept along closed paths and convex polyhedra. addBox(&mesh, placeAt(c), {1,
// 2, 3}, 100);
#pragma once

#include <vector>

#include "mesh.h"

// Every solid is watertight (neighbouring polygons share their positions, seams included), wound
// counter-clockwise seen from outside, with outward unit normals. Texture coordinates advance one
// repeat per `unitsPerRepeat` of surface, rounded where a seam has to meet itself.

// One point of a profile turned about the local Y axis; profiles run from bottom to top.
struct ProfilePoint {
    double radius;  // >= 0; 0 closes the solid with a pole
    double height;
    int crease;  // 1: the surface breaks here (separate normals above and below)
};

void addBox(Mesh* mesh, const Placement& at, Vec3 halfSize, double unitsPerRepeat);

// A flat ring of `sides` straight segments around the local Z axis, its faces at z = +-halfDepth;
// apothems are the distances from the axis to the middle of each side.
void addPrismRing(Mesh* mesh, const Placement& at, int sides, double innerApothem,
                  double outerApothem, double halfDepth, double unitsPerRepeat);

// A profile ending off the axis is closed with a flat cap there.
void addLathe(Mesh* mesh, const Placement& at, const std::vector<ProfilePoint>& profile, int slices,
              double unitsPerRepeat);

void addSphere(Mesh* mesh, const Placement& at, double radius, int slices, int stacks,
               double unitsPerRepeat);

// A tube of circular section around a closed path (the last point joins the first).
void addTube(Mesh* mesh, const Placement& at, const std::vector<Vec3>& path, double radius,
             int sides, double unitsPerRepeat);

// The convex solid bounded by the planes with the given outward normals, each touching the
// farthest of the vertices; every vertex must lie on three or more of those planes.
void addConvexSolid(Mesh* mesh, const Placement& at, const std::vector<Vec3>& vertices,
                    const std::vector<Vec3>& faceNormals, double unitsPerRepeat);

void addDodecahedron(Mesh* mesh, const Placement& at, double radius, double unitsPerRepeat);

// A tapering square shaft standing on the local origin, topped by a pyramid.
void addObelisk(Mesh* mesh, const Placement& at, double baseHalfWidth, double topHalfWidth,
                double shaftHeight, double pyramidHeight, double unitsPerRepeat);

// A torus around the local Y axis.
void addTorus(Mesh* mesh, const Placement& at, double ringRadius, double tubeRadius, int segments,
              int sides, double unitsPerRepeat);
