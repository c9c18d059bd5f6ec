// audio.cpp -- buffers, the WAV writer and the oscillators and filter.
#include "audio.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <sndfile.h>

Stereo audio_new(size_t frames)
{
    Stereo s;
    s.left.assign(frames, 0.0f);
    s.right.assign(frames, 0.0f);
    return s;
}

void audio_add(Stereo &buffer, size_t frame, float left, float right, bool wrap)
{
    const size_t n = buffer.left.size();
    if (n == 0)
        return;
    if (frame >= n) {
        if (!wrap)
            return;
        frame %= n;
    }
    buffer.left[frame] += left;
    buffer.right[frame] += right;
}

void audio_normalize(Stereo &buffer, float peak)
{
    float top = 0;
    for (size_t i = 0; i < buffer.left.size(); ++i)
        top = std::max({top, std::fabs(buffer.left[i]), std::fabs(buffer.right[i])});
    if (top <= 0)
        return;
    const float k = peak / top;
    for (size_t i = 0; i < buffer.left.size(); ++i) {
        buffer.left[i] *= k;
        buffer.right[i] *= k;
    }
}

bool audio_writeWav(const Stereo &buffer, const std::string &path)
{
    SF_INFO info{};
    info.samplerate = audio_rate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE *file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::fprintf(stderr, "datagen: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    // Our own rounding to 16 bits, so the bytes do not depend on the library's dithering.
    std::vector<short> frames(buffer.left.size() * 2);
    auto quantise = [](float v) {
        const float c = std::clamp(v, -1.0f, 1.0f) * 32767.0f;
        return static_cast<short>(std::lround(c));
    };
    for (size_t i = 0; i < buffer.left.size(); ++i) {
        frames[2 * i] = quantise(buffer.left[i]);
        frames[2 * i + 1] = quantise(buffer.right[i]);
    }
    const sf_count_t count = static_cast<sf_count_t>(buffer.left.size());
    const bool ok = sf_writef_short(file, frames.data(), count) == count;
    sf_close(file);
    if (!ok)
        std::fprintf(stderr, "datagen: short write to %s\n", path.c_str());
    return ok;
}

AudioFilterOut audio_filter(AudioFilter &s, float in, float cutoffHz, float q)
{
    const float fc = std::clamp(cutoffHz, 10.0f, audio_rate * 0.45f);
    const float g = std::tan(audio_pi * fc / audio_rate);
    const float k = 1.0f / std::max(0.05f, q);
    const float a1 = 1.0f / (1.0f + g * (g + k)), a2 = g * a1, a3 = g * a2;
    const float v3 = in - s.ic2;
    const float v1 = a1 * s.ic1 + a2 * v3;
    const float v2 = s.ic2 + a2 * s.ic1 + a3 * v3;
    s.ic1 = 2 * v1 - s.ic1;
    s.ic2 = 2 * v2 - s.ic2;
    return {v2, v1, in - k * v1 - v2};
}

namespace {

// The polyBLEP correction around a step at phase 0.
float blep(float t, float dt)
{
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0f;
    }
    if (t > 1.0f - dt) {
        t = (t - 1.0f) / dt;
        return t * t + t + t + 1.0f;
    }
    return 0.0f;
}

} // namespace

float audio_saw(float phase, float dt) { return 2.0f * phase - 1.0f - blep(phase, dt); }

float audio_pulse(float phase, float dt, float width)
{
    float v = phase < width ? 1.0f : -1.0f;
    v += blep(phase, dt);
    float shifted = phase - width;
    if (shifted < 0)
        shifted += 1.0f;
    v -= blep(shifted, dt);
    return v;
}
