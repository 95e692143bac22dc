// What the parts of the browser's GL module share (gl_lists_web.cpp, gl_state_web.cpp,
// gl_shader_web.cpp): the fixed-function state the renderer set, kept for the programs that draw
// lists, and those programs' locations. Included by the module alone, after Emscripten's GL.
#pragma once

#include <string>

constexpr int UNITS = 2;  // the texture units the renderer binds

struct Light {
    GLfloat ambient[4];
    GLfloat diffuse[4];
    GLfloat specular[4];
    GLfloat position[4];  // eye coordinates, as given under the modelview of its call
};

struct Material {
    GLfloat emission[4];
    GLfloat ambient[4];
    GLfloat diffuse[4];
    GLfloat specular[4];
    GLfloat shininess;
};

// OpenGL's defaults for the state the lists' programs read.
struct FixedState {
    Light light0;
    Material front;
    GLfloat modelAmbient[4];
    GLfloat fogColor[4];
    GLfloat fogDensity;
    GLfloat fogStart;
    GLfloat fogEnd;
    bool lighting;
    bool light0Enabled;
    bool fog;
    bool texturing[UNITS];  // GL_TEXTURE_2D per unit
    int activeUnit;
    GLuint bound[UNITS];  // the names the renderer bound, 0 included
    GLuint program;       // the program the renderer uses; 0 for the fixed function
};

// Written by the state's entry points (gl_state_web.cpp) on the one thread that draws.
extern FixedState fixedState;

// Uniform and attribute locations of one program that draws lists; -1 where it has none.
enum Uniform {
    U_MODEL_VIEW,
    U_PROJECTION,
    U_NORMAL_MATRIX,
    U_LIGHT_AMBIENT,
    U_LIGHT_DIFFUSE,
    U_LIGHT_SPECULAR,
    U_LIGHT_POSITION,
    U_MATERIAL_EMISSION,
    U_MATERIAL_AMBIENT,
    U_MATERIAL_DIFFUSE,
    U_MATERIAL_SPECULAR,
    U_MATERIAL_SHININESS,
    U_PRODUCT_AMBIENT,
    U_PRODUCT_DIFFUSE,
    U_PRODUCT_SPECULAR,
    U_SCENE_COLOR,
    U_FOG_COLOR,
    U_FOG_DENSITY,
    U_FOG_START,
    U_FOG_END,
    U_FOG_SCALE,
    U_LIGHTING,   // the module's own program only
    U_TEXTURING,  // the module's own program only
    U_FOGGING,    // the module's own program only
    U_SAMPLER,    // the module's own program only
    UNIFORM_COUNT,
};
enum Attribute { A_VERTEX, A_NORMAL, A_TEX_COORD, ATTRIBUTE_COUNT };

struct ProgramLocations {
    GLuint program;
    GLint uniforms[UNIFORM_COUNT];
    GLint attributes[ATTRIBUTE_COUNT];
};

// The locations in `program`, looked up on its first use.
const ProgramLocations& listProgramLocations(GLuint program);

// The module's own program for lists drawn without one.
GLuint ownListProgram();

// The desktop shader text mapped onto GLSL ES and the module's uniforms.
std::string mapShaderText(std::string text, bool vertex);

// Sets the uniforms of the program in use from the fixed state and the matrices.
void setFixedUniforms(const GLint* uniforms);

// Binds on `unit` what the renderer bound there, white for 0 unless `blackForNone`: a program
// samples an unbound unit as black on the desktop too.
void bindUnit(int unit, bool blackForNone);
