#include "mesh.h"

#include <cmath>

Vec3 add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 scale(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(Vec3 a) { return std::sqrt(dot(a, a)); }

Vec3 normalized(Vec3 a) {
    double l = length(a);
    return l > 0.0 ? scale(a, 1.0 / l) : Vec3{0.0, 0.0, 0.0};
}

Vec3 rotated(Vec3 v, Vec3 axis, double degrees) {
    // Rodrigues' formula.
    double radians = degrees * M_PI / 180.0;
    double c = std::cos(radians);
    double s = std::sin(radians);
    return add(add(scale(v, c), scale(cross(axis, v), s)), scale(axis, dot(axis, v) * (1.0 - c)));
}

Placement placeAt(Vec3 origin) { return {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, origin}; }

Placement turned(Placement p, Vec3 localAxis, double degrees) {
    Vec3 axis = placeDirection(p, localAxis);
    p.axisX = rotated(p.axisX, axis, degrees);
    p.axisY = rotated(p.axisY, axis, degrees);
    p.axisZ = rotated(p.axisZ, axis, degrees);
    return p;
}

Placement scaled(Placement p, double factor) {
    p.axisX = scale(p.axisX, factor);
    p.axisY = scale(p.axisY, factor);
    p.axisZ = scale(p.axisZ, factor);
    return p;
}

namespace {

Vec3 applyAxes(const Placement& p, Vec3 local) {
    return add(add(scale(p.axisX, local.x), scale(p.axisY, local.y)), scale(p.axisZ, local.z));
}

}  // namespace

Vec3 placePoint(const Placement& p, Vec3 local) { return add(p.origin, applyAxes(p, local)); }

// The scale is uniform, so directions need no inverse-transpose, only renormalising.
Vec3 placeDirection(const Placement& p, Vec3 local) { return normalized(applyAxes(p, local)); }

int32_t addMaterial(Mesh* mesh, const MeshMaterial& material) {
    mesh->materials.push_back(material);
    return static_cast<int32_t>(mesh->materials.size()) - 1;
}

void useMaterial(Mesh* mesh, int32_t material) { mesh->currentMaterial = material; }

int32_t addPosition(Mesh* mesh, Vec3 position) {
    mesh->positions.push_back(position);
    return static_cast<int32_t>(mesh->positions.size()) - 1;
}

int32_t addNormal(Mesh* mesh, Vec3 normal) {
    mesh->normals.push_back(normalized(normal));
    return static_cast<int32_t>(mesh->normals.size()) - 1;
}

int32_t addTexCoord(Mesh* mesh, double u, double v) {
    mesh->texCoords.push_back(u);
    mesh->texCoords.push_back(v);
    return static_cast<int32_t>(mesh->texCoords.size() / 2) - 1;
}

void addPolygon(Mesh* mesh, const MeshCorner* corners, int32_t count) {
    MeshPolygon polygon = {static_cast<int32_t>(mesh->corners.size()), count,
                           mesh->currentMaterial};
    mesh->corners.insert(mesh->corners.end(), corners, corners + count);
    mesh->polygons.push_back(polygon);
}

int32_t triangleCount(const Mesh& mesh) {
    int32_t count = 0;
    for (const MeshPolygon& polygon : mesh.polygons) count += polygon.cornerCount - 2;
    return count;
}
