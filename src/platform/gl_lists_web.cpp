// Emscripten's own entry points, not the names <epoxy/gl.h> redirects here.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <vector>

#include "platform/gl_module_web.h"
#include "platform/gl_web.h"

namespace {

// One vertex of a list: position, normal, texture coordinate.
constexpr int VERTEX_FLOATS = 8;
constexpr GLsizei VERTEX_BYTES = VERTEX_FLOATS * sizeof(GLfloat);

struct RecordedList {
    GLuint buffer;  // 0 while the list is empty or not yet ended
    GLsizei vertexCount;
};

struct Recording {
    GLuint list;  // the list being recorded; 0 for none
    bool inside;  // between glBegin and glEnd
    GLfloat normal[3];
    GLfloat texCoord[2];
    std::vector<GLfloat> vertices;
};

// Written and read on the one thread that draws.
struct ListPart {
    std::vector<RecordedList> lists;  // by list name; 0 is never a list
    Recording recording;
};
ListPart gl = {{RecordedList{0, 0}}, Recording{}};

void pointAttribute(GLint location, GLint size, int offsetFloats) {
    if (location < 0) return;
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), size, GL_FLOAT, GL_FALSE, VERTEX_BYTES,
                          reinterpret_cast<const void*>(offsetFloats * sizeof(GLfloat)));
}

void drawList(const RecordedList& list, const ProgramLocations& p) {
    glBindBuffer(GL_ARRAY_BUFFER, list.buffer);
    pointAttribute(p.attributes[A_VERTEX], 3, 0);
    pointAttribute(p.attributes[A_NORMAL], 3, 3);
    pointAttribute(p.attributes[A_TEX_COORD], 2, 6);
    glDrawArrays(GL_TRIANGLES, 0, list.vertexCount);
    for (GLint location : p.attributes)
        if (location >= 0) glDisableVertexAttribArray(static_cast<GLuint>(location));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

}  // namespace

GLuint webGenLists(GLsizei range) {
    if (range <= 0) return 0;
    const GLuint first = static_cast<GLuint>(gl.lists.size());
    gl.lists.resize(gl.lists.size() + static_cast<size_t>(range), RecordedList{0, 0});
    return first;
}

void webNewList(GLuint list, GLenum) {
    if (list == 0 || list >= gl.lists.size()) return;
    gl.recording.list = list;
    gl.recording.vertices.clear();
}

void webEndList() {
    Recording& r = gl.recording;
    if (r.list == 0) return;
    RecordedList& list = gl.lists[r.list];
    if (!list.buffer) glGenBuffers(1, &list.buffer);
    glBindBuffer(GL_ARRAY_BUFFER, list.buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(r.vertices.size() * sizeof(GLfloat)),
                 r.vertices.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    list.vertexCount = static_cast<GLsizei>(r.vertices.size() / VERTEX_FLOATS);
    r.list = 0;
    std::vector<GLfloat>().swap(r.vertices);
}

void webDeleteLists(GLuint list, GLsizei range) {
    for (GLsizei i = 0; i < range; ++i) {
        if (list + i >= gl.lists.size()) return;
        RecordedList& l = gl.lists[list + i];
        if (l.buffer) glDeleteBuffers(1, &l.buffer);
        l = RecordedList{0, 0};
    }
}

void webCallList(GLuint list) {
    if (list == 0 || list >= gl.lists.size() || gl.lists[list].vertexCount == 0) return;
    const FixedState& s = fixedState;
    if (s.program) {
        const ProgramLocations& p = listProgramLocations(s.program);
        setFixedUniforms(p.uniforms);
        for (int unit = 0; unit < UNITS; ++unit) bindUnit(unit, true);
        drawList(gl.lists[list], p);
        for (int unit = 0; unit < UNITS; ++unit) bindUnit(unit, false);
    } else {
        const GLuint program = ownListProgram();
        glUseProgram(program);
        const ProgramLocations& p = listProgramLocations(program);
        setFixedUniforms(p.uniforms);
        glUniform1i(p.uniforms[U_LIGHTING], s.lighting);
        glUniform1i(p.uniforms[U_TEXTURING], s.texturing[0]);
        glUniform1i(p.uniforms[U_FOGGING], s.fog);
        glUniform1i(p.uniforms[U_SAMPLER], 0);
        drawList(gl.lists[list], p);
        glUseProgram(0);
    }
    glActiveTexture(GL_TEXTURE0 + s.activeUnit);
}

void webBegin(GLenum mode) {
    if (gl.recording.list == 0) {
        glBegin(mode);
        return;
    }
    // The renderer records triangles alone.
    gl.recording.inside = mode == GL_TRIANGLES;
}

void webEnd() {
    if (gl.recording.list == 0) {
        glEnd();
        return;
    }
    gl.recording.inside = false;
}

void webNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    if (gl.recording.list == 0) {
        glNormal3f(x, y, z);
        return;
    }
    gl.recording.normal[0] = x;
    gl.recording.normal[1] = y;
    gl.recording.normal[2] = z;
}

void webTexCoord2f(GLfloat s, GLfloat t) {
    if (gl.recording.list == 0) {
        glTexCoord2f(s, t);
        return;
    }
    gl.recording.texCoord[0] = s;
    gl.recording.texCoord[1] = t;
}

void webTexCoord2d(GLdouble s, GLdouble t) {
    webTexCoord2f(static_cast<GLfloat>(s), static_cast<GLfloat>(t));
}

void webVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    Recording& r = gl.recording;
    if (r.list == 0) {
        glVertex3f(x, y, z);
        return;
    }
    if (!r.inside) return;
    const GLfloat vertex[VERTEX_FLOATS] = {
        x, y, z, r.normal[0], r.normal[1], r.normal[2], r.texCoord[0], r.texCoord[1]};
    r.vertices.insert(r.vertices.end(), vertex, vertex + VERTEX_FLOATS);
}

void webVertex2d(GLdouble x, GLdouble y) {
    webVertex3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), 0.0f);
}
