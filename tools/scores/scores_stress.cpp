// scores_stress.cpp -- games that save their runs while they are killed, or while another game
// saves beside them, and checks that the scores file never loses a run. Each loop works in a fresh
// folder under the system's temporary folder (removed when it passes, kept and named when not).
//   trelvik-scores-stress crash <rounds> [seed]   a saving game killed at random moments, <rounds> times
//   trelvik-scores-stress merge <runs>            two games saving <runs> runs each at the same time
// Prints the figures; exits 0 when every check held, 1 (with a line per fault) when one did not.
#include "kernel/scores.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char *program = "stress";
// A crash child makes fewer runs than this in a round, so the rounds' scores never meet.
constexpr int runsPerRound = 1000;

int failures = 0;

void fail(const std::string &what)
{
    std::printf("FAULT: %s\n", what.c_str());
    ++failures;
}

// Scores that differ for every n below 1000003 and follow no order.
int32_t scrambled(int n)
{
    return static_cast<int32_t>(static_cast<int64_t>(n) * 7919 % 1000003);
}

std::string readBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The file as it is on the disk, read without moving anything; false (with a fault) unless whole.
bool readWhole(const std::string &path, std::vector<ScoresRun> &runs, const std::string &when)
{
    runs.clear();
    if (!fs::exists(path))
        return true;
    const ScoresText text = scores_readText(readBytes(path));
    if (!text.problems.empty()) {
        fail(when + ": the file does not read whole: " + text.problems.front());
        return false;
    }
    runs = text.runs;
    return true;
}

int movedAside(const std::string &folder)
{
    int count = 0;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".unreadable-") != std::string::npos)
            ++count;
    return count;
}

void say(const char *line)
{
    const ssize_t wrote = write(STDOUT_FILENO, line, std::strlen(line));
    (void)wrote;
}

// The crash child: runs with scores scrambled(first + i), each saved twice, first without initials,
// then with them, saying on standard output when each save begins ("b <step>") and ends ("e <step>").
int saveForever(int first)
{
    ScoresTable table = scores_load(program);
    for (int i = 0; i < runsPerRound - 1; ++i) {
        ScoresRun run = scores_newRun(scrambled(first + i), 1 + i % 5, "Harbour");
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1)
                run.initials = "AB";
            char line[32];
            std::snprintf(line, sizeof line, "b %d\n", 2 * i + pass);
            say(line);
            if (!scores_save(table, run))
                return 3;
            std::snprintf(line, sizeof line, "e %d\n", 2 * i + pass);
            say(line);
        }
    }
    return 0;
}

// The merge child: waits for the go (its read end of a pipe closing), then saves count runs
// scored 2i + parity, one save each, and says how many of its saves took in the other game's runs.
int saveRuns(int parity, int count, int go)
{
    char byte;
    while (read(go, &byte, 1) < 0 && errno == EINTR) {
    }
    ScoresTable table = scores_load(program);
    // Between two saves a game plays a game; here a pause of up to 3 ms stands for it, so that
    // each save meets the other game's saves rather than a lock held by a game saving nonstop.
    std::mt19937 random(static_cast<unsigned>(getpid()));
    std::uniform_int_distribution<int> pause(0, 3000);
    int merged = 0; // saves that found runs the other game had saved since this one's last
    for (int i = 0; i < count; ++i) {
        ScoresRun run = scores_newRun(2 * i + parity, 1, "Harbour");
        run.initials = parity == 0 ? "EVN" : "ODD";
        usleep(static_cast<useconds_t>(pause(random)));
        const std::vector<ScoresRun> before = table.runs;
        if (!scores_save(table, run))
            return 3;
        merged += std::any_of(table.runs.begin(), table.runs.end(), [&](const ScoresRun &r) {
            return r.pid != run.pid && std::find(before.begin(), before.end(), r) == before.end();
        });
    }
    std::printf("game %d: %d of its %d saves merged runs the other game had saved since\n", parity, merged, count);
    return 0;
}

std::string selfPath()
{
    std::error_code ignored;
    return fs::read_symlink("/proc/self/exe", ignored).string();
}

