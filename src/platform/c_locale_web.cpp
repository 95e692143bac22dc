#include "system/c_locale.h"

#include <cerrno>
#include <cstdlib>
#include <string>

// Emscripten's C library (musl) reads numbers with "." whatever the locale.
double strtodInCLocale(const char* text, char** end) { return std::strtod(text, end); }

float strtofInCLocale(const char* text, char** end) { return std::strtof(text, end); }

// strtod rounds correctly, as from_chars does; the text is copied to end where `last` does.
std::from_chars_result decimalFromChars(const char* first, const char* last, double* value) {
    const std::string text(first, last);
    char* stop = nullptr;
    errno = 0;
    const double read = std::strtod(text.c_str(), &stop);
    const char* end = first + (stop - text.c_str());
    if (stop == text.c_str()) return {first, std::errc::invalid_argument};
    if (errno == ERANGE) return {end, std::errc::result_out_of_range};
    *value = read;
    return {end, std::errc()};
}
