// level_parse.cpp -- the level reader's parsing half: walks the white-space separated words of
// the text once, keeping each word's place; keeps nothing between calls.
#include "game/level_parse.h"

#include "game/actor.h"
#include "kernel/textfile.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace {

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

// A word as a report shows it: at most level_maxWord characters, and (as printf's %s would)
// nothing from a NUL byte on.
std::string shown(std::string_view word)
{
    word = word.substr(0, level_maxWord);
    return std::string(word.substr(0, std::min(word.size(), word.find('\0'))));
}

std::string quoted(std::string_view word)
{
    return "\"" + shown(word) + "\"";
}

struct Word {
    std::string_view text; // empty at the end of the file
    LevelPlace place;
};

struct Reader {
    TextWords words;
    LevelRecord record;

    Word next()
    {
        const TextWord word = textfile_nextWord(words);
        return {word.text, {word.place.line, word.place.column}};
    }

    void problem(LevelFault fault, std::string text, LevelPlace where)
    {
        record.problems.push_back({fault, std::move(text), where, record.entries.size()});
    }

    // Reports a fault after which nothing more of the file is used.
    bool stop(const std::string &what, LevelPlace where)
    {
        problem(LevelFault::stop, what + "; the rest is ignored", where);
        return false;
    }

    // A word kept as text: at most level_maxWord characters; a longer one is reported and cut.
    std::string keep(const Word &word)
    {
        if (word.text.size() <= static_cast<size_t>(level_maxWord))
            return std::string(word.text);
        problem(LevelFault::cutWord,
                "\"" + shown(word.text) + "...\" is longer than " + std::to_string(level_maxWord) + " characters; cut",
                word.place);
        return std::string(word.text.substr(0, level_maxWord));
    }

    bool header()
    {
        const Word first = next();
        // "LEVEL:" stands at the very first byte.
        if (first.text != "LEVEL:" || first.text.data() != words.text.data())
            return stop("does not begin with \"LEVEL:\"", first.place);
        const Word number = next();
        if (number.text.empty())
            return stop("ends before the level number", number.place);
        int level = 0;
        if (!parseInt(number.text, level))
            return stop("the level number is not a whole number: " + quoted(number.text), number.place);
        record.level = level;
        const Word name = next();
        if (name.text.empty())
            return stop("ends before the level name", name.place);
        record.name = keep(name);
        const Word cameraStop = next();
        if (cameraStop.text != "CAMERASTOP:")
            return cameraStop.text.empty()
                       ? stop("ends before \"CAMERASTOP:\"", cameraStop.place)
                       : stop("\"CAMERASTOP:\" expected, found " + quoted(cameraStop.text), cameraStop.place);
        const Word value = next();
        if (value.text.empty())
            return stop("ends before the camera stop", value.place);
        float stopX = 0;
        if (!parseFloat(value.text, stopX))
            return stop("the camera stop is not a number: " + quoted(value.text), value.place);
        record.cameraStop = stopX;
        return true;
    }

    // One entry starting at first (not empty). On a fault, resume is where the next entry may
    // start: the offending word when it is a keyword, else the first word after it that is not
    // a number; empty at the end of the file. Returns false on a fault.
    bool entry(const Word &first, Word &resume)
    {
        LevelEntry e{keep(first), level_keywordKind(first.text), 0, 0, 0, first.place};
        float *const xyz[3] = {&e.x, &e.y, &e.z};
        for (float *value : xyz) {
            const Word number = next();
            if (number.text.empty()) {
                problem(LevelFault::stop, "entry \"" + shown(e.keyword) + "\" cut short by the end of the file",
                        number.place);
                resume = number;
                return false;
            }
            if (!parseFloat(number.text, *value)) {
                stop("entry \"" + shown(e.keyword) + "\": " + quoted(number.text) + " is not a number", number.place);
                resume = number;
                if (level_keywordKind(number.text) == ACTOR_NONE) {
                    float ignored = 0;
                    do
                        resume = next();
                    while (!resume.text.empty() && parseFloat(resume.text, ignored));
                }
                return false;
            }
        }
        record.entries.push_back(std::move(e));
        return true;
    }

    void entries()
    {
        bool stopped = false;
        Word word = next();
        while (!word.text.empty()) {
            Word resume;
            if (entry(word, resume)) {
                word = next();
                continue;
            }
            if (!stopped)
                record.used = record.entries.size();
            stopped = true;
            word = resume;
        }
        if (!stopped)
            record.used = record.entries.size();
    }
};

} // namespace

LevelRecord level_parse(std::string_view text)
{
    Reader reader;
    reader.words.text = text;
    if (reader.header())
        reader.entries();
    return std::move(reader.record);
}

uint32_t level_keywordKind(std::string_view keyword)
{
    for (const Keyword &k : keywords)
        if (keyword == k.word)
            return k.kind;
    return ACTOR_NONE;
}

bool level_isSetting(std::string_view keyword)
{
    return keyword == "LOOK" || keyword == "BOSSENERGY";
}

LevelSettings level_settings(const LevelRecord &record, std::vector<LevelSettingFault> *faults)
{
    LevelSettings settings;
    const auto fault = [&](size_t entry, std::string text) {
        if (faults != nullptr)
            faults->push_back({entry, std::move(text)});
    };
    for (size_t i = 0; i < record.used && i < record.entries.size(); ++i) {
        const LevelEntry &e = record.entries[i];
        if (e.keyword == "LOOK") {
            const float c[3] = {e.x, e.y, e.z};
            if (std::all_of(std::begin(c), std::end(c), [](float v) { return v >= 0.0f && v <= 1.0f; }))
                settings.look = {e.x, e.y, e.z};
            else
                fault(i, "LOOK: each colour is a number from 0 to 1; the entry is ignored");
        } else if (e.keyword == "BOSSENERGY") {
            if (e.x >= 1.0f && e.x <= static_cast<float>(level_maxBossEnergy) && e.x == std::floor(e.x))
                settings.bossEnergy = static_cast<int>(e.x);
            else
                fault(i, "BOSSENERGY: the boss's energy is a whole number from 1 to " +
                             std::to_string(level_maxBossEnergy) + "; the entry is ignored");
        }
    }
    return settings;
}
