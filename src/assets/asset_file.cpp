#include "assets/asset_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

// The reason of the call that just failed; EIO should it have left none, as 0 would read as
// success.
int lastError() { return errno != 0 ? errno : EIO; }

// Pipes, devices and other files without a size are read to their end into the heap.
int readStream(int fd, AssetFile* file) {
    size_t capacity = 1 << 16;
    size_t length = 0;
    char* buffer = static_cast<char*>(std::malloc(capacity));
    while (buffer) {
        const ssize_t n = read(fd, buffer + length, capacity - length);
        if (n == 0) break;
        if (n < 0) {
            const int error = lastError();  // before free, which may set errno
            std::free(buffer);
            return error;
        }
        length += static_cast<size_t>(n);
        if (length == capacity) {
            capacity *= 2;
            char* grown = static_cast<char*>(std::realloc(buffer, capacity));
            if (!grown) std::free(buffer);
            buffer = grown;
        }
    }
    if (!buffer) return ENOMEM;
    *file = {buffer, length, buffer, false};
    return 0;
}

// The whole file at once: its pages come from the page cache, so no fresh memory is touched.
int mapRegularFile(int fd, size_t length, AssetFile* file) {
    if (length == 0) {
        *file = {"", 0, nullptr, false};
        return 0;
    }
    void* text = mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (text == MAP_FAILED) return lastError();
    *file = {static_cast<const char*>(text), length, text, true};
    return 0;
}

int readOpenFile(int fd, AssetFile* file) {
    struct stat status;
    if (fstat(fd, &status) != 0) return lastError();
    if (S_ISREG(status.st_mode))
        return mapRegularFile(fd, static_cast<size_t>(status.st_size), file);
    return readStream(fd, file);
}

}  // namespace

int openAssetFile(const char* path, AssetFile* file) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return lastError();
    const int error = readOpenFile(fd, file);
    close(fd);
    return error;
}

void closeAssetFile(AssetFile* file) {
    if (file->mapped)
        munmap(file->owned, file->length);
    else
        std::free(file->owned);
    *file = {"", 0, nullptr, false};
}
