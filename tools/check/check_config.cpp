// check_config.cpp -- config.ini through the game's own word splitting and value reading.
#include "check_config.h"

#include "check_file.h"

#include "game/task_test.h"
#include "kernel/settings.h"
#include "tasks/keymap.h"
#include "tasks/task_input.h"

#include <SDL.h>
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char *configFile = "config.ini";

enum class KeyType { boolean, size, depth, optionalBool, count, shipKey };

struct Key {
    std::string name;
    KeyType type;
    const char *fallback = ""; // what an optional key stays at when its value is bad
};

// Every key the game reads, and nothing else.
std::vector<Key> gameKeys()
{
    std::vector<Key> keys = {
        {"useDisplaylists", KeyType::boolean}, {"screen_width", KeyType::size},  {"screen_height", KeyType::size},
        {"screen_bpp", KeyType::depth},        {"fullscreen", KeyType::boolean}, {"vsync", KeyType::optionalBool, "true"},
        {"max_fps", KeyType::count, "0, no limit"},
    };
    for (int ship = 0; ship < max_ships; ++ship)
        for (int action = 0; action < keymap_actionCount; ++action)
            keys.push_back({keymap_settingName(ship, action), KeyType::shipKey});
    return keys;
}
const std::vector<Key> keys = gameKeys();

bool plainDecimal(const std::string &value)
{
    return !value.empty() && std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
           (value == "0" || value.front() != '0');
}

bool startsWithDigits(const std::string &value)
{
    size_t i = value.find_first_not_of("+-");
    if (i > 1)
        return false;
    return i < value.size() && value[i] >= '0' && value[i] <= '9';
}

std::string setting(const SettingsPair &pair)
{
    return pair.key + "=" + pair.value;
}

void checkValue(CheckReport &report, const Key &key, const SettingsPair &pair)
{
    const int line = pair.place.line, column = pair.place.column;
    if (key.type == KeyType::shipKey)
        return; // all of them together, below
    if (key.type == KeyType::optionalBool || key.type == KeyType::count) {
        const bool good = key.type == KeyType::count ? settings_isCount(pair.value.c_str())
                                                     : pair.value == "true" || pair.value == "false";
        if (!good)
            check_error(report, configFile,
                        setting(pair) + " is not " + (key.type == KeyType::count ? "a whole number from 0 up" : "true or false") +
                            "; the game reports it and keeps " + key.fallback,
                        line, column);
        return;
    }
    if (key.type == KeyType::boolean) {
        if (pair.value == "true" || pair.value == "false")
            return;
        const std::optional<bool> value = settings_boolValue(pair.value.c_str());
        if (value)
            check_warning(report, configFile,
                          setting(pair) + " reads as " + (*value ? "true" : "false") + "; write true or false", line,
                          column);
        else
            check_error(report, configFile,
                        setting(pair) + " is not true or false; the game reports it and reads false", line, column);
        return;
    }
    const int32_t value = settings_intValue(pair.value.c_str());
    if (!startsWithDigits(pair.value)) {
        check_error(report, configFile, setting(pair) + " is not a number; the game reads 0", line, column);
        return;
    }
    if (value > 0 && !plainDecimal(pair.value))
        check_warning(report, configFile,
                      setting(pair) + " reads as " + std::to_string(value) + "; write plain decimal digits", line,
                      column);
    if (value <= 0) {
        check_error(report, configFile, std::string(key.name) + " must be positive, not " + std::to_string(value),
                    line, column);
        return;
    }
    if (key.type == KeyType::depth && value != 8 && value != 15 && value != 16 && value != 24 && value != 32)
        check_warning(report, configFile,
                      std::string(key.name) + "=" + std::to_string(value) +
                          " is not a depth displays offer (8, 15, 16, 24 or 32)",
                      line, column);
    if (key.type == KeyType::size && value > 16384)
        check_warning(report, configFile,
                      std::string(key.name) + "=" + std::to_string(value) + " is larger than any display", line,
                      column);
}

const Key *findKey(const std::string &name)
{
    for (const Key &key : keys)
        if (name == key.name)
            return &key;
    return nullptr;
}

// One program's rules for the ships' keys: its ships' keys before config.ini rebinds them, and
// its command keys, which no ship's action may take.
struct KeyRules {
    const char *program;
    std::vector<ShipKeys> defaults; // one a ship
    std::vector<SDLKey> commandKeys;
};

// This tool is built with the two-player game; the one-player game binds one ship, from its own
// defaults, and keeps F as a second full-screen key.
std::vector<KeyRules> programRules()
{
    const KeyRules pair = {"trelvik", {default_player_keys, default_player2_keys}, task_input_commandKeys()};
    KeyRules solo = {"trelvik-solo", {keymap_soloDefaultKeys}, pair.commandKeys};
    solo.commandKeys.push_back(keymap_soloFullscreenKey);
    return {pair, solo};
}

