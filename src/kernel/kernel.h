// kernel.h -- the cooperative task kernel: one list of tasks sorted by priority, ticked
// in list order once per pass of the main loop until the list is empty.
#pragma once

struct Task;

// Starts the SDL core with the timer subsystem; false (with a message) on failure.
bool kernel_init();

// Stops every task in list order, empties the list and shuts SDL down. Safe from inside a
// tick (the pass then ends at once) and safe to call again on an empty list.
void kernel_quit();

// The main loop; returns when the list is empty.
void kernel_run();

// Holds the main loop to at most this many passes a second, sleeping between them; 0 (the start
// value) lets each pass follow the last at once. While paused the loop makes about 30 passes a
// second at most.
void kernel_setPassLimit(int passesPerSecond);

// Inserts the task before the first entry of equal or greater priority, then starts it;
// returns the start's result. The entry stays in the list whatever start returns.
int kernel_addTask(Task *task, unsigned priority);

// Calls the task's stop (also when it is not listed), then unlinks its first entry.
void kernel_removeTask(Task *task);

// Calls stop of every task in list order, then empties the list.
void kernel_removeAllTasks();

// Calls suspend (true) or resume (false) for every entry of the task and marks the entry
// suspended when the task is suspendable.
void kernel_suspendTask(Task *task, bool suspend);

// The system-wide pause: flips it and suspends or resumes every entry in list order.
void kernel_toggleSuspendAllTasks();
// Whether the system-wide pause is on.
bool kernel_isPaused();

// Prints the list to standard output.
void kernel_dumpTasks();
