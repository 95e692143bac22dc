#include "music.h"

#include <lame.h>

#include <algorithm>
#include <cmath>

namespace {

const double BAR_SECONDS = 4.0 * BEAT_SECONDS;
const double STEP_SECONDS = BEAT_SECONDS / 4.0;  // one sixteenth
const int STEPS_PER_BAR = 16;
const int MELODY_SLOTS_PER_BAR = 8;  // eighths
const int TIE = -1;                  // in a melody: the note before goes on
const int REST = 0;

// Mastering: peak level, and the fade that brings the piece to silence before 80 s.
const double PEAK_LEVEL = 0.89;
const double FADE_OUT_START = 77.4;
const double FADE_OUT_END = 79.6;

enum ChordName { AM, F, C, G, E, DM };

struct Chord {
    int root;      // MIDI, the bass octave
    int tones[3];  // MIDI, a close voicing around middle C
};

const Chord CHORDS[] = {
    {45, {57, 60, 64}},  // A minor
    {41, {57, 60, 65}},  // F major
    {48, {55, 60, 64}},  // C major
    {43, {55, 59, 62}},  // G major
    {40, {56, 59, 64}},  // E major, the dominant
    {38, {57, 62, 65}},  // D minor
};
static_assert(sizeof(CHORDS) / sizeof(CHORDS[0]) == DM + 1, "one voicing per chord name");

struct Section {
    int firstBar;
    int barCount;
    const ChordName* progression;  // one chord per bar
    void (*compose)(const Section& section, std::vector<Note>* notes);
};

// Eighth-note melodies, one row of eight slots per bar, in MIDI numbers.
const int DRIVE_MELODY[15][MELODY_SLOTS_PER_BAR] = {
    {76, TIE, 72, 74, 76, TIE, 79, 76},          {77, TIE, 76, 72, 69, TIE, 72, TIE},
    {76, TIE, 74, 72, 67, TIE, 72, 74},          {74, TIE, TIE, 71, 67, TIE, 71, 74},
    {76, TIE, 72, 74, 76, TIE, 79, 81},          {81, TIE, 79, 77, 76, TIE, 72, TIE},
    {76, TIE, 74, 72, 67, TIE, 72, 74},          {74, TIE, 76, TIE, 79, TIE, TIE, TIE},
    {77, TIE, 76, 74, 72, TIE, 74, TIE},         {72, TIE, 71, 69, 72, TIE, 76, TIE},
    {71, TIE, TIE, 68, 71, TIE, 74, TIE},        {69, TIE, TIE, TIE, REST, REST, 72, 76},
    {77, TIE, TIE, TIE, 81, TIE, 79, 77},        {79, TIE, TIE, TIE, 74, TIE, 71, TIE},
    {76, TIE, TIE, TIE, REST, REST, REST, REST},
};

const int FINALE_MELODY[10][MELODY_SLOTS_PER_BAR] = {
    {72, TIE, TIE, TIE, 69, TIE, TIE, TIE},  {71, TIE, TIE, TIE, 74, TIE, TIE, TIE},
    {76, TIE, TIE, TIE, TIE, TIE, 72, TIE},  {76, TIE, 79, TIE, 81, TIE, TIE, TIE},
    {77, TIE, TIE, TIE, 76, TIE, TIE, TIE},  {74, TIE, TIE, TIE, 71, TIE, TIE, TIE},
    {72, TIE, TIE, TIE, 76, TIE, 79, TIE},   {80, TIE, TIE, TIE, 76, TIE, TIE, TIE},
    {81, TIE, TIE, TIE, TIE, TIE, TIE, TIE}, {REST, REST, REST, REST, REST, REST, REST, REST},
};

// Arpeggio over the chord's three tones and the root an octave up (index 3).
const int ARPEGGIO[STEPS_PER_BAR] = {0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1, 0, 1, 2, 3};

Note note(double start, double length, int pitch, double velocity, Instrument instrument) {
    return {start, length, pitch, velocity, instrument, 0.0, 0.0, 0.0, 0.0};
}

int arpeggioPitch(const Chord& chord, int index) {
    return index == 3 ? chord.tones[0] + 12 : chord.tones[index];
}

// A drum or bass line of one bar: 'x' plays at full velocity, 'o' softly, '.' rests.
void addPattern(std::vector<Note>* notes, const char* steps, double barStart, Note sound) {
    for (int step = 0; step < STEPS_PER_BAR; ++step) {
        if (steps[step] == '.') continue;
        Note n = sound;
        n.start = barStart + step * STEP_SECONDS;
        if (steps[step] == 'o') n.velocity *= 0.55;
        notes->push_back(n);
    }
}

void addPad(std::vector<Note>* notes, const Chord& chord, double start, double length,
            double velocity, int octave, double duck) {
    const double pans[3] = {-0.45, 0.1, 0.45};
    for (int i = 0; i < 3; ++i) {
        Note n = note(start, length, chord.tones[i] + 12 * octave, velocity, PAD);
        n.pan = pans[i];
        n.reverbSend = 0.45;
        n.duck = duck;
        notes->push_back(n);
    }
}

void addMelody(std::vector<Note>* notes, const int (*bars)[MELODY_SLOTS_PER_BAR], int barCount,
               double start, Note sound, int transpose) {
    const double slotSeconds = BAR_SECONDS / MELODY_SLOTS_PER_BAR;
    bool sounding = false;  // the last note pushed is still held
    for (int slot = 0; slot < barCount * MELODY_SLOTS_PER_BAR; ++slot) {
        int value = bars[slot / MELODY_SLOTS_PER_BAR][slot % MELODY_SLOTS_PER_BAR];
        if (value == TIE) {
            if (sounding) notes->back().length += slotSeconds;
            continue;
        }
        sounding = value != REST;
        if (!sounding) continue;
        Note n = sound;
        n.start = start + slot * slotSeconds;
        n.length = slotSeconds;
        n.pitch = value + transpose;
        notes->push_back(n);
    }
}

void addCymbal(std::vector<Note>* notes, double start, double velocity) {
    Note n = note(start, 0.1, 0, velocity, CYMBAL);
    n.reverbSend = 0.3;
    notes->push_back(n);
}

// 0 to 10 s: the knot turns in silence but for pads and bells; a riser leads into the groove.
void composeIntro(const Section& section, std::vector<Note>* notes) {
    const int bellOrder[4] = {0, 2, 1, 2};
    for (int b = 0; b < section.barCount; ++b) {
        const Chord& chord = CHORDS[section.progression[b]];
        double start = (section.firstBar + b) * BAR_SECONDS;
        addPad(notes, chord, start, BAR_SECONDS, 0.16 + 0.03 * b, 0, 0.0);
        for (int beat = 0; beat < 4; ++beat) {
            Note bell = note(start + beat * BEAT_SECONDS, 0.2, chord.tones[bellOrder[beat]] + 24,
                             0.16, BELL);
            bell.pan = beat % 2 ? 0.5 : -0.5;
            bell.echoSend = 0.5;
            bell.reverbSend = 0.4;
            notes->push_back(bell);
        }
    }
    double last = (section.firstBar + section.barCount - 1) * BAR_SECONDS;
    notes->push_back(note(last, BAR_SECONDS, 0, 0.35, RISER));
}

// 10 to 30 s: bass, arpeggios and a light syncopated beat under the colonnade.
void composeGroove(const Section& section, std::vector<Note>* notes) {
    addCymbal(notes, section.firstBar * BAR_SECONDS, 0.35);
    for (int b = 0; b < section.barCount; ++b) {
        const Chord& chord = CHORDS[section.progression[b]];
        double start = (section.firstBar + b) * BAR_SECONDS;
        addPad(notes, chord, start, BAR_SECONDS, 0.11, 0, 0.0);
        const int bassLine[8] = {0, 0, 12, 0, 0, 12, 0, 7};
        for (int slot = 0; slot < 8; ++slot) {
            notes->push_back(note(start + slot * 2 * STEP_SECONDS, STEP_SECONDS * 1.6,
                                  chord.root + bassLine[slot], 0.5, BASS));
        }
        for (int step = 0; step < STEPS_PER_BAR; ++step) {
            Note pluck =
                note(start + step * STEP_SECONDS, STEP_SECONDS,
                     arpeggioPitch(chord, ARPEGGIO[step]) + 12, step % 4 ? 0.17 : 0.24, PLUCK);
            pluck.pan = step % 2 ? 0.35 : -0.35;
            pluck.echoSend = 0.35;
            pluck.reverbSend = 0.2;
            notes->push_back(pluck);
        }
        addPattern(notes, "x.....x.x.......", start, note(0, 0.1, 0, 0.85, KICK));
        Note clap = note(0, 0.1, 0, 0.45, SNARE);
        clap.reverbSend = 0.25;
        addPattern(notes, "....x.......x...", start, clap);
        addPattern(notes, "o.x.o.x.o.x.o.x.", start, note(0, 0.05, 0, 0.3, HAT));
    }
}

// 30 to 60 s: four on the floor, rolling bass ducked under the kick, the lead tune; a snare roll
// and a riser into the finale.
void composeDrive(const Section& section, std::vector<Note>* notes) {
    addCymbal(notes, section.firstBar * BAR_SECONDS, 0.45);
    for (int b = 0; b < section.barCount; ++b) {
        const Chord& chord = CHORDS[section.progression[b]];
        double start = (section.firstBar + b) * BAR_SECONDS;
        addPad(notes, chord, start, BAR_SECONDS, 0.13, 0, 0.6);
        for (int step = 0; step < STEPS_PER_BAR; ++step) {
            if (step % 4 == 0) continue;
            Note bass = note(start + step * STEP_SECONDS, STEP_SECONDS * 0.8,
                             chord.root + (step % 4 == 2 ? 12 : 0), 0.45, BASS);
            bass.duck = 0.3;
            notes->push_back(bass);
            Note pluck = note(start + step * STEP_SECONDS, STEP_SECONDS,
                              arpeggioPitch(chord, ARPEGGIO[step]) + 24, 0.08, PLUCK);
            pluck.pan = step % 2 ? 0.6 : -0.6;
            pluck.echoSend = 0.4;
            notes->push_back(pluck);
        }
        addPattern(notes, "x...x...x...x...", start, note(0, 0.1, 0, 0.95, KICK));
        Note snare = note(0, 0.1, 0, 0.7, SNARE);
        snare.reverbSend = 0.25;
        addPattern(notes, "....x.......x...", start, snare);
        addPattern(notes, "x.x.x.x.x.x.x.x.", start, note(0, 0.05, 0, 0.2, HAT));
        Note open = note(0, 0.1, 0, 0.22, OPEN_HAT);
        open.pan = 0.2;
        addPattern(notes, "..x...x...x...x.", start, open);
    }
    Note lead = note(0, 0, 0, 0.3, LEAD);
    lead.pan = 0.1;
    lead.echoSend = 0.3;
    lead.reverbSend = 0.3;
    addMelody(notes, DRIVE_MELODY, section.barCount, section.firstBar * BAR_SECONDS, lead, 0);

    double last = (section.firstBar + section.barCount - 1) * BAR_SECONDS;
    for (int step = 8; step < STEPS_PER_BAR; ++step) {
        Note roll = note(last + step * STEP_SECONDS, 0.1, 0, 0.3 + 0.06 * (step - 8), SNARE);
        roll.reverbSend = 0.2;
        notes->push_back(roll);
    }
    notes->push_back(note(last, BAR_SECONDS, 0, 0.3, RISER));
}

// 60 to 80 s: half-time beat, wide chords and a slow tune doubled by bells, ending on a held
// A minor that rings out before the end.
void composeFinale(const Section& section, std::vector<Note>* notes) {
    addCymbal(notes, section.firstBar * BAR_SECONDS, 0.5);
    const int drumBars = section.barCount - 2;
    for (int b = 0; b < section.barCount; ++b) {
        const Chord& chord = CHORDS[section.progression[b]];
        double start = (section.firstBar + b) * BAR_SECONDS;
        bool ending = b >= drumBars;
        if (b == drumBars) {
            addPad(notes, chord, start, 1.5 * BAR_SECONDS, 0.2, 0, 0.0);
            addPad(notes, chord, start, 1.5 * BAR_SECONDS, 0.1, 1, 0.0);
            notes->push_back(note(start, 1.5 * BAR_SECONDS, chord.root, 0.45, BASS));
            addCymbal(notes, start, 0.4);
            for (int beat = 0; beat < 4; ++beat) {
                Note bell = note(start + beat * BEAT_SECONDS, 0.3, arpeggioPitch(chord, beat) + 12,
                                 0.18, BELL);
                bell.pan = beat % 2 ? 0.4 : -0.4;
                bell.echoSend = 0.4;
                bell.reverbSend = 0.5;
                notes->push_back(bell);
            }
        }
        if (ending) continue;
        addPad(notes, chord, start, BAR_SECONDS, 0.2, 0, 0.0);
        addPad(notes, chord, start, BAR_SECONDS, 0.1, 1, 0.0);
        notes->push_back(note(start, BAR_SECONDS * 0.95, chord.root, 0.45, BASS));
        addPattern(notes, "x.........x.....", start, note(0, 0.1, 0, 0.9, KICK));
        Note snare = note(0, 0.1, 0, 0.75, SNARE);
        snare.reverbSend = 0.4;
        addPattern(notes, "........x.......", start, snare);
        addPattern(notes, "x.x.x.x.x.x.x.x.", start, note(0, 0.05, 0, 0.18, HAT));
    }
    Note lead = note(0, 0, 0, 0.28, LEAD);
    lead.reverbSend = 0.4;
    lead.echoSend = 0.2;
    addMelody(notes, FINALE_MELODY, section.barCount, section.firstBar * BAR_SECONDS, lead, 0);
    Note bell = note(0, 0, 0, 0.12, BELL);
    bell.pan = -0.2;
    bell.reverbSend = 0.4;
    addMelody(notes, FINALE_MELODY, section.barCount, section.firstBar * BAR_SECONDS, bell, 12);
}

const ChordName INTRO_CHORDS[] = {AM, F, C, G, AM};
const ChordName GROOVE_CHORDS[] = {AM, F, C, G, AM, F, C, G, F, E};
const ChordName DRIVE_CHORDS[] = {AM, F, C, G, AM, F, C, G, DM, AM, E, AM, F, G, E};
const ChordName FINALE_CHORDS[] = {F, G, AM, AM, F, G, C, E, AM, AM};

// The sections change where the scenes change: 10, 30 and 60 s are bars 5, 15 and 30.
const Section SECTIONS[] = {
    {0, 5, INTRO_CHORDS, composeIntro},
    {5, 10, GROOVE_CHORDS, composeGroove},
    {15, 15, DRIVE_CHORDS, composeDrive},
    {30, 10, FINALE_CHORDS, composeFinale},
};
static_assert(sizeof(SECTIONS) / sizeof(SECTIONS[0]) == 4, "one section per scene");
static_assert(sizeof(DRIVE_MELODY) / sizeof(DRIVE_MELODY[0]) == 15, "a melody bar per drive bar");
static_assert(sizeof(FINALE_MELODY) / sizeof(FINALE_MELODY[0]) == 10,
              "a melody bar per finale bar");

void master(StereoBuffer* sound) {
    float peak = 0.0f;
    for (size_t i = 0; i < sound->left.size(); ++i) {
        peak = std::fmax(peak, std::fmax(std::fabs(sound->left[i]), std::fabs(sound->right[i])));
    }
    const double gain = peak > 0.0f ? PEAK_LEVEL / peak : 1.0;
    for (size_t i = 0; i < sound->left.size(); ++i) {
        double t = i / static_cast<double>(SAMPLE_RATE);
        double fade = 1.0;
        if (t > FADE_OUT_END) {
            fade = 0.0;
        } else if (t > FADE_OUT_START) {
            fade =
                0.5 + 0.5 * std::cos(M_PI * (t - FADE_OUT_START) / (FADE_OUT_END - FADE_OUT_START));
        }
        sound->left[i] = static_cast<float>(sound->left[i] * gain * fade);
        sound->right[i] = static_cast<float>(sound->right[i] * gain * fade);
    }
}

void composeSoundtrack(std::vector<Note>* notes) {
    for (const Section& section : SECTIONS) section.compose(section, notes);
}

}  // namespace

