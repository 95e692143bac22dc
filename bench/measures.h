// What the benchmarks measure alike: the processor time of the runs they started, the median of
// their rounds, and the machine's load beside the figures.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

// Processor seconds, user and system, of every child process waited for so far.
inline double childSeconds() {
    rusage usage = {};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The one-minute load average, as /proc/loadavg gives it; "?" where there is none.
inline std::string loadAverage() {
    FILE* file = std::fopen("/proc/loadavg", "r");
    char text[64] = "?";
    if (file && std::fgets(text, sizeof text, file)) text[std::strcspn(text, " ")] = '\0';
    if (file) std::fclose(file);
    return text;
}

// What a capture run reported on its last summary line, "capture: N frames in 9.4 s, 12.71
// frames/s", and the processor time of every process it started.
struct CaptureRun {
    double rate;        // frames a second; 0 when the run failed
    long frames;        // frames captured
    double cpuSeconds;  // user and system
};

// Runs `command`, a shell command that starts capture with its standard error on the pipe.
inline CaptureRun runCapture(const std::string& command) {
    const double cpuBefore = childSeconds();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return CaptureRun{0.0, 0, 0.0};
    char line[512];
    CaptureRun run = {0.0, 0, 0.0};
    while (std::fgets(line, sizeof line, pipe)) {
        const char* in = std::strstr(line, " frames in ");
        const char* count = std::strchr(line, ' ');
        const char* comma = in ? std::strchr(in, ',') : nullptr;
        if (!comma) continue;
        run.rate = std::strtod(comma + 1, nullptr);
        run.frames = std::strtol(count + 1, nullptr, 10);
    }
    if (pclose(pipe) != 0 || run.frames <= 0) return CaptureRun{0.0, 0, 0.0};
    run.cpuSeconds = childSeconds() - cpuBefore;
    return run;
}
