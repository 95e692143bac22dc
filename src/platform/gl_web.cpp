// Emscripten's own entry points, not the names <epoxy/gl.h> redirects here.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/gl_web.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

// One vertex of a list: position, normal, texture coordinate.
constexpr int VERTEX_FLOATS = 8;
constexpr GLsizei VERTEX_BYTES = VERTEX_FLOATS * sizeof(GLfloat);
constexpr int UNITS = 2;  // the texture units the renderer binds

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
const FixedState FIXED_STATE_START = {
    {{0, 0, 0, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {0, 0, 1, 0}},
    {{0, 0, 0, 1}, {0.2f, 0.2f, 0.2f, 1}, {0.8f, 0.8f, 0.8f, 1}, {0, 0, 0, 1}, 0},
    {0.2f, 0.2f, 0.2f, 1},
    {0, 0, 0, 0},
    1,
    0,
    1,
    false,
    false,
    false,
    {false, false},
    0,
    {0, 0},
    0,
};

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
const char* const uniformNames[UNIFORM_COUNT] = {
    "demo_ModelView",
    "demo_Projection",
    "demo_NormalMatrix",
    "demo_LightSource[0].ambient",
    "demo_LightSource[0].diffuse",
    "demo_LightSource[0].specular",
    "demo_LightSource[0].position",
    "demo_FrontMaterial.emission",
    "demo_FrontMaterial.ambient",
    "demo_FrontMaterial.diffuse",
    "demo_FrontMaterial.specular",
    "demo_FrontMaterial.shininess",
    "demo_FrontLightProduct[0].ambient",
    "demo_FrontLightProduct[0].diffuse",
    "demo_FrontLightProduct[0].specular",
    "demo_FrontLightModelProduct.sceneColor",
    "demo_Fog.color",
    "demo_Fog.density",
    "demo_Fog.start",
    "demo_Fog.end",
    "demo_Fog.scale",
    "demo_lighting",
    "demo_texturing",
    "demo_fogging",
    "demo_sampler",
};
enum Attribute { A_VERTEX, A_NORMAL, A_TEX_COORD, ATTRIBUTE_COUNT };
const char* const attributeNames[ATTRIBUTE_COUNT] = {"demo_Vertex", "demo_Normal",
                                                     "demo_MultiTexCoord0"};

struct ProgramLocations {
    GLuint program;
    GLint uniforms[UNIFORM_COUNT];
    GLint attributes[ATTRIBUTE_COUNT];
};

// What the mapped shaders and the module's own program declare.
const char* const SHARED_DECLARATIONS = R"(
struct demo_LightSourceParameters { vec4 ambient; vec4 diffuse; vec4 specular; vec4 position; };
struct demo_MaterialParameters {
    vec4 emission; vec4 ambient; vec4 diffuse; vec4 specular; float shininess;
};
struct demo_LightProducts { vec4 ambient; vec4 diffuse; vec4 specular; };
struct demo_LightModelProducts { vec4 sceneColor; };
struct demo_FogParameters { vec4 color; float density; float start; float end; float scale; };
uniform mat4 demo_ModelView;
uniform mat4 demo_Projection;
uniform mat3 demo_NormalMatrix;
uniform demo_LightSourceParameters demo_LightSource[1];
uniform demo_MaterialParameters demo_FrontMaterial;
uniform demo_LightProducts demo_FrontLightProduct[1];
uniform demo_LightModelProducts demo_FrontLightModelProduct;
uniform demo_FogParameters demo_Fog;
varying vec4 demo_TexCoord0;
)";
const char* const VERTEX_HEAD = R"(precision highp float;
attribute vec4 demo_Vertex;
attribute vec3 demo_Normal;
attribute vec4 demo_MultiTexCoord0;
)";
const char* const FRAGMENT_HEAD = R"(#extension GL_OES_standard_derivatives : enable
precision highp float;
)";

