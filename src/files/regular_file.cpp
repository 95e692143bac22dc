#include "files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// The reason of the call that just failed; EIO should it have left none, as 0 reads as success.
int lastError() { return errno != 0 ? errno : EIO; }

int refusal(const struct stat& status, uint64_t maxBytes) {
    if (S_ISDIR(status.st_mode)) return EISDIR;
    if (!S_ISREG(status.st_mode)) return FILE_NOT_REGULAR;
    if (static_cast<uint64_t>(status.st_size) > maxBytes) return EFBIG;
    return 0;
}

}  // namespace

int openRegularFile(const char* path, uint64_t maxBytes, RegularFile* file) {
    errno = 0;
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return lastError();
    struct stat status;
    int error = fstat(fd, &status) != 0 ? lastError() : refusal(status, maxBytes);
    // Reads of a regular file wait for the disk whatever the flag says; cleared all the same, so
    // that no file system's own reading of the flag can turn a read into EAGAIN.
    if (error == 0 && fcntl(fd, F_SETFL, 0) != 0) error = lastError();
    if (error != 0) {
        close(fd);
        return error;
    }
    *file = RegularFile{fd, static_cast<uint64_t>(status.st_size)};
    return 0;
}

int readRegularFile(const RegularFile& file, void* data, size_t* got) {
    auto* bytes = static_cast<char*>(data);
    const auto size = static_cast<size_t>(file.size);
    *got = 0;
    while (*got < size) {
        const ssize_t n = pread(file.fd, bytes + *got, size - *got, static_cast<off_t>(*got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return lastError();
        if (n == 0) break;
        *got += static_cast<size_t>(n);
    }
    return 0;
}

const char* fileErrorText(int error) {
    return error == FILE_NOT_REGULAR ? "not a regular file" : std::strerror(error);
}
