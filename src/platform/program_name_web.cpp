#include "platform/program_name.h"

// The page runs one program, the presentation.
const char* programName() { return "demo"; }
