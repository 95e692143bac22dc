#include "platform/process_tuning.h"

#include <sys/prctl.h>

#include <cstdlib>

void tuneProcessForPresentation() {
    // GLFW opens an X input method, which parses the locale's whole Compose table, a few ms of
    // start-up; the presentation reads no text, so an empty table does. A user's setting stands.
    setenv("XCOMPOSEFILE", "/dev/null", 0);
    // Mesa's on-disk shader cache can hand back another program's binary once shader files have
    // been swapped or copied onto each other, and the link then crashes inside the driver. Our two
    // shaders compile in milliseconds, so the cache is off unless the user has said otherwise.
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 0);
    // The kernel's default 50 us timer slack is added to every pacing sleep and never paid back,
    // which would stretch the 60 Hz period by a few tenths of a percent.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}
