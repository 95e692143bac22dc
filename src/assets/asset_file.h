// An asset's text read through one reused window of bounded size, or a text already in memory:
// openAssetFile(path, maxBytes, &file) == 0, then assetWindow(&file, offset) or walkAssetLines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "assets/text_scan.h"

// Bytes in a file's window: the most of a file a reader holds at once, and far more than the
// longest piece a reader takes (FACE_PIECE), so that even a longer line is read piece by piece.
constexpr size_t ASSET_WINDOW_BYTES = 256 * 1024;

struct AssetFile {
    int fd;                 // -1 for a text in memory
    uint64_t length;        // bytes of the text; for a file its size when opened, never passed
    const char* memory;     // the text in memory (fd -1)
    size_t windowBytes;     // most bytes one window holds
    char* buffer;           // windowBytes, malloc'd, for a file; null for a text in memory
    uint64_t bufferOffset;  // text offset of buffer[0]
    size_t bufferLength;    // bytes read into the buffer
};

// A stretch of the text. The bytes stay valid until the next window of the same AssetFile.
struct AssetWindow {
    const char* text;
    size_t length;  // bytes; 0 at the end of the text
    bool atEnd;     // the text ends at text + length
};

// Opens a regular file of at most maxBytes without blocking. 0, or why not (openRegularFile's
// codes, ENOMEM for the window); *file is then untouched.
int openAssetFile(const char* path, uint64_t maxBytes, AssetFile* file);

// The text [text, text + length) in windows of at most windowBytes (a small window lets tests read
// a text in memory as a large file is read). Nothing is copied; closeAssetFile releases nothing.
AssetFile memoryAssetFile(const char* text, size_t length, size_t windowBytes = SIZE_MAX);

// A second reader of the same text with a window of its own, for a look ahead that leaves the
// first reader's window in place. 0, or the errno of what failed; *again is then untouched.
int openAssetFileAgain(const AssetFile& file, AssetFile* again);

// The text from `offset` on, as much as one window holds. A file that shrank or failed to read
// since it was opened ends where the reading stopped; one that grew still ends at its old length.
AssetWindow assetWindow(AssetFile* file, uint64_t offset);

void closeAssetFile(AssetFile* file);

// What a reader of line parts returns to stop walkAssetLines.
constexpr size_t STOP_WALK = SIZE_MAX;

// Hands the text from `offset` (the start of a line) on to a reader, a window at a time:
//   lines(first, end, offset) -> bool: whole lines; [first, end) starts a line at text offset
//     `offset` and ends after a line feed or at the end of the text. False stops the walk.
//   part(part, base, complete, lineOffset) -> size_t: a line longer than a window, in parts.
//     `part` holds the bytes of the line at text offset lineOffset from line offset `base` on;
//     `complete` when it reaches the line's end, otherwise it ends inside the line and
//     part.length counts its bytes. Returns the line offset of the next part, beyond base, or
//     STOP_WALK; when complete, anything but STOP_WALK moves the walk on to the next line.
template <typename Lines, typename Part>
void walkAssetLines(AssetFile* file, uint64_t offset, Lines lines, Part part);

// ---- implementation of the walk ------------------------------------------------------------

// Reads the line at text offset lineOffset part by part; the text offset after it, or UINT64_MAX
// when the reader stopped.
template <typename Part>
uint64_t walkLongLine(AssetFile* file, uint64_t lineOffset, Part part) {
    size_t base = 0;
    for (;;) {
        const AssetWindow window = assetWindow(file, lineOffset + base);
        TextLine line;
        const char* end = window.text + window.length;
        if (!nextTextLine(&line, window.text, end)) return lineOffset + base;
        const bool complete = window.atEnd || line.length > line.contentLength;
        const size_t next = part(line, base, complete, lineOffset);
        if (next == STOP_WALK) return UINT64_MAX;
        if (complete) return lineOffset + base + static_cast<size_t>(line.next - window.text);
        // A reader that does not move on would be handed the same part for ever.
        if (next <= base) return UINT64_MAX;
        base = next;
    }
}

template <typename Lines, typename Part>
void walkAssetLines(AssetFile* file, uint64_t offset, Lines lines, Part part) {
    for (;;) {
        const AssetWindow window = assetWindow(file, offset);
        if (window.length == 0) return;
        const char* end = window.text + window.length;
        if (!window.atEnd) {
            // The window's last line may go on beyond it: it is read from the next window.
            const void* lastLineFeed = memrchr(window.text, '\n', window.length);
            end = lastLineFeed ? static_cast<const char*>(lastLineFeed) + 1 : nullptr;
        }
        if (end) {
            if (!lines(window.text, end, offset)) return;
            offset += static_cast<uint64_t>(end - window.text);
        } else {
            offset = walkLongLine(file, offset, part);
            if (offset == UINT64_MAX) return;
        }
    }
}
