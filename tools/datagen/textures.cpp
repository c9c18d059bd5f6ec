// textures.cpp -- painting the model skins, the sky and the ground.
#include "textures.h"

#include "font_sheet.h"
#include "image.h"
#include "rng.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float pi = 3.14159265358979f;

Rgba grey(float v, float a = 1) { return {v, v, v, a}; }
// Red equal to blue keeps a colour the same under a red/blue swap.
Rgba violet(float r, float g, float a = 1) { return {r, g, r, a}; }

// Riveted plating: panels of random sizes on a 16-pixel grid, seams, rivets, wear.
Image hullSkin(int size, uint32_t seed, float base, float seam)
{
    Image img = image_new(size, size, grey(base));
    Rng rng = rng_new(seed);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float n = image_fbm(x / 16.0f, y / 16.0f, 4, size / 16, seed);
            image_at(img, x, y) = grey(base + (n - 0.5f) * 0.10f);
        }
    const int grid = 16, cells = size / grid;
    std::vector<int> owner(static_cast<size_t>(cells * cells), -1);
    int panel = 0;
    for (int gy = 0; gy < cells; ++gy)
        for (int gx = 0; gx < cells; ++gx) {
            if (owner[static_cast<size_t>(gy * cells + gx)] >= 0)
                continue;
            int w = rng_int(rng, 1, 4), h = rng_int(rng, 1, 3);
            w = std::min(w, cells - gx);
            h = std::min(h, cells - gy);
            for (int yy = gy; yy < gy + h; ++yy)
                for (int xx = gx; xx < gx + w; ++xx)
                    if (owner[static_cast<size_t>(yy * cells + xx)] < 0)
                        owner[static_cast<size_t>(yy * cells + xx)] = panel;
            const float tone = rng_range(rng, -0.07f, 0.05f);
            const bool riveted = rng_uniform(rng) < 0.5f;
            for (int y = gy * grid; y < (gy + h) * grid; ++y)
                for (int x = gx * grid; x < (gx + w) * grid; ++x) {
                    if (owner[static_cast<size_t>((y / grid) * cells + x / grid)] != panel)
                        continue;
                    Rgba &p = image_at(img, x, y);
                    p = grey(p.r + tone);
                    const int lx = x - gx * grid, ly = y - gy * grid;
                    const int pw = w * grid, ph = h * grid;
                    if (lx == 0 || ly == 0)
                        p = grey(seam); // seam along the panel's top and left
                    else if (lx == 1 || ly == 1)
                        p = grey(p.r + 0.08f); // a lit lip beside the seam
                    else if (riveted && (lx == 4 || lx == pw - 4) && ly % 6 == 3 && ly < ph - 2)
                        p = grey(seam + 0.12f);
                }
            ++panel;
        }
    return img;
}

Image glowSkin()
{
    Image img = image_new(32, 32, grey(1));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            image_at(img, x, y) = grey(0.86f + 0.14f * std::sin(static_cast<float>(x) / 32.0f * 2 * pi * 2) * 0.5f + 0.07f);
    return img;
}

// The second enemy: dark plating with two pale chevron bands and a green sensor strip.
Image enemy4Skin()
{
    Image img = hullSkin(128, 404, 0.7f, 0.34f);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const float v = static_cast<float>(y) / 128.0f;
            const float chevron = std::fabs(v - 0.5f) * 48.0f + static_cast<float>(x) * 0.75f;
            const int band = static_cast<int>(chevron) % 48;
            Rgba &p = image_at(img, x, y);
            if (band < 5)
                p = grey(0.95f);
            else if (band < 7)
                p = grey(0.3f);
            if (x >= 104 && x < 112)
                p = violet(0.35f, 1.0f); // the sensor strip near the nose
        }
    return img;
}

// The boss: heavy plates with bevels, hazard stripes and glowing vents.
Image bossSkin()
{
    Image img = hullSkin(256, 303, 0.70f, 0.22f);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            Rgba &p = image_at(img, x, y);
            // Plate bevels every 64 pixels: light top edge, dark lower edge.
            const int ly = y % 64, lx = x % 64;
            if (ly < 3)
                p = grey(0.92f);
            else if (ly > 60)
                p = grey(0.28f);
            if (lx > 61)
                p = grey(0.35f);
            // Hazard stripes along one band.
            if (y >= 112 && y < 136) {
                const bool dark = ((x + y) / 10) % 2 == 0;
                p = dark ? grey(0.12f) : grey(0.95f);
            }
            // Vent slots with green glow.
            if (y >= 176 && y < 208 && lx >= 8 && lx < 56 && (ly % 8) < 4)
                p = violet(0.3f, 0.95f);
        }
    return img;
}

