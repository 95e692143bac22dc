#include "platform/read_only_file.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>

FILE* openBytesForReading(const char* path) {
    FILE* file = std::fopen(path, "rb");
    struct stat info = {};
    if (!file && errno == EACCES && stat(path, &info) == 0 && S_ISDIR(info.st_mode)) errno = EISDIR;
    return file;
}

// O_BINARY: the C runtime's text mode would turn CR LF into LF, and the readers see line ends as
// they are written.
int openReadOnly(const char* path) { return _open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT); }

const void* mapReadOnly(int fd, size_t length) {
    const HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    // The mapping object is released at once: the view keeps the mapping alive until unmapped.
    const HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) {
        errno = EACCES;
        return nullptr;
    }
    const void* text = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, length);
    CloseHandle(mapping);
    if (!text) errno = ENOMEM;
    return text;
}

void unmapReadOnly(const void* text, size_t) { UnmapViewOfFile(text); }
