// Changes to the files of one directory, as the kernel reports them (Linux inotify): a file
// written and closed, renamed into place, created or removed. openFileWatch() once, then
// takeChangedFiles() whenever the caller likes; nothing here blocks.
#pragma once

struct FileWatch {
    int descriptor;  // the kernel's watch instance; -1 when none is open
};

// Whole directories are watched, not files: an editor that saves by writing a new file and
// renaming it over the old one replaces the file that a watch on the file itself would follow.
// 0 when the watch is open; 1 with one line on stderr naming the directory otherwise.
int openFileWatch(const char* directory, FileWatch* watch);

// Calls `changed` with the name (no directory) of each file the events since the last call
// name, in order, as often as they name it; with a null name when the kernel dropped events, so
// that any file may have changed. Returns the number of calls.
int takeChangedFiles(FileWatch* watch, void (*changed)(const char* name, void* context),
                     void* context);

void closeFileWatch(FileWatch* watch);
