// What the page around the browser build hands the presentation besides the window's own events.
#pragma once

#include "platform/platform.h"

// Queues a key press as if typed, after the ones already queued: the page's buttons ("start",
// "play again") act through the same keys as the keyboard.
void pressKeyFromPage(PlatformKey key, bool shift);
