// The level reader: header, entries in any layout, keywords, several bosses, reading again,
// and files that are malformed, carry over-long words or are missing.
#include "game/level.h"

#include "game_scene.h"

#include <string>

namespace {

using namespace game_test;

class LevelTest : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        g_level = 1;
        g_level_name = "before";
        camera_max = -1;
    }

    // Reads text as the level file "levels/test.map"; returns what was written to standard error.
    static std::string load(const std::string &text)
    {
        std::filesystem::create_directories("levels");
        test_writeFile("levels/test.map", text);
        testing::internal::CaptureStderr();
        loadMap("levels/test.map");
        return testing::internal::GetCapturedStderr();
    }

    static int lines(const std::string &text)
    {
        int n = 0;
        for (const char c : text)
            n += c == '\n';
        return n;
    }

    // The one error line that names the file.
    static void expectOneReport(const std::string &err, const std::string &about)
    {
        EXPECT_EQ(lines(err), 1) << err;
        EXPECT_EQ(err.rfind("Error: Level file levels/test.map: ", 0), 0u) << err;
        EXPECT_NE(err.find(about), std::string::npos) << err;
    }
};

TEST_F(LevelTest, ReadsHeaderAndEntriesIntoTheListNewestFirst)
{
    actor *ship = actor_new(ACTOR_PLAYER, 0, 30, -100);
    const std::string err = load("LEVEL: 7 Canyon\n"
                                 "CAMERASTOP: 1250.5\n"
                                 "ENEMY1 100 10 -100\n"
                                 "ENEMY2 200 -20.5 -100\n"
                                 "BUILDING1 300 -80 -150\n"
                                 "BUILDING2 +4e2 -8E1 -1.5e+2\n"
                                 "BOSS1 1400 0 -100\n");
    EXPECT_EQ(err, "");
    EXPECT_EQ(g_level, 7);
    EXPECT_EQ(g_level_name, "Canyon");
    EXPECT_EQ(camera_max, 1250.5f);
    EXPECT_EQ(g_boss_energy, 2500);
    const std::vector<actor *> all = listed();
    ASSERT_EQ(all.size(), 6u);
    EXPECT_EQ(listedKinds(), (std::vector<uint32_t>{ACTOR_BOSS1, ACTOR_BUILDING2, ACTOR_BUILDING1, ACTOR_ENEMY2,
                                                    ACTOR_ENEMY1, ACTOR_PLAYER}));
    EXPECT_EQ(all[5], ship);
    EXPECT_EQ(all[1]->position->x, 400);
    EXPECT_EQ(all[1]->position->y, -80);
    EXPECT_EQ(all[1]->position->z, -150);
    EXPECT_EQ(all[3]->position->y, -20.5f);
    EXPECT_EQ(static_cast<Enemy2Data *>(all[3]->data)->baseY, -20.5f);
}

TEST_F(LevelTest, OnlyTheOrderOfTheWordsMatters)
{
    const std::string err = load("LEVEL:\t2\n\n  Dunes CAMERASTOP:\n\n 0 ENEMY1\n10\n 20\n\n30 ENEMY2 1 2 3 ENEMY1 4 5 6");
    EXPECT_EQ(err, "");
    EXPECT_EQ(g_level, 2);
    EXPECT_EQ(g_level_name, "Dunes");
    EXPECT_EQ(camera_max, 0);
    EXPECT_EQ(listedKinds(), (std::vector<uint32_t>{ACTOR_ENEMY1, ACTOR_ENEMY2, ACTOR_ENEMY1}));
    EXPECT_EQ(listed()[2]->position->z, 30);
}

TEST_F(LevelTest, CarriageReturnsAreWhiteSpace)
{
    const std::string err = load("LEVEL: 3 Port\r\nCAMERASTOP: 900\r\nBUILDING1 1 2 3\r\nBOSS1 4 5 6\r\n");
    EXPECT_EQ(err, "");
    EXPECT_EQ(g_level_name, "Port");
    EXPECT_EQ(camera_max, 900);
    EXPECT_EQ(listedKinds(), (std::vector<uint32_t>{ACTOR_BOSS1, ACTOR_BUILDING1}));
    EXPECT_EQ(listed()[0]->position->z, 6);
}

TEST_F(LevelTest, UnknownKeywordsAreSkippedSilently)
{
    const std::string err = load("LEVEL: 1 A\nCAMERASTOP: 10\nPLAYER 1 2 3\nenemy1 1 2 3\nSHOT 1 2 3\nENEMY2 7 8 9\n");
    EXPECT_EQ(err, "");
    EXPECT_EQ(listedKinds(), std::vector<uint32_t>{ACTOR_ENEMY2});
}

