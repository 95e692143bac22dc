// The preview's following of its asset files: a watch on the working directory, and the reloads
// that a change calls for once the files have been quiet for a moment. startLiveReload() once with
// the context current, then followChangedFiles() between passes; finishLiveReload() at the end.
#pragma once

#include "driver/scene_reload.h"
#include "platform/file_watch.h"

struct LiveReload {
    FileWatch watch;
    bool due[SCENE_RELOAD_COUNT];  // objects changed on disk and not yet reloaded
    bool anyDue;
    bool seen;          // the call under way saw a change to a file of the presentation
    double lastChange;  // seconds on the wall clock of the latest such change
    // The watched directory has gone: said once, then looked for again now and then.
    bool directoryGoneSaid;
    double lastLook;  // seconds on the wall clock
};

// What followChangedFiles and reloadEverything did.
struct ReloadOutcome {
    int attempted;            // objects read again
    int kept;                 // of those, missing or broken: they keep their last good version
    bool soundtrackReloaded;  // the music is new and has to be cued
};

// A watch that cannot be opened is said in one line; the preview then runs without it. With the
// window's context current.
void startLiveReload(LiveReload* reload);

// Takes the changes seen since the last call at wall time `now` (seconds) and reloads what they
// call for once no change has come for a tenth of a second, since an editor's save is often
// several events (create, write, rename). Prints one line for each object reloaded, with `time`,
// the timeline's time in seconds. A model is read and compiled on a worker thread, so that the
// passes go on with the old one meanwhile; a later call puts it in place and counts it. A directory
// removed and made again is said in one line each way, and everything is read again from the new
// one.
ReloadOutcome followChangedFiles(LiveReload* reload, double now, double time);

// Every object read again, here and now; one line for the whole, with `time`.
ReloadOutcome reloadEverything(double time);

// Waits for the models still being read and frees them: before the window system shuts down.
void finishLiveReload();
