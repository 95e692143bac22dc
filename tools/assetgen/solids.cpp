#include "solids.h"

#include <algorithm>
#include <cmath>

#include "assets/obj_reader.h"

namespace {

// A single polygon's corner line must stay within one of the reader's face pieces; a corner
// token ("v/t/n" and its blank) takes at most 20 characters in the pack's models.
const int MAX_CAP_CORNERS = static_cast<int>(FACE_PIECE / 20);

void planarTexCoord(Vec3 p, Vec3 normal, double unitsPerRepeat, double* u, double* v) {
    Vec3 up = std::fabs(normal.y) < 0.9 ? Vec3{0, 1, 0} : Vec3{0, 0, -1};
    Vec3 uAxis = normalized(cross(up, normal));
    Vec3 vAxis = cross(normal, uAxis);
    *u = dot(p, uAxis) / unitsPerRepeat;
    *v = dot(p, vAxis) / unitsPerRepeat;
}

// A flat polygon over existing positions, turned round when its winding disagrees with the normal
// it is meant to have; its texture coordinates are projected from the plane.
void addFlatFace(Mesh* mesh, const std::vector<int32_t>& ring, Vec3 normal, double unitsPerRepeat) {
    Vec3 area = {0, 0, 0};
    for (size_t i = 0; i < ring.size(); ++i) {
        Vec3 a = mesh->positions[ring[i]];
        Vec3 b = mesh->positions[ring[(i + 1) % ring.size()]];
        area = add(area, cross(a, b));
    }
    bool reverse = dot(area, normal) < 0.0;
    int32_t normalIndex = addNormal(mesh, normal);
    std::vector<MeshCorner> corners;
    for (size_t i = 0; i < ring.size(); ++i) {
        int32_t position = ring[reverse ? ring.size() - 1 - i : i];
        double u = 0.0, v = 0.0;
        planarTexCoord(mesh->positions[position], normalized(normal), unitsPerRepeat, &u, &v);
        corners.push_back({position, addTexCoord(mesh, u, v), normalIndex});
    }
    addPolygon(mesh, corners.data(), static_cast<int32_t>(corners.size()));
}

// A cap of many corners becomes a fan of quads around a centre position, to keep lines short.
void addCap(Mesh* mesh, const std::vector<int32_t>& ring, Vec3 centre, Vec3 normal,
            double unitsPerRepeat) {
    if (static_cast<int>(ring.size()) <= MAX_CAP_CORNERS || ring.size() % 2 != 0) {
        addFlatFace(mesh, ring, normal, unitsPerRepeat);
        return;
    }
    int32_t middle = addPosition(mesh, centre);
    for (size_t i = 0; i < ring.size(); i += 2) {
        std::vector<int32_t> quad = {middle, ring[i], ring[(i + 1) % ring.size()],
                                     ring[(i + 2) % ring.size()]};
        addFlatFace(mesh, quad, normal, unitsPerRepeat);
    }
}

int repeatsAround(double circumference, double unitsPerRepeat) {
    return std::max(1, static_cast<int>(std::lround(circumference / unitsPerRepeat)));
}

// Unit normal of the profile segment a -> b in the (radius, height) plane, pointing away from the
// solid for a profile that climbs on the outside.
void segmentNormal(ProfilePoint a, ProfilePoint b, double* radial, double* axial) {
    double dr = b.radius - a.radius;
    double dy = b.height - a.height;
    double l = std::sqrt(dr * dr + dy * dy);
    *radial = dy / l;
    *axial = -dr / l;
}

// The normals at profile point k, in the (radius, height) plane, for the segment below it and
// the one above; equal, and averaged, unless the point is a crease.
struct LatheNormals {
    double belowRadial, belowAxial, aboveRadial, aboveAxial;
};

LatheNormals latheNormals(const std::vector<ProfilePoint>& profile, int k) {
    const int points = static_cast<int>(profile.size());
    const ProfilePoint& p = profile[k];
    double belowRadial = 0, belowAxial = 0, aboveRadial = 0, aboveAxial = 0;
    if (k > 0) segmentNormal(profile[k - 1], p, &belowRadial, &belowAxial);
    if (k + 1 < points) segmentNormal(p, profile[k + 1], &aboveRadial, &aboveAxial);
    if (k == 0) belowRadial = aboveRadial, belowAxial = aboveAxial;
    if (k + 1 == points) aboveRadial = belowRadial, aboveAxial = belowAxial;
    if (!p.crease) {
        double r = belowRadial + aboveRadial, y = belowAxial + aboveAxial;
        if (p.radius <= 0.0) r = 0.0;
        double l = std::hypot(r, y);
        belowRadial = aboveRadial = r / l;
        belowAxial = aboveAxial = y / l;
    }
    return {belowRadial, belowAxial, aboveRadial, aboveAxial};
}

// How a lathe goes round: its slices, and how often the texture repeats round it.
struct LatheSlices {
    int slices;
    int uRepeats;
    double unitsPerRepeat;
};

// The records of one profile point's ring, one per slice (texture coordinates one more, for the
// seam): positions, and the normals its quads below and above use.
struct LatheRing {
    std::vector<int32_t> position, below, above, texCoord;
};

// A pole (radius 0) has one position; its slices sit half a slice on, as a triangle's tip.
void addLatheRing(Mesh* mesh, const Placement& at, const ProfilePoint& p, const LatheNormals& n,
                  double arc, const LatheSlices& around, LatheRing* ring) {
    const bool pole = p.radius <= 0.0;
    const bool axialNormals = std::fabs(n.belowRadial) < 1e-9 && std::fabs(n.aboveRadial) < 1e-9;
    const int slices = around.slices;
    for (int s = 0; s <= slices; ++s) {
        double angle = 2.0 * M_PI * (pole ? s + 0.5 : s) / slices;
        double u = around.uRepeats * (pole ? s + 0.5 : s) / slices;
        ring->texCoord.push_back(addTexCoord(mesh, u, arc / around.unitsPerRepeat));
        if (s == slices) break;
        Vec3 outward = {std::sin(angle), 0.0, std::cos(angle)};
        if (!pole || s == 0) {
            ring->position.push_back(addPosition(
                mesh, placePoint(at, {p.radius * outward.x, p.height, p.radius * outward.z})));
        } else {
            ring->position.push_back(ring->position[0]);
        }
        if (axialNormals && s > 0) {
            ring->below.push_back(ring->below[0]);
            ring->above.push_back(ring->above[0]);
            continue;
        }
        Vec3 nb = {n.belowRadial * outward.x, n.belowAxial, n.belowRadial * outward.z};
        ring->below.push_back(addNormal(mesh, placeDirection(at, nb)));
        if (p.crease) {
            Vec3 na = {n.aboveRadial * outward.x, n.aboveAxial, n.aboveRadial * outward.z};
            ring->above.push_back(addNormal(mesh, placeDirection(at, na)));
        } else {
            ring->above.push_back(ring->below.back());
        }
    }
}

// Quads between neighbouring rings; triangles where one of them is a pole.
void stitchLathe(Mesh* mesh, const std::vector<ProfilePoint>& profile, int slices,
                 const std::vector<LatheRing>& rings) {
    for (size_t k = 0; k + 1 < profile.size(); ++k) {
        bool bottomPole = profile[k].radius <= 0.0;
        bool topPole = profile[k + 1].radius <= 0.0;
        if (bottomPole && topPole) continue;
        const LatheRing& low = rings[k];
        const LatheRing& high = rings[k + 1];
        for (int s = 0; s < slices; ++s) {
            int n = (s + 1) % slices;
            MeshCorner a = {low.position[s], low.texCoord[s], low.above[s]};
            MeshCorner b = {low.position[n], low.texCoord[s + 1], low.above[n]};
            MeshCorner c = {high.position[n], high.texCoord[s + 1], high.below[n]};
            MeshCorner d = {high.position[s], high.texCoord[s], high.below[s]};
            if (bottomPole) {
                MeshCorner triangle[3] = {a, c, d};
                addPolygon(mesh, triangle, 3);
            } else if (topPole) {
                MeshCorner triangle[3] = {a, b, d};
                addPolygon(mesh, triangle, 3);
            } else {
                MeshCorner quad[4] = {a, b, c, d};
                addPolygon(mesh, quad, 4);
            }
        }
    }
}

// Frames along a closed path: the tangent at each point, and a normal carried along it by
// parallel transport, which keeps the section from twisting; what twist remains on the way back
// to the start is spread evenly so the seam closes without a jump. Returns the path's length.
double frameTube(const std::vector<Vec3>& path, std::vector<Vec3>* tangent,
                 std::vector<Vec3>* normal) {
    const int count = static_cast<int>(path.size());
    tangent->resize(count);
    normal->resize(count);
    std::vector<Vec3>& t = *tangent;
    std::vector<Vec3>& n = *normal;
    double pathLength = 0.0;
    for (int i = 0; i < count; ++i) {
        Vec3 next = path[(i + 1) % count];
        Vec3 previous = path[(i + count - 1) % count];
        t[i] = normalized(sub(next, previous));
        pathLength += length(sub(next, path[i]));
    }
    Vec3 seed = std::fabs(t[0].y) < 0.9 ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    n[0] = normalized(sub(seed, scale(t[0], dot(seed, t[0]))));
    for (int i = 1; i <= count; ++i) {
        Vec3 along = t[i % count];
        Vec3 carried = normalized(sub(n[i - 1], scale(along, dot(n[i - 1], along))));
        if (i < count) {
            n[i] = carried;
            continue;
        }
        double twist = std::atan2(dot(cross(carried, n[0]), t[0]), dot(carried, n[0]));
        for (int j = 1; j < count; ++j) {
            n[j] = rotated(n[j], t[j], twist * 180.0 / M_PI * j / count);
        }
    }
    return pathLength;
}

}  // namespace

