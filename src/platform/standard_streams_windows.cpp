#include "platform/standard_streams.h"

#include <fcntl.h>
#include <io.h>

void guardStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        // A process started without a console has no handle behind its standard descriptors.
        if (_get_osfhandle(fd) != -1) continue;
        // The lower descriptors are open by now, so this one is the lowest free number and the
        // open takes it. Windows has no SIGPIPE: a write to a pipe whose reader has gone fails.
        _open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
    }
}
