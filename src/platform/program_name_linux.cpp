#include "platform/program_name.h"

#include <errno.h>

const char* programName() { return program_invocation_short_name; }