void addBox(Mesh* mesh, const Placement& at, Vec3 halfSize, double unitsPerRepeat) {
    int32_t corner[8];
    for (int i = 0; i < 8; ++i) {
        Vec3 local = {(i & 1) ? halfSize.x : -halfSize.x, (i & 2) ? halfSize.y : -halfSize.y,
                      (i & 4) ? halfSize.z : -halfSize.z};
        corner[i] = addPosition(mesh, placePoint(at, local));
    }
    // For each axis bit, the two other bits walk the face's corners in a cycle.
    for (int axis = 0; axis < 3; ++axis) {
        int b = 1 << ((axis + 1) % 3);
        int c = 1 << ((axis + 2) % 3);
        for (int side = 0; side < 2; ++side) {
            int base = side ? (1 << axis) : 0;
            std::vector<int32_t> ring = {corner[base], corner[base | b], corner[base | b | c],
                                         corner[base | c]};
            Vec3 local = {axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0, axis == 2 ? 1.0 : 0.0};
            addFlatFace(mesh, ring, placeDirection(at, scale(local, side ? 1.0 : -1.0)),
                        unitsPerRepeat);
        }
    }
}

void addPrismRing(Mesh* mesh, const Placement& at, int sides, double innerApothem,
                  double outerApothem, double halfDepth, double unitsPerRepeat) {
    double step = 2.0 * M_PI / sides;
    double toCorner = 1.0 / std::cos(step / 2.0);
    std::vector<int32_t> innerFront, outerFront, innerBack, outerBack;
    for (int k = 0; k < sides; ++k) {
        double angle = step * (k + 0.5);
        Vec3 direction = {std::cos(angle), std::sin(angle), 0.0};
        Vec3 inner = scale(direction, innerApothem * toCorner);
        Vec3 outer = scale(direction, outerApothem * toCorner);
        innerFront.push_back(addPosition(mesh, placePoint(at, {inner.x, inner.y, halfDepth})));
        outerFront.push_back(addPosition(mesh, placePoint(at, {outer.x, outer.y, halfDepth})));
        innerBack.push_back(addPosition(mesh, placePoint(at, {inner.x, inner.y, -halfDepth})));
        outerBack.push_back(addPosition(mesh, placePoint(at, {outer.x, outer.y, -halfDepth})));
    }
    for (int k = 0; k < sides; ++k) {
        int n = (k + 1) % sides;
        Vec3 radial = {std::cos(step * (k + 1)), std::sin(step * (k + 1)), 0.0};
        addFlatFace(mesh, {innerFront[k], outerFront[k], outerFront[n], innerFront[n]},
                    placeDirection(at, {0, 0, 1}), unitsPerRepeat);
        addFlatFace(mesh, {innerBack[k], outerBack[k], outerBack[n], innerBack[n]},
                    placeDirection(at, {0, 0, -1}), unitsPerRepeat);
        addFlatFace(mesh, {outerFront[k], outerBack[k], outerBack[n], outerFront[n]},
                    placeDirection(at, radial), unitsPerRepeat);
        addFlatFace(mesh, {innerFront[k], innerBack[k], innerBack[n], innerFront[n]},
                    placeDirection(at, scale(radial, -1.0)), unitsPerRepeat);
    }
}

