#version 120
uniform sampler2D colorMap;
uniform sampler2D normalMap;
void main() {
    vec2 middle = vec2(0.5, 0.5);
    gl_FragColor = vec4(texture2D(colorMap, middle).rgb + texture2D(normalMap, middle).rgb, 1.0);
}
