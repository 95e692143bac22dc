#include "platform/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "system/warning.h"

namespace {

// IN_MOVED_FROM too: a file renamed away is gone as surely as a deleted one.
constexpr uint32_t WATCHED_EVENTS =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM;

// Room for many events at once; the kernel never splits one across two reads.
constexpr size_t EVENT_BUFFER_BYTES = 64 * (sizeof(inotify_event) + 256);

}  // namespace

int openFileWatch(const char* directory, FileWatch* watch) {
    watch->descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    const int fd = watch->descriptor;
    if (fd >= 0 && inotify_add_watch(fd, directory, WATCHED_EVENTS) >= 0) return 0;
    char what[256];
    std::snprintf(what, sizeof what, "cannot watch the directory for changes: %s",
                  std::strerror(errno));
    warnFile(directory, what, nullptr, nullptr);
    closeFileWatch(watch);
    return 1;
}

int takeChangedFiles(FileWatch* watch, void (*changed)(const char* name, void* context),
                     void* context) {
    if (watch->descriptor < 0) return 0;
    alignas(inotify_event) char buffer[EVENT_BUFFER_BYTES];
    int calls = 0;
    for (;;) {
        const ssize_t got = read(watch->descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        // EAGAIN: nothing more is pending.
        if (got <= 0) return calls;
        for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            // Events on the directory itself (it was removed, the watch ended) name no file.
            const bool overflow = (event->mask & IN_Q_OVERFLOW) != 0;
            if (!overflow && event->len == 0) continue;
            changed(overflow ? nullptr : event->name, context);
            ++calls;
        }
    }
}

void closeFileWatch(FileWatch* watch) {
    if (watch->descriptor >= 0) close(watch->descriptor);
    watch->descriptor = -1;
}
