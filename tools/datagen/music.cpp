// music.cpp -- composing and synthesising the music loop.
#include "music.h"

#include "audio.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int framesPerBeat = 9450; // 140 beats a minute at 22050 Hz, exactly
constexpr int beatsPerBar = 4;

enum Section { Intro, ThemeA, ThemeB, Break, ThemeA2, Turn };

struct Bar {
    Section section;
    int barInSection;
    int root;    // pitch class, 0 = C
    bool minor;
};

struct Note {
    float beat, length, midi;
};

constexpr int C = 0, D = 2, E = 4, F = 5, G = 7, A = 9;

std::vector<Bar> arrangement()
{
    struct Part {
        Section section;
        std::vector<std::pair<int, bool>> chords;
    };
    const std::vector<Part> parts = {
        {Intro, {{A, true}, {A, true}, {A, true}, {A, true}}},
        {ThemeA, {{A, true}, {F, false}, {C, false}, {G, false}, {A, true}, {F, false}, {G, false}, {E, false}}},
        {ThemeB, {{D, true}, {A, true}, {F, false}, {E, false}, {D, true}, {A, true}, {F, false}, {E, false}}},
        {Break, {{F, false}, {G, false}, {F, false}, {E, false}}},
        {ThemeA2, {{A, true}, {F, false}, {C, false}, {G, false}, {A, true}, {F, false}, {G, false}, {E, false}}},
        {Turn, {{A, true}, {G, false}, {F, false}, {E, false}}},
    };
    std::vector<Bar> bars;
    for (const Part &p : parts)
        for (size_t i = 0; i < p.chords.size(); ++i)
            bars.push_back({p.section, static_cast<int>(i), p.chords[i].first, p.chords[i].second});
    return bars;
}

// The theme over eight bars (beat within the bar, length in beats, MIDI note).
const std::vector<std::vector<Note>> themeA = {
    {{0, .5f, 76}, {.5f, .5f, 81}, {1, 1, 84}, {2, .5f, 83}, {2.5f, .5f, 81}, {3, 1, 76}},
    {{0, 1.5f, 77}, {1.5f, .5f, 81}, {2, 1, 84}, {3, 1, 86}},
    {{0, 1.5f, 88}, {1.5f, .5f, 86}, {2, .5f, 84}, {2.5f, .5f, 83}, {3, 1, 84}},
    {{0, 1, 83}, {1, 1, 79}, {2, 2, 74}},
    {{0, .5f, 76}, {.5f, .5f, 81}, {1, 1, 84}, {2, .5f, 83}, {2.5f, .5f, 81}, {3, 1, 88}},
    {{0, 1.5f, 89}, {1.5f, .5f, 88}, {2, 1, 86}, {3, 1, 84}},
    {{0, 1, 83}, {1, 1, 86}, {2, 1, 91}, {3, .5f, 89}, {3.5f, .5f, 88}},
    {{0, 2, 88}, {2, 1, 83}, {3, 1, 80}},
};

const std::vector<std::vector<Note>> themeB = {
    {{0, 1, 86}, {1, .5f, 84}, {1.5f, .5f, 81}, {2, 2, 77}},
    {{0, 1, 76}, {1, .5f, 77}, {1.5f, .5f, 76}, {2, 1, 72}, {3, 1, 69}},
    {{0, .5f, 72}, {.5f, .5f, 77}, {1, 1, 81}, {2, 1.5f, 84}, {3.5f, .5f, 81}},
    {{0, 2, 80}, {2, 1, 83}, {3, 1, 88}},
    {{0, 1, 89}, {1, .5f, 88}, {1.5f, .5f, 86}, {2, 2, 81}},
    {{0, 1, 84}, {1, .5f, 83}, {1.5f, .5f, 81}, {2, 2, 76}},
    {{0, .5f, 77}, {.5f, .5f, 81}, {1, .5f, 84}, {1.5f, 1.5f, 89}, {3, 1, 88}},
    {{0, 1, 83}, {1, 1, 80}, {2, 2, 76}},
};

struct Mix {
    Stereo drums, bass, pad, lead, arp;
};

size_t frameOf(float beat) { return static_cast<size_t>(std::lround(beat * framesPerBeat)); }