TEST_F(LevelTest, HeaderOnlyGivesAnEmptyLevel)
{
    EXPECT_EQ(load("LEVEL: 1 Empty\nCAMERASTOP: -5"), "");
    EXPECT_EQ(camera_max, -5);
    EXPECT_EQ(actor_count(), 0);
}

TEST_F(LevelTest, EveryBossResetsTheSharedEnergy)
{
    g_boss_energy = 17;
    load("LEVEL: 1 A\nCAMERASTOP: 10\nBOSS1 100 0 0\nBOSS1 200 0 0\nBOSS1 300 0 0\n");
    EXPECT_EQ(countKind(ACTOR_BOSS1), 3);
    EXPECT_EQ(g_boss_energy, 2500);
}

TEST_F(LevelTest, ReadingAgainReplacesTheHeaderAndAddsTheActorsAfresh)
{
    load("LEVEL: 1 First\nCAMERASTOP: 10\nENEMY2 1 2 3\n");
    actor_freeAll();
    load("LEVEL: 2 Second\nCAMERASTOP: 20\nENEMY2 1 2 3\n");
    EXPECT_EQ(g_level, 2);
    EXPECT_EQ(g_level_name, "Second");
    EXPECT_EQ(camera_max, 20);
    EXPECT_EQ(actor_count(), 1);
}

// ---- malformed files: one report naming the file; what came before is kept, nothing after ----

TEST_F(LevelTest, LevelMustStandAtTheVeryFirstByte)
{
    for (const std::string text : {" LEVEL: 1 A\nCAMERASTOP: 10\nENEMY1 1 2 3\n", "\xEF\xBB\xBFLEVEL: 1 A\n",
                                   "level: 1 A\n", "LEVEL:1 A\n", "", "\n"}) {
        SCOPED_TRACE(text);
        expectOneReport(load(text), "LEVEL:");
        EXPECT_EQ(g_level, 1);
        EXPECT_EQ(g_level_name, "before");
        EXPECT_EQ(camera_max, -1);
        EXPECT_EQ(actor_count(), 0);
    }
}

TEST_F(LevelTest, LevelNumberMustBeAWholeNumber)
{
    for (const std::string number : {"x", "1.5", "", "+-1", "99999999999"}) {
        SCOPED_TRACE(number);
        const std::string err = load("LEVEL: " + number + " Name\nCAMERASTOP: 10\nENEMY1 1 2 3\n");
        EXPECT_EQ(lines(err), 1) << err;
        EXPECT_NE(err.find("levels/test.map"), std::string::npos);
        EXPECT_EQ(g_level, 1);
        EXPECT_EQ(camera_max, -1);
        EXPECT_EQ(actor_count(), 0);
    }
    EXPECT_EQ(load("LEVEL: -3 Name\nCAMERASTOP: 10\n"), "");
    EXPECT_EQ(g_level, -3);
}

// The second word of the name takes the place of "CAMERASTOP:".
TEST_F(LevelTest, TwoWordNameKeepsTheFirstWordAndStops)
{
    const std::string err = load("LEVEL: 4 Green Hills\nCAMERASTOP: 500\nENEMY1 1 2 3\n");
    expectOneReport(err, "\"Hills\"");
    EXPECT_EQ(g_level, 4);
    EXPECT_EQ(g_level_name, "Green");
    EXPECT_EQ(camera_max, -1);
    EXPECT_EQ(actor_count(), 0);
}

TEST_F(LevelTest, CameraStopMustBeANumber)
{
    for (const std::string stop : {"far", "1e99", "nan", "inf", "0x10", "1.5.2", "-", ".", "1e", "12abc"}) {
        SCOPED_TRACE(stop);
        expectOneReport(load("LEVEL: 1 A\nCAMERASTOP: " + stop + "\nENEMY1 1 2 3\n"), "camera stop");
        EXPECT_EQ(camera_max, -1);
        EXPECT_EQ(actor_count(), 0);
    }
    for (const std::string stop : {"-.5", "5.", "+2", "1e2", "007"}) {
        SCOPED_TRACE(stop);
        EXPECT_EQ(load("LEVEL: 1 A\nCAMERASTOP: " + stop), "");
    }
    EXPECT_EQ(camera_max, 7);
}

TEST_F(LevelTest, HeaderCutShortKeepsWhatWasRead)
{
    expectOneReport(load("LEVEL: 5"), "level name");
    EXPECT_EQ(g_level, 5);
    EXPECT_EQ(g_level_name, "before");
    expectOneReport(load("LEVEL: 6 Six"), "CAMERASTOP:");
    EXPECT_EQ(g_level_name, "Six");
    expectOneReport(load("LEVEL: 6 Six CAMERASTOP:   \n"), "camera stop");
    EXPECT_EQ(camera_max, -1);
}

