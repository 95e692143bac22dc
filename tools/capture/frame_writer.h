// Frames written off the render path: worker threads filter each frame read back down to its size,
// then compress and write it, while the render thread draws and reads back the next ones.
// startFrameWriter() once; per frame takeFrameBuffer(), fill it, passFrame(); finishFrameWriter().
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "capture_arguments.h"
#include "video_pipe.h"

struct FrameBuffer {
    std::vector<uint8_t> rendered;  // as read back: RGB, top row first, at the size rendered
    std::vector<uint8_t> frame;     // a worker's, when supersampled: filtered to the asked size
    int64_t index;                  // frame index k
};

// Which thread touches what: the render thread fills a buffer it took, then passes it on and no
// longer touches it; a worker owns a buffer from taking it off `queued` until it is idle again.
// Everything under `lock` is shared; the rest is set by startFrameWriter and only read after.
struct FrameWriter {
    const CaptureArguments* arguments;
    VideoPipe* video;  // the video's ffmpeg, written by the one worker a video has
    size_t renderedBytes;
    std::vector<FrameBuffer> buffers;  // fixed in number, so memory stays bounded
    std::vector<std::thread> workers;

    std::mutex lock;
    std::condition_variable changed;  // a buffer became idle or queued, or the writer closes
    std::vector<FrameBuffer*> idle;   // ready for the render thread
    std::deque<FrameBuffer*> queued;  // filled, oldest first: a video's frames go in this order
    bool closing;                     // no frame will be passed any more
    bool failed;                      // a frame could not be written, and a line said why
};

// Starts the workers: none for OUTPUT_DISCARD, one for a video, which must stay in frame order,
// and for PNG frames half the processor's threads, the other half being the renderer's. Stop
// signals reach the render thread only, which ends the run; the workers' writes go on unbroken.
void startFrameWriter(FrameWriter* writer, const CaptureArguments& arguments, VideoPipe* video);

// An idle buffer whose `rendered` holds the frame as read back, waiting for one while all are
// busy; null once a frame has failed, when the capture should stop.
FrameBuffer* takeFrameBuffer(FrameWriter* writer);

// Hands the filled buffer to the workers.
void passFrame(FrameWriter* writer, FrameBuffer* buffer);

// Writes what is queued, unless a frame has failed or `drop` asks to stop at once, and stops the
// workers. 0 when every frame passed was written; 1 after a failure, reported on stderr.
int finishFrameWriter(FrameWriter* writer, bool drop);
