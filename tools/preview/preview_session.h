// One preview run: the presentation's own start-up and frame loop, on a pass clock that follows
// the wall clock, the keys and the files. Set `arguments`, then runDemoIn(window, hooks) with
// adaptPlatformForPreview.
#pragma once

#include <cstdint>

#include "driver/timeline.h"
#include "live_reload.h"
#include "offscreen_target.h"
#include "platform/platform.h"
#include "preview_arguments.h"

// The last pass of the timeline, exactly at its end; playing stops there.
constexpr int64_t PREVIEW_LAST_PASS = static_cast<int64_t>(TIMELINE_END * PREVIEW_FPS);

struct PreviewSession {
    PreviewArguments arguments;
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

// Seconds into the timeline at pass `pass`.
double previewSeconds(int64_t pass);

// The window title for the pass shown: "preview  20.000 s  scene 2  paused".
void formatPreviewTitle(int64_t pass, bool paused, char* title, int size);
