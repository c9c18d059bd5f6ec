// The table of best runs: its order, its file and where it lives, files that do not read whole,
// folders and disks that refuse the save, and games killed while saving or saving side by side.
#include "kernel/scores.h"

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// An environment variable as it was, put back when the test ends.
class KeptVariable {
public:
    explicit KeptVariable(const char *name) : name(name)
    {
        if (const char *value = std::getenv(name))
            before = value;
    }
    ~KeptVariable() { before ? setenv(name, before->c_str(), 1) : unsetenv(name); }

private:
    const char *name;
    std::optional<std::string> before;
};

class ScoresTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = test_tempDir();
        setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
        setenv("HOME", (dir + "/home").c_str(), 1);
        path = dir + "/data/trelvik/scores-trelvik.txt";
    }
    void TearDown() override { fs::remove_all(dir); }

    static ScoresRun run(int32_t score, int64_t date, const char *initials = "ABC", int32_t serial = 1)
    {
        ScoresRun r;
        r.score = score;
        r.level = 3;
        r.levelName = "Harbour";
        r.initials = initials;
        r.date = date;
        r.pid = 100;
        r.serial = serial;
        return r;
    }

    static std::vector<int32_t> scoresOf(const std::vector<ScoresRun> &runs)
    {
        std::vector<int32_t> out;
        for (const ScoresRun &r : runs)
            out.push_back(r.score);
        return out;
    }

    // The files moved aside in the table's folder, by name.
    std::vector<std::string> asideFiles() const
    {
        std::vector<std::string> out;
        for (const fs::directory_entry &e : fs::directory_iterator(fs::path(path).parent_path()))
            if (e.path().filename().string().find(".unreadable-") != std::string::npos)
                out.push_back(e.path().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    // Runs the stress program with its arguments; its exit status, with its output in output.
    static int stress(const std::string &arguments, std::string &output)
    {
        const std::string command = std::string(TRELVIK_SCORES_STRESS) + " " + arguments + " 2>&1";
        std::FILE *pipe = popen(command.c_str(), "r");
        if (pipe == nullptr)
            return -1;
        char block[512];
        for (size_t got; (got = std::fread(block, 1, sizeof block, pipe)) > 0;)
            output.append(block, got);
        const int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    KeptVariable keptData{"XDG_DATA_HOME"};
    KeptVariable keptHome{"HOME"};
    std::string dir;
    std::string path;
};

TEST_F(ScoresTest, TheTenBestRunsAreKeptBestFirstAndEarlierRunsFirstOnTies)
{
    ScoresTable table = scores_load("trelvik");
    EXPECT_TRUE(table.runs.empty());
    // Twelve runs: the two worst fall out; equal scores rank by date, then by order of saving.
    const int32_t scores[] = {500, 9000, 1250, 9000, 700, 100, 9000, 3000, 1250, 50, 20000, 800};
    const int64_t dates[] = {10, 30, 11, 20, 12, 13, 20, 14, 11, 15, 16, 17};
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(scores_save(table, run(scores[i], dates[i], i % 2 ? "AB" : "XYZ", i + 1)));
    const std::vector<int32_t> best = {20000, 9000, 9000, 9000, 3000, 1250, 1250, 800, 700, 500};
    EXPECT_EQ(scoresOf(table.runs), best);
    EXPECT_EQ(table.runs[1].serial, 4); // the 9000 of date 20 saved first
    EXPECT_EQ(table.runs[2].serial, 7); // then the other of date 20
    EXPECT_EQ(table.runs[3].serial, 2); // then the one of date 30
    EXPECT_EQ(table.runs[5].serial, 3);

    // The file gives back exactly what was saved, fewer initials included.
    const ScoresTable read = scores_load("trelvik");
    EXPECT_EQ(read.runs, table.runs);
    EXPECT_EQ(read.runs[1].initials, "AB");
    EXPECT_EQ(read.runs[0].levelName, "Harbour");
    EXPECT_EQ(read.runs[0].level, 3);

    // A new run would stand after every run with its score: behind the three 9000s, and nowhere
    // when it ties the last of a full table.
    EXPECT_EQ(scores_rank(read, 9000), 4);
    EXPECT_EQ(scores_rank(read, 500), -1);
    EXPECT_EQ(scores_rank(read, 501), 9);
}

TEST_F(ScoresTest, ARunSavedAgainReplacesItselfCleanedToWhatTheFileHolds)
{
    ScoresTable table = scores_load("trelvik");
    ScoresRun mine = scores_newRun(4200, 2, "Old\tTown");
    ASSERT_TRUE(scores_save(table, mine));
    EXPECT_EQ(table.runs.at(0).initials, "");
    // The player leaves the entry after two letters, typed in lower case with a stray key.
    mine.initials = "k9w";
    ASSERT_TRUE(scores_save(table, mine));
    const ScoresRun other = scores_newRun(4200, 2, "Old Town");
    ASSERT_TRUE(scores_save(table, other));

    const ScoresTable read = scores_load("trelvik");
    ASSERT_EQ(read.runs.size(), 2u);
    EXPECT_EQ(read.runs[0].initials, "KW");
    EXPECT_EQ(read.runs[0].levelName, "Old?Town");
    EXPECT_EQ(read.runs[1].initials, "");
    EXPECT_NE(read.runs[0].serial, read.runs[1].serial);
}

TEST_F(ScoresTest, TheFileLivesUnderTheDataHomeAndIsMadeWithItsFoldersOnTheFirstSave)
{
    EXPECT_EQ(scores_path("trelvik-solo"), dir + "/data/trelvik/scores-trelvik-solo.txt");
    setenv("XDG_DATA_HOME", "relative/data", 1);
    EXPECT_EQ(scores_path("trelvik"), dir + "/home/.local/share/trelvik/scores-trelvik.txt");
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(scores_path("trelvik"), dir + "/home/.local/share/trelvik/scores-trelvik.txt");
    unsetenv("HOME");
    EXPECT_EQ(scores_path("trelvik"), "");

    // Without a home the table is kept for this run only.
    ScoresTable homeless = scores_load("trelvik");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(scores_save(homeless, run(10, 1)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: Scores: neither XDG_DATA_HOME nor HOME names a folder for the table; it is kept for "
              "this run only\n");
    EXPECT_EQ(homeless.runs.size(), 1u);

    // Loading makes nothing; the first save makes the folders and the file, and nothing else.
    setenv("HOME", (dir + "/home").c_str(), 1);
    ScoresTable table = scores_load("trelvik-solo");
    EXPECT_FALSE(fs::exists(dir + "/home"));
    ASSERT_TRUE(scores_save(table, run(10, 1)));
    const std::string file = dir + "/home/.local/share/trelvik/scores-trelvik-solo.txt";
    EXPECT_EQ(test_readFile(file), "trelvik-scores 1\n10 3 ABC 1 100.1 Harbour\nend 1\n");
    std::vector<std::string> names;
    for (const fs::directory_entry &e : fs::directory_iterator(fs::path(file).parent_path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"scores-trelvik-solo.txt", "scores-trelvik-solo.txt.lock"}));
}

TEST_F(ScoresTest, EveryFieldOfALineIsCheckedAndABadLineIsNamed)
{
    const std::string good = "900 2 AB 1765275300 7.1 Harbour\n";
    const char *bad[] = {
        "x900 2 AB 1765275300 7.2 Harbour",       "2147483648 2 AB 1765275300 7.2 Harbour",
        "900 -2 AB 1765275300 7.2 Harbour",       "900 2 ab 1765275300 7.2 Harbour",
        "900 2 ABCD 1765275300 7.2 Harbour",      "900 2  1765275300 7.2 Harbour",
        "900 2 AB 253402300800 7.2 Harbour",      "900 2 AB 1765275300 7-2 Harbour",
        "900 2 AB 1765275300 7.99999999999 Harbour", "900 2 AB 1765275300 7.2",
        "900 2 AB 1765275300 7.2 Har\001bour", "900 2 AB 1765275300 7.1 Harbour",
        "900 2 AB 1765275300 7.2 Harbour\r",
    };
    for (const char *line : bad) {
        SCOPED_TRACE(line);
        const ScoresText text = scores_readText("trelvik-scores 1\n" + good + line + "\nend 2\n");
        ASSERT_EQ(text.problems.size(), 1u);
        EXPECT_EQ(text.problems[0].rfind("line 3: ", 0), 0u) << text.problems[0];
        ASSERT_EQ(text.runs.size(), 1u);
        EXPECT_EQ(text.runs[0].serial, 1);
    }
    const ScoresText longName = scores_readText("trelvik-scores 1\n" + good + "900 2 AB 1765275300 7.2 " +
                                                std::string(64, 'n') + "\nend 2\n");
    EXPECT_EQ(longName.problems.size(), 1u);
    const ScoresText justLong = scores_readText("trelvik-scores 1\n" + good + "900 2 - 0 7.2 " +
                                                std::string(63, 'n') + "\nend 2\n");
    EXPECT_EQ(justLong.problems, std::vector<std::string>{});
    EXPECT_EQ(justLong.runs.at(1).initials, "");

    // Eleven runs are one too many; the end line must count the lines above it.
    std::string eleven = "trelvik-scores 1\n";
    for (int i = 1; i <= 11; ++i)
        eleven += "900 2 AB 1765275300 7." + std::to_string(i) + " Harbour\n";
    const ScoresText tooMany = scores_readText(eleven + "end 11\n");
    EXPECT_EQ(tooMany.problems, std::vector<std::string>{"line 12: more than 10 runs"});
    EXPECT_EQ(tooMany.runs.size(), 10u);
    EXPECT_EQ(scores_readText("trelvik-scores 1\n" + good + "end 2\n").problems.size(), 1u);
    EXPECT_EQ(scores_readText("trelvik-scores 1\n" + good + "end 1\n\n").problems.size(), 1u);
    EXPECT_EQ(scores_readText("").problems.size(), 1u);
}

TEST_F(ScoresTest, AFileThatDoesNotReadWholeIsMovedAsideAndItsGoodLinesKept)
{
    const std::string whole = "trelvik-scores 1\n"
                              "9000 4 AB 1765275300 7.1 Harbour\n"
                              "500 1 CD 1765275200 7.2 Streets\n"
                              "end 2\n";
    struct Case {
        const char *what;
        std::string bytes;
        size_t runsKept;
    };
    const Case cases[] = {
        {"cut inside a line", whole.substr(0, whole.find("Streets") + 3), 1},
        {"cut at a line's end", whole.substr(0, whole.find("end")), 2},
        {"a bad line",
         "trelvik-scores 1\n9000 4 AB 1765275300 7.1 Harbour\n500 one CD 1765275200 7.2 Streets\nend 2\n", 1},
        {"a newer format", "trelvik-scores 2\n9000 4 AB 1765275300 7.1 Harbour 2\nend 1\n", 0},
        {"not ours", "PNG\n", 0},
    };
    fs::create_directories(fs::path(path).parent_path());
    size_t moved = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        test_writeFile(path, c.bytes);
        testing::internal::CaptureStderr();
        ScoresTable table = scores_load("trelvik");
        const std::string said = testing::internal::GetCapturedStderr();
        // One line naming the file and where it went; the bytes are there, whole, under a new
        // name, and no earlier file moved aside was overwritten.
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find("Error: Scores file " + path + ": line "), std::string::npos) << said;
        EXPECT_NE(said.find("moved aside to " + path + ".unreadable-20"), std::string::npos) << said;
        const std::vector<std::string> aside = asideFiles();
        ASSERT_EQ(aside.size(), ++moved);
        bool found = false;
        for (const std::string &file : aside)
            found = found || test_readFile(file) == c.bytes;
        EXPECT_TRUE(found);
        EXPECT_FALSE(fs::exists(path));
        EXPECT_EQ(table.runs.size(), c.runsKept);

        // The next save starts a whole file from the lines that could be read.
        ASSERT_TRUE(scores_save(table, run(700, 1765275400)));
        const ScoresText saved = scores_readText(test_readFile(path));
        EXPECT_TRUE(saved.problems.empty());
        EXPECT_EQ(saved.runs.size(), c.runsKept + 1);
        fs::remove(path);
    }

    // A file spoilt after the game read it is moved aside by the save, not overwritten.
    test_writeFile(path, whole);
    ScoresTable table = scores_load("trelvik");
    test_writeFile(path, cases[2].bytes);
    testing::internal::CaptureStderr();
    ASSERT_TRUE(scores_save(table, run(700, 1765275400)));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("moved aside"), std::string::npos);
    EXPECT_EQ(asideFiles().size(), moved + 1);
    EXPECT_EQ(scoresOf(scores_load("trelvik").runs), (std::vector<int32_t>{9000, 700, 500}));
}

