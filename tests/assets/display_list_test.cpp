// The compiled lists read back under Xvfb: every vertex the list sends (normal, texture
// coordinate, position) is captured with transform feedback, in the order it is drawn.
#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <vector>

#include "assets/display_list.h"
#include "obj_files.h"
#include "support/gl_context.h"

namespace {

struct CapturedVertex {
    float normal[3];
    float texCoord[2];
    float position[3];
};

GLuint captureProgram() {
    static GLuint program = 0;
    if (program) return program;
    const char* source =
        "#version 130\n"
        "out vec3 capturedNormal;\n"
        "out vec2 capturedTexCoord;\n"
        "out vec3 capturedPosition;\n"
        "void main() {\n"
        "    capturedNormal = gl_Normal;\n"
        "    capturedTexCoord = gl_MultiTexCoord0.xy;\n"
        "    capturedPosition = gl_Vertex.xyz;\n"
        "    gl_Position = gl_Vertex;\n"
        "}\n";
    const GLuint shader = glCreateShader(GL_VERTEX_SHADER);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    program = glCreateProgram();
    glAttachShader(program, shader);
    const char* varyings[] = {"capturedNormal", "capturedTexCoord", "capturedPosition"};
    glTransformFeedbackVaryings(program, 3, varyings, GL_INTERLEAVED_ATTRIBS);
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_TRUE(linked);
    return program;
}

// The vertices of the triangles that calling `list` draws.
std::vector<CapturedVertex> capture(GLuint list) {
    constexpr int MOST = 4096;
    GLuint buffer, query;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_TRANSFORM_FEEDBACK_BUFFER, buffer);
    glBufferData(GL_TRANSFORM_FEEDBACK_BUFFER, MOST * sizeof(CapturedVertex), nullptr,
                 GL_STATIC_READ);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, buffer);
    glGenQueries(1, &query);
    glUseProgram(captureProgram());
    glEnable(GL_RASTERIZER_DISCARD);
    glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, query);
    glBeginTransformFeedback(GL_TRIANGLES);
    glCallList(list);
    glEndTransformFeedback();
    glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
    glDisable(GL_RASTERIZER_DISCARD);
    glUseProgram(0);
    GLuint triangles = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &triangles);
    std::vector<CapturedVertex> vertices(triangles * 3);
    glGetBufferSubData(GL_TRANSFORM_FEEDBACK_BUFFER, 0, vertices.size() * sizeof(CapturedVertex),
                       vertices.data());
    glDeleteQueries(1, &query);
    glDeleteBuffers(1, &buffer);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    return vertices;
}

void expectVertex(const CapturedVertex& v, std::initializer_list<float> normal,
                  std::initializer_list<float> texCoord, std::initializer_list<float> position) {
    expectFloats(v.normal, normal);
    expectFloats(v.texCoord, texCoord);
    expectFloats(v.position, position);
}

class DisplayList : public ObjFiles {
protected:
    void SetUp() override {
        ObjFiles::SetUp();
        ASSERT_TRUE(requireGlContext());
    }
};

TEST_F(DisplayList, QuadDrawsTwoTrianglesWithTheStoredCorners) {
    const ObjModel* quad = load("quad.obj");
    const GLuint list = compileModelList(quad);
    ASSERT_NE(list, 0u);
    EXPECT_TRUE(glIsList(list));
    const std::vector<CapturedVertex> v = capture(list);
    ASSERT_EQ(v.size(), 6u);
    const int corner[] = {0, 1, 2, 0, 2, 3};  // corners 0 1 2 of the first record, then the second
    for (int i = 0; i < 6; ++i) {
        const float* p = quad->vertices + 3 * corner[i];
        const float* t = quad->texCoords + 2 * corner[i];
        expectVertex(v[i], {0, 0, 1}, {t[0], t[1]}, {p[0], p[1], p[2]});
    }
    expectFloats(v[4].position, {1, 1, 0});
    expectFloats(v[5].texCoord, {0, 1});
}

TEST_F(DisplayList, TwoModelsGetTwoListsAnEmptyOneDrawsNothingAndNoneGivesZero) {
    const GLuint first = compileModelList(load("quad.obj"));
    const GLuint second = compileModelList(load("pentagon.obj"));
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(capture(second).size(), 9u);
    const GLuint empty = compileModelList(load("empty.obj"));
    EXPECT_TRUE(glIsList(empty));
    EXPECT_TRUE(capture(empty).empty());
    EXPECT_EQ(compileModelList(nullptr), 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DisplayList, IndicesOutsideTheArraysAreNeverRead) {
    const std::vector<CapturedVertex> v = capture(compileModelList(load("indices.obj")));
    // Records 0, 3 and 4 name positions that do not exist and are left out.
    ASSERT_EQ(v.size(), 9u);
    // Record 1, "1/1/1 2/9/9 3/0/0": the stored normal and coordinate, then the face's own
    // normal and (0, 0) for a number past the end and for an absent one.
    expectVertex(v[0], {0, 1, 0}, {0.5f, 0.5f}, {0, 0, 0});
    expectVertex(v[1], {0, 0, 1}, {0, 0}, {1, 0, 0});
    expectVertex(v[2], {0, 0, 1}, {0, 0}, {0, 1, 0});
    // Record 2, "-4/-1/-1 -3 -2": relative numbers resolved.
    expectVertex(v[3], {0, 1, 0}, {0.5f, 0.5f}, {0, 0, 0});
    expectVertex(v[4], {0, 0, 1}, {0, 0}, {1, 0, 0});
    // Record 5, "1/-5/-5 2 3": numbers counting back past the first record.
    expectVertex(v[6], {0, 0, 1}, {0, 0}, {0, 0, 0});
}

}  // namespace
