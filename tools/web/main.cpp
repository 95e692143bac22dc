// The presentation in a browser page. The page passes its address's `at=SECONDS` and `paused` as
// the arguments --at SECONDS and --paused, and calls demoStart() on its click and
// demoPlayAgain() on "play again". The show plays as preview does, on passes that follow the
// wall clock, with preview's keys and title; until the click it holds its first frame.
#include <emscripten.h>

#include <cstdio>
#include <cstring>

#include "driver/startup.h"
#include "driver/timeline.h"
#include "option_values.h"
#include "platform/glfw_window.h"
#include "platform/page_web.h"
#include "platform/standard_streams.h"
#include "preview_session.h"

namespace {

// Written by main and by the page's calls, all on the one thread.
struct WebShow {
    bool held;     // playing waits for the page's click
    bool started;  // the click came
};
WebShow webShow = {false, false};

// The first pass, from --at: the latest pass at or before the time, the first at the least.
int64_t startPassAt(const char* value) {
    int64_t micros = 0;
    const int64_t end = static_cast<int64_t>(TIMELINE_END) * MICROS_PER_SECOND;
    if (!parseMicros(value, &micros) || micros > end) {
        std::fprintf(stderr, "demo: at=%s: not a time from 0 to %g seconds; starting at 0\n", value,
                     TIMELINE_END);
        return 1;
    }
    const int64_t pass = framesUpTo(micros, PREVIEW_FPS);
    return pass < 1 ? 1 : pass;
}

PreviewArguments readArguments(int argc, char** argv) {
    PreviewArguments arguments = {1, false, DEMO_WINDOW.width, DEMO_WINDOW.height, false, false};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--paused") == 0) arguments.paused = true;
        if (std::strcmp(argv[i], "--at") == 0 && i + 1 < argc)
            arguments.startPass = startPassAt(argv[++i]);
    }
    return arguments;
}

int adaptPlatformForPage() {
    previewSession.extras = SessionExtras{nullptr, nullptr, nullptr};
    adaptPlatformForSession();
    return 0;
}

}  // namespace

// The page's click: the show plays from where it holds, unless the address asked for it paused.
extern "C" EMSCRIPTEN_KEEPALIVE void demoStart() {
    webShow.started = true;
    if (!webShow.held) return;
    webShow.held = false;
    pressKeyFromPage(KEY_SPACE, false);
}

// From the start again, after the end has paused it.
extern "C" EMSCRIPTEN_KEEPALIVE void demoPlayAgain() {
    pressKeyFromPage(KEY_HOME, false);
    pressKeyFromPage(KEY_SPACE, false);
}

int main(int argc, char** argv) {
    guardStandardStreams();
    PreviewSession& s = previewSession;
    s.name = "demo";
    s.arguments = readArguments(argc, argv);
    webShow.held = !s.arguments.paused && !webShow.started;
    if (webShow.held) s.arguments.paused = true;
    const WindowRequest window = {DEMO_WINDOW.width, DEMO_WINDOW.height, false, true};
    return runDemoIn(window, StartupHooks{adaptPlatformForPage, nullptr});
}
