// The running program's own name, for the head of its messages ("capture: ...").
// std::fprintf(stderr, "%s: ...\n", programName());
#pragma once

// The file name it was started as, without directory or (on Windows) ".exe"; never null.
const char* programName();
