#include "platform/replace_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

// The reason of the call that just failed; EIO should it have left none, as 0 reads as success.
int lastError() { return errno != 0 ? errno : EIO; }

// The mode a file created by open() gets, which mkostemp's 0600 is changed to. umask() both reads
// and sets, so it is read once: two threads reading it at once could leave the mask at 0.
mode_t newFileMode() {
    static const mode_t mask = [] {
        const mode_t read = umask(0);
        umask(read);
        return read;
    }();
    return 0666 & ~mask;
}

int writeAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return lastError();
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

}  // namespace

int replaceFile(const char* path, const void* data, size_t size) {
    errno = 0;
    // A hidden name that no reader of the directory's outputs takes for one of them.
    const char* slash = std::strrchr(path, '/');
    const std::string directory = slash ? std::string(path, slash + 1) : std::string();
    std::string temporary = directory + "." + (slash ? slash + 1 : path) + ".XXXXXX";
    const int fd = mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return lastError();
    int error = writeAll(fd, data, size);
    if (error == 0 && fchmod(fd, newFileMode()) != 0) error = lastError();
    // Some file systems report a write that found no room only when the file closes.
    if (close(fd) != 0 && error == 0) error = lastError();
    if (error == 0 && rename(temporary.c_str(), path) != 0) error = lastError();
    if (error != 0) unlink(temporary.c_str());
    return error;
}
