// level.cpp -- designing the level. Enemies drift left at only one unit a second, so the
// scrolling camera (50 units a second) is what brings them on: a wave placed for second T
// of the scroll enters the field's right edge T seconds after scrolling begins.
#include "level.h"

#include "rng.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr float scrollSpeed = 50;
constexpr float fieldHalfWidth = 110;
constexpr float shipDepth = -100;
constexpr float cameraStop = 7600; // 152 s of scrolling
constexpr float tanHalfFov = 0.41421356f; // tan 22.5 degrees: the view's half height per unit of distance
constexpr float cameraZ = 100;

struct Entry {
    std::string keyword;
    float x, y, z;
};

struct Level {
    std::vector<Entry> entries;
};

// The x at which something shows at the right edge T seconds into the scroll.
float entering(float seconds) { return seconds * (scrollSpeed + 1) + fieldHalfWidth + 12; }

void enemy1(Level &level, float x, float y) { level.entries.push_back({"ENEMY1", x, y, shipDepth}); }
void enemy2(Level &level, float x, float y) { level.entries.push_back({"ENEMY2", x, y, shipDepth}); }

// --- formations ----------------------------------------------------------------------------

void line(Level &level, float t, float y, int n, float spacing, bool second = false)
{
    for (int i = 0; i < n; ++i)
        (second ? enemy2 : enemy1)(level, entering(t) + spacing * static_cast<float>(i), y);
}

void column(Level &level, float t, float y0, float y1, int n, float dx = 0)
{
    for (int i = 0; i < n; ++i) {
        const float k = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.5f;
        enemy1(level, entering(t) + dx * static_cast<float>(i), y0 + (y1 - y0) * k);
    }
}

// A V whose point leads: the point at height y, arms spread by dy for every dx behind.
void vee(Level &level, float t, float y, int arms, float dx, float dy)
{
    enemy1(level, entering(t), y);
    for (int i = 1; i <= arms; ++i) {
        enemy1(level, entering(t) + dx * static_cast<float>(i), y + dy * static_cast<float>(i));
        enemy1(level, entering(t) + dx * static_cast<float>(i), y - dy * static_cast<float>(i));
    }
}

void sineTrain(Level &level, float t, float y, float amplitude, int n, float dx, float phase)
{
    for (int i = 0; i < n; ++i)
        enemy1(level, entering(t) + dx * static_cast<float>(i), y + amplitude * std::sin(phase + 0.8f * static_cast<float>(i)));
}

void grid(Level &level, float t, float y, int cols, int rows, float dx, float dy)
{
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r)
            enemy1(level, entering(t) + dx * static_cast<float>(c), y + dy * (static_cast<float>(r) - (rows - 1) * 0.5f));
}

void mantas(Level &level, float t, const std::vector<std::pair<float, float>> &offsets)
{
    for (const auto &[dx, y] : offsets)
        enemy2(level, entering(t) + dx, y);
}

// --- the waves, gentle to fierce -------------------------------------------------------------

