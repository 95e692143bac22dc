// The soundtrack: the whole timeline in four sections that follow the scenes (a still intro, a
// groove, a drive through the tunnel, a slow finale), synthesised and encoded as 44.1 kHz stereo
// MP3.
#pragma once

#include <cstdint>
#include <vector>

#include "driver/timeline.h"
#include "synth.h"

constexpr double SOUNDTRACK_SECONDS = TIMELINE_END;

// The whole piece, mastered: peaks below full scale, silent by the last fifth of a second.
void synthesiseSoundtrack(StereoBuffer* out);

// The MP3 file of the sound, with the encoder-delay tag that lets decoders trim it back to the
// exact length; empty on failure.
std::vector<uint8_t> encodeMp3(const StereoBuffer& sound);
