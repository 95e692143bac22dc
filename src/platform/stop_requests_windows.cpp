#include "platform/stop_requests.h"

#include <csignal>

// The C runtime raises SIGINT for Ctrl-C in the console; it resets the handler before calling
// it, so a second Ctrl-C ends the program at once.
void onStopRequests(void (*handler)(int signal)) {
    std::signal(SIGINT, handler);
    std::signal(SIGTERM, handler);
}

void withStopRequestsBlocked(void (*run)(void* context), void* context) { run(context); }