// The fixed function's lighting per vertex and its exponential fog, for lists drawn without a
// program: light 0 only, the viewer at infinity, colour clamped before texturing.
const char* const OWN_VERTEX_TEXT = R"(
uniform bool demo_lighting;
varying vec4 demo_color;
varying float demo_fogDistance;
void main() {
    vec4 eye = demo_ModelView * demo_Vertex;
    gl_Position = demo_Projection * eye;
    demo_TexCoord0 = demo_MultiTexCoord0;
    demo_fogDistance = abs(eye.z);
    if (!demo_lighting) {
        demo_color = vec4(1.0);
        return;
    }
    vec3 normal = demo_NormalMatrix * demo_Normal;
    vec4 light = demo_LightSource[0].position;
    vec3 toLight = normalize(light.w == 0.0 ? light.xyz : light.xyz - eye.xyz);
    float diffuse = max(dot(normal, toLight), 0.0);
    float specular = 0.0;
    if (diffuse > 0.0) {
        vec3 halfway = normalize(toLight + vec3(0.0, 0.0, 1.0));
        specular = pow(max(dot(normal, halfway), 0.0), demo_FrontMaterial.shininess);
    }
    vec3 lit = demo_FrontLightModelProduct.sceneColor.rgb + demo_FrontLightProduct[0].ambient.rgb
             + demo_FrontLightProduct[0].diffuse.rgb * diffuse
             + demo_FrontLightProduct[0].specular.rgb * specular;
    demo_color = clamp(vec4(lit, demo_FrontMaterial.diffuse.a), 0.0, 1.0);
}
)";
const char* const OWN_FRAGMENT_TEXT = R"(
uniform bool demo_texturing;
uniform bool demo_fogging;
uniform sampler2D demo_sampler;
varying vec4 demo_color;
varying float demo_fogDistance;
void main() {
    vec4 color = demo_color;
    if (demo_texturing) color *= texture2D(demo_sampler, demo_TexCoord0.st);
    if (demo_fogging) {
        float f = clamp(exp(-demo_Fog.density * demo_fogDistance), 0.0, 1.0);
        color.rgb = mix(demo_Fog.color.rgb, color.rgb, f);
    }
    gl_FragColor = color;
}
)";

// Written and read on the one thread that draws.
struct GlModule {
    std::vector<RecordedList> lists;  // by list name; 0 is never a list
    Recording recording;
    FixedState state;
    std::vector<ProgramLocations> programs;
    GLuint ownProgram;    // 0 until first needed
    GLuint whiteTexture;  // 0 until first needed
};
GlModule gl = {{RecordedList{0, 0}}, Recording{}, FIXED_STATE_START, {}, 0, 0};

void copy4(GLfloat* to, const GLfloat* from) { std::memcpy(to, from, 4 * sizeof(GLfloat)); }

GLuint whiteTexture() {
    if (gl.whiteTexture) return gl.whiteTexture;
    const unsigned char white[4] = {255, 255, 255, 255};
    glGenTextures(1, &gl.whiteTexture);
    glBindTexture(GL_TEXTURE_2D, gl.whiteTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return gl.whiteTexture;
}

// Binds on `unit` what the renderer bound there, white for 0 unless `blackForNone`: a program
// samples an unbound unit as black on the desktop too.
void bindUnit(int unit, bool blackForNone) {
    const GLuint name = gl.state.bound[unit];
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, name != 0 || blackForNone ? name : whiteTexture());
}

void replaceAll(std::string* text, const char* from, const char* to) {
    const size_t fromLength = std::strlen(from);
    const size_t toLength = std::strlen(to);
    for (size_t at = text->find(from); at != std::string::npos;
         at = text->find(from, at + toLength))
        text->replace(at, fromLength, to);
}

