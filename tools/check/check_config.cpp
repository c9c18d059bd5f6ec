// check_config.cpp -- config.ini through the game's own word splitting and value reading.
#include "check_config.h"

#include "kernel/settings.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr const char *configFile = "config.ini";

enum class KeyType { boolean, size, depth };

struct Key {
    const char *name;
    KeyType type;
};

// Every key the game reads, and nothing else.
constexpr Key keys[] = {
    {"useDisplaylists", KeyType::boolean}, {"screen_width", KeyType::size}, {"screen_height", KeyType::size},
    {"screen_bpp", KeyType::depth},        {"fullscreen", KeyType::boolean},
};

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

} // namespace

void check_config(CheckReport &report)
{
    std::error_code ec;
    std::ifstream file(configFile, std::ios::binary);
    if (!file || !std::filesystem::is_regular_file(configFile, ec)) {
        check_error(report, configFile, "cannot be opened; the game ends at start");
        return;
    }
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        check_error(report, configFile, "cannot be read; the game ends at start");
        return;
    }
    const SettingsText read = settings_readText(text);

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
                                              "screen_width, screen_height, screen_bpp and fullscreen",
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
        if (last == nullptr)
            check_error(report, configFile,
                        std::string("no ") + key.name + "=<value>; the game reports it and reads " +
                            (key.type == KeyType::boolean ? "false" : "0"));
        else
            checkValue(report, key, *last);
    }
}
