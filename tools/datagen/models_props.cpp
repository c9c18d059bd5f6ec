// models_props.cpp -- the buildings, the shots, the rocket, the power-ups and the logo.
#include "font_sheet.h"
#include "models.h"

#include <cmath>

namespace {

Vec3 rgb(float r, float g, float b) { return {r, g, b}; }
const Vec3 none{0, 0, 0};

// A quad with flat normal, turned so that it faces `outward`.
void addQuad(Mesh &mesh, Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 outward, Vec2 ta, Vec2 tb, Vec2 tc, Vec2 td)
{
    if (vec3_dot(vec3_cross(b - a, c - a), outward) < 0) {
        std::swap(b, d);
        std::swap(tb, td);
    }
    mesh_addFlatTriangle(mesh, a, b, c, ta, tb, tc);
    mesh_addFlatTriangle(mesh, a, c, d, ta, tc, td);
}

// Which of a block's floor and roof are its own: a face that a wider slab lies on or stands on
// is covered from every side.
enum BlockFaces : unsigned { block_floor = prism_endBack, block_roof = prism_endFront, block_floorAndRoof = prism_bothEnds };

// A storey block: the floor plan (x, depth) raised from y0 to y1, window texture wrapped
// round it: sScale repeats per unit along the walls, one picture height per `storeys` units.
void addBlock(Mesh &mesh, const std::vector<Vec2> &plan, float y0, float y1, float sScale, float pictureHeight,
              unsigned faces = block_floorAndRoof)
{
    const size_t mark = mesh_mark(mesh);
    // Turned a quarter round x below, so the prism's front end becomes the roof.
    mesh_addPrism(mesh, plan, y1 - y0, 0, sScale, -1.0f / pictureHeight, faces);
    mesh_transformSince(mesh, mark, mat3_rotateX(-90), {0, (y0 + y1) * 0.5f, 0});
}

std::vector<Vec2> chamferedSquare(float half, float chamfer)
{
    const float h = half, c = half - chamfer;
    return {{-c, -h}, {c, -h}, {h, -c}, {h, c}, {c, h}, {-c, h}, {-h, c}, {-h, -c}};
}

std::vector<Vec2> rect(float hx, float hz) { return {{-hx, -hz}, {hx, -hz}, {hx, hz}, {-hx, hz}}; }

// --- the city: a stepped tower and an office block --------------------------------------------

Mesh tower()
{
    Mesh m;
    const int facade = mesh_addMaterial(m, "facade", rgb(1.0f, 0.9f, 0.72f), 0.6f, 0.4f, none, "data/tower.png");
    const int roof = mesh_addMaterial(m, "roof", rgb(0.5f, 0.55f, 0.8f), 0.5f, 0.4f, none, "data/hull.png");
    const int beacon = mesh_addMaterial(m, "beacon", rgb(1.0f, 0.2f, 0.15f), 0.3f, 0.3f, rgb(1.0f, 0.15f, 0.1f), "data/glow.png");
    mesh_beginGroup(m, "facade", facade);
    // Each storey's roof lies under a slab, and the upper storey's floor inside the lower slab.
    addBlock(m, chamferedSquare(11, 3), -75, 45, 1.0f / 22.0f, 51, block_floor);
    addBlock(m, chamferedSquare(7.5f, 2), 45, 75, 1.0f / 22.0f, 51, 0);
    mesh_beginGroup(m, "roof", roof);
    addBlock(m, chamferedSquare(11.6f, 3.2f), 45, 47, 0.1f, 10);
    addBlock(m, chamferedSquare(8.0f, 2.2f), 75, 77.5f, 0.1f, 10);
    mesh_addBox(m, {-3, 77.5f, -3}, {3, 81, 3}, 0.3f, 0.1f);
    mesh_addBox(m, {-0.5f, 81, -0.5f}, {0.5f, 97, 0.5f}, 0, 0.1f);
    mesh_beginGroup(m, "beacon", beacon);
    mesh_addEllipsoid(m, {0, 97.6f, 0}, {0.9f, 0.9f, 0.9f}, 8, 6);
    return m;
}

Mesh officeBlock()
{
    Mesh m;
    const int facade = mesh_addMaterial(m, "facade", rgb(0.92f, 0.92f, 0.85f), 0.6f, 0.4f, none, "data/windows.png");
    const int roof = mesh_addMaterial(m, "roof", rgb(0.48f, 0.52f, 0.78f), 0.5f, 0.4f, none, "data/hull.png");
    const int lamp = mesh_addMaterial(m, "lamp", rgb(0.4f, 1.0f, 0.6f), 0.3f, 0.3f, rgb(0.3f, 0.9f, 0.5f), "data/glow.png");
    mesh_beginGroup(m, "facade", facade);
    addBlock(m, rect(22, 15), -50, 50, 1.0f / 22.0f, 51, block_floor); // its roof lies under the slab
    mesh_beginGroup(m, "roof", roof);
    addBlock(m, rect(22.8f, 15.8f), 50, 52, 0.1f, 10);
    mesh_addBox(m, {-16, 52, -8}, {-8, 56, 2}, 0.4f, 0.1f);
    mesh_addBox(m, {-5, 52, 4}, {3, 55, 10}, 0.4f, 0.1f);
    const size_t tank = mesh_mark(m);
    models_addHull(m, {{0, 3.2f, 3.2f, 0}, {5, 3.2f, 3.2f, 0}, {7, 0, 0, 0}}, models_polygon(10, false), false, 1, 1);
    mesh_transformSince(m, tank, mat3_rotateZ(90), {12, 52, -4});
    mesh_addBox(m, {15.5f, 52, 8}, {16.3f, 70, 8.8f}, 0, 0.1f);
    mesh_beginGroup(m, "lamp", lamp);
    mesh_addEllipsoid(m, {15.9f, 70.5f, 8.4f}, {0.8f, 0.8f, 0.8f}, 8, 6);
    return m;
}

// --- shots ------------------------------------------------------------------------------------

// The players' bolt: a white-hot core inside a flat cyan diamond of light.
Mesh shot()
{
    Mesh m;
    const int glow = mesh_addMaterial(m, "glow", rgb(0.4f, 0.9f, 1.0f), 0.3f, 0.3f, rgb(0.35f, 0.85f, 1.0f), "data/glow.png");
    const int core = mesh_addMaterial(m, "core", rgb(1, 1, 1), 0.4f, 0.4f, rgb(0.9f, 1.0f, 1.0f), "data/glow.png");
    mesh_beginGroup(m, "glow", glow);
    mesh_addPrism(m, {{-1.25f, 0}, {0.2f, -0.28f}, {1.2f, 0}, {0.2f, 0.28f}}, 0.08f, 0, 0.4f, 0.4f);
    mesh_beginGroup(m, "core", core);
    models_addHull(m, {{-0.95f, 0, 0, 0}, {-0.5f, 0.12f, 0.12f, 0}, {0.6f, 0.16f, 0.16f, 0}, {1.05f, 0.08f, 0.08f, 0},
                       {1.2f, 0, 0, 0}},
                   models_polygon(8, false), false, 1, 1);
    return m;
}

// A glowing orb ringed by points: star is the outline of the points in the x-y plane.
Mesh orb(Vec3 orbColour, Vec3 starColour, float radius, float spikes, int points)
{
    Mesh m;
    const int body = mesh_addMaterial(m, "orb", orbColour, 0.3f, 0.3f, orbColour, "data/glow.png");
    const int rays = mesh_addMaterial(m, "rays", starColour, 0.3f, 0.3f, starColour * 0.9f, "data/glow.png");
    mesh_beginGroup(m, "rays", rays);
    std::vector<Vec2> star;
    for (int k = 0; k < 2 * points; ++k) {
        const float a = 3.14159265f * static_cast<float>(k) / static_cast<float>(points);
        const float r = k % 2 == 0 ? spikes : radius * 0.75f;
        star.push_back({r * std::cos(a), r * std::sin(a)});
    }
    mesh_addPrism(m, star, radius * 0.35f, 0, 0.5f, 0.5f);
    mesh_beginGroup(m, "orb", body);
    mesh_addEllipsoid(m, {0, 0, 0}, {radius, radius, radius}, 12, 8);
    return m;
}

// --- the rocket -------------------------------------------------------------------------------

Mesh rocket()
{
    Mesh m;
    const int body = mesh_addMaterial(m, "body", rgb(0.95f, 0.95f, 0.95f), 0.5f, 0.55f, none, "data/rocket.png");
    const int nose = mesh_addMaterial(m, "nose", rgb(1.0f, 0.25f, 0.2f), 0.5f, 0.6f, rgb(0.15f, 0, 0), "data/rocket.png");
    const int flame = mesh_addMaterial(m, "flame", rgb(1.0f, 0.7f, 0.3f), 0.3f, 0.2f, rgb(1.0f, 0.65f, 0.25f), "data/glow.png");
    mesh_beginGroup(m, "body", body);
    models_addHull(m, {{-3.0f, 0.28f, 0.28f, 0}, {-2.6f, 0.33f, 0.33f, 0}, {2.2f, 0.33f, 0.33f, 0}}, models_polygon(10, false),
                   false, 1, 1);
    models_addWing(m, {{-1.6f, 0.25f}, {-3.0f, 0.25f}, {-3.3f, 1.1f}, {-2.6f, 1.1f}}, 0.09f, 0.02f, 0, 0, 45, true);
    models_addWing(m, {{-1.6f, 0.25f}, {-3.0f, 0.25f}, {-3.3f, 1.1f}, {-2.6f, 1.1f}}, 0.09f, 0.02f, 0, 0, -45, true);
    mesh_beginGroup(m, "nose", nose);
    models_addHull(m, {{2.2f, 0.33f, 0.33f, 0}, {2.9f, 0.24f, 0.24f, 0}, {3.35f, 0, 0, 0}}, models_polygon(10, false), false, 1, 1);
    mesh_beginGroup(m, "flame", flame);
    mesh_addEllipsoid(m, {-3.2f, 0, 0}, {0.5f, 0.24f, 0.24f}, 8, 6);
    mesh_orient(m, false, 25);
    return m;
}

// --- power-ups: a bevelled tile with the letter on its face ----------------------------------

Mesh powerUp(const char *texture, Vec3 colour, Vec3 glow)
{
    Mesh m;
    const int tile = mesh_addMaterial(m, "tile", colour, 0.55f, 0.5f, glow, texture);
    mesh_beginGroup(m, "tile", tile);
    const size_t mark = mesh_mark(m);
    mesh_addPrism(m, rect(2.5f, 2.5f), 2.2f, 0.55f, 0.2f, 0.2f);
    mesh_projectUvSince(m, mark, {-2.5f, 2.5f, 0}, {0.2f, 0, 0}, {0, -0.2f, 0});
    mesh_transformSince(m, 0, mat3_multiply(mat3_rotateX(15), mat3_rotateY(-20)), {0, 0, 0});
    return m;
}

// --- the logo: the game's name in block letters ---------------------------------------------

Mesh logo(const std::vector<uint8_t> &ttf)
{
    Mesh m;
    const int gold = mesh_addMaterial(m, "letters", rgb(1.0f, 0.8f, 0.35f), 0.5f, 0.6f, none, "data/logo.png");
    const int bar = mesh_addMaterial(m, "bar", rgb(0.3f, 0.9f, 1.0f), 0.3f, 0.3f, rgb(0.3f, 0.85f, 1.0f), "data/glow.png");
    const char *word = "TRELVIK";
    const int cellW = 10, cellH = 14, gap = 1;
    const int letters = 7, width = letters * (cellW + gap) - gap;
    std::vector<bool> filled(static_cast<size_t>(width * cellH), false);
    for (int k = 0; k < letters; ++k) {
        const GlyphMask glyph = font_renderCentred(ttf, word[k], 17, cellW, cellH);
        for (int y = 0; y < cellH; ++y)
            for (int x = 0; x < cellW; ++x)
                if (glyph.coverage[static_cast<size_t>(y * cellW + x)] > 0.45f)
                    filled[static_cast<size_t>(y * width + k * (cellW + gap) + x)] = true;
    }
    auto at = [&](int x, int y) { return x >= 0 && y >= 0 && x < width && y < cellH && filled[static_cast<size_t>(y * width + x)]; };
    const float h = 1.5f;
    mesh_beginGroup(m, "letters", gold);
    for (int y = 0; y < cellH; ++y)
        for (int x = 0; x < width; ++x) {
            if (!at(x, y))
                continue;
            const float x0 = static_cast<float>(x), x1 = x0 + 1, yt = -static_cast<float>(y), yb = yt - 1;
            const float s0 = x0 / width, s1 = x1 / width, t0 = static_cast<float>(y) / cellH, t1 = (y + 1.0f) / cellH;
            addQuad(m, {x0, yb, h}, {x1, yb, h}, {x1, yt, h}, {x0, yt, h}, {0, 0, 1}, {s0, t1}, {s1, t1}, {s1, t0}, {s0, t0});
            addQuad(m, {x0, yb, -h}, {x1, yb, -h}, {x1, yt, -h}, {x0, yt, -h}, {0, 0, -1}, {s0, t1}, {s1, t1}, {s1, t0}, {s0, t0});
            const Vec2 e0{s0, 0.9f}, e1{s1, 0.9f}, e2{s1, 1.0f}, e3{s0, 1.0f}; // sides take the darker foot of the picture
            if (!at(x - 1, y))
                addQuad(m, {x0, yb, -h}, {x0, yb, h}, {x0, yt, h}, {x0, yt, -h}, {-1, 0, 0}, e0, e1, e2, e3);
            if (!at(x + 1, y))
                addQuad(m, {x1, yb, -h}, {x1, yb, h}, {x1, yt, h}, {x1, yt, -h}, {1, 0, 0}, e0, e1, e2, e3);
            if (!at(x, y - 1))
                addQuad(m, {x0, yt, -h}, {x1, yt, -h}, {x1, yt, h}, {x0, yt, h}, {0, 1, 0}, e0, e1, e2, e3);
            if (!at(x, y + 1))
                addQuad(m, {x0, yb, -h}, {x1, yb, -h}, {x1, yb, h}, {x0, yb, h}, {0, -1, 0}, e0, e1, e2, e3);
        }
    mesh_beginGroup(m, "bar", bar);
    mesh_addBox(m, {0, -cellH - 2.2f, -1.0f}, {static_cast<float>(width), -cellH - 1.2f, 1.0f}, 0.2f, 0.1f);
    return m;
}

} // namespace

