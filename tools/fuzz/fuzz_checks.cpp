// fuzz_checks.cpp -- the readers run on bytes from nowhere. A broken promise aborts with a line
// that names it, so the fuzzer keeps the input as a crash.
#include "fuzz_checks.h"

#include "game/actor.h"
#include "game/level_parse.h"
#include "graphics/model_parse.h"
#include "graphics/image.h"
#include "kernel/scores.h"
#include "kernel/settings.h"
#include "kernel/textfile.h"

#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void broken(const char *promise)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", promise);
    std::abort();
}

void expect(bool kept, const char *promise)
{
    if (!kept)
        broken(promise);
}

bool hasSpace(std::string_view text)
{
    for (const char c : text)
        if (textfile_isSpace(c))
            return true;
    return false;
}

// Places run forward through the file: each word starts after the one before.
template <typename Place> bool before(const Place &a, const Place &b)
{
    return a.line < b.line || (a.line == b.line && a.column < b.column);
}

template <typename Place> bool validPlace(const Place &p, size_t size)
{
    return p.line >= 1 && p.column >= 1 && static_cast<size_t>(p.line) <= size + 1 &&
           static_cast<size_t>(p.column) <= size + 1;
}

} // namespace

void fuzz_settings(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const SettingsText read = settings_readText(text);
    for (const SettingsPair &pair : read.pairs) {
        expect(!pair.key.empty() && !pair.value.empty(), "a pair has a key and a value");
        expect(pair.key.find('=') == std::string::npos, "a key holds no equals sign");
        expect(pair.key.size() + pair.value.size() < static_cast<size_t>(settings_maxWord), "a pair fits in a word");
        expect(!hasSpace(pair.key) && !hasSpace(pair.value), "no white space inside a pair");
        expect(validPlace(pair.place, size), "a pair's place lies in the file");
    }
    for (size_t i = 1; i < read.pairs.size(); ++i)
        expect(before(read.pairs[i - 1].place, read.pairs[i].place), "pairs come in file order");
    for (const SettingsLongWord &word : read.longWords)
        expect(word.start.size() == static_cast<size_t>(settings_maxWord), "a long word keeps its first characters");
    for (const SettingsPair &word : read.ignored)
        expect(!word.key.empty() && word.key.size() <= static_cast<size_t>(settings_maxWord), "ignored words are words");
}

void fuzz_level(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const LevelRecord record = level_parse(text);
    expect(record.used <= record.entries.size(), "the used entries are entries");
    if (record.name)
        expect(record.name->size() <= static_cast<size_t>(level_maxWord) && !record.name->empty(),
               "the name is one bounded word");
    if (record.cameraStop)
        expect(std::isfinite(*record.cameraStop), "the camera stop is finite");
    if (!record.cameraStop)
        expect(record.entries.empty(), "no entries without a whole header");
    for (const LevelEntry &entry : record.entries) {
        expect(!entry.keyword.empty() && entry.keyword.size() <= static_cast<size_t>(level_maxWord),
               "a keyword is one bounded word");
        expect(std::isfinite(entry.x) && std::isfinite(entry.y) && std::isfinite(entry.z), "coordinates are finite");
        expect(entry.kind == level_keywordKind(entry.keyword), "the kind is the keyword's");
        expect(validPlace(entry.place, size), "an entry's place lies in the file");
    }
    for (size_t i = 1; i < record.entries.size(); ++i)
        expect(before(record.entries[i - 1].place, record.entries[i].place), "entries come in file order");
    bool stopped = false;
    for (size_t i = 0; i < record.problems.size(); ++i) {
        const LevelProblem &p = record.problems[i];
        expect(!p.text.empty() && p.text.find('\0') == std::string::npos, "a report is printable text");
        expect(p.entriesBefore <= record.entries.size(), "a report follows entries that exist");
        expect(validPlace(p.place, size), "a report's place lies in the file");
        if (i > 0)
            expect(!before(p.place, record.problems[i - 1].place), "reports come in file order");
        if (p.fault == LevelFault::stop && !stopped) {
            expect(p.entriesBefore == record.used, "the game uses exactly the entries before the first stop");
            stopped = true;
        }
    }
    if (!stopped)
        expect(record.used == record.entries.size(), "without a stop every entry is used");
}

