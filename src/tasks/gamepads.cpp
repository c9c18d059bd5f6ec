// gamepads.cpp -- the pads' slots and what each holds. A slot's handle lives from the pad's opening
// to the next re-scan or gamepads_close; what a pad holds outlives a re-scan that finds the same
// pads in the same slots.
#include "tasks/gamepads.h"

#include "game/task_test.h"
#include "kernel/common.h"
#include "tasks/input_devices.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

namespace {

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
bool joysticksOpen = false; // gamepads_open started SDL's joystick subsystem
// SDL 1.2 reads its list of joysticks once, at the subsystem's start, and goes quiet about a pad
// that is unplugged: the list is read again (the subsystem restarted) when the system's input
// devices have changed, and only then.
bool rescanWanted = false;

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

// A control held on the keyboard and on a pad at once is one press: the key is simply held.
void pressPadKeys(std::array<Uint8, SDLK_LAST> &keyState, const ShipKeys &keys, const PadControls &c)
{
    const HeldControls h = heldControls(c);
    const std::pair<bool, SDLKey> presses[] = {{h.left, keys.left},       {h.right, keys.right},
                                               {h.up, keys.up},           {h.down, keys.down},
                                               {h.bullets, keys.bullet}, {h.rockets, keys.rockets}};
    for (const auto &[held, key] : presses)
        if (held)
            keyState[key] = 1;
}

} // namespace

void gamepads_open(uint32_t now)
{
    closePads();
    padControls = {};
    for (Pad &pad : pads)
        pad = Pad{};
    rescanWanted = false;
    joysticksOpen = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (!joysticksOpen) {
        error("Failed to initialise SDL_INIT_JOYSTICK. %s", SDL_GetError());
        return;
    }
    input_devices_watch(input_devices_dir(), now);
    openPads();
    announcePads();
}

PadEvent gamepads_event(const SDL_Event &event, uint32_t now)
{
    // Every joystick event carries the pad's index in the same place.
    const int slot = event.jaxis.which;
    if (slot >= ship_count)
        return {};
    PadControls &c = padControls[slot];
    c.lastReport = now;
    PadEvent result;
    result.before = heldControls(c);
    switch (event.type) {
    case SDL_JOYAXISMOTION:
        if (event.jaxis.axis == 0)
            c.x = event.jaxis.value;
        else if (event.jaxis.axis == 1)
            c.y = event.jaxis.value;
        break;
    case SDL_JOYHATMOTION:
        if (event.jhat.hat == 0)
            c.hat = event.jhat.value;
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
        const bool down = event.type == SDL_JOYBUTTONDOWN;
        result.fireDown = down && event.jbutton.button == bullet_button;
        if (event.jbutton.button == bullet_button)
            c.bullets = down;
        else if (event.jbutton.button == rocket_button)
            c.rockets = down;
        else
            result.startDown = down && event.jbutton.button == pads[slot].startButton;
        break;
    }
    default:
        break;
    }
    result.after = heldControls(c);
    return result;
}

void gamepads_tick(uint32_t now)
{
    if (!rescanDue(now))
        return;
    rescanWanted = false;
    rescanPads();
}

void gamepads_pressKeys(std::array<Uint8, SDLK_LAST> &keyState)
{
    for (int slot = 0; slot < max_pads; ++slot)
        pressPadKeys(keyState, keysOf(slot), padControls[slot]);
}

void gamepads_close()
{
    closePads();
    padControls = {};
    if (joysticksOpen && SDL_WasInit(SDL_INIT_JOYSTICK) != 0)
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    joysticksOpen = false;
    input_devices_unwatch();
}
