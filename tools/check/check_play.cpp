// check_play.cpp -- flights of the level under the game's own rules. A frame is what the kernel's
// pass is in the game: the timer task, the input task, the game task, in their priority order; the
// clock is ours and moves by a fixed frame interval. The pilots see the frame the game task left
// (what the video task would draw) and answer through SDL's key array, which the input task hands
// on to the game exactly as it hands on the keyboard.
#include "check_play.h"

#include "game/actor.h"
#include "game/task_test.h"
#include "graphics/explosion.h"
#include "graphics/particle.h"
#include "kernel/common.h"
#include "tasks/task_audio.h"
#include "tasks/task_input.h"
#include "tasks/task_timer.h"

#include <SDL.h>

#include <chrono>
#include <cstdlib>

namespace {

uint32_t clockMs = 0;
uint32_t playClock() { return clockMs; }

bool opened = false;

// Bursts and explosions are retired by drawing, which a flight leaves out; each flight starts
// with none.
void clearEffects()
{
    for (ParticleSystem *system : particle_systems())
        particle_freeSys(system);
    for (Explosion *explosion : explosion_list())
        explosion_free(explosion);
}

void releaseKeys()
{
    int count = 0;
    Uint8 *state = SDL_GetKeyState(&count);
    for (int i = 0; i < count; ++i)
        state[i] = 0;
}

void holdKeys(int ship, const PilotKeys &held)
{
    const ShipKeys *keys = task_test_shipKeys(ship);
    if (keys == nullptr)
        return;
    Uint8 *state = SDL_GetKeyState(nullptr);
    state[keys->left] = held.left;
    state[keys->right] = held.right;
    state[keys->up] = held.up;
    state[keys->down] = held.down;
    state[keys->bullet] = held.bullet;
    state[keys->rockets] = held.rockets;
}

SeenThing seenOf(const actor *a, float cx, float cy)
{
    return {a->kind, a->position->x - cx, a->position->y - cy, actor_leftEdge(a) - cx, actor_rightEdge(a) - cx,
            actor_bottomEdge(a) - cy, actor_topEdge(a) - cy};
}

// Whether any part of the actor lies inside the playing field the camera shows.
bool onScreen(const actor *a)
{
    const float cx = g_camera->position->x, cy = g_camera->position->y;
    return actor_rightEdge(a) >= cx + scr_l_x && actor_leftEdge(a) <= cx + scr_r_x &&
           actor_topEdge(a) >= cy + scr_b_y && actor_bottomEdge(a) <= cy + scr_t_y;
}

// Filled by the walk in see(); a plain function pointer cannot carry it.
SeenFrame *seeing = nullptr;

// What the screen shows after the game task's tick: the playing field's contents (not the city
// behind, not the ships' own shots), the ships, the counters.
SeenFrame see(float time, bool fighting)
{
    SeenFrame frame{time, fighting, {}, {}, g_lifes, g_rocket_count};
    seeing = &frame;
    actor_iterate([](actor *a) {
        const uint32_t k = a->kind;
        if (k == ACTOR_NONE || k == ACTOR_BUILDING1 || k == ACTOR_BUILDING2 || k == ACTOR_SHOT ||
            k == ACTOR_ROCKET_DOWN || k == ACTOR_ROCKET_UP || k > ACTOR_POWERUP_R || !onScreen(a))
            return;
        for (int ship = 0; ship < ship_count; ++ship)
            if (a == task_test_ship(ship))
                return;
        seeing->things.push_back(seenOf(a, g_camera->position->x, g_camera->position->y));
    });
    seeing = nullptr;
    for (int ship = 0; ship < ship_count; ++ship)
        frame.ships.push_back(seenOf(task_test_ship(ship), g_camera->position->x, g_camera->position->y));
    return frame;
}

// A new game as the program begins one: the clock at 0, the fire clocks as the program starts
// them, the random numbers from the seed, then the game's own new game and the timer's start.
void newGame(unsigned seed, int level = 1)
{
    clockMs = 0;
    task_timer_setClock(playClock);
    for (Ship &ship : g_ships)
        ship.lastBullet = 0;
    lastRocket = 0;
    releaseKeys();
    task_input_tick();
    clearEffects();
    std::srand(seed);
    if (level <= 1 || !task_test_restartAt(level))
        task_test_restart();
    task_timer_start();
}

// The game for that many ships, begun as the program for them begins it: the ships' keys bound
// by the input task's start, the ships and shields made by the game task's.
void usePlayers(int players)
{
    if (players == ship_count)
        return;
    task_input_stop();
    ship_count = players;
    task_input_start();
    task_test_start();
}

// One pass of the kernel's loop: timer, input, game.
void pass(uint64_t frame, int fps)
{
    clockMs = static_cast<uint32_t>(frame * 1000 / static_cast<uint64_t>(fps));
    task_timer_tick();
    task_input_tick();
    task_test_tick();
}

int enemiesOnScreen()
{
    static int n;
    n = 0;
    actor_iterate([](actor *a) { n += (a->kind == ACTOR_ENEMY1 || a->kind == ACTOR_ENEMY2) && onScreen(a); });
    return n;
}

} // namespace

