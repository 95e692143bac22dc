#include "platform/stop_requests.h"

#include <csignal>

void onStopRequests(void (*handler)(int signal)) {
    // Without SA_RESTART, which signal() would set.
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