float pan(float p, bool right) { return right ? std::sqrt(p) : std::sqrt(1 - p); }

// --- drums -----------------------------------------------------------------------------

void kick(Stereo &bus, float beat, float velocity)
{
    const size_t start = frameOf(beat);
    float phase = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.35f * audio_rate); ++i) {
        const float t = static_cast<float>(i) / audio_rate;
        phase += (44.0f + 120.0f * std::exp(-t * 32.0f)) / audio_rate;
        float v = audio_sine(phase) * std::exp(-t * 7.5f);
        v += 0.6f * std::sin(audio_pi * std::min(1.0f, t / 0.004f)); // the beater's click, rounded
        v = std::tanh(v * 1.6f) * velocity * 0.9f * std::min(1.0f, t / 0.001f);
        audio_add(bus, start + i, v, v, true);
    }
}

void snare(Stereo &bus, float beat, float velocity, uint64_t seed)
{
    const size_t start = frameOf(beat);
    Rng rng = rng_new(seed);
    AudioFilter band;
    float phase = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.28f * audio_rate); ++i) {
        const float t = static_cast<float>(i) / audio_rate;
        phase += (185.0f + 40.0f * std::exp(-t * 40.0f)) / audio_rate;
        const float tone = audio_sine(phase) * std::exp(-t * 22.0f) * 0.6f;
        const float noise = audio_filter(band, audio_noise(rng), 2200.0f, 0.6f).band * std::exp(-t * 13.0f) * 1.3f;
        const float v = (tone + noise) * velocity * 0.75f * std::min(1.0f, t / 0.001f);
        audio_add(bus, start + i, v * 0.95f, v, true);
    }
}

void hat(Stereo &bus, float beat, float velocity, bool open, uint64_t seed)
{
    const size_t start = frameOf(beat);
    Rng rng = rng_new(seed);
    float previous = 0;
    const float length = open ? 0.3f : 0.06f, decay = open ? 9.0f : 70.0f;
    for (size_t i = 0; i < static_cast<size_t>(length * audio_rate); ++i) {
        const float t = static_cast<float>(i) / audio_rate;
        const float n = audio_noise(rng);
        const float v = (n - previous) * 0.5f * std::exp(-t * decay) * velocity * 0.35f * std::min(1.0f, t / 0.0008f);
        previous = n;
        audio_add(bus, start + i, v * pan(0.65f, false), v * pan(0.65f, true), true);
    }
}

void crash(Stereo &bus, float beat, uint64_t seed)
{
    const size_t start = frameOf(beat);
    Rng left = rng_new(seed), right = rng_new(seed + 1);
    float pl = 0, pr = 0;
    for (size_t i = 0; i < static_cast<size_t>(1.8f * audio_rate); ++i) {
        const float t = static_cast<float>(i) / audio_rate;
        const float env = std::exp(-t * 2.6f) * std::min(1.0f, t / 0.002f) * 0.3f;
        const float nl = audio_noise(left), nr = audio_noise(right);
        audio_add(bus, start + i, (nl - pl * 0.7f) * env, (nr - pr * 0.7f) * env, true);
        pl = nl;
        pr = nr;
    }
}

void tom(Stereo &bus, float beat, float hz, float velocity)
{
    const size_t start = frameOf(beat);
    float phase = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.3f * audio_rate); ++i) {
        const float t = static_cast<float>(i) / audio_rate;
        phase += hz * (1.0f + 0.6f * std::exp(-t * 25.0f)) / audio_rate;
        const float v = audio_sine(phase) * std::exp(-t * 9.0f) * velocity * 0.7f;
        audio_add(bus, start + i, v, v, true);
    }
}

