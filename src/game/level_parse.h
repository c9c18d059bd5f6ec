// level_parse.h -- the level file's text to a plain record: header, entries and the faults
// found, each with its place in the file. No game state, no actors, no messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The longest level name or keyword kept; longer words are cut to this many characters.
constexpr int level_maxWord = 63;

// Where a word starts: line and column from 1, columns in bytes. Faults found at the end of
// the text stand just after its last byte.
struct LevelPlace {
    int line = 1;
    int column = 1;
};

struct LevelEntry {
    std::string keyword; // at most level_maxWord characters
    uint32_t kind;       // the actor kind the keyword names; ACTOR_NONE for any other keyword
    float x, y, z;
    LevelPlace place;    // of the keyword
};

enum class LevelFault {
    cutWord, // a name or keyword longer than level_maxWord, cut; the read goes on
    stop,    // malformed content: the game uses nothing from here on
};

struct LevelProblem {
    LevelFault fault;
    std::string text;      // as the game reports it after "Level file <path>: "
    LevelPlace place;      // of the word at fault
    size_t entriesBefore;  // entries of the record that precede it
};

// What a level file holds. The header fields are set only when read before any stop.
// The game uses entries[0, used); after the first stop the reader goes on looking for the next
// entry, so that every fault of the file is listed, but nothing found there is used.
struct LevelRecord {
    std::optional<int> level;
    std::optional<std::string> name; // at most level_maxWord characters
    std::optional<float> cameraStop;
    std::vector<LevelEntry> entries;
    size_t used = 0;
    std::vector<LevelProblem> problems; // in file order
};

// Reads text as the game reads a level file: "LEVEL:" at the very first byte, the level number,
// the name, "CAMERASTOP:" and the camera stop, then entries of a keyword and three numbers until
// the end. Every word of the text is looked at; nothing is trusted.
LevelRecord level_parse(std::string_view text);

// What a level may say besides its actors, each as an entry of a keyword and three numbers that
// older readers skip:
//   LOOK r g b         the colour of the level's air, each 0 to 1: the fog takes it as it is and
//                      the lights are tinted by twice it, so the grey of the first level
//                      (0.5 0.5 0.5) leaves them as they always were;
//   BOSSENERGY e 0 0   the boss's energy, a whole number from 1 to 9999 (the other two unused).
struct LevelLook {
    float r, g, b;
    bool operator==(const LevelLook &) const = default;
};
constexpr LevelLook level_defaultLook = {0.5f, 0.5f, 0.5f};
constexpr int level_defaultBossEnergy = 2500;
constexpr int level_maxBossEnergy = 9999;

struct LevelSettings {
    LevelLook look = level_defaultLook;
    int bossEnergy = level_defaultBossEnergy;
};

// A LOOK or BOSSENERGY entry whose numbers are out of range: the game ignores it.
struct LevelSettingFault {
    size_t entry; // index into the record's entries
    std::string text;
};

// The settings among the entries the game uses; the last valid entry of each keyword wins, and
// a missing one leaves the default. Faults, when asked for, come in file order.
LevelSettings level_settings(const LevelRecord &record, std::vector<LevelSettingFault> *faults = nullptr);
// Whether the keyword is one of the settings above (not an actor, not unknown).
bool level_isSetting(std::string_view keyword);

// The actor kind of a level keyword ("ENEMY1", "ENEMY2", "BUILDING1", "BUILDING2", "BOSS1",
// matched exactly); ACTOR_NONE for any other word.
uint32_t level_keywordKind(std::string_view keyword);
