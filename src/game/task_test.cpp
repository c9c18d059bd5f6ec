// task_test.cpp -- the game state and the game task. The state lives for the whole run; a new
// game resets score, lives, rockets, fire rate, invincibility, camera and actors, and leaves the
// fire clocks and the shields' sizes as they were. The next level of the campaign keeps score,
// lives and rockets (earned by play, as the score is) and gives the ships their first fire rate
// again, so every level starts from the same footing whatever came before it.
#include "game/task_test.h"

#include "game/actor.h"
#include "game/level.h"
#include "game/scoreboard.h"
#include "graphics/model.h"
#include "kernel/common.h"
#include "tasks/task_audio.h"
#include "tasks/task_input.h"
#include "tasks/task_timer.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

int gamestate = GAMESTATE_READY;
int g_score = 0;
int g_lifes = 0;
int g_level = 0;
std::string g_level_name;
int g_rocket_count = 0;
bool g_invincible = false;
int g_boss_energy = 0;
int g_level_boss_energy = level_defaultBossEnergy;
LevelLook g_level_look = level_defaultLook;
unsigned g_level_serial = 0;
int g_campaign_level = 1;
int g_campaign_levels = 1;
camera *g_camera = nullptr;
float camera_max = 0;
int bulletInterval = 350;
uint32_t lastRocket = 0;
int ship_count = max_ships;
Ship g_ships[max_ships] = {{nullptr, nullptr, default_player_keys, 0}, {nullptr, nullptr, default_player2_keys, 0}};
actor *&g_player = g_ships[0].player;
actor *&g_player2 = g_ships[1].player;
ShieldPtr &g_player_shield = g_ships[0].shield;
ShieldPtr &g_player2_shield = g_ships[1].shield;
ShipKeys &player_keys = g_ships[0].keys;
ShipKeys &player2_keys = g_ships[1].keys;
uint32_t &lastBullet = g_ships[0].lastBullet;
uint32_t &lastBullet2 = g_ships[1].lastBullet;

namespace {

// Loaded once by the game task's start; empty before, and empty for a file that failed.
Sound shot = nullptr;
Sound explosion = nullptr;
Sound bonus = nullptr;

// A new game's lives: one pool for however many ships fly.
int newGameLifes()
{
    return ship_count == 1 ? 3 : 5;
}

// Where a new game places each ship: a lone ship nearer the middle, a pair apart.
float startY(int ship)
{
    if (ship_count == 1)
        return 10.0f;
    return ship == 0 ? 30.0f : -10.0f;
}

constexpr uint32_t ship_kinds[max_ships] = {ACTOR_PLAYER, ACTOR_PLAYER2};
constexpr float player_z = -100.0f;
constexpr int start_bulletInterval = 350;
// More files than a campaign would ever hold; the search for the last one stops there.
constexpr int campaign_maxLevels = 99;

// When the current level was won; set by the first tick that finds the game won.
uint32_t wonAt = 0;
bool wonTimed = false;
// When the game was lost; set by the tick whose collisions took the last life.
uint32_t lostAt = 0;

std::string levelPath(int n)
{
    char path[32];
    std::snprintf(path, sizeof path, "data/level%d.map", n);
    return path;
}

int countLevels()
{
    int n = 1;
    std::error_code ignored;
    while (n < campaign_maxLevels && std::filesystem::exists(levelPath(n + 1), ignored))
        ++n;
    return n;
}

// The models of the kinds spawned during play, loaded before play so spawning finds them cached.
const char *const spawned_models[] = {
    "data/Shot.ms3d",      "data/RocketUV.ms3d",   "data/EShot.ms3d",
    "data/EShot2.ms3d",    "data/PowerUpFUV.ms3d", "data/PowerUpRUV.ms3d",
};

// The ship's model box times its scale; an empty box at the origin for a ship without a model.
struct ScaledBox {
    float minX, minY, maxX, maxY;
};

ScaledBox scaledBox(const actor *a)
{
    if (a->model == nullptr)
        return {0, 0, 0, 0};
    return {a->model->min.x * a->scale, a->model->min.y * a->scale, a->model->max.x * a->scale,
            a->model->max.y * a->scale};
}

ShieldPtr shieldFor(const actor *ship)
{
    return shield_new(0.2f, 0.4f, 1.0f, scaledBox(ship).maxX);
}

void steer(actor *ship, const ShipKeys &keys)
{
    const float d = g_frameInterval * player_speed;
    ship->rotation->x = 0;
    if (task_input_isKeyPressed(keys.left))
        ship->position->x -= d;
    if (task_input_isKeyPressed(keys.right))
        ship->position->x += d;
    const auto climb = [&] {
        if (task_input_isKeyPressed(keys.up)) {
            ship->position->y += d;
            ship->rotation->x = -player_tilt;
        }
    };
    const auto dive = [&] {
        if (task_input_isKeyPressed(keys.down)) {
            ship->position->y -= d;
            ship->rotation->x = player_tilt;
        }
    };
    // The one-player ship tests down before up: with both held the last bank is the climb's.
    if (ship_count == 1) {
        dive();
        climb();
    } else {
        climb();
        dive();
    }
}

// Sets a ship that has left the playing field back onto its edge, in the order left, right, top,
// bottom, so that its shots always leave from inside the field.
void keepOnField(actor *ship)
{
    const float cx = g_camera->position->x;
    const float cy = g_camera->position->y;
    const ScaledBox box = scaledBox(ship);
    vector3d &p = *ship->position;
    if (p.x < cx + scr_l_x - box.minX)
        p.x = cx + scr_l_x - box.minX;
    if (p.x > cx + scr_r_x - box.maxX)
        p.x = cx + scr_r_x - box.maxX;
    if (p.y > cy + scr_t_y - box.maxY)
        p.y = cy + scr_t_y - box.maxY;
    if (p.y < cy + scr_b_y - box.minY)
        p.y = cy + scr_b_y - box.minY;
}

// Strictly more than the interval must have passed. The difference of two readings of the
// millisecond clock is the time between them even when the clock wrapped in between.
bool intervalPassed(uint32_t last, int interval, uint32_t now)
{
    return now - last > static_cast<uint32_t>(interval);
}

void fireBullet(const actor *ship, SDLKey key, uint32_t &last)
{
    if (!task_input_isKeyPressed(key))
        return;
    const uint32_t now = task_timer_getTicks();
    if (!intervalPassed(last, bulletInterval, now))
        return;
    last = now;
    task_audio_playSound(shot, false);
    const ScaledBox box = scaledBox(ship);
    const vector3d &p = *ship->position;
    actor_new(ACTOR_SHOT, p.x + box.maxX, p.y, p.z);
}

// Both ships draw on one rocket stock and one rocket clock.
void fireRockets(const actor *ship, SDLKey key)
{
    if (!task_input_isKeyPressed(key) || g_rocket_count <= 0)
        return;
    const uint32_t now = task_timer_getTicks();
    if (!intervalPassed(lastRocket, rocketInterval, now))
        return;
    lastRocket = now;
    task_audio_playSound(shot, false);
    const ScaledBox box = scaledBox(ship);
    const vector3d &p = *ship->position;
    actor_new(ACTOR_ROCKET_DOWN, p.x, p.y + box.minY, p.z);
    actor_new(ACTOR_ROCKET_UP, p.x, p.y + box.maxY, p.z);
    --g_rocket_count;
}

void scroll()
{
    const float cx = g_camera->position->x;
    if (camera_max > cx) {
        const float d = g_frameInterval * g_camera_speed;
        camera_strafe(g_camera, 1, d);
        // The ships are carried along so they keep their place on the screen.
        for (int ship = 0; ship < ship_count; ++ship)
            g_ships[ship].player->position->x += d;
    } else {
        // The stop is exact from now on; the view point keeps the overshoot of the last step.
        gamestate = GAMESTATE_BOSS;
        g_camera->position->x = camera_max;
    }
}

} // namespace

