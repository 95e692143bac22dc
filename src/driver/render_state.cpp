#include <epoxy/gl.h>

#include "driver/render_state.h"

#include "platform/glu.h"

namespace {

struct LightParameter {
    GLenum target;
    GLenum name;
    GLfloat value[4];
};

// Order matters only in that the modelview matrix is still the identity when the position is
// given, which puts light 0 at the eye for the whole run.
const LightParameter lightParameters[] = {
    {GL_LIGHT0, GL_POSITION, {0.0f, 0.0f, 0.0f, 1.0f}},
    {GL_LIGHT0, GL_DIFFUSE, {1.0f, 1.0f, 1.0f, 1.0f}},
    {GL_LIGHT0, GL_AMBIENT, {1.0f, 1.0f, 1.0f, 1.0f}},
    {GL_LIGHT0, GL_SPECULAR, {1.0f, 0.9f, 0.8f, 1.0f}},
};
static_assert(sizeof(lightParameters) / sizeof(lightParameters[0]) == 4);

const GLfloat MATERIAL_DIFFUSE[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const GLfloat MATERIAL_SPECULAR[4] = {0.8f, 0.6f, 0.4f, 1.0f};
const GLint MATERIAL_SHININESS = 120;  // of OpenGL's 0..128

}  // namespace

void setRenderState(int width, int height) {
    if (height < 1) height = 1;
    glViewport(0, 0, width, height);

    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);

    // The matrix mode stays GL_PROJECTION; the frame loop selects the modelview at every pass.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW, static_cast<double>(width) / static_cast<double>(height),
                   NEAR_PLANE, FAR_PLANE);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);

    for (const LightParameter& p : lightParameters) glLightfv(p.target, p.name, p.value);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, MATERIAL_DIFFUSE);
    glMaterialfv(GL_FRONT, GL_SPECULAR, MATERIAL_SPECULAR);
    glMateriali(GL_FRONT, GL_SHININESS, MATERIAL_SHININESS);

    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}
