// The soundtrack's synthesiser: instruments rendered note by note into stereo buses, and the
// echo and reverb that the buses feed. Note n = {...}; renderNote(n, 1, &mixer); mixDown(&mixer,
// &out);
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr int SAMPLE_RATE = 44100;
constexpr double BEAT_SECONDS = 0.5;  // 120 beats a minute: a bar of four beats lasts 2 s

enum Instrument {
    PAD,    // detuned saws, slow swell
    PLUCK,  // short filtered saw
    BASS,   // saw over a sine sub-octave
    LEAD,   // two detuned pulses with vibrato
    BELL,   // two-operator FM, long ring
    KICK,
    SNARE,
    HAT,
    OPEN_HAT,
    CYMBAL,
    RISER,  // noise swept upwards over the note's length
};

struct Note {
    double start;   // seconds
    double length;  // seconds held; the tail rings on after it
    int pitch;      // MIDI note number, unused by the drums and noises
    double velocity;
    Instrument instrument;
    double pan;         // -1 left .. 1 right
    double echoSend;    // share sent to the echo bus
    double reverbSend;  // share sent to the reverb bus
    double duck;        // 0..1: how far the note dips on every beat, under the kick
};

struct StereoBuffer {
    std::vector<float> left;
    std::vector<float> right;
};

struct Mixer {
    StereoBuffer dry;
    StereoBuffer echo;
    StereoBuffer reverb;
};

void resizeStereo(StereoBuffer* buffer, size_t frames);

// `seed` makes the noise of each note its own and repeatable.
void renderNote(const Note& note, uint32_t seed, Mixer* mixer);

// Runs the echo and reverb over their buses and sums everything into `out`.
void mixDown(Mixer* mixer, StereoBuffer* out);
