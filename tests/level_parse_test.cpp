// The level parser on its own: every entry and fault with the place of its word, the entries the
// game uses ending at the first fault, and the read going on past it to list the rest.
#include "game/level_parse.h"

#include "game/actor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> keywords(const LevelRecord &record)
{
    std::vector<std::string> out;
    for (const LevelEntry &entry : record.entries)
        out.push_back(entry.keyword);
    return out;
}

void expectPlace(const LevelPlace &place, int line, int column)
{
    EXPECT_EQ(place.line, line);
    EXPECT_EQ(place.column, column);
}

TEST(LevelParse, EntriesKeepTheirKindValuesAndPlace)
{
    const LevelRecord record = level_parse("LEVEL: 3 Port\r\nCAMERASTOP: 900\r\n"
                                           "  BOSS1 1 2 3\r\n\tENEMY3 4 5\n6 ENEMY2 -7 8e1 +9\n");
    EXPECT_EQ(record.level, 3);
    EXPECT_EQ(record.name, "Port");
    EXPECT_EQ(record.cameraStop, 900.0f);
    EXPECT_TRUE(record.problems.empty());
    ASSERT_EQ(record.entries.size(), 3u);
    EXPECT_EQ(record.used, 3u);
    EXPECT_EQ(record.entries[0].kind, ACTOR_BOSS1);
    expectPlace(record.entries[0].place, 3, 3);
    EXPECT_EQ(record.entries[1].kind, ACTOR_NONE) << "other keywords are kept, of no kind";
    EXPECT_EQ(record.entries[1].keyword, "ENEMY3");
    expectPlace(record.entries[1].place, 4, 2);
    EXPECT_EQ(record.entries[1].z, 6.0f);
    EXPECT_EQ(record.entries[2].kind, ACTOR_ENEMY2);
    expectPlace(record.entries[2].place, 5, 3);
    EXPECT_EQ(record.entries[2].x, -7.0f);
    EXPECT_EQ(record.entries[2].y, 80.0f);
    EXPECT_EQ(record.entries[2].z, 9.0f);
}

TEST(LevelParse, HeaderFaultsStandAtTheirWordOrAtTheEnd)
{
    struct Case {
        const char *text;
        const char *report;
        int line, column;
    };
    const Case cases[] = {
        {" LEVEL: 1 A", "does not begin with \"LEVEL:\"; the rest is ignored", 1, 2},
        {"LEVEL: x A", "the level number is not a whole number: \"x\"; the rest is ignored", 1, 8},
        {"LEVEL: 5\n", "ends before the level name; the rest is ignored", 2, 1},
        {"LEVEL: 4 Green Hills\nCAMERASTOP: 5", "\"CAMERASTOP:\" expected, found \"Hills\"; the rest is ignored", 1, 16},
        {"LEVEL: 1 A\nCAMERASTOP: far", "the camera stop is not a number: \"far\"; the rest is ignored", 2, 13},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const LevelRecord record = level_parse(c.text);
        ASSERT_EQ(record.problems.size(), 1u);
        EXPECT_EQ(record.problems[0].fault, LevelFault::stop);
        EXPECT_EQ(record.problems[0].text, c.report);
        expectPlace(record.problems[0].place, c.line, c.column);
        EXPECT_FALSE(record.cameraStop);
        EXPECT_TRUE(record.entries.empty());
    }
    // What came before the fault is kept.
    const LevelRecord record = level_parse("LEVEL: 4 Green Hills\nCAMERASTOP: 5");
    EXPECT_EQ(record.level, 4);
    EXPECT_EQ(record.name, "Green");
}

// The game stops at the first fault; a designer wants every fault of the file at once.
TEST(LevelParse, AfterAFaultTheReadGoesOnButNothingIsUsed)
{
    const LevelRecord record = level_parse("LEVEL: 1 A\nCAMERASTOP: 10\n"
                                           "ENEMY1 1 2 3\n"
                                           "ENEMY1 1 2\n"      // a number missing: ENEMY2 is read as one
                                           "ENEMY2 4 5 6\n"
                                           "BOSS1 7 x 9 10\n"  // a word for a number: the rest up to a word is skipped
                                           "BUILDING1 1 2 3\n"
                                           "ENEMY2 1");
    EXPECT_EQ(keywords(record), (std::vector<std::string>{"ENEMY1", "ENEMY2", "BUILDING1"}));
    EXPECT_EQ(record.used, 1u);
    ASSERT_EQ(record.problems.size(), 3u);
    EXPECT_EQ(record.problems[0].text, "entry \"ENEMY1\": \"ENEMY2\" is not a number; the rest is ignored");
    expectPlace(record.problems[0].place, 5, 1);
    EXPECT_EQ(record.problems[0].entriesBefore, 1u);
    EXPECT_EQ(record.problems[1].text, "entry \"BOSS1\": \"x\" is not a number; the rest is ignored");
    expectPlace(record.problems[1].place, 6, 9);
    EXPECT_EQ(record.problems[2].text, "entry \"ENEMY2\" cut short by the end of the file");
    expectPlace(record.problems[2].place, 8, 9);
}

