// keymap.h -- the ships' keys as players bind them in config.ini: one setting per action
// (player1_left ... player2_rockets) whose value is a key's name as SDL gives it. Key names need
// SDL's video subsystem started (the classic SDL 1.2 fills its table of names then).
#pragma once

#include <SDL.h>

#include <functional>
#include <string>
#include <vector>

// One ship's keys, in the order its tick tests them. A gamepad drives a ship by pressing these
// same keys in the input task's key state.
struct ShipKeys {
    SDLKey left, right, up, down;
    SDLKey bullet, rockets;
};

// The one-player game's ship keys before config.ini rebinds them, and the command key it has
// beyond the two-player game's: F, the second ship's down key there, switches full screen. Known
// to both games, so a tool built with one can bind keys by the other's rules.
constexpr ShipKeys keymap_soloDefaultKeys = {SDLK_LEFT, SDLK_RIGHT, SDLK_UP, SDLK_DOWN, SDLK_x, SDLK_a};
constexpr SDLKey keymap_soloFullscreenKey = SDLK_f;

// The actions in the order above: left, right, up, down, bullets, rockets.
constexpr int keymap_actionCount = 6;
SDLKey &keymap_key(ShipKeys &keys, int action);
SDLKey keymap_key(const ShipKeys &keys, int action);

// The setting that binds a ship's action: "player1_left" for ship 0's first action.
std::string keymap_settingName(int ship, int action);

// The name a setting gives a key: SDL's name, with an underscore for each blank ("right_ctrl").
std::string keymap_keyName(SDLKey key);
// The key a name stands for, in any letter case, with blanks written as blanks or underscores;
// SDLK_UNKNOWN when no key has that name.
SDLKey keymap_keyByName(const std::string &name);

// A binding that was not taken: the action keeps the key it had.
struct KeymapProblem {
    std::string setting; // e.g. "player1_left"
    std::string message; // one line, without "Error: "
};

// Binds the actions of ships [0, count) from their settings. keys holds the defaults on entry;
// value answers a setting's value, or nullptr when the file does not set it. A name that is no
// key, a command key (reserved), or a key that another action holds is a problem, and leaves the
// action on its default: of two actions bound to one key, the rebound one gives way to one on its
// default, and the later setting (ship, then action order) to the earlier.
std::vector<KeymapProblem> keymap_bind(ShipKeys *keys, int count,
                                       const std::function<const char *(const std::string &)> &value,
                                       const std::vector<SDLKey> &reserved);
