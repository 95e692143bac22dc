// Frames piped raw into ffmpeg, which encodes them with the presentation's soundtrack muxed in from
// the time of the first frame: openVideoPipe(), writeVideoFrame() per frame, closeVideoPipe() once.
// The container follows the file's extension.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "video_check.h"

struct CaptureArguments;

// ffmpeg writes a temporary file beside the video, which takes the video's name only once it is
// complete, read back and found whole: until then a file of that name, if any, stays as it was.
struct VideoPipe {
    int pid;                 // ffmpeg's process, -1 when none runs
    int frameFd;             // the write end of its frame input
    FILE* log;               // its standard error, for the line that says why it failed
    const char* path;        // the video file
    std::string partPath;    // the temporary file, empty when there is none
    bool refused;            // ffmpeg stopped taking frames: its own failure, to be reported
    ExpectedVideo expected;  // frames counted as they are sent, or those ffmpeg reads itself
};

// Starts ffmpeg on the frames of `arguments`, run from the asset directory. 0 when it runs; 1
// with a line on stderr when the file cannot be written or ffmpeg cannot be started.
int openVideoPipe(const CaptureArguments& arguments, VideoPipe* video);

// One RGB frame, top row first. 0 on success; 1 when ffmpeg no longer takes frames (without a
// message: closeVideoPipe then says why) or when a stop signal interrupted the write.
int writeVideoFrame(VideoPipe* video, const uint8_t* rgb, size_t size);

// Returns once ffmpeg has ended or a stop signal has come, which it sees within a tenth of a
// second; ffmpeg is not reaped, which closeVideoPipe does.
void waitVideoPipeEnd(const VideoPipe& video);

// Ends the input and waits for ffmpeg. With `keep` false the capture has failed or was stopped
// elsewhere and said so: ffmpeg is stopped and the temporary file removed. 0 when the video is
// complete and in place; otherwise 1, with a line on stderr when ffmpeg itself failed, its log
// tells of a failed write, the file lacks frames or sound, or the video cannot take its name.
int closeVideoPipe(VideoPipe* video, bool keep);