void waves(Level &level)
{
    // Warm-up: single lanes, one formation at a time.
    line(level, 3, 30, 4, 30);
    line(level, 8, -20, 4, 30);
    vee(level, 13, 5, 2, 22, 16);
    line(level, 19, 50, 3, 28);
    line(level, 19.5f, -50, 3, 28);
    column(level, 24, 60, -40, 6, 22);
    mantas(level, 30, {{0, 40}, {45, -30}});

    // Walls with gaps, weaving trains, the first manta squads.
    column(level, 36, -60, 60, 5);
    sineTrain(level, 41, 10, 40, 8, 24, 0);
    mantas(level, 47, {{0, 50}, {30, 0}, {60, -50}});
    vee(level, 52, 35, 2, 22, 14);
    vee(level, 53, -35, 2, 22, 14);
    column(level, 58, -65, 65, 6);
    column(level, 58.9f, -52, 52, 5);
    mantas(level, 64, {{0, 55}, {35, 20}, {70, -15}, {105, -50}});
    line(level, 65, -70, 4, 26);

    // Pincers, snakes and double walls.
    column(level, 70, 70, 10, 6, 20);
    column(level, 70, -70, -10, 6, 20);
    line(level, 76, 0, 5, 36, true);
    sineTrain(level, 82, 35, 22, 8, 24, 0);
    sineTrain(level, 82, -35, 22, 8, 24, 3.1f);
    column(level, 89, -66, 66, 7);
    column(level, 89.7f, -44, 66, 6);
    mantas(level, 95, {{0, 0}, {30, 30}, {30, -30}, {60, 60}, {60, -60}});
    line(level, 96, 45, 3, 30);
    line(level, 96, -45, 3, 30);
    grid(level, 102, 35, 3, 3, 24, 24);
    grid(level, 104, -40, 3, 3, 24, 24);

    // Fierce: staggered walls, swarms, a great V and three trains at once.
    column(level, 110, -65, 65, 6);
    column(level, 110.7f, -50, 50, 5);
    column(level, 111.4f, -65, 65, 6);
    mantas(level, 118, {{0, 45}, {30, 45}, {60, 45}, {90, 45}, {15, -40}, {45, -40}, {75, -40}, {105, -40}});
    vee(level, 125, 0, 4, 20, 15);
    mantas(level, 127, {{0, 50}, {0, -50}});
    sineTrain(level, 132, 50, 15, 7, 26, 0);
    sineTrain(level, 132.5f, 0, 15, 7, 26, 1.5f);
    sineTrain(level, 133, -50, 15, 7, 26, 3.0f);
    column(level, 139, -66, 66, 7);
    mantas(level, 139.5f, {{30, 35}, {30, -35}});
    column(level, 140.5f, -55, 55, 6);
}

// The boss waits beyond the stop, fully in view once the camera halts; mantas screen it and
// two fighters drift in high and low.
void bossArena(Level &level)
{
    level.entries.push_back({"BOSS1", cameraStop + 62, 0, shipDepth});
    enemy2(level, cameraStop + 10, 50);
    enemy2(level, cameraStop + 22, 15);
    enemy2(level, cameraStop + 22, -20);
    enemy2(level, cameraStop + 10, -55);
    enemy1(level, cameraStop + 96, 72);
    enemy1(level, cameraStop + 96, -72);
}

// The city: two rows of buildings behind the flight path, their feet below the picture's
// lower edge and their roofs at varied heights in its lower part.
void city(Level &level)
{
    struct Kind {
        const char *keyword;
        float halfHeight; // the model's box, centred on its origin
    };
    const Kind kinds[2] = {{"BUILDING1", 86.75f}, {"BUILDING2", 60.65f}};
    struct Row {
        float zNear, zFar, gapMin, gapMax, topMin, topMax; // roof height as a share of the half view
    };
    const Row rows[2] = {{-300, -340, 45, 70, -0.62f, -0.3f}, {-150, -175, 55, 85, -0.9f, -0.62f}};
    Rng rng = rng_new(8128);
    for (const Row &row : rows) {
        for (float x = -260 + rng_range(rng, 0, 40); x < cameraStop + 280; x += rng_range(rng, row.gapMin, row.gapMax)) {
            const Kind &kind = kinds[rng_uniform(rng) < 0.45f ? 0 : 1];
            const float z = rng_range(rng, row.zFar, row.zNear);
            const float halfView = (cameraZ - z) * tanHalfFov;
            const float roof = rng_range(rng, row.topMin, row.topMax) * halfView;
            level.entries.push_back({kind.keyword, std::round(x), std::round(roof - kind.halfHeight), std::round(z)});
        }
    }
}

} // namespace

bool level_write(const std::string &path, LevelSummary &summary)
{
    Level level;
    city(level);
    waves(level);
    bossArena(level);

    std::FILE *file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
        return false;
    }
    std::fprintf(file, "LEVEL: 1 METROPOLIS\n");
    std::fprintf(file, "CAMERASTOP: %.0f\n", cameraStop);
    summary = LevelSummary{};
    summary.cameraStop = cameraStop;
    for (const Entry &e : level.entries) {
        std::fprintf(file, "%s %.1f %.1f %.1f\n", e.keyword.c_str(), e.x, e.y, e.z);
        summary.enemy1 += e.keyword == "ENEMY1";
        summary.enemy2 += e.keyword == "ENEMY2";
        summary.buildings += e.keyword.rfind("BUILDING", 0) == 0;
        summary.bosses += e.keyword == "BOSS1";
    }
    const bool ok = std::fclose(file) == 0;
    if (!ok)
        std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
    return ok;
}
