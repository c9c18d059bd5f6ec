// check_report.cpp -- the problem list of one run of trelvik-check.
#include "check_report.h"

#include <algorithm>

namespace {

// The length of the UTF-8 sequence at text[i], or 0 when the bytes there are not one (a stray
// continuation byte, an overlong form, a surrogate, past U+10FFFF, cut short).
size_t utf8Length(const std::string &text, size_t i)
{
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - i < length)
        return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char c = static_cast<unsigned char>(text[i + k]);
        if (c < (k == 1 ? low : 0x80) || c > (k == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

// Text quoted from the files may hold any bytes. Control characters (C0, DEL, C1) and bytes that
// are not UTF-8 are shown as \xNN, one a byte, so neither the terminal nor a log reader gets them raw.
std::string printable(const std::string &text)
{
    std::string out;
    const auto escape = [&out](unsigned char u) {
        char escaped[5];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", u);
        out += escaped;
    };
    for (size_t i = 0; i < text.size();) {
        const unsigned char u = static_cast<unsigned char>(text[i]);
        if (u < 0x80) {
            if (u < 0x20 || u == 0x7F)
                escape(u);
            else
                out += text[i];
            ++i;
            continue;
        }
        const size_t length = utf8Length(text, i);
        const bool c1 = u == 0xC2 && length == 2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (length == 0 || c1) {
            for (size_t k = 0; k < std::max<size_t>(length, 1); ++k)
                escape(static_cast<unsigned char>(text[i + k]));
            i += std::max<size_t>(length, 1);
            continue;
        }
        out.append(text, i, length);
        i += length;
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