void synthesiseSoundtrack(StereoBuffer* out) {
    const size_t frames = static_cast<size_t>(SOUNDTRACK_SECONDS * SAMPLE_RATE);
    Mixer mixer;
    resizeStereo(&mixer.dry, frames);
    resizeStereo(&mixer.echo, frames);
    resizeStereo(&mixer.reverb, frames);
    std::vector<Note> notes;
    composeSoundtrack(&notes);
    for (size_t i = 0; i < notes.size(); ++i)
        renderNote(notes[i], static_cast<uint32_t>(i + 1), &mixer);
    mixDown(&mixer, out);
    master(out);
}

std::vector<uint8_t> encodeMp3(const StereoBuffer& sound) {
    std::vector<uint8_t> bytes;
    lame_global_flags* lame = lame_init();
    if (!lame) return bytes;
    lame_set_num_channels(lame, 2);
    lame_set_in_samplerate(lame, SAMPLE_RATE);
    lame_set_out_samplerate(lame, SAMPLE_RATE);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_brate(lame, 160);
    lame_set_quality(lame, 7);
    lame_set_write_id3tag_automatic(lame, 0);
    lame_set_bWriteVbrTag(lame, 1);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return bytes;
    }
    const int frames = static_cast<int>(sound.left.size());
    bytes.resize(frames + frames / 4 + 7200 + 7200);
    int size = lame_encode_buffer_ieee_float(lame, sound.left.data(), sound.right.data(), frames,
                                             bytes.data(), static_cast<int>(bytes.size()));
    int tail = size < 0 ? -1
                        : lame_encode_flush(lame, bytes.data() + size,
                                            static_cast<int>(bytes.size()) - size);
    if (size < 0 || tail < 0) {
        lame_close(lame);
        bytes.clear();
        return bytes;
    }
    bytes.resize(size + tail);
    // The first frame was reserved for the tag that records the encoder's delay and padding.
    unsigned char tag[2880];
    size_t tagSize = lame_get_lametag_frame(lame, tag, sizeof tag);
    if (tagSize > 0 && tagSize <= bytes.size()) std::copy(tag, tag + tagSize, bytes.begin());
    lame_close(lame);
    return bytes;
}
