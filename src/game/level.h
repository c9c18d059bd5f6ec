// level.h -- the level reader: a level file to the level's number, name, camera stop and actors.
// Owns nothing; what it reads goes into the game state and the actor list.
#pragma once

#include "game/level_parse.h"

// Reads the level file at path: sets g_level, g_level_name and camera_max and creates an actor
// for every known entry, in file order (so they stand in the list newest first). A file that
// cannot be opened ends the program. Malformed content is reported once with the file's name;
// what was read before it is kept, and nothing after it is used.
void loadMap(const char *path);
