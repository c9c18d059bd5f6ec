// scores.cpp -- the tables of best runs and their files. Nothing is kept here between calls but the
// count of runs this process has made; each table lives in its caller's record.
#include "kernel/scores.h"

#include "kernel/common.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The first line of every file: the format's name, a space and its version.
constexpr std::string_view formatName = "trelvik-scores ";
// The last line: "end", a space and the number of runs above it, so a file cut at a line's end
// is told from a whole one.
constexpr std::string_view endWord = "end ";
// 9999-12-31 23:59:59 UTC: a later date is no date of ours.
constexpr int64_t maxDate = 253402300799;
// A larger file is not a table of ours.
constexpr size_t maxFileBytes = 64 * 1024;
// How long a save waits for another game's save to finish before giving up on this one. Only a
// game stopped in the middle of its save holds the lock that long; a slow disk may take seconds.
constexpr int lockWaitMilliseconds = 10000;

// Runs made by this process; with the process id and the date, a run's identity.
int32_t runsMade = 0;

// An open file descriptor, closed when it goes.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int opened) : fd(opened) {}
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    Descriptor(Descriptor &&other) noexcept : fd(other.fd) { other.fd = -1; }
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A whole number written in 1 to 18 plain decimal digits, at most max.
bool readNumber(std::string_view word, int64_t max, int64_t &value)
{
    if (word.empty() || word.size() > 18)
        return false;
    int64_t v = 0;
    for (const char c : word) {
        if (!isDigit(c))
            return false;
        v = v * 10 + (c - '0');
    }
    if (v > max)
        return false;
    value = v;
    return true;
}

bool readInt32(std::string_view word, int32_t &value)
{
    int64_t v = 0;
    if (!readNumber(word, INT32_MAX, v))
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool isPrintable(char c)
{
    return c >= 0x20 && c <= 0x7e;
}

// The next field of a line and the space after it; false when there is no space left.
bool takeField(std::string_view &rest, std::string_view &field)
{
    const size_t space = rest.find(' ');
    if (space == std::string_view::npos)
        return false;
    field = rest.substr(0, space);
    rest.remove_prefix(space + 1);
    return true;
}

// One run line: score, level, initials ("-" for none), date, identity (pid.serial) and the level's
// name, which runs to the end of the line. "" when read whole, else what is wrong.
std::string readRun(std::string_view line, ScoresRun &run)
{
    std::string_view score, level, initials, date, id;
    if (!takeField(line, score) || !takeField(line, level) || !takeField(line, initials) ||
        !takeField(line, date) || !takeField(line, id))
        return "a run has six fields: score, level, initials, date, identity and the level's name";
    if (!readInt32(score, run.score))
        return "the score is not a whole number from 0 to 2147483647";
    if (!readInt32(level, run.level))
        return "the level is not a whole number from 0 to 2147483647";
    if (initials != "-") {
        if (initials.empty() || initials.size() > static_cast<size_t>(scores_maxInitials))
            return "the initials are not one to three letters A to Z, or -";
        for (const char c : initials)
            if (c < 'A' || c > 'Z')
                return "the initials are not one to three letters A to Z, or -";
        run.initials = initials;
    }
    if (!readNumber(date, maxDate, run.date))
        return "the date is not a number of seconds from 1970 to 9999";
    const size_t dot = id.find('.');
    if (dot == std::string_view::npos || !readInt32(id.substr(0, dot), run.pid) ||
        !readInt32(id.substr(dot + 1), run.serial))
        return "the identity is not two whole numbers joined by a dot";
    if (line.size() > static_cast<size_t>(scores_maxLevelName))
        return "the level's name is longer than 63 characters";
    for (const char c : line)
        if (!isPrintable(c))
            return "the level's name holds a character that is not printable ASCII";
    run.levelName = line;
    return "";
}

bool sameRun(const ScoresRun &a, const ScoresRun &b)
{
    return a.date == b.date && a.pid == b.pid && a.serial == b.serial;
}

// A better score first; an equal score made earlier first; otherwise the order of saving.
bool ranksAhead(const ScoresRun &a, const ScoresRun &b)
{
    return a.score > b.score || (a.score == b.score && a.date < b.date);
}

// Replaces the run of the same identity, or adds run after the others.
void put(std::vector<ScoresRun> &runs, const ScoresRun &run)
{
    for (ScoresRun &kept : runs)
        if (sameRun(kept, run)) {
            kept = run;
            return;
        }
    runs.push_back(run);
}

void rankAndTrim(std::vector<ScoresRun> &runs)
{
    std::stable_sort(runs.begin(), runs.end(), ranksAhead);
    if (runs.size() > static_cast<size_t>(scores_tableSize))
        runs.resize(scores_tableSize);
}

// The run as a file can hold it.
ScoresRun cleaned(const ScoresRun &run)
{
    ScoresRun out = run;
    out.score = std::max(run.score, 0);
    out.level = std::max(run.level, 0);
    out.date = std::clamp<int64_t>(run.date, 0, maxDate);
    out.pid = std::max(run.pid, 0);
    out.serial = std::max(run.serial, 0);
    out.initials.clear();
    for (const char c : run.initials) {
        const char upper = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper >= 'A' && upper <= 'Z' && out.initials.size() < static_cast<size_t>(scores_maxInitials))
            out.initials += upper;
    }
    out.levelName = run.levelName.substr(0, scores_maxLevelName);
    for (char &c : out.levelName)
        if (!isPrintable(c))
            c = '?';
    return out;
}

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string describe(const ScoresText &text)
{
    std::string out = text.problems.front();
    if (text.problems.size() > 1)
        out += " (and " + std::to_string(text.problems.size() - 1) + " more)";
    return out;
}

