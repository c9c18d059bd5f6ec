// task_input.cpp -- events and key state. The key state is rebuilt at the end of every tick from
// SDL's key array with the gamepads' held controls pressed into it; before the first tick every
// key reads as released. The pads themselves are tasks/gamepads.cpp's; here their events become
// the game's actions.
#include "tasks/task_input.h"

#include "game/scoreboard.h"
#include "game/task_test.h"
#include "kernel/common.h"
#include "kernel/kernel.h"
#include "kernel/page.h"
#include "kernel/settings.h"
#include "tasks/gamepads.h"
#include "tasks/keymap.h"
#include "tasks/task_audio.h"
#include "tasks/task_timer.h"
#include "tasks/task_video.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

namespace {

SDL_Event event;
std::array<Uint8, SDLK_LAST> keyState{};

// A new game from the game-over screen, or the next level at once after a won one; says whether
// it did either. A next level that cannot be read ends the campaign, with a line saying so.
bool newGameOrNextLevel()
{
    if (scoreboard_entering())
        return false;
    if (gamestate == GAMESTATE_GAMEOVER) {
        task_test_restart();
        return true;
    }
    if (!task_test_hasNextLevel())
        return false;
    task_test_nextLevel();
    return true;
}

// Space: in every other state it does nothing.
void spaceKey()
{
    newGameOrNextLevel();
}

// Return, on the game-over screen of level 2 or later: that level afresh, as a new game.
void returnKey()
{
    if (!scoreboard_entering())
        task_test_continue();
}

// A pad's fire button continues too, once the game-over screen has shown for a while: a player
// still hammering fire as the last ship goes down has not chosen to go on.
constexpr uint32_t pad_continue_delay = 1000;

void toggleInvincible()
{
    g_invincible = !g_invincible;
}

// The pad's start button: what Space does, and otherwise the pause.
void padStart()
{
    if (kernel_isPaused() || !newGameOrNextLevel())
        kernel_toggleSuspendAllTasks();
}

// A player who leaves the window finds the game waiting; coming back does not resume it. Window
// managers move the focus away and straight back when they map or raise a window: a loss that
// the same pass's events take back is no leaving. Says whether the window is left at the end.
bool windowLeft(bool left, const SDL_ActiveEvent &active)
{
    if ((active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) == 0)
        return left;
    return active.gain == 0;
}

struct CommandKey {
    SDLKey key;
    void (*action)();
};

// Keys that act once, on their key-down event, on the system as a whole. F11 switches full
// screen; in the two-player game F is the second ship's down key and switches nothing, while the
// one-player game, where F moves nothing, keeps it as a second full-screen key. Pause is missing
// from most laptops: Backspace pauses too.
const CommandKey commandKeys[] = {
    {SDLK_PAUSE, kernel_toggleSuspendAllTasks},
    {SDLK_BACKSPACE, kernel_toggleSuspendAllTasks},
    {SDLK_SPACE, spaceKey},
    {SDLK_RETURN, returnKey},
    {SDLK_F11, task_video_toggleFullscreen},
    {keymap_soloFullscreenKey, task_video_toggleFullscreen},
    {SDLK_m, [] { task_audio_mute(false); }},
    {SDLK_n, [] { task_audio_mute(true); }},
    {SDLK_q, toggleInvincible},
    {SDLK_F2, task_video_toggleShowFPS},
    {SDLK_F3, task_video_toggleDrawWireframe},
    {SDLK_F4, task_video_switchTextureRendering},
    {SDLK_F7, task_video_switchDisplaylists},
    {SDLK_F8, task_video_toggleFrustumCulling},
};

// F is a command key only in the game where no ship flies with it.
bool isCommand(const CommandKey &command)
{
    return command.key != keymap_soloFullscreenKey || ship_count == 1;
}

// Each start reads the ships' keys from the settings afresh; a binding that cannot be taken is
// reported and leaves its action on the default key.
void bindShipKeys()
{
    ShipKeys keys[max_ships];
    for (int ship = 0; ship < max_ships; ++ship)
        keys[ship] = task_test_defaultKeys(ship);
    const auto value = [](const std::string &setting) { return settings_findCharSetting(setting.c_str()); };
    for (const KeymapProblem &problem : keymap_bind(keys, ship_count, value, task_input_commandKeys()))
        error("%s", problem.message.c_str());
    for (int ship = 0; ship < ship_count; ++ship)
        *task_test_shipKeys(ship) = keys[ship];
}

// While initials are entered, a ship's up, down, left, right and bullet keys choose them and every
// other letter is typed, commands on letters (Q, N, M) included; says whether the key was taken.
bool initialsKey(SDLKey key)
{
    if (!scoreboard_entering())
        return false;
    for (int ship = 0; ship < ship_count; ++ship) {
        const ShipKeys &k = *task_test_shipKeys(ship);
        const std::pair<SDLKey, ScoreboardControl> controls[] = {{k.up, SCOREBOARD_UP},
                                                                {k.down, SCOREBOARD_DOWN},
                                                                {k.left, SCOREBOARD_LEFT},
                                                                {k.right, SCOREBOARD_RIGHT},
                                                                {k.bullet, SCOREBOARD_FIRE}};
        for (const auto &[bound, control] : controls)
            if (key == bound) {
                scoreboard_control(control);
                return true;
            }
    }
    if (key >= SDLK_a && key <= SDLK_z) {
        scoreboard_type(static_cast<char>('a' + (key - SDLK_a)));
        return true;
    }
    return false;
}

// A pad's controls newly held: the entry's steps.
void initialsPad(const HeldControls &before, const HeldControls &after)
{
    const std::pair<bool, ScoreboardControl> steps[] = {
        {after.up && !before.up, SCOREBOARD_UP},          {after.down && !before.down, SCOREBOARD_DOWN},
        {after.left && !before.left, SCOREBOARD_LEFT},    {after.right && !before.right, SCOREBOARD_RIGHT},
        {after.bullets && !before.bullets, SCOREBOARD_FIRE}};
    for (const auto &[step, control] : steps)
        if (step && scoreboard_entering())
            scoreboard_control(control);
}

void padEvent(const SDL_Event &e)
{
    const PadEvent pad = gamepads_event(e, task_timer_getRealTicks());
    if (pad.fireDown && !scoreboard_entering() && task_test_canContinue() &&
        task_test_gameOverTime() >= pad_continue_delay)
        task_test_continue();
    if (pad.startDown)
        padStart();
    initialsPad(pad.before, pad.after);
}

// The keyboard part comes from SDL's own array every tick, so whatever writes into that array
// before the tick (the X server through SDL, a test) is seen.
void takeKeyState()
{
    int count = 0;
    const Uint8 *sdlKeys = SDL_GetKeyState(&count);
    count = std::clamp(count, 0, static_cast<int>(keyState.size()));
    keyState.fill(0);
    if (sdlKeys != nullptr)
        std::copy_n(sdlKeys, count, keyState.begin());
    gamepads_pressKeys(keyState);
}

} // namespace

