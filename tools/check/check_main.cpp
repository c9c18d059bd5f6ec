// check_main.cpp -- trelvik-check: tells a level designer or modder whether a run directory would
// play, before starting the game. Reads everything the game reads at start, with the game's own
// readers, and prints one line per problem and a summary. Exit status: 0 when there are no
// errors (warnings allowed), 1 when there are, 2 when the directory cannot be checked at all.
// With --play it then flies the level with autopilots and reports how hard it is; a directory
// with errors is not flown.
#include "check_config.h"
#include "check_level.h"
#include "check_media.h"
#include "check_model.h"
#include "check_play_command.h"
#include "check_report.h"

#include "game/actor.h"

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The campaign's levels: data/level1.map, data/level2.map, ... up to the first one missing.
constexpr int maxLevels = 99;
std::string levelFile(int n)
{
    return "data/level" + std::to_string(n) + ".map";
}

struct KindUse {
    uint32_t kind;
    const char *users;
    bool always; // loaded at start whatever the level holds
};

// Every kind with a model: the ships and what the game spawns during play are loaded at start,
// the level's kinds only when the level places them.
const KindUse kindUses[] = {
    {ACTOR_PLAYER, "the first ship", true},
    {ACTOR_PLAYER2, "the second ship", true},
    {ACTOR_SHOT, "bullets", true},
    {ACTOR_ROCKET_DOWN, "rockets", true},
    {ACTOR_ESHOT, "enemy shots", true},
    {ACTOR_ESHOT2, "the boss's shots", true},
    {ACTOR_POWERUP_F, "fire-rate power-ups", true},
    {ACTOR_POWERUP_R, "rocket power-ups", true},
    {ACTOR_ENEMY1, "ENEMY1 entries", false},
    {ACTOR_ENEMY2, "ENEMY2 entries", false},
    {ACTOR_BOSS1, "the boss", false},
    {ACTOR_BUILDING1, "BUILDING1 entries", false},
    {ACTOR_BUILDING2, "BUILDING2 entries", false},
};

// The images the window, the HUD and the effects load at start.
const CheckImage startImages[] = {
    {"data/font2.tga", "the HUD text"},      {"data/Skymap.jpg", "the sky"},
    {"data/boden.jpg", "the ground"},        {"data/particle3.png", "particles"},
    {"data/explosion2.png", "explosions"},   {"data/explosion4.png", "explosions"},
    {"data/explosion5.png", "explosions"},   {"data/shield2.png", "the shields"},
};

struct Sound {
    const char *path;
    const char *users;
};
const Sound sounds[] = {
    {"data/shot.wav", "shots"},
    {"data/explos.wav", "explosions"},
    {"data/cash.wav", "power-ups"},
};
constexpr const char *musicFile = "data/phenomenon.wav";

void usage(std::FILE *out)
{
    std::fputs("usage: trelvik-check [run-directory]\n"
               "       trelvik-check --play[=RUNS] [--fps LIST] [--csv FILE] [--plot FILE.png] [--seed FIRST]\n"
               "                     [--pilots LIST] [--players LIST] [--levels LIST] [run-directory]\n"
               "Checks config.ini and data/ of a run directory (default: the current one) the way the game reads\n"
               "them, prints one line per problem and a summary. Errors (the game would report them, misdraw or\n"
               "drop data, or the level cannot be won) give exit status 1; warnings alone give 0.\n"
               "--play flies each level of a directory without errors, then the whole campaign with lives\n"
               "carried over, with autopilots under the game's own rules: RUNS runs (default 20, seeds FIRST on,\n"
               "default 1) of every players (1,2) x pilot (novice, steady, expert) at every frame rate of --fps\n"
               "(default 60), and prints how hard each is. --levels picks levels (numbers, campaign). --csv\n"
               "writes one row per run, --plot draws the lives lost along each level (needs gnuplot).\n",
               out);
}

