#include "assets/text_scan.h"

#include <cstring>

#include "system/c_locale.h"

namespace {

inline bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
inline char toLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }
inline bool isLetter(char c) { return toLower(c) >= 'a' && toLower(c) <= 'z'; }

// Longest numbers handed to the C library's own conversion; the readers' pieces are shorter.
constexpr size_t LONGEST_NUMBER = 511;

size_t copyNumberText(const char* first, const char* last, char (&buffer)[LONGEST_NUMBER + 1]) {
    size_t n = static_cast<size_t>(last - first);
    if (n > LONGEST_NUMBER) n = LONGEST_NUMBER;
    std::memcpy(buffer, first, n);
    buffer[n] = '\0';
    return n;
}

// strtod in the C locale for what from_chars does not take: hexadecimal, inf, nan, and results
// out of range (strtod gives infinity or the nearest denormal). p follows the sign.
const char* scanWithStrtod(const char* p, const char* last, double* value) {
    if (p == last || !(isDigit(*p) || *p == '.' || isLetter(*p))) return nullptr;
    char buffer[LONGEST_NUMBER + 1];
    copyNumberText(p, last, buffer);
    char* stop = nullptr;
    *value = strtodInCLocale(buffer, &stop);
    return stop == buffer ? nullptr : p + (stop - buffer);
}

// Magnitude after the sign; nullptr when there is no number.
const char* scanMagnitude(const char* p, const char* last, double* value) {
    if (const char* q = scanShortDecimal(p, last, value)) return q;
    const bool hex = last - p >= 2 && p[0] == '0' && toLower(p[1]) == 'x';
    if (p < last && (isDigit(*p) || *p == '.') && !hex) {
        const std::from_chars_result r = decimalFromChars(p, last, value);
        if (r.ec == std::errc()) return r.ptr;
        if (r.ec == std::errc::invalid_argument) return nullptr;
    }
    return scanWithStrtod(p, last, value);
}

}  // namespace

bool nextTextLine(TextLine* line, const char* p, const char* end) {
    if (p >= end) return false;
    line->start = p;
    const char* lineFeed =
        static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
    if (!lineFeed) {
        line->contentLength = static_cast<size_t>(end - p);
        line->length = line->contentLength;
        line->next = end;
        return true;
    }
    size_t content = static_cast<size_t>(lineFeed - p);
    if (content > 0 && lineFeed[-1] == '\r') --content;
    line->contentLength = content;
    line->length = content + 1;
    line->next = lineFeed + 1;
    return true;
}

void textPiece(const TextLine& line, size_t offset, size_t limit, const char** first,
               const char** last) {
    size_t stop = offset + limit;
    if (stop > line.contentLength) stop = line.contentLength;
    if (stop < offset) stop = offset;
    *first = line.start + offset;
    *last = line.start + stop;
    if (const void* nul = std::memchr(*first, '\0', stop - offset))
        *last = static_cast<const char*>(nul);
}

const char* scanAtof(const char* first, const char* last, double* value) {
    const char* p = first;
    while (p < last && isCSpace(*p)) ++p;
    const bool negative = p < last && *p == '-';
    if (p < last && (*p == '-' || *p == '+')) ++p;
    const char* stop = scanMagnitude(p, last, value);
    if (!stop) {
        *value = 0.0;
        return first;
    }
    if (negative) *value = -*value;
    return stop;
}

