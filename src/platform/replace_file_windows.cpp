#include "platform/replace_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <string>

namespace {

// Names unique within the process; _O_EXCL refuses one another process left behind.
std::atomic<unsigned> temporaryCount{0};

int writeAll(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const unsigned chunk = size > 0x40000000 ? 0x40000000u : static_cast<unsigned>(size);
        const int written = _write(fd, bytes, chunk);
        if (written <= 0) return errno != 0 ? errno : EIO;
        bytes += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

int moveError() {
    const DWORD error = GetLastError();
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return ENOSPC;
    if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) return EACCES;
    return EIO;
}

}  // namespace

int replaceFile(const char* path, const void* data, size_t size) {
    errno = 0;
    const std::string temporary = std::string(path) + "." + std::to_string(GetCurrentProcessId()) +
                                  "-" + std::to_string(temporaryCount++) + ".part";
    const int fd =
        _open(temporary.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0) return errno != 0 ? errno : EIO;
    int error = writeAll(fd, data, size);
    if (_close(fd) != 0 && error == 0) error = errno != 0 ? errno : EIO;
    // MoveFileEx replaces a link at the name rather than the file it points to.
    if (error == 0 && !MoveFileExA(temporary.c_str(), path, MOVEFILE_REPLACE_EXISTING))
        error = moveError();
    if (error != 0) _unlink(temporary.c_str());
    return error;
}
