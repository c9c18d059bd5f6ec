// scoreboard.h -- the table of best runs while the game runs: read once when the program starts,
// a run that makes it saved the moment it ends, then its initials asked for in the arcade way.
// Only the programs start it: the autopilots and the tests play without touching a player's table.
#pragma once

#include "kernel/scores.h"

#include <SDL.h>

#include <string>

// Reads the table of the program named ("trelvik", "trelvik-solo") from the player's data folder.
void scoreboard_start(const char *program);
// Whether a table is kept in this process (scoreboard_start was called).
bool scoreboard_active();
// Forgets the table: nothing more is read or saved (tests).
void scoreboard_stop();

// A run has ended (the game lost, or the last level won). A score that makes the table is saved at
// once, before anything is asked; then the entry of its initials begins.
void scoreboard_runEnded(int score, int level, const std::string &levelName);

// Whether the initials of the run just saved are being entered.
bool scoreboard_entering();
// The entry's controls, as either ship's keys or pads give them: up and down choose the letter,
// right or fire take it and go on to the next (the third ends the entry), left goes back one.
enum ScoreboardControl { SCOREBOARD_UP, SCOREBOARD_DOWN, SCOREBOARD_LEFT, SCOREBOARD_RIGHT, SCOREBOARD_FIRE };
void scoreboard_control(ScoreboardControl control);
// A letter typed (a to z, either case): taken at once, as if chosen and confirmed.
void scoreboard_type(char letter);

// The table as the game holds it, best first.
const ScoresTable &scoreboard_table();
// The line of the table the last run stands on, or -1 (it did not make it, or no run ended yet).
int scoreboard_markedLine();
// The initials entered so far, and the letter under the cursor (the next to be confirmed).
const std::string &scoreboard_initials();
char scoreboard_letter();
// The best score of the table, 0 when it is empty.
int scoreboard_best();
