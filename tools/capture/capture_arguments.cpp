#include "capture_arguments.h"

#include <sys/stat.h>

#include <algorithm>
#include <cinttypes>
#include <cstring>

#include "driver/frame_loop.h"
#include "driver/timeline.h"
#include "option_values.h"
#include "platform/glfw_window.h"

namespace {

constexpr int64_t TIMELINE_END_MICROS =
    static_cast<int64_t>(TIMELINE_END * static_cast<double>(MICROS_PER_SECOND));

// Formatted from the timeline's end, the frame loop's rate, the window's size and the limits.
constexpr char USAGE_FORMAT[] =
    "usage: capture [--from SECONDS] [--to SECONDS] [--fps N] [--size WxH] [--supersample K]\n"
    "               (--png DIR | --video FILE | --discard)\n"
    "\n"
    "Renders the presentation offline, frame by frame, from the asset files in the working\n"
    "directory, on a clock that moves exactly 1/N seconds a frame, so any machine renders the\n"
    "same frames however slow it is.\n"
    "\n"
    "  --from SECONDS    start after this time (default 0)\n"
    "  --to SECONDS      end at this time, at most %g (default %g)\n"
    "  --fps N           frames a second (default %d); frame k shows the time (k + 1) / N\n"
    "  --size WxH        frame size in pixels (default %dx%d)\n"
    "  --supersample K   render each side K times larger (1 to %d, default 1), then average\n"
    "                    every K x K block down to --size\n"
    "  --png DIR         write frame_000000.png, frame_000001.png ... into DIR, numbered by k\n"
    "  --png-level L     zlib's compression of the PNG frames, 0 (none) to 9 (smallest,\n"
    "                    slowest); the pixels are the same at every level (default 1)\n"
    "  --video FILE      encode with ffmpeg, with the soundtrack from the time of the first\n"
    "                    frame: H.264 and AAC in .mp4 and .mov, H.264 and FLAC in .mkv\n"
    "  --discard         read every frame back and drop it, to measure rendering alone\n"
    "  --encode-png DIR  with --video: encode the frames a --png capture of the same range\n"
    "                    wrote into DIR instead of rendering them (the capture farm's last step)\n"
    "  --print-range     print the first frame index, one past the last and the rate, and exit\n"
    "  --print-chunks N  print the range cut into chunks of N frames, a line each: first frame,\n"
    "                    one past the last, and the --from and --to that give them; and exit\n"
    "  --progress-fd FD  also write \"frames DONE TOTAL\" lines to descriptor FD as frames are\n"
    "                    written, for a program that follows the capture\n"
    "  --help            print this and exit\n";

const char* const VIDEO_EXTENSIONS[] = {".mp4", ".mkv", ".mov"};

// What the line gave for the checks that need all of it; the texts as given, for messages.
struct GivenValues {
    const char* fromText;
    const char* toText;
    const char* sizeText;
    const char* supersampleText;
    int64_t fromMicros;
    int64_t toMicros;
};

int reject(const char* option, const char* value, const char* problem) {
    if (!option)
        std::fprintf(stderr, "capture: %s\n", problem);
    else if (value)
        std::fprintf(stderr, "capture: %s %s: %s\n", option, value, problem);
    else
        std::fprintf(stderr, "capture: %s: %s\n", option, problem);
    return 2;
}

bool hasVideoExtension(const char* path) {
    const char* dot = std::strrchr(path, '.');
    const char* slash = std::strrchr(path, '/');
    if (!dot || (slash && slash > dot)) return false;
    for (const char* extension : VIDEO_EXTENSIONS)
        if (std::strcmp(dot, extension) == 0) return true;
    return false;
}

int setOutput(CaptureArguments* arguments, CaptureOutput output, const char* option,
              const char* value) {
    if (arguments->output != OUTPUT_NONE)
        return reject(option, value, "give only one of --png, --video and --discard");
    if (value && value[0] == '\0') return reject(option, nullptr, "the path is empty");
    arguments->output = output;
    arguments->path = value;
    return 0;
}

int takePng(CaptureArguments* arguments, GivenValues*, const char* option, const char* value) {
    return setOutput(arguments, OUTPUT_PNG, option, value);
}

int takeVideo(CaptureArguments* arguments, GivenValues*, const char* option, const char* value) {
    return setOutput(arguments, OUTPUT_VIDEO, option, value);
}

int takeDiscard(CaptureArguments* arguments, GivenValues*, const char* option, const char*) {
    return setOutput(arguments, OUTPUT_DISCARD, option, nullptr);
}

int takeTime(CaptureArguments*, GivenValues* given, const char* option, const char* value) {
    const bool from = std::strcmp(option, "--from") == 0;
    if (!parseMicros(value, from ? &given->fromMicros : &given->toMicros))
        return reject(option, value, "not a number of seconds like 12 or 9.99");
    (from ? given->fromText : given->toText) = value;
    return 0;
}

int takeFps(CaptureArguments* arguments, GivenValues*, const char* option, const char* value) {
    if (parseBoundedInt(value, '\0', MAX_CAPTURE_FPS, &arguments->fps, nullptr) &&
        arguments->fps >= 1)
        return 0;
    char problem[80];
    std::snprintf(problem, sizeof problem, "not a whole number of frames a second from 1 to %d",
                  MAX_CAPTURE_FPS);
    return reject(option, value, problem);
}

int takeSize(CaptureArguments* arguments, GivenValues* given, const char*, const char* value) {
    if (!parseSize(value, MAX_CAPTURE_SIDE, &arguments->width, &arguments->height)) {
        char problem[80];
        describeBadSize(MAX_CAPTURE_SIDE, problem, sizeof problem);
        return reject("--size", value, problem);
    }
    given->sizeText = value;
    return 0;
}

int takeSupersample(CaptureArguments* arguments, GivenValues* given, const char* option,
                    const char* value) {
    if (!parseBoundedInt(value, '\0', MAX_SUPERSAMPLE, &arguments->supersample, nullptr) ||
        arguments->supersample < 1) {
        char problem[48];
        std::snprintf(problem, sizeof problem, "not a whole number from 1 to %d", MAX_SUPERSAMPLE);
        return reject(option, value, problem);
    }
    given->supersampleText = value;
    return 0;
}

int takeEncodeDirectory(CaptureArguments* arguments, GivenValues*, const char* option,
                        const char* value) {
    if (value[0] == '\0') return reject(option, nullptr, "the path is empty");
    arguments->encodeDirectory = value;
    return 0;
}

int takePrintRange(CaptureArguments* arguments, GivenValues*, const char*, const char*) {
    arguments->printRange = true;
    return 0;
}

// The limits' texts come from the constants, so that a message cannot drift from the check.
int rejectOutside(const char* option, const char* value, int low, int high) {
    char problem[64];
    std::snprintf(problem, sizeof problem, "not a whole number from %d to %d", low, high);
    return reject(option, value, problem);
}

int takePngLevel(CaptureArguments* arguments, GivenValues*, const char* option, const char* value) {
    if (!parseBoundedInt(value, '\0', MAX_PNG_LEVEL, &arguments->pngLevel, nullptr))
        return rejectOutside(option, value, 0, MAX_PNG_LEVEL);
    return 0;
}

int takePrintChunks(CaptureArguments* arguments, GivenValues*, const char* option,
                    const char* value) {
    if (!parseBoundedInt(value, '\0', INT32_MAX, &arguments->chunkFrames, nullptr) ||
        arguments->chunkFrames < 1)
        return reject(option, value, "not a whole number of frames from 1");
    return 0;
}

// The descriptor must be open now: a capture that would find out at its first frame has already
// spent its start-up.
int takeProgressFd(CaptureArguments* arguments, GivenValues*, const char* option,
                   const char* value) {
    if (!parseBoundedInt(value, '\0', MAX_PROGRESS_FD, &arguments->progressFd, nullptr) ||
        arguments->progressFd < 1)
        return rejectOutside(option, value, 1, MAX_PROGRESS_FD);
    struct stat info = {};
    if (fstat(arguments->progressFd, &info) != 0)
        return reject(option, value, "not an open descriptor");
    return 0;
}

struct OptionRule {
    const char* name;
    bool takesValue;
    int (*take)(CaptureArguments* arguments, GivenValues* given, const char* option,
                const char* value);
};

const OptionRule OPTION_RULES[] = {
    {"--from", true, takeTime},
    {"--to", true, takeTime},
    {"--fps", true, takeFps},
    {"--size", true, takeSize},
    {"--supersample", true, takeSupersample},
    {"--png", true, takePng},
    {"--video", true, takeVideo},
    {"--discard", false, takeDiscard},
    {"--encode-png", true, takeEncodeDirectory},
    {"--print-range", false, takePrintRange},
    {"--png-level", true, takePngLevel},
    {"--print-chunks", true, takePrintChunks},
    {"--progress-fd", true, takeProgressFd},
};

const OptionRule* ruleFor(const char* option) {
    for (const OptionRule& rule : OPTION_RULES)
        if (std::strcmp(option, rule.name) == 0) return &rule;
    return nullptr;
}

int checkVideo(const CaptureArguments& arguments, const GivenValues& given) {
    if (!hasVideoExtension(arguments.path))
        return reject("--video", arguments.path, "the name must end in .mp4, .mkv or .mov");
    if (arguments.width % 2 != 0 || arguments.height % 2 != 0)
        return reject("--size", given.sizeText, "a video needs an even width and height");
    return 0;
}

// The checks that need the whole line.
int checkWholeLine(CaptureArguments* arguments, const GivenValues& given) {
    if (arguments->output == OUTPUT_NONE)
        return reject(nullptr, nullptr, "give --png DIR, --video FILE or --discard (try --help)");
    char problem[80];
    if (given.toMicros > TIMELINE_END_MICROS) {
        std::snprintf(problem, sizeof problem, "past the end of the timeline, %g seconds",
                      TIMELINE_END);
        return reject("--to", given.toText, problem);
    }
    if (given.fromMicros >= given.toMicros)
        return reject("--from", given.fromText, "not before --to");
    arguments->firstFrame = framesUpTo(given.fromMicros, arguments->fps);
    arguments->endFrame = framesUpTo(given.toMicros, arguments->fps);
    if (arguments->firstFrame == arguments->endFrame)
        return reject("--from", given.fromText,
                      "no frame falls between --from and --to at this rate");
    const int largest = arguments->width > arguments->height ? arguments->width : arguments->height;
    if (largest * arguments->supersample > MAX_CAPTURE_SIDE) {
        std::snprintf(problem, sizeof problem,
                      "the frame as rendered would be more than %d pixels a side",
                      MAX_CAPTURE_SIDE);
        return reject("--supersample", given.supersampleText, problem);
    }
    if (arguments->encodeDirectory && arguments->output != OUTPUT_VIDEO)
        return reject("--encode-png", arguments->encodeDirectory, "needs --video FILE");
    if (arguments->output == OUTPUT_VIDEO) return checkVideo(*arguments, given);
    return 0;
}

}  // namespace

