// rng.h -- the generator's own pseudo-random numbers (splitmix64). Every asset seeds its own
// stream, so changing one asset never changes another and every run writes the same bytes.
#pragma once

#include <cstdint>

struct Rng {
    uint64_t state;
};

inline Rng rng_new(uint64_t seed)
{
    return Rng{seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull};
}

inline uint64_t rng_next(Rng &rng)
{
    uint64_t z = (rng.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// Uniform in [0, 1), 24 bits of precision.
inline float rng_uniform(Rng &rng)
{
    return static_cast<float>(rng_next(rng) >> 40) * (1.0f / 16777216.0f);
}

inline float rng_range(Rng &rng, float lo, float hi)
{
    return lo + (hi - lo) * rng_uniform(rng);
}

// Uniform integer in [lo, hi], both ends included.
inline int rng_int(Rng &rng, int lo, int hi)
{
    const uint64_t span = static_cast<uint64_t>(hi - lo) + 1;
    return lo + static_cast<int>(rng_next(rng) % span);
}

// A hash of integer coordinates to [0, 1): the lattice of the value noise.
inline float rng_hash(int32_t x, int32_t y, uint32_t seed)
{
    uint64_t h = static_cast<uint64_t>(static_cast<uint32_t>(x)) * 0x8DA6B343ull ^
                 static_cast<uint64_t>(static_cast<uint32_t>(y)) * 0xD8163841ull ^
                 static_cast<uint64_t>(seed) * 0xCB1AB31Full;
    Rng rng{h};
    return rng_uniform(rng);
}
