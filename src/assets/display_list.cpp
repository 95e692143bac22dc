#include <epoxy/gl.h>

#include "assets/display_list.h"

#include <cmath>

#include "assets/gl_error.h"

namespace {

// An index that lies inside an array of `count` records (a null array holds none).
inline bool inside(int32_t index, int32_t count, const float* array) {
    return array && index >= 0 && index < count;
}

// The unit normal of the triangle's winding; (0, 0, 0) for a degenerate one.
void faceNormal(const float* a, const float* b, const float* c, float normal[3]) {
    const float u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const float v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    normal[0] = u[1] * v[2] - u[2] * v[1];
    normal[1] = u[2] * v[0] - u[0] * v[2];
    normal[2] = u[0] * v[1] - u[1] * v[0];
    const float length =
        std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    const float scale = length > 0.0f ? 1.0f / length : 0.0f;
    for (int i = 0; i < 3; ++i) normal[i] *= scale;
}

bool drawable(const ObjModel& model, const ObjFace& face) {
    for (const int32_t index : face.vertexIndex)
        if (!inside(index, model.vertexCount, model.vertices)) return false;
    return true;
}

void emitTriangle(const ObjModel* model, const ObjFace& face) {
    if (!drawable(*model, face)) return;
    const float* position[3];
    for (int k = 0; k < 3; ++k)
        position[k] = model->vertices + 3 * static_cast<size_t>(face.vertexIndex[k]);
    float ownNormal[3];
    faceNormal(position[0], position[1], position[2], ownNormal);
    static const float NO_TEXTURE[2] = {0.0f, 0.0f};
    for (int k = 0; k < 3; ++k) {
        const int32_t n = face.normalIndex[k];
        const int32_t t = face.texCoordIndex[k];
        const float* normal = inside(n, model->normalCount, model->normals)
                                  ? model->normals + 3 * static_cast<size_t>(n)
                                  : ownNormal;
        const float* texCoord = inside(t, model->texCoordCount, model->texCoords)
                                    ? model->texCoords + 2 * static_cast<size_t>(t)
                                    : NO_TEXTURE;
        glNormal3f(normal[0], normal[1], normal[2]);
        glTexCoord2f(texCoord[0], texCoord[1]);
        glVertex3f(position[k][0], position[k][1], position[k][2]);
    }
}

}  // namespace

uint32_t compileModelList(const ObjModel* model, uint32_t list, uint32_t* glError) {
    if (!model) return 0;
    takeGlError();  // what earlier calls left is theirs
    const bool own = list == 0;
    if (own) list = glGenLists(1);
    if (list == 0) return 0;
    glNewList(list, GL_COMPILE);
    glBegin(GL_TRIANGLES);
    const int32_t faceCount = model->faces ? model->faceCount : 0;
    for (int32_t i = 0; i < faceCount; ++i) emitTriangle(model, model->faces[i]);
    glEnd();
    glEndList();
    const uint32_t error = takeGlError();
    if (error == 0) return list;
    if (own) glDeleteLists(list, 1);
    if (glError) *glError = error;
    return 0;
}

int32_t drawableTriangles(const ObjModel& model) {
    int32_t count = 0;
    const int32_t faceCount = model.faces ? model.faceCount : 0;
    for (int32_t i = 0; i < faceCount; ++i) count += drawable(model, model.faces[i]);
    return count;
}
