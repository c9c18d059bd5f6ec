// settings.cpp -- the parsed settings file: a list of key/value pairs in file order; a lookup
// takes the last pair with the key, so the last occurrence in the file wins.
#include "kernel/settings.h"

#include "kernel/common.h"
#include "kernel/textfile.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Setting {
    std::string key;
    std::string value;
};

// In file order; searched from the back, which is the newest-first order of the lookups.
std::vector<Setting> settingslist;

// The getters' shared result buffer. Values are at most settings_maxWord characters,
// so every value fits with its terminator.
char s[settings_maxWord + 1];

// Splits key=value; leading equals signs are skipped, the value is everything after the
// first sign that follows the key. Words with no key or no value define nothing.
void acceptWord(std::string_view word, SettingsPlace place, SettingsText &out)
{
    const size_t keyStart = word.find_first_not_of('=');
    const size_t sign = keyStart == std::string_view::npos ? keyStart : word.find('=', keyStart);
    if (sign == std::string_view::npos || sign + 1 == word.size()) {
        out.ignored.push_back({std::string(word), {}, place});
        return;
    }
    out.pairs.push_back({std::string(word.substr(keyStart, sign - keyStart)), std::string(word.substr(sign + 1)), place});
}

const Setting *findSetting(const char *key)
{
    for (auto it = settingslist.rbegin(); it != settingslist.rend(); ++it)
        if (it->key == key)
            return &*it;
    return nullptr;
}

} // namespace

SettingsText settings_readText(std::string_view text)
{
    SettingsText out;
    TextWords words{text};
    for (;;) {
        const TextWord word = textfile_nextWord(words);
        if (word.text.empty())
            return out;
        const SettingsPlace place{word.place.line, word.place.column};
        if (word.text.size() > static_cast<size_t>(settings_maxWord))
            out.longWords.push_back({std::string(word.text.substr(0, settings_maxWord)), place});
        else
            acceptWord(word.text, place, out);
    }
}

bool settings_parseFile(const char *path)
{
    const TextFile file = textfile_read(path);
    if (!file.opened) {
        error("Failed to open settings file: %s", path);
        return false;
    }
    SettingsText read = settings_readText(file.text);
    // Reported in file order, before anything else is said about the file.
    for (const SettingsLongWord &word : read.longWords)
        error("Settings file %s: word longer than %d characters skipped: %.20s...", path, settings_maxWord,
              word.start.c_str());
    for (SettingsPair &pair : read.pairs)
        settingslist.push_back({std::move(pair.key), std::move(pair.value)});
    // A file that opens but cannot be read (a directory, an I/O error) counts as not opened:
    // going on with part of the settings would hide the problem.
    if (file.readError) {
        error("Failed to open settings file: %s", path);
        return false;
    }
    return true;
}

const char *settings_getCharSetting(const char *key)
{
    const Setting *setting = findSetting(key);
    if (setting == nullptr) {
        error("Cannot retreive setting for key: %s", key);
        return "";
    }
    // A value may hold a NUL byte from a binary file; the copy ends there.
    std::strncpy(s, setting->value.c_str(), sizeof s - 1);
    s[sizeof s - 1] = '\0';
    return s;
}

bool settings_getBoolSetting(const char *key)
{
    const std::optional<bool> value = settings_boolValue(settings_getCharSetting(key));
    if (!value)
        error("Setting is not a bool value: %s", key);
    return value.value_or(false);
}

int32_t settings_getIntSetting(const char *key)
{
    return settings_intValue(settings_getCharSetting(key));
}

const char *settings_findCharSetting(const char *key)
{
    return findSetting(key) != nullptr ? settings_getCharSetting(key) : nullptr;
}

bool settings_getOptionalBool(const char *key, bool fallback)
{
    const char *value = settings_findCharSetting(key);
    if (value == nullptr)
        return fallback;
    if (std::strcmp(value, "true") == 0 || std::strcmp(value, "false") == 0)
        return value[0] == 't';
    error("Setting %s=%s is not true or false; it stays %s", key, value, fallback ? "true" : "false");
    return fallback;
}

bool settings_isCount(const char *value)
{
    const size_t length = std::strlen(value);
    return length > 0 && length <= 9 && std::strspn(value, "0123456789") == length;
}

int32_t settings_getOptionalCount(const char *key, int32_t fallback)
{
    const char *value = settings_findCharSetting(key);
    if (value == nullptr)
        return fallback;
    if (settings_isCount(value))
        return static_cast<int32_t>(std::strtol(value, nullptr, 10)); // nine digits at most: it fits
    error("Setting %s=%s is not a whole number from 0 up; it stays %d", key, value, fallback);
    return fallback;
}

std::optional<bool> settings_boolValue(const char *value)
{
    if (std::strncmp(value, "true", 4) == 0)
        return true;
    if (std::strncmp(value, "false", 5) == 0)
        return false;
    return std::nullopt;
}

int32_t settings_intValue(const char *value)
{
    const long number = std::strtol(value, nullptr, 0);
    if (number > INT32_MAX)
        return INT32_MAX;
    if (number < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(number);
}

void settings_clear()
{
    settingslist.clear();
}
