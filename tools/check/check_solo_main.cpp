// check_solo_main.cpp -- trelvik-check-solo: the one-player rows of trelvik-check --play, flown
// under the one-player program's rules. trelvik-check starts it in the run directory with the
// options of its own command line and a file for the rows; it is not meant to be run by hand.
#include "check_play_command.h"

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    PlayOptions options;
    for (int i = 1; i < argc; ++i) {
        std::string error;
        if (!play_parseOption(argc, argv, i, options, error) || !error.empty()) {
            std::fprintf(stderr, "trelvik-check-solo: %s\n", error.empty() ? argv[i] : error.c_str());
            return 2;
        }
    }
    if (options.rows.empty()) {
        std::fputs("usage: trelvik-check-solo --play=RUNS --seed FIRST --fps LIST --pilots LIST --rows FILE\n"
                   "Flies the one-player rows for trelvik-check --play; run trelvik-check --play instead.\n",
                   stderr);
        return 2;
    }
    return play_flyRowsFile(options);
}