// The ships' keys bound as each program binds them; a problem both have is one line naming both.
// SDL names keys only once its video has started; a driver that needs no display will do.
void checkShipKeys(CheckReport &report, const SettingsText &read)
{
    const char *driver = std::getenv("SDL_VIDEODRIVER");
    const std::string saved = driver != nullptr ? driver : "";
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    const bool video = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    if (driver != nullptr)
        setenv("SDL_VIDEODRIVER", saved.c_str(), 1);
    else
        unsetenv("SDL_VIDEODRIVER");
    if (!video) {
        check_warning(report, configFile, std::string("the player keys are not checked: ") + SDL_GetError());
        return;
    }
    const auto last = [&read](const std::string &name) -> const SettingsPair * {
        const SettingsPair *found = nullptr;
        for (const SettingsPair &pair : read.pairs)
            if (pair.key == name)
                found = &pair;
        return found;
    };
    const auto value = [&last](const std::string &name) -> const char * {
        const SettingsPair *pair = last(name);
        return pair != nullptr ? pair->value.c_str() : nullptr;
    };
    struct Found {
        KeymapProblem problem;
        std::vector<std::string> programs;
    };
    std::vector<Found> found; // in the order the first program to have each finds it
    for (const KeyRules &rules : programRules()) {
        std::vector<ShipKeys> ships = rules.defaults;
        for (KeymapProblem &problem : keymap_bind(ships.data(), static_cast<int>(ships.size()), value, rules.commandKeys)) {
            const auto same = std::find_if(found.begin(), found.end(), [&](const Found &f) {
                return f.problem.setting == problem.setting && f.problem.message == problem.message;
            });
            if (same != found.end())
                same->programs.push_back(rules.program);
            else
                found.push_back({std::move(problem), {rules.program}});
        }
    }
    for (const Found &f : found) {
        const SettingsPair *pair = last(f.problem.setting);
        const std::string who = f.programs.size() == 1 ? f.programs[0] + " reports it"
                                                       : f.programs[0] + " and " + f.programs[1] + " report it";
        check_error(report, configFile, f.problem.message + "; " + who, pair != nullptr ? pair->place.line : 0,
                    pair != nullptr ? pair->place.column : 0);
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

} // namespace

void check_config(CheckReport &report)
{
    const std::optional<std::string> text = check_readFile(report, configFile, "the game ends at start");
    if (!text)
        return;
    const SettingsText read = settings_readText(*text);

    for (const SettingsLongWord &word : read.longWords)
        check_error(report, configFile,
                    "word longer than " + std::to_string(settings_maxWord) + " characters; the game reports it and skips it",
                    word.place.line, word.place.column);
    // "screen_width = 640" is three words, none of them a setting.
    for (const SettingsPair &word : read.ignored) {
        const size_t start = word.key.find_first_not_of('=');
        if (start == std::string::npos)
            continue;
        const std::string bare = word.key.substr(start, word.key.find('=', start) - start);
        if (findKey(bare) != nullptr)
            check_warning(report, configFile,
                          "\"" + word.key + "\" sets nothing: write " + bare + "=<value> as one word, without blanks",
                          word.place.line, word.place.column);
    }
    for (const SettingsPair &pair : read.pairs)
        if (findKey(pair.key) == nullptr)
            check_warning(report, configFile, "unknown key " + pair.key + "; the game reads only useDisplaylists, "
                                              "screen_width, screen_height, screen_bpp, fullscreen, vsync, max_fps "
                                              "and the player keys (player1_left ... player2_rockets)",
                          pair.place.line, pair.place.column);

    for (const Key &key : keys) {
        const SettingsPair *last = nullptr;
        for (const SettingsPair &pair : read.pairs) {
            if (pair.key != key.name)
                continue;
            if (last != nullptr)
                check_warning(report, configFile,
                              std::string(key.name) + " is set again at line " + std::to_string(pair.place.line) +
                                  "; the last one wins",
                              last->place.line, last->place.column);
            last = &pair;
        }
        const bool optional = key.type == KeyType::optionalBool || key.type == KeyType::count ||
                              key.type == KeyType::shipKey;
        if (last == nullptr && !optional)
            check_error(report, configFile,
                        std::string("no ") + key.name + "=<value>; the game reports it and reads " +
                            (key.type == KeyType::boolean ? "false" : "0"));
        else if (last != nullptr)
            checkValue(report, key, *last);
    }
    checkShipKeys(report, read);
}
