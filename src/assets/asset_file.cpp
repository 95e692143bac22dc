#include "assets/asset_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace {

// Pipes, devices and other files without a size are read to their end into the heap.
bool readStream(int fd, AssetFile* file) {
    size_t capacity = 1 << 16;
    size_t length = 0;
    char* buffer = static_cast<char*>(std::malloc(capacity));
    while (buffer) {
        const ssize_t n = read(fd, buffer + length, capacity - length);
        if (n <= 0) {
            if (n == 0) break;
            std::free(buffer);
            return false;
        }
        length += static_cast<size_t>(n);
        if (length == capacity) {
            capacity *= 2;
            char* grown = static_cast<char*>(std::realloc(buffer, capacity));
            if (!grown) std::free(buffer);
            buffer = grown;
        }
    }
    if (!buffer) return false;
    *file = {buffer, length, buffer, false};
    return true;
}

// The whole file at once: its pages come from the page cache, so no fresh memory is touched.
bool mapRegularFile(int fd, size_t length, AssetFile* file) {
    if (length == 0) {
        *file = {"", 0, nullptr, false};
        return true;
    }
    void* text = mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    if (text == MAP_FAILED) return false;
    *file = {static_cast<const char*>(text), length, text, true};
    return true;
}

}  // namespace

bool openAssetFile(const char* path, AssetFile* file) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status;
    bool ok = fstat(fd, &status) == 0;
    if (ok && S_ISREG(status.st_mode))
        ok = mapRegularFile(fd, static_cast<size_t>(status.st_size), file);
    else if (ok)
        ok = readStream(fd, file);
    close(fd);
    return ok;
}

void closeAssetFile(AssetFile* file) {
    if (file->mapped)
        munmap(file->owned, file->length);
    else
        std::free(file->owned);
    *file = {"", 0, nullptr, false};
}
