// SIGINT and SIGTERM stop a capture cleanly instead of ending it where it stands:
// catchStopSignals() once at start; the frame loop and the video pipe look at stopSignal().
#pragma once

// From here on either signal only marks the capture as stopped. Blocking calls it interrupts
// fail with EINTR (the handler does not restart them), so that a write that waits on ffmpeg
// gives up too.
void catchStopSignals();

// 0, or the signal that asked the capture to stop.
int stopSignal();

// Ends the process by the signal that stopped it, with its default action, so that whoever
// started it sees what ended it (a shell shows 128 + the signal: 130, 143).
void endByStopSignal();
