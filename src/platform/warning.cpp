#include "system/warning.h"

#include <cstdio>

void warnFile(const char* path, const char* what, const char* why, const char* consequence) {
    // One fprintf, so that the line reaches the stream whole even beside other threads' lines.
    std::fprintf(stderr, "demo: %s: %s%s%s%s%s%s\n", path, what, why ? " (" : "", why ? why : "",
                 why ? ")" : "", consequence ? "; " : "", consequence ? consequence : "");
}
