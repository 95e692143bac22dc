// The requests to stop that a user or the system sends a running program: Ctrl-C (SIGINT) and a
// polite kill (SIGTERM). onStopRequests(handler) once; the handler may only note the signal.
#pragma once

// Either signal calls `handler` with its number. On Linux, blocking calls it interrupts fail
// with EINTR instead of being restarted, so that a write that waits on a child gives up too.
void onStopRequests(void (*handler)(int signal));
