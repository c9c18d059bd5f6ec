// game_tick_bench.cpp -- the cost of the actor part of one game tick (every actor's behaviour,
// then the collision pass) for levels of 50 to 5000 actors, and how it grows with the count.
// Needs a display for the model cache (run under tools/headless.sh); prints the figures.
// Usage: game_tick_bench [--players N]   (the two ships of trelvik by default; 1 as trelvik-solo)
#include "game/actor.h"
#include "game/task_test.h"
#include "graphics/camera.h"
#include "graphics/explosion.h"
#include "graphics/particle.h"
#include "ms3d_writer.h"
#include "tasks/task_timer.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Box {
    const char *file;
    float lo[3], hi[3];
};

// Boxes of about the game's proportions.
const Box boxes[] = {
    {"data/Player.ms3d", {-5, -2.5f, -2}, {5, 2.5f, 2}},     {"data/HeavyFighter.ms3d", {-5, -2.5f, -2}, {5, 2.5f, 2}},
    {"data/Enemy5.ms3d", {-4, -4, -4}, {4, 4, 4}},           {"data/Enemy4UV.ms3d", {-10, -10, -10}, {10, 10, 10}},
    {"data/Enemy3UV.ms3d", {-10, -10, -2}, {10, 10, 2}},     {"data/Building1.ms3d", {-10, 0, -10}, {10, 40, 10}},
    {"data/Building2UV.ms3d", {-15, 0, -5}, {15, 60, 5}},    {"data/Shot.ms3d", {-1, -0.5f, -0.5f}, {1, 0.5f, 0.5f}},
    {"data/RocketUV.ms3d", {-2, -1, -1}, {2, 1, 1}},         {"data/EShot.ms3d", {-1, -0.5f, -0.5f}, {1, 0.5f, 0.5f}},
    {"data/EShot2.ms3d", {-1, -0.5f, -0.5f}, {1, 0.5f, 0.5f}}, {"data/PowerUpFUV.ms3d", {-2, -2, -2}, {2, 2, 2}},
    {"data/PowerUpRUV.ms3d", {-2, -2, -2}, {2, 2, 2}},
};

void writeModels(const fs::path &dir)
{
    fs::create_directories(dir / "data");
    for (const Box &box : boxes) {
        model m;
        for (int corner = 0; corner < 8; ++corner)
            m.vertices.push_back(ms3d_vertex(corner & 1 ? box.hi[0] : box.lo[0], corner & 2 ? box.hi[1] : box.lo[1],
                                             corner & 4 ? box.hi[2] : box.lo[2]));
        std::ofstream(dir / box.file, std::ios::binary) << ms3d_write(m);
    }
}

float uniform(float lo, float hi)
{
    return lo + (hi - lo) * static_cast<float>(std::rand()) / static_cast<float>(RAND_MAX);
}

// A level of count actors at the density of a real one (about one actor per 8 units of
// scroll): mostly enemies and buildings along it, the ships (ship_count of them), a boss at its
// end, and some shots in flight around the ships.
void buildLevel(int count)
{
    std::srand(12345);
    const float length = 8.0f * static_cast<float>(count);
    actor_new(ACTOR_PLAYER, 0, 30, -100);
    if (ship_count > 1)
        actor_new(ACTOR_PLAYER2, 0, -10, -100);
    actor_new(ACTOR_BOSS1, length, 0, -100);
    for (int i = actor_count(); i < count; ++i) {
        const int pick = std::rand() % 100;
        if (pick < 45)
            actor_new(ACTOR_ENEMY1, uniform(60, length), uniform(-70, 70), -100);
        else if (pick < 65)
            actor_new(ACTOR_ENEMY2, uniform(60, length), uniform(-60, 60), -100);
        else if (pick < 80)
            actor_new(ACTOR_BUILDING1, uniform(0, length), -80, -150);
        else if (pick < 90)
            actor_new(ACTOR_BUILDING2, uniform(0, length), -80, -200);
        else if (pick < 96)
            actor_new(ACTOR_SHOT, uniform(0, 100), uniform(-40, 40), -100);
        else if (pick < 98)
            actor_new(pick % 2 ? ACTOR_ROCKET_UP : ACTOR_ROCKET_DOWN, uniform(0, 100), uniform(-40, 40), -100);
        else
            actor_new(ACTOR_ESHOT, uniform(0, 110), uniform(-70, 70), -100);
    }
}

