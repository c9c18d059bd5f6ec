// task_input.cpp -- events and key state. The key state is rebuilt at the end of every tick from
// SDL's key array with the gamepads' held controls pressed into it; before the first tick every
// key reads as released. Gamepads are open from the task's start to its stop, closed and opened
// again whenever SDL's list of them is read again (after the system's input devices changed).
#include "tasks/task_input.h"

#include "game/scoreboard.h"
#include "game/task_test.h"
#include "kernel/common.h"
#include "kernel/kernel.h"
#include "kernel/settings.h"
#include "tasks/input_devices.h"
#include "tasks/keymap.h"
#include "tasks/task_audio.h"
#include "tasks/task_timer.h"
#include "tasks/task_video.h"

#include <algorithm>
#include <array>
#include <cctype>
#ifdef __EMSCRIPTEN__
#include "browser_page.h"
#endif
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

SDL_Event event;
std::array<Uint8, SDLK_LAST> keyState{};

// One pad a ship: the one-player game opens one.
constexpr int max_pads = max_ships;
// A stick resting a little off centre (worn, or just let go) moves nothing.
constexpr int stick_dead_zone = 32767 / 4;
constexpr Uint8 bullet_button = 0;
constexpr Uint8 rocket_button = 1;
// On a pad whose layout we do not know, the button after the two fire buttons is the start button.
constexpr int fallback_start_button = 2;
// A pad holding a control that has reported within this time is plainly still there.
constexpr uint32_t reporting_time = 1000;

struct JoystickCloser {
    void operator()(SDL_Joystick *joystick) const { SDL_JoystickClose(joystick); }
};
using JoystickPtr = std::unique_ptr<SDL_Joystick, JoystickCloser>;

// What a pad holds as its events last told it; kept across a re-scan that finds the same pads,
// since the reopened pad reports only what changes from then on.
struct PadControls {
    int x = 0, y = 0; // left stick
    Uint8 hat = SDL_HAT_CENTERED;
    bool bullets = false, rockets = false;
    uint32_t lastReport = 0;
};

// Slot i is SDL's joystick i; listed says whether SDL listed one there at the last scan.
struct Pad {
    JoystickPtr joystick;
    bool listed = false;
    std::string name;
    int startButton = fallback_start_button;
};

std::array<PadControls, max_pads> padControls;
std::array<Pad, max_pads> pads;
bool joysticksOpen = false; // this task started SDL's joystick subsystem
// SDL 1.2 reads its list of joysticks once, at the subsystem's start, and goes quiet about a pad
// that is unplugged: the list is read again (the subsystem restarted) when the system's input
// devices have changed, and only then.
bool rescanWanted = false;

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

