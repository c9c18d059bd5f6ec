// check_report.cpp -- the problem list of one run of trelvik-check.
#include "check_report.h"

#include <algorithm>

namespace {

// Words quoted from the files may hold control bytes; they are shown as \xNN, not sent to the terminal.
std::string printable(const std::string &text)
{
    std::string out;
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

void check_error(CheckReport &report, const std::string &file, const std::string &text, int line, int column)
{
    report.problems.push_back({Severity::error, file, line, column, text});
}

void check_warning(CheckReport &report, const std::string &file, const std::string &text, int line, int column)
{
    report.problems.push_back({Severity::warning, file, line, column, text});
}

int check_count(const CheckReport &report, Severity severity)
{
    int n = 0;
    for (const CheckProblem &p : report.problems)
        n += p.severity == severity;
    return n;
}

void check_print(const CheckReport &report, std::FILE *out)
{
    // Grouped by file, files in the order they were first named; within a file the problems of
    // the whole file first, then by place, each place in the order found.
    std::vector<std::string> files;
    for (const CheckProblem &p : report.problems)
        if (std::find(files.begin(), files.end(), p.file) == files.end())
            files.push_back(p.file);
    std::vector<CheckProblem> sorted = report.problems;
    std::stable_sort(sorted.begin(), sorted.end(), [&](const CheckProblem &a, const CheckProblem &b) {
        const auto fileA = std::find(files.begin(), files.end(), a.file), fileB = std::find(files.begin(), files.end(), b.file);
        if (fileA != fileB)
            return fileA < fileB;
        return a.line != b.line ? a.line < b.line : a.column < b.column;
    });
    for (const CheckProblem &p : sorted) {
        const char *kind = p.severity == Severity::error ? "error" : "warning";
        const std::string text = printable(p.text), file = printable(p.file);
        if (p.line > 0)
            std::fprintf(out, "%s:%d:%d: %s: %s\n", file.c_str(), p.line, p.column, kind, text.c_str());
        else
            std::fprintf(out, "%s: %s: %s\n", file.c_str(), kind, text.c_str());
    }
}
