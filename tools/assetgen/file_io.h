// Whole-file writes for the generator, with the one-line report of a failure on stderr.
// if (writeFileBytes(joinPath(dir, name), bytes.data(), bytes.size()) != 0) return 1;
#pragma once

#include <cstddef>
#include <string>

std::string joinPath(const std::string& directory, const char* name);

// 0 on success; 1 after printing "assetgen: cannot write <path>: <reason>".
int writeFileBytes(const std::string& path, const void* data, size_t size);

// 0 when the directory exists afterwards (parents included); 1 after printing why not.
int makeDirectories(const std::string& path);