TEST_F(ScoresTest, AFolderThatCannotBeMadeKeepsTheTableForThisRun)
{
    // The data home is a file: no folder can be made under it, whoever runs the game.
    test_writeFile(dir + "/data", "not a folder");
    testing::internal::CaptureStderr();
    ScoresTable table = scores_load("trelvik");
    EXPECT_FALSE(scores_save(table, run(300, 1)));
    EXPECT_FALSE(scores_save(table, run(900, 2, "AB", 2)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: Scores: " + dir + "/data is not a folder; the table is kept for this run only\n"
              "Error: Scores: " + dir + "/data is not a folder; the table is kept for this run only\n");
    EXPECT_EQ(scoresOf(table.runs), (std::vector<int32_t>{900, 300}));
    EXPECT_EQ(test_readFile(dir + "/data"), "not a folder");
}

TEST_F(ScoresTest, AFullDiskLeavesTheOldFileWholeAndTheRunForTheNextSave)
{
    ScoresTable table = scores_load("trelvik");
    ASSERT_TRUE(scores_save(table, run(300, 1)));
    const std::string before = test_readFile(path);
    // The file being written is the device that is always full.
    fs::create_symlink("/dev/full", path + ".new");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(scores_save(table, run(900, 2, "AB", 2)));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: Scores: cannot write " + path +
                  ".new: No space left on device; the table is kept for this run only\n");
    EXPECT_EQ(test_readFile(path), before);
    EXPECT_EQ(scoresOf(table.runs), (std::vector<int32_t>{900, 300}));
    EXPECT_FALSE(fs::exists(fs::symlink_status(path + ".new")));

    // With room again, the next save writes the run the full disk held back.
    ASSERT_TRUE(scores_save(table, run(100, 3, "CD", 3)));
    EXPECT_EQ(scoresOf(scores_load("trelvik").runs), (std::vector<int32_t>{900, 300, 100}));
}

