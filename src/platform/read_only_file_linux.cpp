#include "platform/read_only_file.h"

#include <fcntl.h>
#include <sys/mman.h>

FILE* openBytesForReading(const char* path) { return std::fopen(path, "rb"); }

int openReadOnly(const char* path) { return open(path, O_RDONLY | O_CLOEXEC); }

const void* mapReadOnly(int fd, size_t length) {
    // The pages come from the page cache, so no fresh memory is touched.
    void* text = mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    return text == MAP_FAILED ? nullptr : text;
}

void unmapReadOnly(const void* text, size_t length) { munmap(const_cast<void*>(text), length); }