void drumBar(Stereo &bus, const Bar &bar, float barBeat, int barIndex)
{
    const uint64_t seed = 1000 + static_cast<uint64_t>(barIndex) * 64;
    const bool lastOfSection = (bar.section == Intro || bar.section == Break || bar.section == Turn)
                                   ? bar.barInSection == 3
                                   : bar.barInSection == 7;
    if (bar.barInSection == 0 && bar.section != Intro && bar.section != Break)
        crash(bus, barBeat, seed);
    if (bar.section == ThemeA2 && bar.barInSection == 4)
        crash(bus, barBeat, seed + 7);
    for (int step = 0; step < 16; ++step) {
        const float beat = barBeat + static_cast<float>(step) * 0.25f;
        const uint64_t s = seed + static_cast<uint64_t>(step);
        switch (bar.section) {
        case Intro:
            if (step % 4 == 0)
                kick(bus, beat, 1.0f);
            if (step % 4 == 2)
                hat(bus, beat, 0.9f, false, s);
            if (bar.barInSection == 3 && step >= 8 && step % 2 == 0)
                snare(bus, beat, 0.4f + 0.07f * static_cast<float>(step - 8), s);
            break;
        case Break:
            if (step % 2 == 0 || bar.barInSection >= 2)
                hat(bus, beat, step % 4 == 2 ? 0.7f : 0.4f, false, s);
            if (bar.barInSection == 3)
                snare(bus, beat, 0.3f + 0.04f * static_cast<float>(step), s);
            else if (step == 0)
                kick(bus, beat, 0.8f);
            break;
        default: {
            const bool fill = lastOfSection && step >= 12;
            if (fill) {
                tom(bus, beat, 160.0f - 20.0f * static_cast<float>(step - 12), 0.9f);
                break;
            }
            if (step == 0 || step == 8 || step == 10 || (bar.section == ThemeB && step == 6))
                kick(bus, beat, 1.0f);
            if (step == 4 || step == 12)
                snare(bus, beat, 1.0f, s);
            if (step == 15 && bar.barInSection % 2 == 1)
                snare(bus, beat, 0.35f, s);
            const bool openHats = bar.section == ThemeB || bar.section == ThemeA2;
            if (openHats && step % 4 == 2)
                hat(bus, beat, 0.6f, true, s);
            else if (step % 2 == 0)
                hat(bus, beat, step % 4 == 0 ? 0.5f : 0.8f, false, s);
            break;
        }
        }
    }
}

// --- pitched voices ------------------------------------------------------------------------

int bassNote(int root) { return 33 + ((root - A + 12) % 12); } // A1 up to G#2

std::array<int, 3> chordTones(const Bar &bar, int low)
{
    std::array<int, 3> tones{};
    const int intervals[3] = {0, bar.minor ? 3 : 4, 7};
    for (int k = 0; k < 3; ++k) {
        int n = low + ((bar.root + intervals[k] - low) % 12 + 12) % 12;
        tones[k] = n;
    }
    std::sort(tones.begin(), tones.end());
    return tones;
}

void bassVoice(Stereo &bus, float beat, float lengthBeats, float midi, float brightness)
{
    const size_t start = frameOf(beat);
    const float hz = audio_midiHz(midi), dt = hz / audio_rate;
    const float hold = lengthBeats * framesPerBeat / audio_rate;
    AudioFilter filter;
    float phase = 0, sub = 0;
    for (size_t i = 0; i < static_cast<size_t>((hold + 0.03f) * audio_rate); ++i) {
        const float t = static_cast<float>(i) / audio_rate;
        phase += dt;
        phase -= std::floor(phase);
        sub += dt * 0.5f;
        sub -= std::floor(sub);
        float v = audio_saw(phase, dt) * 0.7f + audio_pulse(sub, dt * 0.5f, 0.5f) * 0.45f;
        v = audio_filter(filter, v, (220.0f + 1700.0f * std::exp(-t * 14.0f)) * brightness, 1.3f).low;
        const float env = std::min(1.0f, t / 0.003f) * (t < hold ? 1.0f : std::max(0.0f, 1 - (t - hold) / 0.03f));
        v *= env * 0.55f;
        audio_add(bus, start + i, v, v, true);
    }
}