const char* scanInt(const char* first, const char* last, int32_t* value) {
    const char* p = first;
    while (p < last && isCSpace(*p)) ++p;
    const bool negative = p < last && *p == '-';
    if (p < last && (*p == '-' || *p == '+')) ++p;
    if (p == last || !isDigit(*p)) return nullptr;
    // strtol saturates at the range of long; scanf then stores the low 32 bits into the int.
    const uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    uint64_t magnitude = 0;
    for (; p < last && isDigit(*p); ++p) {
        const uint64_t digit = static_cast<uint64_t>(*p - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    const uint64_t bits = negative ? ~magnitude + 1 : magnitude;
    *value = static_cast<int32_t>(static_cast<uint32_t>(bits));
    return p;
}

namespace {

// What scanf's "%f" has taken so far: the characters it read, of which the buffer keeps the
// first LONGEST_NUMBER for strtof.
struct FloatScan {
    const char* p;
    const char* last;
    char buffer[LONGEST_NUMBER + 1];
    size_t n;
};

void take(FloatScan* scan, char c) {
    if (scan->n < LONGEST_NUMBER) scan->buffer[scan->n++] = c;
    ++scan->p;
}

// Each fixed word must be read whole once begun, or the conversion fails.
bool takeWord(FloatScan* scan, const char* word) {
    for (; *word; ++word) {
        if (scan->p == scan->last || toLower(*scan->p) != *word) return false;
        take(scan, *scan->p);
    }
    return true;
}

// "nan", "inf" or "infinity", any case.
bool takeNamedValue(FloatScan* scan) {
    if (toLower(*scan->p) == 'n') return takeWord(scan, "nan");
    if (!takeWord(scan, "inf")) return false;
    return scan->p == scan->last || toLower(*scan->p) != 'i' || takeWord(scan, "inity");
}

// Decimal or hexadecimal digits with a point and an exponent, as scanf takes them: it stops at
// the first character that cannot continue a number, even one that leaves no valid number.
// False when no digit came after the sign and any "0x".
bool takeNumber(FloatScan* scan, bool sign) {
    bool hex = false, gotDigit = false, gotDot = false, gotExponent = false;
    char exponent = 'e';
    if (*scan->p == '0') {
        take(scan, '0');
        if (scan->p < scan->last && toLower(*scan->p) == 'x') {
            take(scan, *scan->p);
            hex = true;
            exponent = 'p';
        } else {
            gotDigit = true;
        }
    }
    for (; scan->p < scan->last;) {
        const char c = *scan->p;
        if (isDigit(c) || (hex && !gotExponent && isHexDigit(c))) {
            take(scan, c);
            gotDigit = true;
        } else if (gotExponent && scan->buffer[scan->n - 1] == exponent && (c == '-' || c == '+')) {
            take(scan, c);
        } else if (gotDigit && !gotExponent && toLower(c) == exponent) {
            take(scan, exponent);
            gotExponent = gotDot = true;
        } else if (!gotDot && c == '.') {
            take(scan, c);
            gotDot = true;
        } else {
            break;
        }
    }
    return scan->n != static_cast<size_t>(sign) + (hex ? 2 : 0);
}

}  // namespace

const char* scanFloat(const char* first, const char* last, float* value) {
    FloatScan scan = {first, last, {}, 0};
    while (scan.p < last && isCSpace(*scan.p)) ++scan.p;
    if (scan.p == last) return nullptr;
    const bool sign = *scan.p == '-' || *scan.p == '+';
    if (sign) {
        take(&scan, *scan.p);
        if (scan.p == last) return nullptr;
    }
    const char c = toLower(*scan.p);
    const bool taken = c == 'n' || c == 'i' ? takeNamedValue(&scan) : takeNumber(&scan, sign);
    if (!taken) return nullptr;
    scan.buffer[scan.n] = '\0';
    char* stop = nullptr;
    const float converted = strtofInCLocale(scan.buffer, &stop);
    if (stop == scan.buffer) return nullptr;
    *value = converted;
    return scan.p;
}

const char* scanWord(const char* first, const char* last, char* word, size_t capacity) {
    const char* p = first;
    while (p < last && isCSpace(*p)) ++p;
    if (p == last) return nullptr;
    size_t n = 0;
    for (; p < last && !isCSpace(*p); ++p)
        if (n + 1 < capacity) word[n++] = *p;
    word[n] = '\0';
    return p;
}