void clearEffects()
{
    for (ParticleSystem *system : particle_systems())
        particle_freeSys(system);
    for (Explosion *explosion : explosion_list())
        explosion_free(explosion);
}

struct Figures {
    double behaviourMs, collisionMs, tickMs;
    int actorsAtEnd;
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Median over fresh copies of the level, each run for ticksPerRun ticks at 60 frames a second.
Figures measure(int count)
{
    using clock = std::chrono::steady_clock;
    const int ticksPerRun = 10;
    const int runs = count <= 200 ? 200 : count <= 1000 ? 10 : 3;
    std::vector<double> behaviour, collision, whole;
    int actorsAtEnd = 0;
    for (int run = 0; run < runs; ++run) {
        actor_freeAll();
        clearEffects();
        buildLevel(count);
        g_lifes = 1000000;
        gamestate = GAMESTATE_SCROLLING;
        for (int t = 0; t < ticksPerRun; ++t) {
            const auto start = clock::now();
            actor_iterate(actor_tick);
            const auto middle = clock::now();
            actor_collideAll();
            const auto end = clock::now();
            behaviour.push_back(std::chrono::duration<double, std::milli>(middle - start).count());
            collision.push_back(std::chrono::duration<double, std::milli>(end - middle).count());
            whole.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        }
        actorsAtEnd = actor_count();
    }
    return {median(behaviour), median(collision), median(whole), actorsAtEnd};
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 3 && std::string(argv[1]) == "--players")
        ship_count = std::clamp(std::atoi(argv[2]), 1, max_ships);
    const bool window = SDL_Init(SDL_INIT_VIDEO) == 0 && SDL_SetVideoMode(64, 64, 0, SDL_OPENGL) != nullptr;
    if (!window) {
        std::printf("No display (%s): run under tools/headless.sh\n", SDL_GetError());
        return 1;
    }
    const fs::path previous = fs::current_path();
    const fs::path dir = fs::temp_directory_path() / "trelvik-game-bench";
    writeModels(dir);
    fs::current_path(dir);

    CameraPtr cam(camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0));
    g_camera = cam.get();
    for (int ship = 0; ship < ship_count; ++ship)
        g_ships[ship].shield = std::make_unique<Shield>(Shield{});
    g_frameInterval = 1.0f / 60.0f;

    std::printf("One game tick: actor_iterate(actor_tick) + actor_collideAll, median of ticks at 60 fps\n");
    std::printf("%7s %12s %12s %12s %8s %10s\n", "actors", "tick ms", "behaviour", "collisions", "growth", "size^2");
    const int sizes[] = {50, 200, 1000, 5000};
    double previousMs = 0;
    int previousSize = 0;
    for (const int size : sizes) {
        const Figures f = measure(size);
        if (previousSize == 0)
            std::printf("%7d %12.4f %12.4f %12.4f %8s %10s\n", size, f.tickMs, f.behaviourMs, f.collisionMs, "-", "-");
        else {
            const double ratio = static_cast<double>(size) / previousSize;
            std::printf("%7d %12.4f %12.4f %12.4f %7.1fx %9.1fx\n", size, f.tickMs, f.behaviourMs, f.collisionMs,
                        f.tickMs / previousMs, ratio * ratio);
        }
        previousMs = f.tickMs;
        previousSize = size;
    }

    actor_freeAll();
    clearEffects();
    g_camera = nullptr;
    for (Ship &ship : g_ships)
        ship.shield.reset();
    fs::current_path(previous);
    fs::remove_all(dir);
    SDL_Quit();
    return 0;
}
