// entry.cpp -- the program entry of trelvik: the game for two ships, under its build banner.
#include "kernel/main.h"

int main()
{
    return main_run(2, "Trelvik  Build Jun 24 2004 18:54:09");
}
