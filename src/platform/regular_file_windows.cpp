#include "system/regular_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>

namespace {

// The C runtime refuses to open a directory (EACCES), where Linux opens it and fstat tells.
int openError(const char* path) {
    const int error = errno != 0 ? errno : EIO;
    struct stat status;
    if (error == EACCES && stat(path, &status) == 0 && S_ISDIR(status.st_mode)) return EISDIR;
    return error;
}

}  // namespace

int openRegularFile(const char* path, uint64_t maxBytes, RegularFile* file) {
    errno = 0;
    // Binary: the C runtime's text mode would turn CR LF into LF, and the readers see line ends as
    // they are stored. Opening a named pipe or device does not wait on Windows; fstat refuses it.
    const int fd = _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) return openError(path);
    uint64_t size = 0;
    const int error = regularFileSize(fd, maxBytes, &size);
    if (error != 0) {
        _close(fd);
        return error;
    }
    *file = RegularFile{fd, size};
    return 0;
}

int64_t readFileAt(int fd, void* data, size_t bytes, uint64_t offset) {
    // An OVERLAPPED offset reads at that place without regard to the handle's own position;
    // ReadFile moves that position, which no reader here relies on.
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD wanted = bytes > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes);
    DWORD got = 0;
    if (ReadFile(handle, data, wanted, &got, &at)) return got;
    if (GetLastError() == ERROR_HANDLE_EOF) return 0;
    errno = EIO;
    return -1;
}

void closeRegularFile(int fd) { _close(fd); }

int duplicateRegularFile(int fd) { return _dup(fd); }
