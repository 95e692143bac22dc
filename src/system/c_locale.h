// The C library's number conversions in the "C" locale, whatever locale the process runs in.
// value = strtodInCLocale(text, &end): strtod's and strtof's contracts, "." the decimal point.
#pragma once

double strtodInCLocale(const char* text, char** end);
float strtofInCLocale(const char* text, char** end);