// The folder and every folder above it that is missing, made for the player alone.
bool makeFolders(const std::string &folder, std::string &why)
{
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0) {
            const int made = errno;
            struct stat info;
            if (stat(part.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
                why = made == EEXIST ? part + " is not a folder" : "cannot make " + part + ": " + std::strerror(made);
                return false;
            }
        }
        if (slash == std::string::npos)
            return true;
    }
}

void sleepMilliseconds(int milliseconds)
{
    timespec wait = {0, milliseconds * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

// The lock beside the file that every save (and every moving aside) holds; fd -1 with why set
// when it cannot be had. Released when the descriptor closes.
Descriptor takeLock(const std::string &path, std::string &why)
{
    const std::string lockPath = path + ".lock";
    Descriptor lock(open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (lock.fd < 0) {
        why = "cannot open " + lockPath + ": " + std::strerror(errno);
        return lock;
    }
    constexpr int step = 2;
    for (int waited = 0;; waited += step) {
        if (flock(lock.fd, LOCK_EX | LOCK_NB) == 0)
            return lock;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            why = "cannot lock " + lockPath + ": " + std::strerror(errno);
            break;
        }
        if (waited >= lockWaitMilliseconds) {
            why = "another game held " + lockPath + " for " + std::to_string(lockWaitMilliseconds / 1000) + " s";
            break;
        }
        sleepMilliseconds(step);
    }
    return Descriptor(-1);
}

enum class FileState { absent, whole, unreadable };

// Reads the file at path. Unreadable: text.problems says why.
FileState readFile(const std::string &path, ScoresText &text)
{
    Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.fd < 0) {
        // No file, or not even its folder.
        if (errno == ENOENT || errno == ENOTDIR)
            return FileState::absent;
        text.problems.push_back(std::string("cannot be opened: ") + std::strerror(errno));
        return FileState::unreadable;
    }
    std::string bytes;
    char block[4096];
    for (;;) {
        const ssize_t got = read(file.fd, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            text.problems.push_back(std::string("cannot be read: ") + std::strerror(errno));
            return FileState::unreadable;
        }
        if (got == 0)
            break;
        bytes.append(block, static_cast<size_t>(got));
        if (bytes.size() > maxFileBytes) {
            text.problems.push_back("longer than " + std::to_string(maxFileBytes) + " bytes");
            return FileState::unreadable;
        }
    }
    text = scores_readText(bytes);
    return text.problems.empty() ? FileState::whole : FileState::unreadable;
}

void flushFolder(const std::string &folder)
{
    const Descriptor dir(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd >= 0)
        fsync(dir.fd);
}

// Moves the file aside under a name that says when and is not taken yet (only ever with the lock
// held, so no other game picks the same name meanwhile). The new name, or "" with why set.
std::string moveAside(const std::string &path, std::string &why)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char when[32] = "";
    if (localtime_r(&now, &local) != nullptr)
        std::strftime(when, sizeof when, "%Y%m%d-%H%M%S", &local);
    const std::string stem = path + ".unreadable-" + when;
    for (int n = 1; n <= 100; ++n) {
        const std::string aside = n == 1 ? stem : stem + "-" + std::to_string(n);
        struct stat info;
        if (lstat(aside.c_str(), &info) == 0)
            continue;
        if (rename(path.c_str(), aside.c_str()) != 0) {
            why = std::strerror(errno);
            return "";
        }
        flushFolder(folderOf(path));
        return aside;
    }
    why = "a hundred files were moved aside this second already";
    return "";
}

