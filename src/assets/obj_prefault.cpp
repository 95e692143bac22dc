// Fresh pages of the record arrays, faulted in on a second thread a little ahead of the parse, so
// that the parse does not wait on the kernel's zeroing of each page it first writes.
#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "assets/obj_parse.h"

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sys/mman.h>
#endif

namespace objparse {

#if defined(__linux__) && !defined(__EMSCRIPTEN__) && defined(MADV_POPULATE_WRITE)

namespace {

constexpr uintptr_t HUGE_PAGE = uintptr_t{2} << 20;

// Texts shorter than this are read before a thread would have started.
constexpr uint64_t SMALLEST_TEXT = uint64_t{8} << 20;

// One array as the prefaulting thread sees it.
struct Stretch {
    uintptr_t start;    // the array's data
    uintptr_t used;     // end of its records at the latest report
    uintptr_t wanted;   // fault in up to here
    uintptr_t faulted;  // done up to here
    uintptr_t end;      // of its capacity
};

}  // namespace

struct Prefault {
    std::mutex mutex;
    std::condition_variable wake;
    Stretch stretches[4] = {};
    bool stopping = false;
    std::thread thread;

    // Populates a huge page at a time, first where the parse is nearest. The lock is held over
    // each madvise, so that a growth of an array (which moves it) waits for one at most.
    void run() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            if (stopping) return;
            Stretch* next = nullptr;
            for (Stretch& s : stretches)
                if (s.faulted < s.wanted &&
                    (!next || s.faulted - s.used < next->faulted - next->used))
                    next = &s;
            if (!next) {
                wake.wait(lock);
                continue;
            }
            const uintptr_t from = std::max(next->faulted, next->used) & ~(HUGE_PAGE - 1);
            const uintptr_t to = std::min(next->wanted, (from + HUGE_PAGE) & ~(HUGE_PAGE - 1));
            next->faulted = to;
            // Only whole pages, all inside the array's own block.
            const uintptr_t first = std::max(from, (next->start + 4095) & ~uintptr_t{4095});
            const uintptr_t last = to & ~uintptr_t{4095};
            if (last > first &&
                madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE) != 0) {
                for (Stretch& s : stretches) s.wanted = s.faulted = 0;  // an older kernel: give up
                stopping = true;
                return;
            }
        }
    }
};

namespace {

void describe(Stretch* s, const void* data, size_t used, size_t capacity, size_t lead) {
    const auto start = reinterpret_cast<uintptr_t>(data);
    if (start != s->start) *s = Stretch{start, start, start, start, start};
    s->used = start + used;
    s->end = start + capacity;
    s->wanted = std::min(s->end, s->used + lead);
    if (s->faulted < s->used) s->faulted = s->used;
}

}  // namespace

Prefault* startPrefault(uint64_t textLength) {
    if (textLength < SMALLEST_TEXT) return nullptr;
    auto* prefault = new (std::nothrow) Prefault;
    if (!prefault) return nullptr;
    try {
        prefault->thread = std::thread([prefault] { prefault->run(); });
    } catch (const std::system_error&) {
        delete prefault;
        return nullptr;
    }
    return prefault;
}

void reportProgress(Prefault* prefault, ObjParse* parse, uint64_t textBytes) {
    if (!prefault) return;
    const ObjModel* model = parse->model;
    const size_t faceBytes = sizeof(ObjFace) * static_cast<size_t>(model->faceCount);
    const Records* arrays[3] = {&parse->vertices, &parse->texCoords, &parse->normals};
    {
        // A report missed while the thread is in a madvise is made good by the next window's.
        std::unique_lock<std::mutex> lock(prefault->mutex, std::try_to_lock);
        if (!lock.owns_lock()) return;
        // Room for the records of the next few windows of text, at the rate seen so far.
        const size_t window = 4 * ASSET_WINDOW_BYTES;
        const auto ahead = [&](size_t bytes) {
            const double rate = static_cast<double>(bytes) / static_cast<double>(textBytes + 1);
            return std::min<size_t>(HUGE_PAGE, static_cast<size_t>(rate * window));
        };
        describe(&prefault->stretches[0], model->faces, faceBytes,
                 sizeof(ObjFace) * static_cast<size_t>(parse->faceCapacity), ahead(faceBytes));
        for (int i = 0; i < 3; ++i) {
            const Records& r = *arrays[i];
            const size_t record = sizeof(float) * static_cast<size_t>(r.width);
            const size_t used = record * static_cast<size_t>(*r.count);
            describe(&prefault->stretches[i + 1], *r.data, used,
                     record * static_cast<size_t>(r.capacity), ahead(used));
        }
    }
    prefault->wake.notify_one();
}

void pausePrefault(Prefault* prefault) {
    if (prefault) prefault->mutex.lock();
}

void resumePrefault(Prefault* prefault) {
    if (prefault) prefault->mutex.unlock();
}

void stopPrefault(Prefault* prefault) {
    if (!prefault) return;
    {
        std::lock_guard<std::mutex> lock(prefault->mutex);
        prefault->stopping = true;
    }
    prefault->wake.notify_one();
    prefault->thread.join();
    delete prefault;
}

#else

struct Prefault {};
Prefault* startPrefault(uint64_t) { return nullptr; }
void reportProgress(Prefault*, ObjParse*, uint64_t) {}
void pausePrefault(Prefault*) {}
void resumePrefault(Prefault*) {}
void stopPrefault(Prefault*) {}

#endif

}  // namespace objparse
