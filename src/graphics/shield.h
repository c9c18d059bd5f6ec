// shield.h -- shields: pulsing additive squares drawn around a protected ship. Each shield
// belongs to whoever made it; drawing advances its pulse.
#pragma once

#include <memory>

struct Shield {
    bool active;   // drawn only while true
    int direction; // -1 while fading, +1 while brightening
    float alpha;   // between 0.2 and 1.0
    float size;    // half the edge of the square
    float r, g, b;
};

using ShieldPtr = std::unique_ptr<Shield>;

// An active shield, fully opaque and fading, of the colour and size. Loads the shield image
// through the texture cache, so needs the window's GL context.
ShieldPtr shield_new(float r, float g, float b, float size);

// Releases the shield.
void shield_free(ShieldPtr shield);

// Draws an active shield centred at (x, y, z) and advances its pulse by the frame interval;
// an inactive one is left as it is.
void shield_draw(Shield &shield, float x, float y, float z);
