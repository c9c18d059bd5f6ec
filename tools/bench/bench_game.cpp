// bench_game.cpp -- the game started for a benchmark program, from settings of its own.
#include "bench_game.h"

#include "game/task_test.h"
#include "graphics/explosion.h"
#include "graphics/particle.h"
#include "kernel/settings.h"
#include "tasks/task_audio.h"
#include "tasks/task_input.h"
#include "tasks/task_video.h"

#include <SDL.h>

#include <filesystem>
#include <fstream>
#include <string>

bool bench_startGame(const char *name, int width, int height)
{
    const std::string config =
        (std::filesystem::temp_directory_path() / (std::string(name) + "-config.ini")).string();
    std::ofstream(config) << "useDisplaylists=true\nscreen_width=" << width << "\nscreen_height=" << height
                          << "\nscreen_bpp=24\nfullscreen=false\nvsync=false\n";
    const bool parsed = settings_parseFile(config.c_str());
    std::filesystem::remove(config);
    if (!parsed || SDL_Init(SDL_INIT_TIMER) < 0 || !task_video_start())
        return false;
    particle_init();
    explosion_init();
    task_audio_start();
    task_input_start();
    task_test_start();
    return true;
}
