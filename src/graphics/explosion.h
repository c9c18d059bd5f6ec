// explosion.h -- explosions: additive textured squares where something is hit. Kinds 0-2 fade
// out in place, kind 3 grows at full opacity; drawing advances them and retires the finished.
#pragma once

#include <vector>

struct Explosion {
    int kind;    // 0 to 3
    float alpha; // opacity and remaining life; the explosion ends below 0
    float size;  // half the edge of the square
    float x, y, z;
    float r, g, b;
};

constexpr int explosion_kinds = 4;

// Loads the images of the four kinds. Once, after the window is open.
void explosion_init();

// An explosion of the kind centred at (x, y, z), listed newest first and owned by the list
// until the drawing pass retires it. A kind outside 0-3 is reported and gives null.
Explosion *explosion_new(float x, float y, float z, int kind);

// Unlinks and releases a listed explosion; one that is not listed (or null) is ignored.
void explosion_free(Explosion *explosion);

// Draws every explosion newest first, advances it by the frame interval and retires it once
// its alpha is below 0. Once per frame.
void explosion_drawAll();

// The listed explosions, newest first (for tests).
std::vector<Explosion *> explosion_list();