int task_test_start()
{
    task_audio_playMusic("data/phenomenon.wav", true);
    shot = task_audio_loadSound("data/shot.wav");
    explosion = task_audio_loadSound("data/explos.wav");
    bonus = task_audio_loadSound("data/cash.wav");
    for (const char *name : spawned_models)
        model_get(name);

    camera_free(g_camera); // a second start (tests) replaces the camera of the first
    g_camera = camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0);

    // These ships only size the shields; the new game below replaces them.
    for (int ship = 0; ship < max_ships; ++ship) {
        Ship &s = g_ships[ship];
        s.player = ship < ship_count ? actor_new(ship_kinds[ship], 0, 10, player_z) : nullptr;
        s.shield = s.player != nullptr ? shieldFor(s.player) : nullptr;
    }
    task_test_restart();
    return 1;
}

ShipKeys task_test_defaultKeys(int ship)
{
    if (ship_count == 1)
        return keymap_soloDefaultKeys;
    return ship == 0 ? default_player_keys : default_player2_keys;
}

ShipKeys *task_test_shipKeys(int ship)
{
    return ship >= 0 && ship < ship_count ? &g_ships[ship].keys : nullptr;
}

actor *task_test_ship(int ship)
{
    return ship >= 0 && ship < ship_count ? g_ships[ship].player : nullptr;
}

void task_test_stop() {}

void task_test_suspend() {}

int task_test_resume()
{
    return 1;
}

namespace {

// The camera back at the start, every actor gone, the ships in their places with shields off.
void placeShips()
{
    if (g_camera == nullptr)
        g_camera = camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0);
    else
        camera_setPosition(g_camera, 0, 0, 100, 0, 0, 0, 0, 1, 0);

    actor_freeAll();
    for (int ship = 0; ship < max_ships; ++ship) {
        Ship &s = g_ships[ship];
        s.player = ship < ship_count ? actor_new(ship_kinds[ship], 0, startY(ship), player_z) : nullptr;
        if (s.shield)
            s.shield->active = false;
    }
    gamestate = GAMESTATE_READY;
    bulletInterval = start_bulletInterval;
    wonTimed = false;
}

