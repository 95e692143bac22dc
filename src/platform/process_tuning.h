// What the process asks of the operating system before its window opens, so that pacing sleeps
// end on time and start-up skips work the presentation has no use for.
// tuneProcessForPresentation() once, before the window system starts; nothing to undo.
#pragma once

void tuneProcessForPresentation();
