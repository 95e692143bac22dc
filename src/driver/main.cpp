// The presentation takes no arguments; whatever is on the command line is ignored.
#include "driver/startup.h"

int main() { return runDemo(); }
