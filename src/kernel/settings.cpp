// settings.cpp -- the parsed settings file: a list of key/value pairs in file order; a lookup
// takes the last pair with the key, so the last occurrence in the file wins.
#include "kernel/settings.h"

#include "kernel/common.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
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

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool isSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads the next word into word; false at end of file. A word longer than
// settings_maxWord is consumed, reported and skipped.
bool readWord(std::FILE *file, const char *path, std::string &word)
{
    for (;;) {
        int c;
        do
            c = std::fgetc(file);
        while (c != EOF && isSpace(c));
        if (c == EOF)
            return false;

        word.clear();
        bool tooLong = false;
        for (; c != EOF && !isSpace(c); c = std::fgetc(file)) {
            if (word.size() < static_cast<size_t>(settings_maxWord))
                word.push_back(static_cast<char>(c));
            else
                tooLong = true;
        }
        if (!tooLong)
            return true;
        error("Settings file %s: word longer than %d characters skipped: %.20s...", path, settings_maxWord,
              word.c_str());
    }
}

// Splits key=value; leading equals signs are skipped, the value is everything after the
// first sign that follows the key. Words with no key or no value define nothing.
void acceptWord(const std::string &word)
{
    const size_t keyStart = word.find_first_not_of('=');
    if (keyStart == std::string::npos)
        return;
    const size_t sign = word.find('=', keyStart);
    if (sign == std::string::npos || sign + 1 == word.size())
        return;
    settingslist.push_back({word.substr(keyStart, sign - keyStart), word.substr(sign + 1)});
}

const Setting *findSetting(const char *key)
{
    for (auto it = settingslist.rbegin(); it != settingslist.rend(); ++it)
        if (it->key == key)
            return &*it;
    return nullptr;
}

} // namespace

bool settings_parseFile(const char *path)
{
    File file(std::fopen(path, "r"));
    if (!file) {
        error("Failed to open settings file: %s", path);
        return false;
    }
    std::string word;
    while (readWord(file.get(), path, word))
        acceptWord(word);
    // A file that opens but cannot be read (a directory, an I/O error) counts as not opened:
    // going on with part of the settings would hide the problem.
    if (std::ferror(file.get())) {
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
    const char *value = settings_getCharSetting(key);
    if (std::strncmp(value, "true", 4) == 0)
        return true;
    if (std::strncmp(value, "false", 5) != 0)
        error("Setting is not a bool value: %s", key);
    return false;
}

int32_t settings_getIntSetting(const char *key)
{
    const char *value = settings_getCharSetting(key);
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
