// contrast_bench.cpp -- how well the ships, the enemies, the shots and the power-ups stand out from
// what lies behind them, in frames of each level. Each level is flown by the steady autopilots
// from seed 1 at 60 game frames a second up to a second of play, then one actor of every kind
// that can be met in play is set in front of the camera beside whatever the flight left there,
// and the frame is drawn as the game draws it (the HUD left out) at 640 x 480. Four such frames
// a level, at seconds 20, 30, 40 and 50, so no one chance background (an explosion behind a
// ship, a tower behind a power-up) decides the figure.
//
// For each kind the frame is drawn again without the kind: the pixels that change are the kind's,
// the same pixels in the second frame are what lies behind it. The figure is WCAG 2's contrast
// ratio of the two mean relative luminances over the four frames' pixels, (L1 + 0.05) /
// (L2 + 0.05) with L1 the larger.
//
// Usage (under a display; tools/headless.sh gives a virtual one):
//   trelvik_contrast [run directory holding data/] [--level N] [--players N] [--frames DIR] [--least RATIO]
// --level measures level N alone (default: every level of the campaign); --players 1 flies the
// one-player game (default: the two-player game); --frames saves each
// level's frame of second 30 as DIR/contrast-levelN.png at half size; --least makes the exit
// status 1 when a kind of a measured level falls under RATIO (the test suite runs NIGHTFALL
// with 3).
#include "bench_game.h"
#include "check_play.h"
#include "game/actor.h"
#include "game/task_test.h"
#include "graphics/explosion.h"
#include "graphics/particle.h"
#include "kernel/settings.h"
#include "tasks/scene.h"
#include "tasks/task_audio.h"
#include "tasks/task_input.h"
#include "tasks/task_timer.h"
#include "tasks/task_video.h"

#include <GL/gl.h>
#include <SDL.h>
#include <stb_image_write.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int frame_width = 640;
constexpr int frame_height = 480;
constexpr int flight_fps = 60;
constexpr unsigned flight_seed = 1;
constexpr std::array<float, 4> frame_seconds = {20, 30, 40, 50};
constexpr float saved_second = 30;

// What a player must tell apart, each as the kinds of actor it is drawn from.
struct Group {
    const char *name;
    std::vector<uint32_t> kinds;
};
const std::array<Group, 4> groups = {{
    {"ships", {ACTOR_PLAYER, ACTOR_PLAYER2}},
    {"enemies", {ACTOR_ENEMY1, ACTOR_ENEMY2, ACTOR_BOSS1}},
    {"shots", {ACTOR_SHOT, ACTOR_ROCKET_DOWN, ACTOR_ROCKET_UP, ACTOR_ESHOT, ACTOR_ESHOT2}},
    {"power-ups", {ACTOR_POWERUP_F, ACTOR_POWERUP_R}},
}};

// The actors set in front of the camera, as offsets from the point it looks at: every kind a
// player meets in the air, apart from each other and from the ships' starting places.
struct Placed {
    uint32_t kind;
    float dx, dy;
};
const std::array<Placed, 8> placed = {{
    {ACTOR_ENEMY1, 38, 18},
    {ACTOR_ENEMY2, 30, -22},
    {ACTOR_SHOT, 5, 10},
    {ACTOR_ESHOT, 20, 2},
    {ACTOR_ESHOT2, 12, -12},
    {ACTOR_ROCKET_DOWN, -8, -26},
    {ACTOR_POWERUP_F, 44, -4},
    {ACTOR_POWERUP_R, -2, 24},
}};

using Frame = std::vector<unsigned char>; // RGB rows, bottom row first as GL reads them


