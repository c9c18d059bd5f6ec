// main.h -- the program-wide globals set up before the kernel runs, and the start-up sequence.
#pragma once

extern const char *const g_progname;      // "Trelvik": the window's icon title
extern const char *g_progname_long;       // the program's build banner and window caption
extern const char *const g_configfile;    // "config.ini", in the working directory
extern bool g_useDisplaylists;            // draw models through display lists
extern bool g_debug;                      // always false: nothing sets it and nothing reads it yet

// The whole program, a game of that many ships (2 or 1) under the program's banner: banner,
// settings, kernel, tasks, main loop. Returns 0 after a normal end; start-up failures end the
// process with status 2.
int main_run(int ships, const char *banner);
