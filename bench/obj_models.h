// The models the OBJ benchmark loads, written by it into a directory of its own: a terrain with
// materials, a sphere of positions alone, a torus of v/vt/vn quads, Debian's assimp test models
// repeated, and a model that switches among many materials; all the same on every run.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

constexpr int GRID_WIDTH = 1000;  // positions per row
constexpr int GRID_HEIGHT = 780;  // rows
constexpr int ROWS_PER_MATERIAL = 50;
constexpr const char* MODEL_NAME = "bench.obj";
constexpr const char* LIBRARY_NAME = "bench.mtl";
constexpr int TABLE_MATERIALS = 100000;
constexpr int TABLE_SWITCHES = 200000;
constexpr const char* TABLE_NAME = "table.obj";
constexpr const char* TABLE_LIBRARY_NAME = "table.mtl";

constexpr int SPHERE_RINGS = 1024;
constexpr int SPHERE_SEGMENTS = 1280;
constexpr int TORUS_SIZE = 786;  // positions around each of its two circles
constexpr double ASSIMP_MEGABYTES = 100;
constexpr const char* ASSIMP_DIRECTORY = "/usr/share/assimp/models/OBJ/";
constexpr const char* ASSIMP_MODELS[] = {"WusonOBJ.obj", "regr01.obj", "spider.obj"};

// A small deterministic generator, so every run writes the same file.
struct Lcg {
    uint64_t state;
    double next() {
        state = state * 6364136223846793005u + 1442695040888963407u;
        return static_cast<double>(state >> 11) * (1.0 / 9007199254740992.0);
    }
};

inline void appendFixed(std::string* out, double value) {
    char buffer[32];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    out->append(buffer, r.ptr);
}

inline void appendInt(std::string* out, long value) {
    char buffer[24];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    out->append(buffer, r.ptr);
}

inline void appendCorner(std::string* out, long index) {
    out->push_back(' ');
    for (int k = 0; k < 3; ++k) {
        if (k) out->push_back('/');
        appendInt(out, index);
    }
}

inline void flush(std::string* out, FILE* file) {
    fwrite(out->data(), 1, out->size(), file);
    out->clear();
}

inline bool closeWritten(FILE* file) {
    const bool written = ferror(file) == 0;
    return fclose(file) == 0 && written;
}

// Every third cell of the grid is a quad, the others two triangles.
inline bool writeModel(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    std::string out = std::string("mtllib ") + LIBRARY_NAME + "\n";
    Lcg random{42};
    const char* kinds[] = {"v ", "vt ", "vn "};
    for (int kind = 0; kind < 3; ++kind) {
        for (int j = 0; j < GRID_HEIGHT; ++j) {
            for (int i = 0; i < GRID_WIDTH; ++i) {
                out += kinds[kind];
                if (kind == 0) {
                    appendFixed(&out, i * 0.01), out += ' ',
                        appendFixed(&out, random.next() * 2 - 1);
                    out += ' ', appendFixed(&out, j * 0.01);
                } else if (kind == 1) {
                    appendFixed(&out, double(i) / GRID_WIDTH), out += ' ',
                        appendFixed(&out, double(j) / GRID_HEIGHT);
                } else {
                    appendFixed(&out, random.next() * 2 - 1), out += ' ',
                        appendFixed(&out, random.next());
                    out += ' ', appendFixed(&out, random.next() * 2 - 1);
                }
                out += '\n';
            }
            flush(&out, file);
        }
    }
    for (int j = 0; j + 1 < GRID_HEIGHT; ++j) {
        if (j % ROWS_PER_MATERIAL == 0)
            out += "usemtl m" + std::to_string(j / ROWS_PER_MATERIAL % 4) + "\n";
        for (int i = 0; i + 1 < GRID_WIDTH; ++i) {
            const long a = long(j) * GRID_WIDTH + i + 1, b = a + 1, c = a + GRID_WIDTH + 1,
                       d = a + GRID_WIDTH;
            const long quad[] = {a, b, c, d}, first[] = {a, b, c}, second[] = {a, c, d};
            if ((i + j) % 3 == 0) {
                out += 'f';
                for (long k : quad) appendCorner(&out, k);
                out += '\n';
            } else {
                out += 'f';
                for (long k : first) appendCorner(&out, k);
                out += "\nf";
                for (long k : second) appendCorner(&out, k);
                out += '\n';
            }
        }
        flush(&out, file);
    }
    return closeWritten(file);
}

inline void appendVector(std::string* out, const char* kind, double x, double y, double z) {
    *out += kind;
    appendFixed(out, x), *out += ' ', appendFixed(out, y), *out += ' ', appendFixed(out, z);
    *out += '\n';
}