TEST(LevelParse, EveryOverLongWordIsCutAndListed)
{
    const std::string longWord(70, 'Q');
    const LevelRecord record =
        level_parse("LEVEL: 1 " + longWord + " CAMERASTOP: 1\n" + longWord + " 1 2 3\nENEMY1 1 2 3\n");
    EXPECT_EQ(record.name, std::string(level_maxWord, 'Q'));
    ASSERT_EQ(record.problems.size(), 2u);
    for (const LevelProblem &problem : record.problems) {
        EXPECT_EQ(problem.fault, LevelFault::cutWord);
        EXPECT_EQ(problem.text, "\"" + std::string(level_maxWord, 'Q') + "...\" is longer than 63 characters; cut");
    }
    expectPlace(record.problems[1].place, 2, 1);
    EXPECT_EQ(record.used, 2u) << "a cut word stops nothing";
}

TEST(LevelParse, ReportsShowWordsAsPrintfWould)
{
    // A NUL byte ends the shown word, as %s ends there.
    const LevelRecord record = level_parse(std::string("LEVEL: 1 A CAMERASTOP: 1 ENEMY1 1 a\0b 3", 39));
    ASSERT_EQ(record.problems.size(), 1u);
    EXPECT_EQ(record.problems[0].text, "entry \"ENEMY1\": \"a\" is not a number; the rest is ignored");
}

TEST(LevelParse, KeywordsMatchExactly)
{
    EXPECT_EQ(level_keywordKind("ENEMY1"), ACTOR_ENEMY1);
    EXPECT_EQ(level_keywordKind("ENEMY2"), ACTOR_ENEMY2);
    EXPECT_EQ(level_keywordKind("BUILDING1"), ACTOR_BUILDING1);
    EXPECT_EQ(level_keywordKind("BUILDING2"), ACTOR_BUILDING2);
    EXPECT_EQ(level_keywordKind("BOSS1"), ACTOR_BOSS1);
    for (const char *other : {"enemy1", "ENEMY1 ", "PLAYER", "SHOT", ""})
        EXPECT_EQ(level_keywordKind(other), ACTOR_NONE) << other;
}

// LOOK and BOSSENERGY: entries of their own that older readers skip; a value out of range is
// listed and ignored, and the last valid one of each wins.
TEST(LevelParse, LookAndBossEnergyAreReadInRangeAndOtherwiseIgnored)
{
    const LevelRecord plain = level_parse("LEVEL: 1 A\nCAMERASTOP: 9\nBOSS1 1 2 3\n");
    const LevelSettings defaults = level_settings(plain);
    EXPECT_EQ(defaults.look, level_defaultLook);
    EXPECT_EQ(defaults.bossEnergy, 2500);

    const LevelRecord record = level_parse("LEVEL: 2 B\nCAMERASTOP: 9\nLOOK 0.1 0.2 0.3\nBOSSENERGY 4000 0 0\n"
                                           "LOOK 0.5 1.2 0.5\nBOSSENERGY 10000 0 0\nBOSSENERGY 12.5 0 0\n");
    std::vector<LevelSettingFault> faults;
    const LevelSettings settings = level_settings(record, &faults);
    EXPECT_EQ(settings.look, (LevelLook{0.1f, 0.2f, 0.3f}));
    EXPECT_EQ(settings.bossEnergy, 4000);
    ASSERT_EQ(faults.size(), 3u);
    EXPECT_EQ(faults[0].entry, 2u);
    EXPECT_EQ(faults[2].entry, 4u);
    EXPECT_TRUE(level_isSetting("LOOK") && level_isSetting("BOSSENERGY") && !level_isSetting("look"));
    EXPECT_EQ(record.entries[0].kind, ACTOR_NONE) << "no actor for a setting";
}

} // namespace
