#include <epoxy/gl.h>

#include "platform/glfw_window.h"

#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/glfw_keys.h"
#include "platform/key_queue.h"
#include "platform/platform.h"
#include "platform/process_tuning.h"
#include "platform/program_name.h"

namespace {

// The window opened by openDemoWindow; written there only.
GLFWwindow* demoWindow = nullptr;

void queueKey(GLFWwindow*, int glfwKey, int, int action, int mods) {
    if (action == GLFW_RELEASE) return;
    queueKeyPress(KeyPress{platformKeyOf(glfwKey), (mods & GLFW_MOD_SHIFT) != 0});
}

// The pointer of a WindowPointer::hiddenWhenStill window: where it last was and when it got there.
struct StillPointer {
    bool watched;
    bool hidden;
    double x, y;     // window coordinates
    double movedAt;  // glfwGetTime() seconds
};
StillPointer stillPointer = {};

void showPointer(bool shown) {
    glfwSetInputMode(demoWindow, GLFW_CURSOR, shown ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
    stillPointer.hidden = !shown;
}

void pointerMoved(GLFWwindow*, double x, double y) {
    // The window system repeats the position when the window gains focus or the pointer enters
    // it: only a new position is a move.
    if (x == stillPointer.x && y == stillPointer.y) return;
    stillPointer.x = x;
    stillPointer.y = y;
    stillPointer.movedAt = glfwGetTime();
    if (stillPointer.hidden) showPointer(true);
}

// Called after each round of events: the waits are short enough (a pass, or the paused poll)
// for the pointer to go within a fraction of a second of its time.
void hideStillPointer() {
    if (stillPointer.watched && !stillPointer.hidden &&
        glfwGetTime() - stillPointer.movedAt >= POINTER_STILL_SECONDS)
        showPointer(false);
}

void watchPointer(WindowPointer pointer) {
    stillPointer = StillPointer{pointer == WindowPointer::hiddenWhenStill, false, 0.0, 0.0, 0.0};
    if (pointer == WindowPointer::shown) return;
    glfwGetCursorPos(demoWindow, &stillPointer.x, &stillPointer.y);
    showPointer(false);
    if (stillPointer.watched) glfwSetCursorPosCallback(demoWindow, pointerMoved);
}

void glfwWaitEvents(double seconds) {
    if (seconds > 0.0)
        glfwWaitEventsTimeout(seconds);
    else
        glfwPollEvents();
    hideStillPointer();
}

void glfwSetTitle(const char* title) { glfwSetWindowTitle(demoWindow, title); }

double glfwNow() { return glfwGetTime(); }

void threadSleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// GLFW 3 does not process events inside the swap, so the events of the frame are handled here.
void glfwSwapAndPoll() {
    glfwSwapBuffers(demoWindow);
    glfwPollEvents();
    hideStillPointer();
}

bool glfwEscapePressed() { return glfwGetKey(demoWindow, GLFW_KEY_ESCAPE) == GLFW_PRESS; }

bool glfwWindowOpen() { return !glfwWindowShouldClose(demoWindow); }

void glfwFrameSize(int* width, int* height) { glfwGetFramebufferSize(demoWindow, width, height); }

void glfwShutdown() {
    glfwTerminate();
    demoWindow = nullptr;
}

void printGlfwError(const char* what) {
    const char* reason = nullptr;
    glfwGetError(&reason);
    std::fprintf(stderr, "%s: %s: %s\n", programName(), what, reason ? reason : "unknown reason");
}

}  // namespace

int openDemoWindow(const WindowRequest& request) {
    tuneProcessForPresentation();
    if (!glfwInit()) {
        printGlfwError("cannot initialise the window system");
        glfwTerminate();
        return 1;
    }
    glfwWindowHint(GLFW_SAMPLES, 4);
    glfwWindowHint(GLFW_DEPTH_BITS, 24);
    glfwWindowHint(GLFW_STENCIL_BITS, 0);
    glfwWindowHint(GLFW_VISIBLE, request.visible ? GLFW_TRUE : GLFW_FALSE);
    GLFWmonitor* monitor = request.fullscreen ? glfwGetPrimaryMonitor() : nullptr;
    demoWindow = glfwCreateWindow(request.width, request.height, "demo", monitor, nullptr);
    if (!demoWindow) {
        printGlfwError("cannot open the window");
        glfwTerminate();
        return 1;
    }
    glfwMakeContextCurrent(demoWindow);
    clearKeyPresses();
    glfwSetKeyCallback(demoWindow, queueKey);
    watchPointer(request.pointer);
    platform =
        Platform{glfwNow,       threadSleep,  glfwSwapAndPoll, glfwEscapePressed, glfwWindowOpen,
                 glfwFrameSize, glfwShutdown, takeKeyPress,    glfwWaitEvents,    glfwSetTitle};
    return 0;
}
