#include "system/c_locale.h"

#include <locale.h>
#include <clocale>
#include <cstdlib>

namespace {

// Created on first use and kept for the life of the process.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

}  // namespace

double strtodInCLocale(const char* text, char** end) { return strtod_l(text, end, cLocale()); }

float strtofInCLocale(const char* text, char** end) { return strtof_l(text, end, cLocale()); }

std::from_chars_result decimalFromChars(const char* first, const char* last, double* value) {
    return std::from_chars(first, last, *value, std::chars_format::general);
}
