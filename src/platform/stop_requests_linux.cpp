#include "platform/stop_requests.h"

#include <pthread.h>

#include <csignal>

void onStopRequests(void (*handler)(int signal)) {
    // Without SA_RESTART, which signal() would set.
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void withStopRequestsBlocked(void (*run)(void* context), void* context) {
    sigset_t stops;
    sigset_t before;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, &before);
    run(context);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}
