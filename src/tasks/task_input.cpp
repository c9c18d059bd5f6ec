// task_input.cpp -- events and key state. The snapshot points into SDL's own key array and is
// refreshed at the end of every tick; before the first tick every key reads as released.
#include "tasks/task_input.h"

#include "game/task_test.h"
#include "kernel/common.h"
#include "kernel/kernel.h"
#include "tasks/task_audio.h"
#include "tasks/task_video.h"

namespace {

SDL_Event event;
const Uint8 *keys = nullptr;
int keyCount = 0;

// A new game only from the game-over screen; in every other state Space does nothing.
void restartAfterGameOver()
{
    if (gamestate == GAMESTATE_GAMEOVER)
        task_test_restart();
}

void toggleInvincible()
{
    g_invincible = !g_invincible;
}

struct CommandKey {
    SDLKey key;
    void (*action)();
};

// Keys that act once, on their key-down event, on the system as a whole. F11 switches full
// screen; in the two-player game F is the second ship's down key and switches nothing, while the
// one-player game, where F moves nothing, keeps it as a second full-screen key.
const CommandKey commandKeys[] = {
    {SDLK_SPACE, restartAfterGameOver},
    {SDLK_F11, task_video_toggleFullscreen},
#ifdef TRELVIK_SOLO
    {SDLK_f, task_video_toggleFullscreen},
#endif
    {SDLK_m, [] { task_audio_resume(); }},
    {SDLK_n, task_audio_suspend},
    {SDLK_q, toggleInvincible},
    {SDLK_F2, task_video_toggleShowFPS},
    {SDLK_F3, task_video_toggleDrawWireframe},
    {SDLK_F4, task_video_switchTextureRendering},
    {SDLK_F7, task_video_switchDisplaylists},
    {SDLK_F8, task_video_toggleFrustumCulling},
};

} // namespace

int task_input_start()
{
    if (SDL_EnableKeyRepeat(0, 30) < 0)
        error("Failed to disable key repeat. %s", SDL_GetError());
    return 1;
}

void task_input_stop() {}

void task_input_suspend() {}

int task_input_resume()
{
    return 1;
}

bool task_input_commandKey(SDLKey key)
{
    for (const CommandKey &command : commandKeys) {
        if (command.key == key) {
            command.action();
            return true;
        }
    }
    return false;
}

void task_input_tick()
{
    // After a quit request SDL is shut down: the rest of the queue is not acted on.
    bool quit = false;
    while (!quit && SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_ESCAPE)
                quit = true;
            else
                task_input_commandKey(event.key.keysym.sym);
            break;
        case SDL_QUIT:
            quit = true;
            break;
        case SDL_VIDEORESIZE:
            task_video_resize(event.resize.w, event.resize.h);
            break;
        default:
            break;
        }
    }
    if (quit)
        kernel_quit();
    keys = SDL_GetKeyState(&keyCount);
}

bool task_input_isKeyPressed(SDLKey key)
{
    return keys != nullptr && key >= 0 && key < keyCount && keys[key] != 0;
}

bool task_input_isKeyDown(SDLKey key)
{
    return task_input_isKeyPressed(key);
}

bool task_input_isKeyUp(SDLKey key)
{
    return !task_input_isKeyPressed(key);
}
