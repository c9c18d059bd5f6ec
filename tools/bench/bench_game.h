// bench_game.h -- the game as the benchmark programs start it: a window of the size asked for,
// the effects, the sound device, the input and the game, as the program starts them.
#pragma once

// False when the settings, SDL's timer or the window cannot be had; name tells the temporary
// settings file of one program from another's.
bool bench_startGame(const char *name, int width, int height);
