// What the systems share of reading a regular file: fstat and the C library are the same on both.
#include "system/regular_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

int regularFileSize(int fd, uint64_t maxBytes, uint64_t* size) {
    errno = 0;
    struct stat status;
    if (fstat(fd, &status) != 0) return errno != 0 ? errno : EIO;
    if (S_ISDIR(status.st_mode)) return EISDIR;
    if (!S_ISREG(status.st_mode)) return FILE_NOT_REGULAR;
    if (static_cast<uint64_t>(status.st_size) > maxBytes) return EFBIG;
    *size = static_cast<uint64_t>(status.st_size);
    return 0;
}

int readRegularFile(const RegularFile& file, void* data, size_t* got) {
    auto* bytes = static_cast<char*>(data);
    const auto size = static_cast<size_t>(file.size);
    *got = 0;
    while (*got < size) {
        const int64_t n = readFileAt(file.fd, bytes + *got, size - *got, *got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno != 0 ? errno : EIO;
        if (n == 0) break;
        *got += static_cast<size_t>(n);
    }
    return 0;
}

int readWholeRegularFile(const char* path, uint64_t maxBytes, char** bytes, size_t* size) {
    RegularFile file;
    int error = openRegularFile(path, maxBytes, &file);
    if (error != 0) return error;
    char* data = static_cast<char*>(std::malloc(static_cast<size_t>(file.size) + 1));
    size_t got = 0;
    error = data ? readRegularFile(file, data, &got) : ENOMEM;
    closeRegularFile(file.fd);
    if (error != 0) {
        std::free(data);
        return error;
    }
    data[got] = '\0';
    *bytes = data;
    *size = got;
    return 0;
}

const char* fileErrorText(int error) {
    return error == FILE_NOT_REGULAR ? "not a regular file" : std::strerror(error);
}