TEST_F(ScoresTest, AGameKilledWhileSavingLeavesTheOldTableOrTheNewWhole)
{
    std::string output;
    EXPECT_EQ(stress("crash 40", output), 0) << output;
    EXPECT_NE(output.find("crash loop: 40 rounds"), std::string::npos) << output;
}

TEST_F(ScoresTest, TwoGamesSavingAtOnceKeepEachOthersRuns)
{
    // Each game read the file before the other saved.
    ScoresTable first = scores_load("trelvik");
    ScoresTable second = scores_load("trelvik");
    ASSERT_TRUE(scores_save(first, run(100, 1, "AA", 1)));
    ASSERT_TRUE(scores_save(second, run(200, 2, "BB", 2)));
    ASSERT_TRUE(scores_save(first, run(100, 1, "AAA", 1)));
    EXPECT_EQ(scoresOf(first.runs), (std::vector<int32_t>{200, 100}));
    const ScoresTable read = scores_load("trelvik");
    EXPECT_EQ(read.runs, first.runs);
    EXPECT_EQ(read.runs.at(1).initials, "AAA");

    std::string output;
    EXPECT_EQ(stress("merge 30", output), 0) << output;
    EXPECT_NE(output.find("merge loop: 2 games saving 30 runs"), std::string::npos) << output;
}

} // namespace
