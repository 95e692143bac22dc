// A whole asset file as read-only memory: mapped when it is a regular file, read otherwise.
// if (openAssetFile(path, &file)) { use file.text, file.length; closeAssetFile(&file); }
#pragma once

#include <cstddef>

struct AssetFile {
    const char* text;  // file.length bytes, not NUL-terminated; never null
    size_t length;     // bytes
    void* owned;       // what closeAssetFile releases: the mapping, a heap block, or null
    bool mapped;       // owned is a mapping of length bytes
};

// Opens the file read-only (a read-only file loads) and makes its bytes available. False when it
// cannot be opened or read; *file is then untouched.
bool openAssetFile(const char* path, AssetFile* file);

void closeAssetFile(AssetFile* file);
