// The presentation takes no arguments; whatever is on the command line is ignored.
#include "driver/startup.h"
#include "platform/standard_streams.h"

int main() {
    guardStandardStreams();
    return runDemo();
}
