#include "platform/file_watch.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "system/warning.h"

namespace {

// IN_MOVED_FROM too: a file renamed away is gone as surely as a deleted one. The directory's own
// removal or move ends every event from it, which the caller needs to know.
constexpr uint32_t WATCHED_EVENTS = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE |
                                    IN_MOVED_FROM | IN_DELETE_SELF | IN_MOVE_SELF;
constexpr uint32_t DIRECTORY_GONE = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;

// Room for many events at once; the kernel never splits one across two reads.
constexpr size_t EVENT_BUFFER_BYTES = 64 * (sizeof(inotify_event) + 256);

// The directory at `path` now; false when there is none.
bool directoryAt(const char* path, unsigned long long* device, unsigned long long* inode) {
    struct stat status = {};
    if (path[0] == '\0' || stat(path, &status) != 0 || !S_ISDIR(status.st_mode)) return false;
    *device = status.st_dev;
    *inode = status.st_ino;
    return true;
}

}  // namespace

int openFileWatch(const char* directory, FileWatch* watch) {
    watch->directoryGone = false;
    char resolved[PATH_MAX];
    const bool found = realpath(directory, resolved) && std::strlen(resolved) < sizeof watch->path;
    std::snprintf(watch->path, sizeof watch->path, "%s", found ? resolved : "");
    if (!directoryAt(watch->path, &watch->device, &watch->inode)) watch->path[0] = '\0';
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
            if (event->len == 0 && (event->mask & DIRECTORY_GONE) != 0) watch->directoryGone = true;
            const bool overflow = (event->mask & IN_Q_OVERFLOW) != 0;
            if (!overflow && event->len == 0) continue;
            changed(overflow ? nullptr : event->name, context);
            ++calls;
        }
    }
}

bool watchedDirectoryGone(FileWatch* watch) {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    if (watch->path[0] == '\0' || watch->directoryGone) return watch->directoryGone;
    if (!directoryAt(watch->path, &device, &inode) || device != watch->device ||
        inode != watch->inode)
        watch->directoryGone = true;
    return watch->directoryGone;
}

int watchDirectoryAgain(FileWatch* watch) {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    if (!watch->directoryGone || !directoryAt(watch->path, &device, &inode)) return 1;
    const int fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) return 1;
    if (inotify_add_watch(fd, watch->path, WATCHED_EVENTS) < 0 || chdir(watch->path) != 0) {
        close(fd);
        return 1;
    }
    closeFileWatch(watch);
    watch->descriptor = fd;
    watch->directoryGone = false;
    watch->device = device;
    watch->inode = inode;
    return 0;
}

void closeFileWatch(FileWatch* watch) {
    if (watch->descriptor >= 0) close(watch->descriptor);
    watch->descriptor = -1;
}
