// hud.cpp -- the HUD's lines, their colours and places, and the table of best runs. Every line
// is placed for the font's 12-pixel character advance; the font lives from start to stop.
#include "tasks/hud.h"

#include "game/scoreboard.h"
#include "game/task_test.h"
#include "graphics/font.h"
#include "tasks/task_timer.h"
#include "tasks/task_video.h"

#include <GL/gl.h>
#include <ctime>
#include <string>

namespace {

Font *font1 = nullptr;

// The table of best runs, on the game-over screen and after the last level's win: ten lines in
// the space between the level's name and "GAME OVER", the last run's line marked; under the
// screen's hints, the entry of that run's initials while it lasts.
void drawScoreTable(int halfWidth, int halfHeight)
{
    const ScoresTable &table = scoreboard_table();
    const int marked = scoreboard_markedLine();
    for (int i = 0; i < static_cast<int>(table.runs.size()); ++i) {
        const ScoresRun &run = table.runs[static_cast<size_t>(i)];
        char day[16] = "";
        const std::time_t date = static_cast<std::time_t>(run.date);
        std::tm local{};
        if (localtime_r(&date, &local) != nullptr)
            std::strftime(day, sizeof day, "%Y-%m-%d", &local);
        if (i == marked)
            glColor3f(1, 1, 0.5f);
        else
            glColor3f(0.5f, 1, 0.5f);
        font_print(font1, halfWidth - 264, 48 + 16 * i, 0, "%2d  %-3s  %8d  %2d %-10.10s  %s", i + 1,
                   run.initials.c_str(), run.score, run.level, run.levelName.c_str(), day);
    }
    if (scoreboard_entering()) {
        std::string shown = scoreboard_initials() + scoreboard_letter();
        shown.resize(scores_maxInitials, '_');
        glColor3f(1, 1, 0.5f);
        font_print(font1, halfWidth - 162, halfHeight + 96, 0, "NEW BEST RUN! INITIALS: %s", shown.c_str());
        font_print(font1, halfWidth - 222, halfHeight + 128, 0, "Up/down: letter. Right or fire: next.");
    }
}

} // namespace

void hud_start()
{
    font1 = font_new("data/font2.tga");
}

void hud_stop()
{
    font_free(font1);
    font1 = nullptr;
}

void hud_draw()
{
    const int width = task_video_width, height = task_video_height;
    const int halfWidth = width / 2, halfHeight = height / 2;

    glColor3f(0.5f, 1, 0.5f);
    font_print(font1, width - 192, 10, 0, "SCORE: %8d", g_score);
    font_print(font1, halfWidth - 54, 10, 0, "LEVEL: %2d", g_level);
    font_print(font1, halfWidth - 6 * static_cast<int>(g_level_name.size()), 32, 0, "%s", g_level_name.c_str());
    font_print(font1, 12, 10, 0, "LIFES: %2d", g_lifes);
    // The run to beat, under the score while playing; the table itself shows once the run is over.
    const bool runOver = gamestate == GAMESTATE_GAMEOVER || (gamestate == GAMESTATE_WON && !task_test_hasNextLevel());
    if (scoreboard_active() && !runOver && scoreboard_best() > 0)
        font_print(font1, width - 192, 54, 0, "BEST:  %8d", scoreboard_best());
    if (g_rocket_count > 0) {
        glColor3f(1, 0, 0);
        font_print(font1, 12, 32, 0, "Rockets: %2d", g_rocket_count);
    }
    if (task_video_isShowFPS()) {
        glColor3f(1, 1, 0.5f);
        font_print(font1, 12, height - 32, 0, "FPS: %d", g_framesPerSecond);
    }
    if (g_invincible) {
        glColor3f(1, 0, 0);
        font_print(font1, width - 264, height - 32, 0, "I'M AN ATOMIC MUTANT!");
    }
    if (task_video_isPaused()) {
        glColor3f(1, 0.5f, 0.5f);
        font_print(font1, halfWidth - 66, halfHeight, 0, "GAME PAUSED");
    }
    if (gamestate == GAMESTATE_BOSS) {
        glColor3f(1, 0, 0);
        font_print(font1, width - 132, 32, 0, "BOSS: %4d", g_boss_energy);
    } else if (gamestate == GAMESTATE_WON) {
        glColor3f(1, 0.5f, 0.5f);
        font_print(font1, halfWidth - 102, halfHeight, 0, "A WINNER IS YOU!!");
        if (task_test_hasNextLevel()) {
            font_print(font1, halfWidth - 198, halfHeight + 32, 0, "Press <SPACE> for the next level.");
            font_print(font1, halfWidth - 60, halfHeight + 64, 0, "EXTRA LIFE");
        }
    } else if (gamestate == GAMESTATE_GAMEOVER) {
        glColor3f(1, 0.5f, 0.5f);
        font_print(font1, halfWidth - 54, halfHeight - 32, 0, "GAME OVER");
        font_print(font1, halfWidth - 150, halfHeight + 32, 0, "Press <SPACE> to restart.");
        if (task_test_canContinue())
            font_print(font1, halfWidth - 228, halfHeight + 64, 0, "Press <RETURN> to continue at level %d.", g_level);
    }
    if (scoreboard_active() && runOver)
        drawScoreTable(halfWidth, halfHeight);
}
