// level.h -- the level reader: a level file to the level's number, name, camera stop and actors.
// Owns nothing; what it reads goes into the game state and the actor list.
#pragma once

#include "game/level_parse.h"

// Reads the level file at path: sets g_level, g_level_name, camera_max, g_level_look and
// g_level_boss_energy and creates an actor
// for every known entry, in file order (so they stand in the list newest first). A file that
// cannot be opened ends the program. Malformed content is reported once with the file's name;
// what was read before it is kept, and nothing after it is used.
void loadMap(const char *path);

// The two halves of loadMap, for a level read during play: level_read parses the file into
// record and is false (changing nothing) when it cannot be opened; level_apply puts a read level
// into play as loadMap does: number, name, camera stop, look, boss energy and actors.
bool level_read(const char *path, LevelRecord &record);
void level_apply(const char *path, const LevelRecord &record);
