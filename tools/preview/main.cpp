// preview [--at SECONDS] [--paused] [--size WxH] [--fullscreen]
// Plays the presentation from the asset files in the working directory, to move through and edit.
#include <cstdio>

#include "driver/startup.h"
#include "platform/glfw_window.h"
#include "platform/standard_streams.h"
#include "preview_session.h"

int main(int argc, char** argv) {
    guardStandardStreams();
    PreviewArguments& arguments = previewSession.arguments;
    const int parsed = parsePreviewArguments(argc, argv, &arguments);
    if (parsed != 0) return parsed;
    if (arguments.help) {
        printPreviewUsage(stdout);
        return 0;
    }
    const WindowRequest window = {
        arguments.width, arguments.height, arguments.fullscreen, true,
        arguments.fullscreen ? WindowPointer::hiddenWhenStill : WindowPointer::shown};
    return runDemoIn(window, StartupHooks{adaptPlatformForPreview, nullptr});
}
