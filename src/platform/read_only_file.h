// A file opened for reading only and, when it is a regular file, its bytes mapped into memory.
// fd = openReadOnly(path); text = mapReadOnly(fd, length); ...; unmapReadOnly(text, length).
#pragma once

#include <cstddef>
#include <cstdio>

// fopen(path, "rb"), except that a directory that cannot be opened fails with EISDIR on every
// system: Windows' C library refuses it with EACCES, where Linux opens it and the caller's fstat
// finds what it is.
FILE* openBytesForReading(const char* path);

// A descriptor for read() and fstat() that no child process inherits, reading bytes exactly as
// they are stored; -1 with errno set when the file cannot be opened.
int openReadOnly(const char* path);

// The first `length` (> 0) bytes of the open regular file, paged in at once; the mapping outlives
// the descriptor. Null with errno set when the file cannot be mapped.
const void* mapReadOnly(int fd, size_t length);

void unmapReadOnly(const void* text, size_t length);
