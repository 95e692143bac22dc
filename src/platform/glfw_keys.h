// The keys the tools act on, from GLFW's key codes: one table for the desktop window and the page.
#pragma once

#include <GLFW/glfw3.h>

#include "platform/platform.h"

// KEY_OTHER for a key no tool acts on.
inline PlatformKey platformKeyOf(int glfwKey) {
    struct KeyName {
        int glfwKey;
        PlatformKey key;
    };
    static const KeyName names[] = {
        {GLFW_KEY_ESCAPE, KEY_ESCAPE},
        {GLFW_KEY_SPACE, KEY_SPACE},
        {GLFW_KEY_LEFT, KEY_LEFT},
        {GLFW_KEY_RIGHT, KEY_RIGHT},
        {GLFW_KEY_PAGE_UP, KEY_PAGE_UP},
        {GLFW_KEY_PAGE_DOWN, KEY_PAGE_DOWN},
        {GLFW_KEY_HOME, KEY_HOME},
        {GLFW_KEY_PERIOD, KEY_PERIOD},
        {GLFW_KEY_KP_DECIMAL, KEY_PERIOD},
        {GLFW_KEY_Q, KEY_Q},
        {GLFW_KEY_R, KEY_R},
    };
    for (const KeyName& name : names)
        if (name.glfwKey == glfwKey) return name.key;
    return KEY_OTHER;
}
