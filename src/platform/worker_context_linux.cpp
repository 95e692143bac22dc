#include "platform/worker_context.h"

#include <GLFW/glfw3.h>

namespace {

// Written by openWorkerContext on the main thread before any worker starts; only read after.
GLFWwindow* workerWindow = nullptr;

}  // namespace

int openWorkerContext() {
    GLFWwindow* shown = glfwGetCurrentContext();
    if (!shown) return 1;
    // A window only in name: it is never shown, and nothing is drawn into it.
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    workerWindow = glfwCreateWindow(1, 1, "worker", nullptr, shown);
    glfwMakeContextCurrent(shown);
    return workerWindow ? 0 : 1;
}

void bindWorkerContext(bool bound) { glfwMakeContextCurrent(bound ? workerWindow : nullptr); }
