// models_ships.cpp -- the two players' ships, the two enemies and the boss, plus the helpers
// all model builders share.
#include "models.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr float pi = 3.14159265358979f;
constexpr float shipTilt = 25; // degrees the top of every craft leans towards the viewer

Vec3 rgb(float r, float g, float b) { return {r, g, b}; }
const Vec3 none{0, 0, 0};

// A flat badge facing `normal` (a unit vector), centred at c: a hexagon of radius r.
void addBadge(Mesh &mesh, Vec3 c, Vec3 normal, float r)
{
    const Vec3 u = vec3_normalize(vec3_cross({0, 1, 0}, normal));
    const Vec3 v = vec3_cross(normal, u);
    Vec3 pts[6];
    for (int k = 0; k < 6; ++k) {
        const float a = static_cast<float>(k) * pi / 3.0f;
        pts[k] = c + u * (r * 1.5f * std::cos(a)) + v * (r * std::sin(a));
    }
    for (int k = 1; k < 5; ++k) {
        auto uv = [&](Vec3 p) { return Vec2{0.5f + vec3_dot(p - c, u) / (3 * r), 0.5f - vec3_dot(p - c, v) / (2 * r)}; };
        const MeshCorner a{pts[0], normal, uv(pts[0]).x, uv(pts[0]).y};
        const MeshCorner b{pts[k], normal, uv(pts[k]).x, uv(pts[k]).y};
        const MeshCorner d{pts[k + 1], normal, uv(pts[k + 1]).x, uv(pts[k + 1]).y};
        mesh_addTriangle(mesh, a, b, d);
    }
}

// --- the first player: a slim blue-white interceptor with a swept delta and twin fins ----

Mesh player()
{
    Mesh m;
    const int hull = mesh_addMaterial(m, "hull", rgb(0.78f, 0.86f, 1.0f), 0.5f, 0.55f, none, "data/hull.png");
    const int accent = mesh_addMaterial(m, "accent", rgb(1.0f, 0.28f, 0.22f), 0.5f, 0.6f, rgb(0.1f, 0, 0), "data/hull.png");
    const int canopy = mesh_addMaterial(m, "canopy", rgb(0.25f, 0.55f, 1.0f), 0.45f, 0.6f, rgb(0.05f, 0.14f, 0.3f), "data/glow.png");
    const int engine = mesh_addMaterial(m, "engine", rgb(0.4f, 0.9f, 1.0f), 0.3f, 0.2f, rgb(0.45f, 0.85f, 1.0f), "data/glow.png");
    // The sky box is drawn after this ship every frame and takes the last material and
    // normal it leaves behind: the badge is a neutral light grey that faces the viewer,
    // so the sky and the ground show their own colours.
    const int badge = mesh_addMaterial(m, "badge", rgb(1, 1, 1), 0.55f, 0.5f, none, "data/glow.png");

    mesh_beginGroup(m, "fuselage", hull);
    models_addHull(m, {{-7.0f, 0.75f, 0.85f, 0.1f}, {-6.2f, 1.0f, 1.1f, 0.1f}, {-3.0f, 1.15f, 1.25f, 0.1f},
                       {0.0f, 1.05f, 1.1f, 0.05f}, {2.5f, 0.8f, 0.8f, -0.05f}, {4.8f, 0.5f, 0.45f, -0.15f},
                       {6.5f, 0.2f, 0.18f, -0.2f}, {7.3f, 0, 0, -0.2f}},
                   models_polygon(8, true), true, 2, 2);
    mesh_beginGroup(m, "wings", hull);
    models_addWing(m, {{1.0f, 0.5f}, {-3.6f, 6.0f}, {-4.9f, 6.0f}, {-5.0f, 0.5f}}, 0.32f, 0.08f, -0.2f, 0, 8, true);
    models_addWing(m, {{-4.4f, 0.6f}, {-6.8f, 0.6f}, {-7.5f, 3.1f}, {-6.4f, 3.1f}}, 0.25f, 0.05f, 0.35f, 0.75f, 72, true);
    mesh_beginGroup(m, "trim", accent);
    const size_t pods = mesh_mark(m);
    const float tipY = -0.2f + 6.0f * std::sin(8 * pi / 180), tipZ = 6.0f * std::cos(8 * pi / 180);
    mesh_addEllipsoid(m, {-4.0f, tipY, tipZ}, {1.5f, 0.26f, 0.26f}, 8, 6);
    mesh_mirrorZSince(m, pods);
    models_addHull(m, {{5.6f, 0.36f, 0.33f, -0.18f}, {6.5f, 0.21f, 0.19f, -0.2f}, {7.35f, 0, 0, -0.2f}},
                   models_polygon(8, true), true, 1, 1);
    mesh_beginGroup(m, "canopy", canopy);
    mesh_addEllipsoid(m, {1.3f, 0.85f, 0}, {2.4f, 0.65f, 0.6f}, 10, 8);
    mesh_beginGroup(m, "engine", engine);
    mesh_addEllipsoid(m, {-7.0f, 0.1f, 0}, {0.3f, 0.68f, 0.78f}, 10, 6);

    mesh_orient(m, false, shipTilt);
    mesh_beginGroup(m, "badge", badge);
    addBadge(m, {-2.6f, 0.02f, 1.3f}, {0, 0, 1}, 0.38f);
    return m;
}

