// entry_solo.cpp -- the program entry of trelvik-solo: the same game for one ship, under its own
// build banner.
#include "kernel/main.h"

int main()
{
    return main_run(1, "Trelvik  Build Jun 24 2004 15:49:26");
}
