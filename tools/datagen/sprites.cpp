// sprites.cpp -- painting the effect sprites.
#include "sprites.h"

#include "image.h"
#include "rng.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float pi = 3.14159265358979f;

// Calls paint(r, angle, x, y) for every pixel with r = 1 at the picture's inscribed circle;
// paint returns brightness and alpha. Pixels with no alpha are black.
template <typename Paint>
Image radial(int size, Paint paint)
{
    Image img = image_new(size, size, {0, 0, 0, 0});
    const float half = static_cast<float>(size) * 0.5f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = (static_cast<float>(x) + 0.5f - half) / half;
            const float dy = (static_cast<float>(y) + 0.5f - half) / half;
            const float r = std::sqrt(dx * dx + dy * dy);
            const float angle = std::atan2(dy, dx);
            float bright = 0, alpha = 0;
            paint(r, angle, dx, dy, bright, alpha);
            alpha = clamp01(alpha);
            if (r >= 1.0f || alpha <= 0.002f)
                continue;
            const float v = clamp01(bright);
            image_at(img, x, y) = {v, v, v, alpha};
        }
    return img;
}

// A soft dot: white until well out, so blended particles have no dark fringe.
Image particle()
{
    return radial(64, [](float r, float, float, float, float &bright, float &alpha) {
        alpha = std::pow(clamp01(1 - r * r), 2.0f);
        bright = smoothstep(1.0f, 0.55f, r);
    });
}

// A fireball: billowing noise under a radial falloff, white-hot in the middle.
Image fireball()
{
    return radial(128, [](float r, float angle, float dx, float dy, float &bright, float &alpha) {
        const float n = image_fbm(dx * 3.0f + 8, dy * 3.0f + 8, 5, 0, 2002);
        const float lobes = 0.12f * std::sin(angle * 5.0f + 1.3f) + 0.08f * std::sin(angle * 9.0f);
        const float edge = 0.78f + lobes + (n - 0.5f) * 0.35f;
        const float body = smoothstep(edge, edge - 0.35f, r);
        alpha = body * (0.55f + 0.6f * n) + 0.9f * smoothstep(0.45f, 0.0f, r);
        bright = 0.55f + 0.45f * smoothstep(0.7f, 0.1f, r) + 0.25f * (n - 0.5f);
    });
}

// Sparks: a hot core and rays of different lengths.
Image sparks()
{
    Rng rng = rng_new(4004);
    std::vector<float> rayLength(24), rayWidth(24), rayAngle(24);
    for (int i = 0; i < 24; ++i) {
        rayAngle[i] = (static_cast<float>(i) + rng_range(rng, -0.3f, 0.3f)) * 2 * pi / 24.0f;
        rayLength[i] = rng_range(rng, 0.45f, 0.97f);
        rayWidth[i] = rng_range(rng, 0.025f, 0.06f);
    }
    return radial(128, [&](float r, float angle, float, float, float &bright, float &alpha) {
        float ray = 0;
        for (int i = 0; i < 24; ++i) {
            float d = std::fabs(angle - rayAngle[i]);
            d = std::min(d, 2 * pi - d);
            const float across = d * r;
            const float along = smoothstep(rayLength[i], rayLength[i] * 0.4f, r);
            ray = std::max(ray, smoothstep(rayWidth[i], 0.0f, across) * along);
        }
        const float core = std::exp(-r * r * 18.0f);
        const float haze = 0.35f * smoothstep(0.8f, 0.0f, r);
        alpha = std::max({ray, core, haze});
        bright = std::max(0.6f + 0.4f * core, ray);
    });
}

// A shock wave: a bright ring with a sharp outer edge and a fading wake inside.
Image shockwave()
{
    return radial(128, [](float r, float angle, float, float, float &bright, float &alpha) {
        const float ring = std::exp(-std::pow((r - 0.82f) / 0.07f, 2.0f));
        const float wake = 0.35f * smoothstep(0.3f, 0.8f, r) * smoothstep(0.92f, 0.8f, r);
        const float ripple = 0.08f * std::sin(angle * 12.0f) * ring;
        alpha = ring + wake + ripple;
        bright = 0.7f + 0.3f * ring;
    });
}

// A bubble: a bright rim, a faint hexagonal mesh inside, a highlight.
Image bubble()
{
    return radial(128, [](float r, float, float dx, float dy, float &bright, float &alpha) {
        const float rim = std::exp(-std::pow((r - 0.9f) / 0.06f, 2.0f));
        // Hexagonal cells from three families of lines.
        const float scale = 7.0f;
        float mesh = 0;
        for (int k = 0; k < 3; ++k) {
            const float a = static_cast<float>(k) * pi / 3.0f;
            const float u = (dx * std::cos(a) + dy * std::sin(a)) * scale;
            const float frac = u - std::floor(u);
            mesh = std::max(mesh, smoothstep(0.08f, 0.0f, std::min(frac, 1 - frac)));
        }
        const float inside = smoothstep(0.95f, 0.85f, r);
        // The sprite shows the picture's top row at its lower edge: a highlight painted at the
        // lower right appears at the upper right, where the game's lights come from.
        const float hx = dx - 0.35f, hy = dy - 0.4f;
        const float highlight = std::exp(-(hx * hx + hy * hy) * 30.0f);
        alpha = std::max(rim, 0.12f * inside + 0.22f * mesh * inside * r + 0.7f * highlight) * smoothstep(1.0f, 0.96f, r);
        bright = 0.75f + 0.25f * std::max(rim, highlight);
    });
}

} // namespace

bool sprites_writeAll(const std::string &dir)
{
    bool ok = image_writePng(particle(), dir + "/particle3.png", 4);
    ok = image_writePng(fireball(), dir + "/explosion2.png", 4) && ok;
    ok = image_writePng(sparks(), dir + "/explosion4.png", 4) && ok;
    ok = image_writePng(shockwave(), dir + "/explosion5.png", 4) && ok;
    ok = image_writePng(bubble(), dir + "/shield2.png", 4) && ok;
    return ok;
}