TEST_F(LevelTest, EntryWithAWordForANumberEndsTheRead)
{
    const std::string err = load("LEVEL: 1 A\nCAMERASTOP: 10\nENEMY1 1 2 3\nENEMY2 4 five 6\nENEMY1 7 8 9\n");
    expectOneReport(err, "\"five\"");
    EXPECT_EQ(listedKinds(), std::vector<uint32_t>{ACTOR_ENEMY1});
    EXPECT_EQ(listed()[0]->position->x, 1);
}

// A missing number would shift every later word into the wrong place.
TEST_F(LevelTest, EntryMissingANumberDoesNotShiftTheRest)
{
    const std::string err = load("LEVEL: 1 A\nCAMERASTOP: 10\nENEMY1 1 2\nENEMY2 4 5 6\n");
    expectOneReport(err, "ENEMY2");
    EXPECT_EQ(actor_count(), 0);
}

TEST_F(LevelTest, EntryCutShortByTheEndIsReportedAndDropped)
{
    for (const std::string tail : {"BOSS1", "BOSS1 1", "BOSS1 1 2", "BOSS1 1 2 \r\n"}) {
        SCOPED_TRACE(tail);
        actor_freeAll();
        g_boss_energy = 0;
        const std::string err = load("LEVEL: 1 A\nCAMERASTOP: 10\nENEMY2 1 2 3\n" + tail);
        expectOneReport(err, "cut short");
        EXPECT_EQ(listedKinds(), std::vector<uint32_t>{ACTOR_ENEMY2});
        EXPECT_EQ(g_boss_energy, 0);
    }
}

// The parser lists every fault for the checker; the game reports the first and stops there.
TEST_F(LevelTest, OnlyTheFirstFaultIsReportedAndNothingAfterItIsUsed)
{
    const std::string err = load("LEVEL: 1 A\nCAMERASTOP: 10\nENEMY2 1 2 3\nENEMY1 x 2 3\nBOSS1 1 2 3\n"
                                 "ENEMY1 y 2 3\nENEMY2 1\n");
    expectOneReport(err, "\"x\" is not a number");
    EXPECT_EQ(listedKinds(), std::vector<uint32_t>{ACTOR_ENEMY2});
    EXPECT_EQ(g_boss_energy, 0);
}

// ---- over-long words ----

TEST_F(LevelTest, OverLongNameIsCutAndReportedOnce)
{
    const std::string longName(5000, 'N');
    const std::string err = load("LEVEL: 1 " + longName + "\nCAMERASTOP: 10\nENEMY1 1 2 3\n");
    expectOneReport(err, "longer than 63 characters");
    EXPECT_EQ(g_level_name, std::string(level_maxWord, 'N'));
    EXPECT_LT(err.size(), 200u); // the word is not echoed whole
    EXPECT_EQ(camera_max, 10);
    EXPECT_EQ(actor_count(), 1);
}

TEST_F(LevelTest, OverLongKeywordsAreSkippedWithOneReport)
{
    const std::string longWord(64, 'E');
    const std::string err = load("LEVEL: 1 A\nCAMERASTOP: 10\n" + longWord + " 1 2 3\nENEMY1" + longWord +
                                 " 1 2 3\nENEMY2 4 5 6\n");
    expectOneReport(err, "longer than 63 characters");
    EXPECT_EQ(listedKinds(), std::vector<uint32_t>{ACTOR_ENEMY2});
    // 63 characters exactly is still a word of its own.
    EXPECT_EQ(load("LEVEL: 1 " + std::string(63, 'x') + " CAMERASTOP: 1"), "");
}

TEST_F(LevelTest, BinaryBytesNeverStallTheReader)
{
    std::string junk = "LEVEL: 1 A\nCAMERASTOP: 10\nENEMY1 1 2 3\n";
    for (int i = 0; i < 2000; ++i)
        junk += static_cast<char>((i * 37) % 256);
    const std::string err = load(junk);
    EXPECT_LE(lines(err), 2);
    EXPECT_GE(actor_count(), 1);
}

// A folder opens but fails at the first read: the game says so and goes on with an empty file,
// whose fault is then reported as any file's would be.
TEST_F(LevelTest, AFolderInPlaceOfTheFileIsAReadErrorNotAMissingFile)
{
    std::filesystem::create_directories("levels/folder.map");
    testing::internal::CaptureStderr();
    loadMap("levels/folder.map");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: Level file levels/folder.map: read error; using what was read\n"
              "Error: Level file levels/folder.map: does not begin with \"LEVEL:\"; the rest is ignored\n");
    EXPECT_EQ(actor_count(), 0);
    EXPECT_EQ(g_level_name, "before");
}

TEST(LevelDeathTest, MissingFileEndsTheProgram)
{
    EXPECT_EXIT(loadMap("no/such/level.map"), testing::ExitedWithCode(2),
                "Error: Failed to open level file: no/such/level.map\nQuitting!\n$");
}

} // namespace
