#include "assets/asset_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "system/regular_file.h"

int openAssetFile(const char* path, uint64_t maxBytes, AssetFile* file) {
    RegularFile regular;
    const int error = openRegularFile(path, maxBytes, &regular);
    if (error != 0) return error;
    char* buffer = static_cast<char*>(std::malloc(ASSET_WINDOW_BYTES));
    if (!buffer) {
        closeRegularFile(regular.fd);
        return ENOMEM;
    }
    *file = AssetFile{regular.fd, regular.size, nullptr, ASSET_WINDOW_BYTES, buffer, 0, 0};
    return 0;
}

AssetFile memoryAssetFile(const char* text, size_t length, size_t windowBytes) {
    return AssetFile{-1, length, text, windowBytes, nullptr, 0, 0};
}

int openAssetFileAgain(const AssetFile& file, AssetFile* again) {
    if (file.fd < 0) {
        *again = file;
        return 0;
    }
    const int fd = duplicateRegularFile(file.fd);
    if (fd < 0) return errno;
    char* buffer = static_cast<char*>(std::malloc(file.windowBytes));
    if (!buffer) {
        closeRegularFile(fd);
        return ENOMEM;
    }
    *again = AssetFile{fd, file.length, nullptr, file.windowBytes, buffer, 0, 0};
    return 0;
}

AssetWindow assetWindow(AssetFile* file, uint64_t offset) {
    if (offset >= file->length) return AssetWindow{"", 0, true};
    const uint64_t left = file->length - offset;
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(left, file->windowBytes));
    if (file->fd < 0) return AssetWindow{file->memory + offset, wanted, wanted == left};

    // What the buffer holds from `offset` on is kept, so that each byte is read once, however the
    // file changes meanwhile.
    size_t kept = 0;
    const uint64_t bufferEnd = file->bufferOffset + file->bufferLength;
    if (offset >= file->bufferOffset && offset < bufferEnd) {
        kept = static_cast<size_t>(bufferEnd - offset);
        std::memmove(file->buffer, file->buffer + (offset - file->bufferOffset), kept);
    }
    file->bufferOffset = offset;
    file->bufferLength = kept;
    while (file->bufferLength < wanted) {
        const int64_t got = readFileAt(file->fd, file->buffer + file->bufferLength,
                                       wanted - file->bufferLength, offset + file->bufferLength);
        if (got < 0 && errno == EINTR) continue;
        // The file shrank, or cannot be read further: its text ends here.
        if (got <= 0) return AssetWindow{file->buffer, file->bufferLength, true};
        file->bufferLength += static_cast<size_t>(got);
    }
    return AssetWindow{file->buffer, wanted, wanted == left};
}

void closeAssetFile(AssetFile* file) {
    if (file->fd >= 0) closeRegularFile(file->fd);
    std::free(file->buffer);
    *file = memoryAssetFile("", 0);
}
