#include "platform/process_tuning.h"

// windows.h first: the header after it uses its types.
#include <windows.h>

#include <timeapi.h>

void tuneProcessForPresentation() {
    // Windows' default timer tick is 15.6 ms: a pacing sleep of a few ms would end up to a whole
    // tick late, which at 60 Hz loses every other frame. One millisecond for the process's life;
    // Windows restores the tick when the process ends.
    timeBeginPeriod(1);
}
