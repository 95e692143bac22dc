#include "system/c_locale.h"

#include <cstdlib>

// MinGW's own conversions: the system C library's take neither hexadecimal nor inf and nan. A
// Windows process starts in the "C" locale and nothing in this one changes it, so their decimal
// point is always ".".
double strtodInCLocale(const char* text, char** end) { return __mingw_strtod(text, end); }

float strtofInCLocale(const char* text, char** end) { return __mingw_strtof(text, end); }

std::from_chars_result decimalFromChars(const char* first, const char* last, double* value) {
    return std::from_chars(first, last, *value, std::chars_format::general);
}
