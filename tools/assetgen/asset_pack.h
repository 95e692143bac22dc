// Writes the presentation's whole asset pack into one directory: models with their material
// libraries, textures, shaders and soundtrack. writeAssetPack("build/assets") returns 0 or 1.
#pragma once

// Creates the directory when needed. Same bytes on every run. 0 on success; 1 after a one-line
// report on stderr naming the file that failed.
int writeAssetPack(const char* directory);
