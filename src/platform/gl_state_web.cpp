// Emscripten's own entry points, not the names <epoxy/gl.h> redirects here.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gl_module_web.h"
#include "platform/gl_web.h"

namespace {

// OpenGL's defaults.
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

}  // namespace

FixedState fixedState = FIXED_STATE_START;

namespace {

GLuint whiteTexture = 0;  // made on first need, on the one thread that draws
// The texture whose first level was stretched to powers of two, so that its own further levels
// are not taken; 0 for none. Set and read by webTexImage2D alone.
GLuint resampledTexture = 0;

bool isPowerOfTwo(GLsizei n) { return n > 0 && (n & (n - 1)) == 0; }

GLsizei nextPowerOfTwo(GLsizei n) {
    GLsizei p = 1;
    while (p < n) p *= 2;
    return p;
}

// Bilinear, with pixel centres matched; every output pixel from the four nearest input ones.
std::vector<unsigned char> stretchRgba(const unsigned char* from, GLsizei width, GLsizei height,
                                       GLsizei toWidth, GLsizei toHeight) {
    std::vector<unsigned char> to(static_cast<size_t>(toWidth) * toHeight * 4);
    for (GLsizei y = 0; y < toHeight; ++y) {
        const double fy = std::max(0.0, (y + 0.5) * height / toHeight - 0.5);
        const GLsizei y0 = static_cast<GLsizei>(fy);
        const GLsizei y1 = std::min(y0 + 1, height - 1);
        const double wy = fy - y0;
        for (GLsizei x = 0; x < toWidth; ++x) {
            const double fx = std::max(0.0, (x + 0.5) * width / toWidth - 0.5);
            const GLsizei x0 = static_cast<GLsizei>(fx);
            const GLsizei x1 = std::min(x0 + 1, width - 1);
            const double wx = fx - x0;
            for (int c = 0; c < 4; ++c) {
                auto at = [&](GLsizei px, GLsizei py) {
                    return static_cast<double>(
                        from[(static_cast<size_t>(py) * width + px) * 4 + c]);
                };
                const double top = at(x0, y0) * (1 - wx) + at(x1, y0) * wx;
                const double bottom = at(x0, y1) * (1 - wx) + at(x1, y1) * wx;
                to[(static_cast<size_t>(y) * toWidth + x) * 4 + c] =
                    static_cast<unsigned char>(top * (1 - wy) + bottom * wy + 0.5);
            }
        }
    }
    return to;
}

void copy4(GLfloat* to, const GLfloat* from) { std::memcpy(to, from, 4 * sizeof(GLfloat)); }

GLuint white() {
    if (whiteTexture) return whiteTexture;
    const unsigned char white[4] = {255, 255, 255, 255};
    glGenTextures(1, &whiteTexture);
    glBindTexture(GL_TEXTURE_2D, whiteTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return whiteTexture;
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

}  // namespace

// Binds on `unit` what the renderer bound there, white for 0 unless `blackForNone`: a program
// samples an unbound unit as black on the desktop too.
void bindUnit(int unit, bool blackForNone) {
    const GLuint name = fixedState.bound[unit];
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, name != 0 || blackForNone ? name : white());
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

    const FixedState& s = fixedState;
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

void webMaterialfv(GLenum face, GLenum name, const GLfloat* value) {
    if (face != GL_FRONT && face != GL_FRONT_AND_BACK) return;
    Material& m = fixedState.front;
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
    Light& l = fixedState.light0;
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
    FixedState& s = fixedState;
    if (name == GL_FOG_DENSITY) s.fogDensity = value;
    if (name == GL_FOG_START) s.fogStart = value;
    if (name == GL_FOG_END) s.fogEnd = value;
    glFogf(name, value);
}

void webFogfv(GLenum name, const GLfloat* value) {
    if (name == GL_FOG_COLOR) copy4(fixedState.fogColor, value);
    if (name != GL_FOG_COLOR) webFogf(name, value[0]);
    glFogfv(name, value);
}

void webEnable(GLenum capability) {
    FixedState& s = fixedState;
    if (capability == GL_LIGHTING) s.lighting = true;
    if (capability == GL_LIGHT0) s.light0Enabled = true;
    if (capability == GL_FOG) s.fog = true;
    if (capability == GL_TEXTURE_2D && s.activeUnit >= 0 && s.activeUnit < UNITS)
        s.texturing[s.activeUnit] = true;
    glEnable(capability);
}

void webDisable(GLenum capability) {
    FixedState& s = fixedState;
    if (capability == GL_LIGHTING) s.lighting = false;
    if (capability == GL_LIGHT0) s.light0Enabled = false;
    if (capability == GL_FOG) s.fog = false;
    if (capability == GL_TEXTURE_2D && s.activeUnit >= 0 && s.activeUnit < UNITS)
        s.texturing[s.activeUnit] = false;
    glDisable(capability);
}

void webActiveTexture(GLenum unit) {
    fixedState.activeUnit = static_cast<int>(unit - GL_TEXTURE0);
    glActiveTexture(unit);
}

void webBindTexture(GLenum target, GLuint texture) {
    FixedState& s = fixedState;
    if (target == GL_TEXTURE_2D && s.activeUnit >= 0 && s.activeUnit < UNITS) {
        s.bound[s.activeUnit] = texture;
        if (texture == 0) texture = white();
        // Making the white texture may have bound it: the unit gets the texture asked for.
    }
    glBindTexture(target, texture);
}

void webUseProgram(GLuint program) {
    fixedState.program = program;
    glUseProgram(program);
}

void webTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                   GLint border, GLenum format, GLenum type, const void* pixels) {
    if (internalFormat == GL_RGBA8) internalFormat = GL_RGBA;
    const bool rgba = format == GL_RGBA && type == GL_UNSIGNED_BYTE && pixels;
    const int unit = fixedState.activeUnit;
    const GLuint texture = unit >= 0 && unit < UNITS ? fixedState.bound[unit] : 0;
    if (target == GL_TEXTURE_2D && level > 0 && texture != 0 && texture == resampledTexture) return;
    if (target != GL_TEXTURE_2D || level != 0 || !rgba ||
        (isPowerOfTwo(width) && isPowerOfTwo(height))) {
        if (level == 0) resampledTexture = 0;
        glTexImage2D(target, level, internalFormat, width, height, border, format, type, pixels);
        return;
    }
    // WebGL 1 samples a texture whose sides are not powers of two black when it repeats or has
    // mipmaps, as the scenes' textures do: it is stretched to the next powers of two, and its
    // chain made here; the levels the caller made of the old size are passed over.
    const GLsizei w = nextPowerOfTwo(width);
    const GLsizei h = nextPowerOfTwo(height);
    const std::vector<unsigned char> stretched =
        stretchRgba(static_cast<const unsigned char*>(pixels), width, height, w, h);
    glTexImage2D(target, 0, internalFormat, w, h, border, format, type, stretched.data());
    glGenerateMipmap(GL_TEXTURE_2D);
    resampledTexture = texture;
}
