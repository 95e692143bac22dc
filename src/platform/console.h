// Sends standard output and standard error to the terminal or console the program started from.
// reopenStreamsOnConsole() once, before anything is printed; without a terminal it does nothing.
#pragma once

struct ConsoleDevice {
    const char* path;  // the terminal or console: "/dev/tty" on Linux, "CONOUT$" on Windows
};

// Read by reopenStreamsOnConsole; tests point it elsewhere so their captured streams stay put.
extern ConsoleDevice consoleDevice;

// Both streams follow the terminal when it can be opened for writing; otherwise (no controlling
// terminal: CI, services, a detached session) they stay as they are, so nothing is lost.
void reopenStreamsOnConsole();
