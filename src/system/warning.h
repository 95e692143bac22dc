// The one form of a warning about an input file, for every layer:
//   demo: PATH: WHAT (WHY); CONSEQUENCE
// where WHAT says what is wrong with the file, WHY (optional) the reason underneath, and
// CONSEQUENCE what the run does without it. The run goes on after it.
#pragma once

// Writes the line on stderr. A null `why` leaves out " (WHY)"; a null `consequence` leaves out
// "; CONSEQUENCE".
void warnFile(const char* path, const char* what, const char* why, const char* consequence);