// --- the second player: a heavy orange gunship with engine pods and a tall fin --------------

Mesh heavyFighter()
{
    Mesh m;
    const int body = mesh_addMaterial(m, "body", rgb(1.0f, 0.6f, 0.2f), 0.5f, 0.55f, none, "data/hull.png");
    const int dark = mesh_addMaterial(m, "dark", rgb(0.45f, 0.45f, 0.52f), 0.5f, 0.55f, none, "data/hull.png");
    const int canopy = mesh_addMaterial(m, "canopy", rgb(0.35f, 1.0f, 0.45f), 0.45f, 0.6f, rgb(0.05f, 0.22f, 0.08f), "data/glow.png");
    const int engine = mesh_addMaterial(m, "engine", rgb(1.0f, 0.6f, 0.2f), 0.3f, 0.2f, rgb(1.0f, 0.6f, 0.2f), "data/glow.png");

    mesh_beginGroup(m, "body", body);
    models_addHull(m, {{-6.6f, 1.2f, 1.5f, 0.2f}, {-5.5f, 1.55f, 1.85f, 0.2f}, {-1.0f, 1.7f, 2.0f, 0.2f},
                       {2.5f, 1.45f, 1.6f, 0.0f}, {5.0f, 1.0f, 1.1f, -0.3f}, {6.6f, 0.55f, 0.6f, -0.5f}},
                   models_polygon(6, true), true, 2, 2);
    models_addWing(m, {{0.5f, 1.5f}, {-4.5f, 1.5f}, {-4.2f, 5.3f}, {-1.2f, 5.3f}}, 0.45f, 0.1f, -0.3f, 0, -6, true);
    models_addWing(m, {{-2.8f, 1.0f}, {-6.4f, 1.0f}, {-7.2f, 3.9f}, {-5.8f, 3.9f}}, 0.4f, 0.1f, 0.4f, 0, 90, false);
    mesh_beginGroup(m, "pods", dark);
    const size_t pods = mesh_mark(m);
    models_addHull(m, {{-7.0f, 0.8f, 0.8f, -0.5f}, {-6.3f, 0.95f, 0.95f, -0.5f}, {-1.0f, 0.95f, 0.95f, -0.5f},
                       {0.6f, 0.55f, 0.55f, -0.5f}, {1.3f, 0, 0, -0.5f}},
                   models_polygon(8, true), true, 2, 1);
    mesh_transformSince(m, pods, mat3_identity(), {0, 0, 3.0f});
    mesh_mirrorZSince(m, pods);
    models_addWing(m, {{5.1f, 1.0f}, {3.6f, 1.0f}, {3.3f, 3.0f}, {4.0f, 3.0f}}, 0.22f, 0.05f, -0.2f, 0, 0, true);
    const size_t guns = mesh_mark(m);
    models_addHull(m, {{3.0f, 0.2f, 0.2f, -1.05f}, {7.4f, 0.17f, 0.17f, -1.05f}}, models_polygon(6, false), true, 1, 1);
    mesh_transformSince(m, guns, mat3_identity(), {0, 0, 0.75f});
    mesh_mirrorZSince(m, guns);
    mesh_beginGroup(m, "canopy", canopy);
    models_addHull(m, {{0.0f, 0.15f, 0.5f, 1.55f}, {0.8f, 0.6f, 0.85f, 1.6f}, {3.2f, 0.45f, 0.75f, 1.45f},
                       {4.3f, 0.08f, 0.3f, 1.2f}},
                   models_polygon(6, true), true, 1, 1);
    mesh_beginGroup(m, "engines", engine);
    const size_t glow = mesh_mark(m);
    mesh_addEllipsoid(m, {-7.05f, -0.5f, 3.0f}, {0.3f, 0.7f, 0.7f}, 10, 6);
    mesh_mirrorZSince(m, glow);
    mesh_addEllipsoid(m, {-6.65f, 0.2f, 0}, {0.25f, 1.0f, 1.2f}, 10, 6);

    mesh_orient(m, false, shipTilt);
    return m;
}

