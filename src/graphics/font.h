// font.h -- the bitmap font: a 16 x 16 grid of glyph cells in one texture, each cell compiled
// into a display list that draws a 16-pixel quad and moves the pen 12 pixels on. Fonts live
// in the module's font list from font_new to font_free.
#pragma once

#include <string>

constexpr int font_maxText = 1024; // bytes of formatted text, its terminator included

struct Font {
    std::string name;      // the image file the font was made from
    unsigned int base = 0; // first of 256 consecutive display lists, one per glyph cell
    int texture = -1;      // the font image's texture handle
    float scaleX = 1.0f;
    float scaleY = 1.0f;
};

// Makes a font from the image file (a missing image is reported by the texture cache and the
// text draws without it). The font list owns the result until font_free. Needs the GL context.
Font *font_new(const char *name);

// Releases the font and its display lists; a font that is no longer listed is left alone.
void font_free(Font *font);

// Prints printf-style text with its top-left corner at (x, y) pixels from the viewport's
// top-left corner, in the current colour. set 0 maps bytes 32-159 to cells 0-127, any other
// set to cells 128-255. Text is cut at font_maxText - 1 bytes. Leaves the modelview matrix at
// the pen's end and the polygon mode filled; restores the rest of the GL state it touches.
void font_print(const Font *font, int x, int y, unsigned char set, const char *format, ...)
    __attribute__((format(printf, 5, 6)));
