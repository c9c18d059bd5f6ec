// particle.h -- particle systems: bursts of sparks that end by themselves and emitters that
// respawn their particles until their owner frees them. Drawing advances them.
#pragma once

#include <vector>

struct Particle {
    bool active;
    float life; // opacity and remaining life; the particle dies below 0
    float fade; // life lost per second, 1 to 10
    float r, g, b;
    float x, y, z;
    float xi, yi, zi; // velocity
    float xg, yg, zg; // acceleration
};

struct ParticleSystem {
    float x, y, z; // origin; new and respawned particles start here
    int count;
    float size;      // half the edge of each particle's square
    bool regenerate; // dead particles respawn at the origin
    std::vector<Particle> particles;
};

// Loads the particle image. Once, after the window is open.
void particle_init();

// A system of count particles of one colour at the origin, with random velocities; listed
// newest first and owned by the list. A burst (no regeneration) frees itself in the drawing
// pass after its last particle died; an emitter lives until particle_freeSys. A negative count
// makes an empty system.
ParticleSystem *particle_newCustomSys(float x, float y, float z, int count, bool regenerate, float xg, float yg,
                                      float zg, float r, float g, float b);
// The same, yellow, falling at one unit per second squared.
ParticleSystem *particle_newSys(float x, float y, float z, int count, bool regenerate);

// Unlinks and releases a listed system. A pointer that is not listed (a burst that already
// ended, or null) is ignored, so a second free does no harm.
void particle_freeSys(ParticleSystem *system);

// Draws and advances every system by the frame interval, newest first, and retires the
// bursts that had no active particle left. Once per frame.
void particle_drawAll();

// Effect sprites (particles, explosions, shields) share one way of drawing: textured,
// unlit, blended squares aligned with the world x and y axes.
struct SpriteState {
    bool texturing, lighting, scissor; // as they were before the sprites
};
// Enables texturing and the scissor test, disables lighting, enables blending of the source by
// its alpha onto blendDst (GL_ONE: additive); returns what to restore.
SpriteState particle_beginSprites(unsigned int blendDst);
// Disables blending and restores texturing, the scissor test and lighting.
void particle_endSprites(const SpriteState &saved);
// One square of half edge s around (x, y) in the plane z, the whole bound texture on it.
void particle_drawSquare(float x, float y, float z, float s);

// The listed systems, newest first (for tests).
std::vector<ParticleSystem *> particle_systems();