// Reads the table's file into runs. A file that does not read whole is moved aside when the lock
// is held, reported in one line, and its lines read are kept. false (reported) when the file is
// unreadable and stays where it is: it must not be replaced.
bool readAndSettle(const std::string &path, bool locked, const std::string &lockProblem, std::vector<ScoresRun> &runs)
{
    ScoresText text;
    const FileState state = readFile(path, text);
    runs = text.runs;
    if (state != FileState::unreadable)
        return true;
    std::string why = lockProblem;
    const std::string aside = locked ? moveAside(path, why) : "";
    if (aside.empty()) {
        error("Scores file %s: %s; it cannot be moved aside (%s), so it is left as it is and the table is kept "
              "for this run only", path.c_str(), describe(text).c_str(), why.c_str());
        return false;
    }
    error("Scores file %s: %s; moved aside to %s; the table starts from the %zu %s read", path.c_str(),
          describe(text).c_str(), aside.c_str(), runs.size(), runs.size() == 1 ? "run" : "runs");
    return true;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t wrote = write(fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(wrote));
    }
    return true;
}

// Replaces the file whole: the text goes to a temporary file beside it, onto the disk, then takes
// the file's name. A game killed at any moment leaves the old file or the new one.
bool replaceFile(const std::string &path, const std::string &text, std::string &why)
{
    const std::string temporary = path + ".new";
    {
        Descriptor file(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (file.fd < 0) {
            why = "cannot make " + temporary + ": " + std::strerror(errno);
            return false;
        }
        // A full disk may show only when the data goes to it: at the flush, or at the close.
        const bool written = writeAll(file.fd, text) && fsync(file.fd) == 0;
        const int writeError = errno;
        const int fd = file.fd;
        file.fd = -1;
        const bool closed = close(fd) == 0;
        const int closeError = errno;
        if (!written || !closed) {
            why = "cannot write " + temporary + ": " + std::strerror(written ? closeError : writeError);
            unlink(temporary.c_str());
            return false;
        }
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        why = "cannot rename " + temporary + ": " + std::strerror(errno);
        unlink(temporary.c_str());
        return false;
    }
    flushFolder(folderOf(path));
    return true;
}

} // namespace

ScoresText scores_readText(std::string_view text)
{
    ScoresText out;
    int number = 0;
    size_t runLines = 0;
    std::vector<int> runLineNumbers; // of the runs kept, for reports of a run given twice
    bool ended = false;
    auto problem = [&](const std::string &what) {
        out.problems.push_back("line " + std::to_string(number) + ": " + what);
    };
    while (!text.empty()) {
        ++number;
        const size_t newline = text.find('\n');
        if (newline == std::string_view::npos) {
            problem("cut short");
            return out;
        }
        const std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline + 1);
        if (number == 1) {
            int64_t version = 0;
            if (line.substr(0, formatName.size()) != formatName ||
                !readNumber(line.substr(formatName.size()), 999999999, version) || version == 0) {
                problem("not a scores file (the first line is not \"trelvik-scores\" and a version)");
                return out;
            }
            out.version = static_cast<int>(version);
            if (version > scores_formatVersion) {
                problem("format " + std::to_string(version) + " is newer than this game reads (" +
                        std::to_string(scores_formatVersion) + ")");
                return out;
            }
            continue;
        }
        if (ended) {
            problem("text after the end");
            return out;
        }
        if (line.substr(0, endWord.size()) == endWord) {
            int64_t count = 0;
            if (!readNumber(line.substr(endWord.size()), INT32_MAX, count) || static_cast<size_t>(count) != runLines)
                problem("the end line does not count the " + std::to_string(runLines) + " runs above it");
            ended = true;
            continue;
        }
        ++runLines;
        ScoresRun run;
        const std::string fault = readRun(line, run);
        if (!fault.empty()) {
            problem(fault);
            continue;
        }
        const auto same =
            std::find_if(out.runs.begin(), out.runs.end(), [&](const ScoresRun &r) { return sameRun(r, run); });
        if (same != out.runs.end()) {
            problem("the same run as line " + std::to_string(runLineNumbers[same - out.runs.begin()]));
            continue;
        }
        if (out.runs.size() == static_cast<size_t>(scores_tableSize)) {
            problem("more than " + std::to_string(scores_tableSize) + " runs");
            continue;
        }
        out.runs.push_back(run);
        runLineNumbers.push_back(number);
    }
    if (number == 0) {
        number = 1;
        problem("empty");
    } else if (out.version != 0 && !ended) {
        ++number;
        problem("cut short: no end line");
    }
    return out;
}

