// check_file.cpp -- whole-file reads for the checks, through the game's own whole-file reader, so a
// directory or a read error is met where the game meets it.
#include "check_file.h"

#include "kernel/textfile.h"

#include <cerrno>
#include <cstring>
#include <utility>

std::optional<std::string> check_readFile(CheckReport &report, const std::string &path,
                                          const std::string &ifUnopened, const std::string &ifUnread)
{
    TextFile file = textfile_read(path.c_str());
    if (!file.opened) {
        // A missing file is the usual case and needs no reason.
        const bool usual = file.reason == ENOENT || file.reason == 0;
        const std::string why = usual ? "" : std::string(" (") + std::strerror(file.reason) + ")";
        check_error(report, path, "cannot be opened" + why + "; " + ifUnopened);
        return std::nullopt;
    }
    if (file.readError) {
        check_error(report, path, std::string("cannot be read (") + std::strerror(file.reason) + "); " + ifUnread);
        return std::nullopt;
    }
    return std::move(file.text);
}

std::optional<std::string> check_readFile(CheckReport &report, const std::string &path,
                                          const std::string &consequence)
{
    return check_readFile(report, path, consequence, consequence);
}
