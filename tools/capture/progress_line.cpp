#include "progress_line.h"

#include <unistd.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>

namespace {

constexpr double TERMINAL_INTERVAL = 0.1;  // seconds between redraws in place
constexpr double LOG_INTERVAL = 5.0;       // seconds between lines into a file or pipe
constexpr double MACHINE_INTERVAL = 0.5;   // seconds between "frames DONE TOTAL" lines

// The frame loop writes its once-a-second report on stderr too. On a terminal the progress stays
// one line below an empty cursor line: a report printed there moves the cursor onto the progress
// line, and the next redraw clears whatever line the cursor is on, writes the progress one line
// further down and returns to the empty line above it.
void draw(ProgressLine* progress, const char* text) {
    if (progress->terminal) {
        std::fprintf(stderr, "\r\033[K\n%s\033[K\033[A\r", text);
        progress->open = true;
    } else {
        std::fprintf(stderr, "%s\n", text);
    }
    std::fflush(stderr);
}

bool due(ProgressLine* progress) {
    const double now = wallSeconds();
    if (now - progress->shownSeconds < (progress->terminal ? TERMINAL_INTERVAL : LOG_INTERVAL))
        return false;
    progress->shownSeconds = now;
    return true;
}

// One write a line, so that a reader never sees half of one. A reader that has gone does not stop
// the capture: the frames matter, the count does not.
void tellMachine(ProgressLine* progress, int64_t done) {
    if (progress->machineFd < 0) return;
    const double now = wallSeconds();
    if (done != 0 && done != progress->total &&
        now - progress->machineShownSeconds < MACHINE_INTERVAL)
        return;
    progress->machineShownSeconds = now;
    char text[64];
    const int length =
        std::snprintf(text, sizeof text, "frames %" PRId64 " %" PRId64 "\n", done, progress->total);
    const ssize_t written = write(progress->machineFd, text, static_cast<size_t>(length));
    static_cast<void>(written);
}

void formatDuration(double seconds, char* out, size_t size) {
    const int64_t whole = static_cast<int64_t>(seconds + 0.5);
    if (whole >= 3600)
        std::snprintf(out, size, "%" PRId64 " h %02" PRId64 " min", whole / 3600, whole / 60 % 60);
    else if (whole >= 60)
        std::snprintf(out, size, "%" PRId64 " min %02" PRId64 " s", whole / 60, whole % 60);
    else
        std::snprintf(out, size, "%" PRId64 " s", whole);
}

}  // namespace

double wallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void startProgress(ProgressLine* progress, int64_t total, int machineFd) {
    *progress = ProgressLine{total, wallSeconds(), wallSeconds(), isatty(STDERR_FILENO) == 1,
                             false, machineFd,     wallSeconds()};
    tellMachine(progress, 0);
}

void showCatchUp(ProgressLine* progress, int64_t pass, int64_t firstFrame) {
    if (!due(progress)) return;
    char text[128];
    std::snprintf(text, sizeof text,
                  "capture: running the timeline up to frame %" PRId64 ": pass %" PRId64,
                  firstFrame, pass);
    draw(progress, text);
}

void startFrames(ProgressLine* progress) { progress->startSeconds = wallSeconds(); }

void showFrames(ProgressLine* progress, int64_t done) {
    tellMachine(progress, done);
    // On a terminal the last frame is always shown, so the line does not stop short of the total.
    const bool last = progress->terminal && done == progress->total;
    if (!due(progress) && !last) return;
    const double spent = wallSeconds() - progress->startSeconds;
    const double rate = spent > 0.0 ? static_cast<double>(done) / spent : 0.0;
    char left[32] = "?";
    if (rate > 0.0)
        formatDuration(static_cast<double>(progress->total - done) / rate, left, sizeof left);
    char text[160];
    std::snprintf(text, sizeof text,
                  "capture: frame %" PRId64 " of %" PRId64 ", %.2f frames/s, %s left", done,
                  progress->total, rate, left);
    draw(progress, text);
}

void closeProgress(ProgressLine* progress) {
    if (!progress->open) return;
    // Down past the progress line, which stays on screen.
    std::fputs("\r\033[K\n\n", stderr);
    progress->open = false;
}

void showSummary(ProgressLine* progress, int64_t done) {
    closeProgress(progress);
    const double spent = wallSeconds() - progress->startSeconds;
    std::fprintf(stderr, "capture: %" PRId64 " frames in %.1f s, %.2f frames/s\n", done, spent,
                 spent > 0.0 ? static_cast<double>(done) / spent : 0.0);
}
