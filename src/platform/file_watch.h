// Changes to the files of one directory, as the kernel reports them (Linux inotify): a file
// written and closed, renamed into place, created or removed. openFileWatch() once, then
// takeChangedFiles() whenever the caller likes; nothing here blocks.
#pragma once

struct FileWatch {
    int descriptor;  // the kernel's watch instance; -1 when none is open
    // The directory was removed or moved away: no event will come from it again.
    bool directoryGone;
    // The directory's absolute path when the watch was opened, to find it again; empty when it
    // could not be had. The directory at that path then, as the file system names it.
    char path[4096];
    unsigned long long device;
    unsigned long long inode;
};

// Whole directories are watched, not files: an editor that saves by writing a new file and
// renaming it over the old one replaces the file that a watch on the file itself would follow.
// 0 when the watch is open; 1 with one line on stderr naming the directory otherwise.
int openFileWatch(const char* directory, FileWatch* watch);

// Whether the watched directory has gone from its path (removed, moved away, or another in its
// place), which sets directoryGone. The kernel says nothing of a removed directory that a
// process still works in, so the caller asks now and then.
bool watchedDirectoryGone(FileWatch* watch);

// For a watch on the working directory, when that directory has gone (directoryGone) and a
// directory is at its path again, for instance written anew by the asset generator: watches that
// one instead and makes it the working directory, since the process's own went with the old one.
// 0 then; 1, changing nothing, while there is none.
int watchDirectoryAgain(FileWatch* watch);

// Calls `changed` with the name (no directory) of each file the events since the last call
// name, in order, as often as they name it; with a null name when the kernel dropped events, so
// that any file may have changed. Returns the number of calls.
int takeChangedFiles(FileWatch* watch, void (*changed)(const char* name, void* context),
                     void* context);

void closeFileWatch(FileWatch* watch);
