#include "preview_session.h"

#include "platform/platform.h"

namespace {

void presentTarget(int width, int height) {
    presentOffscreenFrame(previewSession.target, width, height);
}

ReloadOutcome followFiles(double now, double time) {
    return followChangedFiles(&previewSession.reload, now, time);
}

void targetSize(int* width, int* height) {
    *width = previewSession.target.width;
    *height = previewSession.target.height;
}

// The workers' reads end before the window system, whose context they may be using.
void previewTerminate() {
    finishLiveReload();
    previewSession.windowPlatform.terminate();
}

}  // namespace

int adaptPlatformForPreview() {
    PreviewSession& s = previewSession;
    int width = 0;
    int height = 0;
    platform.frameSize(&width, &height);
    if (createOffscreenTarget(width, height, &s.target) != 0) return 1;
    startLiveReload(&s.reload);
    s.name = "preview";
    s.extras = SessionExtras{presentTarget, followFiles, reloadEverything};
    adaptPlatformForSession();
    platform.frameSize = targetSize;
    platform.terminate = previewTerminate;
    return 0;
}
