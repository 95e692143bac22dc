#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

// The console's screen buffer; opening it fails when the process has no console (started from
// Explorer without one, or as a service), and the streams stay as they are.
ConsoleDevice consoleDevice = {"CONOUT$"};

void reopenStreamsOnConsole() {
    // Opened once and duplicated onto both descriptors, as on every system: a re-open that failed
    // half-way would close the stream and silently lose what follows. _O_APPEND keeps the two
    // streams from overwriting each other should the device be a file.
    const int fd = _open(consoleDevice.path, _O_WRONLY | _O_APPEND | _O_NOINHERIT);
    if (fd < 0) return;
    std::fflush(stdout);
    std::fflush(stderr);
    _dup2(fd, _fileno(stdout));
    _dup2(fd, _fileno(stderr));
    _close(fd);
}
