// font_sheet.h -- glyphs from a TrueType file (through stb_truetype): the HUD font sheet and
// single letters for other pictures. The font bytes are loaded once and live for the run.
#pragma once

#include "image.h"

#include <cstdint>
#include <string>
#include <vector>

// The whole file; empty when it cannot be read.
std::vector<uint8_t> font_loadFile(const std::string &path);

// A glyph's coverage in a w x h box, in [0, 1], row 0 at the top.
struct GlyphMask {
    int width = 0, height = 0;
    std::vector<float> coverage;
};

// The glyph of a code point at emPixels per em, its outline box centred in a w x h box.
// An unknown code point or an unusable font gives an empty (all zero) mask.
GlyphMask font_renderCentred(const std::vector<uint8_t> &ttf, int codepoint, float emPixels, int width, int height);

// The 256 x 256 sheet of 16 x 16 cells: cells 0-127 bytes 32-159 in the plain style, cells
// 128-255 the same bytes outlined. White glyphs, coverage in alpha, stored upside down as the
// game's glyph quads read it.
Image font_makeSheet(const std::vector<uint8_t> &ttf);
