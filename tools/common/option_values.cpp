#include "option_values.h"

#include <cstdio>

#include "platform/glfw_window.h"

namespace {

constexpr int MAX_FRACTION_DIGITS = 6;

}  // namespace

bool parseBoundedInt(const char* text, char end, int limit, int* value, const char** rest) {
    int64_t n = 0;
    const char* p = text;
    for (; *p >= '0' && *p <= '9'; ++p) {
        n = n * 10 + (*p - '0');
        if (n > limit) return false;
    }
    if (p == text || *p != end) return false;
    *value = static_cast<int>(n);
    if (rest) *rest = p;
    return true;
}

bool parseMicros(const char* text, int64_t* micros) {
    int64_t whole = 0;
    const char* p = text;
    for (; *p >= '0' && *p <= '9'; ++p) {
        whole = whole * 10 + (*p - '0');
        if (whole > 1000000) return false;
    }
    if (p == text) return false;
    int64_t fraction = 0;
    int digits = 0;
    if (*p == '.') {
        for (++p; *p >= '0' && *p <= '9'; ++p) {
            if (++digits > MAX_FRACTION_DIGITS) return false;
            fraction = fraction * 10 + (*p - '0');
        }
        if (digits == 0) return false;
    }
    if (*p != '\0') return false;
    for (; digits < MAX_FRACTION_DIGITS; ++digits) fraction *= 10;
    *micros = whole * MICROS_PER_SECOND + fraction;
    return true;
}

bool parseSize(const char* text, int limit, int* width, int* height) {
    const char* rest = nullptr;
    return parseBoundedInt(text, 'x', limit, width, &rest) &&
           parseBoundedInt(rest + 1, '\0', limit, height, nullptr) && *width >= 1 && *height >= 1;
}

int64_t framesUpTo(int64_t micros, int fps) { return micros * fps / MICROS_PER_SECOND; }

void describeBadSize(int limit, char* out, int size) {
    std::snprintf(out, static_cast<size_t>(size), "not a size like %dx%d, each side 1 to %d",
                  DEMO_WINDOW.width, DEMO_WINDOW.height, limit);
}