void addLathe(Mesh* mesh, const Placement& at, const std::vector<ProfilePoint>& profile, int slices,
              double unitsPerRepeat) {
    const int points = static_cast<int>(profile.size());
    double maxRadius = 0.0;
    for (const ProfilePoint& p : profile) maxRadius = std::max(maxRadius, p.radius);
    const LatheSlices around = {slices, repeatsAround(2.0 * M_PI * maxRadius, unitsPerRepeat),
                                unitsPerRepeat};

    std::vector<LatheRing> rings(points);
    double arc = 0.0;
    for (int k = 0; k < points; ++k) {
        const ProfilePoint& p = profile[k];
        if (k > 0) {
            arc += std::hypot(p.radius - profile[k - 1].radius, p.height - profile[k - 1].height);
        }
        addLatheRing(mesh, at, p, latheNormals(profile, k), arc, around, &rings[k]);
    }
    stitchLathe(mesh, profile, slices, rings);

    const ProfilePoint& first = profile.front();
    const ProfilePoint& last = profile.back();
    if (first.radius > 0.0) {
        addCap(mesh, rings.front().position, placePoint(at, {0, first.height, 0}),
               placeDirection(at, {0, -1, 0}), unitsPerRepeat);
    }
    if (last.radius > 0.0) {
        addCap(mesh, rings.back().position, placePoint(at, {0, last.height, 0}),
               placeDirection(at, {0, 1, 0}), unitsPerRepeat);
    }
}

