#include "stop_signals.h"

#include <csignal>

#include "platform/stop_requests.h"

namespace {

// Written only by the handler, which runs on the main thread (the frame writer's threads block
// them all), and read by the capture's threads.
volatile std::sig_atomic_t caughtSignal = 0;

void noteStopSignal(int signal) { caughtSignal = signal; }

}  // namespace

void catchStopSignals() { onStopRequests(noteStopSignal); }

int stopSignal() { return caughtSignal; }

const char* stopSignalName() {
    return caughtSignal == SIGINT ? "SIGINT" : caughtSignal == SIGTERM ? "SIGTERM" : "SIGHUP";
}

void endByStopSignal() {
    const int signal = caughtSignal;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}