bool nameHas(std::string name, const char *part)
{
    for (char &c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name.find(part) != std::string::npos;
}

// SDL 1.2 numbers a pad's buttons in the order its driver lists them, so where the start button
// lies depends on the pad. Xbox-style pads list it eighth, Sony's tenth.
int startButtonOf(const std::string &name, int buttons)
{
    int start = fallback_start_button;
    if (nameHas(name, "x-box") || nameHas(name, "xbox"))
        start = 7;
    else if (nameHas(name, "sony") || nameHas(name, "playstation"))
        start = 9;
    return start < buttons ? start : fallback_start_button;
}

int openPadCount()
{
    return static_cast<int>(std::count_if(pads.begin(), pads.end(), [](const Pad &pad) { return pad.joystick != nullptr; }));
}

const ShipKeys &keysOf(int slot)
{
    if (ship_count == 1)
        return player_keys;
    // A lone pad is the second player's: the first keeps the keyboard's arrows.
    return slot == 1 || openPadCount() == 1 ? player2_keys : player_keys;
}

// The controls a pad holds now: the stick past its dead zone or the d-pad, and the fire buttons.
struct HeldControls {
    bool left, right, up, down, bullets, rockets;
};

HeldControls heldControls(const PadControls &c)
{
    return {c.x < -stick_dead_zone || (c.hat & SDL_HAT_LEFT) != 0, c.x > stick_dead_zone || (c.hat & SDL_HAT_RIGHT) != 0,
            c.y < -stick_dead_zone || (c.hat & SDL_HAT_UP) != 0, c.y > stick_dead_zone || (c.hat & SDL_HAT_DOWN) != 0,
            c.bullets, c.rockets};
}

bool holdsAnything(const PadControls &c)
{
    const HeldControls h = heldControls(c);
    return h.left || h.right || h.up || h.down || h.bullets || h.rockets;
}

// Closing needs the joystick subsystem: where SDL was shut down beneath the pads (a test ending
// with SDL_Quit), the handles are only forgotten.
void closePads()
{
    const bool up = SDL_WasInit(SDL_INIT_JOYSTICK) != 0;
    for (Pad &pad : pads) {
        if (!up)
            static_cast<void>(pad.joystick.release());
        pad.joystick.reset();
    }
}

// SDL 1.2 throws away every pending event, keys and quit requests included, whenever an event
// type is switched on or off: an Escape pressed while the game was loading, or in the pass of a
// re-scan, was lost that way. Pad events are on from the start, so they are switched on only
// where something had switched them off.
void enablePadEvents()
{
    if (SDL_JoystickEventState(SDL_QUERY) != SDL_ENABLE)
        SDL_JoystickEventState(SDL_ENABLE);
}

// Opens what SDL lists now. A pad that fails to open is reported once, when it first appears
// in its slot; the game goes on without it.
void openPads()
{
    const int count = std::min(SDL_NumJoysticks(), ship_count);
    for (int slot = 0; slot < max_pads; ++slot) {
        Pad &pad = pads[slot];
        const bool wasListed = pad.listed;
        const std::string oldName = pad.name;
        pad.listed = slot < count;
        pad.startButton = fallback_start_button;
        pad.name = pad.listed && SDL_JoystickName(slot) != nullptr ? SDL_JoystickName(slot) : "";
        if (!pad.listed)
            continue;
        pad.joystick.reset(SDL_JoystickOpen(slot));
        if (pad.joystick == nullptr) {
            if (!wasListed || oldName != pad.name)
                error("Failed to open gamepad %d (%s). %s", slot + 1, pad.name.c_str(), SDL_GetError());
            continue;
        }
        pad.startButton = startButtonOf(pad.name, SDL_JoystickNumButtons(pad.joystick.get()));
    }
    enablePadEvents();
}

void announcePads()
{
    for (int slot = 0; slot < max_pads; ++slot) {
        if (pads[slot].joystick == nullptr)
            continue;
        const bool second = &keysOf(slot) != &player_keys;
        std::printf("Gamepad %d: %s (player %s)\n", slot + 1, pads[slot].name.c_str(), second ? "two" : "one");
    }
    std::fflush(stdout);
}

// Reads SDL's list again by restarting its joystick subsystem. When the pads are the same ones in
// the same slots they keep what they hold; otherwise every pad lets go of everything (an unplugged
// pad's ship must not drift on) and the pads are assigned afresh.
void rescanPads()
{
    struct Seen {
        bool open;
        std::string name;
    };
    std::array<Seen, max_pads> before;
    for (int slot = 0; slot < max_pads; ++slot)
        before[slot] = {pads[slot].joystick != nullptr, pads[slot].name};
    closePads();
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) {
        error("Failed to initialise SDL_INIT_JOYSTICK. %s", SDL_GetError());
        joysticksOpen = false;
    } else {
        openPads();
    }
    bool changed = false;
    for (int slot = 0; slot < max_pads; ++slot) {
        const bool open = pads[slot].joystick != nullptr;
        // A slot without a pad holds nothing, whatever events once said about it.
        if (!open)
            padControls[slot] = {};
        changed = changed || open != before[slot].open || (open && pads[slot].name != before[slot].name);
    }
    if (!changed)
        return;
    padControls = {};
    for (int slot = 0; slot < max_pads; ++slot)
        if (before[slot].open && pads[slot].joystick == nullptr)
            std::printf("Gamepad %d unplugged\n", slot + 1);
    announcePads();
}

