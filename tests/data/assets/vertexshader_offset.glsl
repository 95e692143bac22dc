#version 120
// Passes what the fragment stage needs for a normal-mapped, eye-lit surface.
varying vec2 texCoord;
varying vec3 eyeNormal;
varying vec3 eyePosition;

void main() {
    texCoord = gl_MultiTexCoord0.xy;
    eyeNormal = gl_NormalMatrix * gl_Normal;
    eyePosition = (gl_ModelViewMatrix * gl_Vertex).xyz;
    gl_Position = ftransform();
}
