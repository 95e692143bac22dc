#include <epoxy/gl.h>

#include "offscreen_target.h"

void discardPassPixels(bool discard) {
    // Nothing else in the system touches the scissor test, so an empty box is free to use here.
    if (discard) {
        glScissor(0, 0, 0, 0);
        glEnable(GL_SCISSOR_TEST);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
}
