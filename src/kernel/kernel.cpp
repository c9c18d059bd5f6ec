// kernel.cpp -- the task list and the main loop. Entries live from kernel_addTask until the
// end of the pass in which they were removed, so a tick may remove tasks (or quit) safely.
#include "kernel/kernel.h"

#include "kernel/common.h"
#include "kernel/task.h"

#include <SDL.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <list>
#include <thread>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace {

struct TaskEntry {
    bool suspended = false;
    unsigned priority = 0;
    Task *task = nullptr; // not owned
    bool removed = false; // unlinked; waits for the running pass to move past it
};

// Sorted by ascending priority; removed entries are invisible to every operation.
std::list<TaskEntry> tasklist;
bool paused = false;
int passDepth = 0; // passes of kernel_run under way; removal is deferred while non-zero

using PaceClock = std::chrono::steady_clock;
PaceClock::duration passPeriod{0}; // least time from one pass's start to the next; 0: no limit

#ifndef __EMSCRIPTEN__
PaceClock::time_point nextPass;
// While paused the same picture is drawn over and over: a few a second keep the window alive
// without keeping a core busy while the player is away.
constexpr PaceClock::duration paused_pass_period = std::chrono::milliseconds(33);

// Sleeps until the next pass is due. The passes are due on a fixed beat, so the time a sleep
// overshoots is taken from the next one; a pass that starts a whole beat or more late (a slow
// frame, a machine that kept us waiting) starts a new beat rather than letting passes crowd in
// to catch up.
void pace()
{
    const PaceClock::duration period = paused ? std::max(passPeriod, paused_pass_period) : passPeriod;
    if (period.count() == 0)
        return;
    nextPass += period;
    std::this_thread::sleep_until(nextPass);
    const PaceClock::time_point now = PaceClock::now();
    if (now - nextPass >= period)
        nextPass = now;
}
#endif

void unlink(std::list<TaskEntry>::iterator entry)
{
    if (passDepth > 0)
        entry->removed = true;
    else
        tasklist.erase(entry);
}

void sweepRemoved()
{
    tasklist.remove_if([](const TaskEntry &entry) { return entry.removed; });
}

bool hasLiveEntries()
{
    for (const TaskEntry &entry : tasklist)
        if (!entry.removed)
            return true;
    return false;
}

} // namespace

bool kernel_init()
{
    if (SDL_Init(SDL_INIT_TIMER) < 0) {
        error("Failed to initialise SDL: %s", SDL_GetError());
        return false;
    }
    return true;
}

void kernel_quit()
{
    kernel_removeAllTasks();
    SDL_Quit();
}

void kernel_setPassLimit(int passesPerSecond)
{
    passPeriod = passesPerSecond > 0 ? std::chrono::duration_cast<PaceClock::duration>(std::chrono::duration<double>(
                                           1.0 / passesPerSecond))
                                     : PaceClock::duration{0};
}

namespace {

// Every live, unsuspended task ticks once, in list order.
void runPass()
{
    ++passDepth;
    for (auto entry = tasklist.begin(); entry != tasklist.end(); ++entry) {
        if (!entry->removed && !entry->suspended)
            entry->task->tick();
        if (!hasLiveEntries())
            break; // a quit request ends the pass at once
    }
    --passDepth;
    if (passDepth == 0)
        sweepRemoved();
}

#ifdef __EMSCRIPTEN__
// In a browser page the loop belongs to the browser: one pass whenever it is ready to show a new
// frame, so the page stays responsive and the pass limit does not apply. The run ends here, since
// the program's start never gets control back.
void browserPass()
{
    runPass();
    if (hasLiveEntries())
        return;
    kernel_quit();
    emscripten_force_exit(0); // the browser's loop ends with the program
}
#endif

} // namespace

void kernel_run()
{
#ifdef __EMSCRIPTEN__
    emscripten_set_main_loop(browserPass, 0, 1);
#else
    nextPass = PaceClock::now();
    while (hasLiveEntries()) {
        runPass();
        if (hasLiveEntries())
            pace();
    }
#endif
}

int kernel_addTask(Task *task, unsigned priority)
{
    auto place = tasklist.begin();
    while (place != tasklist.end() && (place->removed || place->priority < priority))
        ++place;
    TaskEntry entry;
    entry.priority = priority;
    entry.task = task;
    tasklist.insert(place, entry);
    return task->start();
}

void kernel_removeTask(Task *task)
{
    task->stop();
    for (auto entry = tasklist.begin(); entry != tasklist.end(); ++entry) {
        if (!entry->removed && entry->task == task) {
            unlink(entry);
            return;
        }
    }
}

void kernel_removeAllTasks()
{
    for (TaskEntry &entry : tasklist)
        if (!entry.removed)
            entry.task->stop();
    for (auto entry = tasklist.begin(); entry != tasklist.end();) {
        auto next = std::next(entry);
        if (!entry->removed)
            unlink(entry);
        entry = next;
    }
}

void kernel_suspendTask(Task *task, bool suspend)
{
    for (TaskEntry &entry : tasklist) {
        if (entry.removed || entry.task != task)
            continue;
        if (suspend)
            task->suspend();
        else
            task->resume();
        if (task->suspendable)
            entry.suspended = suspend;
    }
}

bool kernel_isPaused()
{
    return paused;
}

void kernel_toggleSuspendAllTasks()
{
    paused = !paused;
    for (TaskEntry &entry : tasklist) {
        if (entry.removed)
            continue;
        if (paused)
            entry.task->suspend();
        else
            entry.task->resume();
        if (entry.task->suspendable)
            entry.suspended = paused;
    }
}

void kernel_dumpTasks()
{
    std::printf("##### kernel_task begin #####\n");
    for (const TaskEntry &entry : tasklist)
        if (!entry.removed)
            std::printf("priority: %5u  suspended: %s\n", entry.priority, entry.suspended ? "true " : "false");
    std::printf("#####  kernel_task end #####\n");
}
