#include "obj_writer.h"

#include <cstdio>
#include <cstring>

#include "assets/obj_reader.h"
#include "file_io.h"

namespace {

// The reader takes coordinate and face lines in pieces, line feed included; longer lines would be
// cut.
const size_t MAX_COORDINATE_LINE = VERTEX_PIECE - 1;
const size_t MAX_FACE_LINE = FACE_PIECE - 1;

// Fixed decimals without trailing zeros keep the files small; "-0" would only cost a byte.
void appendNumber(std::string* text, double value, int decimals) {
    char buffer[48];
    int n = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    if (decimals > 0) {
        while (buffer[n - 1] == '0') buffer[--n] = '\0';
        if (buffer[n - 1] == '.') buffer[--n] = '\0';
    }
    if (std::strcmp(buffer, "-0") == 0) std::strcpy(buffer, "0");
    text->push_back(' ');
    text->append(buffer);
}

void appendCoordinateLine(std::string* text, const char* keyword, const double* values, int count,
                          int decimals) {
    text->append(keyword);
    for (int i = 0; i < count; ++i) appendNumber(text, values[i], decimals);
    text->push_back('\n');
}

size_t longestLine(const std::string& text, const char* prefix) {
    size_t longest = 0;
    size_t prefixLength = std::strlen(prefix);
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        if (text.compare(start, prefixLength, prefix) == 0 && end - start > longest) {
            longest = end - start;
        }
        start = end + 1;
    }
    return longest;
}

}  // namespace

std::string formatObjText(const Mesh& mesh, const char* libraryName, const char* title) {
    std::string text;
    text.reserve(mesh.positions.size() * 90 + mesh.corners.size() * 20);
    text += "# ";
    text += title;
    text += "\n# written by assetgen\nmtllib ";
    text += libraryName;
    text += "\n";
    for (Vec3 p : mesh.positions) {
        double values[3] = {p.x, p.y, p.z};
        appendCoordinateLine(&text, "v", values, 3, 2);
    }
    for (size_t i = 0; i < mesh.texCoords.size(); i += 2) {
        appendCoordinateLine(&text, "vt", &mesh.texCoords[i], 2, 4);
    }
    for (Vec3 n : mesh.normals) {
        double values[3] = {n.x, n.y, n.z};
        appendCoordinateLine(&text, "vn", values, 3, 3);
    }
    int32_t material = -1;
    char corner[48];
    for (const MeshPolygon& polygon : mesh.polygons) {
        if (polygon.material != material) {
            material = polygon.material;
            text += "usemtl ";
            text += mesh.materials[material].name;
            text += "\n";
        }
        text += "f";
        for (int32_t i = 0; i < polygon.cornerCount; ++i) {
            const MeshCorner& c = mesh.corners[polygon.firstCorner + i];
            std::snprintf(corner, sizeof corner, " %d/%d/%d", c.position + 1, c.texCoord + 1,
                          c.normal + 1);
            text += corner;
        }
        text += "\n";
    }
    return text;
}

std::string formatMtlText(const Mesh& mesh) {
    std::string text = "# written by assetgen\n";
    char line[160];
    for (const MeshMaterial& m : mesh.materials) {
        std::snprintf(line, sizeof line,
                      "\nnewmtl %s\nKa 0.2 0.2 0.2\nKd %.3f %.3f %.3f\nKs %.3f %.3f %.3f\n"
                      "Ns %.1f\nd 1\n",
                      m.name.c_str(), m.diffuse[0], m.diffuse[1], m.diffuse[2], m.specular[0],
                      m.specular[1], m.specular[2], m.shininess);
        text += line;
    }
    return text;
}

int writeObjModel(const Mesh& mesh, const std::string& directory, const char* objName,
                  const char* libraryName, const char* title) {
    std::string obj = formatObjText(mesh, libraryName, title);
    const char* coordinateKeywords[3] = {"v", "vt", "vn"};
    for (const char* keyword : coordinateKeywords) {
        if (longestLine(obj, keyword) > MAX_COORDINATE_LINE) {
            std::fprintf(stderr, "assetgen: %s: a \"%s\" line is too long for the reader\n",
                         objName, keyword);
            return 1;
        }
    }
    if (longestLine(obj, "f") > MAX_FACE_LINE) {
        std::fprintf(stderr, "assetgen: %s: a face line is too long for the reader\n", objName);
        return 1;
    }
    std::string mtl = formatMtlText(mesh);
    if (writeFileBytes(joinPath(directory, objName), obj.data(), obj.size()) != 0) return 1;
    return writeFileBytes(joinPath(directory, libraryName), mtl.data(), mtl.size());
}