void padVoice(Stereo &bus, float beat, float lengthBeats, float midi, float level, float spread)
{
    const size_t start = frameOf(beat);
    const float hold = lengthBeats * framesPerBeat / audio_rate;
    const float hzL = audio_midiHz(midi - 0.07f), hzR = audio_midiHz(midi + 0.07f);
    AudioFilter fl, fr;
    float pl = spread, pr = 0.5f + spread;
    for (size_t i = 0; i < static_cast<size_t>((hold + 0.35f) * audio_rate); ++i) {
        const float t = static_cast<float>(i) / audio_rate;
        pl += hzL / audio_rate;
        pl -= std::floor(pl);
        pr += hzR / audio_rate;
        pr -= std::floor(pr);
        const float env = std::min(1.0f, t / 0.15f) * (t < hold ? 1.0f : std::max(0.0f, 1 - (t - hold) / 0.35f));
        const float cutoff = 900.0f + 500.0f * std::sin(t * 2.0f);
        const float l = audio_filter(fl, audio_saw(pl, hzL / audio_rate), cutoff, 0.8f).low;
        const float r = audio_filter(fr, audio_saw(pr, hzR / audio_rate), cutoff, 0.8f).low;
        audio_add(bus, start + i, l * env * level, r * env * level, true);
    }
}

void leadVoice(Stereo &bus, const Note &note, float barBeat, float level)
{
    const float beat = barBeat + note.beat;
    const size_t start = frameOf(beat);
    const float hold = note.length * framesPerBeat / audio_rate * 0.92f;
    AudioFilter filter;
    float p1 = 0, p2 = 0.3f;
    for (size_t i = 0; i < static_cast<size_t>((hold + 0.09f) * audio_rate); ++i) {
        const float t = static_cast<float>(i) / audio_rate;
        const float vibrato = t > 0.18f ? 0.12f * std::sin(2 * audio_pi * 5.5f * t) * std::min(1.0f, (t - 0.18f) / 0.2f) : 0;
        const float hz = audio_midiHz(note.midi + vibrato);
        const float dt1 = hz / audio_rate, dt2 = hz * 1.004f / audio_rate;
        p1 += dt1;
        p1 -= std::floor(p1);
        p2 += dt2;
        p2 -= std::floor(p2);
        float v = audio_pulse(p1, dt1, 0.32f) * 0.5f + audio_saw(p2, dt2) * 0.35f;
        v = audio_filter(filter, v, 1800.0f + 2400.0f * std::exp(-t * 8.0f), 1.1f).low;
        const float env = std::min(1.0f, t / 0.006f) * (t < hold ? 0.85f + 0.15f * std::exp(-t * 6.0f)
                                                                  : std::max(0.0f, 1 - (t - hold) / 0.09f));
        v *= env * level;
        audio_add(bus, start + i, v, v, true);
    }
}

void arpVoice(Stereo &bus, float beat, float midi, float level, float panning)
{
    const size_t start = frameOf(beat);
    const float hz = audio_midiHz(midi), dt = hz / audio_rate;
    AudioFilter filter;
    float phase = 0;
    for (size_t i = 0; i < static_cast<size_t>(0.22f * audio_rate); ++i) {
        const float t = static_cast<float>(i) / audio_rate;
        phase += dt;
        phase -= std::floor(phase);
        float v = audio_filter(filter, audio_saw(phase, dt), 700.0f + 3800.0f * std::exp(-t * 28.0f), 1.6f).low;
        v *= std::min(1.0f, t / 0.002f) * std::exp(-t * 14.0f) * level;
        v *= std::min(1.0f, (0.22f - t) / 0.02f);
        audio_add(bus, start + i, v * pan(panning, false), v * pan(panning, true), true);
    }
}

