// What the benchmarks measure alike: the processor time of the runs they started, the median of
// their rounds, and the machine's load beside the figures.
#pragma once

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
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