void fuzz_ms3d(const uint8_t *data, size_t size)
{
    const std::unique_ptr<model> m = model_parseMS3D(data, size);
    if (!m)
        return;
    expect(size >= 14 && std::memcmp(data, "MS3D000000", 10) == 0, "only files with the identifier parse");
    expect(m->vertices.size() <= 65535 && m->triangles.size() <= 65535 && m->groups.size() <= 65535 &&
               m->materials.size() <= 65535 && m->joints.size() <= 65535,
           "counts fit their 16-bit fields");
    // Every record took its bytes from the file.
    size_t least = 14 + 2 + 15 * m->vertices.size() + 2 + 70 * m->triangles.size() + 2 + 2 + 361 * m->materials.size() +
                   12 + 2;
    for (const model_group &g : m->groups)
        least += 36 + 2 * g.triangleIndices.size();
    for (const model_joint &j : m->joints)
        least += 93 + 16 * (j.rotationKeys.size() + j.translationKeys.size());
    expect(least <= size, "the records fit in the file");
    for (const model_group &g : m->groups)
        expect(g.name.size() <= 32, "group names are bounded by their field");
    for (const model_material &mat : m->materials)
        expect(mat.name.size() <= 32 && mat.textureName.size() <= 128 && mat.alphamapName.size() <= 128 &&
                   mat.texture == 0 && mat.alphamap == 0,
               "material names are bounded and no texture is loaded");
    expect(!(m->min.x > 0) && !(m->min.y > 0) && !(m->min.z > 0) && !(m->max.x < 0) && !(m->max.y < 0) &&
               !(m->max.z < 0),
           "the box holds the origin");
    expect(!(m->radius < 0), "the radius is not negative");
    expect(m->displayList == 0, "no display lists while parsing");
}

namespace {

void readImageAs(const uint8_t *data, size_t size, const char *type)
{
    SDL_RWops *source = SDL_RWFromConstMem(data, static_cast<int>(std::min<size_t>(size, INT32_MAX)));
    std::string why;
    const std::optional<DecodedImage> image = image_read(source, type, why);
    if (!image) {
        expect(!why.empty(), "a refused image says why");
        return;
    }
    expect(image->width > 0 && image->height > 0, "an image has pixels");
    expect(image->components == 3 || image->components == 4, "3 or 4 components");
    expect(image->rowBytes % 4 == 0 && image->rowBytes >= image->width * image->components,
           "rows are padded to the unpack alignment");
    expect(image->pixels.size() == static_cast<size_t>(image->rowBytes) * static_cast<size_t>(image->height),
           "the pixels fill every row");
    expect(image->convertedFrom.empty() || !image->bgr, "converted images are RGB");
}

} // namespace

void fuzz_image(const uint8_t *data, size_t size)
{
    // The game's images are named .png, .jpg and .tga. The loader takes a TGA by the name alone;
    // any other name has the format told by the first bytes, whichever it is.
    readImageAs(data, size, "png");
    readImageAs(data, size, "tga");
}

void fuzz_scores(const uint8_t *data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const ScoresText read = scores_readText(text);
    expect(read.runs.size() <= static_cast<size_t>(scores_tableSize), "at most ten runs");
    const auto printable = [](char c) { return c >= 0x20 && c <= 0x7e; };
    for (size_t i = 0; i < read.runs.size(); ++i) {
        const ScoresRun &run = read.runs[i];
        expect(run.score >= 0 && run.level >= 0 && run.date >= 0 && run.pid >= 0 && run.serial >= 0,
               "numbers are not negative");
        expect(run.initials.size() <= static_cast<size_t>(scores_maxInitials) &&
                   std::all_of(run.initials.begin(), run.initials.end(), [](char c) { return c >= 'A' && c <= 'Z'; }),
               "initials are up to three letters A to Z");
        expect(run.levelName.size() <= static_cast<size_t>(scores_maxLevelName) &&
                   std::all_of(run.levelName.begin(), run.levelName.end(), printable),
               "the level's name is bounded printable ASCII");
        for (size_t j = 0; j < i; ++j)
            expect(!(run.date == read.runs[j].date && run.pid == read.runs[j].pid && run.serial == read.runs[j].serial),
                   "no run is kept twice");
    }
    for (const std::string &problem : read.problems)
        expect(problem.rfind("line ", 0) == 0 && std::all_of(problem.begin(), problem.end(), printable),
               "a report names its line in printable text");
    if (read.problems.empty())
        expect(read.version == scores_formatVersion && size > 0 && data[size - 1] == '\n',
               "only a whole file of this format, ending its last line, reads whole");
    // Whatever was read is written back as a file that reads whole, to the same runs.
    const ScoresText again = scores_readText(scores_writeText(read.runs));
    expect(again.problems.empty() && again.runs == read.runs, "the runs read are written back whole");
}

FuzzCheck fuzz_checkNamed(const char *target)
{
    const std::string_view name(target);
    if (name == "settings")
        return fuzz_settings;
    if (name == "level")
        return fuzz_level;
    if (name == "ms3d")
        return fuzz_ms3d;
    if (name == "image")
        return fuzz_image;
    if (name == "scores")
        return fuzz_scores;
    return nullptr;
}
