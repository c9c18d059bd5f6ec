// sprites.h -- the effect sprites: particle, explosions and shield. Radial, white on black
// with the shape in the alpha channel; the game tints them with the effect's colour.
#pragma once

#include <string>

// particle3.png (64 x 64), explosion2.png, explosion4.png, explosion5.png, shield2.png
// (128 x 128), all RGBA PNG.
bool sprites_writeAll(const std::string &dir);
