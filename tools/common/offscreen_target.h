// The framebuffer the tools draw into, of the requested size whatever the display, with the demo
// window's 4 samples and 24-bit depth. createOffscreenTarget() once, then per pass one of
// readOffscreenFrame() or presentOffscreenFrame() before the swap, or discardPassPixels().
#pragma once

#include <cstdint>

struct OffscreenTarget {
    uint32_t drawFramebuffer;     // multisampled; stays bound for every pass
    uint32_t resolveFramebuffer;  // one sample a pixel, what is read back
    uint32_t sampledColour;       // renderbuffers
    uint32_t sampledDepth;
    uint32_t resolvedColour;
    int width;   // pixels
    int height;  // pixels
};

// Needs a current context. 0 with the draw framebuffer bound; 1 with a line on stderr when the
// driver cannot make it.
int createOffscreenTarget(int width, int height, OffscreenTarget* target);

// Resolves the samples and reads the frame into `rgb`, width * height * 3 bytes, top row first.
void readOffscreenFrame(const OffscreenTarget& target, uint8_t* rgb);

// Resolves the samples and copies the frame into the window's back buffer of `width` x `height`
// pixels, ready for the swap: what a window shows is then exactly what readOffscreenFrame reads.
void presentOffscreenFrame(const OffscreenTarget& target, int width, int height);

// While on, passes change no pixel: the frames before a capture's range still run the whole
// timeline (the counter and the fade move per pass) without paying for the fragments.
void discardPassPixels(bool discard);