int parseCaptureArguments(int argc, char** argv, CaptureArguments* arguments) {
    *arguments = CaptureArguments{0,
                                  0,
                                  DEMO_FPS,
                                  DEMO_WINDOW.width,
                                  DEMO_WINDOW.height,
                                  1,
                                  OUTPUT_NONE,
                                  nullptr,
                                  nullptr,
                                  false,
                                  false,
                                  DEFAULT_PNG_LEVEL,
                                  0,
                                  -1};
    // No message names a default --to or --size: the defaults are always within bounds.
    GivenValues given = {"0", nullptr, nullptr, "1", 0, TIMELINE_END_MICROS};
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        if (std::strcmp(option, "--help") == 0) {
            arguments->help = true;
            return 0;
        }
        const OptionRule* rule = ruleFor(option);
        if (!rule) return reject(option, nullptr, "unknown option (try --help)");
        const char* value = nullptr;
        if (rule->takesValue && ++i == argc) return reject(option, nullptr, "needs a value");
        if (rule->takesValue) value = argv[i];
        const int result = rule->take(arguments, &given, option, value);
        if (result != 0) return result;
    }
    return checkWholeLine(arguments, given);
}

int64_t capturedFrameCount(const CaptureArguments& arguments) {
    return arguments.endFrame - arguments.firstFrame;
}

