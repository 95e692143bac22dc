#include "reference_reader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The file as a text-mode stream gives it: a carriage return right before a line feed dropped.
std::string textMode(const std::string& raw) {
    std::string text;
    for (size_t i = 0; i < raw.size(); ++i)
        if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')) text += raw[i];
    return text;
}

// fgets(buffer, limit + 1, file) in a loop: at most limit characters, through the first line
// feed. The piece keeps any NUL it holds; the C functions stop there, as they did.
struct PieceStream {
    std::string text;
    size_t position = 0;

    bool read(size_t limit, std::vector<char>* piece, size_t* start) {
        if (position >= text.size()) return false;
        size_t end = position;
        while (end < text.size() && end - position < limit)
            if (text[end++] == '\n') break;
        piece->assign(text.begin() + static_cast<long>(position),
                      text.begin() + static_cast<long>(end));
        piece->push_back('\0');
        *start = position;
        position = end;
        return true;
    }
};

void readFloats(const std::string& text, const char* keyword, int width, std::vector<float>* values,
                std::vector<size_t>* starts) {
    PieceStream stream{text};
    std::vector<char> piece;
    size_t start;
    while (stream.read(99, &piece, &start)) {
        if (std::strncmp(piece.data(), keyword, std::strlen(keyword)) != 0) continue;
        char* token = std::strtok(piece.data(), " ");
        for (int i = 0; i < width; ++i) {
            token = token ? std::strtok(nullptr, " ") : nullptr;
            values->push_back(token ? static_cast<float>(std::atof(token)) : 0.0f);
        }
        starts->push_back(start);
    }
}

struct Corner {
    int vertex = 0, texCoord = 0, normal = 0;
    bool hasVertex = false;
    bool backslash = false;
};

Corner readCorner(const char* token) {
    Corner corner;
    const std::string text(token);
    corner.backslash = text.find('\\') != std::string::npos;
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == '/')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    corner.hasVertex = std::sscanf(parts[0].c_str(), "%d", &corner.vertex) == 1;
    if (parts.size() >= 2) std::sscanf(parts[1].c_str(), "%d", &corner.texCoord);
    if (parts.size() >= 3) std::sscanf(parts.back().c_str(), "%d", &corner.normal);
    return corner;
}

int resolve(int number, const std::vector<size_t>& starts, size_t faceStart) {
    if (number > 0) return number - 1;
    if (number == 0) return -1;
    const long before = std::lower_bound(starts.begin(), starts.end(), faceStart) - starts.begin();
    return static_cast<int>(before + number);
}

int findName(const std::vector<ReferenceMaterial>& materials, const char* name) {
    for (size_t i = 0; i < materials.size(); ++i)
        if (std::strcmp(materials[i].name, name) == 0) return static_cast<int>(i);
    return -1;
}

struct Starts {
    std::vector<size_t> vertices, texCoords, normals;
};

void readFaces(const std::string& text, const Starts& starts, ReferenceModel* model) {
    PieceStream stream{text};
    std::vector<char> piece;
    size_t start;
    int material = -1;
    while (stream.read(499, &piece, &start)) {
        if (std::strncmp(piece.data(), "usemtl ", 7) == 0) {
            char name[512] = "";
            std::sscanf(piece.data() + 6, "%s", name);
            material = findName(model->materials, name);
            continue;
        }
        if (piece[0] != 'f') continue;
        const size_t faceStart = start;
        std::vector<std::array<int, 3>> corners;
        char* token =
            std::strlen(piece.data()) >= 2 ? std::strtok(piece.data() + 2, " \t\n") : nullptr;
        while (token) {
            const Corner corner = readCorner(token);
            if (corner.hasVertex)
                corners.push_back({resolve(corner.vertex, starts.vertices, faceStart),
                                   resolve(corner.normal, starts.normals, faceStart),
                                   resolve(corner.texCoord, starts.texCoords, faceStart)});
            if (!corner.backslash) {
                token = std::strtok(nullptr, " \t\n");
            } else {
                token =
                    stream.read(499, &piece, &start) ? std::strtok(piece.data(), " \t\n") : nullptr;
            }
        }
        for (size_t k = 2; k < corners.size(); ++k) {
            const std::array<int, 3>& a = corners[0];
            const std::array<int, 3>& b = corners[k - 1];
            const std::array<int, 3>& c = corners[k];
            model->faces.push_back(ObjFace{3,
                                           {a[0], b[0], c[0]},
                                           {a[1], b[1], c[1]},
                                           {a[2], b[2], c[2]},
                                           material,
                                           corners.back()[1] >= 0,
                                           corners.back()[2] >= 0});
        }
    }
}

