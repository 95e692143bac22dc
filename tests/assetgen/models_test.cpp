#include <gtest/gtest.h>
#include <tiny_obj_loader.h>
#include <unistd.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "assets/obj_reader.h"
#include "driver/frame_loop.h"
#include "driver/render_state.h"
#include "driver/timeline.h"
#include "mesh.h"
#include "models.h"
#include "pack_files.h"

namespace {

struct PeerModel {
    tinyobj::attrib_t attributes;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
};

// The pack's files read by a second, independent reader, polygons kept whole.
bool loadPeer(const char* name, PeerModel* model) {
    std::string warnings, errors;
    bool ok = tinyobj::LoadObj(&model->attributes, &model->shapes, &model->materials, &warnings,
                               &errors, packPath(name).c_str(), packPath("").c_str(), false);
    EXPECT_TRUE(warnings.empty() && errors.empty()) << name << ": " << warnings << errors;
    return ok;
}

Vec3 peerVector(const std::vector<tinyobj::real_t>& values, int index) {
    return {values[3 * index], values[3 * index + 1], values[3 * index + 2]};
}

}  // namespace

// The reader resolves the material library against the working directory, as the presentation
// does when it plays from the pack.
TEST(AssetPackModels, LoadThroughTheProjectReaderWithTheCountsTheyWereBuiltWith) {
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(chdir(packPath("").c_str()), 0);
    for (const ModelDesign& design : MODEL_DESIGNS) {
        SCOPED_TRACE(modelDesignPath(design));
        Mesh expected = {};
        design.build(&expected);
        ObjModel* model = nullptr;
        ASSERT_EQ(loadObjModel(&model, modelDesignPath(design)), ObjResult::LOADED);
        ASSERT_NE(model, nullptr);
        const std::unique_ptr<ObjModel, void (*)(ObjModel*)> owned(model, freeObjModel);
        EXPECT_EQ(model->vertexCount, static_cast<int32_t>(expected.positions.size()));
        EXPECT_EQ(model->texCoordCount, static_cast<int32_t>(expected.texCoords.size() / 2));
        EXPECT_EQ(model->normalCount, static_cast<int32_t>(expected.normals.size()));
        ASSERT_EQ(model->faceCount, triangleCount(expected));
        ASSERT_EQ(model->materialCount, static_cast<int32_t>(expected.materials.size()));
        for (int32_t m = 0; m < model->materialCount; ++m) {
            EXPECT_EQ(expected.materials[m].name, model->materials[m].name);
        }
        int32_t face = 0;
        for (const MeshPolygon& polygon : expected.polygons) {
            for (int32_t t = 0; t < polygon.cornerCount - 2; ++t, ++face) {
                const ObjFace& f = model->faces[face];
                ASSERT_EQ(f.materialIndex, polygon.material) << "face " << face;
                ASSERT_TRUE(f.hasNormals && f.hasTexCoords) << "face " << face;
                for (int c = 0; c < 3; ++c) {
                    ASSERT_TRUE(f.vertexIndex[c] >= 0 && f.vertexIndex[c] < model->vertexCount);
                    ASSERT_TRUE(f.normalIndex[c] >= 0 && f.normalIndex[c] < model->normalCount);
                    ASSERT_TRUE(f.texCoordIndex[c] >= 0 &&
                                f.texCoordIndex[c] < model->texCoordCount);
                }
            }
        }
    }
    ASSERT_EQ(chdir(previous), 0);
}

// Every edge is shared by exactly two polygons that run along it in opposite directions (closed
// and consistently wound), every corner's normal leans the way its polygon faces, every material
// resolves, and the pack has triangles, quads and larger polygons.
TEST(AssetPackModels, AreClosedConsistentlyWoundMeshesWithOutwardNormals) {
    std::map<int, int> polygonSizes;
    for (const ModelDesign& design : MODEL_DESIGNS) {
        SCOPED_TRACE(modelDesignPath(design));
        PeerModel peer;
        ASSERT_TRUE(loadPeer(modelDesignPath(design), &peer));
        std::map<std::pair<int, int>, int> directedEdges;
        int badNormals = 0, unresolved = 0;
        for (const tinyobj::shape_t& shape : peer.shapes) {
            size_t offset = 0;
            for (size_t p = 0; p < shape.mesh.num_face_vertices.size(); ++p) {
                const int corners = shape.mesh.num_face_vertices[p];
                ++polygonSizes[corners > 4 ? 5 : corners];
                if (shape.mesh.material_ids[p] < 0) ++unresolved;
                Vec3 facing = {0, 0, 0};  // Newell's normal of the polygon
                for (int c = 0; c < corners; ++c) {
                    const tinyobj::index_t& a = shape.mesh.indices[offset + c];
                    const tinyobj::index_t& b = shape.mesh.indices[offset + (c + 1) % corners];
                    ++directedEdges[{a.vertex_index, b.vertex_index}];
                    facing =
                        add(facing, cross(peerVector(peer.attributes.vertices, a.vertex_index),
                                          peerVector(peer.attributes.vertices, b.vertex_index)));
                }
                ASSERT_GT(length(facing), 0.0) << "degenerate polygon " << p;
                for (int c = 0; c < corners; ++c) {
                    Vec3 n = peerVector(peer.attributes.normals,
                                        shape.mesh.indices[offset + c].normal_index);
                    if (dot(n, facing) <= 0.0 || std::fabs(length(n) - 1.0) > 0.01) ++badNormals;
                }
                offset += corners;
            }
        }
        EXPECT_EQ(badNormals, 0);
        EXPECT_EQ(unresolved, 0);
        int openOrMisWound = 0;
        for (const auto& [edge, count] : directedEdges) {
            auto opposite = directedEdges.find({edge.second, edge.first});
            if (count != 1 || opposite == directedEdges.end() || opposite->second != 1)
                ++openOrMisWound;
        }
        EXPECT_EQ(openOrMisWound, 0);
    }
    EXPECT_GT(polygonSizes[3], 0);
    EXPECT_GT(polygonSizes[4], 0);
    EXPECT_GT(polygonSizes[5], 0);
}