// A re-scan closes and reopens every pad, and a release made in that instant would be lost; so
// it waits while every pad that holds a control keeps reporting. A pad holding a control that
// has gone quiet may have been unplugged, and is what the re-scan is for.
bool rescanDue(uint32_t now)
{
    if (!joysticksOpen)
        return false;
    if (input_devices_changed(now))
        rescanWanted = true;
    if (!rescanWanted)
        return false;
    bool holding = false;
    for (const PadControls &c : padControls) {
        if (!holdsAnything(c))
            continue;
        if (now - c.lastReport >= reporting_time)
            return true;
        holding = true;
    }
    return !holding;
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
    // Every joystick event carries the pad's index in the same place.
    const int slot = e.jaxis.which;
    if (slot >= ship_count)
        return;
    PadControls &c = padControls[slot];
    c.lastReport = task_timer_getRealTicks();
    const HeldControls before = heldControls(c);
    switch (e.type) {
    case SDL_JOYAXISMOTION:
        if (e.jaxis.axis == 0)
            c.x = e.jaxis.value;
        else if (e.jaxis.axis == 1)
            c.y = e.jaxis.value;
        break;
    case SDL_JOYHATMOTION:
        if (e.jhat.hat == 0)
            c.hat = e.jhat.value;
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
        const bool down = e.type == SDL_JOYBUTTONDOWN;
        if (down && e.jbutton.button == bullet_button && !scoreboard_entering() && task_test_canContinue() &&
            task_test_gameOverTime() >= pad_continue_delay)
            task_test_continue();
        if (e.jbutton.button == bullet_button)
            c.bullets = down;
        else if (e.jbutton.button == rocket_button)
            c.rockets = down;
        else if (down && e.jbutton.button == pads[slot].startButton)
            padStart();
        break;
    }
    default:
        break;
    }
    initialsPad(before, heldControls(c));
}

// A control held on the keyboard and on a pad at once is one press: the key is simply held.
void pressPadKeys(const ShipKeys &keys, const PadControls &c)
{
    const HeldControls h = heldControls(c);
    const std::pair<bool, SDLKey> presses[] = {{h.left, keys.left},       {h.right, keys.right},
                                               {h.up, keys.up},           {h.down, keys.down},
                                               {h.bullets, keys.bullet}, {h.rockets, keys.rockets}};
    for (const auto &[held, key] : presses)
        if (held)
            keyState[key] = 1;
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
    for (int slot = 0; slot < max_pads; ++slot)
        pressPadKeys(keysOf(slot), padControls[slot]);
}

} // namespace

int task_input_start()
{
    if (SDL_EnableKeyRepeat(0, 30) < 0)
        error("Failed to disable key repeat. %s", SDL_GetError());
    bindShipKeys();
    closePads();
    padControls = {};
    for (Pad &pad : pads)
        pad = Pad{};
    rescanWanted = false;
    joysticksOpen = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (!joysticksOpen) {
        error("Failed to initialise SDL_INIT_JOYSTICK. %s", SDL_GetError());
        return 1;
    }
    input_devices_watch(input_devices_dir(), task_timer_getRealTicks());
    openPads();
    announcePads();
    return 1;
}

void task_input_stop()
{
    closePads();
    padControls = {};
    if (joysticksOpen && SDL_WasInit(SDL_INIT_JOYSTICK) != 0)
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    joysticksOpen = false;
    input_devices_unwatch();
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
#ifdef __EMSCRIPTEN__
            browser_keepToggles(); // a toggle changed in a web page is there on the next visit
#endif
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
    const uint32_t now = task_timer_getRealTicks();
    if (rescanDue(now)) {
        rescanWanted = false;
        rescanPads();
    }
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