bool levelUses(const std::vector<std::optional<LevelRecord>> &levels, uint32_t kind)
{
    for (const std::optional<LevelRecord> &level : levels)
        for (size_t i = 0; level && i < level->used; ++i)
            if (level->entries[i].kind == kind)
                return true;
    return false;
}


// Everything the game reads at start, in the working directory.
void checkRunDirectory(CheckReport &report)
{
    check_config(report);
    // The first level must be there; every later one the game finds at a new game is checked too,
    // up to the first missing, or the first the game cannot read, where the campaign ends.
    std::vector<std::optional<LevelRecord>> levels = {check_levelFile(report, levelFile(1), 1)};
    std::error_code ignored;
    std::string campaignEnd;
    while (levels.size() < maxLevels) {
        const int n = static_cast<int>(levels.size()) + 1;
        if (!std::filesystem::exists(levelFile(n), ignored)) {
            campaignEnd = "the missing " + levelFile(n);
            break;
        }
        std::optional<LevelRecord> level = check_levelFile(report, levelFile(n), n);
        if (!level) {
            campaignEnd = levelFile(n) + ", which the game cannot read";
            break;
        }
        levels.push_back(std::move(level));
    }
    const int count = static_cast<int>(levels.size());
    for (int n = count + 2; n <= maxLevels; ++n)
        if (std::filesystem::exists(levelFile(n), ignored))
            check_warning(report, levelFile(n),
                          "comes after " + campaignEnd + "; the campaign ends at level " + std::to_string(count) +
                              " and never reaches it");

    std::vector<CheckImage> images(std::begin(startImages), std::end(startImages));
    std::map<std::string, std::unique_ptr<model>> loaded; // by file, so shared files are read once
    std::map<uint32_t, const model *> byKind;
    for (const KindUse &use : kindUses) {
        if (!use.always && !levelUses(levels, use.kind))
            continue;
        const char *file = actor_kindModel(use.kind).file;
        auto found = loaded.find(file);
        if (found == loaded.end())
            found = loaded.emplace(file, check_model(report, file, use.users, images)).first;
        byKind[use.kind] = found->second.get();
    }
    for (int n = 1; n <= count; ++n)
        if (levels[n - 1])
            check_levelPlacement(report, levelFile(n), *levels[n - 1], byKind);

    for (const CheckImage &image : images)
        check_image(report, image);

    if (!check_openAudio())
        check_warning(report, "data", std::string("the mixer could not be opened (") + SDL_GetError() +
                                          "); sounds were checked with SDL's WAV reader only");
    for (const Sound &sound : sounds)
        check_sound(report, sound.path, sound.users);
    check_music(report, musicFile);
    check_closeAudio();
    SDL_Quit();
}

} // namespace

int main(int argc, char **argv)
{
    std::string dir = ".";
    int positional = 0;
    bool play = false;
    PlayOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            usage(stdout);
            return 0;
        }
        std::string error;
        if (play_parseOption(argc, argv, i, options, error)) {
            if (!error.empty()) {
                std::fprintf(stderr, "trelvik-check: %s\n", error.c_str());
                return 2;
            }
            play |= arg.rfind("--play", 0) == 0;
            continue;
        }
        if ((arg.size() > 1 && arg[0] == '-') || ++positional > 1) {
            usage(stderr);
            return 2;
        }
        dir = arg;
    }
    if (chdir(dir.c_str()) != 0) {
        std::fprintf(stderr, "trelvik-check: cannot enter %s: %s\n", dir.c_str(), std::strerror(errno));
        return 2;
    }

    CheckReport report;
    checkRunDirectory(report);
    if (play && check_count(report, Severity::error) == 0)
        return play_command(options);

    check_print(report, stdout);
    const int errors = check_count(report, Severity::error), warnings = check_count(report, Severity::warning);
    std::printf("trelvik-check: %s: %d error%s, %d warning%s: %s\n", dir.c_str(), errors, errors == 1 ? "" : "s",
                warnings, warnings == 1 ? "" : "s", errors == 0 ? "ready to play" : "not ready to play");
    return errors == 0 ? 0 : 1;
}
