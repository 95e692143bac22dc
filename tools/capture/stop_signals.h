// SIGINT, SIGTERM and SIGHUP stop a capture cleanly instead of ending it where it stands:
// catchStopSignals() once at start; the frame loop and the video pipe look at stopSignal().
#pragma once

// From here on each of them only marks the capture as stopped. Blocking calls it interrupts
// fail with EINTR (the handler does not restart them), so that a write that waits on ffmpeg
// gives up too.
void catchStopSignals();

// 0, or the signal that asked the capture to stop.
int stopSignal();

// That signal's name, "SIGINT", "SIGTERM" or "SIGHUP", for the line that says what stopped it.
const char* stopSignalName();

// Ends the process by the signal that stopped it, with its default action, so that whoever
// started it sees what ended it (a shell shows 128 + the signal: 130, 143, 129).
void endByStopSignal();
