// Key presses waiting for the frame loop, oldest first: the window system's key callback (or the
// page) queues them as they come, and the platform's nextKeyPress takes them between passes.
#pragma once

#include "platform/platform.h"

// Queues one press. A full queue keeps the older presses: what was typed first happens first.
void queueKeyPress(const KeyPress& press);

// The oldest press not yet taken into *press; false when none is left.
bool takeKeyPress(KeyPress* press);

// Drops every press still queued, for a window opened again.
void clearKeyPresses();