// Starts this program again with the arguments; its standard output goes to outFd when not -1.
pid_t start(const std::vector<std::string> &arguments, int outFd, int closeFd = -1)
{
    const pid_t child = fork();
    if (child != 0)
        return child;
    if (outFd >= 0)
        dup2(outFd, STDOUT_FILENO);
    if (closeFd >= 0)
        close(closeFd);
    std::vector<std::string> words = {selfPath()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

std::string makeFolder()
{
    std::string pattern = (fs::temp_directory_path() / "trelvik-scores-stress-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    setenv("XDG_DATA_HOME", pattern.c_str(), 1);
    return pattern;
}

// The runs a table holds, as the crash loop compares them.
std::string show(const std::vector<ScoresRun> &runs)
{
    std::string out;
    for (const ScoresRun &r : runs)
        out += std::to_string(r.score) + "/" + std::to_string(r.pid) + "." + std::to_string(r.serial) + "/" +
               (r.initials.empty() ? "-" : r.initials) + " ";
    return out;
}

bool sameTable(const std::vector<ScoresRun> &a, const std::vector<ScoresRun> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ScoresRun &x, const ScoresRun &y) {
        return x.score == y.score && x.pid == y.pid && x.serial == y.serial && x.initials == y.initials &&
               x.level == y.level && x.levelName == y.levelName;
    });
}

// The table after the crash child of pid, starting from before, made `saves` saves.
std::vector<ScoresRun> expected(std::vector<ScoresRun> before, pid_t pid, int first, int saves)
{
    for (int i = 0; 2 * i < saves; ++i) {
        ScoresRun run;
        run.score = scrambled(first + i);
        run.level = 1 + i % 5;
        run.levelName = "Harbour";
        run.initials = 2 * i + 1 < saves ? "AB" : "";
        run.pid = pid;
        run.serial = i + 1;
        before.push_back(run);
    }
    std::stable_sort(before.begin(), before.end(),
                     [](const ScoresRun &a, const ScoresRun &b) { return a.score > b.score; });
    before.resize(std::min<size_t>(before.size(), scores_tableSize));
    return before;
}

int crashLoop(int rounds, unsigned seed)
{
    const std::string folder = makeFolder();
    const std::string path = scores_path(program);
    std::mt19937 random(seed);
    // From the start of the first save: long enough for several saves, short enough to stop the first.
    std::uniform_int_distribution<int> delay(0, 50000);
    int beforeAnySave = 0, inSave = 0, betweenSaves = 0, savesMade = 0, beforeTable = 0, afterTable = 0;
    const auto startTime = std::chrono::steady_clock::now();
    int played = 0;
    for (int round = 0; round < rounds && failures == 0; ++round) {
        played = round + 1;
        std::vector<ScoresRun> before;
        if (!readWhole(path, before, "before round " + std::to_string(round)))
            break;
        int channel[2];
        if (pipe(channel) != 0)
            return 1;
        const int first = round * runsPerRound;
        const pid_t child = start({"saver", std::to_string(first)}, channel[1], channel[0]);
        close(channel[1]);
        // The kill comes while the game saves, however long it took to start.
        std::string said;
        char block[4096];
        pollfd waiting = {channel[0], POLLIN, 0};
        while (said.find('\n') == std::string::npos && poll(&waiting, 1, 10000) > 0) {
            const ssize_t got = read(channel[0], block, sizeof block);
            if (got <= 0)
                break;
            said.append(block, static_cast<size_t>(got));
        }
        usleep(static_cast<useconds_t>(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFSIGNALED(status)) {
            fail("round " + std::to_string(round) + ": the saving game ended by itself (status " +
                 std::to_string(WEXITSTATUS(status)) + ")");
            close(channel[0]);
            break;
        }
        for (ssize_t got; (got = read(channel[0], block, sizeof block)) > 0;)
            said.append(block, static_cast<size_t>(got));
        close(channel[0]);
        int begun = -1, ended = -1;
        for (size_t at = 0; at < said.size();) {
            const size_t end = said.find('\n', at);
            if (end == std::string::npos)
                break;
            const int step = std::atoi(said.c_str() + at + 2);
            (said[at] == 'b' ? begun : ended) = step;
            at = end + 1;
        }
        std::vector<ScoresRun> after;
        const std::string when = "after the kill of round " + std::to_string(round);
        if (!readWhole(path, after, when))
            break;
        // Saves finished: ended + 1; the one begun may or may not have reached its rename.
        const std::vector<ScoresRun> done = expected(before, child, first, ended + 1);
        const std::vector<ScoresRun> next = expected(before, child, first, ended + 2);
        const bool midSave = begun > ended;
        if (sameTable(after, done))
            ++beforeTable;
        else if (midSave && sameTable(after, next))
            ++afterTable;
        else
            fail(when + ": the file holds " + show(after) + "; expected " + show(done) +
                 (midSave ? " or " + show(next) : std::string()));
        (begun < 0 ? beforeAnySave : midSave ? inSave : betweenSaves) += 1;
        savesMade += ended + 1;
        if (movedAside(folder) != 0)
            fail(when + ": a file was moved aside");
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
    std::printf("crash loop: %d rounds in %.1f s (seed %u), %d saves finished; killed before the first save %d, "
                "during a save %d (the file as before it %d, as after it %d), between saves %d\n",
                played, seconds, seed, savesMade, beforeAnySave, inSave, inSave - afterTable, afterTable, betweenSaves);
    (void)beforeTable;
    if (failures == 0)
        fs::remove_all(folder);
    else
        std::printf("kept %s\n", folder.c_str());
    return failures == 0 ? 0 : 1;
}

int mergeLoop(int count)
{
    const std::string folder = makeFolder();
    const std::string path = scores_path(program);
    int go[2];
    if (pipe(go) != 0)
        return 1;
    const auto startTime = std::chrono::steady_clock::now();
    pid_t children[2];
    for (int parity = 0; parity < 2; ++parity)
        children[parity] =
            start({"adder", std::to_string(parity), std::to_string(count), std::to_string(go[0])}, -1, go[1]);
    close(go[0]);
    close(go[1]);
    for (int parity = 0; parity < 2; ++parity) {
        int status = 0;
        waitpid(children[parity], &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            fail("game " + std::to_string(parity) + " did not save every run (status " + std::to_string(status) + ")");
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - startTime).count();
    std::vector<ScoresRun> runs;
    if (readWhole(path, runs, "after the merge")) {
        int both[2] = {0, 0};
        bool best = runs.size() == static_cast<size_t>(scores_tableSize);
        for (size_t i = 0; i < runs.size(); ++i) {
            const int32_t want = 2 * count - 1 - static_cast<int32_t>(i);
            const int parity = want % 2;
            best = best && runs[i].score == want && runs[i].pid == children[parity] &&
                   runs[i].initials == (parity == 0 ? "EVN" : "ODD");
            ++both[runs[i].pid == children[1]];
        }
        if (!best)
            fail("the table is not the ten best of both games' runs: " + show(runs));
        std::printf("merge loop: 2 games saving %d runs each at once, %d saves in %.1f s; "
                    "the ten best of the %d runs kept: %d from one game, %d from the other\n",
                    count, 2 * count, seconds, 2 * count, both[0], both[1]);
    }
    if (movedAside(folder) != 0)
        fail("a file was moved aside during the merge");
    if (failures == 0)
        fs::remove_all(folder);
    else
        std::printf("kept %s\n", folder.c_str());
    return failures == 0 ? 0 : 1;
}

int usage()
{
    std::fprintf(stderr, "usage: trelvik-scores-stress crash <rounds> [seed] | merge <runs>\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "saver")
        return saveForever(std::atoi(args[1].c_str()));
    if (args.size() == 4 && args[0] == "adder")
        return saveRuns(std::atoi(args[1].c_str()), std::atoi(args[2].c_str()), std::atoi(args[3].c_str()));
    if ((args.size() == 2 || args.size() == 3) && args[0] == "crash") {
        const unsigned seed = args.size() == 3 ? static_cast<unsigned>(std::strtoul(args[2].c_str(), nullptr, 10))
                                               : std::random_device()();
        return crashLoop(std::max(1, std::atoi(args[1].c_str())), seed);
    }
    if (args.size() == 2 && args[0] == "merge")
        return mergeLoop(std::clamp(std::atoi(args[1].c_str()), scores_tableSize, 100000));
    return usage();
}