bool models_writeProps(const std::string &dir, const std::vector<uint8_t> &ttf, std::vector<ModelReport> &reports)
{
    bool ok = models_save(tower(), dir, "Building1.ms3d", 1.0f, reports);
    ok = models_save(officeBlock(), dir, "Building2UV.ms3d", 1.0f, reports) && ok;
    ok = models_save(shot(), dir, "Shot.ms3d", 3.0f, reports) && ok;
    ok = models_save(rocket(), dir, "RocketUV.ms3d", 1.5f, reports) && ok;
    ok = models_save(orb(rgb(1.0f, 0.25f, 0.5f), rgb(1.0f, 0.6f, 0.2f), 0.6f, 1.0f, 5), dir, "EShot.ms3d", 3.0f, reports) && ok;
    ok = models_save(orb(rgb(0.35f, 1.0f, 0.45f), rgb(0.8f, 1.0f, 0.6f), 0.8f, 1.35f, 8), dir, "EShot2.ms3d", 3.0f, reports) && ok;
    ok = models_save(powerUp("data/powerupf.png", rgb(1.0f, 0.55f, 0.15f), rgb(0.2f, 0.08f, 0)), dir, "PowerUpFUV.ms3d", 1.4f, reports) && ok;
    ok = models_save(powerUp("data/powerupr.png", rgb(0.3f, 1.0f, 0.45f), rgb(0.04f, 0.2f, 0.08f)), dir, "PowerUpRUV.ms3d", 1.4f, reports) && ok;
    ok = models_save(logo(ttf), dir, "test.ms3d", 1.5f, reports) && ok;
    return ok;
}
