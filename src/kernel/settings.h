// settings.h -- the settings file: key=value words read once at start, looked up on demand.
// Records live until the process ends. There are no defaults: a missing key is reported
// and reads as an empty string, 0 or false.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Longest word the file may hold; a longer word is reported and skipped whole.
constexpr int settings_maxWord = 127;

// Where a word starts in the file: line and column from 1, columns in bytes.
struct SettingsPlace {
    int line = 1;
    int column = 1;
};

// One accepted key=value word.
struct SettingsPair {
    std::string key;
    std::string value;
    SettingsPlace place;
};

// A word longer than settings_maxWord: skipped whole; its first characters are kept for the report.
struct SettingsLongWord {
    std::string start; // the first settings_maxWord characters
    SettingsPlace place;
};

// What a settings file's text holds, in file order: the accepted pairs, the over-long words,
// and every other word (free text, or a key=value word with no key or no value).
struct SettingsText {
    std::vector<SettingsPair> pairs;
    std::vector<SettingsLongWord> longWords;
    std::vector<SettingsPair> ignored; // key holds the whole word, value is empty
};

// Splits text into words and words into pairs, as the game reads config.ini. No messages and
// no effect on the settings the getters answer from.
SettingsText settings_readText(std::string_view text);

// Reads every word of the file at path; false (with a message) when it cannot be opened.
bool settings_parseFile(const char *path);

// The value of key, copied into one shared 128-byte buffer that every getter call overwrites;
// "" (a constant, not the buffer) with a message when the key is missing.
const char *settings_getCharSetting(const char *key);

// true when the value begins with "true", false when it begins with "false";
// anything else is reported and reads as false.
bool settings_getBoolSetting(const char *key);

// The value read as strtol with base 0 does, saturated to 32 bits; no digits read as 0.
int32_t settings_getIntSetting(const char *key);

// The settings added since the first release are optional: a missing key reads as its default
// without a message. A value the getter cannot read is reported with one line naming the key and
// its value, and reads as the default too.
// The value of key, or nullptr (no message) when the file does not set it.
const char *settings_findCharSetting(const char *key);
// Written true or false.
bool settings_getOptionalBool(const char *key, bool fallback);
// A whole number from 0 up, in plain decimal digits.
int32_t settings_getOptionalCount(const char *key, int32_t fallback);
// Whether a value is what settings_getOptionalCount accepts.
bool settings_isCount(const char *value);

// How the getters read a value, for tools that check a file without loading it: a boolean is
// true when the value begins with "true", false when it begins with "false", neither otherwise;
// an integer is read as strtol with base 0 does, saturated to 32 bits.
std::optional<bool> settings_boolValue(const char *value);
int32_t settings_intValue(const char *value);

// Forgets every setting; for tests that parse several files in one process.
void settings_clear();
