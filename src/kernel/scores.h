// scores.h -- the table of the ten best runs of each program, kept between runs in a text file of
// its own under the player's data folder. A saved run is never lost: a save replaces the file
// whole or not at all, merges what other games saved meanwhile, and never overwrites a file it
// could not read whole (that one is moved aside). Records are plain values owned by the caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr int scores_tableSize = 10;     // runs a table keeps, best first
constexpr int scores_maxInitials = 3;    // letters A to Z
constexpr int scores_maxLevelName = 63;  // printable ASCII characters, as long as a level file's words
constexpr int scores_formatVersion = 1;  // the newest format this game reads and the one it writes

// One run, as the table shows it.
struct ScoresRun {
    int32_t score = 0;      // from 0
    int32_t level = 0;      // the level reached, from 0
    std::string levelName;  // up to scores_maxLevelName printable ASCII characters
    std::string initials;   // up to three letters A to Z: fewer when the player left the entry early
    int64_t date = 0;       // when the run ended, in seconds since 1970-01-01 UTC
    // Which game made it: with the date, tells this run from any other, so that a run saved again
    // (its initials completed) replaces itself.
    int32_t pid = 0;
    int32_t serial = 0;
    bool operator==(const ScoresRun &) const = default;
};

// What the text of a scores file holds. A file reads whole when problems is empty.
struct ScoresText {
    int version = 0;                   // the format named on the first line; 0 when it names none
    std::vector<ScoresRun> runs;       // the lines read whole, in file order
    std::vector<std::string> problems; // "line 3: ...", in file order
};

// Reads the text of a scores file; trusts no byte of it. No messages, no files.
ScoresText scores_readText(std::string_view text);
// The text of a file holding these runs, in this order; each run must be one scores_readText
// accepts (scores_save cleans them first).
std::string scores_writeText(const std::vector<ScoresRun> &runs);

// The table of one program as the game holds it while it runs.
struct ScoresTable {
    std::string path;            // the file; "" when there is no place for one
    std::vector<ScoresRun> runs; // best first, at most scores_tableSize; ties keep the earlier
};

// The file of the program named (e.g. "trelvik-solo"): $XDG_DATA_HOME/trelvik/scores-<program>.txt,
// or $HOME/.local/share/trelvik/... when XDG_DATA_HOME is unset, empty or relative; "" when neither
// gives an absolute folder or the name is not a plain file name.
std::string scores_path(const char *program);

// Reads the program's table. No file yet: an empty table. A file that does not read whole is
// moved aside under a name that says when, reported in one line, and the table starts from the
// lines that could be read. Never fails; creates no folder.
ScoresTable scores_load(const char *program);

// A run that ends now with this score and level, its initials still to come; a new identity each call.
ScoresRun scores_newRun(int32_t score, int32_t level, std::string_view levelName);

// Where a run with this score, ending now, would stand in the table (0 for the top), or -1 when it
// would not make it.
int scores_rank(const ScoresTable &table, int32_t score);

// Puts run into the table (replacing the run of the same identity, if any), then writes the table
// to its file, merged under a lock with the runs other games saved since: the file is replaced whole
// or not at all. The run is cleaned first (initials kept to the letters A to Z, the name cut to
// printable characters). On failure one line is reported and false returned; the table still
// holds the run, for this run of the game and for its next save.
bool scores_save(ScoresTable &table, const ScoresRun &run);
