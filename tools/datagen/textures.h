// textures.h -- the pictures on models and the sky box. Colours in these files keep red equal
// to blue (greys, violets, greens): the game hands the decoded bytes to OpenGL as B, G, R, so
// pictures painted this way look the same whichever way round the channels are read.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Model skins (hull, glow, enemy4, boss, tower, windows, rocket, powerupf, powerupr, logo),
// all PNG with power-of-two sides. ttf is the font for the power-up letters.
bool textures_writeSkins(const std::string &dir, const std::vector<uint8_t> &ttf);
// Skymap.jpg and boden.jpg, stored as the sky box's texture coordinates read them.
bool textures_writeBackdrop(const std::string &dir);