void printCaptureUsage(FILE* stream) {
    std::fprintf(stream, USAGE_FORMAT, TIMELINE_END, TIMELINE_END, DEMO_FPS, DEMO_WINDOW.width,
                 DEMO_WINDOW.height, MAX_SUPERSAMPLE);
}

void printCaptureChunks(const CaptureArguments& arguments, FILE* stream) {
    // A time that gives exactly `frame` frames up to it: the frame's boundary rounded up to the
    // microsecond, which at 1000 frames a second or fewer is still short of the next boundary.
    const auto seconds = [&arguments](int64_t frame, char* text, size_t size) {
        const int64_t micros = (frame * MICROS_PER_SECOND + arguments.fps - 1) / arguments.fps;
        int length = std::snprintf(text, size, "%" PRId64 ".%06" PRId64, micros / MICROS_PER_SECOND,
                                   micros % MICROS_PER_SECOND);
        while (text[length - 1] == '0') text[--length] = '\0';
        if (text[length - 1] == '.') text[length - 1] = '\0';
    };
    for (int64_t first = arguments.firstFrame; first < arguments.endFrame;
         first += arguments.chunkFrames) {
        const int64_t end = std::min<int64_t>(first + arguments.chunkFrames, arguments.endFrame);
        char from[32];
        char to[32];
        seconds(first, from, sizeof from);
        seconds(end, to, sizeof to);
        std::fprintf(stream, "%" PRId64 " %" PRId64 " %s %s\n", first, end, from, to);
    }
}
