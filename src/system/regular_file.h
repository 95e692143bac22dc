// Opening an input file without ever blocking, and only when it is a regular file of bounded size:
// if (openRegularFile(path, maxBytes, &file) == 0) { readFileAt(file.fd, ...); closeRegularFile }
// or, for a file read whole, readWholeRegularFile. Implemented in src/platform for each system.
#pragma once

#include <cstddef>
#include <cstdint>

// Past every errno value: a FIFO, device or socket, whose open or read could wait for ever or
// never end.
constexpr int FILE_NOT_REGULAR = 1 << 16;

struct RegularFile {
    int fd;         // read-only and close-on-exec; the caller closes it
    uint64_t size;  // bytes when it was opened; what a reader may take of it
};

// 0, or why the file is refused: FILE_NOT_REGULAR, EISDIR for a directory, EFBIG when it holds
// more than maxBytes, or the errno of the open (EIO when none is known). *file is then untouched.
int openRegularFile(const char* path, uint64_t maxBytes, RegularFile* file);

// What each system's openRegularFile asks of the descriptor it opened: 0 with *size its bytes, or
// why it is refused (as openRegularFile says; EIO when fstat failed without a reason).
int regularFileSize(int fd, uint64_t maxBytes, uint64_t* size);

// Closes what openRegularFile or duplicateRegularFile gave.
void closeRegularFile(int fd);

// A second descriptor of the same open file, for a reader of its own that closes it on its own
// (reads take explicit offsets, so the shared position does not matter); -1 with errno set.
int duplicateRegularFile(int fd);

// The whole regular file `path` of at most maxBytes in one malloc'd block of its size plus one, a
// zero byte after what it held: 0 with *bytes (the caller frees) and *size set, or why not
// (openRegularFile's codes, ENOMEM, a read's errno), with *bytes untouched. A file that shrank or
// failed part-way is cut at what arrived, never padded with whatever the allocation held.
int readWholeRegularFile(const char* path, uint64_t maxBytes, char** bytes, size_t* size);

// Reads the file from its start into `data`, which has room for file.size bytes; *got is what it
// held, less when it shrank meanwhile. 0, or the errno of a read that failed.
int readRegularFile(const RegularFile& file, void* data, size_t* got);

// Up to `bytes` of the open file from byte `offset` on, whatever other readers of the descriptor
// do meanwhile (no shared file position moves). What it read, 0 at the end of the file, or -1
// with errno set.
int64_t readFileAt(int fd, void* data, size_t bytes, uint64_t offset);

// The reason in words, for a warning line: strerror's, or ours for FILE_NOT_REGULAR.
const char* fileErrorText(int error);
