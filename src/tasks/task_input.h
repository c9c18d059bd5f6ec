// task_input.h -- the input task: drains SDL's event queue every pass (Escape and window close
// end the program, command keys act at once, resizes go to the video task) and keeps the
// key-state snapshot that the game reads during the rest of the pass.
#pragma once

#include <SDL.h>

int task_input_start();
void task_input_stop();
void task_input_suspend();
int task_input_resume();
void task_input_tick();

// Whether the key was held at the end of the last input tick (a state, not a transition).
bool task_input_isKeyPressed(SDLKey key);
// The same as task_input_isKeyPressed.
bool task_input_isKeyDown(SDLKey key);
// The opposite: the key was not held at the end of the last input tick.
bool task_input_isKeyUp(SDLKey key);

// Performs the command key's action; false when the key has none.
bool task_input_commandKey(SDLKey key);
