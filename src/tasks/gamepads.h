// gamepads.h -- the gamepads in SDL's first slots (two at most, one in the one-player game): open
// from gamepads_open to gamepads_close, closed and opened again whenever SDL's list of them is read
// again (after the system's input devices changed). Each pad drives its player's ship by pressing
// that ship's keys in the input task's key state.
#pragma once

#include <SDL.h>

#include <array>
#include <cstdint>

// The controls a pad holds: the stick past its dead zone or the d-pad, and the fire buttons.
struct HeldControls {
    bool left, right, up, down, bullets, rockets;
};

// What one pad event did. A pad outside the slots holds nothing and presses nothing.
struct PadEvent {
    HeldControls before, after;
    bool fireDown = false;  // the bullet button went down
    bool startDown = false; // the start button went down (where it lies depends on the pad)
};

// Starts SDL's joystick subsystem and the watch on the input devices, opens the pads SDL lists
// and names each on standard output with its player. Every pad starts holding nothing. A pad that
// cannot be opened, or a subsystem that cannot start, is reported and the keyboard plays on.
// now is the real-time millisecond clock.
void gamepads_open(uint32_t now);

// Takes a joystick event (axis, hat or button) into the pad's held controls.
PadEvent gamepads_event(const SDL_Event &event, uint32_t now);

// Reads SDL's list again when the input devices changed and no held control would be lost by it;
// a pad gone or changed lets go of everything, and the pads are named again.
void gamepads_tick(uint32_t now);

// Presses the keys of each pad's ship that the pad holds; keys already pressed stay pressed.
void gamepads_pressKeys(std::array<Uint8, SDLK_LAST> &keyState);

// Closes the pads, SDL's joystick subsystem and the watch.
void gamepads_close();
