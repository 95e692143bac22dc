// Text read the way the C library reads a text-mode stream, over memory that is not
// NUL-terminated: lines in pieces of bounded length, and atof, sscanf "%d", "%f" and "%s".
// nextTextLine(&line, p, end) walks the lines; textPiece(line, offset, limit) gives one piece.
#pragma once

#include <cstddef>
#include <cstdint>

// One line as a text-mode stream gives it: a carriage return right before the line feed is
// dropped. A piece is a line read with a length limit; a longer line arrives as several pieces.
struct TextLine {
    const char* start;
    size_t contentLength;  // characters before the line feed, the dropped carriage return excluded
    size_t length;         // characters a reader counts toward its limit: the line feed included
    const char* next;      // start of the following line, or the end of the text
};

// Fills *line with the line starting at p; false when p is at the end.
bool nextTextLine(TextLine* line, const char* p, const char* end);

// The piece of `limit` characters (line feed counted) at `offset` of the line, offset < length.
// The piece's text is [*first, *last): without its line feed and cut at a NUL, which ends the
// string that the C functions saw.
void textPiece(const TextLine& line, size_t offset, size_t limit, const char** first,
               const char** last);

// isspace in the C locale: blank, tab, line feed, vertical tab, form feed, carriage return.
inline bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Appends the digits at p to *number, which wraps past 19 of them; returns where they end.
inline const char* scanDigits(const char* p, const char* last, uint64_t* number) {
    uint64_t value = *number;
    for (; p < last && isDigit(*p); ++p) value = value * 10 + static_cast<uint64_t>(*p - '0');
    *number = value;
    return p;
}

// Every power of ten a double holds exactly.
inline constexpr double POWERS_OF_TEN[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                           1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The common number of a model file, after its sign: digits with an optional point, no exponent.
// When the digits fit in 53 bits and at most 22 follow the point, digits / 10^k is one correctly
// rounded division of exact doubles, exactly what strtod gives. Returns where the number ended;
// nullptr for any other number, which scanAtof reads. Inline, as the reader takes every
// coordinate of a model through it.
inline const char* scanShortDecimal(const char* p, const char* last, double* value) {
    if (last - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) return nullptr;
    uint64_t mantissa = 0;
    const char* q = scanDigits(p, last, &mantissa);
    const ptrdiff_t wholeDigits = q - p;
    ptrdiff_t fractionDigits = 0;
    if (q < last && *q == '.') {
        const char* fraction = q + 1;
        q = scanDigits(fraction, last, &mantissa);
        fractionDigits = q - fraction;
    }
    const ptrdiff_t digits = wholeDigits + fractionDigits;
    if (digits == 0 || digits > 19 || fractionDigits > 22 || mantissa > (uint64_t{1} << 53))
        return nullptr;
    if (q < last && (*q == 'e' || *q == 'E')) return nullptr;
    *value = static_cast<double>(mantissa) / POWERS_OF_TEN[fractionDigits];
    return q;
}

inline bool startsWith(const char* first, const char* last, const char* keyword, size_t length) {
    if (static_cast<size_t>(last - first) < length) return false;
    for (size_t i = 0; i < length; ++i)
        if (first[i] != keyword[i]) return false;
    return true;
}

// atof over [first, last): leading white space, an optional sign, then the longest decimal or
// hexadecimal number, "inf", "infinity" or "nan"; 0 when there is none. Returns where the number
// ended (first when there was none). Locale-independent; exact, as strtod rounds.
const char* scanAtof(const char* first, const char* last, double* value);

// sscanf "%d" over [first, last): white space, sign, digits. A number past the range of long
// saturates and is then cut to 32 bits, as glibc stores it. Returns the end of what was read,
// or nullptr when nothing was converted (then *value is not written).
const char* scanInt(const char* first, const char* last, int32_t* value);

// sscanf "%f" over [first, last), reading characters as glibc's scanf does (it may take more than
// the number, e.g. "1e+"); nullptr when the conversion fails (then *value is not written).
const char* scanFloat(const char* first, const char* last, float* value);

// sscanf "%s": skips white space and copies the word, at most capacity - 1 characters, NUL added.
// nullptr when there is no word (then word is not written).
const char* scanWord(const char* first, const char* last, char* word, size_t capacity);
