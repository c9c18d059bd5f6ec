// scoreboard.cpp -- the table of best runs in play. The table is read once at the program's start
// and lives until exit; the run being entered lives from its end to its third initial.
#include "game/scoreboard.h"

#include "kernel/page.h"

#include <algorithm>
#include <cctype>

namespace {

bool active = false;
ScoresTable table;
bool entering = false;
ScoresRun run;        // the last run that made the table, as last saved
bool marked = false;  // run stands in the table
char letter = 'A';    // the letter under the cursor

// Saves the run with the initials given so far: a game ended by Escape keeps them.
void save()
{
    scores_save(table, run);
    page_persist(); // a web page keeps the file only once it is copied to the browser's storage
}

void confirm(char c)
{
    run.initials += c;
    letter = 'A';
    save();
    if (static_cast<int>(run.initials.size()) >= scores_maxInitials)
        entering = false;
}

} // namespace

void scoreboard_start(const char *program)
{
    table = scores_load(program);
    active = true;
    entering = false;
    marked = false;
}

bool scoreboard_active()
{
    return active;
}

void scoreboard_stop()
{
    table = ScoresTable{};
    active = entering = marked = false;
}

void scoreboard_runEnded(int score, int level, const std::string &levelName)
{
    entering = false;
    marked = false;
    // A run that scored nothing is no run to remember.
    if (!active || score <= 0 || scores_rank(table, score) < 0)
        return;
    run = scores_newRun(score, level, levelName);
    save();
    marked = true;
    entering = true;
    letter = 'A';
}

bool scoreboard_entering()
{
    return entering;
}

void scoreboard_control(ScoreboardControl control)
{
    if (!entering)
        return;
    switch (control) {
    case SCOREBOARD_UP:
        letter = letter == 'Z' ? 'A' : static_cast<char>(letter + 1);
        break;
    case SCOREBOARD_DOWN:
        letter = letter == 'A' ? 'Z' : static_cast<char>(letter - 1);
        break;
    case SCOREBOARD_LEFT:
        if (!run.initials.empty()) {
            letter = run.initials.back();
            run.initials.pop_back();
        }
        break;
    case SCOREBOARD_RIGHT:
    case SCOREBOARD_FIRE:
        confirm(letter);
        break;
    }
}

void scoreboard_type(char c)
{
    if (entering && std::isalpha(static_cast<unsigned char>(c)))
        confirm(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
}

const ScoresTable &scoreboard_table()
{
    return table;
}

int scoreboard_markedLine()
{
    if (!marked)
        return -1;
    const auto at = std::find_if(table.runs.begin(), table.runs.end(), [](const ScoresRun &r) {
        return r.pid == run.pid && r.serial == run.serial && r.date == run.date;
    });
    return at == table.runs.end() ? -1 : static_cast<int>(at - table.runs.begin());
}

const std::string &scoreboard_initials()
{
    return run.initials;
}

char scoreboard_letter()
{
    return letter;
}

int scoreboard_best()
{
    return table.runs.empty() ? 0 : table.runs.front().score;
}
