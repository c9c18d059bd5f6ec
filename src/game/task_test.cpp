// task_test.cpp -- the game state and the game task; the state lives for the whole run.
#include "game/task_test.h"

int gamestate = GAMESTATE_READY;
