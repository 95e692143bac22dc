#include <gtest/gtest.h>
#include <mpg123.h>

#include <cmath>
#include <vector>

#include "pack_files.h"
#include "scenes/scene_resources.h"

namespace {

struct DecodedSound {
    long rate = 0;
    int channels = 0;
    std::vector<float> samples;  // interleaved
};

bool decodeSoundtrack(DecodedSound* sound) {
    int error = MPG123_OK;
    mpg123_handle* decoder = mpg123_new(nullptr, &error);
    if (!decoder) return false;
    mpg123_param(decoder, MPG123_ADD_FLAGS, MPG123_FORCE_FLOAT | MPG123_GAPLESS, 0.0);
    bool ok = mpg123_open(decoder, packPath(sceneFiles.soundtrack).c_str()) == MPG123_OK;
    int encoding = 0;
    ok = ok && mpg123_getformat(decoder, &sound->rate, &sound->channels, &encoding) == MPG123_OK;
    ok = ok && encoding == MPG123_ENC_FLOAT_32;
    std::vector<unsigned char> buffer(65536);
    while (ok) {
        size_t done = 0;
        int result = mpg123_read(decoder, buffer.data(), buffer.size(), &done);
        const float* floats = reinterpret_cast<const float*>(buffer.data());
        sound->samples.insert(sound->samples.end(), floats, floats + done / sizeof(float));
        if (result == MPG123_DONE) break;
        ok = result == MPG123_OK;
    }
    mpg123_close(decoder);
    mpg123_delete(decoder);
    return ok;
}

}  // namespace

// Stereo at 44.1 kHz, 80 s long give or take half a second, as the timeline runs 80 s; music in
// every scene's window, below full scale, and over by the end.
TEST(AssetPackSoundtrack, DecodesToEightySecondsOfStereoThatSoundsInEveryScenesWindow) {
    DecodedSound sound;
    ASSERT_TRUE(decodeSoundtrack(&sound));
    EXPECT_EQ(sound.rate, 44100);
    ASSERT_EQ(sound.channels, 2);
    EXPECT_NEAR(sound.samples.size() / 2.0 / sound.rate, 80.0, 0.5);
    const double windows[5] = {0.0, 10.0, 30.0, 60.0, 80.0};
    float peak = 0.0f;
    for (int w = 0; w < 4; ++w) {
        const size_t first = static_cast<size_t>(windows[w] * sound.rate) * 2;
        const size_t last =
            std::min(static_cast<size_t>(windows[w + 1] * sound.rate) * 2, sound.samples.size());
        double energy = 0.0;
        for (size_t i = first; i < last; ++i) {
            energy += sound.samples[i] * sound.samples[i];
            peak = std::max(peak, std::fabs(sound.samples[i]));
        }
        const double rms = std::sqrt(energy / std::max<size_t>(last - first, 1));
        EXPECT_GT(20.0 * std::log10(rms + 1e-12), -30.0) << "scene " << w + 1 << " is near silent";
    }
    EXPECT_LT(peak, 1.0f);
    double tailEnergy = 0.0;
    for (size_t i = static_cast<size_t>(79.8 * sound.rate) * 2; i < sound.samples.size(); ++i)
        tailEnergy += sound.samples[i] * sound.samples[i];
    EXPECT_LT(tailEnergy, 1e-4);
}