std::vector<ReferenceMaterial> readLibrary(const std::string& raw) {
    const std::string text = textMode(raw);
    std::vector<char> piece;
    size_t start;
    PieceStream counting{text};
    size_t count = 0;
    while (counting.read(255, &piece, &start))
        count += std::strncmp(piece.data(), "newmtl ", 7) == 0;
    std::vector<ReferenceMaterial> materials(count);
    PieceStream filling{text};
    ReferenceMaterial* m = nullptr;
    size_t next = 0;
    while (filling.read(255, &piece, &start)) {
        const char* line = piece.data();
        if (std::strncmp(line, "newmtl ", 7) == 0) {
            m = &materials[next++];
            std::sscanf(line + 6, "%s", m->name);
        } else if (!m) {
            continue;
        } else if (std::strncmp(line, "Ka ", 3) == 0) {
            std::sscanf(line + 2, "%f%f%f", &m->ambient[0], &m->ambient[1], &m->ambient[2]);
            m->ambient[3] = 1.0f;
        } else if (std::strncmp(line, "Kd ", 3) == 0) {
            std::sscanf(line + 2, "%f%f%f", &m->diffuse[0], &m->diffuse[1], &m->diffuse[2]);
            m->diffuse[3] = 1.0f;
        } else if (std::strncmp(line, "Ks ", 3) == 0) {
            std::sscanf(line + 2, "%f%f%f", &m->specular[0], &m->specular[1], &m->specular[2]);
            m->specular[3] = 1.0f;
        } else if (std::strncmp(line, "Ns ", 3) == 0) {
            std::sscanf(line + 2, "%f", &m->shininess);
        } else if (std::strncmp(line, "d ", 2) == 0) {
            std::sscanf(line + 1, "%f", &m->dissolve);
        }
    }
    return materials;
}

template <typename T>
bool sameBytes(const T* ours, size_t count, const std::vector<T>& expected, const char* what,
               std::string* difference) {
    if (count != expected.size()) {
        *difference = std::string(what) + ": " + std::to_string(count) + " instead of " +
                      std::to_string(expected.size());
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        if (std::memcmp(&ours[i], &expected[i], sizeof(T)) != 0) {
            *difference = std::string(what) + " differ at " + std::to_string(i);
            return false;
        }
    }
    return true;
}

bool sameMaterials(const ObjModel& model, const std::vector<ReferenceMaterial>& expected,
                   std::string* difference) {
    if (static_cast<size_t>(model.materialCount) != expected.size()) {
        *difference = "materials: " + std::to_string(model.materialCount) + " instead of " +
                      std::to_string(expected.size());
        return false;
    }
    for (size_t i = 0; i < expected.size(); ++i) {
        const ObjMaterial& ours = model.materials[i];
        const ReferenceMaterial& theirs = expected[i];
        const bool same =
            std::strcmp(ours.name, theirs.name) == 0 &&
            std::memcmp(ours.ambient, theirs.ambient, sizeof theirs.ambient) == 0 &&
            std::memcmp(ours.diffuse, theirs.diffuse, sizeof theirs.diffuse) == 0 &&
            std::memcmp(ours.specular, theirs.specular, sizeof theirs.specular) == 0 &&
            std::memcmp(&ours.dissolve, &theirs.dissolve, sizeof(float)) == 0 &&
            std::memcmp(&ours.shininess, &theirs.shininess, sizeof(float)) == 0;
        if (!same) {
            *difference = "materials differ at " + std::to_string(i);
            return false;
        }
    }
    return true;
}

}  // namespace

ReferenceModel readReferenceModel(const std::string& raw,
                                  const std::map<std::string, std::string>& libraries) {
    const std::string text = textMode(raw);
    ReferenceModel model;
    PieceStream stream{text};
    std::vector<char> piece;
    size_t start;
    while (stream.read(255, &piece, &start)) {
        if (std::strncmp(piece.data(), "mtllib ", 7) != 0) continue;
        char name[256] = "";
        std::sscanf(piece.data() + 6, "%s", name);
        model.materialLibrary = name;
        const auto library = libraries.find(name);
        if (library != libraries.end()) model.materials = readLibrary(library->second);
        break;
    }
    Starts starts;
    readFloats(text, "v ", 3, &model.vertices, &starts.vertices);
    readFloats(text, "vt", 2, &model.texCoords, &starts.texCoords);
    readFloats(text, "vn", 3, &model.normals, &starts.normals);
    readFaces(text, starts, &model);
    return model;
}

bool sameAsReference(const ObjModel& model, const ReferenceModel& reference,
                     std::string* difference) {
    if (model.materialLibrary != reference.materialLibrary) {
        *difference = "library name \"" + std::string(model.materialLibrary) + "\" instead of \"" +
                      reference.materialLibrary + "\"";
        return false;
    }
    return sameBytes(model.vertices, static_cast<size_t>(model.vertexCount) * 3, reference.vertices,
                     "positions", difference) &&
           sameBytes(model.texCoords, static_cast<size_t>(model.texCoordCount) * 2,
                     reference.texCoords, "texture coordinates", difference) &&
           sameBytes(model.normals, static_cast<size_t>(model.normalCount) * 3, reference.normals,
                     "normals", difference) &&
           sameMaterials(model, reference.materials, difference) &&
           sameBytes(model.faces, static_cast<size_t>(model.faceCount), reference.faces, "faces",
                     difference);
}
