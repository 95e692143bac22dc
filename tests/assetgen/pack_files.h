// Where the asset pack tests find the pack the build wrote, and small file helpers.
// readPackFile(name) gives the bytes of <build>/assets/<name> (empty when it is missing).
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string packPath(const std::string& name) {
    return std::string(DEMO_BINARY_DIR) + "/assets/" + name;
}

inline std::vector<uint8_t> readFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

inline std::vector<uint8_t> readPackFile(const std::string& name) {
    return readFileBytes(packPath(name));
}
