// font.cpp -- the font list. Each font keeps its 256 display lists until font_free; the image
// stays in the texture cache for the rest of the run.
#include "graphics/font.h"

#include "graphics/texture.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <list>
#include <memory>
#include <vector>

namespace {

constexpr int glyph_count = 256;
constexpr double glyph_size = 16;
constexpr double glyph_advance = 12;
constexpr float cell_size = 1.0f / 16.0f;

// Newest first, like every module list.
std::list<std::unique_ptr<Font>> fontlist;

// One glyph's quad, then the pen moved on; compiled into a list (listed) or drawn at once.
void drawGlyph(int glyph, bool listed)
{
    const float left = static_cast<float>(glyph % 16) / 16.0f;
    const float right = left + cell_size;
    const float row = static_cast<float>(glyph / 16) / 16.0f;
    // The cells are read from the image bottom row up; 0.001 keeps the top edge inside its cell.
    const float top = 1.0f - row - 0.001f;
    const float bottom = 1.0f - row - cell_size;

    glBegin(GL_QUADS);
    glTexCoord2f(left, bottom);
    glVertex2d(0, glyph_size);
    glTexCoord2f(right, bottom);
    glVertex2d(glyph_size, glyph_size);
    glTexCoord2f(right, top);
    glVertex2d(glyph_size, 0);
    glTexCoord2f(left, top);
    glVertex2d(0, 0);
    // Calling a list leaves GL's current texture coordinate at its last vertex's. A glyph that
    // left its own would change it on every character, and Mesa's software rasteriser then
    // revalidates its whole fragment state for each one (a HUD line cost a millisecond); so
    // every listed glyph ends with the same empty quad at texture coordinate (0, 0).
    if (listed) {
        glTexCoord2f(0, 0);
        for (int corner = 0; corner < 4; ++corner)
            glVertex2d(0, 0);
    }
    glEnd();
    glTranslated(glyph_advance, 0, 0);
}

// A glyph with nothing to add (a space) only moves the pen: text is blended by adding each texel's
// colour times its alpha, so its quad would change no pixel and cost a 16 x 16 draw.
void compileGlyph(unsigned int list, int glyph, bool empty)
{
    glNewList(list, GL_COMPILE);
    if (empty)
        glTranslated(glyph_advance, 0, 0);
    else
        drawGlyph(glyph, true);
    glEndList();
}

// Which glyph cells of the bound texture add nothing where drawn: every texel a glyph's quad can
// sample (its cell, and one column and row beyond, for safety) is transparent or black. None is
// where the image cannot be read back: a missing image, or the browser's GL.
std::array<bool, glyph_count> emptyCells(int texture)
{
    std::array<bool, glyph_count> empty{};
#ifndef __EMSCRIPTEN__
    if (texture <= 0)
        return empty;
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    if (width < 16 || height < 16)
        return empty;
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data()); // rows of 4-byte texels: no padding
    const auto adds = [&](int x, int y) {
        const unsigned char *texel = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4];
        return texel[3] != 0 && (texel[0] != 0 || texel[1] != 0 || texel[2] != 0);
    };
    for (int glyph = 0; glyph < glyph_count; ++glyph) {
        // The cells as drawGlyph() addresses them: column glyph % 16, rows from the image's last up.
        const int x0 = glyph % 16 * width / 16, x1 = std::min(width - 1, (glyph % 16 + 1) * width / 16);
        const int y0 = (15 - glyph / 16) * height / 16, y1 = std::min(height - 1, (16 - glyph / 16) * height / 16);
        bool seen = false;
        for (int y = y0; y <= y1 && !seen; ++y)
            for (int x = x0; x <= x1 && !seen; ++x)
                seen = adds(x, y);
        empty[static_cast<size_t>(glyph)] = !seen;
    }
#else
    (void)texture;
#endif
    return empty;
}

// The glyph a byte of the text shows, as the lists from glListBase map it; -1 for none.
int glyphOf(unsigned char byte, unsigned char set)
{
    const int glyph = byte - 32 + (set == 0 ? 0 : 128);
    return glyph >= 0 && glyph < glyph_count ? glyph : -1;
}

} // namespace

Font *font_new(const char *name)
{
    auto font = std::make_unique<Font>();
    font->name = name ? name : ""; // a null name ends the program in texture_get
    font->base = glGenLists(glyph_count);
    font->texture = texture_get(name);

    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(font->texture));
    // Without display lists (none could be made) every glyph is drawn as it is printed.
    if (font->base != 0) {
        const std::array<bool, glyph_count> empty = emptyCells(font->texture);
        for (int glyph = 0; glyph < glyph_count; ++glyph)
            compileGlyph(font->base + glyph, glyph, empty[static_cast<size_t>(glyph)]);
    }

    fontlist.push_front(std::move(font));
    return fontlist.front().get();
}

void font_free(Font *font)
{
    const auto entry = std::find_if(fontlist.begin(), fontlist.end(),
                                    [font](const std::unique_ptr<Font> &listed) { return listed.get() == font; });
    if (entry == fontlist.end())
        return;
    if (font->base != 0)
        glDeleteLists(font->base, glyph_count);
    fontlist.erase(entry);
}

void font_print(const Font *font, int x, int y, unsigned char set, const char *format, ...)
{
    if (font == nullptr || format == nullptr)
        return;
    char text[font_maxText];
    va_list args;
    va_start(args, format);
    const int formatted = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (formatted < 0)
        return;
    const int length = std::min(formatted, font_maxText - 1);

    // Text is filled even in wireframe mode; the frame sets the polygon mode again itself.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    const GLboolean texturing = glIsEnabled(GL_TEXTURE_2D);
    const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST);
    const GLboolean lighting = glIsEnabled(GL_LIGHTING);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLint matrixMode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);

    if (depthTest)
        glDisable(GL_DEPTH_TEST);
    if (!texturing)
        glEnable(GL_TEXTURE_2D);
    if (!scissor)
        glEnable(GL_SCISSOR_TEST);
    if (lighting)
        glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    // One unit per pixel, the origin at the top-left corner, y growing downwards.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, viewport[2], viewport[3], 0, -1, 1);

    glMatrixMode(GL_MODELVIEW);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(font->texture));
    glLoadIdentity();
    glTranslated(x, y, 0);
    glScalef(font->scaleX, font->scaleY, 1);
    if (font->base != 0) {
        glListBase(set == 0 ? font->base - 32 : font->base - 32 + 128);
        glCallLists(length, GL_UNSIGNED_BYTE, text);
    } else {
        for (int i = 0; i < length; ++i) {
            const int glyph = glyphOf(static_cast<unsigned char>(text[i]), set);
            if (glyph >= 0)
                drawGlyph(glyph, false);
        }
    }

    glBindTexture(GL_TEXTURE_2D, 0);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_BLEND);

    if (depthTest)
        glEnable(GL_DEPTH_TEST);
    if (!texturing)
        glDisable(GL_TEXTURE_2D);
    if (!scissor)
        glDisable(GL_SCISSOR_TEST);
    if (lighting)
        glEnable(GL_LIGHTING);
    glMatrixMode(static_cast<GLenum>(matrixMode));
}
