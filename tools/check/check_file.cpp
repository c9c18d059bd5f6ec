// check_file.cpp -- whole-file reads for the checks, opened and read as the game's readers do
// (fopen and fread), so a directory or a read error is met where the game meets it.
#include "check_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

} // namespace

std::optional<std::string> check_readFile(CheckReport &report, const std::string &path,
                                          const std::string &ifUnopened, const std::string &ifUnread)
{
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        // A missing file is the usual case and needs no reason.
        const std::string why = errno == ENOENT || errno == 0 ? "" : std::string(" (") + std::strerror(errno) + ")";
        check_error(report, path, "cannot be opened" + why + "; " + ifUnopened);
        return std::nullopt;
    }
    // A directory opens on most systems and fails at the first read.
    std::string bytes;
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        bytes.append(chunk, got);
    if (std::ferror(file.get())) {
        check_error(report, path, std::string("cannot be read (") + std::strerror(errno) + "); " + ifUnread);
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> check_readFile(CheckReport &report, const std::string &path,
                                          const std::string &consequence)
{
    return check_readFile(report, path, consequence, consequence);
}