// The scene as the game draws it, without the HUD, read back. The effects move as they are
// drawn: with no time passing they are drawn the same in every frame of one moment.
Frame drawScene()
{
    g_frameInterval = 0;
    scene_beginFrame();
    for (int stage = 0; stage < SCENE_STAGE_COUNT; ++stage)
        if (stage != SCENE_STAGE_HUD)
            scene_drawStage(static_cast<SceneStage>(stage));
    Frame pixels(static_cast<size_t>(frame_width) * frame_height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame_width, frame_height, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    SDL_GL_SwapBuffers();
    return pixels;
}

double linear(unsigned char c)
{
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// WCAG 2's relative luminance of an sRGB pixel.
double luminance(const unsigned char *rgb)
{
    return 0.2126 * linear(rgb[0]) + 0.7152 * linear(rgb[1]) + 0.0722 * linear(rgb[2]);
}

struct Contrast {
    long pixels = 0;
    double kind = 0, behind = 0; // summed relative luminances
    double meanKind() const { return pixels > 0 ? kind / static_cast<double>(pixels) : 0; }
    double meanBehind() const { return pixels > 0 ? behind / static_cast<double>(pixels) : 0; }
    double ratio() const
    {
        return (std::max(meanKind(), meanBehind()) + 0.05) / (std::min(meanKind(), meanBehind()) + 0.05);
    }
};

// The actors of the group lose their models for one frame: the frame drawn then is the scene
// without them (the frame skips an actor without a model).
std::vector<std::pair<actor *, const model *>> hidden;
const Group *hiding = nullptr;

// Adds the group's pixels of this frame to c.
void measure(const Frame &whole, const Group &group, Contrast &c)
{
    hiding = &group;
    hidden.clear();
    actor_iterate([](actor *a) {
        if (std::find(hiding->kinds.begin(), hiding->kinds.end(), a->kind) != hiding->kinds.end()) {
            hidden.emplace_back(a, a->model);
            a->model = nullptr;
        }
    });
    const Frame without = drawScene();
    for (const auto &[a, m] : hidden)
        a->model = m;
    for (size_t at = 0; at < whole.size(); at += 3) {
        if (whole[at] == without[at] && whole[at + 1] == without[at + 1] && whole[at + 2] == without[at + 2])
            continue;
        ++c.pixels;
        c.kind += luminance(&whole[at]);
        c.behind += luminance(&without[at]);
    }
}

// The frame at half size, top row first, as a PNG.
bool savePng(const Frame &frame, const std::string &file)
{
    constexpr int w = frame_width / 2, h = frame_height / 2;
    std::vector<unsigned char> small(static_cast<size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx) {
                        const int glRow = frame_height - 1 - (2 * y + dy);
                        sum += frame[(static_cast<size_t>(glRow) * frame_width + 2 * x + dx) * 3 + c];
                    }
                small[(static_cast<size_t>(y) * w + x) * 3 + c] = static_cast<unsigned char>((sum + 2) / 4);
            }
    return stbi_write_png(file.c_str(), w, h, 3, small.data(), w * 3) != 0;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    int onlyLevel = 0;
    double least = 0;
    std::string framesDir;
    for (auto it = args.begin(); it != args.end();) {
        const bool hasValue = std::distance(it, args.end()) >= 2;
        if (*it == "--level" && hasValue) {
            onlyLevel = std::max(1, std::atoi(it[1].c_str()));
        } else if (*it == "--players" && hasValue) {
            ship_count = std::clamp(std::atoi(it[1].c_str()), 1, max_ships);
        } else if (*it == "--least" && hasValue) {
            least = std::atof(it[1].c_str());
        } else if (*it == "--frames" && hasValue) {
            framesDir = std::filesystem::absolute(it[1]).string();
        } else {
            ++it;
            continue;
        }
        it = args.erase(it, it + 2);
    }
    const std::string runDir = !args.empty() ? args[0] : TRELVIK_RUN_DIR_DEFAULT;
    if (chdir(runDir.c_str()) != 0 || !std::filesystem::exists("data/level1.map")) {
        std::fprintf(stderr, "trelvik_contrast: no generated data in %s/data (build trelvik-data first)\n",
                     runDir.c_str());
        return 2;
    }
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!bench_startGame("trelvik-contrast", frame_width, frame_height)) {
        std::fprintf(stderr, "trelvik_contrast: no window (run under a display, e.g. tools/headless.sh)\n");
        return 2;
    }
    const int levels = play_levelCount();
    std::printf("Contrast of each kind with what lies behind it, seconds 20, 30, 40 and 50 of play, %dx%d\n",
                frame_width, frame_height);
    std::printf("%-22s %-10s %8s %8s %8s %7s\n", "level", "kind", "pixels", "L kind", "L behind", "ratio");
    bool allMet = true;
    for (int level = 1; level <= levels; ++level) {
        if (onlyLevel != 0 && level != onlyLevel)
            continue;
        std::array<Contrast, groups.size()> contrasts{};
        for (const float second : frame_seconds) {
            PlayRun run{ship_count, PilotSkill::steady, flight_seed, flight_fps};
            run.level = level;
            run.stopAfter = second;
            play_fly(run);
            if (g_campaign_level != level) {
                std::fprintf(stderr, "trelvik_contrast: data/level%d.map cannot be read\n", level);
                return 2;
            }
            const vector3d &centre = *g_camera->view;
            for (const Placed &p : placed)
                actor_new(p.kind, centre.x + p.dx, centre.y + p.dy, 0);
            drawScene(); // the sky's picture is taken from a frame of the same view
            drawScene();
            const Frame whole = drawScene();
            const std::string file = framesDir + "/contrast-level" + std::to_string(level) + ".png";
            if (!framesDir.empty() && second == saved_second && !savePng(whole, file))
                std::fprintf(stderr, "trelvik_contrast: cannot write %s\n", file.c_str());
            for (size_t g = 0; g < groups.size(); ++g)
                measure(whole, groups[g], contrasts[g]);
        }
        const std::string title = std::to_string(level) + " " + g_level_name;
        for (size_t g = 0; g < groups.size(); ++g) {
            const Contrast &c = contrasts[g];
            const bool met = c.pixels > 0 && c.ratio() >= least;
            allMet = allMet && met;
            std::printf("%-22s %-10s %8ld %8.3f %8.3f %6.2f%s\n", title.c_str(), groups[g].name, c.pixels, c.meanKind(),
                        c.meanBehind(), c.ratio(), met ? "" : "  (under the least)");
        }
    }
    task_video_stop();
    return allMet ? 0 : 1;
}
