// game_scene.h -- small game worlds for the game tests, built from flat box models of known
// extent under the names the game loads.
//
// GameScene: a private working directory per test whose data/ holds the boxes, a level file, a
// font image whose glyphs can be read back from the screen, and sky images; a 640 x 480 window and
// the sound device opened in it; held keys and the clock under the test's control. The texture
// and model caches keep file names for the whole process while every test opens a new window, so
// each test runs in its own process (ctest does this); a test that draws checks that the textures
// it needs belong to its own window.
//
// GameTest (the actor and level tests): one window per suite for the model cache, one folder of
// boxes with depth per test program, and a fresh game state for every test.
#pragma once

#include "game/actor.h"
#include "game/task_test.h"
#include "graphics/camera.h"
#include "graphics/explosion.h"
#include "graphics/model.h"
#include "graphics/particle.h"
#include "graphics/texture.h"
#include "ms3d_writer.h"
#include "support/test_support.h"
#include "tasks/task_audio.h"
#include "tasks/task_input.h"
#include "tasks/task_timer.h"
#include "tasks/task_video.h"

#include <GL/gl.h>
#include <SDL.h>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace scene {

constexpr int window_width = 640;
constexpr int window_height = 480;

// A box in model units, holding the origin; flat (no depth) unless minZ or maxZ says otherwise.
struct Box {
    float minX, minY, maxX, maxY;
    float minZ = 0, maxZ = 0;
};
constexpr Box player_box = {-10, -4, 12, 5};     // scale 1.2: -12 .. 14.4 by -4.8 .. 6
constexpr Box player2_box = {-8, -6, 14, 3};     // scale 1.3: -10.4 .. 18.2 by -7.8 .. 3.9
constexpr Box shot_box = {-1, -0.5f, 1, 0.5f};
constexpr Box rocket_box = {-2, -1, 2, 1};
constexpr Box enemy_box = {-5, -5, 5, 5};

// An MS3D file of one quad facing +z over the box at z = 0, lit in one colour; a box with depth
// also has its eight corners as vertices, which give the model its bounds.
inline std::string boxModel(const Box &b, float r, float g, float bl)
{
    model m;
    m.vertices = {ms3d_vertex(b.minX, b.maxY, 0), ms3d_vertex(b.minX, b.minY, 0), ms3d_vertex(b.maxX, b.minY, 0),
                  ms3d_vertex(b.maxX, b.maxY, 0)};
    if (b.minZ != 0 || b.maxZ != 0)
        for (int corner = 0; corner < 8; ++corner)
            m.vertices.push_back(ms3d_vertex(corner & 1 ? b.maxX : b.minX, corner & 2 ? b.maxY : b.minY,
                                             corner & 4 ? b.maxZ : b.minZ));
    const float lower[6] = {0, 0, 0, 1, 1, 1}, upper[6] = {0, 0, 1, 1, 1, 0};
    m.triangles = {ms3d_triangle(0, 1, 2, lower), ms3d_triangle(0, 2, 3, upper)};
    model_group group{};
    group.name = "box";
    group.triangleIndices = {0, 1};
    group.materialIndex = 0;
    m.groups = {group};
    m.materials = {ms3d_material(r, g, bl)};
    return ms3d_write(m);
}

// A box model under the path (relative to its folder) the game loads it from, and its colour.
struct BoxFile {
    const char *path;
    Box box;
    float r = 1, g = 1, b = 1;
};

inline void writeBoxes(const std::string &dir, const std::vector<BoxFile> &files)
{
    for (const BoxFile &file : files)
        test_writeFile(dir + "/" + file.path, boxModel(file.box, file.r, file.g, file.b));
}

