#include "system/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// The reason of the call that just failed; EIO should it have left none, as 0 reads as success.
int lastError() { return errno != 0 ? errno : EIO; }

// Opening a socket fails with ENXIO ("No such device or address") before any fstat could refuse
// it; the name is looked at only then, so a file swapped meanwhile is at worst named by its type.
int openError(const char* path) {
    const int error = lastError();
    struct stat status;
    if (error == ENXIO && stat(path, &status) == 0 && !S_ISREG(status.st_mode))
        return FILE_NOT_REGULAR;
    return error;
}

}  // namespace

int openRegularFile(const char* path, uint64_t maxBytes, RegularFile* file) {
    errno = 0;
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return openError(path);
    uint64_t size = 0;
    int error = regularFileSize(fd, maxBytes, &size);
    // Reads of a regular file wait for the disk whatever the flag says; cleared all the same, so
    // that no file system's own reading of the flag can turn a read into EAGAIN.
    if (error == 0 && fcntl(fd, F_SETFL, 0) != 0) error = lastError();
    if (error != 0) {
        close(fd);
        return error;
    }
    *file = RegularFile{fd, size};
    return 0;
}

int64_t readFileAt(int fd, void* data, size_t bytes, uint64_t offset) {
    return pread(fd, data, bytes, static_cast<off_t>(offset));
}

void closeRegularFile(int fd) { close(fd); }

int duplicateRegularFile(int fd) { return dup(fd); }
