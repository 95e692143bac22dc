#include "platform/key_queue.h"

namespace {

// Written and emptied on the thread that processes the window's events.
constexpr int KEY_QUEUE_SIZE = 64;  // far more than a hand types between two passes
struct KeyQueue {
    KeyPress presses[KEY_QUEUE_SIZE];
    int first;
    int count;
};
KeyQueue keyQueue = {};

}  // namespace

void queueKeyPress(const KeyPress& press) {
    if (keyQueue.count == KEY_QUEUE_SIZE) return;
    keyQueue.presses[(keyQueue.first + keyQueue.count) % KEY_QUEUE_SIZE] = press;
    ++keyQueue.count;
}

bool takeKeyPress(KeyPress* press) {
    if (keyQueue.count == 0) return false;
    *press = keyQueue.presses[keyQueue.first];
    keyQueue.first = (keyQueue.first + 1) % KEY_QUEUE_SIZE;
    --keyQueue.count;
    return true;
}

void clearKeyPresses() { keyQueue = KeyQueue{}; }
