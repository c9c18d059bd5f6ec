// level.cpp -- the level reader. Reads the whole file, then walks its white-space separated
// words; keeps nothing once the read is over.
#include "game/level.h"

#include "game/actor.h"
#include "game/task_test.h"
#include "kernel/common.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// from_chars takes no '+': drops one, and refuses a second sign after it.
bool dropPlus(std::string_view &word)
{
    if (word.empty() || word.front() != '+')
        return true;
    word.remove_prefix(1);
    return word.empty() || word.front() != '-';
}

// Optional sign and digits, nothing else, within int.
bool parseInt(std::string_view word, int &value)
{
    if (!dropPlus(word))
        return false;
    const std::string_view digits = !word.empty() && word.front() == '-' ? word.substr(1) : word;
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit))
        return false;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && end == word.data() + word.size();
}

// Usual decimal notation: optional sign, digits with an optional fraction (at least one digit
// in all), optional exponent. No hexadecimal, no infinities, nothing outside float's range.
bool parseFloat(std::string_view word, float &value)
{
    if (!dropPlus(word))
        return false;
    size_t i = !word.empty() && word.front() == '-' ? 1 : 0;
    int digits = 0;
    for (; i < word.size() && isDigit(word[i]); ++i)
        ++digits;
    if (i < word.size() && word[i] == '.')
        for (++i; i < word.size() && isDigit(word[i]); ++i)
            ++digits;
    if (digits == 0)
        return false;
    if (i < word.size() && (word[i] == 'e' || word[i] == 'E')) {
        ++i;
        if (i < word.size() && (word[i] == '+' || word[i] == '-'))
            ++i;
        const size_t exponent = i;
        while (i < word.size() && isDigit(word[i]))
            ++i;
        if (i == exponent)
            return false;
    }
    if (i != word.size())
        return false;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return ec == std::errc() && end == word.data() + word.size();
}

struct Keyword {
    const char *word;
    uint32_t kind;
};

// Compared in this order.
constexpr Keyword keywords[] = {
    {"ENEMY1", ACTOR_ENEMY1},       {"ENEMY2", ACTOR_ENEMY2}, {"BUILDING1", ACTOR_BUILDING1},
    {"BUILDING2", ACTOR_BUILDING2}, {"BOSS1", ACTOR_BOSS1},
};

// How much of a word an error line shows.
int shown(std::string_view word)
{
    return static_cast<int>(std::min<size_t>(word.size(), level_maxWord));
}

struct LevelReader {
    const char *path;
    std::string text;
    size_t at = 0;
    bool cutReported = false;

    // The next word, or an empty view at the end of the file.
    std::string_view next()
    {
        while (at < text.size() && isSpace(text[at]))
            ++at;
        const size_t start = at;
        while (at < text.size() && !isSpace(text[at]))
            ++at;
        return std::string_view(text).substr(start, at - start);
    }

    // A word kept as text: at most level_maxWord characters; the first longer one is reported.
    std::string keep(std::string_view word)
    {
        if (word.size() > static_cast<size_t>(level_maxWord)) {
            if (!cutReported)
                error("Level file %s: \"%.*s...\" is longer than %d characters; cut", path, shown(word),
                      word.data(), level_maxWord);
            cutReported = true;
            word = word.substr(0, level_maxWord);
        }
        return std::string(word);
    }

    // Reports a fault after which nothing more of the file is used.
    bool stop(const char *what, std::string_view word = {})
    {
        if (word.empty())
            error("Level file %s: %s; the rest is ignored", path, what);
        else
            error("Level file %s: %s \"%.*s\"; the rest is ignored", path, what, shown(word), word.data());
        return false;
    }

    bool header()
    {
        const std::string_view first = next();
        // "LEVEL:" stands at the very first byte.
        if (first != "LEVEL:" || first.data() != text.data())
            return stop("does not begin with \"LEVEL:\"");
        const std::string_view number = next();
        if (number.empty())
            return stop("ends before the level number");
        if (!parseInt(number, g_level))
            return stop("the level number is not a whole number:", number);
        const std::string_view name = next();
        if (name.empty())
            return stop("ends before the level name");
        g_level_name = keep(name);
        const std::string_view cameraStop = next();
        if (cameraStop != "CAMERASTOP:")
            return cameraStop.empty() ? stop("ends before \"CAMERASTOP:\"")
                                      : stop("\"CAMERASTOP:\" expected, found", cameraStop);
        const std::string_view value = next();
        if (value.empty())
            return stop("ends before the camera stop");
        if (!parseFloat(value, camera_max))
            return stop("the camera stop is not a number:", value);
        return true;
    }

    // One entry; false at the end of the file or after a fault.
    bool entry()
    {
        const std::string_view first = next();
        if (first.empty())
            return false;
        const std::string keyword = keep(first);
        float xyz[3];
        for (float &value : xyz) {
            const std::string_view number = next();
            if (number.empty()) {
                error("Level file %s: entry \"%s\" cut short by the end of the file", path, keyword.c_str());
                return false;
            }
            if (!parseFloat(number, value)) {
                error("Level file %s: entry \"%s\": \"%.*s\" is not a number; the rest is ignored", path,
                      keyword.c_str(), shown(number), number.data());
                return false;
            }
        }
        // Entries of any other keyword are read and skipped.
        for (const Keyword &k : keywords) {
            if (keyword == k.word) {
                actor_new(k.kind, xyz[0], xyz[1], xyz[2]);
                break;
            }
        }
        return true;
    }
};

} // namespace

void loadMap(const char *path)
{
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file)
        error_quit("Failed to open level file: %s", path);
    LevelReader reader{path, {}};
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        reader.text.append(chunk, got);
    if (std::ferror(file.get()))
        error("Level file %s: read error; using what was read", path);
    if (!reader.header())
        return;
    while (reader.entry()) {
    }
}
