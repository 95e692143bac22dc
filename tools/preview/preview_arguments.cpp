#include "preview_arguments.h"

#include <cstring>

#include "driver/timeline.h"
#include "option_values.h"
#include "platform/glfw_window.h"

namespace {

// Formatted from the timeline's end, the window's size and the pass rate.
constexpr char USAGE_FORMAT[] =
    "usage: preview [--at SECONDS] [--paused] [--size WxH] [--fullscreen]\n"
    "\n"
    "Plays the presentation from the asset files in the working directory, and lets you move\n"
    "through it and change its files while it runs: a changed texture, model, material library,\n"
    "shader or soundtrack is read again within a second. What it shows for a time is exactly the\n"
    "frame the capture tool writes for that time.\n"
    "\n"
    "  --at SECONDS  start at this time, from 0 to %g (default 0)\n"
    "  --paused      start paused\n"
    "  --size WxH    window size in pixels (default %dx%d)\n"
    "  --fullscreen  fill the primary monitor\n"
    "  --help        print this and exit\n"
    "\n"
    "Keys:\n"
    "  Space                  pause or play\n"
    "  Right, Left            1 second forward or back\n"
    "  Shift+Right, Shift+Left  10 seconds forward or back\n"
    "  Page Down, Page Up     start of the next or the previous scene\n"
    "  Home                   back to the start\n"
    "  .                      one pass (1/%d second) forward while paused\n"
    "  R                      read every file again\n"
    "  Escape, Q              quit\n";

int reject(const char* option, const char* value, const char* problem) {
    if (value)
        std::fprintf(stderr, "preview: %s %s: %s\n", option, value, problem);
    else
        std::fprintf(stderr, "preview: %s: %s\n", option, problem);
    return 2;
}

int takeAt(PreviewArguments* arguments, const char* value) {
    int64_t micros = 0;
    if (!parseMicros(value, &micros))
        return reject("--at", value, "not a number of seconds like 12 or 9.99");
    if (micros > static_cast<int64_t>(TIMELINE_END * static_cast<double>(MICROS_PER_SECOND))) {
        char problem[64];
        std::snprintf(problem, sizeof problem, "past the end of the timeline, %g seconds",
                      TIMELINE_END);
        return reject("--at", value, problem);
    }
    // The latest pass at or before the time; the first pass is the earliest there is.
    const int64_t pass = framesUpTo(micros, PREVIEW_FPS);
    arguments->startPass = pass < 1 ? 1 : pass;
    return 0;
}

int takeSize(PreviewArguments* arguments, const char* value) {
    if (parseSize(value, MAX_PREVIEW_SIDE, &arguments->width, &arguments->height)) return 0;
    char problem[80];
    describeBadSize(MAX_PREVIEW_SIDE, problem, sizeof problem);
    return reject("--size", value, problem);
}

struct Flag {
    const char* name;
    bool PreviewArguments::*field;
};
const Flag flags[] = {
    {"--paused", &PreviewArguments::paused},
    {"--fullscreen", &PreviewArguments::fullscreen},
    {"--help", &PreviewArguments::help},
};

struct ValueOption {
    const char* name;
    int (*take)(PreviewArguments* arguments, const char* value);
};
const ValueOption valueOptions[] = {{"--at", takeAt}, {"--size", takeSize}};

}  // namespace

int parsePreviewArguments(int argc, char** argv, PreviewArguments* arguments) {
    *arguments = PreviewArguments{1, false, DEMO_WINDOW.width, DEMO_WINDOW.height, false, false};
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        bool known = false;
        for (const Flag& flag : flags) {
            if (std::strcmp(option, flag.name) != 0) continue;
            arguments->*flag.field = true;
            known = true;
        }
        if (arguments->help) return 0;
        if (known) continue;
        for (const ValueOption& o : valueOptions) {
            if (std::strcmp(option, o.name) != 0) continue;
            if (i + 1 >= argc) return reject(option, nullptr, "needs a value");
            const int result = o.take(arguments, argv[++i]);
            if (result != 0) return result;
            known = true;
        }
        if (!known) return reject(option, nullptr, "unknown option (try --help)");
    }
    return 0;
}

void printPreviewUsage(FILE* stream) {
    std::fprintf(stream, USAGE_FORMAT, TIMELINE_END, DEMO_WINDOW.width, DEMO_WINDOW.height,
                 PREVIEW_FPS);
}