std::string scores_writeText(const std::vector<ScoresRun> &runs)
{
    std::string out(formatName);
    out += std::to_string(scores_formatVersion) + "\n";
    for (const ScoresRun &run : runs) {
        out += std::to_string(run.score) + " " + std::to_string(run.level) + " " +
               (run.initials.empty() ? std::string("-") : run.initials) + " " + std::to_string(run.date) + " " +
               std::to_string(run.pid) + "." + std::to_string(run.serial) + " " + run.levelName + "\n";
    }
    out += std::string(endWord) + std::to_string(runs.size()) + "\n";
    return out;
}

std::string scores_path(const char *program)
{
    const std::string_view name(program);
    if (name.empty() || name.find('/') != std::string_view::npos || name == "." || name == "..")
        return "";
    // A relative XDG_DATA_HOME is to be ignored, as if it were unset.
    const char *data = std::getenv("XDG_DATA_HOME");
    std::string folder;
    if (data != nullptr && data[0] == '/') {
        folder = data;
    } else {
        const char *home = std::getenv("HOME");
        if (home == nullptr || home[0] != '/')
            return "";
        folder = std::string(home) + "/.local/share";
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder == "/")
        folder.clear();
    return folder + "/trelvik/scores-" + std::string(name) + ".txt";
}

ScoresTable scores_load(const char *program)
{
    ScoresTable table;
    table.path = scores_path(program);
    if (table.path.empty())
        return table;
    struct stat info;
    if (lstat(table.path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR))
        return table;
    // Only a lock in a folder that is there already: loading makes no folder.
    std::string lockProblem;
    const Descriptor lock = takeLock(table.path, lockProblem);
    readAndSettle(table.path, lock.fd >= 0, lockProblem, table.runs);
    rankAndTrim(table.runs);
    return table;
}

ScoresRun scores_newRun(int32_t score, int32_t level, std::string_view levelName)
{
    ScoresRun run;
    run.score = score;
    run.level = level;
    run.levelName = levelName;
    run.date = static_cast<int64_t>(std::time(nullptr));
    run.pid = static_cast<int32_t>(getpid());
    run.serial = ++runsMade;
    return run;
}

int scores_rank(const ScoresTable &table, int32_t score)
{
    // A run ending now comes after every run with its score: those ended earlier, or were saved first.
    const auto ahead =
        std::count_if(table.runs.begin(), table.runs.end(), [&](const ScoresRun &r) { return r.score >= score; });
    return ahead < scores_tableSize ? static_cast<int>(ahead) : -1;
}

bool scores_save(ScoresTable &table, const ScoresRun &run)
{
    put(table.runs, cleaned(run));
    rankAndTrim(table.runs);
    if (table.path.empty()) {
        error("Scores: neither XDG_DATA_HOME nor HOME names a folder for the table; it is kept for this run only");
        return false;
    }
    std::string why;
    if (!makeFolders(folderOf(table.path), why)) {
        error("Scores: %s; the table is kept for this run only", why.c_str());
        return false;
    }
    const Descriptor lock = takeLock(table.path, why);
    if (lock.fd < 0) {
        error("Scores: %s; the table is kept for this run only", why.c_str());
        return false;
    }
    // Runs other games saved since this one last read the file are kept, and a run of this
    // table already in the file is replaced by the table's own (its initials may have come since).
    std::vector<ScoresRun> merged;
    if (!readAndSettle(table.path, true, "", merged))
        return false;
    for (const ScoresRun &kept : table.runs)
        put(merged, kept);
    rankAndTrim(merged);
    table.runs = merged;
    if (!replaceFile(table.path, scores_writeText(merged), why)) {
        error("Scores: %s; the table is kept for this run only", why.c_str());
        return false;
    }
    return true;
}
