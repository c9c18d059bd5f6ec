// icon.cpp -- painting the desktop icon: each pixel sampled 4 x 4 times against a few shapes.
#include "icon.h"

#include "image.h"

#include <cmath>

namespace {

constexpr int icon_size = 64;
constexpr int samples = 4;

struct Point {
    float x, y;
};

// Whether p is inside the triangle abc (either winding).
bool inTriangle(Point p, Point a, Point b, Point c)
{
    const auto side = [](Point p, Point q, Point r) { return (p.x - r.x) * (q.y - r.y) - (q.x - r.x) * (p.y - r.y); };
    const float d1 = side(p, a, b), d2 = side(p, b, c), d3 = side(p, c, a);
    const bool negative = d1 < 0 || d2 < 0 || d3 < 0;
    const bool positive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

// The colour at a point of the unit square (0..1 across and down), alpha 0 outside the badge.
Rgba paint(Point p)
{
    const float dx = p.x - 0.5f, dy = p.y - 0.5f;
    const float r = std::sqrt(dx * dx + dy * dy);
    if (r > 0.48f)
        return {0, 0, 0, 0};
    if (r > 0.445f)
        return {0.75f, 0.8f, 0.9f, 1}; // rim
    // Night sky, lighter towards the horizon, with the city's towers along the foot.
    Rgba c = image_mixColour({0.02f, 0.03f, 0.12f, 1}, {0.15f, 0.25f, 0.5f, 1}, p.y);
    const float towers[][3] = {{0.12f, 0.22f, 0.72f}, {0.24f, 0.34f, 0.62f}, {0.38f, 0.46f, 0.78f},
                               {0.52f, 0.64f, 0.68f}, {0.68f, 0.76f, 0.58f}, {0.8f, 0.9f, 0.74f}};
    for (const auto &t : towers)
        if (p.x >= t[0] && p.x < t[1] && p.y >= t[2])
            c = {0.08f, 0.1f, 0.16f, 1};
    // Shots ahead of the ship.
    for (const float sx : {0.74f, 0.86f})
        if (std::fabs(p.x - sx) < 0.035f && std::fabs(p.y - 0.42f) < 0.012f)
            c = {1.0f, 0.9f, 0.3f, 1};
    // The engine's flame behind the ship.
    if (inTriangle(p, {0.12f, 0.42f}, {0.3f, 0.37f}, {0.3f, 0.47f}))
        c = image_mixColour({1.0f, 0.3f, 0.05f, 1}, {1.0f, 0.85f, 0.3f, 1}, (p.x - 0.12f) / 0.18f);
    // The ship: a wedge pointing right with a darker wing under it and a cockpit.
    if (inTriangle(p, {0.28f, 0.5f}, {0.5f, 0.42f}, {0.36f, 0.62f}))
        c = {0.45f, 0.5f, 0.6f, 1};
    if (inTriangle(p, {0.26f, 0.33f}, {0.68f, 0.42f}, {0.26f, 0.5f}))
        c = image_mixColour({0.95f, 0.95f, 1.0f, 1}, {0.55f, 0.6f, 0.7f, 1}, (p.y - 0.33f) / 0.17f);
    if (inTriangle(p, {0.42f, 0.38f}, {0.56f, 0.415f}, {0.42f, 0.42f}))
        c = {0.2f, 0.6f, 1.0f, 1};
    return c;
}

} // namespace

bool icon_write(const std::string &dir)
{
    Image img = image_new(icon_size, icon_size, {0, 0, 0, 0});
    for (int y = 0; y < icon_size; ++y)
        for (int x = 0; x < icon_size; ++x) {
            // Colours are averaged weighted by alpha, so the badge's edge has no dark fringe.
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < samples; ++sy)
                for (int sx = 0; sx < samples; ++sx) {
                    const Rgba c = paint({(static_cast<float>(x) + (static_cast<float>(sx) + 0.5f) / samples) / icon_size,
                                          (static_cast<float>(y) + (static_cast<float>(sy) + 0.5f) / samples) / icon_size});
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            image_at(img, x, y) = a > 0 ? Rgba{r / a, g / a, b / a, a / (samples * samples)} : Rgba{0, 0, 0, 0};
        }
    return image_writePng(img, dir + "/trelvik.png", 4);
}
