// check_file.h -- the run directory's files as the checks read them: whole, or one report line
// saying why not. Nothing is kept open.
#pragma once

#include "check_report.h"

#include <optional>
#include <string>

// The whole file at path (relative to the working directory). When it cannot be opened (missing,
// not permitted) or not read to its end (a directory, a read error), reports one error naming the
// system's reason (a missing file needs none), then ifUnopened or ifUnread (what the game does then), and returns nothing.
std::optional<std::string> check_readFile(CheckReport &report, const std::string &path,
                                          const std::string &ifUnopened, const std::string &ifUnread);
// The same, for a file the game treats alike whether it cannot open it or cannot read it.
std::optional<std::string> check_readFile(CheckReport &report, const std::string &path,
                                          const std::string &consequence);
