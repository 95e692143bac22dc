// Polygon meshes assembled in memory from solids, later written out as an OBJ model.
// Mesh mesh = {}; useMaterial(&mesh, addMaterial(&mesh, copper)); addBox(&mesh, placeAt({0, 0,
// -300}), ...);
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Vec3 {
    double x, y, z;
};

// A rigid placement with uniform scale: local point p goes to origin + axes * p.
struct Placement {
    Vec3 axisX, axisY, axisZ;  // columns; equal lengths (the scale)
    Vec3 origin;
};

struct MeshCorner {
    int32_t position;  // 0-based
    int32_t texCoord;
    int32_t normal;
};

struct MeshPolygon {
    int32_t firstCorner;  // into Mesh::corners
    int32_t cornerCount;
    int32_t material;  // into Mesh::materials
};

struct MeshMaterial {
    std::string name;
    float diffuse[3];
    float specular[3];
    float shininess;  // 0..1000 as MTL gives it
};

struct Mesh {
    std::vector<Vec3> positions;
    std::vector<double> texCoords;  // u, v per coordinate
    std::vector<Vec3> normals;      // unit length
    std::vector<MeshCorner> corners;
    std::vector<MeshPolygon> polygons;
    std::vector<MeshMaterial> materials;
    int32_t currentMaterial;  // applies to polygons added from now on
};

Vec3 add(Vec3 a, Vec3 b);
Vec3 sub(Vec3 a, Vec3 b);
Vec3 scale(Vec3 a, double s);
double dot(Vec3 a, Vec3 b);
Vec3 cross(Vec3 a, Vec3 b);
double length(Vec3 a);
Vec3 normalized(Vec3 a);
// Turns v about the unit axis by the angle (degrees), right-handed.
Vec3 rotated(Vec3 v, Vec3 axis, double degrees);

Placement placeAt(Vec3 origin);
// The placement's local frame turned about one of its own axes (degrees).
Placement turned(Placement p, Vec3 localAxis, double degrees);
Placement scaled(Placement p, double factor);
Vec3 placePoint(const Placement& p, Vec3 local);
Vec3 placeDirection(const Placement& p, Vec3 local);  // unit length

int32_t addMaterial(Mesh* mesh, const MeshMaterial& material);
void useMaterial(Mesh* mesh, int32_t material);
int32_t addPosition(Mesh* mesh, Vec3 position);
int32_t addNormal(Mesh* mesh, Vec3 normal);
int32_t addTexCoord(Mesh* mesh, double u, double v);
void addPolygon(Mesh* mesh, const MeshCorner* corners, int32_t count);

// Triangles the reader makes of the mesh: a polygon of k corners is cut into k - 2.
int32_t triangleCount(const Mesh& mesh);
