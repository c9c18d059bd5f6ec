// check_play.h -- one flight of the level in the working directory's data/ under the game's own
// rules: the timer, input and game tasks ticked at a fixed frame interval, autopilots holding the
// ships' keys, nothing drawn and nothing heard. The game state is the process's own, so one
// flight runs at a time; play_open once before the first, play_close after the last.
#pragma once

#include "check_pilot.h"

#include <vector>

// The level a run flies: a level of the campaign on its own (a new game begun there), or the
// whole campaign from level 1 with lives carried over.
constexpr int play_campaign = 0;

struct PlayRun {
    int players; // ships flown: 2 as in trelvik, 1 as in trelvik-solo
    PilotSkill skill;
    unsigned seed;
    int fps;
    int level = 1; // a level's number, or play_campaign
    float stopAfter = 0;            // seconds of play after which the run ends undecided; 0: none
    void (*afterPass)() = nullptr;  // called after each pass (the benchmark draws the frame there)
};

struct PlayResult {
    PlayRun run;
    bool won;
    int livesLost;
    int score;
    float seconds;             // from the start of the run to its end
    float bossAt;              // seconds from the start until the camera stopped; < 0: never
    float bossSeconds;         // from the camera's stop to the end of the run
    std::vector<float> lossAt; // seconds of the level (from the start of the scrolling) of each life lost
    float wallSeconds;         // the computer's time for the run (not part of the run's result)
    int reached = 1;           // the campaign's level the run ended in
};

// The game gives up on a run that has not ended by then (a boss nobody can hit).
constexpr float play_maxSeconds = 600.0f;
// Where the life-loss counts are gathered: stretches of this many seconds of the level.
constexpr float play_stretch = 10.0f;

// Opens the hidden window whose GL context the model cache needs and the game task with its sound
// on SDL's silent driver, for ship_count ships; false with a message when there is no window to be
// had.
bool play_open();
void play_close();

// Flies one run: a new game of run.players ships seeded with run.seed, the pilots one per ship. A
// run of another number of ships than the last starts the input and game tasks afresh, as that
// program would. A campaign run goes on to the next level at once after each win, as a player
// pressing Space does.
PlayResult play_fly(const PlayRun &run);
// The number of levels of the campaign in the working directory, as a new game finds them.
int play_levelCount();

// How crowded the level is, as the game places it: a flight of two ships at fps with nobody at the
// keys and the ships untouchable, until a stretch after the camera's stop.
struct PlayProfile {
    std::vector<float> enemies; // enemies on screen, on average, in each stretch of the level
    float stopSecond;           // second of the level at which the camera stops; < 0: never
};
PlayProfile play_profile(int fps, int level = 1);
