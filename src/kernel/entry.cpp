// entry.cpp -- the program entry of trelvik and trelvik-solo.
#include "kernel/main.h"

int main()
{
    return main_run();
}
