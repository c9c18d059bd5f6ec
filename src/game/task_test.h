// task_test.h -- the game module: the game state that every other module reads, the game task,
// the level reader and the two sounds the collision pass plays.
#pragma once

enum GameState : int {
    GAMESTATE_READY = 0,
    GAMESTATE_SCROLLING = 1,
    GAMESTATE_GAMEOVER = 3,
    GAMESTATE_BOSS = 4,
    GAMESTATE_WON = 5,
};

extern int gamestate;
