#include "file_io.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string joinPath(const std::string& directory, const char* name) {
    if (directory.empty() || directory.back() == '/') return directory + name;
    return directory + "/" + name;
}

int writeFileBytes(const std::string& path, const void* data, size_t size) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        std::fprintf(stderr, "assetgen: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return 1;
    }
    size_t written = size ? std::fwrite(data, 1, size, file) : 0;
    int writeError = written != size ? errno : 0;
    if (std::fclose(file) != 0 && writeError == 0) writeError = errno;
    if (writeError != 0 || written != size) {
        std::fprintf(stderr, "assetgen: cannot write %s: %s\n", path.c_str(),
                     std::strerror(writeError ? writeError : EIO));
        return 1;
    }
    return 0;
}

int makeDirectories(const std::string& path) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "assetgen: cannot create directory %s: %s\n", prefix.c_str(),
                         std::strerror(errno));
            return 1;
        }
        if (slash == std::string::npos) break;
    }
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "assetgen: cannot create directory %s: not a directory\n",
                     path.c_str());
        return 1;
    }
    return 0;
}
