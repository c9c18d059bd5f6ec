// check_play_report.h -- what trelvik-check --play makes of its flights: CSV rows, the difficulty
// table, the frame-rate comparison, and the plot drawn by gnuplot.
#pragma once

#include "check_play.h"

#include <cstdio>
#include <string>
#include <vector>

// The header row and one row per run; the same run always gives the same bytes.
void playreport_writeCsvHeader(std::FILE *out);
void playreport_writeCsvRow(std::FILE *out, const PlayResult &result);

// Orders results by frame rate, players, pilot and seed.
void playreport_sort(std::vector<PlayResult> &results);

// For every level (then the campaign) and frame rate: the difficulty table and the lives lost by
// stretch of the level; how the frame rates differ beyond run-to-run noise; and the campaign's
// difficulty targets, each with its figure. profiles and names are by level, from level 1.
void playreport_print(std::FILE *out, const std::vector<PlayResult> &results, const std::vector<PlayProfile> &profiles,
                      const std::vector<std::string> &names);

// Draws the enemies on screen and the lives lost per run along each level, for each skill and each
// player count, at the first frame rate, into a PNG file with gnuplot; false with a message.
bool playreport_plot(const std::string &png, const std::vector<PlayResult> &results,
                     const std::vector<PlayProfile> &profiles, int fps);
