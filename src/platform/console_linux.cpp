#include "platform/console.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

ConsoleDevice consoleDevice = {"/dev/tty"};

void reopenStreamsOnConsole() {
    // Opened once and duplicated onto both descriptors instead of re-opening each stream by name:
    // a re-open that failed half-way would close the stream and silently lose what follows.
    // O_APPEND keeps the two streams from overwriting each other should the device be a file.
    const int fd = open(consoleDevice.path, O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return;
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(fd, STDOUT_FILENO);
    dup2(fd, STDERR_FILENO);
    close(fd);
}
