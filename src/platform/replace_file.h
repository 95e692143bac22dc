// An output file put in place whole or not at all: if (int error = replaceFile(path, data, size))
// say strerror(error). Readers of `path` see either its old content or the new, never a part.
#pragma once

#include <cstddef>

// Writes `data` to a new file of its own beside `path`, then renames it onto `path`. A link at
// `path` is replaced itself, never followed, so no file elsewhere is written. On failure the new
// file is removed and whatever `path` held stays as it was. 0, or the errno of the step that
// failed (ENOSPC on a full disk).
int replaceFile(const char* path, const void* data, size_t size);
