// check_level.h -- the level file, read with the game's level parser, and where its actors stand.
#pragma once

#include "check_report.h"
#include "game/level_parse.h"
#include "graphics/model.h"

#include <map>
#include <optional>
#include <string>

// Reads the level file at path, the number-th of the campaign, and reports every fault with the
// place of its word, and every entry the game skips. Empty when the file cannot be opened or read:
// the game then ends at start (a first level missing), plays the first level empty, or ends the
// campaign at the level before (a later one).
std::optional<LevelRecord> check_levelFile(CheckReport &report, const std::string &path, int number);

// The entries the game uses, placed against the playing field: a boss that can be reached, and
// enemies that can. Boxes come from the models by kind; a kind missing from models (or mapped to
// null) is an empty box at its position, as the game treats an actor without a model.
void check_levelPlacement(CheckReport &report, const std::string &path, const LevelRecord &level,
                          const std::map<uint32_t, const model *> &models);
