// task_test.h -- the game module: the game state that other modules read and write directly,
// the game task, a new game, and the two sounds the collision pass plays.
#pragma once

#include "game/level_parse.h"
#include "graphics/camera.h"
#include "graphics/shield.h"
#include "tasks/keymap.h"

#include <SDL.h>

#include <cstdint>
#include <string>

struct actor;

enum GameState : int {
    GAMESTATE_READY = 0,
    GAMESTATE_SCROLLING = 1,
    GAMESTATE_GAMEOVER = 3,
    GAMESTATE_BOSS = 4,
    GAMESTATE_WON = 5,
};

extern int gamestate;
extern int g_score;
extern int g_lifes;            // one pool for both ships
extern int g_level;
extern std::string g_level_name;
extern int g_rocket_count;     // shared by both ships
extern bool g_invincible;
extern int g_boss_energy;      // shared by every boss
extern int g_level_boss_energy; // a new boss's energy: the level's, 2500 unless it says otherwise
extern LevelLook g_level_look; // the colour of the level's air: fog, lights and sky
extern unsigned g_level_serial; // levels put into play so far: the frame sets each one up afresh
// The campaign: the level files data/level1.map, data/level2.map, ... found at a new game, up to
// the first one missing, played in turn; g_campaign_level is the number of the file in play.
extern int g_campaign_level;
extern int g_campaign_levels;
extern camera *g_camera;       // made once by the game task's start, lives until exit
extern float camera_max;       // x at which the camera stops scrolling
extern int bulletInterval;     // least milliseconds between two bullets of one ship
extern uint32_t lastRocket;    // shared by both ships

// Playing field relative to the camera, and the game's speeds.
constexpr float scr_l_x = -110.0f;
constexpr float scr_r_x = 110.0f;
constexpr float scr_t_y = 80.0f;
constexpr float scr_b_y = -80.0f;
constexpr float g_camera_speed = 50.0f;
constexpr float player_speed = 150.0f;
constexpr float player_tilt = 20.0f;
constexpr int rocketInterval = 500;

// The ships. trelvik flies two, trelvik-solo one: the count is set before the input and game tasks
// start (by the program's entry, or by a tool or test between games) and a new game places that
// many. A ship beyond the count has no actor and no shield.
constexpr int max_ships = 2;
extern int ship_count;

struct Ship {
    actor *player;        // owned by the actor list; null before the first game and beyond the count
    ShieldPtr shield;     // made by the game task's start, sized to the ship
    ShipKeys keys;        // bound by the input task's start
    uint32_t lastBullet;  // when the ship last fired a bullet; a new game leaves it alone
};
extern Ship g_ships[max_ships];

// The ships' parts by the names the game has always used: ship 0, then ship 1.
extern actor *&g_player;
extern actor *&g_player2;
extern ShieldPtr &g_player_shield;
extern ShieldPtr &g_player2_shield;
extern ShipKeys &player_keys;
extern ShipKeys &player2_keys;
extern uint32_t &lastBullet;
extern uint32_t &lastBullet2;

// The two-player game's keys before config.ini rebinds them (the input task's start does); the
// one-player game's are keymap_soloDefaultKeys.
constexpr ShipKeys default_player_keys = {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN, SDLK_p, SDLK_o};
constexpr ShipKeys default_player2_keys = {SDLK_d, SDLK_g, SDLK_r, SDLK_f, SDLK_a, SDLK_x};
// The ship's keys before config.ini rebinds them, in a game of ship_count ships.
ShipKeys task_test_defaultKeys(int ship);

// Ship 0 is the first ship (g_player), ship 1 the second; null for a ship beyond the count.
ShipKeys *task_test_shipKeys(int ship);
actor *task_test_ship(int ship);

int task_test_start();
void task_test_stop();
void task_test_suspend();
int task_test_resume();
void task_test_tick();

// A new game: state reset, actors cleared, players placed, the first level read again.
void task_test_restart();
// A new game begun at the campaign's level n (the autopilots fly each level on its own); false,
// with the game as it was, when that level's file cannot be read.
bool task_test_restartAt(int n);
// After a win: the next level of the campaign, with score, lives and rockets carried over and one
// life more for the level won. False (the win stays final, and brings no life) when there is none,
// or when its file cannot be read, which is reported on standard error and ends the campaign.
bool task_test_nextLevel();
// Whether the game-over screen offers to continue: the run ended in level 2 or later.
bool task_test_canContinue();
// Continue where the run fell: the level it ended in begins afresh as a new game begins level 1
// (a new game's lives, rockets and fire rate, score 0), so a score always belongs to one unbroken
// run. False, with the game as it was, where nothing is offered or the level's file can no longer
// be read (reported on standard error).
bool task_test_continue();
// Milliseconds the game-over screen has shown; 0 in every other state.
uint32_t task_test_gameOverTime();
// Whether a won level is followed by another (the HUD offers it).
bool task_test_hasNextLevel();
// How long the win shows before the next level begins by itself, in milliseconds.
constexpr uint32_t next_level_delay = 5000;

void task_test_playExplosion();
void task_test_playBonusSound();
