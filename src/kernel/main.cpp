// main.cpp -- the start-up sequence. The tasks made here live for the whole run.
#include "kernel/main.h"

#include "game/scoreboard.h"
#include "game/task_test.h"
#include "graphics/explosion.h"
#include "graphics/particle.h"
#include "kernel/common.h"
#include "kernel/kernel.h"
#include "kernel/page.h"
#include "kernel/settings.h"
#include "kernel/task.h"

#include <cstdio>

const char *const g_progname = "Trelvik";
const char *g_progname_long = g_progname;
const char *const g_configfile = "config.ini";
bool g_useDisplaylists = true;
bool g_debug = false;

namespace {

enum Priority : unsigned {
    PRIORITY_TIMER = 10,
    PRIORITY_INPUT = 50,
    PRIORITY_GAME = 100,
    PRIORITY_AUDIO = 750,
    PRIORITY_VIDEO = 1000,
};

// Kept for the whole run; the kernel's entries point at them.
TaskPtr videoTask, inputTask, audioTask, gameTask, timerTask;

} // namespace

int main_run(int ships, const char *banner)
{
    common_installNewHandler();
    ship_count = ships;
    g_progname_long = banner;
    gamestate = GAMESTATE_READY;
    std::printf("%s\n", g_progname_long);

    if (!settings_parseFile(g_configfile))
        error_quit("Cannot read settings file: %s", g_configfile);
    g_useDisplaylists = settings_getBoolSetting("useDisplaylists");
    kernel_setPassLimit(settings_getOptionalCount("max_fps", 0));

    if (!kernel_init())
        error_quit("Cannot initialise the Game Kernel.");

    // The video task comes first: its start makes the GL context that every loader needs.
    videoTask = task_new(TASK_VIDEO);
    if (!kernel_addTask(videoTask.get(), PRIORITY_VIDEO))
        error_quit("Cannot open the game window.");

    particle_init();
    explosion_init();

    inputTask = task_new(TASK_INPUT);
    kernel_addTask(inputTask.get(), PRIORITY_INPUT);

    // Without a sound device the game runs silent.
    audioTask = task_new(TASK_AUDIO);
    kernel_addTask(audioTask.get(), PRIORITY_AUDIO);

    // The table of best runs, one for each program: a file that does not read is reported here.
    scoreboard_start(ship_count == 1 ? "trelvik-solo" : "trelvik");

    // The game's start loads its models and sounds and begins the first game (the level file).
    gameTask = task_new(TASK_GAME);
    kernel_addTask(gameTask.get(), PRIORITY_GAME);

    // The timer starts last, so its start time follows all loading.
    timerTask = task_new(TASK_TIMER);
    kernel_addTask(timerTask.get(), PRIORITY_TIMER);

    page_applyKeptSettings(); // what the player switched on an earlier visit to the page
    kernel_run();
    kernel_quit();
    return 0;
}
