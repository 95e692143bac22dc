#include "live_reload.h"

#include <cstdio>

namespace {

constexpr double QUIET_SECONDS = 0.1;

void noteChange(const char* name, void* context) {
    LiveReload* reload = static_cast<LiveReload*>(context);
    if (sceneReloadsFor(name, reload->due) > 0) reload->seen = true;
}

ReloadResult reloadObject(int index, ReloadOutcome* outcome) {
    const ReloadResult result = reloadSceneObject(index);
    ++outcome->attempted;
    if (result == ReloadResult::KEPT) ++outcome->kept;
    if (index == SCENE_RELOAD_SOUNDTRACK && result == ReloadResult::RELOADED)
        outcome->soundtrackReloaded = true;
    return result;
}

}  // namespace

void startLiveReload(LiveReload* reload) {
    *reload = LiveReload{};
    openFileWatch(".", &reload->watch);
}

ReloadOutcome followChangedFiles(LiveReload* reload, double now, double time) {
    reload->seen = false;
    takeChangedFiles(&reload->watch, noteChange, reload);
    if (reload->seen) {
        reload->anyDue = true;
        reload->lastChange = now;
    }
    ReloadOutcome outcome = {0, 0, false};
    if (!reload->anyDue || now - reload->lastChange < QUIET_SECONDS) return outcome;
    for (int i = 0; i < SCENE_RELOAD_COUNT; ++i) {
        if (!reload->due[i]) continue;
        reload->due[i] = false;
        const ReloadResult result = reloadObject(i, &outcome);
        if (result == ReloadResult::KEPT) continue;  // the reload said why in its own line
        char files[128];
        describeSceneReload(i, files, sizeof files);
        const char* what =
            result == ReloadResult::RELOADED ? "reloaded" : "changed, with no sound device to play it";
        std::fprintf(stderr, "preview: %s %s at %.3f s\n", files, what, time);
    }
    reload->anyDue = false;
    return outcome;
}

ReloadOutcome reloadEverything(double time) {
    ReloadOutcome outcome = {0, 0, false};
    for (int i = 0; i < SCENE_RELOAD_COUNT; ++i) reloadObject(i, &outcome);
    std::fprintf(stderr,
                 "preview: every file reloaded at %.3f s, %d of %d kept their last good version\n",
                 time, outcome.kept, outcome.attempted);
    return outcome;
}
