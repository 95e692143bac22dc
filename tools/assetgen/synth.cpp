#include "synth.h"

#include <cmath>

namespace {

double midiFrequency(int pitch) { return 440.0 * std::pow(2.0, (pitch - 69) / 12.0); }

// Band-limits the step of a naive oscillator at phase wrap-around.
double polyBlep(double phase, double step) {
    if (phase < step) {
        double t = phase / step;
        return t + t - t * t - 1.0;
    }
    if (phase > 1.0 - step) {
        double t = (phase - 1.0) / step;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

double saw(double phase, double step) { return 2.0 * phase - 1.0 - polyBlep(phase, step); }

double pulse(double phase, double step) {
    double shifted = phase + 0.5 >= 1.0 ? phase - 0.5 : phase + 0.5;
    return (phase < 0.5 ? 1.0 : -1.0) + polyBlep(phase, step) - polyBlep(shifted, step);
}

double advance(double phase, double step) {
    phase += step;
    return phase >= 1.0 ? phase - 1.0 : phase;
}

struct Noise {
    uint32_t state;
};

double nextNoise(Noise* noise) {
    noise->state ^= noise->state << 13;
    noise->state ^= noise->state >> 17;
    noise->state ^= noise->state << 5;
    return noise->state / 2147483648.0 - 1.0;
}

// Trapezoidal state-variable filter: stable at any cutoff, so envelopes may sweep freely.
struct Filter {
    double g, k, a1, a2, a3;
    double ic1, ic2;
    double low, band, high;
};

void tuneFilter(Filter* f, double cutoff, double resonance) {
    cutoff = std::fmin(std::fmax(cutoff, 20.0), SAMPLE_RATE * 0.45);
    f->g = std::tan(M_PI * cutoff / SAMPLE_RATE);
    f->k = 2.0 - 2.0 * resonance;
    f->a1 = 1.0 / (1.0 + f->g * (f->g + f->k));
    f->a2 = f->g * f->a1;
    f->a3 = f->g * f->a2;
}

void runFilter(Filter* f, double input) {
    double v3 = input - f->ic2;
    double v1 = f->a1 * f->ic1 + f->a2 * v3;
    double v2 = f->ic2 + f->a2 * f->ic1 + f->a3 * v3;
    f->ic1 = 2.0 * v1 - f->ic1;
    f->ic2 = 2.0 * v2 - f->ic2;
    f->low = v2;
    f->band = v1;
    f->high = input - f->k * v1 - v2;
}

// Linear attack, hold while the key is down, exponential release afterwards.
double envelope(double t, double attack, double length, double release) {
    double rise = t < attack ? t / attack : 1.0;
    return t < length ? rise : rise * std::exp(-(t - length) / release);
}

struct Voice {
    double frequency;  // Hz, of the note's pitch
    double phase[4];
    Filter filter;
    Noise noise;
    double cutoff;  // recomputed every few samples; tan() per sample would dominate
};

// How long a note rings after its key is released, by instrument.
double tailSeconds(Instrument instrument) {
    const double tails[] = {2.0, 0.6, 0.3, 0.6, 3.0, 0.5, 0.4, 0.15, 0.5, 2.5, 0.3};
    static_assert(sizeof(tails) / sizeof(tails[0]) == RISER + 1, "one tail per instrument");
    return tails[instrument];
}

// One sample of each instrument's voice at time t after the note's start; sampleIndex counts
// the samples since then (a filter is retuned every 16th, or set once at the first).
using VoiceSample = double (*)(const Note& note, Voice* v, double t, int sampleIndex);

constexpr double SAMPLE_SECONDS = 1.0 / SAMPLE_RATE;

bool retuneAt(int sampleIndex) { return sampleIndex % 16 == 0; }

double padSample(const Note& note, Voice* v, double t, int sampleIndex) {
    const double detune[3] = {0.9965, 1.0, 1.0041};
    double sum = 0.0;
    for (int i = 0; i < 3; ++i) {
        double step = v->frequency * detune[i] * SAMPLE_SECONDS;
        sum += saw(v->phase[i], step);
        v->phase[i] = advance(v->phase[i], step);
    }
    if (retuneAt(sampleIndex)) tuneFilter(&v->filter, 900.0 + 500.0 * std::sin(t * 1.3), 0.2);
    runFilter(&v->filter, sum / 3.0);
    return v->filter.low * envelope(t, 0.6, note.length, 0.9);
}

double pluckSample(const Note& note, Voice* v, double t, int sampleIndex) {
    double step = v->frequency * SAMPLE_SECONDS;
    double raw = saw(v->phase[0], step) * 0.7 + pulse(v->phase[1], step * 1.002) * 0.3;
    v->phase[0] = advance(v->phase[0], step);
    v->phase[1] = advance(v->phase[1], step * 1.002);
    if (retuneAt(sampleIndex)) tuneFilter(&v->filter, 500.0 + 4500.0 * std::exp(-t / 0.08), 0.35);
    runFilter(&v->filter, raw);
    return v->filter.low * std::exp(-t / 0.22) * envelope(t, 0.003, note.length, 0.08);
}

double bassSample(const Note& note, Voice* v, double t, int sampleIndex) {
    double step = v->frequency * SAMPLE_SECONDS;
    double raw = saw(v->phase[0], step) * 0.6 + std::sin(2.0 * M_PI * v->phase[1]) * 0.8;
    v->phase[0] = advance(v->phase[0], step);
    v->phase[1] = advance(v->phase[1], step * 0.5);
    if (retuneAt(sampleIndex)) tuneFilter(&v->filter, 250.0 + 1400.0 * std::exp(-t / 0.09), 0.3);
    runFilter(&v->filter, raw);
    return v->filter.low * envelope(t, 0.004, note.length, 0.06);
}

double leadSample(const Note& note, Voice* v, double t, int sampleIndex) {
    double vibrato = 1.0 + 0.004 * std::sin(2.0 * M_PI * 5.5 * t) * std::fmin(t / 0.4, 1.0);
    double step = v->frequency * vibrato * SAMPLE_SECONDS;
    double raw = pulse(v->phase[0], step) + pulse(v->phase[1], step * 1.005) * 0.6;
    v->phase[0] = advance(v->phase[0], step);
    v->phase[1] = advance(v->phase[1], step * 1.005);
    if (retuneAt(sampleIndex)) tuneFilter(&v->filter, 1200.0 + 2200.0 * std::exp(-t / 0.3), 0.25);
    runFilter(&v->filter, raw * 0.5);
    return v->filter.low * envelope(t, 0.02, note.length, 0.25);
}

double bellSample(const Note& note, Voice* v, double t, int) {
    double modulator = std::sin(2.0 * M_PI * v->phase[1]) * 2.5 * std::exp(-t / 0.4);
    double out = std::sin(2.0 * M_PI * v->phase[0] + modulator);
    v->phase[0] = advance(v->phase[0], v->frequency * SAMPLE_SECONDS);
    v->phase[1] = advance(v->phase[1], v->frequency * 3.5 * SAMPLE_SECONDS);
    return out * std::exp(-t / 1.1) * envelope(t, 0.002, note.length, 1.5);
}

double kickSample(const Note&, Voice* v, double t, int) {
    double pitch = 45.0 + 120.0 * std::exp(-t / 0.03);
    double out = std::sin(2.0 * M_PI * v->phase[0]) * std::exp(-t / 0.28);
    v->phase[0] = advance(v->phase[0], pitch * SAMPLE_SECONDS);
    return std::tanh(out * 1.6) + nextNoise(&v->noise) * 0.3 * std::exp(-t / 0.004);
}

double snareSample(const Note&, Voice* v, double t, int sampleIndex) {
    if (sampleIndex == 0) tuneFilter(&v->filter, 1900.0, 0.3);
    runFilter(&v->filter, nextNoise(&v->noise));
    double tone = std::sin(2.0 * M_PI * v->phase[0]) * std::exp(-t / 0.05);
    v->phase[0] = advance(v->phase[0], 185.0 * SAMPLE_SECONDS);
    return v->filter.band * 1.6 * std::exp(-t / 0.13) + tone * 0.5;
}

double riserSample(const Note& note, Voice* v, double t, int sampleIndex) {
    double progress = std::fmin(t / note.length, 1.0);
    if (retuneAt(sampleIndex)) tuneFilter(&v->filter, 300.0 * std::pow(25.0, progress), 0.6);
    runFilter(&v->filter, nextNoise(&v->noise));
    return v->filter.band * progress * progress * envelope(t, 0.01, note.length, 0.05);
}

double hatSample(const Note& note, Voice* v, double t, int sampleIndex) {
    const double decay = note.instrument == HAT ? 0.035 : note.instrument == OPEN_HAT ? 0.16 : 0.9;
    if (sampleIndex == 0) tuneFilter(&v->filter, note.instrument == CYMBAL ? 5000.0 : 7500.0, 0.1);
    runFilter(&v->filter, nextNoise(&v->noise));
    return v->filter.high * std::exp(-t / decay);
}

// By Instrument.
const VoiceSample voiceSamples[] = {padSample,  pluckSample, bassSample,  leadSample,
                                    bellSample, kickSample,  snareSample, hatSample,
                                    hatSample,  hatSample,   riserSample};
static_assert(sizeof(voiceSamples) / sizeof(voiceSamples[0]) == RISER + 1,
              "one voice per instrument");

// One sample of the note at time t after its start.
double voiceSample(const Note& note, Voice* v, double t, int sampleIndex) {
    return voiceSamples[note.instrument](note, v, t, sampleIndex);
}

void addToBus(StereoBuffer* bus, size_t frame, double sample, double leftGain, double rightGain) {
    bus->left[frame] += static_cast<float>(sample * leftGain);
    bus->right[frame] += static_cast<float>(sample * rightGain);
}

// Ping-pong echo: each repeat crosses to the other side and loses some top end.
void applyEcho(StereoBuffer* bus, double delaySeconds, double feedback) {
    const size_t delay = static_cast<size_t>(delaySeconds * SAMPLE_RATE);
    const size_t frames = bus->left.size();
    double softenLeft = 0.0, softenRight = 0.0;
    for (size_t i = delay; i < frames; ++i) {
        softenLeft += 0.5 * (bus->right[i - delay] - softenLeft);
        softenRight += 0.5 * (bus->left[i - delay] - softenRight);
        bus->left[i] += static_cast<float>(softenLeft * feedback);
        bus->right[i] += static_cast<float>(softenRight * feedback);
    }
}

struct Comb {
    std::vector<float> line;
    size_t at;
    double damped;
};

struct Allpass {
    std::vector<float> line;
    size_t at;
};

// A small Schroeder-Moorer room: parallel damped combs into series all-passes, with lengths
// offset between the channels for width.
void applyReverb(std::vector<float>* channel, int spread) {
    const int combLengths[4] = {1557, 1617, 1491, 1422};
    const int allpassLengths[2] = {556, 441};
    Comb combs[4];
    Allpass allpasses[2];
    for (int i = 0; i < 4; ++i)
        combs[i] = {std::vector<float>(combLengths[i] + spread, 0.0f), 0, 0.0};
    for (int i = 0; i < 2; ++i)
        allpasses[i] = {std::vector<float>(allpassLengths[i] + spread, 0.0f), 0};
    for (float& sample : *channel) {
        double input = sample * 0.25;
        double out = 0.0;
        for (Comb& c : combs) {
            double delayed = c.line[c.at];
            c.damped += 0.3 * (delayed - c.damped);
            c.line[c.at] = static_cast<float>(input + c.damped * 0.84);
            c.at = (c.at + 1) % c.line.size();
            out += delayed;
        }
        for (Allpass& a : allpasses) {
            double delayed = a.line[a.at];
            a.line[a.at] = static_cast<float>(out + delayed * 0.5);
            a.at = (a.at + 1) % a.line.size();
            out = delayed - out;
        }
        sample = static_cast<float>(out);
    }
}

}  // namespace

void resizeStereo(StereoBuffer* buffer, size_t frames) {
    buffer->left.assign(frames, 0.0f);
    buffer->right.assign(frames, 0.0f);
}

void renderNote(const Note& note, uint32_t seed, Mixer* mixer) {
    const size_t frames = mixer->dry.left.size();
    const size_t first = static_cast<size_t>(std::lround(note.start * SAMPLE_RATE));
    const double seconds = note.length + tailSeconds(note.instrument);
    size_t last = first + static_cast<size_t>(seconds * SAMPLE_RATE);
    if (last > frames) last = frames;
    Voice voice = {};
    voice.frequency = midiFrequency(note.pitch);
    voice.noise.state = seed * 2654435761u + 12345u;
    if (voice.noise.state == 0) voice.noise.state = 1;
    tuneFilter(&voice.filter, 1000.0, 0.0);
    // Constant-power pan.
    const double angle = (note.pan + 1.0) * M_PI / 4.0;
    const double left = std::cos(angle) * note.velocity, right = std::sin(angle) * note.velocity;
    for (size_t frame = first; frame < last; ++frame) {
        int index = static_cast<int>(frame - first);
        double t = index / static_cast<double>(SAMPLE_RATE);
        double sample = voiceSample(note, &voice, t, index);
        if (note.duck > 0.0) {
            double sinceBeat = std::fmod(frame / static_cast<double>(SAMPLE_RATE), BEAT_SECONDS);
            sample *= 1.0 - note.duck * std::exp(-sinceBeat / 0.11);
        }
        addToBus(&mixer->dry, frame, sample, left, right);
        if (note.echoSend > 0.0)
            addToBus(&mixer->echo, frame, sample, left * note.echoSend, right * note.echoSend);
        if (note.reverbSend > 0.0) {
            addToBus(&mixer->reverb, frame, sample, left * note.reverbSend,
                     right * note.reverbSend);
        }
    }
}

void mixDown(Mixer* mixer, StereoBuffer* out) {
    // A dotted eighth: the repeats fall between the sixteenths.
    applyEcho(&mixer->echo, BEAT_SECONDS * 0.75, 0.42);
    for (size_t i = 0; i < mixer->echo.left.size(); ++i) {
        mixer->reverb.left[i] += mixer->echo.left[i] * 0.3f;
        mixer->reverb.right[i] += mixer->echo.right[i] * 0.3f;
    }
    applyReverb(&mixer->reverb.left, 0);
    applyReverb(&mixer->reverb.right, 23);
    const size_t frames = mixer->dry.left.size();
    resizeStereo(out, frames);
    for (size_t i = 0; i < frames; ++i) {
        out->left[i] = mixer->dry.left[i] + mixer->echo.left[i] + mixer->reverb.left[i];
        out->right[i] = mixer->dry.right[i] + mixer->echo.right[i] + mixer->reverb.right[i];
    }
}
