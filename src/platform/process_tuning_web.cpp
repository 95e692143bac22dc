#include "platform/process_tuning.h"

// The browser schedules the page itself; there is nothing to ask of it.
void tuneProcessForPresentation() {}
