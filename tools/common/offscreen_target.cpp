#include <epoxy/gl.h>

#include "offscreen_target.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/program_name.h"

namespace {

constexpr GLint DEMO_SAMPLES = 4;  // as the demo's window asks for

GLuint makeRenderbuffer(GLint samples, GLenum format, int width, int height) {
    GLuint name = 0;
    glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, format, width, height);
    return name;
}

bool complete(GLuint framebuffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

// Leaves the resolved frame bound for reading.
void resolveSamples(const OffscreenTarget& target) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.drawFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target.resolveFramebuffer);
    glBlitFramebuffer(0, 0, target.width, target.height, 0, 0, target.width, target.height,
                      GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.resolveFramebuffer);
}

}  // namespace

int createOffscreenTarget(int width, int height, OffscreenTarget* target) {
    GLint maxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
    const GLint samples = maxSamples < DEMO_SAMPLES ? maxSamples : DEMO_SAMPLES;
    *target = OffscreenTarget{};
    target->width = width;
    target->height = height;
    target->sampledColour = makeRenderbuffer(samples, GL_RGBA8, width, height);
    target->sampledDepth = makeRenderbuffer(samples, GL_DEPTH_COMPONENT24, width, height);
    target->resolvedColour = makeRenderbuffer(0, GL_RGBA8, width, height);

    glGenFramebuffers(1, &target->resolveFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, target->resolveFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              target->resolvedColour);
    const bool resolveReady = complete(target->resolveFramebuffer);

    glGenFramebuffers(1, &target->drawFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, target->drawFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              target->sampledColour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              target->sampledDepth);
    if (!resolveReady || !complete(target->drawFramebuffer)) {
        std::fprintf(stderr,
                     "%s: --size %dx%d: the OpenGL driver cannot make a framebuffer this size\n",
                     programName(), width, height);
        return 1;
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    return 0;
}

void presentOffscreenFrame(const OffscreenTarget& target, int width, int height) {
    resolveSamples(target);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Scaled only when the window's drawable has changed size since the target was made.
    const bool sameSize = width == target.width && height == target.height;
    glBlitFramebuffer(0, 0, target.width, target.height, 0, 0, width, height, GL_COLOR_BUFFER_BIT,
                      sameSize ? GL_NEAREST : GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, target.drawFramebuffer);
}

void readOffscreenFrame(const OffscreenTarget& target, uint8_t* rgb) {
    resolveSamples(target);
    glReadPixels(0, 0, target.width, target.height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glBindFramebuffer(GL_FRAMEBUFFER, target.drawFramebuffer);

    // OpenGL gives the bottom row first; images and video want the top row first.
    const size_t rowBytes = static_cast<size_t>(target.width) * 3;
    std::vector<uint8_t> row(rowBytes);
    for (int top = 0, bottom = target.height - 1; top < bottom; ++top, --bottom) {
        uint8_t* a = rgb + static_cast<size_t>(top) * rowBytes;
        uint8_t* b = rgb + static_cast<size_t>(bottom) * rowBytes;
        std::memcpy(row.data(), a, rowBytes);
        std::memcpy(a, b, rowBytes);
        std::memcpy(b, row.data(), rowBytes);
    }
}
