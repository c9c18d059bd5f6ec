// The timer task, driven by a clock the test sets: frame interval, the frames-per-second window,
// the end of the opening three seconds, the timer list and suspension.
#include "tasks/task_timer.h"

#include "game/task_test.h"

#include <gtest/gtest.h>

namespace {

uint32_t now = 0;
uint32_t testClock() { return now; }

class TimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        now = 0;
        task_timer_setClock(testClock);
        gamestate = GAMESTATE_READY;
    }
    void TearDown() override
    {
        task_timer_stop();
        task_timer_setClock(nullptr);
        gamestate = GAMESTATE_READY;
    }
    void tickAt(uint32_t ms)
    {
        now = ms;
        task_timer_tick();
    }
};

TEST_F(TimerTest, BeforeTheFirstTickTheIntervalIsOneSecond)
{
    EXPECT_FLOAT_EQ(g_frameInterval, 1.0f);
    EXPECT_EQ(g_framesPerSecond, 0);
}

TEST_F(TimerTest, TheFirstIntervalCoversEverythingSinceTheClockStarted)
{
    tickAt(5000);
    EXPECT_FLOAT_EQ(g_frameInterval, 5.0f);
}

TEST_F(TimerTest, TwoTicks16MillisecondsApartGiveAnIntervalOfAbout16Milliseconds)
{
    tickAt(1000);
    tickAt(1016);
    EXPECT_NEAR(g_frameInterval, 0.016f, 1e-5f);
    tickAt(1016);
    EXPECT_FLOAT_EQ(g_frameInterval, 0.0f);
}

TEST_F(TimerTest, AWindowClosesAtTheFirstTickMoreThanASecondAfterItOpenedWithTheRawCount)
{
    tickAt(2000); // opens the first window at once (lastTime was 0)
    EXPECT_EQ(g_framesPerSecond, 1);
    for (uint32_t t = 2300; t <= 2900; t += 300)
        tickAt(t);
    EXPECT_EQ(g_framesPerSecond, 1);
    tickAt(3200);
    EXPECT_EQ(g_framesPerSecond, 4);
}

TEST_F(TimerTest, TheGameLeavesReadyOnlyStrictlyMoreThan3000MillisecondsAfterTheStart)
{
    now = 1000;
    task_timer_start();
    tickAt(4000);
    EXPECT_EQ(gamestate, GAMESTATE_READY);
    tickAt(4001);
    EXPECT_EQ(gamestate, GAMESTATE_SCROLLING);
}

TEST_F(TimerTest, NoOtherStateIsEverChangedByTheTimer)
{
    now = 0;
    task_timer_start();
    for (int state : {GAMESTATE_SCROLLING, GAMESTATE_GAMEOVER, GAMESTATE_BOSS, GAMESTATE_WON}) {
        gamestate = state;
        tickAt(now + 10000);
        EXPECT_EQ(gamestate, state);
    }
}

TEST_F(TimerTest, TimersAreKeptInDueOrderAndTheNewestOfEqualTimesComesFirst)
{
    now = 100;
    task_timer_add("five hundred", 500);
    task_timer_add("one hundred", 100);
    task_timer_add("three hundred", 300);
    task_timer_add("also three hundred", 300);
    ASSERT_EQ(task_timer_count(), 4);
    EXPECT_EQ(task_timer_dueAt(0), 200u);
    EXPECT_EQ(task_timer_dueAt(1), 400u);
    EXPECT_EQ(task_timer_dueAt(2), 400u);
    EXPECT_EQ(task_timer_dueAt(3), 600u);
    task_timer_stop();
    EXPECT_EQ(task_timer_count(), 0);
}

// A pause must not show on resume: no jump in the frame interval, the opening three seconds or
// the fire clocks (all read the game's clock), and nothing drawn while paused moves.
TEST_F(TimerTest, WhileSuspendedTheGamesClockStandsStillAndResumesWhereItStood)
{
    now = 1000;
    task_timer_start();
    tickAt(3000);
    task_timer_add("a", 100);
    task_timer_suspend();
    EXPECT_FLOAT_EQ(g_frameInterval, 0.0f) << "effects drawn while paused advance by nothing";
    now = 9000;
    EXPECT_EQ(task_timer_getTicks(), 3000u);
    EXPECT_EQ(task_timer_getRealTicks(), 9000u);
    EXPECT_EQ(task_timer_resume(), 1);
    EXPECT_EQ(task_timer_getTicks(), 3000u);
    EXPECT_EQ(task_timer_dueAt(0), 3100u) << "a timer stays as far ahead as it was";
    tickAt(9016);
    EXPECT_NEAR(g_frameInterval, 0.016f, 1e-4f);
    tickAt(10000);
    EXPECT_EQ(gamestate, GAMESTATE_READY) << "the pause does not count towards the opening three seconds";
    tickAt(10001);
    EXPECT_EQ(gamestate, GAMESTATE_SCROLLING);
}

TEST_F(TimerTest, GetTicksReadsTheClockInUse)
{
    now = 123456;
    EXPECT_EQ(task_timer_getTicks(), 123456u);
}

} // namespace