bool play_open()
{
    // The models need a GL context, which SDL gives only with a window: one pixel, no frame, out
    // of the way. The sound goes to SDL's silent driver.
    setenv("SDL_VIDEO_WINDOW_POS", "0,0", 1);
    // Without X, SDL would try drivers that take over the terminal; the window must be an X one.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) < 0) {
        std::fprintf(stderr, "trelvik-check: cannot fly the level without a display: %s\n", SDL_GetError());
        return false;
    }
    if (SDL_SetVideoMode(1, 1, 0, SDL_OPENGL | SDL_NOFRAME) == nullptr) {
        std::fprintf(stderr, "trelvik-check: cannot open the window the models need: %s\n", SDL_GetError());
        SDL_Quit();
        return false;
    }
    SDL_WM_SetCaption("trelvik-check", "trelvik-check");
    task_audio_start();
    task_input_start();
    task_test_start();
    opened = true;
    return true;
}

void play_close()
{
    if (!opened)
        return;
    releaseKeys();
    actor_freeAll();
    clearEffects();
    task_timer_setClock(nullptr);
    task_audio_stop();
    SDL_Quit();
    opened = false;
}

PlayResult play_fly(const PlayRun &run)
{
    const auto wallStart = std::chrono::steady_clock::now();
    usePlayers(run.players);
    newGame(run.seed, run.level);
    std::vector<Pilot> pilots;
    for (int ship = 0; ship < ship_count; ++ship)
        pilots.push_back(pilot_new(run.skill, ship, run.seed));

    PlayResult result{run, false, 0, 0, 0, -1, 0, {}, 0, g_campaign_level};
    const int startLifes = g_lifes;
    float scrollStart = -1, levelStart = 0;
    for (uint64_t frame = 1;; ++frame) {
        const int lifesBefore = g_lifes;
        pass(frame, run.fps);
        if (run.afterPass != nullptr)
            run.afterPass();
        const float now = static_cast<float>(clockMs) * 0.001f;
        if (scrollStart < 0 && gamestate != GAMESTATE_READY)
            scrollStart = now - g_frameInterval;
        for (int lost = g_lifes; lost < lifesBefore; ++lost)
            result.lossAt.push_back(now - scrollStart);
        if (result.bossAt < 0 && (gamestate == GAMESTATE_BOSS || gamestate == GAMESTATE_WON))
            result.bossAt = now;
        if (run.level == play_campaign && task_test_hasNextLevel() && task_test_nextLevel()) {
            result.reached = g_campaign_level;
            result.bossAt = -1;
            levelStart = now;
            continue;
        }
        if (gamestate == GAMESTATE_WON || gamestate == GAMESTATE_GAMEOVER || now - levelStart >= play_maxSeconds ||
            (run.stopAfter > 0 && now >= run.stopAfter)) {
            result.won = gamestate == GAMESTATE_WON;
            result.seconds = now;
            break;
        }
        const SeenFrame seen = see(now, gamestate == GAMESTATE_BOSS);
        for (Pilot &pilot : pilots)
            holdKeys(pilot.ship, pilot_fly(pilot, seen));
    }
    result.livesLost = startLifes - g_lifes;
    result.score = g_score;
    result.bossSeconds = result.bossAt >= 0 ? result.seconds - result.bossAt : 0;
    releaseKeys();
    result.wallSeconds =
        std::chrono::duration<float>(std::chrono::steady_clock::now() - wallStart).count();
    return result;
}

int play_levelCount()
{
    return g_campaign_levels;
}

PlayProfile play_profile(int fps, int level)
{
    usePlayers(2);
    newGame(1, level);
    g_invincible = true;
    std::vector<float> sum;
    std::vector<int> frames;
    float scrollStart = -1, stopAt = -1;
    for (uint64_t frame = 1;; ++frame) {
        pass(frame, fps);
        const float now = static_cast<float>(clockMs) * 0.001f;
        if (gamestate == GAMESTATE_READY)
            continue;
        if (scrollStart < 0)
            scrollStart = now - g_frameInterval;
        if (stopAt < 0 && gamestate != GAMESTATE_SCROLLING)
            stopAt = now;
        // The first stretch of the boss fight shows the arena as it stands when the camera stops.
        if ((stopAt >= 0 && now > stopAt + play_stretch) || now >= play_maxSeconds)
            break;
        const size_t stretch = static_cast<size_t>((now - scrollStart) / play_stretch);
        if (stretch >= sum.size())
            sum.resize(stretch + 1, 0), frames.resize(stretch + 1, 0);
        sum[stretch] += static_cast<float>(enemiesOnScreen());
        ++frames[stretch];
    }
    g_invincible = false;
    for (size_t i = 0; i < sum.size(); ++i)
        sum[i] = frames[i] > 0 ? sum[i] / static_cast<float>(frames[i]) : 0.0f;
    return {sum, stopAt >= 0 ? stopAt - scrollStart : -1.0f};
}