int task_input_start()
{
    if (SDL_EnableKeyRepeat(0, 30) < 0)
        error("Failed to disable key repeat. %s", SDL_GetError());
    bindShipKeys();
    gamepads_open(task_timer_getRealTicks());
    return 1;
}

void task_input_stop()
{
    gamepads_close();
}

void task_input_suspend() {}

int task_input_resume()
{
    return 1;
}

std::vector<SDLKey> task_input_commandKeys()
{
    std::vector<SDLKey> keys = {SDLK_ESCAPE};
    for (const CommandKey &command : commandKeys)
        if (isCommand(command))
            keys.push_back(command.key);
    return keys;
}

bool task_input_commandKey(SDLKey key)
{
    for (const CommandKey &command : commandKeys) {
        if (command.key == key && isCommand(command)) {
            command.action();
            page_keepToggles(); // a toggle changed in a web page is there on the next visit
            return true;
        }
    }
    return false;
}

void task_input_tick()
{
    // After a quit request SDL is shut down: the rest of the queue is not acted on.
    bool quit = false;
    bool left = false;
    while (!quit && SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_KEYDOWN:
            if (event.key.keysym.sym == SDLK_ESCAPE)
                quit = true;
            else if (!initialsKey(event.key.keysym.sym))
                task_input_commandKey(event.key.keysym.sym);
            break;
        case SDL_QUIT:
            quit = true;
            break;
        case SDL_VIDEORESIZE:
            task_video_resize(event.resize.w, event.resize.h);
            break;
        case SDL_ACTIVEEVENT:
            left = windowLeft(left, event.active);
            break;
        case SDL_JOYAXISMOTION:
        case SDL_JOYHATMOTION:
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP:
            padEvent(event);
            break;
        default:
            break;
        }
    }
    if (quit)
        kernel_quit();
    else if (left && !kernel_isPaused())
        kernel_toggleSuspendAllTasks();
    gamepads_tick(task_timer_getRealTicks());
    takeKeyState();
}

bool task_input_isKeyPressed(SDLKey key)
{
    return key >= 0 && key < static_cast<int>(keyState.size()) && keyState[key] != 0;
}

bool task_input_isKeyDown(SDLKey key)
{
    return task_input_isKeyPressed(key);
}

bool task_input_isKeyUp(SDLKey key)
{
    return !task_input_isKeyPressed(key);
}