// A 24-bit BMP of the given size (the image loader knows BMP by its first bytes, whatever the
// file is called), colours from the function with y = 0 the top row.
inline std::string bmpImage(int width, int height, const std::function<std::array<uint8_t, 3>(int, int)> &rgb)
{
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const uint32_t size = 54 + static_cast<uint32_t>(rowBytes * height);
    std::string bmp(54, '\0');
    const auto put32 = [&bmp](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bmp[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
    };
    bmp[0] = 'B', bmp[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    bmp[26] = 1;
    bmp[28] = 24;
    for (int y = height - 1; y >= 0; --y) { // bottom row first
        std::string row;
        for (int x = 0; x < width; ++x) {
            const auto c = rgb(x, y);
            row += static_cast<char>(c[2]);
            row += static_cast<char>(c[1]);
            row += static_cast<char>(c[0]);
        }
        row.resize(static_cast<size_t>(rowBytes), '\0');
        bmp += row;
    }
    return bmp;
}

// The font: every glyph cell a solid white square whose opacity names the cell, 40 + 2 * cell
// for the cells of the printable bytes (32 to 126), so text can be read back from the screen.
constexpr int glyph_alpha_base = 40;
inline std::string fontImage()
{
    constexpr int side = 256, cell_side = 16;
    std::string tga(18, '\0');
    tga[2] = 2;
    tga[12] = 0, tga[13] = 1, tga[14] = 0, tga[15] = 1; // 256 x 256
    tga[16] = 32;
    tga[17] = 0x28; // 8 alpha bits, top row first
    for (int y = 0; y < side; ++y) {
        const int cellRow = (side - 1 - y) / cell_side; // the glyphs address the image bottom up
        for (int x = 0; x < side; ++x) {
            const int cell = cellRow * 16 + x / cell_side;
            const char alpha = cell <= 126 - 32 ? static_cast<char>(glyph_alpha_base + 2 * cell) : 0;
            tga += "\xff\xff\xff";
            tga += alpha;
        }
    }
    return tga;
}

// A WAV file of a tenth of a second of quiet, in the mixer's own format.
inline std::string quietWav()
{
    constexpr uint32_t frames = 2205, bytes = frames * 4;
    std::string wav;
    const auto put = [&wav](uint32_t value, int size) {
        for (int i = 0; i < size; ++i)
            wav += static_cast<char>((value >> (8 * i)) & 0xff);
    };
    wav += "RIFF";
    put(36 + bytes, 4);
    wav += "WAVEfmt ";
    put(16, 4);
    put(1, 2);         // PCM
    put(2, 2);         // stereo
    put(22050, 4);
    put(22050 * 4, 4); // bytes per second
    put(4, 2);         // bytes per frame
    put(16, 2);        // bits per sample
    wav += "data";
    put(bytes, 4);
    wav.append(bytes, '\0');
    return wav;
}

// The default level: a name, a camera stop, and no actors.
inline std::string defaultLevel()
{
    return "LEVEL: 1 TESTLAND\nCAMERASTOP: 300\n";
}

// Writes the whole data folder into dir.
inline void writeData(const std::string &dir, const std::string &level)
{
    const std::string data = dir + "/data/";
    std::filesystem::create_directories(data);
    std::vector<BoxFile> boxes = {{"data/Player.ms3d", player_box, 0.2f, 0.6f, 1.0f},
                                  {"data/HeavyFighter.ms3d", player2_box, 1.0f, 0.6f, 0.2f}};
    for (const char *path : {"data/Enemy5.ms3d", "data/Enemy4UV.ms3d", "data/Enemy3UV.ms3d", "data/Building1.ms3d",
                             "data/Building2UV.ms3d", "data/EShot.ms3d", "data/EShot2.ms3d", "data/PowerUpFUV.ms3d",
                             "data/PowerUpRUV.ms3d", "data/test.ms3d"})
        boxes.push_back({path, enemy_box, 1.0f, 0.2f, 0.2f});
    boxes.push_back({"data/Shot.ms3d", shot_box, 1, 1, 0});
    boxes.push_back({"data/RocketUV.ms3d", rocket_box, 1, 0.5f, 0});
    writeBoxes(dir, boxes);
    test_writeFile(data + "level1.map", level);
    for (const char *name : {"shot.wav", "explos.wav", "cash.wav", "phenomenon.wav"})
        test_writeFile(data + name, quietWav());
    test_writeFile(data + "font2.tga", fontImage());
    // The sky: a diagonal colour ramp, so a shifted or stretched box would show; the ground a checker.
    test_writeFile(data + "Skymap.jpg", bmpImage(64, 64, [](int x, int y) {
                       return std::array<uint8_t, 3>{static_cast<uint8_t>(x * 4), static_cast<uint8_t>(y * 4), 200};
                   }));
    test_writeFile(data + "boden.jpg", bmpImage(64, 64, [](int x, int y) {
                       const bool dark = ((x / 8) + (y / 8)) % 2 == 0;
                       return dark ? std::array<uint8_t, 3>{40, 90, 30} : std::array<uint8_t, 3>{120, 200, 90};
                   }));
    test_writeFile(data + "shield2.png",
                   bmpImage(16, 16, [](int, int) { return std::array<uint8_t, 3>{255, 255, 255}; }));
}

// The test's own clock, read by the game through task_timer_getTicks.
inline uint32_t now = 0;
inline uint32_t testClock() { return now; }

// Holds or releases a key in SDL's key array and takes the input snapshot, as one input tick.
inline void hold(std::initializer_list<SDLKey> keys, bool down = true)
{
    Uint8 *state = SDL_GetKeyState(nullptr);
    for (const SDLKey key : keys)
        state[key] = down ? 1 : 0;
    task_input_tick();
}
inline void releaseAll()
{
    int count = 0;
    Uint8 *state = SDL_GetKeyState(&count);
    for (int i = 0; i < count; ++i)
        state[i] = 0;
    task_input_tick();
}

// A key press as the X server would queue it, handled by the next input tick.
inline void press(SDLKey key)
{
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    SDL_PushEvent(&event);
    task_input_tick();
}

inline std::vector<actor *> actorsOfKind(uint32_t kind)
{
    static std::vector<actor *> found;
    found.clear();
    static uint32_t wanted;
    wanted = kind;
    actor_iterate([](actor *a) {
        if (a->kind == wanted)
            found.push_back(a);
    });
    return found;
}

// Puts the ships back as the process began: two, no actors, no shields, the two-player keys, the
// fire clocks at 0 (a new game leaves them alone).
inline void resetShips()
{
    ship_count = max_ships;
    for (int ship = 0; ship < max_ships; ++ship)
        g_ships[ship] = {nullptr, nullptr, task_test_defaultKeys(ship), 0};
}

// Every test starts from a fresh working directory with the data above, a window, the sound
// device and a clock at 0, for the game of ships() ships; it ends with the game's state put back
// to nothing.
class GameScene : public ::testing::Test {
protected:
    std::string home = std::filesystem::current_path().string();
    std::string dir = test_tempDir();

    virtual std::string level() const { return defaultLevel(); }
    // 2 for trelvik's game, 1 for trelvik-solo's.
    virtual int ships() const { return max_ships; }

    void SetUp() override
    {
        ship_count = ships(); // before the input task's start binds the ships' keys
        writeData(dir, level());
        ASSERT_EQ(chdir(dir.c_str()), 0);
        ASSERT_TRUE(test_startVideo(window_width, window_height));
        task_audio_start();
        now = 0;
        task_timer_setClock(testClock);
        task_input_start();
        releaseAll();
    }
    void TearDown() override
    {
        releaseAll();
        actor_freeAll();
        resetShips();
        camera_free(g_camera);
        g_camera = nullptr;
        gamestate = GAMESTATE_READY;
        task_timer_setClock(nullptr);
        task_audio_stop();
        test_stopVideo();
        EXPECT_EQ(chdir(home.c_str()), 0);
        std::filesystem::remove_all(dir);
    }

    // Whether a cached texture belongs to this test's window (see the top of this file).
    static bool ownTexture(const char *name)
    {
        const int handle = texture_get(name);
        return handle > 0 && glIsTexture(static_cast<GLuint>(handle)) == GL_TRUE;
    }

    // Screenshots go to the build's screenshot folder, not the private working directory.
    void saveScreenshot(const std::string &name) const
    {
        if (chdir(home.c_str()) == 0) {
            test_saveScreenshot(name);
            EXPECT_EQ(chdir(dir.c_str()), 0);
        }
    }
};

} // namespace scene

namespace game_test {

// Scaled sizes: ships 6 x 3 half-extents (second ship 6.5 x 3.25), ENEMY1 6, ENEMY2 4.5,
// boss 23, shots and rockets 3 x 1.5, power-ups 2.8; buildings stand on their origin.
inline const std::vector<scene::BoxFile> boxes = {
    {"data/Player.ms3d", {-5, -2.5f, 5, 2.5f, -2, 2}},
    {"data/HeavyFighter.ms3d", {-5, -2.5f, 5, 2.5f, -2, 2}},
    {"data/Enemy5.ms3d", {-4, -4, 4, 4, -4, 4}},
    {"data/Enemy4UV.ms3d", {-10, -10, 10, 10, -10, 10}},
    {"data/Enemy3UV.ms3d", {-10, -10, 10, 10, -2, 2}},
    {"data/Building1.ms3d", {-10, 0, 10, 40, -10, 10}},
    {"data/Building2UV.ms3d", {-15, 0, 15, 60, -5, 5}},
    {"data/Shot.ms3d", {-1, -0.5f, 1, 0.5f, -0.5f, 0.5f}},
    {"data/RocketUV.ms3d", {-2, -1, 2, 1, -1, 1}},
    {"data/EShot.ms3d", {-1, -0.5f, 1, 0.5f, -0.5f, 0.5f}},
    {"data/EShot2.ms3d", {-1, -0.5f, 1, 0.5f, -0.5f, 0.5f}},
    {"data/PowerUpFUV.ms3d", {-2, -2, 2, 2, -2, 2}},
    {"data/PowerUpRUV.ms3d", {-2, -2, 2, 2, -2, 2}},
};

// One folder per test program, written once: the model cache keeps a file's first load for
// the whole run, so every test sees the same boxes.
inline const std::string &runDir()
{
    static const std::string dir = [] {
        const std::string made = test_tempDir();
        std::filesystem::create_directories(made + "/data");
        scene::writeBoxes(made, boxes);
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
        g_player2_shield = std::make_unique<Shield>(Shield{});
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
        g_player2_shield.reset();
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
