// textfile.cpp -- whole-file reads and the word walk shared by the settings, level and model
// readers; no state of its own.
#include "kernel/textfile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

} // namespace

TextFile textfile_read(const char *path)
{
    TextFile file;
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> handle(std::fopen(path, "rb"));
    if (!handle) {
        file.reason = errno;
        return file;
    }
    file.opened = true;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, handle.get())) > 0)
        file.text.append(chunk, got);
    // A directory opens on most systems and fails at the first read.
    file.readError = std::ferror(handle.get()) != 0;
    if (file.readError)
        file.reason = errno;
    return file;
}

bool textfile_isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

TextWord textfile_nextWord(TextWords &words)
{
    const std::string_view text = words.text;
    for (; words.at < text.size() && textfile_isSpace(text[words.at]); ++words.at) {
        if (text[words.at] == '\n') {
            if (words.line < INT_MAX)
                ++words.line;
            words.lineStart = words.at + 1;
        }
    }
    const size_t start = words.at;
    while (words.at < text.size() && !textfile_isSpace(text[words.at]))
        ++words.at;
    const TextPlace place{words.line, static_cast<int>(std::min<size_t>(start - words.lineStart + 1, INT_MAX))};
    return {text.substr(start, words.at - start), place};
}
