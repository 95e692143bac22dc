// Frames piped raw into ffmpeg, which encodes them with the presentation's soundtrack muxed in from the
// time of the first frame: openVideoPipe(), writeVideoFrame() per frame, closeVideoPipe() once.
// The container follows the file's extension.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct CaptureArguments;

struct VideoPipe {
    int pid;           // ffmpeg's process, -1 when none runs
    int frameFd;       // the write end of its standard input
    FILE* log;         // its standard error, for the line that says why it failed
    const char* path;  // the video file
    bool refused;      // ffmpeg stopped taking frames: its own failure, to be reported
};

// Starts ffmpeg on the frames of `arguments`, run from the asset directory. 0 when it runs; 1
// with a line on stderr when the file cannot be written or ffmpeg cannot be started.
int openVideoPipe(const CaptureArguments& arguments, VideoPipe* video);

// One RGB frame, top row first. 0 on success; 1, without a message, when ffmpeg no longer takes
// frames: closeVideoPipe then says why.
int writeVideoFrame(VideoPipe* video, const uint8_t* rgb, size_t size);

// Ends the input and waits for ffmpeg. With `keep` false the capture has failed elsewhere and
// said so: ffmpeg is stopped and the unfinished file removed. 0 when the video is complete;
// otherwise 1, with a line on stderr when ffmpeg itself failed.
int closeVideoPipe(VideoPipe* video, bool keep);
