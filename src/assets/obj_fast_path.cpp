// The fast path: lines of the common shapes ("v x y z", "f a/b/c ...") read in one scan. It takes
// only lines it reads exactly as the line path would, and hands every other line to that path.
#include <cstdint>
#include <cstring>

#include "assets/obj_parse.h"
#include "assets/text_scan.h"

namespace objparse {

namespace {

// The end of a line whose last token ends at p: its line feed, or the end of the text; nullptr
// when something else follows. With `rest`, blanks and further tokens may follow and are skipped.
const char* lineEndAfter(const char* p, const char* end, bool rest) {
    if (p == end || *p == '\n') return p;
    if (*p == '\r' && p + 1 < end && p[1] == '\n') return p + 1;
    if (!rest || *p != ' ') return nullptr;
    const void* lineFeed = std::memchr(p, '\n', static_cast<size_t>(end - p));
    return lineFeed ? static_cast<const char*>(lineFeed) : end;
}

// Characters a reader counts for the line [start, lineEnd), lineEnd at its line feed or the end.
size_t countedLength(const char* start, const char* lineEnd, const char* end) {
    if (lineEnd == end) return static_cast<size_t>(lineEnd - start);
    const bool carriageReturn = lineEnd > start && lineEnd[-1] == '\r';
    return static_cast<size_t>(lineEnd - start) - carriageReturn + 1;
}

inline const char* nextLine(const char* lineEnd, const char* end) {
    return lineEnd == end ? end : lineEnd + 1;
}

// One number of a vertex-like line; nullptr when the general path must read it. A token that
// starts otherwise than a number (with a tab, say) is left to that path: atof would skip the
// blank after it.
inline const char* readNumber(const char* p, const char* end, double* value) {
    const bool negative = *p == '-';
    if (const char* stop = scanShortDecimal(p + negative, end, value)) {
        if (negative) *value = -*value;
        return stop;
    }
    if (!(isDigit(*p) || *p == '-' || *p == '.' || *p == '+')) return nullptr;
    const char* stop = scanAtof(p, end, value);
    return stop == p ? nullptr : stop;
}

// "v x y z", "vt u v", "vn x y z" with numbers separated by blanks, in one piece.
template <int WIDTH>
const char* readFastFloatLine(ObjParse* parse, Records* records, const char* start, const char* p) {
    const char* end = parse->end;
    float values[WIDTH];
    for (int i = 0; i < WIDTH; ++i) {
        while (p < end && *p == ' ') ++p;
        if (p == end) return nullptr;
        double value;
        const char* stop = readNumber(p, end, &value);
        if (!stop) return nullptr;
        values[i] = static_cast<float>(value);
        p = stop;
        if (i + 1 < WIDTH && (p == end || *p != ' ')) return nullptr;
    }
    const char* lineEnd = lineEndAfter(p, end, true);
    if (!lineEnd || countedLength(start, lineEnd, end) > VERTEX_PIECE) return nullptr;
    float* record = appendRecord(parse, records);
    if (record)
        for (int i = 0; i < WIDTH; ++i) record[i] = values[i];
    return nextLine(lineEnd, end);
}

// An optional minus and one to nine digits: a value an int32_t holds. Its loop stops at ten
// digits rather than at the end of the number, which reads face lines faster than scanDigits.
inline bool readFastNumber(const char** p, const char* end, int32_t* value) {
    const char* q = *p;
    const bool negative = q < end && *q == '-';
    q += negative;
    uint64_t number = 0;
    int count = 0;
    for (; count < 10 && q + count < end && isDigit(q[count]); ++count)
        number = number * 10 + static_cast<uint64_t>(q[count] - '0');
    if (count == 0 || count > 9) return false;
    *value = negative ? -static_cast<int32_t>(number) : static_cast<int32_t>(number);
    *p = q + count;
    return true;
}

// A corner "v", "v/t", "v//n" or "v/t/n"; its end, or nullptr.
inline const char* readCorner(const char* p, const char* end, int32_t* vertex, int32_t* texCoord,
                              int32_t* normal) {
    *texCoord = *normal = 0;
    if (!readFastNumber(&p, end, vertex)) return nullptr;
    if (p == end || *p != '/') return p;
    ++p;
    if (p < end && *p != '/' && !readFastNumber(&p, end, texCoord)) return nullptr;
    if (p == end || *p != '/') return p;
    ++p;
    return readFastNumber(&p, end, normal) ? p : nullptr;
}

// Longer polygons take the general path.
constexpr int FAST_CORNERS = 64;

// "f" and corners "v", "v/t", "v//n", "v/t/n" separated by blanks, in one piece. Such a line
// holds no keyword at the positions where the other readers cut it.
const char* readFastFaceLine(ObjParse* parse, const char* start) {
    const char* end = parse->end;
    const ObjModel* model = parse->model;
    int32_t corners[FAST_CORNERS][3];
    int count = 0;
    const char* p = start + 2;
    const char* lineEnd;
    const int32_t vertexCount = model->vertexCount + parse->countBase;
    const int32_t normalCount = model->normalCount + parse->countBase;
    const int32_t texCoordCount = model->texCoordCount + parse->countBase;
    for (;;) {
        while (p < end && *p == ' ') ++p;
        if ((lineEnd = lineEndAfter(p, end, false))) break;
        int32_t vertex, texCoord, normal;
        const char* stop = readCorner(p, end, &vertex, &texCoord, &normal);
        if (!stop || count == FAST_CORNERS) return nullptr;
        p = stop;
        if (p < end && *p != ' ' && *p != '\n' && *p != '\r') return nullptr;
        corners[count][0] = resolveIndex(vertex, vertexCount);
        corners[count][1] = resolveIndex(normal, normalCount);
        corners[count][2] = resolveIndex(texCoord, texCoordCount);
        ++count;
    }
    if (countedLength(start, lineEnd, end) > FACE_PIECE) return nullptr;
    if (count >= 3) {
        ObjFace* first = appendFaces(parse, count - 2);
        ObjFace* face = first;
        for (int k = 2; face && k < count; ++k, ++face)
            writeTriangle(face, corners[0], corners[k - 1], corners[k], parse->currentMaterial,
                          corners[count - 1]);
        if (parse->countBase != 0 && first)
            keepCountedBackFlags(first, count - 2, corners[count - 1]);
    }
    return nextLine(lineEnd, end);
}

}  // namespace

const char* readFastLine(ObjParse* parse, const char* p) {
    if (parse->end - p < 3) return nullptr;
    if (p[0] == 'f' && p[1] == ' ') return readFastFaceLine(parse, p);
    if (p[0] != 'v') return nullptr;
    if (p[1] == ' ') return readFastFloatLine<3>(parse, &parse->vertices, p, p + 2);
    if (p[2] != ' ') return nullptr;
    if (p[1] == 't') return readFastFloatLine<2>(parse, &parse->texCoords, p, p + 3);
    if (p[1] == 'n') return readFastFloatLine<3>(parse, &parse->normals, p, p + 3);
    return nullptr;
}

}  // namespace objparse
