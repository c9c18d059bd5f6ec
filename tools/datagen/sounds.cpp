// sounds.cpp -- the sound effects. Each ends in silence and peaks near full scale, since the
// game plays effects at a quarter of the mixer's volume.
#include "sounds.h"

#include "audio.h"

#include <algorithm>
#include <cmath>

namespace {

size_t frames(float seconds) { return static_cast<size_t>(seconds * audio_rate); }

// 1 until the last 30 ms of the sound, then a smooth fall to exactly 0 at its end.
float tailFade(float t, float length)
{
    const float left = (length - t) / 0.03f;
    if (left >= 1)
        return 1;
    if (left <= 0)
        return 0;
    return 0.5f - 0.5f * std::cos(audio_pi * left);
}

// A falling zap: a pulse swept from high to low through a closing filter, with a touch of
// noise at the attack; the two channels are a few cents apart.
Stereo laser()
{
    const float length = 0.26f;
    Stereo out = audio_new(frames(length));
    Rng rng = rng_new(11);
    for (int channel = 0; channel < 2; ++channel) {
        AudioFilter filter;
        float phase = 0, sub = 0;
        const float detune = channel == 0 ? 1.0f : 1.012f;
        for (size_t i = 0; i < out.left.size(); ++i) {
            const float t = static_cast<float>(i) / audio_rate;
            const float hz = (380.0f + 2300.0f * std::exp(-t * 22.0f)) * detune;
            const float dt = hz / audio_rate;
            phase += dt;
            phase -= std::floor(phase);
            sub += dt * 0.5f;
            sub -= std::floor(sub);
            const float width = 0.5f - 0.35f * std::exp(-t * 12.0f);
            float v = audio_pulse(phase, dt, width) * 0.6f + audio_sine(sub) * 0.5f;
            v += audio_noise(rng) * 0.5f * std::exp(-t * 90.0f);
            v = audio_filter(filter, v, 900.0f + 6000.0f * std::exp(-t * 14.0f), 1.4f).low;
            const float env = std::min(1.0f, t / 0.002f) * std::exp(-t * 11.0f) * tailFade(t, length);
            (channel == 0 ? out.left : out.right)[i] = v * env;
        }
    }
    audio_normalize(out, 0.9f);
    return out;
}

// An explosion: noise through a low-pass that closes as it fades, a boom that drops in
// pitch, and crackle in the first half; the channels get their own noise for width.
Stereo explosion()
{
    const float length = 1.2f;
    Stereo out = audio_new(frames(length));
    for (int channel = 0; channel < 2; ++channel) {
        Rng rng = rng_new(channel == 0 ? 21 : 22);
        Rng crackleRng = rng_new(23 + static_cast<uint64_t>(channel));
        AudioFilter body, rumble;
        float boomPhase = 0, crackle = 0;
        for (size_t i = 0; i < out.left.size(); ++i) {
            const float t = static_cast<float>(i) / audio_rate;
            const float n = audio_noise(rng);
            const float cutoff = 150.0f + 3200.0f * std::exp(-t * 4.5f);
            const float noise = audio_filter(body, n, cutoff, 0.9f).low * std::exp(-t * 3.2f);
            const float low = audio_filter(rumble, n, 120.0f, 0.7f).low * 2.5f * std::exp(-t * 2.2f);
            boomPhase += (38.0f + 60.0f * std::exp(-t * 9.0f)) / audio_rate;
            boomPhase -= std::floor(boomPhase);
            const float boom = audio_sine(boomPhase) * std::exp(-t * 5.0f) * 0.9f;
            if (t < 0.6f && rng_uniform(crackleRng) < 0.004f)
                crackle = audio_noise(crackleRng) * (0.6f - t);
            crackle *= 0.93f;
            const float attack = std::min(1.0f, t / 0.004f);
            const float v = (noise + low + boom + crackle * 1.5f) * attack * tailFade(t, length);
            (channel == 0 ? out.left : out.right)[i] = std::tanh(v * 1.4f);
        }
    }
    audio_normalize(out, 0.92f);
    return out;
}

// A pick-up chime: four bell notes rising through an E major arpeggio, 55 ms apart, each a
// sine with bright, fast-fading partials; they alternate a little left and right.
Stereo chime()
{
    const float length = 0.8f;
    Stereo out = audio_new(frames(length));
    const float notes[] = {88, 92, 95, 100}; // E6, G#6, B6, E7
    for (int k = 0; k < 4; ++k) {
        const float start = 0.055f * static_cast<float>(k);
        const float hz = audio_midiHz(notes[k]);
        const float pan = k % 2 == 0 ? 0.35f : 0.65f;
        for (size_t i = frames(start); i < out.left.size(); ++i) {
            const float t = static_cast<float>(i) / audio_rate - start;
            const float decay = k == 3 ? 5.0f : 9.0f;
            const float fm = 0.8f * std::exp(-t * 30.0f) * audio_sine(hz * 3.5f * t);
            float v = std::sin(2 * audio_pi * hz * t + fm);
            v += 0.35f * std::sin(2 * audio_pi * hz * 2.0f * t) * std::exp(-t * 25.0f);
            v += 0.2f * std::sin(2 * audio_pi * hz * 3.01f * t) * std::exp(-t * 40.0f);
            v *= std::min(1.0f, t / 0.003f) * std::exp(-t * decay) * tailFade(t + start, length);
            out.left[i] += v * (1 - pan);
            out.right[i] += v * pan;
        }
    }
    audio_normalize(out, 0.9f);
    return out;
}

} // namespace

bool sounds_writeAll(const std::string &dir)
{
    bool ok = audio_writeWav(laser(), dir + "/shot.wav");
    ok = audio_writeWav(explosion(), dir + "/explos.wav") && ok;
    ok = audio_writeWav(chime(), dir + "/cash.wav") && ok;
    return ok;
}
