// How far a shader text's macros can make it grow, worked out before any driver expands them:
// if (shaderExpansionTokens(text, length) > SHADER_MAX_EXPANDED_TOKENS) refuse the text.
#pragma once

#include <cstddef>

// Most tokens a shader text, or any one of its macros, may expand to. Our shaders expand to a
// few thousand; forty doubling "#define"s in under a kilobyte expand to 2^40, which a driver's
// preprocessor would try to build in memory.
constexpr double SHADER_MAX_EXPANDED_TOKENS = 1 << 20;

// The tokens the text expands to, or its largest macro, or the largest multiple by which a
// function-like macro repeats an argument, whichever is greatest; infinity past any bound (calls
// nested past a few hundred deep). Linear in the text: each macro's body is read once, and its
// length is kept as a constant plus a multiple of each argument's length, never expanded. Counts
// as the C preprocessor expands, a macro inside its own expansion staying a single token; what
// it leaves out (## pasting, a call whose arguments follow the macro that produced its name)
// cannot make a text grow faster than its macros' bodies say.
double shaderExpansionTokens(const char* text, size_t length);