void newGameState()
{
    g_score = 0;
    g_lifes = newGameLifes();
    g_level = 1;
    g_rocket_count = 0;
    g_invincible = false;
    g_campaign_levels = countLevels();
}

// A new game, begun at the campaign's level n from its file read into record.
void beginNewGameAt(int n, const std::string &path, const LevelRecord &record)
{
    newGameState();
    g_campaign_level = n;
    g_campaign_levels = std::max(g_campaign_levels, n);
    placeShips();
    level_apply(path.c_str(), record);
}

// Reads a level of the campaign that is to be played now. A level without its header has no
// camera stop to fly to: it cannot be played. False, with one line on standard error ending in
// what the game does instead, when it cannot.
bool readPlayable(const std::string &path, LevelRecord &record, const std::string &instead)
{
    const bool opened = level_read(path.c_str(), record);
    if (opened && record.cameraStop)
        return true;
    std::string why = "cannot be opened";
    for (const LevelProblem &problem : record.problems)
        if (opened && problem.fault == LevelFault::stop) {
            why = problem.text;
            break;
        }
    error("Level file %s: %s; %s", path.c_str(), why.c_str(), instead.c_str());
    return false;
}

// The run is over: lost, or the campaign's last level won.
void runEnded()
{
    scoreboard_runEnded(g_score, g_level, g_level_name);
}

} // namespace

void task_test_restart()
{
    newGameState();
    g_campaign_level = 1;
    placeShips();
    loadMap(levelPath(1).c_str());
}

bool task_test_restartAt(int n)
{
    const std::string path = levelPath(n);
    LevelRecord record;
    if (n < 1 || !level_read(path.c_str(), record))
        return false;
    beginNewGameAt(n, path, record);
    return true;
}

bool task_test_hasNextLevel()
{
    return gamestate == GAMESTATE_WON && g_campaign_level < g_campaign_levels;
}

bool task_test_nextLevel()
{
    if (!task_test_hasNextLevel())
        return false;
    const std::string path = levelPath(g_campaign_level + 1);
    LevelRecord record;
    if (!readPlayable(path, record, "the campaign ends at level " + std::to_string(g_level))) {
        g_campaign_levels = g_campaign_level;
        runEnded();
        return false;
    }
    ++g_campaign_level;
    placeShips();
    level_apply(path.c_str(), record);
    // A life for each level won: the pool a pair carries into level 5 is what makes it reachable.
    ++g_lifes;
    return true;
}

bool task_test_canContinue()
{
    return gamestate == GAMESTATE_GAMEOVER && g_campaign_level > 1;
}

bool task_test_continue()
{
    if (!task_test_canContinue())
        return false;
    const int n = g_campaign_level;
    const std::string path = levelPath(n);
    LevelRecord record;
    if (!readPlayable(path, record, "there is nothing to continue"))
        return false;
    beginNewGameAt(n, path, record);
    return true;
}

uint32_t task_test_gameOverTime()
{
    return gamestate == GAMESTATE_GAMEOVER ? task_timer_getTicks() - lostAt : 0;
}

void task_test_tick()
{
    // Nothing moves while a player enters the initials of a run that made the table.
    if (gamestate == GAMESTATE_READY || gamestate == GAMESTATE_GAMEOVER || scoreboard_entering())
        return;
    if (gamestate == GAMESTATE_WON && wonTimed && task_timer_getTicks() - wonAt >= next_level_delay &&
        task_test_nextLevel())
        return;
    if (g_camera == nullptr)
        return; // no game has been set up
    for (int ship = 0; ship < ship_count; ++ship)
        if (g_ships[ship].player == nullptr)
            return;

    actor_iterate(actor_tick);
    actor_collideAll(); // may end the game; the rest of the tick runs regardless
    if (gamestate == GAMESTATE_WON && !wonTimed) {
        wonTimed = true;
        wonAt = task_timer_getTicks();
        if (!task_test_hasNextLevel())
            runEnded();
    }
    if (gamestate == GAMESTATE_GAMEOVER) {
        lostAt = task_timer_getTicks();
        runEnded();
    }

    if (gamestate == GAMESTATE_SCROLLING)
        scroll();

    for (int ship = 0; ship < ship_count; ++ship)
        steer(g_ships[ship].player, g_ships[ship].keys);
    for (int ship = 0; ship < ship_count; ++ship)
        keepOnField(g_ships[ship].player);
    // The first ship fires first: with one rocket left, it is the first ship's.
    for (int ship = 0; ship < ship_count; ++ship) {
        Ship &s = g_ships[ship];
        fireBullet(s.player, s.keys.bullet, s.lastBullet);
        fireRockets(s.player, s.keys.rockets);
    }
}

void task_test_playExplosion()
{
    task_audio_playSound(explosion, false);
}

void task_test_playBonusSound()
{
    task_audio_playSound(bonus, false);
}
