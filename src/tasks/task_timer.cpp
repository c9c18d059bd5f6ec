// task_timer.cpp -- frame timing and the game's clock. The start time is taken once, when the task
// starts (after all loading); the kept tick state is never reset, so the first interval covers the
// whole start-up. The game's clock is the real one less the time the task spent suspended.
#include "tasks/task_timer.h"

#include "game/task_test.h"

#include <SDL.h>
#include <list>
#include <string>

float g_frameInterval = 1.0f;
int g_framesPerSecond = 0;

namespace {

struct Timer {
    uint32_t due;
    std::string name;
};

uint32_t startTicks = 0;
uint32_t oldTicks = 0;      // the real clock's reading when the task was suspended
bool suspended = false;
uint32_t pausedTicks = 0;   // the time spent suspended so far, which the game's clock leaves out
std::list<Timer> timerlist; // sorted by ascending due

// Kept between ticks.
float frameTime = 0;
float lastTime = 0;
float frames = 0;

TimerClock clockSource = nullptr;

} // namespace

uint32_t task_timer_getRealTicks()
{
    return clockSource ? clockSource() : SDL_GetTicks();
}

uint32_t task_timer_getTicks()
{
    return (suspended ? oldTicks : task_timer_getRealTicks()) - pausedTicks;
}

void task_timer_setClock(TimerClock clock)
{
    clockSource = clock;
    suspended = false;
    pausedTicks = 0;
    frameTime = 0;
    lastTime = 0;
    frames = 0;
    g_frameInterval = 1.0f;
    g_framesPerSecond = 0;
}

void task_timer_reset()
{
    startTicks = task_timer_getTicks();
}

int task_timer_start()
{
    task_timer_reset();
    return 1;
}

void task_timer_stop()
{
    timerlist.clear();
}

// While suspended the game's clock stands still and the frame interval is 0, so what is still
// drawn (particles, explosions, shields) stands still too. The timers' due times are readings of
// the game's clock: they stay as far ahead as they were.
void task_timer_suspend()
{
    if (suspended)
        return;
    oldTicks = task_timer_getRealTicks();
    suspended = true;
    g_frameInterval = 0;
}

int task_timer_resume()
{
    if (suspended)
        pausedTicks += task_timer_getRealTicks() - oldTicks;
    suspended = false;
    return 1;
}

void task_timer_tick()
{
    const uint32_t t = task_timer_getTicks();
    if (gamestate == GAMESTATE_READY && t > startTicks + 3000)
        gamestate = GAMESTATE_SCROLLING;

    const float now = static_cast<float>(t) * 0.001f;
    g_frameInterval = now - frameTime;
    frameTime = now;

    frames += 1;
    if (now - lastTime > 1.0f) {
        lastTime = now;
        g_framesPerSecond = static_cast<int>(frames);
        frames = 0;
    }
}

void task_timer_add(const char *name, uint32_t delay)
{
    const uint32_t due = task_timer_getTicks() + delay;
    auto place = timerlist.begin();
    while (place != timerlist.end() && place->due < due)
        ++place;
    timerlist.insert(place, Timer{due, name});
}

int task_timer_count()
{
    return static_cast<int>(timerlist.size());
}

uint32_t task_timer_dueAt(int index)
{
    auto it = timerlist.begin();
    for (int i = 0; i < index && it != timerlist.end(); ++i)
        ++it;
    return it == timerlist.end() ? 0 : it->due;
}
