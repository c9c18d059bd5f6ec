// task_test.cpp -- the game state and the game task. The state lives for the whole run; a new
// game resets the parts a new game is said to reset and leaves the rest.
#include "game/task_test.h"

#include "tasks/task_audio.h"

int gamestate = GAMESTATE_READY;
int g_score = 0;
int g_lifes = 0;
int g_level = 0;
std::string g_level_name;
actor *g_player = nullptr;
ShieldPtr g_player_shield;
#ifndef TRELVIK_SOLO
actor *g_player2 = nullptr;
ShieldPtr g_player2_shield;
#endif
int g_rocket_count = 0;
bool g_invincible = false;
int g_boss_energy = 0;
camera *g_camera = nullptr;
float camera_max = 0;
int bulletInterval = 350;
uint32_t lastBullet = 0;
#ifndef TRELVIK_SOLO
uint32_t lastBullet2 = 0;
#endif
uint32_t lastRocket = 0;

namespace {

// Loaded once by the game task's start; empty before, and empty for a file that failed.
Sound shot = nullptr;
Sound explosion = nullptr;
Sound bonus = nullptr;

} // namespace

void task_test_playExplosion()
{
    task_audio_playSound(explosion, false);
}

void task_test_playBonusSound()
{
    task_audio_playSound(bonus, false);
}
