// datagen_main.cpp -- the data generator's entry: trelvik-datagen <data directory> <font.ttf>.
// Writes every asset the game reads and prints what it made; exit status 1 on any failure.
#include "font_sheet.h"
#include "icon.h"
#include "level.h"
#include "models.h"
#include "music.h"
#include "sounds.h"
#include "sprites.h"
#include "textures.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: trelvik-datagen <data directory> <font.ttf>\n");
        return 1;
    }
    const auto started = std::chrono::steady_clock::now();
    const std::string dir = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::vector<uint8_t> ttf = font_loadFile(argv[2]);
    if (ttf.empty()) {
        std::fprintf(stderr, "datagen: cannot read the font %s\n", argv[2]);
        return 1;
    }

    std::vector<ModelReport> models;
    bool ok = models_writeShips(dir, models);
    ok = models_writeProps(dir, ttf, models) && ok;
    ok = textures_writeSkins(dir, ttf) && ok;
    ok = textures_writeBackdrop(dir) && ok;
    ok = image_writeTga(font_makeSheet(ttf), dir + "/font2.tga") && ok;
    ok = sprites_writeAll(dir) && ok;
    ok = sounds_writeAll(dir) && ok;
    ok = music_write(dir + "/phenomenon.wav") && ok;
    ok = icon_write(dir) && ok;
    std::vector<LevelSummary> levels(1);
    ok = level_write(dir + "/level1.map", levels[0]) && ok;
    for (int i = 0; i < level_laterCount(); ++i) {
        levels.emplace_back();
        ok = level_writeLater(dir, i, levels.back()) && ok;
    }

    std::printf("%-18s %6s %5s  %s\n", "model", "tris", "scale", "size in the game (x y z)");
    for (const ModelReport &m : models) {
        const Vec3 size = (m.max - m.min) * m.scale;
        std::printf("%-18s %6zu %5.2f  %6.1f %6.1f %6.1f\n", m.file.c_str(), m.triangles, m.scale, size.x, size.y, size.z);
    }
    for (const LevelSummary &level : levels)
        std::printf("level %d: camera stop %.0f, %d ENEMY1, %d ENEMY2, %d buildings, %d boss\n", level.number,
                    level.cameraStop, level.enemy1, level.enemy2, level.buildings, level.bosses);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("datagen: %s in %.2f s\n", ok ? "done" : "FAILED", seconds);
    return ok ? 0 : 1;
}
