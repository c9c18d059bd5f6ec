// level.h -- the level files data/level1.map to data/level5.map: the name, the camera stop, the
// look, the enemy waves, the city below and the boss, one entry per line.
#pragma once

#include <string>

struct LevelSummary {
    int number = 1;
    int enemy1 = 0, enemy2 = 0, buildings = 0, bosses = 0;
    float cameraStop = 0;
};

// Writes the level; false when the file cannot be written.
bool level_write(const std::string &path, LevelSummary &summary);
// The levels after the first: how many, and the one of index 0 to count - 1, written into dir
// under its own number (level2.map on).
int level_laterCount();
bool level_writeLater(const std::string &dir, int index, LevelSummary &summary);
