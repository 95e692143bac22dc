#include "live_reload.h"

#include <malloc.h>
#include <pthread.h>

#include <atomic>
#include <cstdio>

#include "assets/obj_reader.h"
#include "platform/worker_context.h"
#include "system/warning.h"

namespace {

constexpr double QUIET_SECONDS = 0.1;
constexpr double LOOK_AGAIN_SECONDS = 0.5;  // for a removed directory to come back

// A model read again on a worker thread. Ownership: between the start and `ended` the worker
// alone writes `reading`; once `ended` is set, the main thread joins the worker and owns it again.
// Everything else is the main thread's.
struct ModelRead {
    pthread_t thread;
    bool running;   // started and not yet taken
    bool threaded;  // on `thread`, to be joined; false for a read done on the main thread
    bool again;     // the file changed once more while it was being read
    std::atomic<bool> ended;
    ModelReading reading;
};
ModelRead modelReads[SCENE_MODEL_COUNT];

ModelRead& readOf(int index) { return modelReads[index - SCENE_TEXTURE_COUNT]; }

// The shared context in which workers compile what they read, one worker at a time. Opened by
// startLiveReload on the main thread before any worker starts; without it the main thread
// compiles.
struct CompileContext {
    bool open;
    pthread_mutex_t lock;
};
CompileContext compileContext = {false, PTHREAD_MUTEX_INITIALIZER};

// The display list of a big model takes far longer to compile than its file to read, so the
// worker compiles it too, in the shared context, and the main thread only swaps the list names.
void* readAndCompileModel(void* slot) {
    ModelRead* read = static_cast<ModelRead*>(slot);
    const int index = static_cast<int>(read - modelReads) + SCENE_TEXTURE_COUNT;
    read->reading = readReloadedModel(index);
    if (compileContext.open) {
        pthread_mutex_lock(&compileContext.lock);
        bindWorkerContext(true);
        compileReloadedModel(&read->reading);
        bindWorkerContext(false);
        pthread_mutex_unlock(&compileContext.lock);
    }
    read->ended.store(true, std::memory_order_release);
    return nullptr;
}

// A thread that cannot be had leaves the reading to the main thread, as start-up does without its
// worker.
void startModelRead(int index) {
    ModelRead& read = readOf(index);
    if (read.running) {
        read.again = true;
        return;
    }
    read.ended.store(false, std::memory_order_relaxed);
    read.running = true;
    read.threaded = pthread_create(&read.thread, nullptr, readAndCompileModel, &read) == 0;
    if (read.threaded) return;
    read.reading = readReloadedModel(index);
    read.ended.store(true, std::memory_order_relaxed);
}

// Joins the worker of a read that has ended or must end, and hands over what it read.
ModelReading takeRead(ModelRead& read) {
    if (read.threaded) pthread_join(read.thread, nullptr);
    read.threaded = false;
    read.running = false;
    const ModelReading reading = read.reading;
    read.reading = ModelReading{nullptr, ObjResult::CANNOT_OPEN, 0, 0, 0};
    return reading;
}

void noteChange(const char* name, void* context) {
    LiveReload* reload = static_cast<LiveReload*>(context);
    if (sceneReloadsFor(name, reload->due) > 0) reload->seen = true;
}

void count(int index, ReloadResult result, ReloadOutcome* outcome) {
    ++outcome->attempted;
    if (result == ReloadResult::KEPT) ++outcome->kept;
    if (index == SCENE_RELOAD_SOUNDTRACK && result == ReloadResult::RELOADED)
        outcome->soundtrackReloaded = true;
}

void report(int index, ReloadResult result, double time) {
    if (result == ReloadResult::KEPT) return;  // the reload said why in its own line
    char files[128];
    describeSceneReload(index, files, sizeof files);
    const char* what =
        result == ReloadResult::RELOADED ? "reloaded" : "changed, with no sound device to play it";
    std::fprintf(stderr, "preview: %s %s at %.3f s\n", files, what, time);
}

// The reads that have ended go in place of the models they replace, which are freed, and the
// memory they held goes back to the system: a big model replaced by a small one would otherwise
// keep the process at its peak.
void placeEndedModels(ReloadOutcome* outcome, double time) {
    bool placed = false;
    for (int index = SCENE_TEXTURE_COUNT; index < SCENE_RELOAD_PROGRAM; ++index) {
        ModelRead& read = readOf(index);
        if (!read.running || !read.ended.load(std::memory_order_acquire)) continue;
        const ReloadResult result = placeReloadedModel(index, takeRead(read));
        placed = true;
        count(index, result, outcome);
        report(index, result, time);
        if (read.again) {
            read.again = false;
            startModelRead(index);
        }
    }
    if (placed) malloc_trim(0);
}

// A removed directory sends no more events: once one is at its path again, it is watched and
// every file read from it, as after an overflow of the watch. Until then nothing is read, since
// every file is gone with the directory. True while it is gone.
bool followRemovedDirectory(LiveReload* reload, double now, double time) {
    FileWatch& watch = reload->watch;
    // Any change may be the directory's removal; otherwise look now and then.
    const bool look = reload->seen || now - reload->lastLook >= LOOK_AGAIN_SECONDS;
    if (!watch.directoryGone && !(look && watchedDirectoryGone(&watch))) {
        if (look) reload->lastLook = now;
        return false;
    }
    if (!reload->directoryGoneSaid) {
        warnFile(watch.path, "the directory was removed", nullptr,
                 "changes are followed again once it is back");
        reload->directoryGoneSaid = true;
        reload->lastLook = now;
    }
    if (now - reload->lastLook < LOOK_AGAIN_SECONDS) return true;
    reload->lastLook = now;
    if (watchDirectoryAgain(&watch) != 0) return true;
    reload->directoryGoneSaid = false;
    std::fprintf(stderr, "preview: %s is back at %.3f s; every file is read again\n", watch.path,
                 time);
    noteChange(nullptr, reload);
    reload->anyDue = true;
    reload->lastChange = now;
    return false;
}

ReloadResult reloadObject(int index, ReloadOutcome* outcome) {
    const ReloadResult result = reloadSceneObject(index);
    count(index, result, outcome);
    return result;
}

}  // namespace

void startLiveReload(LiveReload* reload) {
    *reload = LiveReload{};
    openFileWatch(".", &reload->watch);
    if (!compileContext.open) compileContext.open = openWorkerContext() == 0;
}

ReloadOutcome followChangedFiles(LiveReload* reload, double now, double time) {
    reload->seen = false;
    takeChangedFiles(&reload->watch, noteChange, reload);
    if (reload->seen) {
        reload->anyDue = true;
        reload->lastChange = now;
    }
    ReloadOutcome outcome = {0, 0, false};
    placeEndedModels(&outcome, time);
    if (followRemovedDirectory(reload, now, time)) return outcome;
    if (!reload->anyDue || now - reload->lastChange < QUIET_SECONDS) return outcome;
    for (int i = 0; i < SCENE_RELOAD_COUNT; ++i) {
        if (!reload->due[i]) continue;
        reload->due[i] = false;
        if (isModelReload(i)) {
            startModelRead(i);
            continue;
        }
        report(i, reloadObject(i, &outcome), time);
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

void finishLiveReload() {
    // Before the window system goes, and the worker context with it.
    for (ModelRead& read : modelReads) {
        if (!read.running) continue;
        freeObjModel(takeRead(read).model);
        read.again = false;
    }
}