void addSphere(Mesh* mesh, const Placement& at, double radius, int slices, int stacks,
               double unitsPerRepeat) {
    std::vector<ProfilePoint> profile;
    for (int k = 0; k <= stacks; ++k) {
        double angle = M_PI * k / stacks - M_PI / 2.0;
        double r = k == 0 || k == stacks ? 0.0 : radius * std::cos(angle);
        profile.push_back({r, radius * std::sin(angle), 0});
    }
    addLathe(mesh, at, profile, slices, unitsPerRepeat);
}

void addTube(Mesh* mesh, const Placement& at, const std::vector<Vec3>& path, double radius,
             int sides, double unitsPerRepeat) {
    const int count = static_cast<int>(path.size());
    std::vector<Vec3> tangent, normal;
    const double pathLength = frameTube(path, &tangent, &normal);

    const int uRepeats = repeatsAround(pathLength, unitsPerRepeat);
    const int vRepeats = repeatsAround(2.0 * M_PI * radius, unitsPerRepeat);
    std::vector<int32_t> position(count * sides), normalIndex(count * sides);
    std::vector<int32_t> texCoord((count + 1) * (sides + 1));
    for (int i = 0; i <= count; ++i) {
        for (int j = 0; j <= sides; ++j) {
            texCoord[i * (sides + 1) + j] =
                addTexCoord(mesh, uRepeats * static_cast<double>(i) / count,
                            vRepeats * static_cast<double>(j) / sides);
            if (i == count || j == sides) continue;
            double angle = 2.0 * M_PI * j / sides;
            Vec3 binormal = cross(tangent[i], normal[i]);
            Vec3 direction =
                add(scale(normal[i], std::cos(angle)), scale(binormal, std::sin(angle)));
            position[i * sides + j] =
                addPosition(mesh, placePoint(at, add(path[i], scale(direction, radius))));
            normalIndex[i * sides + j] = addNormal(mesh, placeDirection(at, direction));
        }
    }
    for (int i = 0; i < count; ++i) {
        for (int j = 0; j < sides; ++j) {
            int corners[4][2] = {{i, j}, {i, j + 1}, {i + 1, j + 1}, {i + 1, j}};
            MeshCorner quad[4];
            for (int c = 0; c < 4; ++c) {
                int ring = corners[c][0] % count;
                int around = corners[c][1] % sides;
                quad[c] = {position[ring * sides + around],
                           texCoord[corners[c][0] * (sides + 1) + corners[c][1]],
                           normalIndex[ring * sides + around]};
            }
            addPolygon(mesh, quad, 4);
        }
    }
}

