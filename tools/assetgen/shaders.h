// The GLSL program of the pack: per-fragment lighting by light 0 with normal and offset mapping,
// and a haze towards the fog colour. GLSL 1.10, fixed-function state read through built-ins.
#pragma once

extern const char* const VERTEX_SHADER_TEXT;
extern const char* const FRAGMENT_SHADER_TEXT;
