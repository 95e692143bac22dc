// The standard streams made safe before anything else runs: guardStandardStreams() as the first
// statement of every main (the presentation's and each tool's).
#pragma once

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed, so that no file opened
// later (the X server connection above all) takes one of their numbers and receives what is
// printed; and ignores SIGPIPE, so that a line written to a pipe whose reader has gone is dropped
// and the program goes on.
void guardStandardStreams();
