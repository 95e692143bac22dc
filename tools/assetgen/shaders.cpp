#include "shaders.h"

const char* const VERTEX_SHADER_TEXT = R"(#version 110
// Eye-space position and normal for lighting per fragment. The display lists carry no tangents:
// the fragment shader rebuilds the tangent frame from screen-space derivatives.
varying vec3 eyePosition;
varying vec3 eyeNormal;

void main()
{
    vec4 position = gl_ModelViewMatrix * gl_Vertex;
    eyePosition = position.xyz;
    eyeNormal = gl_NormalMatrix * gl_Normal;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
)";

const char* const FRAGMENT_SHADER_TEXT = R"(#version 110
// Colour map on unit 0; tangent-space normal map on unit 1 with the relief height in alpha.
uniform sampler2D colorMap;
uniform sampler2D normalMap;

varying vec3 eyePosition;
varying vec3 eyeNormal;

// The fog density alone (0.003) would whiten a model 400 units away by 70 %. The haze starts
// beyond HAZE_START units and grows as a squared exponential of the distance past it, at
// HAZE_SCALE times the fog's density: nothing within 450 units is touched, about a tenth at
// 850, a third at 1150 and most of it by 2000, where the scenes let things emerge.
const float HAZE_START = 450.0;
const float HAZE_SCALE = 0.3;

// Offset mapping shifts the lookup by up to this much texture space, centred on mid-height.
const float RELIEF_DEPTH = 0.025;

void main()
{
    vec3 geometricNormal = normalize(eyeNormal);
    vec3 toEye = normalize(-eyePosition);
    vec2 texCoord = gl_TexCoord[0].st;

    // Cotangent frame from how position and texture coordinates change across the pixel.
    vec3 dpx = dFdx(eyePosition);
    vec3 dpy = dFdy(eyePosition);
    vec2 dtx = dFdx(texCoord);
    vec2 dty = dFdy(texCoord);
    vec3 dpyPerp = cross(dpy, geometricNormal);
    vec3 dpxPerp = cross(geometricNormal, dpx);
    vec3 tangent = dpyPerp * dtx.x + dpxPerp * dty.x;
    vec3 bitangent = dpyPerp * dtx.y + dpxPerp * dty.y;
    float frameScale = inversesqrt(max(max(dot(tangent, tangent), dot(bitangent, bitangent)), 1.0e-30));
    tangent *= frameScale;
    bitangent *= frameScale;

    vec3 eyeInTangentSpace = vec3(dot(toEye, tangent), dot(toEye, bitangent), dot(toEye, geometricNormal));
    float height = texture2D(normalMap, texCoord).a;
    texCoord += eyeInTangentSpace.xy * (height - 0.5) * RELIEF_DEPTH;

    vec4 relief = texture2D(normalMap, texCoord);
    vec3 mapped = relief.rgb * 2.0 - 1.0;
    vec3 normal = normalize(tangent * mapped.x + bitangent * mapped.y + geometricNormal * mapped.z);

    vec3 toLight = normalize(gl_LightSource[0].position.xyz - eyePosition * gl_LightSource[0].position.w);
    float diffuse = max(dot(normal, toLight), 0.0);
    float specular = 0.0;
    if (diffuse > 0.0) {
        specular = pow(max(dot(normal, normalize(toLight + toEye)), 0.0), gl_FrontMaterial.shininess);
    }
    // Crevices of the relief get less of the ambient light.
    float cavity = mix(0.55, 1.0, relief.a);

    vec4 albedo = texture2D(colorMap, texCoord);
    vec3 lit = albedo.rgb * (gl_FrontLightModelProduct.sceneColor.rgb
                             + gl_FrontLightProduct[0].ambient.rgb * cavity
                             + gl_FrontLightProduct[0].diffuse.rgb * diffuse)
             + gl_FrontLightProduct[0].specular.rgb * specular;

    float haze = gl_Fog.density * HAZE_SCALE * max(length(eyePosition) - HAZE_START, 0.0);
    float visibility = exp(-haze * haze);
    gl_FragColor = vec4(mix(gl_Fog.color.rgb, lit, visibility), albedo.a);
}
)";
