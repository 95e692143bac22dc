// A PNG file read and uploaded in one call, for GL tests: loadPngTexture(path) with a context
// current. The presentation itself reads on its prefetch thread and uploads later.
#pragma once

#include <cstdint>

// readPngMipmaps, then uploadPngMipmaps: the texture, or 0 after the warning line.
uint32_t loadPngTexture(const char* path);
