// level.cpp -- designing the levels. Enemies drift left at only one unit a second, so the
// scrolling camera (50 units a second) is what brings them on: a wave placed for second T
// of the scroll enters the field's right edge T seconds after scrolling begins. The first level
// is the one the game began with; the later ones are drawn from a plan each, denser and fiercer
// level by level, with a sky, a skyline, a camera stop and a boss of their own.
#include "level.h"

#include "rng.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr float scrollSpeed = 50;
constexpr float fieldHalfWidth = 110;
constexpr float shipDepth = -100;
constexpr float level1Stop = 7600; // 152 s of scrolling
constexpr float tanHalfFov = 0.41421356f; // tan 22.5 degrees: the view's half height per unit of distance
constexpr float cameraZ = 100;

struct Entry {
    std::string keyword;
    float x, y, z;
};

struct Level {
    float cameraStop;
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
    const float cameraStop = level.cameraStop;
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
struct Row {
    float zNear, zFar, gapMin, gapMax, topMin, topMax; // roof height as a share of the half view
};

void skyline(Level &level, uint64_t seed, const std::vector<Row> &rows, float towerShare)
{
    struct Kind {
        const char *keyword;
        float halfHeight; // the model's box, centred on its origin
    };
    const Kind kinds[2] = {{"BUILDING1", 86.75f}, {"BUILDING2", 60.65f}};
    const float cameraStop = level.cameraStop;
    Rng rng = rng_new(seed);
    for (const Row &row : rows) {
        for (float x = -260 + rng_range(rng, 0, 40); x < cameraStop + 280; x += rng_range(rng, row.gapMin, row.gapMax)) {
            const Kind &kind = kinds[rng_uniform(rng) < towerShare ? 0 : 1];
            const float z = rng_range(rng, row.zFar, row.zNear);
            const float halfView = (cameraZ - z) * tanHalfFov;
            const float roof = rng_range(rng, row.topMin, row.topMax) * halfView;
            level.entries.push_back({kind.keyword, std::round(x), std::round(roof - kind.halfHeight), std::round(z)});
        }
    }
}

void city(Level &level)
{
    skyline(level, 8128, {{-300, -340, 45, 70, -0.62f, -0.3f}, {-150, -175, 55, 85, -0.9f, -0.62f}}, 0.45f);
}

// --- the later levels ----------------------------------------------------------------------

// What sets a later level apart: its sky, its city, its pace and its boss.
struct Plan {
    int number;
    const char *name;
    float look[3];     // LOOK: the colour of the air
    int bossEnergy;
    float cameraStop;
    uint64_t seed;     // the waves' own stream
    float gapFrom, gapTo; // seconds between formations, at the start and at the end of the scroll
    int sizeFrom, sizeTo; // fighters in a formation, at the start and at the end
    float mantaShare;  // share of the formations that are manta pairs
    // How often each kind of formation flies, by weight: from above, from below, pincer, screen,
    // column, V, sine train, grid, line.
    std::array<int, 9> mix;
    float bossOffset;  // the boss beyond the stop
    int escorts;       // fighters screening the boss
    uint64_t citySeed;
    std::vector<Row> rows;
    float towerShare;
};

// Fighters from above: a diagonal stream that enters high and sinks behind its leader.
void fromAbove(Level &level, float t, int n)
{
    column(level, t, 72, 72 - 12.0f * static_cast<float>(n), n, 24);
}

void fromBelow(Level &level, float t, int n)
{
    column(level, t, -72, -72 + 12.0f * static_cast<float>(n), n, 24);
}

// Two streams closing on the middle from the top and the bottom.
void pincer(Level &level, float t, int n)
{
    const int arm = (n + 1) / 2;
    column(level, t, 70, 70 - 14.0f * static_cast<float>(arm), arm, 22);
    column(level, t, -70, -70 + 14.0f * static_cast<float>(arm), arm, 22);
}

// A wall across the field with one gap, which the pilot must find or shoot open.
void screenWall(Level &level, float t, int n, Rng &rng)
{
    const int rows = std::max(3, std::min(n, 6));
    const int gap = rng_int(rng, 0, rows - 1);
    for (int r = 0; r < rows; ++r)
        if (r != gap)
            enemy1(level, entering(t), -65 + 130.0f * static_cast<float>(r) / static_cast<float>(rows - 1));
}

// The kind of formation drawn by the plan's weights.
int kindOf(const std::array<int, 9> &mix, Rng &rng)
{
    int total = 0;
    for (const int w : mix)
        total += w;
    int pick = rng_int(rng, 0, total - 1);
    int kind = 0;
    while (pick >= mix[static_cast<size_t>(kind)])
        pick -= mix[static_cast<size_t>(kind++)];
    return kind;
}

void formation(Level &level, float t, int n, const Plan &plan, Rng &rng)
{
    const float y = std::round(rng_range(rng, -45, 45));
    if (rng_uniform(rng) < plan.mantaShare) {
        mantas(level, t, {{0, std::round(rng_range(rng, 20, 55))}, {35, std::round(rng_range(rng, -55, -20))}});
        return;
    }
    switch (kindOf(plan.mix, rng)) {
    case 0: fromAbove(level, t, n); break;
    case 1: fromBelow(level, t, n); break;
    case 2: pincer(level, t, n); break;
    case 3: screenWall(level, t, n, rng); break;
    case 4: column(level, t, -60, 60, std::min(n, 5), 18); break;
    case 5: vee(level, t, y * 0.6f, std::max(1, (n - 1) / 2), 22, 15); break;
    case 6: sineTrain(level, t, y * 0.7f, 25, n, 26, rng_range(rng, 0, 6.28f)); break;
    case 7: grid(level, t, y * 0.6f, std::max(2, n / 2), 2, 28, 26); break;
    default: line(level, t, y, n, 30); break;
    }
}

void plannedWaves(Level &level, const Plan &plan)
{
    Rng rng = rng_new(plan.seed);
    const float end = plan.cameraStop / scrollSpeed - 6;
    // A gentle opening: single lines, far apart, for the first twenty seconds.
    for (float t = 4; t < 20; t += 6)
        line(level, t, std::round(rng_range(rng, -50, 50)), 3, 36);
    for (float t = 22; t < end;) {
        const float k = (t - 22) / (end - 22);
        const int n = plan.sizeFrom + static_cast<int>(std::round(k * static_cast<float>(plan.sizeTo - plan.sizeFrom)));
        formation(level, t, n, plan, rng);
        t += plan.gapFrom + (plan.gapTo - plan.gapFrom) * k + rng_range(rng, -0.5f, 0.5f);
    }
}

void plannedArena(Level &level, const Plan &plan)
{
    const float stop = plan.cameraStop;
    level.entries.push_back({"BOSS1", stop + plan.bossOffset, 0, shipDepth});
    const float heights[] = {50, -55, 15, -20, 72, -72, 35, -38};
    for (int i = 0; i < plan.escorts && i < 8; ++i)
        enemy1(level, stop + (i < 4 ? (i % 2 == 0 ? 10.0f : 22.0f) : 96.0f + 8.0f * static_cast<float>(i - 4)),
               heights[i]);
}

// The pace of the campaign, as the autopilots fly it: levels 2 to 4 cost a pair of steady pilots
// about a life each, so that the lives they carry, one more for each level won, see them through
// level 5 now and then; level 5 is the test. What a formation costs depends on who flies: grids
// and V's catch a pair, whose ships cross each other's lanes, far more often than a lone ship,
// while lines, pincers and manta pairs are a lone ship's end and hardly trouble two. A lone ship's
// boss fight lasts twice as long, so the bosses hold to about 16 s for a pair (15 s at least).
const std::vector<Plan> &plans()
{
    static const std::vector<Plan> all = {
        {2, "SUNSET", {0.75f, 0.45f, 0.32f}, 6000, 7800, 201, 5.0f, 3.8f, 3, 6, 0.10f, {1, 1, 0, 1, 1, 2, 1, 2, 0}, 62, 4,
         2002, {{-320, -360, 45, 70, -0.5f, -0.2f}, {-160, -190, 60, 90, -0.85f, -0.55f}}, 0.6f},
        {3, "NIGHTFALL", {0.10f, 0.12f, 0.28f}, 6000, 8100, 302, 5.0f, 3.8f, 4, 6, 0.10f, {1, 1, 0, 2, 0, 2, 1, 2, 0}, 66, 2,
         3003, {{-280, -330, 30, 50, -0.4f, -0.1f}}, 0.8f},
        {4, "TEMPEST", {0.36f, 0.40f, 0.40f}, 6000, 8400, 403, 4.6f, 3.4f, 4, 7, 0.08f, {0, 1, 0, 2, 1, 1, 2, 3, 0}, 70, 2,
         4004, {{-300, -340, 60, 90, -0.7f, -0.45f}, {-150, -175, 70, 110, -0.95f, -0.75f}}, 0.3f},
        {5, "DAYBREAK", {0.85f, 0.68f, 0.72f}, 6000, 8700, 504, 3.8f, 2.7f, 5, 8, 0.0f, {0, 1, 0, 1, 0, 1, 1, 6, 0}, 72, 6,
         5005, {{-330, -370, 50, 75, -0.55f, -0.25f}, {-160, -185, 60, 90, -0.9f, -0.65f}}, 0.5f},
    };
    return all;
}

bool writeLevel(const std::string &path, const std::string &header, const Level &level, LevelSummary &summary)
{
    std::FILE *file = std::fopen(path.c_str(), "w");
    if (file == nullptr) {
        std::fprintf(stderr, "datagen: cannot write %s\n", path.c_str());
        return false;
    }
    std::fputs(header.c_str(), file);
    summary = LevelSummary{};
    summary.cameraStop = level.cameraStop;
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

} // namespace

bool level_write(const std::string &path, LevelSummary &summary)
{
    Level level{level1Stop, {}};
    city(level);
    waves(level);
    bossArena(level);
    char header[64];
    std::snprintf(header, sizeof header, "LEVEL: 1 METROPOLIS\nCAMERASTOP: %.0f\n", level1Stop);
    return writeLevel(path, header, level, summary);
}

int level_laterCount()
{
    return static_cast<int>(plans().size());
}

bool level_writeLater(const std::string &dir, int index, LevelSummary &summary)
{
    const Plan &plan = plans().at(static_cast<size_t>(index));
    Level level{plan.cameraStop, {}};
    skyline(level, plan.citySeed, plan.rows, plan.towerShare);
    plannedWaves(level, plan);
    plannedArena(level, plan);
    char header[160];
    std::snprintf(header, sizeof header, "LEVEL: %d %s\nCAMERASTOP: %.0f\nLOOK %.2f %.2f %.2f\nBOSSENERGY %d 0 0\n",
                  plan.number, plan.name, plan.cameraStop, static_cast<double>(plan.look[0]),
                  static_cast<double>(plan.look[1]), static_cast<double>(plan.look[2]), plan.bossEnergy);
    const bool ok = writeLevel(dir + "/level" + std::to_string(plan.number) + ".map", header, level, summary);
    summary.number = plan.number;
    return ok;
}