// --- the first enemy: a crimson fighter with forward-swept blades and a glowing eye --------

Mesh enemyFighter()
{
    Mesh m;
    const int body = mesh_addMaterial(m, "body", rgb(0.95f, 0.2f, 0.32f), 0.5f, 0.55f, none, "data/hull.png");
    const int blades = mesh_addMaterial(m, "blades", rgb(0.42f, 0.36f, 0.5f), 0.5f, 0.55f, none, "data/hull.png");
    const int eye = mesh_addMaterial(m, "eye", rgb(0.8f, 1.0f, 0.2f), 0.3f, 0.3f, rgb(0.75f, 0.95f, 0.15f), "data/glow.png");
    const int engine = mesh_addMaterial(m, "engine", rgb(1.0f, 0.35f, 0.85f), 0.3f, 0.2f, rgb(1.0f, 0.35f, 0.85f), "data/glow.png");

    mesh_beginGroup(m, "body", body);
    models_addHull(m, {{-4.5f, 0.6f, 0.8f, 0}, {-3.5f, 1.1f, 1.3f, 0}, {0.0f, 1.3f, 1.4f, 0}, {2.5f, 0.85f, 0.9f, -0.1f},
                       {4.5f, 0.3f, 0.3f, -0.2f}, {5.6f, 0, 0, -0.2f}},
                   models_polygon(4, false), true, 2, 2);
    models_addWing(m, {{-1.0f, -0.4f}, {-4.0f, -0.4f}, {-4.6f, -2.3f}, {-3.0f, -2.3f}}, 0.25f, 0.05f, 0, 0, 90, false);
    mesh_beginGroup(m, "blades", blades);
    models_addWing(m, {{-3.5f, 0.6f}, {-0.5f, 0.6f}, {3.0f, 6.0f}, {2.2f, 6.7f}, {0.0f, 5.0f}}, 0.3f, 0.07f, 0.1f, 0, 12,
                   true);
    mesh_beginGroup(m, "eye", eye);
    mesh_addEllipsoid(m, {2.6f, 0.6f, 0}, {1.0f, 0.38f, 0.5f}, 10, 6);
    mesh_beginGroup(m, "engine", engine);
    mesh_addEllipsoid(m, {-4.55f, 0, 0}, {0.25f, 0.5f, 0.65f}, 8, 6);

    mesh_orient(m, true, shipTilt);
    return m;
}

// --- the second enemy: a broad violet manta with a green dome and two mandibles ------------

Mesh enemyManta()
{
    Mesh m;
    const int skin = mesh_addMaterial(m, "skin", rgb(0.72f, 0.42f, 1.0f), 0.55f, 0.5f, none, "data/enemy4.png");
    const int dark = mesh_addMaterial(m, "dark", rgb(0.38f, 0.33f, 0.45f), 0.5f, 0.55f, none, "data/enemy4.png");
    const int dome = mesh_addMaterial(m, "dome", rgb(0.3f, 1.0f, 0.5f), 0.4f, 0.5f, rgb(0.15f, 0.6f, 0.25f), "data/glow.png");
    const int lights = mesh_addMaterial(m, "lights", rgb(1.0f, 0.3f, 0.9f), 0.3f, 0.2f, rgb(1.0f, 0.3f, 0.9f), "data/glow.png");

    mesh_beginGroup(m, "hull", skin);
    const size_t hull = mesh_mark(m);
    models_addHull(m, {{-16.0f, 1.0f, 5.0f, 0}, {-13.0f, 2.2f, 10.0f, 0}, {-6.0f, 3.2f, 14.0f, 0},
                       {2.0f, 3.0f, 13.5f, 0}, {9.0f, 2.2f, 10.0f, 0}, {14.0f, 1.2f, 5.5f, 0}, {16.5f, 0, 0, 0}},
                   mesh_ellipse(1, 1, 16), false, 1, 1);
    // Seen from above: the chevrons run along the body.
    mesh_projectUvSince(m, hull, {-16.5f, 0, -14}, {1.0f / 33.0f, 0, 0}, {0, 0, 1.0f / 28.0f});
    mesh_beginGroup(m, "mandibles", dark);
    models_addWing(m, {{12.0f, 3.0f}, {22.0f, 4.5f}, {21.0f, 6.5f}, {13.0f, 8.0f}}, 1.4f, 0.3f, 0, 0, 0, true);
    models_addWing(m, {{-8.0f, 2.5f}, {-15.0f, 2.5f}, {-18.0f, 7.0f}, {-14.0f, 7.0f}}, 0.8f, 0.2f, 0, 6.0f, 70, true);
    mesh_beginGroup(m, "dome", dome);
    mesh_addEllipsoid(m, {1.0f, 2.4f, 0}, {5.0f, 2.4f, 4.5f}, 12, 8);
    mesh_beginGroup(m, "lights", lights);
    const size_t lamps = mesh_mark(m);
    for (int k = 0; k < 3; ++k)
        mesh_addEllipsoid(m, {-7.0f + 5.0f * static_cast<float>(k), 0.6f, 13.2f - 0.4f * static_cast<float>(k)},
                          {1.0f, 0.5f, 0.6f}, 8, 5);
    mesh_mirrorZSince(m, lamps);

    mesh_orient(m, true, shipTilt);
    return m;
}

