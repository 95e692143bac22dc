#include "support/virtual_platform.h"

#include "driver/startup.h"
#include "platform/platform.h"

VirtualPlatform virtualPlatform;

namespace {

double virtualNow() { return virtualPlatform.clock; }

void virtualSleep(double seconds) {
    virtualPlatform.sleeps.push_back(seconds);
    virtualPlatform.clock += seconds;
}

void virtualSwap() {
    ++virtualPlatform.swaps;
    virtualPlatform.clock += virtualPlatform.passWork;
    if (virtualPlatform.onSwap) virtualPlatform.onSwap(virtualPlatform.swaps);
}

bool virtualEscape() { return virtualPlatform.escape; }
bool virtualWindowOpen() { return virtualPlatform.windowOpen; }

void virtualFrameSize(int* width, int* height) {
    *width = virtualPlatform.width;
    *height = virtualPlatform.height;
}

void virtualTerminate() { ++virtualPlatform.terminations; }

}  // namespace

void installVirtualPlatform() {
    virtualPlatform = VirtualPlatform{};
    platform =
        Platform{virtualNow,       virtualSleep,     virtualSwap, virtualEscape, virtualWindowOpen,
                 virtualFrameSize, virtualTerminate, nullptr,     nullptr,       nullptr};
    resetPresentation();
}
