#include "frame_writer.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "downsample.h"
#include "platform/stop_requests.h"
#include "png_frames.h"

namespace {

// More buffers than workers: one for the render thread to fill, one queued so that a worker never
// waits for the render thread between two frames.
constexpr size_t SPARE_BUFFERS = 2;

size_t workerCount(CaptureOutput output) {
    if (output == OUTPUT_DISCARD) return 0;
    if (output == OUTPUT_VIDEO) return 1;
    return std::max(1u, std::thread::hardware_concurrency() / 2);
}

// 0, or 1 with `failure` set to the line to print (empty when ffmpeg's end will say it).
int writeFrame(FrameWriter* writer, FrameBuffer* buffer, std::string* failure) {
    const CaptureArguments& arguments = *writer->arguments;
    const uint8_t* pixels = buffer->rendered.data();
    if (arguments.supersample > 1) {
        buffer->frame.resize(static_cast<size_t>(arguments.width) *
                             static_cast<size_t>(arguments.height) * 3);
        downsampleFrame(pixels, arguments.width, arguments.height, arguments.supersample,
                        buffer->frame.data());
        pixels = buffer->frame.data();
    }
    if (arguments.output == OUTPUT_PNG)
        return writePngFrame(arguments.path, buffer->index, pixels, arguments.width,
                             arguments.height, arguments.pngLevel, failure);
    return writeVideoFrame(
        writer->video, pixels,
        static_cast<size_t>(arguments.width) * static_cast<size_t>(arguments.height) * 3);
}

// The oldest queued buffer; null once the writer closes with nothing queued.
FrameBuffer* nextQueued(FrameWriter* writer) {
    std::unique_lock<std::mutex> held(writer->lock);
    writer->changed.wait(held, [writer] { return !writer->queued.empty() || writer->closing; });
    if (writer->queued.empty()) return nullptr;
    FrameBuffer* buffer = writer->queued.front();
    writer->queued.pop_front();
    return buffer;
}

void runWorker(FrameWriter* writer) {
    for (FrameBuffer* buffer = nextQueued(writer); buffer; buffer = nextQueued(writer)) {
        std::string failure;
        // After a failure the frames still queued are dropped, not written.
        const bool skip = [writer] {
            std::lock_guard<std::mutex> held(writer->lock);
            return writer->failed;
        }();
        const int result = skip ? 0 : writeFrame(writer, buffer, &failure);
        std::lock_guard<std::mutex> held(writer->lock);
        // Only the first failure is reported: two workers may meet the same full disk.
        if (result != 0 && !writer->failed && !failure.empty())
            std::fprintf(stderr, "%s\n", failure.c_str());
        if (result != 0) writer->failed = true;
        writer->idle.push_back(buffer);
        writer->changed.notify_all();
    }
}

}  // namespace

void startFrameWriter(FrameWriter* writer, const CaptureArguments& arguments, VideoPipe* video) {
    const size_t workers = workerCount(arguments.output);
    const size_t side = static_cast<size_t>(arguments.supersample);
    writer->arguments = &arguments;
    writer->video = video;
    writer->renderedBytes = static_cast<size_t>(arguments.width) * side *
                            static_cast<size_t>(arguments.height) * side * 3;
    writer->buffers = std::vector<FrameBuffer>(workers + SPARE_BUFFERS);
    writer->idle.clear();
    for (FrameBuffer& buffer : writer->buffers) writer->idle.push_back(&buffer);
    writer->queued.clear();
    writer->closing = false;
    writer->failed = false;
    writer->workers.clear();
    struct Start {
        FrameWriter* writer;
        size_t workers;
    } start = {writer, workers};
    withStopRequestsBlocked(
        [](void* context) {
            const Start* start = static_cast<const Start*>(context);
            for (size_t i = 0; i < start->workers; ++i)
                start->writer->workers.emplace_back(runWorker, start->writer);
        },
        &start);
}

FrameBuffer* takeFrameBuffer(FrameWriter* writer) {
    std::unique_lock<std::mutex> held(writer->lock);
    writer->changed.wait(held, [writer] { return !writer->idle.empty() || writer->failed; });
    if (writer->failed) return nullptr;
    FrameBuffer* buffer = writer->idle.back();
    writer->idle.pop_back();
    held.unlock();
    // Memory is taken on first use, so that a short capture of a huge frame holds no more than it
    // fills.
    buffer->rendered.resize(writer->renderedBytes);
    return buffer;
}

void passFrame(FrameWriter* writer, FrameBuffer* buffer) {
    std::lock_guard<std::mutex> held(writer->lock);
    // Nothing is written when there is no worker: the frame is dropped as soon as it is read.
    if (writer->workers.empty())
        writer->idle.push_back(buffer);
    else
        writer->queued.push_back(buffer);
    writer->changed.notify_all();
}

int finishFrameWriter(FrameWriter* writer, bool drop) {
    {
        std::lock_guard<std::mutex> held(writer->lock);
        writer->closing = true;
        if (drop) writer->queued.clear();
        writer->changed.notify_all();
    }
    for (std::thread& worker : writer->workers) worker.join();
    writer->workers.clear();
    writer->buffers.clear();
    writer->idle.clear();
    return writer->failed ? 1 : 0;
}
