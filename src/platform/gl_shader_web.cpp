// Emscripten's own entry points, not the names <epoxy/gl.h> redirects here.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/gl_module_web.h"
#include "platform/gl_web.h"

namespace {

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
const char* const attributeNames[ATTRIBUTE_COUNT] = {"demo_Vertex", "demo_Normal",
                                                     "demo_MultiTexCoord0"};

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
// Fragment shaders have no default precision in GLSL ES; high where the device has it.
const char* const FRAGMENT_HEAD = R"(#extension GL_OES_standard_derivatives : enable
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
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

// Written on the one thread that draws.
struct ShaderPart {
    std::vector<ProgramLocations> programs;
    GLuint ownProgram;  // 0 until first needed
};
ShaderPart shaders = {{}, 0};

void replaceAll(std::string* text, const char* from, const char* to) {
    const size_t fromLength = std::strlen(from);
    const size_t toLength = std::strlen(to);
    for (size_t at = text->find(from); at != std::string::npos;
         at = text->find(from, at + toLength))
        text->replace(at, fromLength, to);
}

GLuint compileOwnShader(GLenum type, const char* body) {
    const std::string text = mapShaderText(body, type == GL_VERTEX_SHADER);
    const GLuint shader = glCreateShader(type);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

}  // namespace

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

const ProgramLocations& listProgramLocations(GLuint program) {
    for (const ProgramLocations& p : shaders.programs)
        if (p.program == program) return p;
    ProgramLocations p = {program, {}, {}};
    for (int i = 0; i < UNIFORM_COUNT; ++i)
        p.uniforms[i] = glGetUniformLocation(program, uniformNames[i]);
    for (int i = 0; i < ATTRIBUTE_COUNT; ++i)
        p.attributes[i] = glGetAttribLocation(program, attributeNames[i]);
    shaders.programs.push_back(p);
    return shaders.programs.back();
}

GLuint ownListProgram() {
    if (shaders.ownProgram) return shaders.ownProgram;
    const GLuint program = glCreateProgram();
    const GLuint vertex = compileOwnShader(GL_VERTEX_SHADER, OWN_VERTEX_TEXT);
    const GLuint fragment = compileOwnShader(GL_FRAGMENT_SHADER, OWN_FRAGMENT_TEXT);
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    shaders.ownProgram = program;
    return program;
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
