// check_level.cpp -- the level file's faults as the game's parser finds them, and the actors'
// places measured with the game's own constants: the field 110 units either side of the camera
// and 80 above and below it, the camera scrolling to its stop, enemies drifting left.
#include "check_level.h"

#include "check_file.h"

#include "game/actor.h"
#include "game/task_test.h"
#include "kernel/textfile.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

// The ENEMY2 bob: 15 units either side of the height it was placed at.
constexpr float enemy2_bob = 15.0f;

struct Box {
    float left, right, bottom, top;
};

Box boxOf(const LevelEntry &entry, const std::map<uint32_t, const model *> &models)
{
    const auto found = models.find(entry.kind);
    const model *m = found == models.end() ? nullptr : found->second;
    const float s = actor_kindModel(entry.kind).scale;
    if (m == nullptr)
        return {entry.x, entry.x, entry.y, entry.y};
    return {entry.x + m->min.x * s, entry.x + m->max.x * s, entry.y + m->min.y * s, entry.y + m->max.y * s};
}

std::string number(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

std::string upper(const std::string &word)
{
    std::string out = word;
    for (char &c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// Where each line of the text starts, to find a word by its place (columns count bytes).
std::vector<size_t> lineStarts(std::string_view text)
{
    std::vector<size_t> starts = {0};
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n')
            starts.push_back(i + 1);
    return starts;
}

std::string_view wordAt(std::string_view text, const std::vector<size_t> &starts, LevelPlace place)
{
    if (place.line < 1 || static_cast<size_t>(place.line) > starts.size() || place.column < 1)
        return {};
    const size_t at = starts[static_cast<size_t>(place.line) - 1] + static_cast<size_t>(place.column) - 1;
    size_t end = at;
    while (end < text.size() && !textfile_isSpace(text[end]))
        ++end;
    return at < end ? text.substr(at, end - at) : std::string_view();
}

// The game quotes a word only up to a NUL byte in it, as printf would; the report quotes the word
// whole (its bytes printed escaped), so "0.5" is never blamed for what follows it.
std::string withWholeWord(std::string problem, std::string_view word)
{
    word = word.substr(0, level_maxWord);
    const size_t nul = word.find('\0');
    if (nul == std::string_view::npos)
        return problem;
    const std::string cut = "\"" + std::string(word.substr(0, nul));
    for (const char *close : {"\"", "...\""}) {
        const size_t at = problem.rfind(cut + close);
        if (at != std::string::npos)
            return problem.replace(at, cut.size(), "\"" + std::string(word));
    }
    return problem;
}

} // namespace

std::optional<LevelRecord> check_levelFile(CheckReport &report, const std::string &path, int number)
{
    // A later level the game cannot take ends the campaign at the one before; it plays on.
    const std::string campaignEnds = "the game reports it and the campaign ends at level " + std::to_string(number - 1);
    const std::optional<std::string> text =
        number > 1 ? check_readFile(report, path, campaignEnds)
                   : check_readFile(report, path, "the game ends at start",
                                    "the game reports it and plays the level as empty; it cannot be won");
    if (!text)
        return std::nullopt;
    LevelRecord level = level_parse(*text);

    size_t entry = 0;
    const auto skipped = [&](size_t upTo) {
        for (; entry < upTo && entry < level.entries.size(); ++entry) {
            const LevelEntry &e = level.entries[entry];
            if (e.kind != ACTOR_NONE || level_isSetting(e.keyword))
                continue;
            std::string hint;
            if (level_keywordKind(upper(e.keyword)) != ACTOR_NONE)
                hint = " (keywords are upper case: " + upper(e.keyword) + ")";
            check_warning(report, path, "unknown keyword " + e.keyword + hint + "; the game skips the entry",
                          e.place.line, e.place.column);
        }
    };
    // In file order: the entries before each fault, then the fault.
    const bool hasNul = text->find('\0') != std::string::npos;
    const std::vector<size_t> starts = hasNul ? lineStarts(*text) : std::vector<size_t>();
    for (const LevelProblem &problem : level.problems) {
        skipped(problem.entriesBefore);
        const std::string said = hasNul ? withWholeWord(problem.text, wordAt(*text, starts, problem.place)) : problem.text;
        check_error(report, path, said, problem.place.line, problem.place.column);
    }
    skipped(level.entries.size());
    std::vector<LevelSettingFault> faults;
    level_settings(level, &faults);
    for (const LevelSettingFault &fault : faults) {
        const LevelEntry &e = level.entries[fault.entry];
        check_error(report, path, fault.text, e.place.line, e.place.column);
    }
    return level;
}

void check_levelPlacement(CheckReport &report, const std::string &path, const LevelRecord &level,
                          const std::map<uint32_t, const model *> &models)
{
    if (!level.cameraStop)
        return;
    const float stop = *level.cameraStop;
    // The camera starts at x = 0 and ends exactly at the stop, after scrolling there at
    // g_camera_speed; a stop at or left of the start is taken at once.
    const float scrollSeconds = stop > 0 ? stop / g_camera_speed : 0.0f;
    const float finalLeft = stop + scr_l_x, finalRight = stop + scr_r_x;
    if (stop <= 0)
        check_warning(report, path, "the camera stop " + number(stop) + " is not right of the start; the level never scrolls");

    const LevelEntry *boss = nullptr;
    for (size_t i = 0; i < level.used; ++i) {
        const LevelEntry &e = level.entries[i];
        const Box box = boxOf(e, models);
        const int line = e.place.line, column = e.place.column;
        if (e.kind == ACTOR_BOSS1) {
            if (boss == nullptr)
                boss = &e;
            // The boss never moves along x; its height follows its own swing whatever the file says.
            if (box.left > finalRight)
                check_error(report, path,
                            "BOSS1 at x " + number(e.x) + " stands beyond the field's right edge (x " +
                                number(finalRight) + ") when the camera stops: no shot reaches it and the level "
                                                     "cannot be won",
                            line, column);
            else if (stop > 0 && box.right < finalLeft)
                check_warning(report, path,
                              "BOSS1 at x " + number(e.x) + " is left of the field when the camera stops (x " +
                                  number(finalLeft) + "); it can be fought only while the field passes over it",
                              line, column);
            continue;
        }
        if (e.kind != ACTOR_ENEMY1 && e.kind != ACTOR_ENEMY2)
            continue;
        const float bob = e.kind == ACTOR_ENEMY2 ? enemy2_bob : 0.0f;
        if (box.top + bob < scr_b_y || box.bottom - bob > scr_t_y) {
            check_warning(report, path,
                          e.keyword + " at y " + number(e.y) + " never comes within the field's height (y " +
                              number(scr_b_y) + " to " + number(scr_t_y) + "): nothing can reach it",
                          line, column);
            continue;
        }
        if (box.right < scr_l_x) {
            check_warning(report, path,
                          e.keyword + " at x " + number(e.x) + " starts left of the field (x " + number(scr_l_x) +
                              "); the game removes it on the first pass",
                          line, column);
            continue;
        }
        // Enemies drift left at enemy1_speed; one still beyond the field when the scrolling ends
        // comes in only during the boss fight, if the fight lasts.
        const float leftAtStop = box.left - enemy1_speed * scrollSeconds;
        if (leftAtStop > finalRight) {
            const float late = (leftAtStop - finalRight) / enemy1_speed;
            check_warning(report, path,
                          e.keyword + " at x " + number(e.x) + " is still beyond the field's right edge (x " +
                              number(finalRight) + ") when the camera stops; it drifts in " +
                              std::to_string(static_cast<long long>(std::ceil(late))) + " s later",
                          line, column);
        }
    }

    if (boss != nullptr)
        return;
    for (size_t i = level.used; i < level.entries.size(); ++i) {
        if (level.entries[i].kind == ACTOR_BOSS1) {
            check_error(report, path,
                        "the game reads no BOSS1 entry (the one at line " + std::to_string(level.entries[i].place.line) +
                            " comes after a fault); the level cannot be won");
            return;
        }
    }
    check_error(report, path, "has no BOSS1 entry; the level cannot be won");
}
