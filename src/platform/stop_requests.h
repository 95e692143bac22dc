// The requests to stop that a user or the system sends a running program: Ctrl-C (SIGINT), a
// polite kill (SIGTERM) and, on Linux, the end of its terminal (SIGHUP). onStopRequests(handler)
// once; the handler may only note the signal.
#pragma once

// Each of them calls `handler` with its number. On Linux, blocking calls it interrupts fail
// with EINTR instead of being restarted, so that a write that waits on a child gives up too.
void onStopRequests(void (*handler)(int signal));

// Runs `run(context)` with all of them blocked on the calling thread, so that the threads it
// starts inherit the block and the signals reach the other threads only. On Windows a stop
// request runs its handler on a thread of its own, so `run` simply runs.
void withStopRequestsBlocked(void (*run)(void* context), void* context);
