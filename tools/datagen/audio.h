// audio.h -- sound buffers in the mixer's format (22050 Hz, stereo, written as 16-bit PCM
// through libsndfile) and the small synthesis kit the sounds and the music share.
#pragma once

#include "rng.h"

#include <cmath>
#include <string>
#include <vector>

constexpr int audio_rate = 22050;
constexpr float audio_pi = 3.14159265358979f;

struct Stereo {
    std::vector<float> left, right;
};

Stereo audio_new(size_t frames);
// Adds a sample at frame i; with wrap the index runs round the end (for seamless loops),
// without it frames past the end are dropped.
void audio_add(Stereo &buffer, size_t frame, float left, float right, bool wrap);
// Scales the buffer so that its largest magnitude is peak.
void audio_normalize(Stereo &buffer, float peak);
// 16-bit PCM WAV, 22050 Hz, two channels; samples beyond [-1, 1] are clipped.
bool audio_writeWav(const Stereo &buffer, const std::string &path);

// The topology-preserving state-variable filter: stable at any cutoff below Nyquist.
struct AudioFilter {
    float ic1 = 0, ic2 = 0;
};
struct AudioFilterOut {
    float low, band, high;
};
AudioFilterOut audio_filter(AudioFilter &svf, float in, float cutoffHz, float q);

// White noise in [-1, 1).
inline float audio_noise(Rng &rng) { return rng_uniform(rng) * 2.0f - 1.0f; }

// Band-limited (polyBLEP) saw and pulse; phase in [0, 1), dt the phase step per sample.
float audio_saw(float phase, float dt);
float audio_pulse(float phase, float dt, float width);
inline float audio_sine(float phase) { return std::sin(2.0f * audio_pi * phase); }

// Frequency of a MIDI note number (69 = A4 = 440 Hz).
inline float audio_midiHz(float note) { return 440.0f * std::pow(2.0f, (note - 69.0f) / 12.0f); }
