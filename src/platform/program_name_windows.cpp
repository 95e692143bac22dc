#include "platform/program_name.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

// Filled on first use from the executable's path and kept for the life of the process.
struct ProgramName {
    char text[MAX_PATH];
    bool known;
};
ProgramName programNameOnce = {};

}  // namespace

const char* programName() {
    ProgramName& name = programNameOnce;
    if (name.known) return name.text;
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    const char* slash = std::strrchr(path, '\\');
    std::snprintf(name.text, sizeof name.text, "%s", slash ? slash + 1 : path);
    char* dot = std::strrchr(name.text, '.');
    if (dot) *dot = '\0';
    name.known = true;
    return name.text;
}