// Windows on a dark facade: floors lit in runs, as offices are, between lighter pillars
// and floor bands. Lit panes are near white, so the material gives them their warm colour.
Image facade(uint32_t seed, int width, int height, int cols, int rows, float litShare, int pillarEvery)
{
    Image img = image_new(width, height, grey(0.22f));
    Rng rng = rng_new(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image_at(img, x, y) = grey(0.22f + 0.05f * image_fbm(x / 8.0f, y / 8.0f, 3, width / 8, seed));
    const int cw = width / cols, ch = height / rows;
    for (int r = 0; r < rows; ++r) {
        image_fillRect(img, 0, r * ch, width, r * ch + 2, grey(0.34f)); // the floor band
        const float floorShare = rng_uniform(rng) < 0.3f ? litShare * 2.2f : litShare * 0.6f;
        bool lit = rng_uniform(rng) < floorShare;
        for (int c = 0; c < cols; ++c) {
            if (rng_uniform(rng) < 0.35f)
                lit = rng_uniform(rng) < floorShare; // runs of lit and dark rooms
            const float level = lit ? rng_range(rng, 0.82f, 1.0f) : rng_range(rng, 0.06f, 0.12f);
            const Rgba colour = lit ? (rng_uniform(rng) < 0.15f ? violet(level * 0.8f, level) : grey(level))
                                    : violet(level, level * 1.15f);
            const int x0 = c * cw + 2, x1 = (c + 1) * cw - 1;
            const int y0 = r * ch + 4, y1 = (r + 1) * ch - 1;
            image_fillRect(img, x0, y0, x1, y1, colour);
            if (!lit)
                image_fillRect(img, x0, y0, x1, y0 + 1, grey(0.26f)); // a glint on the dark pane
        }
    }
    for (int c = 0; c <= cols; c += pillarEvery)
        image_fillRect(img, c * cw - 1, 0, c * cw + 2, height, grey(0.38f)); // pillars
    return img;
}

Image rocketSkin()
{
    Image img = image_new(64, 64, grey(0.95f));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            Rgba &p = image_at(img, x, y);
            const float shade = 0.93f + 0.07f * image_noise(x / 8.0f, y / 8.0f, 8, 77);
            p = grey(shade);
            if ((x >= 40 && x < 44) || (x >= 48 && x < 50))
                p = grey(0.15f); // bands behind the warhead
            if (x < 10 && (y / 8) % 2 == 0)
                p = grey(0.3f); // checks on the tail
        }
    return img;
}

// A power-up face: the letter, white, on a dark tile inside a bright frame.
Image powerUpSkin(const std::vector<uint8_t> &ttf, int letter)
{
    Image img = image_new(64, 64, grey(0.18f));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const float dx = (x - 31.5f) / 32.0f, dy = (y - 31.5f) / 32.0f;
            const float edge = std::max(std::fabs(dx), std::fabs(dy));
            Rgba &p = image_at(img, x, y);
            p = grey(0.22f - 0.1f * (dx * dx + dy * dy));
            if (edge > 0.84f)
                p = grey(0.95f);
            else if (edge > 0.78f)
                p = grey(0.45f);
        }
    const GlyphMask glyph = font_renderCentred(ttf, letter, 50, 64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            image_blend(img, x, y, grey(1.0f), glyph.coverage[static_cast<size_t>(y) * 64 + x]);
    return img;
}

// Brushed metal for the logo: a bright band above the middle, darker towards the foot.
Image logoSkin()
{
    Image img = image_new(128, 128, grey(0.8f));
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const float v = static_cast<float>(y) / 127.0f;
            const float band = 0.65f + 0.35f * std::exp(-std::pow((v - 0.35f) / 0.12f, 2.0f)) - 0.25f * v;
            const float brush = 0.05f * (image_noise(x / 32.0f, y * 1.0f, 4, 919) - 0.5f);
            image_at(img, x, y) = grey(band + brush);
        }
    return img;
}

