#include "preview_session.h"

#include <cmath>
#include <cstdio>

#include "driver/frame_loop.h"
#include "driver/startup.h"
#include "driver/timeline.h"
#include "frame_clock.h"
#include "platform/soundtrack.h"

PreviewSession previewSession = {};

namespace {

// While paused, how long to wait for an event before looking at the files again.
constexpr double PAUSED_POLL_SECONDS = 0.05;

int64_t shownPass() { return frameClock.passes; }

double nowOnWall() { return previewSession.windowPlatform.now(); }

int64_t clampPass(int64_t pass) {
    if (pass < 1) return 1;
    return pass < PREVIEW_LAST_PASS ? pass : PREVIEW_LAST_PASS;
}

// The music follows the picture: held while paused, otherwise playing from the pass shown, which
// is also where the wall clock's reckoning starts again.
void cue() {
    PreviewSession& s = previewSession;
    if (s.paused) {
        pauseSoundtrack();
        return;
    }
    s.anchorPass = shownPass();
    s.anchorWall = nowOnWall();
    playSoundtrackFrom(previewSeconds(s.anchorPass));
}

void updateTitle() {
    char title[96];
    formatPreviewTitle(shownPass(), previewSession.paused, title, sizeof title);
    previewSession.windowPlatform.setTitle(title);
}

// The passes from the one shown up to `pass` (after it) are stepped without drawing; `pass` is
// drawn by the frame loop once the wait returns.
void moveOnTo(int64_t pass) {
    for (int64_t p = shownPass() + 1; p < pass; ++p) skipPass(previewSeconds(p));
    setFrameClock(pass);
}

// The state a run from the start reaches at `pass`: every pass before it stepped again.
void landOn(int64_t pass) {
    resetPresentation();
    setFrameClock(0);
    moveOnTo(pass);
    restartFrameReport();
    cue();
}

// Scene starts, in passes, for Page Down and Page Up.
int64_t sceneStartPass(int scene) {
    return static_cast<int64_t>(std::llround(scenes[scene].start * PREVIEW_FPS));
}

// The first scene start after `from` (direction 1) or before it (-1); `from` when there is none.
int64_t nextSceneStart(int64_t from, int direction) {
    for (int i = 0; i < SCENE_COUNT; ++i) {
        const int64_t start = sceneStartPass(direction > 0 ? i : SCENE_COUNT - 1 - i);
        const bool beyond = direction > 0 ? start > from : start < from;
        if (beyond) return clampPass(start);
    }
    return from;
}

void seekBy(int64_t passes) {
    PreviewSession& s = previewSession;
    const int64_t from = s.seekPass ? s.seekPass : shownPass();
    s.seekPass = clampPass(from + passes);
}

void togglePause() {
    PreviewSession& s = previewSession;
    s.paused = !s.paused;
    std::fprintf(stderr, "%s: %s at %.3f s\n", s.name, s.paused ? "paused" : "playing",
                 previewSeconds(shownPass()));
    cue();
    updateTitle();
}

// Acts on one key press. True when it asks for a pass to be drawn before the next key is taken,
// so that every key acts on what the one before it left.
bool actOnKey(const KeyPress& press) {
    PreviewSession& s = previewSession;
    const int64_t seekStep = (press.shift ? 10 : 1) * PREVIEW_FPS;
    switch (press.key) {
    case KEY_ESCAPE:
    case KEY_Q:
        s.quit = true;
        return true;
    case KEY_SPACE:
        togglePause();
        return false;
    case KEY_RIGHT:
        seekBy(seekStep);
        return true;
    case KEY_LEFT:
        seekBy(-seekStep);
        return true;
    case KEY_PAGE_DOWN:
    case KEY_PAGE_UP:
        s.seekPass = nextSceneStart(shownPass(), press.key == KEY_PAGE_DOWN ? 1 : -1);
        return true;
    case KEY_HOME:
        s.seekPass = 1;
        return true;
    case KEY_PERIOD:
        if (!s.paused || shownPass() >= PREVIEW_LAST_PASS) return false;
        std::fprintf(stderr, "%s: step to %.3f s\n", s.name, previewSeconds(shownPass() + 1));
        moveOnTo(shownPass() + 1);
        return true;
    case KEY_R: {
        if (!s.extras.reloadAll) return false;
        const ReloadOutcome outcome = s.extras.reloadAll(previewSeconds(shownPass()));
        if (outcome.soundtrackReloaded) cue();
        if (s.paused) s.seekPass = shownPass();
        return s.paused;
    }
    case KEY_OTHER:
        return false;
    }
    return false;
}

// Keys in the order they came, up to one that asks for a pass. True when a pass is asked for.
bool takeKeys() {
    KeyPress press = {};
    while (previewSession.windowPlatform.nextKeyPress(&press))
        if (actOnKey(press)) return true;
    return false;
}

// A changed file is read again; while paused the pass shown is drawn again to show it.
bool takeFileChanges() {
    PreviewSession& s = previewSession;
    if (!s.extras.takeFileChanges) return false;
    const ReloadOutcome outcome =
        s.extras.takeFileChanges(nowOnWall(), previewSeconds(shownPass()));
    if (outcome.soundtrackReloaded) cue();
    if (outcome.attempted == 0 || !s.paused) return false;
    s.seekPass = shownPass();
    return true;
}

void applySeek() {
    PreviewSession& s = previewSession;
    const int64_t pass = s.seekPass;
    s.seekPass = 0;
    const char* what = !s.landed ? "start at" : pass == shownPass() ? nullptr : "seek to";
    if (what) std::fprintf(stderr, "%s: %s %.3f s\n", s.name, what, previewSeconds(pass));
    s.landed = true;
    landOn(pass);
}

// Playing: the pass the wall clock has reached, or 0 when the next one is not due yet.
int64_t duePass() {
    const PreviewSession& s = previewSession;
    const double elapsed = nowOnWall() - s.anchorWall;
    const int64_t due = s.anchorPass + static_cast<int64_t>(std::floor(elapsed * PREVIEW_FPS));
    return due > shownPass() ? due : 0;
}

double secondsUntilNextPass() {
    const PreviewSession& s = previewSession;
    const double dueAt = s.anchorWall + previewSeconds(shownPass() + 1 - s.anchorPass);
    return dueAt - nowOnWall();
}

void pauseAtTheEnd() {
    previewSession.paused = true;
    std::fprintf(stderr, "%s: paused at the end, %.3f s\n", previewSession.name,
                 previewSeconds(shownPass()));
    cue();
    updateTitle();
}

void playOn(int64_t due) {
    moveOnTo(clampPass(due));
    if (shownPass() >= PREVIEW_LAST_PASS) pauseAtTheEnd();
}

// The very first pass: when the run starts later than the first pass, pass 1 is drawn unseen
// first, because the one piece of GL state a pass leaves for the next (the scenes' fog density)
// is set by the scenes alone, and a start at a time without a scene would otherwise draw with
// start-up's.
void startRun() {
    PreviewSession& s = previewSession;
    s.seekPass = s.arguments.startPass;
    if (s.seekPass == 1) return;
    s.priming = true;
    discardPassPixels(true);
    setFrameClock(1);
}

// Where the frame loop's pacer would sleep: decides which pass is drawn next, stepping the passes
// in between without drawing, and waits for the wall clock, a key or a changed file.
void previewWait(double) {
    PreviewSession& s = previewSession;
    if (shownPass() == 0) {
        startRun();
        if (s.priming) return;
    }
    for (;;) {
        if (!s.windowPlatform.windowOpen()) s.quit = true;
        // A step has set the clock itself; a seek, a reload or a redraw leave the pass to land on.
        if (s.quit || s.seekPass != 0 || takeKeys() || takeFileChanges()) {
            if (s.seekPass != 0 && !s.quit) applySeek();
            return;
        }
        // Play asked for at the last pass: nothing is left to play.
        if (!s.paused && shownPass() >= PREVIEW_LAST_PASS) pauseAtTheEnd();
        if (s.paused) {
            s.windowPlatform.waitEvents(PAUSED_POLL_SECONDS);
            continue;
        }
        const int64_t due = duePass();
        if (due) {
            playOn(due);
            return;
        }
        s.windowPlatform.waitEvents(secondsUntilNextPass());
    }
}

void previewSwapAndPoll() {
    PreviewSession& s = previewSession;
    if (s.priming || s.quit) {
        s.priming = false;
        discardPassPixels(false);
        s.windowPlatform.waitEvents(0.0);
        return;
    }
    if (s.extras.present) {
        int width = 0;
        int height = 0;
        s.windowPlatform.frameSize(&width, &height);
        s.extras.present(width, height);
    }
    s.windowPlatform.swapAndPoll();
    updateTitle();
}

bool previewQuit() { return previewSession.quit; }
bool previewWindowOpen() { return !previewSession.quit; }

}  // namespace

double previewSeconds(int64_t pass) { return frameClockSeconds(pass, PREVIEW_FPS); }

void formatPreviewTitle(int64_t pass, bool paused, char* title, int size) {
    const double t = previewSeconds(pass);
    // The scene whose window holds t, its start included: a scene's first moment is its own.
    int scene = 1;
    for (int i = 1; i < SCENE_COUNT; ++i)
        if (t >= scenes[i].start) scene = i + 1;
    std::snprintf(title, static_cast<size_t>(size), "%s  %.3f s  scene %d%s", previewSession.name,
                  t, scene, paused ? "  paused" : "");
}

void adaptPlatformForSession() {
    PreviewSession& s = previewSession;
    s.windowPlatform = platform;
    s.paused = s.arguments.paused;
    s.quit = false;
    s.priming = false;
    s.seekPass = 0;
    s.landed = false;

    // The timeline's origin is taken during start-up at the clock's reading then: 0 passes.
    resetFrameClock(PREVIEW_FPS);
    platform.now = frameClockNow;
    platform.sleep = previewWait;
    platform.swapAndPoll = previewSwapAndPoll;
    platform.escapePressed = previewQuit;
    platform.windowOpen = previewWindowOpen;
}
