// check_report.h -- the problems trelvik-check finds, in the order found, and how they print.
// One report lives for one run of the checker.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// An error: the game would report it, misdraw or drop what the file meant, or the level could not
// be won. A warning: the game plays as the file says, but the file probably does not say what
// its author meant (an entry the game skips, an enemy nobody can reach, an image converted first).
enum class Severity { warning, error };

struct CheckProblem {
    Severity severity;
    std::string file; // relative to the run directory
    int line;         // 0: the problem concerns the whole file
    int column;
    std::string text;
};

struct CheckReport {
    std::vector<CheckProblem> problems;
};

void check_error(CheckReport &report, const std::string &file, const std::string &text, int line = 0, int column = 0);
void check_warning(CheckReport &report, const std::string &file, const std::string &text, int line = 0,
                   int column = 0);

int check_count(const CheckReport &report, Severity severity);

// One line per problem: "file:line:column: error: text" (without line and column when there are none).
// Bytes of file and text that are control characters or not UTF-8 print as \xNN.
void check_print(const CheckReport &report, std::FILE *out);
