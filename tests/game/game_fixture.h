// game_fixture.h -- what the actor and level tests share: a window for the model cache, a folder
// of box-shaped models under the names the game loads, and a fresh game state for every test.
#pragma once

#include "game/actor.h"
#include "game/task_test.h"
#include "graphics/camera.h"
#include "graphics/explosion.h"
#include "graphics/model.h"
#include "graphics/particle.h"
#include "ms3d_writer.h"
#include "support/test_support.h"
#include "tasks/task_timer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace game_test {

struct Box {
    const char *file;
    vector3d min, max; // unscaled, as the file holds them; every box holds the origin
};

// Scaled sizes: ships 6 x 3 half-extents (second ship 6.5 x 3.25), ENEMY1 6, ENEMY2 4.5,
// boss 23, shots and rockets 3 x 1.5, power-ups 2.8; buildings stand on their origin.
inline const Box boxes[] = {
    {"data/Player.ms3d", {-5, -2.5f, -2}, {5, 2.5f, 2}},
    {"data/HeavyFighter.ms3d", {-5, -2.5f, -2}, {5, 2.5f, 2}},
    {"data/Enemy5.ms3d", {-4, -4, -4}, {4, 4, 4}},
    {"data/Enemy4UV.ms3d", {-10, -10, -10}, {10, 10, 10}},
    {"data/Enemy3UV.ms3d", {-10, -10, -2}, {10, 10, 2}},
    {"data/Building1.ms3d", {-10, 0, -10}, {10, 40, 10}},
    {"data/Building2UV.ms3d", {-15, 0, -5}, {15, 60, 5}},
    {"data/Shot.ms3d", {-1, -0.5f, -0.5f}, {1, 0.5f, 0.5f}},
    {"data/RocketUV.ms3d", {-2, -1, -1}, {2, 1, 1}},
    {"data/EShot.ms3d", {-1, -0.5f, -0.5f}, {1, 0.5f, 0.5f}},
    {"data/EShot2.ms3d", {-1, -0.5f, -0.5f}, {1, 0.5f, 0.5f}},
    {"data/PowerUpFUV.ms3d", {-2, -2, -2}, {2, 2, 2}},
    {"data/PowerUpRUV.ms3d", {-2, -2, -2}, {2, 2, 2}},
};

// An MS3D v4 file of the eight corners of the box (the bounds need vertices only).
inline std::string boxModel(const vector3d &lo, const vector3d &hi)
{
    model m;
    for (int corner = 0; corner < 8; ++corner)
        m.vertices.push_back(ms3d_vertex(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y, corner & 4 ? hi.z : lo.z));
    return ms3d_write(m, 4);
}

// One folder per test program, written once: the model cache keeps a file's first load for
// the whole run, so every test sees the same boxes.
inline const std::string &runDir()
{
    static const std::string dir = [] {
        const std::string made = test_tempDir();
        std::filesystem::create_directories(made + "/data");
        for (const Box &box : boxes)
            test_writeFile(made + "/" + box.file, boxModel(box.min, box.max));
        return made;
    }();
    return dir;
}

// A window for the model cache, the model folder as working directory, an empty actor list,
// no effects, the camera at x = 0, both shields off and a new game's values.
class GameTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(test_startVideo(320, 240)); }
    static void TearDownTestSuite() { test_stopVideo(); }

    void SetUp() override
    {
        previousDir = std::filesystem::current_path();
        std::filesystem::current_path(runDir());
        actor_freeAll();
        clearEffects();
        g_frameInterval = 0.0f;
        camera.reset(camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0));
        g_camera = camera.get();
        g_player_shield = std::make_unique<Shield>(Shield{});
#ifndef TRELVIK_SOLO
        g_player2_shield = std::make_unique<Shield>(Shield{});
#endif
        gamestate = GAMESTATE_SCROLLING;
        g_score = 0;
        g_lifes = 5;
        g_rocket_count = 0;
        g_invincible = false;
        g_boss_energy = 0;
        bulletInterval = 350;
        std::srand(1);
    }

    void TearDown() override
    {
        actor_freeAll();
        clearEffects();
        g_camera = nullptr;
        camera.reset();
        g_player_shield.reset();
#ifndef TRELVIK_SOLO
        g_player2_shield.reset();
#endif
        std::filesystem::current_path(previousDir);
    }

    static void clearEffects()
    {
        for (ParticleSystem *system : particle_systems())
            particle_freeSys(system);
        for (Explosion *explosion : explosion_list())
            explosion_free(explosion);
    }

    // The listed actors, head first.
    static std::vector<actor *> listed()
    {
        visitedActors().clear();
        actor_iterate([](actor *a) { visitedActors().push_back(a); });
        return visitedActors();
    }
    static std::vector<actor *> &visitedActors()
    {
        static std::vector<actor *> visited;
        return visited;
    }

    static std::vector<uint32_t> listedKinds()
    {
        std::vector<uint32_t> kinds;
        for (const actor *a : listed())
            kinds.push_back(a->kind);
        return kinds;
    }

    static int countKind(uint32_t kind)
    {
        int n = 0;
        for (const actor *a : listed())
            n += a->kind == kind;
        return n;
    }

    // One behaviour pass of dt seconds.
    static void tick(float dt)
    {
        g_frameInterval = dt;
        actor_iterate(actor_tick);
    }

    CameraPtr camera;
    std::filesystem::path previousDir;
};

} // namespace game_test
