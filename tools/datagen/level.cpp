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
    // Warm-up: single lanes, one small formation at a time, far apart.
    line(level, 4, 30, 3, 40);
    line(level, 10, -20, 3, 40);
    vee(level, 15, 5, 1, 26, 18);
    line(level, 20, 50, 3, 32);
    line(level, 21, -50, 3, 32);
    column(level, 25, 60, -40, 5, 24);
    mantas(level, 30, {{0, 40}, {45, -30}});

    // Walls with gaps, weaving trains, the first manta pairs.
    column(level, 36, -60, 60, 4);
    sineTrain(level, 41, 10, 40, 7, 26, 0);
    line(level, 47, 50, 2, 60);
    line(level, 48, -50, 2, 60);
    vee(level, 52, 35, 2, 22, 14);
    vee(level, 54, -35, 2, 22, 14);
    column(level, 59, -60, 60, 5);
    vee(level, 64, 20, 1, 24, 20);
    line(level, 66, -70, 4, 26);

    // Pincers, snakes and walls.
    column(level, 71, 70, 10, 5, 22);
    column(level, 71, -70, -10, 5, 22);
    line(level, 77, 0, 4, 36);
    sineTrain(level, 82, 35, 22, 7, 26, 0);
    sineTrain(level, 83, -35, 22, 7, 26, 3.1f);
    column(level, 89, -60, 60, 5);
    mantas(level, 95, {{0, 0}, {30, 40}, {30, -40}});
    line(level, 97, 45, 3, 30);
    line(level, 97, -45, 3, 30);
    grid(level, 103, 35, 3, 2, 26, 26);
    grid(level, 106, -40, 3, 2, 26, 26);

    // Fierce: staggered walls, a swarm, a great V and trains.
    column(level, 111, -60, 60, 5);
    column(level, 112.5f, -48, 48, 4);
    grid(level, 118, 45, 2, 2, 40, 24);
    grid(level, 119, -40, 2, 2, 40, 24);
    vee(level, 124, 0, 3, 22, 16);
    sineTrain(level, 131, 45, 15, 6, 28, 0);
    sineTrain(level, 133, -45, 15, 6, 28, 3.0f);
    column(level, 139, -60, 60, 5);
    line(level, 143, 0, 3, 30);
    line(level, 145, 50, 3, 30);
    line(level, 146, -50, 3, 30);
}

// The boss waits beyond the stop, fully in view once the camera halts; four fighters screen it
// and two more drift in high and low. Few mantas fly in this level: each carries a rocket one
// time in three, and rockets end the boss fight in seconds.
void bossArena(Level &level)
{
    level.entries.push_back({"BOSS1", cameraStop + 62, 0, shipDepth});
    enemy1(level, cameraStop + 10, 50);
    enemy1(level, cameraStop + 22, 15);
    enemy1(level, cameraStop + 22, -20);
    enemy1(level, cameraStop + 10, -55);
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
