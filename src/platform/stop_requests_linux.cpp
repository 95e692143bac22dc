#include "platform/stop_requests.h"

#include <pthread.h>

#include <csignal>

namespace {

// A terminal that closes (SIGHUP) asks as plainly as Ctrl-C and kill do.
constexpr int STOP_SIGNALS[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

void onStopRequests(void (*handler)(int signal)) {
    // Without SA_RESTART, which signal() would set.
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (const int signal : STOP_SIGNALS) sigaction(signal, &action, nullptr);
}

void withStopRequestsBlocked(void (*run)(void* context), void* context) {
    sigset_t stops;
    sigset_t before;
    sigemptyset(&stops);
    for (const int signal : STOP_SIGNALS) sigaddset(&stops, signal);
    pthread_sigmask(SIG_BLOCK, &stops, &before);
    run(context);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}