// --- the boss: an armoured battleship with jaws round a green cannon core ------------------

Mesh boss()
{
    Mesh m;
    const int armour = mesh_addMaterial(m, "armour", rgb(0.62f, 0.68f, 0.8f), 0.55f, 0.55f, none, "data/boss.png");
    const int dark = mesh_addMaterial(m, "dark", rgb(0.34f, 0.31f, 0.4f), 0.5f, 0.55f, none, "data/boss.png");
    const int red = mesh_addMaterial(m, "red", rgb(1.0f, 0.25f, 0.2f), 0.5f, 0.55f, rgb(0.1f, 0, 0), "data/boss.png");
    const int core = mesh_addMaterial(m, "core", rgb(0.3f, 1.0f, 0.4f), 0.4f, 0.4f, rgb(0.3f, 0.95f, 0.4f), "data/glow.png");
    const int engine = mesh_addMaterial(m, "engine", rgb(1.0f, 0.4f, 0.9f), 0.3f, 0.2f, rgb(1.0f, 0.4f, 0.9f), "data/glow.png");
    const int windows = mesh_addMaterial(m, "windows", rgb(1.0f, 0.95f, 0.6f), 0.4f, 0.3f, rgb(0.8f, 0.75f, 0.4f), "data/glow.png");

    const Vec3 sAxis{1.0f / 32.0f, 0, 0}, tAxis{0, -1.0f / 16.0f, 0};
    mesh_beginGroup(m, "hull", armour);
    const size_t hull = mesh_mark(m);
    models_addHull(m, {{-14.0f, 4.0f, 5.0f, 0}, {-12.0f, 5.0f, 6.5f, 0}, {-2.0f, 5.5f, 7.0f, 0}, {6.0f, 4.6f, 6.0f, 0},
                       {11.0f, 3.2f, 4.2f, 0}, {13.5f, 2.2f, 3.0f, 0}},
                   models_polygon(6, true), true, 1, 1);
    mesh_addBox(m, {-6.0f, 4.6f, -2.6f}, {2.0f, 8.4f, 2.6f}, 0.4f, 0.1f);
    models_addWing(m, {{-6.0f, 4.0f}, {-13.0f, 4.0f}, {-15.0f, 10.0f}, {-11.0f, 10.0f}}, 1.0f, 0.25f, 0, 0, 90, false);
    models_addWing(m, {{-6.0f, 4.0f}, {-12.0f, 4.0f}, {-14.0f, 8.5f}, {-10.5f, 8.5f}}, 1.0f, 0.25f, 0, 0, -90, false);
    mesh_projectUvSince(m, hull, {-16, 10, 0}, sAxis, tAxis);

    mesh_beginGroup(m, "plates", dark);
    const size_t plates = mesh_mark(m);
    mesh_addBox(m, {-10.0f, -3.0f, 6.4f}, {6.0f, 3.0f, 7.6f}, 0.5f, 0.1f);
    mesh_mirrorZSince(m, plates); // a side plate on each flank
    mesh_addBox(m, {-17.0f, -3.6f, -5.0f}, {-13.0f, 3.6f, 5.0f}, 0.6f, 0.1f);
    mesh_addPrism(m, {{11.0f, 1.2f}, {19.0f, 2.2f}, {18.5f, 3.6f}, {11.0f, 4.6f}}, 5.0f, 0.4f, 0.1f, 0.1f);
    mesh_addPrism(m, {{11.0f, -1.2f}, {19.0f, -2.2f}, {18.5f, -3.6f}, {11.0f, -4.6f}}, 5.0f, 0.4f, 0.1f, 0.1f);
    for (float tx : {4.0f, -9.0f}) {
        mesh_addEllipsoid(m, {tx, 5.2f, 0}, {1.8f, 1.2f, 1.8f}, 10, 6);
        models_addHull(m, {{tx, 0.3f, 0.3f, 5.7f}, {tx + 5.0f, 0.25f, 0.25f, 5.7f}}, models_polygon(6, false), true, 1, 1);
    }
    mesh_projectUvSince(m, plates, {-16, 10, 0}, sAxis, tAxis);
    mesh_beginGroup(m, "stripes", red);
    const size_t stripes = mesh_mark(m);
    mesh_addBox(m, {-9.0f, 1.6f, 7.5f}, {5.0f, 2.3f, 7.9f}, 0.1f, 0.1f);
    mesh_addPrism(m, {{18.0f, 2.3f}, {19.3f, 2.25f}, {18.9f, 3.5f}, {18.0f, 3.6f}}, 5.2f, 0.2f, 0.1f, 0.1f);
    mesh_addPrism(m, {{18.0f, -2.3f}, {19.3f, -2.25f}, {18.9f, -3.5f}, {18.0f, -3.6f}}, 5.2f, 0.2f, 0.1f, 0.1f);
    mesh_mirrorZSince(m, stripes);
    mesh_beginGroup(m, "core", core);
    mesh_addEllipsoid(m, {15.5f, 0, 0}, {2.6f, 1.7f, 1.7f}, 12, 8);
    mesh_beginGroup(m, "windows", windows);
    mesh_addBox(m, {-1.0f, 6.9f, -2.7f}, {1.8f, 7.6f, 2.7f}, 0.05f, 0.1f);
    mesh_beginGroup(m, "engines", engine);
    for (float z : {-3.0f, 0.0f, 3.0f})
        mesh_addEllipsoid(m, {-17.2f, 0, z}, {0.5f, 1.3f, 1.3f}, 10, 6);

    mesh_transformSince(m, 0, mat3_scale(0.85f, 0.85f, 0.85f), {0, 0, 0});
    mesh_orient(m, true, 20);
    return m;
}

} // namespace

