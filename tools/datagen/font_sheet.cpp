// font_sheet.cpp -- rasterising glyphs into cells. Bytes 128-159 follow Windows-1252, with
// game symbols where that code page has no character.
#include "font_sheet.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <stb_truetype.h>

namespace {

constexpr int cellSize = 16;
constexpr int advance = 12;     // the game's pen step: glyphs are centred in this width
constexpr int baseline = 12;    // from the cell's top
constexpr float emPixels = 15;  // caps about 11 pixels high, descenders end inside the cell

// Bytes 128-159 in Windows-1252; its five unused places hold heart, star, diamond and arrows.
constexpr int high[32] = {0x20AC, 0x2665, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x2605, 0x017D, 0x2666,
                          0x25B2, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x25BC, 0x017E, 0x0178};

int codepointOfByte(int b)
{
    if (b == 127)
        return 0x25A0; // a filled square where the control character would be
    if (b >= 128 && b < 160)
        return high[b - 128];
    return b;
}

bool initFont(const std::vector<uint8_t> &ttf, stbtt_fontinfo &info)
{
    if (ttf.empty())
        return false;
    const int offset = stbtt_GetFontOffsetForIndex(ttf.data(), 0);
    return offset >= 0 && stbtt_InitFont(&info, ttf.data(), offset) != 0;
}

// Coverage of one glyph drawn with its pen at (penX, baselineY) of a w x h box.
void rasterise(const stbtt_fontinfo &info, int codepoint, float scale, float penX, float baselineY,
               GlyphMask &mask)
{
    if (stbtt_FindGlyphIndex(&info, codepoint) == 0)
        return;
    const int ix = static_cast<int>(std::floor(penX)), iy = static_cast<int>(std::floor(baselineY));
    const float sx = penX - static_cast<float>(ix), sy = baselineY - static_cast<float>(iy);
    int x0, y0, x1, y1;
    stbtt_GetCodepointBitmapBoxSubpixel(&info, codepoint, scale, scale, sx, sy, &x0, &y0, &x1, &y1);
    const int w = x1 - x0, h = y1 - y0;
    if (w <= 0 || h <= 0)
        return;
    std::vector<unsigned char> bitmap(static_cast<size_t>(w) * static_cast<size_t>(h));
    stbtt_MakeCodepointBitmapSubpixel(&info, bitmap.data(), w, h, w, scale, scale, sx, sy, codepoint);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int tx = ix + x0 + x, ty = iy + y0 + y;
            if (tx < 0 || ty < 0 || tx >= mask.width || ty >= mask.height)
                continue; // parts beyond the cell (accents over capitals) are cut
            float &c = mask.coverage[static_cast<size_t>(ty) * mask.width + tx];
            c = std::max(c, bitmap[static_cast<size_t>(y) * w + x] / 255.0f);
        }
}

} // namespace

std::vector<uint8_t> font_loadFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

GlyphMask font_renderCentred(const std::vector<uint8_t> &ttf, int codepoint, float em, int width, int height)
{
    GlyphMask mask;
    mask.width = width;
    mask.height = height;
    mask.coverage.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0.0f);
    stbtt_fontinfo info;
    if (!initFont(ttf, info))
        return mask;
    const float scale = stbtt_ScaleForMappingEmToPixels(&info, em);
    int x0, y0, x1, y1;
    if (stbtt_GetCodepointBox(&info, codepoint, &x0, &y0, &x1, &y1) == 0)
        return mask;
    // Font units run y up; the box centre goes to the middle of the picture.
    const float cx = (static_cast<float>(x0 + x1) * 0.5f) * scale, cy = (static_cast<float>(y0 + y1) * 0.5f) * scale;
    rasterise(info, codepoint, scale, static_cast<float>(width) * 0.5f - cx, static_cast<float>(height) * 0.5f + cy,
              mask);
    return mask;
}

Image font_makeSheet(const std::vector<uint8_t> &ttf)
{
    Image sheet = image_new(256, 256, {0, 0, 0, 0});
    stbtt_fontinfo info;
    if (!initFont(ttf, info))
        return sheet;
    const float scale = stbtt_ScaleForMappingEmToPixels(&info, emPixels);
    int glyphAdvance, lsb;
    stbtt_GetCodepointHMetrics(&info, 'M', &glyphAdvance, &lsb);
    const float penX = (advance - static_cast<float>(glyphAdvance) * scale) * 0.5f;

    for (int cell = 0; cell < 256; ++cell) {
        const int byte = (cell & 127) + 32;
        const bool outlined = cell >= 128;
        GlyphMask glyph;
        glyph.width = glyph.height = cellSize;
        glyph.coverage.assign(cellSize * cellSize, 0.0f);
        rasterise(info, codepointOfByte(byte), scale, penX, baseline, glyph);
        const int cx = (cell % 16) * cellSize, cy = (cell / 16) * cellSize;
        for (int y = 0; y < cellSize; ++y)
            for (int x = 0; x < cellSize; ++x) {
                const float c = glyph.coverage[static_cast<size_t>(y) * cellSize + x];
                float alpha = std::pow(c, 0.8f);
                // The plain style fades a little towards the baseline; the second style is
                // outlined: a bright rim one pixel wide round a dim body.
                float shade = 1.0f - 0.22f * clamp01((static_cast<float>(y) - 1.0f) / (baseline - 1.0f));
                if (outlined) {
                    float around = 0;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx) {
                            const int qx = x + dx, qy = y + dy;
                            if (qx >= 0 && qy >= 0 && qx < cellSize && qy < cellSize)
                                around = std::max(around, glyph.coverage[static_cast<size_t>(qy) * cellSize + qx]);
                        }
                    shade = 1.0f;
                    alpha = std::max(clamp01(around - c), 0.35f * c);
                }
                image_at(sheet, cx + x, cy + y) = alpha > 0 ? Rgba{shade, shade, shade, alpha} : Rgba{0, 0, 0, 0};
            }
    }
    // The glyph quads put texture row 0 of the picture at the bottom of cell row 15 and read
    // each cell bottom up, so the sheet is stored upside down.
    image_flipVertical(sheet);
    return sheet;
}
