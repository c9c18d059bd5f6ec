// check_play_command.cpp -- the flights of trelvik-check --play. The two-player rows fly in this
// process; the one-player rules are another build of the game, so trelvik-check-solo flies those
// rows at the same time on the other core and hands them back as CSV rows in a file.
#include "check_play_command.h"

#include "check_play.h"
#include "check_play_report.h"

#include "game/task_test.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

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

// Every row of this build's player count, in report order.
Flown flyRows(const PlayOptions &options)
{
    Flown flown;
    for (const int level : levelsOf(options))
        for (const int fps : options.fps)
            for (const PilotSkill skill : options.skills)
                for (int i = 0; i < options.runs; ++i) {
                    PlayRun run{ship_count, skill, options.firstSeed + static_cast<unsigned>(i), fps};
                    run.level = level;
                    const PlayResult r = play_fly(run);
                    flown.gameSeconds += r.seconds;
                    flown.wallSeconds += r.wallSeconds;
                    flown.results.push_back(r);
                }
    return flown;
}

std::string levelsText(const std::vector<int> &levels)
{
    std::string text;
    for (const int v : levels)
        text += (text.empty() ? "" : ",") + (v == play_campaign ? std::string("campaign") : std::to_string(v));
    return text;
}

std::string joined(const std::vector<int> &values)
{
    std::string text;
    for (const int v : values)
        text += (text.empty() ? "" : ",") + std::to_string(v);
    return text;
}

// Where trelvik-check-solo lies: beside trelvik-check in a run directory, or with the game's
// programs once installed (trelvik-check in <prefix>/games, they in <prefix>/lib/games/trelvik).
std::string soloProgram(const std::string &self)
{
    const std::filesystem::path here = std::filesystem::path(self).parent_path();
    const std::filesystem::path beside = here / "trelvik-check-solo";
    const std::filesystem::path installed = here.parent_path() / "lib" / "games" / "trelvik" / "trelvik-check-solo";
    std::error_code ignored;
    return (std::filesystem::exists(beside, ignored) || !std::filesystem::exists(installed, ignored) ? beside : installed)
        .string();
}

// Starts trelvik-check-solo on the options' rows; its rows go to rowsFile. 0 when it cannot start.
pid_t startSolo(const std::string &self, const PlayOptions &options, const std::string &rowsFile)
{
    const std::string program = soloProgram(self);
    std::string pilots;
    for (const PilotSkill skill : options.skills)
        pilots += (pilots.empty() ? "" : ",") + std::string(pilot_name(skill));
    std::vector<std::string> args = {program,
                                     "--play=" + std::to_string(options.runs),
                                     "--seed",
                                     std::to_string(options.firstSeed),
                                     "--fps",
                                     joined(options.fps),
                                     "--pilots",
                                     pilots,
                                     "--rows",
                                     rowsFile};
    if (!options.levels.empty()) {
        args.push_back("--levels");
        args.push_back(levelsText(options.levels));
    }
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "trelvik-check: cannot start %s for the one-player rules\n", program.c_str());
        return 0;
    }
    return pid;
}

// The rows the one-player program wrote, and its closing line of seconds flown.
bool readRows(const std::string &rowsFile, Flown &flown)
{
    std::ifstream in(rowsFile);
    bool closed = false;
    for (std::string line; std::getline(in, line);) {
        if (std::optional<PlayResult> r = playreport_readCsvRow(line)) {
            flown.results.push_back(*r);
            continue;
        }
        double game = 0, wall = 0;
        if (std::sscanf(line.c_str(), "# flown %lf %lf", &game, &wall) == 2) {
            flown.gameSeconds += game;
            flown.wallSeconds += wall;
            closed = true;
        }
    }
    return closed;
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
    if (arg == "--csv" || arg == "--plot" || arg == "--rows") {
        if (value(text))
            (arg == "--csv" ? options.csv : arg == "--plot" ? options.plot : options.rows) =
                std::filesystem::absolute(text).string();
        return true;
    }
    return false;
}

int play_flyRowsFile(const PlayOptions &options)
{
    if (!play_open())
        return 2;
    const Flown flown = flyRows(options);
    play_close();
    std::FILE *out = std::fopen(options.rows.c_str(), "w");
    if (out == nullptr)
        return 2;
    for (const PlayResult &r : flown.results)
        playreport_writeCsvRow(out, r);
    std::fprintf(out, "# flown %.3f %.3f\n", flown.gameSeconds, flown.wallSeconds);
    return std::fclose(out) == 0 ? 0 : 2;
}

int play_command(const PlayOptions &options, const std::string &self)
{
    std::string rowsFile;
    pid_t solo = 0;
    if (wants(options, 1)) {
        std::string dir = (std::filesystem::temp_directory_path() / "trelvik-play-XXXXXX").string();
        if (mkdtemp(dir.data()) == nullptr) {
            std::fprintf(stderr, "trelvik-check: cannot make a folder for the one-player rows\n");
            return 2;
        }
        rowsFile = dir + "/rows.csv";
        solo = startSolo(self, options, rowsFile);
        if (solo == 0)
            return 2;
    }

    Flown flown;
    if (!play_open()) {
        if (solo != 0)
            waitpid(solo, nullptr, 0);
        return 2;
    }
    // The plot and the crowding are drawn at 60 frames a second when that rate is flown.
    const bool has60 = std::find(options.fps.begin(), options.fps.end(), 60) != options.fps.end();
    const int drawnFps = has60 ? 60 : options.fps.front();
    std::vector<PlayProfile> profiles; // by level number, from 1
    std::vector<std::string> names;
    for (int n = 1; n <= play_levelCount(); ++n) {
        profiles.push_back(play_profile(drawnFps, n));
        names.push_back(g_level_name);
    }
    if (wants(options, 2))
        flown = flyRows(options);
    play_close();

    if (solo != 0) {
        int status = 0;
        waitpid(solo, &status, 0);
        const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && readRows(rowsFile, flown);
        std::filesystem::remove_all(std::filesystem::path(rowsFile).parent_path());
        if (!ok) {
            std::fprintf(stderr, "trelvik-check: the one-player rows could not be flown\n");
            return 2;
        }
    }
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
