#include "downsample.h"

#include <cstddef>
#include <cstring>
#include <vector>

void downsampleFrame(const uint8_t* rendered, int width, int height, int factor, uint8_t* frame) {
    const size_t outRow = static_cast<size_t>(width) * 3;
    const size_t inRow = outRow * static_cast<size_t>(factor);
    const uint32_t count = static_cast<uint32_t>(factor * factor);
    std::vector<uint32_t> sums(outRow);
    for (int y = 0; y < height; ++y) {
        std::memset(sums.data(), 0, outRow * sizeof(uint32_t));
        for (int r = 0; r < factor; ++r) {
            const uint8_t* in = rendered + static_cast<size_t>(y * factor + r) * inRow;
            for (size_t x = 0; x < outRow; x += 3)
                for (int s = 0; s < factor; ++s, in += 3) {
                    sums[x] += in[0];
                    sums[x + 1] += in[1];
                    sums[x + 2] += in[2];
                }
        }
        uint8_t* out = frame + static_cast<size_t>(y) * outRow;
        for (size_t i = 0; i < outRow; ++i)
            out[i] = static_cast<uint8_t>((sums[i] + count / 2) / count);
    }
}