// The desktop text's built-ins renamed; longer names first where one begins another.
std::string mapShaderText(std::string text, bool vertex) {
    // #version must come first in GLSL ES and names a desktop version; commented out, so that
    // line numbers in a log stay as the file has them, less the preamble's.
    for (size_t at = text.find("#version"); at != std::string::npos; at = text.find("#version"))
        text.replace(at, 1, "//");
    const char* const renames[][2] = {
        {"ftransform()", "(demo_Projection * demo_ModelView * demo_Vertex)"},
        {"gl_ModelViewProjectionMatrix", "(demo_Projection * demo_ModelView)"},
        {"gl_ModelViewMatrix", "demo_ModelView"},
        {"gl_ProjectionMatrix", "demo_Projection"},
        {"gl_NormalMatrix", "demo_NormalMatrix"},
        {"gl_Normal", "demo_Normal"},
        {"gl_Vertex", "demo_Vertex"},
        {"gl_MultiTexCoord0", "demo_MultiTexCoord0"},
        {"gl_TexCoord[0]", "demo_TexCoord0"},
        {"gl_LightSource", "demo_LightSource"},
        {"gl_FrontMaterial", "demo_FrontMaterial"},
        {"gl_FrontLightProduct", "demo_FrontLightProduct"},
        {"gl_FrontLightModelProduct", "demo_FrontLightModelProduct"},
        {"gl_Fog", "demo_Fog"},
    };
    for (const auto& rename : renames) replaceAll(&text, rename[0], rename[1]);
    return std::string(vertex ? VERTEX_HEAD : FRAGMENT_HEAD) + SHARED_DECLARATIONS + text;
}

const ProgramLocations& locationsOf(GLuint program) {
    for (const ProgramLocations& p : gl.programs)
        if (p.program == program) return p;
    ProgramLocations p = {program, {}, {}};
    for (int i = 0; i < UNIFORM_COUNT; ++i)
        p.uniforms[i] = glGetUniformLocation(program, uniformNames[i]);
    for (int i = 0; i < ATTRIBUTE_COUNT; ++i)
        p.attributes[i] = glGetAttribLocation(program, attributeNames[i]);
    gl.programs.push_back(p);
    return gl.programs.back();
}