std::vector<Vec2> models_polygon(int n, bool flatTop)
{
    std::vector<Vec2> pts;
    const float offset = flatTop ? pi / static_cast<float>(n) : 0.0f;
    for (int k = 0; k < n; ++k) {
        const float a = offset + 2 * pi * static_cast<float>(k) / static_cast<float>(n);
        pts.push_back({std::cos(a), std::sin(a)});
    }
    return pts;
}

void models_addHull(Mesh &mesh, const std::vector<Station> &stations, const std::vector<Vec2> &outline, bool faceted,
                    float sRepeat, float tRepeat)
{
    std::vector<LoftRing> rings;
    for (const Station &s : stations)
        rings.push_back(mesh_ring(s.x, outline, s.ry, s.rz, s.dy, 0));
    LoftOptions options;
    options.smoothAround = !faceted;
    options.sRepeat = sRepeat;
    options.tRepeat = tRepeat;
    mesh_addLoft(mesh, rings, options);
}

void models_addWing(Mesh &mesh, const std::vector<Vec2> &planform, float thickness, float bevel, float rootY,
                    float rootZ, float raise, bool pair)
{
    const size_t mark = mesh_mark(mesh);
    mesh_addPrism(mesh, planform, thickness, bevel, 0.15f, 0.15f);
    mesh_transformSince(mesh, mark, mat3_rotateX(90 - raise), {0, rootY, rootZ});
    if (pair)
        mesh_mirrorZSince(mesh, mark);
}

bool models_save(Mesh mesh, const std::string &dir, const std::string &file, float scale,
                 std::vector<ModelReport> &reports)
{
    mesh_centre(mesh);
    const int inverted = mesh_countInvertedTriangles(mesh);
    if (inverted > 0) {
        std::fprintf(stderr, "datagen: %s has %d triangles wound against their normals\n", file.c_str(), inverted);
        return false;
    }
    ModelReport report{file, scale, {}, {}, mesh.triangles.size()};
    mesh_bounds(mesh, report.min, report.max);
    reports.push_back(report);
    return ms3d_writeFile(mesh_toMs3d(mesh), dir + "/" + file);
}

bool models_writeShips(const std::string &dir, std::vector<ModelReport> &reports)
{
    bool ok = models_save(player(), dir, "Player.ms3d", 1.2f, reports);
    ok = models_save(heavyFighter(), dir, "HeavyFighter.ms3d", 1.3f, reports) && ok;
    ok = models_save(enemyFighter(), dir, "Enemy5.ms3d", 1.5f, reports) && ok;
    ok = models_save(enemyManta(), dir, "Enemy4UV.ms3d", 0.45f, reports) && ok;
    ok = models_save(boss(), dir, "Enemy3UV.ms3d", 2.3f, reports) && ok;
    return ok;
}
