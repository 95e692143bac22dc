// One preview run: the presentation's own start-up and frame loop, on a pass clock that follows
// the wall clock, the keys and the files. Set `arguments`, then runDemoIn(window, hooks) with
// adaptPlatformForPreview. The session itself (clock, keys, seeking, title) knows neither the
// offscreen target nor the files: the browser build plays it with adaptPlatformForSession and
// no extras.
#pragma once

#include <cstdint>

#include "driver/timeline.h"
#include "live_reload.h"
#include "offscreen_target.h"
#include "platform/platform.h"
#include "preview_arguments.h"

// The last pass of the timeline, exactly at its end; playing stops there.
constexpr int64_t PREVIEW_LAST_PASS = static_cast<int64_t>(TIMELINE_END * PREVIEW_FPS);

// What a program adds to the session; each member may be null.
struct SessionExtras {
    // Before the window's swap: shows the frame drawn elsewhere. Null: drawn into the window.
    void (*present)(int width, int height);
    // Between passes: reads again what changed on disk, `time` being the pass shown (seconds).
    ReloadOutcome (*takeFileChanges)(double now, double time);
    // The R key: every file read again.
    ReloadOutcome (*reloadAll)(double time);
};

struct PreviewSession {
    PreviewArguments arguments;
    const char* name;  // heads the title and the session's lines: "preview", or "demo"
    SessionExtras extras;
    OffscreenTarget target;   // every pass draws here; the window shows it resolved
    Platform windowPlatform;  // the window system's own services: wall clock, events, swap
    LiveReload reload;
    bool paused;
    bool quit;  // Escape, Q or a closed window: the pass under way is the last
    // Priming: a pass drawn only for the GL state it leaves the next pass, never shown. A start
    // after the first pass primes with pass 1, since only a scene sets the fog density.
    bool priming;
    bool landed;  // the first pass to show has been reached
    // The pass to show next by replaying the timeline from its start; 0 for none.
    int64_t seekPass;
    // Playing, pass p is due at anchorWall + (p - anchorPass) / PREVIEW_FPS on the wall clock.
    int64_t anchorPass;
    double anchorWall;  // seconds
};

// Written by main (the arguments) and by the preview's platform services during the run.
extern PreviewSession previewSession;

// The hook for runDemoIn: once the window is open, points the platform's clock, sleep, swap and
// window state at the preview, the drawing at an offscreen target of the window's size, and
// starts watching the working directory. 1 when the target cannot be made.
int adaptPlatformForPreview();

// The session's part of that hook, for any window: points the platform's clock, sleep, swap and
// window state at the session, which then plays on the window's own services.
void adaptPlatformForSession();

// Seconds into the timeline at pass `pass`.
double previewSeconds(int64_t pass);

// The window title for the pass shown: "preview  20.000 s  scene 2  paused", headed by the
// session's name.
void formatPreviewTitle(int64_t pass, bool paused, char* title, int size);
