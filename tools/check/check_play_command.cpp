// check_play_command.cpp -- the flights of trelvik-check --play: the two-player rows, then the
// one-player rows, each under its program's rules, one flight at a time in this process.
#include "check_play_command.h"

#include "check_play.h"
#include "check_play_report.h"

#include "game/task_test.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace {

bool parseInts(const std::string &text, std::vector<int> &out, int least, int most)
{
    out.clear();
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        char *end = nullptr;
        errno = 0;
        const long value = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || errno != 0 || value < least || value > most)
            return false;
        if (std::find(out.begin(), out.end(), static_cast<int>(value)) == out.end())
            out.push_back(static_cast<int>(value));
    }
    return !out.empty();
}

struct Flown {
    std::vector<PlayResult> results;
    double gameSeconds = 0, wallSeconds = 0;
};

// The levels asked for; by default every level of the campaign, then the campaign itself (a
// campaign of one level is that level).
std::vector<int> levelsOf(const PlayOptions &options)
{
    if (!options.levels.empty())
        return options.levels;
    std::vector<int> levels;
    for (int n = 1; n <= play_levelCount(); ++n)
        levels.push_back(n);
    if (play_levelCount() > 1)
        levels.push_back(play_campaign);
    return levels;
}

// Every row of the player count, added to flown.
void flyRows(const PlayOptions &options, int players, Flown &flown)
{
    for (const int level : levelsOf(options))
        for (const int fps : options.fps)
            for (const PilotSkill skill : options.skills)
                for (int i = 0; i < options.runs; ++i) {
                    PlayRun run{players, skill, options.firstSeed + static_cast<unsigned>(i), fps};
                    run.level = level;
                    const PlayResult r = play_fly(run);
                    flown.gameSeconds += r.seconds;
                    flown.wallSeconds += r.wallSeconds;
                    flown.results.push_back(r);
                }
}

bool wants(const PlayOptions &options, int players)
{
    return std::find(options.players.begin(), options.players.end(), players) != options.players.end();
}

} // namespace

bool play_parseOption(int argc, char **argv, int &i, PlayOptions &options, std::string &error)
{
    const std::string arg = argv[i];
    const auto value = [&](std::string &out) {
        if (i + 1 >= argc) {
            error = arg + " needs a value";
            return false;
        }
        out = argv[++i];
        return true;
    };
    std::string text;
    std::vector<int> numbers;
    if (arg == "--play")
        return true;
    if (arg.rfind("--play=", 0) == 0) {
        if (!parseInts(arg.substr(7), numbers, 1, 100000) || numbers.size() != 1)
            error = "--play=RUNS needs a number of runs from 1 up";
        else
            options.runs = numbers[0];
        return true;
    }
    if (arg == "--fps") {
        if (value(text) && !parseInts(text, options.fps, 10, 1000))
            error = "--fps needs frame rates from 10 to 1000, separated by commas";
        return true;
    }
    if (arg == "--seed") {
        if (value(text) && (!parseInts(text, numbers, 0, 1000000000) || numbers.size() != 1))
            error = "--seed needs one number";
        else if (error.empty())
            options.firstSeed = static_cast<unsigned>(numbers[0]);
        return true;
    }
    if (arg == "--players") {
        if (value(text) && (!parseInts(text, options.players, 1, 2)))
            error = "--players needs 1, 2 or 1,2";
        return true;
    }
    if (arg == "--levels") {
        if (!value(text))
            return true;
        options.levels.clear();
        std::stringstream in(text);
        for (std::string item; std::getline(in, item, ',');) {
            std::vector<int> one;
            if (item == "campaign")
                one = {play_campaign};
            else if (!parseInts(item, one, 1, 99)) {
                error = "--levels takes level numbers and campaign, separated by commas";
                return true;
            }
            if (std::find(options.levels.begin(), options.levels.end(), one[0]) == options.levels.end())
                options.levels.push_back(one[0]);
        }
        if (options.levels.empty())
            error = "--levels needs at least one level";
        return true;
    }
    if (arg == "--pilots") {
        if (!value(text))
            return true;
        options.skills.clear();
        std::stringstream in(text);
        for (std::string name; std::getline(in, name, ',');) {
            const std::optional<PilotSkill> skill = pilot_byName(name);
            if (!skill) {
                error = "--pilots takes novice, steady and expert, not " + name;
                return true;
            }
            options.skills.push_back(*skill);
        }
        if (options.skills.empty())
            error = "--pilots needs at least one pilot";
        return true;
    }
    if (arg == "--csv" || arg == "--plot") {
        if (value(text))
            (arg == "--csv" ? options.csv : options.plot) = std::filesystem::absolute(text).string();
        return true;
    }
    return false;
}

int play_command(const PlayOptions &options)
{
    if (!play_open())
        return 2;
    // The plot and the crowding are drawn at 60 frames a second when that rate is flown.
    const bool has60 = std::find(options.fps.begin(), options.fps.end(), 60) != options.fps.end();
    const int drawnFps = has60 ? 60 : options.fps.front();
    std::vector<PlayProfile> profiles; // by level number, from 1
    std::vector<std::string> names;
    for (int n = 1; n <= play_levelCount(); ++n) {
        profiles.push_back(play_profile(drawnFps, n));
        names.push_back(g_level_name);
    }
    Flown flown;
    for (const int players : {2, 1})
        if (wants(options, players))
            flyRows(options, players, flown);
    play_close();
    playreport_sort(flown.results);

    std::printf("trelvik-check --play: %zu level%s, %d run%s of each level x players x pilot, seeds %u to %u\n",
                names.size(), names.size() == 1 ? "" : "s", options.runs, options.runs == 1 ? "" : "s",
                options.firstSeed, options.firstSeed + static_cast<unsigned>(options.runs) - 1);
    playreport_print(stdout, flown.results, profiles, names);
    std::printf("\nFlown %zu runs: %.0f s of play in %.1f s of computing, %.0fx real time.\n",
                flown.results.size(), flown.gameSeconds, flown.wallSeconds,
                flown.wallSeconds > 0 ? flown.gameSeconds / flown.wallSeconds : 0.0);

    int status = 0;
    if (!options.csv.empty()) {
        std::FILE *out = std::fopen(options.csv.c_str(), "w");
        if (out == nullptr) {
            std::fprintf(stderr, "trelvik-check: cannot write %s: %s\n", options.csv.c_str(), std::strerror(errno));
            status = 2;
        } else {
            playreport_writeCsvHeader(out);
            for (const PlayResult &r : flown.results)
                playreport_writeCsvRow(out, r);
            if (std::fclose(out) != 0)
                status = 2;
        }
    }
    if (!options.plot.empty() && !playreport_plot(options.plot, flown.results, profiles, drawnFps))
        status = 2;
    return status;
}
