// A supersampled frame filtered down to the size it is written at: downsampleFrame() once per
// frame, on a writer thread.
#pragma once

#include <cstdint>

// `rendered` is (width * factor) x (height * factor) RGB pixels; `frame` gets width x height RGB
// pixels, each the rounded mean of its factor x factor block. The mean is taken on the stored
// values, the space in which the 4 samples of each rendered pixel were already resolved, so that
// a flat area comes out exactly as without supersampling.
void downsampleFrame(const uint8_t* rendered, int width, int height, int factor, uint8_t* frame);
