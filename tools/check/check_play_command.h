// check_play_command.h -- trelvik-check --play: its options and the flights of every players x
// pilot x frame rate x seed, each under the rules of the program for that many players.
#pragma once

#include "check_pilot.h"

#include <string>
#include <vector>

struct PlayOptions {
    int runs = 20;
    unsigned firstSeed = 1;
    std::vector<int> fps = {60};
    std::vector<PilotSkill> skills = {PilotSkill::novice, PilotSkill::steady, PilotSkill::expert};
    std::vector<int> players = {2, 1};
    std::vector<int> levels;  // level numbers and play_campaign; empty: every level and the campaign
    std::string csv;  // absolute, or empty
    std::string plot; // absolute, or empty
};

// Reads the play option at argv[i] ("--play[=RUNS]", "--fps LIST", "--csv FILE", "--plot FILE",
// "--seed FIRST", "--pilots LIST", "--players LIST", "--levels LIST"), moving i past its value.
// Returns false when argv[i] is not one of them; sets error when it is but is malformed.
bool play_parseOption(int argc, char **argv, int &i, PlayOptions &options, std::string &error);

// Flies every row of the options in the working directory and prints the report, writes the CSV
// and draws the plot. Exit status.
int play_command(const PlayOptions &options);
