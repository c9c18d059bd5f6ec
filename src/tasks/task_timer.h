// task_timer.h -- the timer task: the frame interval, the frames-per-second count, the end of
// the opening three seconds, the millisecond clock, and a list of named one-shot timers.
#pragma once

#include <cstdint>

extern float g_frameInterval; // seconds between the last two timer ticks; 1.0 before the first
extern int g_framesPerSecond; // ticks counted in the last completed window of just over a second

int task_timer_start();
void task_timer_stop();
void task_timer_suspend();
int task_timer_resume();
void task_timer_tick();

// The game's clock in milliseconds; the one source of time for every rule of the game. It stands
// still while the task is suspended (the game paused), and goes on from there on resume.
uint32_t task_timer_getTicks();
// The real clock in milliseconds, which a pause does not stop (for input and pacing).
uint32_t task_timer_getRealTicks();

// Takes the current clock reading as the start time.
void task_timer_reset();

// Adds a one-shot timer due after delay milliseconds; the list stays sorted by due time,
// and among timers due together the one added last comes first.
void task_timer_add(const char *name, uint32_t delay);

// Where the real clock comes from: SDL's millisecond counter unless a test sets its own.
// nullptr restores SDL's. Also resets the tick's kept state and the paused time (for tests).
using TimerClock = uint32_t (*)();
void task_timer_setClock(TimerClock clock);

// The listed timers' due times, head first (for tests).
int task_timer_count();
uint32_t task_timer_dueAt(int index);
