// level.h -- the level file data/level1.map: the name, the camera stop, the enemy waves, the
// city below and the boss, one entry per line.
#pragma once

#include <string>

struct LevelSummary {
    int enemy1 = 0, enemy2 = 0, buildings = 0, bosses = 0;
    float cameraStop = 0;
};

// Writes the level; false when the file cannot be written.
bool level_write(const std::string &path, LevelSummary &summary);