GLuint compileOwnShader(GLenum type, const char* body) {
    const std::string text = mapShaderText(body, type == GL_VERTEX_SHADER);
    const GLuint shader = glCreateShader(type);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

GLuint ownProgram() {
    if (gl.ownProgram) return gl.ownProgram;
    const GLuint program = glCreateProgram();
    const GLuint vertex = compileOwnShader(GL_VERTEX_SHADER, OWN_VERTEX_TEXT);
    const GLuint fragment = compileOwnShader(GL_FRAGMENT_SHADER, OWN_FRAGMENT_TEXT);
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    gl.ownProgram = program;
    return program;
}

// The upper 3x3 of the modelview, inverted and transposed, as OpenGL forms gl_NormalMatrix.
void normalMatrix(const GLfloat* m, GLfloat* n) {
    const double a = m[0], b = m[4], c = m[8];
    const double d = m[1], e = m[5], f = m[9];
    const double g = m[2], h = m[6], i = m[10];
    const double cofactor[9] = {e * i - f * h, f * g - d * i, d * h - e * g,
                                c * h - b * i, a * i - c * g, b * g - a * h,
                                b * f - c * e, c * d - a * f, a * e - b * d};
    const double det = a * cofactor[0] + b * cofactor[1] + c * cofactor[2];
    const double scale = det != 0.0 ? 1.0 / det : 0.0;
    // The inverse's transpose is the cofactor matrix over the determinant; stored by columns.
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            n[column * 3 + row] = static_cast<GLfloat>(cofactor[row * 3 + column] * scale);
}

void setVector(GLint location, const GLfloat* value) {
    if (location >= 0) glUniform4fv(location, 1, value);
}

void setFloat(GLint location, GLfloat value) {
    if (location >= 0) glUniform1f(location, value);
}

void product(const GLfloat* a, const GLfloat* b, GLfloat* out) {
    for (int i = 0; i < 4; ++i) out[i] = a[i] * b[i];
}

void setFixedUniforms(const GLint* u) {
    GLfloat modelView[16];
    GLfloat projection[16];
    GLfloat normals[9];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    normalMatrix(modelView, normals);
    if (u[U_MODEL_VIEW] >= 0) glUniformMatrix4fv(u[U_MODEL_VIEW], 1, GL_FALSE, modelView);
    if (u[U_PROJECTION] >= 0) glUniformMatrix4fv(u[U_PROJECTION], 1, GL_FALSE, projection);
    if (u[U_NORMAL_MATRIX] >= 0) glUniformMatrix3fv(u[U_NORMAL_MATRIX], 1, GL_FALSE, normals);

    const FixedState& s = gl.state;
    // A light that is off contributes nothing: all black.
    static const Light DARK = {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 1, 0}};
    const Light& light = s.light0Enabled ? s.light0 : DARK;
    setVector(u[U_LIGHT_AMBIENT], light.ambient);
    setVector(u[U_LIGHT_DIFFUSE], light.diffuse);
    setVector(u[U_LIGHT_SPECULAR], light.specular);
    setVector(u[U_LIGHT_POSITION], light.position);
    setVector(u[U_MATERIAL_EMISSION], s.front.emission);
    setVector(u[U_MATERIAL_AMBIENT], s.front.ambient);
    setVector(u[U_MATERIAL_DIFFUSE], s.front.diffuse);
    setVector(u[U_MATERIAL_SPECULAR], s.front.specular);
    setFloat(u[U_MATERIAL_SHININESS], s.front.shininess);
    GLfloat p[4];
    product(light.ambient, s.front.ambient, p);
    setVector(u[U_PRODUCT_AMBIENT], p);
    product(light.diffuse, s.front.diffuse, p);
    setVector(u[U_PRODUCT_DIFFUSE], p);
    product(light.specular, s.front.specular, p);
    setVector(u[U_PRODUCT_SPECULAR], p);
    product(s.modelAmbient, s.front.ambient, p);
    for (int i = 0; i < 3; ++i) p[i] += s.front.emission[i];
    p[3] = s.front.diffuse[3];
    setVector(u[U_SCENE_COLOR], p);
    setVector(u[U_FOG_COLOR], s.fogColor);
    setFloat(u[U_FOG_DENSITY], s.fogDensity);
    setFloat(u[U_FOG_START], s.fogStart);
    setFloat(u[U_FOG_END], s.fogEnd);
    const GLfloat span = s.fogEnd - s.fogStart;
    setFloat(u[U_FOG_SCALE], span != 0.0f ? 1.0f / span : 0.0f);
}

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
    const FixedState& s = gl.state;
    if (s.program) {
        const ProgramLocations& p = locationsOf(s.program);
        setFixedUniforms(p.uniforms);
        for (int unit = 0; unit < UNITS; ++unit) bindUnit(unit, true);
        drawList(gl.lists[list], p);
        for (int unit = 0; unit < UNITS; ++unit) bindUnit(unit, false);
    } else {
        const GLuint program = ownProgram();
        glUseProgram(program);
        const ProgramLocations& p = locationsOf(program);
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

void webMaterialfv(GLenum face, GLenum name, const GLfloat* value) {
    if (face != GL_FRONT && face != GL_FRONT_AND_BACK) return;
    Material& m = gl.state.front;
    switch (name) {
    case GL_EMISSION:
        copy4(m.emission, value);
        break;
    case GL_AMBIENT:
        copy4(m.ambient, value);
        break;
    case GL_DIFFUSE:
        copy4(m.diffuse, value);
        break;
    case GL_AMBIENT_AND_DIFFUSE:
        copy4(m.ambient, value);
        copy4(m.diffuse, value);
        break;
    case GL_SPECULAR:
        copy4(m.specular, value);
        break;
    case GL_SHININESS:
        m.shininess = value[0];
        break;
    default:
        break;
    }
}

void webMaterialf(GLenum face, GLenum name, GLfloat value) {
    const GLfloat values[4] = {value, 0, 0, 0};
    webMaterialfv(face, name, values);
}

void webMateriali(GLenum face, GLenum name, GLint value) {
    webMaterialf(face, name, static_cast<GLfloat>(value));
}

void webLightfv(GLenum light, GLenum name, const GLfloat* value) {
    if (light != GL_LIGHT0) return;
    Light& l = gl.state.light0;
    switch (name) {
    case GL_AMBIENT:
        copy4(l.ambient, value);
        break;
    case GL_DIFFUSE:
        copy4(l.diffuse, value);
        break;
    case GL_SPECULAR:
        copy4(l.specular, value);
        break;
    case GL_POSITION: {
        // Kept in eye coordinates, under the modelview of this call.
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        for (int row = 0; row < 4; ++row) {
            l.position[row] = m[row] * value[0] + m[4 + row] * value[1] + m[8 + row] * value[2] +
                              m[12 + row] * value[3];
        }
        break;
    }
    default:
        break;
    }
}

void webLightf(GLenum light, GLenum name, GLfloat value) {
    const GLfloat values[4] = {value, 0, 0, 0};
    webLightfv(light, name, values);
}

void webFogf(GLenum name, GLfloat value) {
    FixedState& s = gl.state;
    if (name == GL_FOG_DENSITY) s.fogDensity = value;
    if (name == GL_FOG_START) s.fogStart = value;
    if (name == GL_FOG_END) s.fogEnd = value;
    glFogf(name, value);
}

void webFogfv(GLenum name, const GLfloat* value) {
    if (name == GL_FOG_COLOR) copy4(gl.state.fogColor, value);
    if (name != GL_FOG_COLOR) webFogf(name, value[0]);
    glFogfv(name, value);
}

void webEnable(GLenum capability) {
    FixedState& s = gl.state;
    if (capability == GL_LIGHTING) s.lighting = true;
    if (capability == GL_LIGHT0) s.light0Enabled = true;
    if (capability == GL_FOG) s.fog = true;
    if (capability == GL_TEXTURE_2D && s.activeUnit < UNITS) s.texturing[s.activeUnit] = true;
    glEnable(capability);
}

void webDisable(GLenum capability) {
    FixedState& s = gl.state;
    if (capability == GL_LIGHTING) s.lighting = false;
    if (capability == GL_LIGHT0) s.light0Enabled = false;
    if (capability == GL_FOG) s.fog = false;
    if (capability == GL_TEXTURE_2D && s.activeUnit < UNITS) s.texturing[s.activeUnit] = false;
    glDisable(capability);
}

void webActiveTexture(GLenum unit) {
    gl.state.activeUnit = static_cast<int>(unit - GL_TEXTURE0);
    glActiveTexture(unit);
}

void webBindTexture(GLenum target, GLuint texture) {
    FixedState& s = gl.state;
    if (target == GL_TEXTURE_2D && s.activeUnit >= 0 && s.activeUnit < UNITS) {
        s.bound[s.activeUnit] = texture;
        if (texture == 0) texture = whiteTexture();
        // Making the white texture may have bound it: the unit gets the texture asked for.
    }
    glBindTexture(target, texture);
}

void webUseProgram(GLuint program) {
    gl.state.program = program;
    glUseProgram(program);
}

void webShaderSource(GLuint shader, GLsizei count, const GLchar* const* text, const GLint* length) {
    std::string whole;
    for (GLsizei i = 0; i < count; ++i) {
        if (length && length[i] >= 0)
            whole.append(text[i], static_cast<size_t>(length[i]));
        else
            whole.append(text[i]);
    }
    GLint type = 0;
    glGetShaderiv(shader, GL_SHADER_TYPE, &type);
    const std::string mapped = mapShaderText(whole, type == GL_VERTEX_SHADER);
    const char* source = mapped.c_str();
    glShaderSource(shader, 1, &source, nullptr);
}

void webTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                   GLint border, GLenum format, GLenum type, const void* pixels) {
    if (internalFormat == GL_RGBA8) internalFormat = GL_RGBA;
    glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
}
