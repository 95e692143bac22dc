// The C library's number conversions in the "C" locale, whatever locale the process runs in.
// value = strtodInCLocale(text, &end): strtod's and strtof's contracts, "." the decimal point.
#pragma once

#include <charconv>

double strtodInCLocale(const char* text, char** end);
float strtofInCLocale(const char* text, char** end);

// std::from_chars(first, last, *value, std::chars_format::general), which the browser build's C++
// library lacks for floating point: there the same result comes from strtod.
std::from_chars_result decimalFromChars(const char* first, const char* last, double* value);