// Positions around each ring from pole to pole, two triangles between neighbours.
inline bool writeSphere(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    std::string out;
    const double pi = std::acos(-1.0);
    for (int r = 0; r <= SPHERE_RINGS; ++r) {
        const double theta = pi * r / SPHERE_RINGS;
        for (int s = 0; s < SPHERE_SEGMENTS; ++s) {
            const double phi = 2 * pi * s / SPHERE_SEGMENTS;
            appendVector(&out, "v ", std::sin(theta) * std::cos(phi), std::cos(theta),
                         std::sin(theta) * std::sin(phi));
        }
        flush(&out, file);
    }
    for (int r = 0; r < SPHERE_RINGS; ++r) {
        for (int s = 0; s < SPHERE_SEGMENTS; ++s) {
            const long a = long(r) * SPHERE_SEGMENTS + s + 1;
            const long b = long(r) * SPHERE_SEGMENTS + (s + 1) % SPHERE_SEGMENTS + 1;
            const long corners[] = {a, a + SPHERE_SEGMENTS, b,
                                    b, a + SPHERE_SEGMENTS, b + SPHERE_SEGMENTS};
            for (int k = 0; k < 6; ++k) {
                out += k % 3 ? " " : "f ";
                appendInt(&out, corners[k]);
                if (k % 3 == 2) out += '\n';
            }
        }
        flush(&out, file);
    }
    return closeWritten(file);
}

// A torus, its surface wrapped round both ways in quads, each corner with its own v, vt and vn.
inline bool writeQuads(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    std::string out;
    const double step = 2 * std::acos(-1.0) / TORUS_SIZE;
    for (const char* kind : {"v ", "vt ", "vn "}) {
        for (int i = 0; i < TORUS_SIZE; ++i) {
            for (int j = 0; j < TORUS_SIZE; ++j) {
                const double u = i * step, v = j * step;
                if (kind[1] == 't') {
                    out += kind, appendFixed(&out, double(i) / TORUS_SIZE), out += ' ';
                    appendFixed(&out, double(j) / TORUS_SIZE), out += '\n';
                } else {
                    const double radius = kind[1] == 'n' ? 0 : 2;
                    appendVector(&out, kind, (radius + std::cos(v)) * std::cos(u), std::sin(v),
                                 (radius + std::cos(v)) * std::sin(u));
                }
            }
            flush(&out, file);
        }
    }
    for (int i = 0; i < TORUS_SIZE; ++i) {
        for (int j = 0; j < TORUS_SIZE; ++j) {
            const int next = (i + 1) % TORUS_SIZE;
            const long a = long(i) * TORUS_SIZE + j + 1, b = long(next) * TORUS_SIZE + j + 1;
            const long c = long(next) * TORUS_SIZE + (j + 1) % TORUS_SIZE + 1;
            const long d = long(i) * TORUS_SIZE + (j + 1) % TORUS_SIZE + 1;
            out += 'f';
            for (long k : {a, b, c, d}) appendCorner(&out, k);
            out += '\n';
        }
        flush(&out, file);
    }
    return closeWritten(file);
}

// The models one after another until the file holds ASSIMP_MEGABYTES. Their indices count from
// the first model of the file, which both readers take alike; their libraries are left out, which
// neither reader would find here.
inline bool writeAssimpModels(const std::string& path) {
    std::string models;
    for (const char* name : ASSIMP_MODELS) {
        std::ifstream in(std::string(ASSIMP_DIRECTORY) + name);
        if (!in) return false;
        for (std::string line; std::getline(in, line);)
            if (line.rfind("mtllib", 0) != 0) models += line + "\n";
    }
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    for (double written = 0; written < ASSIMP_MEGABYTES * (1 << 20); written += models.size())
        fwrite(models.data(), 1, models.size(), file);
    return closeWritten(file);
}

inline bool writeWarmUpModel(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    fprintf(file, "mtllib %s\nv 0.5 -0.25 1.0\nv 1 0 0\nv 0 1 0\nvt 0.5 0.5\nvn 0 0 1\n",
            LIBRARY_NAME);
    fprintf(file, "usemtl m1\nf 1/1/1 2/1/1 3/1/1\nf 1/1/1 2/1/1 3/1/1 1/1/1\n");
    return fclose(file) == 0;
}

inline bool writeLibrary(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    for (int m = 0; m < 4; ++m)
        fprintf(file, "newmtl m%d\nKa 0.1 0.1 0.1\nKd 0.%d 0.5 0.5\nNs 32\nd 1\n", m, m + 2);
    return fclose(file) == 0;
}

// The library's materials m0, m1 ...; the model uses them in a scattered order.
inline bool writeTableLibrary(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    for (int m = 0; m < TABLE_MATERIALS; ++m) fprintf(file, "newmtl m%d\nKd 0.5 0.5 0.5\n", m);
    return fclose(file) == 0;
}

inline bool writeTableModel(const std::string& path) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    fprintf(file, "mtllib %s\nv 0 0 0\nv 1 0 0\nv 0 1 0\n", TABLE_LIBRARY_NAME);
    Lcg random{7};
    for (int i = 0; i < TABLE_SWITCHES; ++i)
        fprintf(file, "usemtl m%d\nf 1 2 3\n", static_cast<int>(random.next() * TABLE_MATERIALS));
    return fclose(file) == 0;
}
