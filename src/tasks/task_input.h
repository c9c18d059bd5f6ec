// task_input.h -- the input task: drains SDL's event queue every pass (Escape and window close
// end the program, command keys act at once, resizes go to the video task, gamepads report) and
// keeps the key state that the game reads during the rest of the pass: the keyboard's keys with
// each gamepad's held controls pressing its player's keys.
#pragma once

#include <SDL.h>

#include <vector>

// Binds the ships' keys from the settings (player1_left=... , reporting any it cannot take) and
// opens the gamepads SDL reports (two at most, one in the one-player game), naming each on
// standard output; a pad that cannot be opened is reported and the keyboard plays on.
int task_input_start();
// Closes the gamepads and SDL's joystick subsystem.
void task_input_stop();
void task_input_suspend();
int task_input_resume();
void task_input_tick();

// Whether the key, or a gamepad control bound to it, was held at the end of the last input tick
// (a state, not a transition).
bool task_input_isKeyPressed(SDLKey key);
// The same as task_input_isKeyPressed.
bool task_input_isKeyDown(SDLKey key);
// The opposite: the key was not held at the end of the last input tick.
bool task_input_isKeyUp(SDLKey key);

// Performs the command key's action; false when the key has none.
bool task_input_commandKey(SDLKey key);
// Escape and every command key of this program: no ship's action may be bound to one.
std::vector<SDLKey> task_input_commandKeys();