// The sky as one would paint it, zenith at the top and the horizon at the foot: violet
// dusk with a pale band and streaks of cloud, seamless from the right edge to the left.
Image skyPicture()
{
    const int size = 512;
    Image img = image_new(size, size, grey(0));
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float v = static_cast<float>(y) / (size - 1); // 0 zenith, 1 horizon
            Rgba c = image_mixColour(violet(0.07f, 0.03f), violet(0.45f, 0.28f), smoothstep(0.2f, 0.75f, v));
            c = image_mixColour(c, violet(1.0f, 0.9f), smoothstep(0.6f, 1.0f, v));
            const float cloud = image_fbm(x / 64.0f, y / 24.0f, 5, size / 64, 4242);
            const float amount = smoothstep(0.52f, 0.78f, cloud) * smoothstep(0.25f, 0.6f, v) * 0.7f;
            c = image_mixColour(c, violet(0.95f, 0.88f), amount);
            const float star = rng_hash(x, y, 99);
            if (v < 0.4f && star > 0.9975f)
                c = grey(0.6f + 0.4f * (1 - v / 0.4f));
            c.a = 1;
            image_at(img, x, y) = c;
        }
    return img;
}

// The ground far below: dark blocks between pale streets, lights scattered over them.
Image groundPicture()
{
    const int size = 512;
    Image img = image_new(size, size, grey(0));
    Rng rng = rng_new(777);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float n = image_fbm(x / 32.0f, y / 32.0f, 5, size / 32, 31);
            image_at(img, x, y) = violet(0.16f + 0.10f * n, 0.19f + 0.12f * n);
        }
    for (int i = 0; i < size; i += 32) {
        const int jitter = rng_int(rng, -3, 3);
        image_fillRect(img, 0, i + jitter, size, i + jitter + 2, grey(0.42f));
        image_fillRect(img, i + jitter, 0, i + jitter + 2, size, grey(0.42f));
    }
    for (int k = 0; k < 2600; ++k) {
        const int x = rng_int(rng, 0, size - 1), y = rng_int(rng, 0, size - 1);
        const float v = rng_range(rng, 0.6f, 1.0f);
        image_at(img, x, y) = rng_uniform(rng) < 0.3f ? violet(v * 0.7f, v) : grey(v);
    }
    return img;
}

bool writeSkin(const Image &img, const std::string &dir, const char *name)
{
    return image_writePng(img, dir + "/" + name, 3);
}

} // namespace

bool textures_writeSkins(const std::string &dir, const std::vector<uint8_t> &ttf)
{
    bool ok = writeSkin(hullSkin(256, 101, 0.86f, 0.42f), dir, "hull.png");
    ok = writeSkin(glowSkin(), dir, "glow.png") && ok;
    ok = writeSkin(enemy4Skin(), dir, "enemy4.png") && ok;
    ok = writeSkin(bossSkin(), dir, "boss.png") && ok;
    ok = writeSkin(facade(505, 128, 256, 4, 16, 0.3f, 2), dir, "tower.png") && ok;
    ok = writeSkin(facade(606, 128, 256, 8, 16, 0.3f, 2), dir, "windows.png") && ok;
    ok = writeSkin(rocketSkin(), dir, "rocket.png") && ok;
    ok = writeSkin(powerUpSkin(ttf, 'F'), dir, "powerupf.png") && ok;
    ok = writeSkin(powerUpSkin(ttf, 'R'), dir, "powerupr.png") && ok;
    ok = writeSkin(logoSkin(), dir, "logo.png") && ok;
    return ok;
}

bool textures_writeBackdrop(const std::string &dir)
{
    // The side faces of the sky box put texture row 0 at their foot, so the painted sky is
    // stored upside down: the horizon becomes the file's top row.
    Image sky = skyPicture();
    image_flipVertical(sky);
    bool ok = image_writeJpg(sky, dir + "/Skymap.jpg", 95);
    // The ground face maps s along depth and t across; the picture has no up or down.
    ok = image_writeJpg(groundPicture(), dir + "/boden.jpg", 95) && ok;
    return ok;
}