void addConvexSolid(Mesh* mesh, const Placement& at, const std::vector<Vec3>& vertices,
                    const std::vector<Vec3>& faceNormals, double unitsPerRepeat) {
    std::vector<int32_t> placed;
    for (Vec3 v : vertices) placed.push_back(addPosition(mesh, placePoint(at, v)));
    for (Vec3 n : faceNormals) {
        n = normalized(n);
        double reach = -1e30;
        for (Vec3 v : vertices) reach = std::max(reach, dot(v, n));
        std::vector<size_t> onFace;
        Vec3 centre = {0, 0, 0};
        for (size_t i = 0; i < vertices.size(); ++i) {
            if (dot(vertices[i], n) < reach - 1e-6 * std::fabs(reach)) continue;
            onFace.push_back(i);
            centre = add(centre, vertices[i]);
        }
        centre = scale(centre, 1.0 / onFace.size());
        // Order the face's corners by angle about its centre.
        Vec3 e1 = normalized(sub(vertices[onFace[0]], centre));
        Vec3 e2 = cross(n, e1);
        std::sort(onFace.begin(), onFace.end(), [&](size_t a, size_t b) {
            Vec3 da = sub(vertices[a], centre), db = sub(vertices[b], centre);
            return std::atan2(dot(da, e2), dot(da, e1)) < std::atan2(dot(db, e2), dot(db, e1));
        });
        std::vector<int32_t> ring;
        for (size_t i : onFace) ring.push_back(placed[i]);
        addFlatFace(mesh, ring, placeDirection(at, n), unitsPerRepeat);
    }
}

void addDodecahedron(Mesh* mesh, const Placement& at, double radius, double unitsPerRepeat) {
    const double phi = (1.0 + std::sqrt(5.0)) / 2.0;
    const double s = radius / std::sqrt(3.0);
    std::vector<Vec3> vertices;
    for (int i = 0; i < 8; ++i) {
        vertices.push_back({(i & 1) ? s : -s, (i & 2) ? s : -s, (i & 4) ? s : -s});
    }
    std::vector<Vec3> normals;
    for (int i = 0; i < 4; ++i) {
        double a = (i & 1) ? s / phi : -s / phi;
        double b = (i & 2) ? s * phi : -s * phi;
        vertices.push_back({0, a, b});
        vertices.push_back({a, b, 0});
        vertices.push_back({b, 0, a});
        // The faces of a dodecahedron face the vertices of an icosahedron.
        double c = (i & 1) ? 1.0 : -1.0;
        double d = (i & 2) ? phi : -phi;
        normals.push_back({0, d, c});
        normals.push_back({d, c, 0});
        normals.push_back({c, 0, d});
    }
    addConvexSolid(mesh, at, vertices, normals, unitsPerRepeat);
}

void addObelisk(Mesh* mesh, const Placement& at, double baseHalfWidth, double topHalfWidth,
                double shaftHeight, double pyramidHeight, double unitsPerRepeat) {
    const double b = baseHalfWidth, t = topHalfWidth;
    std::vector<Vec3> vertices = {{-b, 0, -b},
                                  {b, 0, -b},
                                  {b, 0, b},
                                  {-b, 0, b},
                                  {-t, shaftHeight, -t},
                                  {t, shaftHeight, -t},
                                  {t, shaftHeight, t},
                                  {-t, shaftHeight, t},
                                  {0, shaftHeight + pyramidHeight, 0}};
    std::vector<Vec3> normals = {{0, -1, 0}};
    // Each side leans in by (b - t) over the shaft and by t over the pyramid.
    const Vec3 side = {shaftHeight, b - t, 0}, roof = {pyramidHeight, t, 0};
    for (int k = 0; k < 4; ++k) {
        normals.push_back(rotated(side, {0, 1, 0}, 90.0 * k));
        normals.push_back(rotated(roof, {0, 1, 0}, 90.0 * k));
    }
    addConvexSolid(mesh, at, vertices, normals, unitsPerRepeat);
}

void addTorus(Mesh* mesh, const Placement& at, double ringRadius, double tubeRadius, int segments,
              int sides, double unitsPerRepeat) {
    std::vector<Vec3> path;
    for (int i = 0; i < segments; ++i) {
        double angle = 2.0 * M_PI * i / segments;
        path.push_back({ringRadius * std::cos(angle), 0.0, -ringRadius * std::sin(angle)});
    }
    addTube(mesh, at, path, tubeRadius, sides, unitsPerRepeat);
}