void pitchedBar(Mix &mix, const Bar &bar, float barBeat)
{
    const int bass = bassNote(bar.root);
    // Bass: driving eighths with octave jumps; long notes in the break.
    if (bar.section == Break) {
        bassVoice(mix.bass, barBeat, 3.8f, static_cast<float>(bass), 0.7f);
    } else {
        const int pattern[8] = {0, 0, 12, 0, 0, 12, 0, 7};
        const float brightness = bar.section == Intro ? 0.45f + 0.18f * static_cast<float>(bar.barInSection) : 1.0f;
        for (int k = 0; k < 8; ++k)
            bassVoice(mix.bass, barBeat + 0.5f * static_cast<float>(k), 0.42f,
                      static_cast<float>(bass + pattern[k]), brightness);
    }
    // Pads: the chord held through the bar, louder where the lead rests.
    if (bar.section != Intro) {
        const float level = bar.section == Break ? 0.16f : 0.085f;
        const std::array<int, 3> tones = chordTones(bar, 57);
        for (int k = 0; k < 3; ++k)
            padVoice(mix.pad, barBeat, 3.9f, static_cast<float>(tones[k]), level, 0.13f * static_cast<float>(k));
        if (bar.section == Turn)
            padVoice(mix.pad, barBeat, 3.9f, static_cast<float>(tones[0] + 12), level * 0.7f, 0.4f);
    }
    // Arpeggio: chord tones climbing in sixteenths.
    if (bar.section == ThemeB || bar.section == Break || bar.section == ThemeA2) {
        const std::array<int, 3> tones = chordTones(bar, 69);
        const int order[4] = {0, 1, 2, 1};
        for (int step = 0; step < 16; ++step) {
            const int octave = (step / 4) % 2 == 1 ? 12 : 0;
            const float level = bar.section == ThemeA2 ? 0.09f : 0.13f;
            arpVoice(mix.arp, barBeat + 0.25f * static_cast<float>(step),
                     static_cast<float>(tones[order[step % 4]] + octave), level, step % 2 == 0 ? 0.3f : 0.7f);
        }
    }
    // Lead.
    if (bar.section == ThemeA || bar.section == ThemeA2) {
        for (const Note &n : themeA[bar.barInSection]) {
            leadVoice(mix.lead, n, barBeat, 0.32f);
            if (bar.section == ThemeA2)
                leadVoice(mix.lead, {n.beat, n.length, n.midi - 12}, barBeat, 0.16f);
        }
    } else if (bar.section == ThemeB) {
        for (const Note &n : themeB[bar.barInSection])
            leadVoice(mix.lead, n, barBeat, 0.28f);
    }
}

// A ping-pong echo of the lead, three sixteenths late. Run twice round the loop so that the
// echoes of the end are heard at the start.
Stereo echo(const Stereo &dry)
{
    const size_t n = dry.left.size(), delay = static_cast<size_t>(0.75f * framesPerBeat);
    std::vector<float> lineL(delay, 0.0f), lineR(delay, 0.0f);
    Stereo wet = audio_new(n);
    size_t at = 0;
    for (int pass = 0; pass < 2; ++pass)
        for (size_t i = 0; i < n; ++i) {
            const float outL = lineL[at], outR = lineR[at];
            const float in = (dry.left[i] + dry.right[i]) * 0.5f;
            lineL[at] = in * 0.5f + outR * 0.4f;
            lineR[at] = outL * 0.85f;
            at = (at + 1) % delay;
            if (pass == 1) {
                wet.left[i] = outL;
                wet.right[i] = outR;
            }
        }
    return wet;
}

} // namespace

bool music_write(const std::string &path)
{
    const std::vector<Bar> bars = arrangement();
    const size_t total = static_cast<size_t>(bars.size()) * beatsPerBar * framesPerBeat;
    Mix mix{audio_new(total), audio_new(total), audio_new(total), audio_new(total), audio_new(total)};
    for (size_t b = 0; b < bars.size(); ++b) {
        const float barBeat = static_cast<float>(b * beatsPerBar);
        drumBar(mix.drums, bars[b], barBeat, static_cast<int>(b));
        pitchedBar(mix, bars[b], barBeat);
    }
    const Stereo lead = echo(mix.lead);
    Stereo out = audio_new(total);
    for (size_t i = 0; i < total; ++i) {
        float l = mix.drums.left[i] * 0.9f + mix.bass.left[i] + mix.pad.left[i] + mix.arp.left[i] +
                  mix.lead.left[i] + lead.left[i] * 0.35f;
        float r = mix.drums.right[i] * 0.9f + mix.bass.right[i] + mix.pad.right[i] + mix.arp.right[i] +
                  mix.lead.right[i] + lead.right[i] * 0.35f;
        out.left[i] = std::tanh(l * 0.9f);
        out.right[i] = std::tanh(r * 0.9f);
    }
    // Loud enough to carry, quiet enough that the effects (played at a quarter volume) cut through.
    audio_normalize(out, 0.34f);
    return audio_writeWav(out, path);
}
