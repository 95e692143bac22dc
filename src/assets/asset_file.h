// A whole asset file as read-only memory: mapped when it is a regular file, read otherwise.
// if (openAssetFile(path, &file) == 0) { use file.text, file.length; closeAssetFile(&file); }
#pragma once

#include <cstddef>

struct AssetFile {
    const char* text;  // file.length bytes, not NUL-terminated; never null
    size_t length;     // bytes
    void* owned;       // what closeAssetFile releases: the mapping, a heap block, or null
    bool mapped;       // owned is a mapping of length bytes
};

// Opens the file read-only (a read-only file loads) and makes its bytes available. Returns 0, or
// the errno of what failed (EIO when none is known), so that callers can say why; *file is then
// untouched.
int openAssetFile(const char* path, AssetFile* file);

void closeAssetFile(AssetFile* file);
