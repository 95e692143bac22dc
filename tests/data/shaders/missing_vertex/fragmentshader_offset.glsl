#version 120
// Colour map on unit 0, normal map on unit 1, lit by a light at the eye.
uniform sampler2D colorMap;
uniform sampler2D normalMap;
uniform float axa;
varying vec2 texCoord;
varying vec3 eyeNormal;
varying vec3 eyePosition;

void main() {
    vec3 bump = texture2D(normalMap, texCoord).xyz * 2.0 - 1.0;
    vec3 n = normalize(normalize(eyeNormal) + 0.7 * vec3(bump.xy, 0.0));
    vec3 toEye = normalize(-eyePosition);
    float diffuse = max(dot(n, toEye), 0.0);
    float shine = pow(max(dot(reflect(-toEye, n), toEye), 0.0), 24.0);
    vec3 colour = texture2D(colorMap, texCoord).rgb * (0.3 + 0.7 * diffuse) + 0.35 * shine + axa;
    gl_FragColor = vec4(colour, 1.0);
}