namespace {

// Where the scenes put one of their models at pass n of the scene, in eye space.
struct PlacedModel {
    const char* objName;
    int scene;
    const SceneModel* model;
    int passes;  // the scene's length at the frame loop's rate
};

Vec3 place(const PlacedModel& placement, Vec3 p, double n) {
    const ScenePlacement at = placeSceneModel(placement.scene, *placement.model, n);
    const Vec3 turned = rotated(add(p, {at.swayX, 0, 0}), {0, 1, 0}, at.yawDegrees);
    return add(turned, {at.offset[0], at.offset[1], at.offset[2]});
}

std::vector<PlacedModel> scenePlacements() {
    std::vector<PlacedModel> placements;
    for (int scene = 0; scene < SCENE_COUNT; ++scene) {
        const Scene& record = scenes[scene];
        const int passes = static_cast<int>((record.end - record.start) * DEMO_FPS);
        for (int m = 0; m < sceneModelCount(record); ++m)
            placements.push_back(
                {sceneModelPath(record.models[m].list), scene, &record.models[m], passes});
    }
    return placements;
}

// The view's half extents per unit of depth: 65 degrees high, 16:9 wide.
const double VIEW_HALF_HEIGHT = std::tan(FIELD_OF_VIEW / 2.0 * M_PI / 180.0);
const double VIEW_HALF_WIDTH = VIEW_HALF_HEIGHT * 16.0 / 9.0;

bool inView(Vec3 p) {
    double depth = -p.z;
    return depth > NEAR_PLANE && depth < FAR_PLANE && std::fabs(p.x) < VIEW_HALF_WIDTH * depth &&
           std::fabs(p.y) < VIEW_HALF_HEIGHT * depth;
}

// Whether the triangle, seen along the line of sight, overlaps the near plane's window
// (separating axes: the window's two, then the triangle's edge normals).
bool overlapsNearWindow(const Vec3 t[3]) {
    const double hx = VIEW_HALF_WIDTH * NEAR_PLANE, hy = VIEW_HALF_HEIGHT * NEAR_PLANE;
    double minX = std::fmin(t[0].x, std::fmin(t[1].x, t[2].x)),
           maxX = std::fmax(t[0].x, std::fmax(t[1].x, t[2].x));
    double minY = std::fmin(t[0].y, std::fmin(t[1].y, t[2].y)),
           maxY = std::fmax(t[0].y, std::fmax(t[1].y, t[2].y));
    if (maxX < -hx || minX > hx || maxY < -hy || minY > hy) return false;
    for (int e = 0; e < 3; ++e) {
        Vec3 a = t[e], b = t[(e + 1) % 3], c = t[(e + 2) % 3];
        double nx = b.y - a.y, ny = a.x - b.x;
        double side = nx * (c.x - a.x) + ny * (c.y - a.y);
        double reach = std::fabs(nx) * hx + std::fabs(ny) * hy;  // the window's extent on the axis
        double windowCentre = -(nx * a.x + ny * a.y);
        if (windowCentre + reach < std::fmin(0.0, side) ||
            windowCentre - reach > std::fmax(0.0, side)) {
            return false;
        }
    }
    return true;
}

}  // namespace

// While its scene plays, no model comes nearer than the near plane inside the view, so nothing is
// visibly cut; and halfway through its scene every model is in the picture.
TEST(AssetPackModels, StayBeyondTheNearPlaneAndInViewWhileTheirScenePlays) {
    const std::vector<PlacedModel> placements = scenePlacements();
    ASSERT_EQ(placements.size(), static_cast<size_t>(SCENE_MODEL_COUNT));
    for (const PlacedModel& placement : placements) {
        SCOPED_TRACE(placement.objName);
        PeerModel peer;
        ASSERT_TRUE(loadPeer(placement.objName, &peer));
        const std::vector<tinyobj::real_t>& v = peer.attributes.vertices;
        const int vertexCount = static_cast<int>(v.size() / 3);
        int inViewHalfway = 0;
        for (int k = 0; k < vertexCount; ++k) {
            if (inView(place(placement, peerVector(v, k), placement.passes / 2))) ++inViewHalfway;
        }
        EXPECT_GT(inViewHalfway, vertexCount / 20);
        for (int n = 0; n <= placement.passes; n += 6) {
            std::vector<Vec3> placed(vertexCount);
            for (int k = 0; k < vertexCount; ++k) placed[k] = place(placement, peerVector(v, k), n);
            for (const tinyobj::shape_t& shape : peer.shapes) {
                size_t offset = 0;
                for (int corners : shape.mesh.num_face_vertices) {
                    Vec3 triangle[3];
                    triangle[0] = placed[shape.mesh.indices[offset].vertex_index];
                    for (int c = 1; c + 1 < corners; ++c) {
                        triangle[1] = placed[shape.mesh.indices[offset + c].vertex_index];
                        triangle[2] = placed[shape.mesh.indices[offset + c + 1].vertex_index];
                        bool near = -triangle[0].z < NEAR_PLANE || -triangle[1].z < NEAR_PLANE ||
                                    -triangle[2].z < NEAR_PLANE;
                        ASSERT_FALSE(near && overlapsNearWindow(triangle)) << "cut at pass " << n;
                    }
                    offset += corners;
                }
            }
        }
    }
}
