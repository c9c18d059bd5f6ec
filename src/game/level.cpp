// level.cpp -- the level reader: reads the whole file, parses it (level_parse) and turns what
// the game uses into game state and actors; keeps nothing once the read is over.
#include "game/level.h"

#include "game/actor.h"
#include "game/task_test.h"
#include "kernel/common.h"
#include "kernel/textfile.h"

#include <string>
#include <vector>

void loadMap(const char *path)
{
    LevelRecord record;
    if (!level_read(path, record))
        error_quit("Failed to open level file: %s", path);
    level_apply(path, record);
}

bool level_read(const char *path, LevelRecord &record)
{
    const TextFile file = textfile_read(path);
    if (!file.opened)
        return false;
    if (file.readError)
        error("Level file %s: read error; using what was read", path);
    record = level_parse(file.text);
    return true;
}

void level_apply(const char *path, const LevelRecord &record)
{
    if (record.level)
        g_level = *record.level;
    if (record.name)
        g_level_name = *record.name;
    if (record.cameraStop)
        camera_max = *record.cameraStop;
    // Before the actors, so a boss takes the level's energy wherever its entry stands.
    std::vector<LevelSettingFault> faults;
    const LevelSettings settings = level_settings(record, &faults);
    g_level_look = settings.look;
    ++g_level_serial;
    g_level_boss_energy = settings.bossEnergy;
    for (const LevelSettingFault &fault : faults)
        error("Level file %s: %s", path, fault.text.c_str());

    // The reports come in file order between the actors they follow: only the first cut word is
    // reported, and nothing after the first stop.
    bool cutReported = false;
    size_t problem = 0;
    const auto reportUpTo = [&](size_t entries) {
        for (; problem < record.problems.size() && record.problems[problem].entriesBefore <= entries; ++problem) {
            const LevelProblem &p = record.problems[problem];
            if (p.fault == LevelFault::cutWord) {
                if (cutReported)
                    continue;
                cutReported = true;
            }
            error("Level file %s: %s", path, p.text.c_str());
            if (p.fault == LevelFault::stop) {
                problem = record.problems.size();
                return;
            }
        }
    };
    for (size_t i = 0; i < record.used; ++i) {
        reportUpTo(i);
        const LevelEntry &entry = record.entries[i];
        // Entries of any other keyword are read and skipped.
        if (entry.kind != ACTOR_NONE)
            actor_new(entry.kind, entry.x, entry.y, entry.z);
    }
    reportUpTo(record.used);
}
