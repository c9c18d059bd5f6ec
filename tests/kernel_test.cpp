// The task kernel: list order, suspension, removal, quitting from inside a tick, the dump.
#include "kernel/kernel.h"
#include "kernel/task.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Each fake task writes what the kernel did to it into one shared log.
std::vector<std::string> calls;
int quitAfterTicks = -1;

template <int N>
struct Fake {
    static int start() { calls.push_back("start" + std::to_string(N)); return 1; }
    static void stop() { calls.push_back("stop" + std::to_string(N)); }
    static void suspend() { calls.push_back("suspend" + std::to_string(N)); }
    static int resume() { calls.push_back("resume" + std::to_string(N)); return 1; }
    static void tick()
    {
        calls.push_back("tick" + std::to_string(N));
        if (quitAfterTicks > 0 && --quitAfterTicks == 0)
            kernel_quit();
    }
    static Task make(bool suspendable = true) { return Task{suspendable, start, stop, suspend, resume, tick}; }
};

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        quitAfterTicks = -1;
    }
    void TearDown() override { kernel_quit(); }

    // Ticks the list once by letting a task quit after `ticks` ticks.
    std::vector<std::string> ticksOfOnePass(int ticksInPass)
    {
        calls.clear();
        quitAfterTicks = ticksInPass;
        kernel_run();
        std::vector<std::string> ticks;
        for (const std::string &call : calls)
            if (call.rfind("tick", 0) == 0)
                ticks.push_back(call);
        return ticks;
    }
};

std::string dump()
{
    testing::internal::CaptureStdout();
    kernel_dumpTasks();
    return testing::internal::GetCapturedStdout();
}

TEST_F(KernelTest, TasksRunInAscendingPriorityWhateverTheOrderAdded)
{
    Task t1 = Fake<1>::make(), t2 = Fake<2>::make(), t3 = Fake<3>::make(), t4 = Fake<4>::make(),
         t5 = Fake<5>::make();
    kernel_addTask(&t1, 1000);
    kernel_addTask(&t2, 50);
    kernel_addTask(&t3, 750);
    kernel_addTask(&t4, 100);
    kernel_addTask(&t5, 10);
    EXPECT_EQ(dump(), "##### kernel_task begin #####\n"
                      "priority:    10  suspended: false\n"
                      "priority:    50  suspended: false\n"
                      "priority:   100  suspended: false\n"
                      "priority:   750  suspended: false\n"
                      "priority:  1000  suspended: false\n"
                      "#####  kernel_task end #####\n");
    EXPECT_EQ(ticksOfOnePass(5), (std::vector<std::string>{"tick5", "tick2", "tick4", "tick3", "tick1"}));
}

TEST_F(KernelTest, EqualPriorityPutsTheNewestFirstAndALowerPriorityBecomesTheHead)
{
    Task t1 = Fake<1>::make(), t2 = Fake<2>::make(), t3 = Fake<3>::make();
    kernel_addTask(&t1, 100);
    kernel_addTask(&t2, 100);
    kernel_addTask(&t3, 5);
    EXPECT_EQ(ticksOfOnePass(3), (std::vector<std::string>{"tick3", "tick2", "tick1"}));
}

TEST_F(KernelTest, AddingStartsTheTaskAndReturnsItsResultKeepingAFailedOne)
{
    Task failing = Fake<1>::make();
    failing.start = [] { return 0; };
    EXPECT_EQ(kernel_addTask(&failing, 10), 0);
    EXPECT_EQ(ticksOfOnePass(1), std::vector<std::string>{"tick1"});
}

TEST_F(KernelTest, RunOnAnEmptyListReturnsAtOnce)
{
    kernel_run();
    EXPECT_TRUE(calls.empty());
}

TEST_F(KernelTest, QuitDuringATickStopsEveryTaskInOrderAndEndsThePass)
{
    Task t1 = Fake<1>::make(), t2 = Fake<2>::make(), t3 = Fake<3>::make();
    kernel_addTask(&t1, 10);
    kernel_addTask(&t2, 50);
    kernel_addTask(&t3, 100);
    calls.clear();
    quitAfterTicks = 2; // the second task of the pass asks to quit
    kernel_run();
    EXPECT_EQ(calls, (std::vector<std::string>{"tick1", "tick2", "stop1", "stop2", "stop3"}));
    EXPECT_EQ(dump(), "##### kernel_task begin #####\n#####  kernel_task end #####\n");
}

TEST_F(KernelTest, ToggleSuspendAllSkipsOnlySuspendableTasksAndASecondToggleResumes)
{
    Task timer = Fake<1>::make(true), input = Fake<2>::make(false), video = Fake<3>::make(false);
    kernel_addTask(&timer, 10);
    kernel_addTask(&input, 50);
    kernel_addTask(&video, 1000);
    calls.clear();
    kernel_toggleSuspendAllTasks();
    EXPECT_EQ(calls, (std::vector<std::string>{"suspend1", "suspend2", "suspend3"}));
    EXPECT_EQ(dump(), "##### kernel_task begin #####\n"
                      "priority:    10  suspended: true \n"
                      "priority:    50  suspended: false\n"
                      "priority:  1000  suspended: false\n"
                      "#####  kernel_task end #####\n");
    EXPECT_EQ(ticksOfOnePass(2), (std::vector<std::string>{"tick2", "tick3"}));
    kernel_addTask(&timer, 10);
    kernel_addTask(&input, 50);
    kernel_addTask(&video, 1000);
    kernel_toggleSuspendAllTasks(); // the pause flag is the kernel's, so this resumes
    EXPECT_EQ(ticksOfOnePass(3), (std::vector<std::string>{"tick1", "tick2", "tick3"}));
}

TEST_F(KernelTest, SuspendTaskMarksEveryEntryOfTheTaskButOnlyWhenSuspendable)
{
    Task twice = Fake<1>::make(true), fixed = Fake<2>::make(false);
    kernel_addTask(&twice, 10);
    kernel_addTask(&twice, 20);
    kernel_addTask(&fixed, 30);
    calls.clear();
    kernel_suspendTask(&twice, true);
    kernel_suspendTask(&fixed, true);
    EXPECT_EQ(calls, (std::vector<std::string>{"suspend1", "suspend1", "suspend2"}));
    EXPECT_EQ(ticksOfOnePass(1), std::vector<std::string>{"tick2"});
}

TEST_F(KernelTest, RemovingAnUnlistedTaskStillStopsItAndLeavesTheListAlone)
{
    Task listed = Fake<1>::make(), stranger = Fake<2>::make();
    kernel_addTask(&listed, 10);
    const std::string before = dump();
    calls.clear();
    kernel_removeTask(&stranger);
    EXPECT_EQ(calls, std::vector<std::string>{"stop2"});
    EXPECT_EQ(dump(), before);
    kernel_removeTask(&listed);
    EXPECT_EQ(dump(), "##### kernel_task begin #####\n#####  kernel_task end #####\n");
}

TEST_F(KernelTest, ATaskMayRemoveItselfDuringItsTick)
{
    static Task self;
    self = Fake<1>::make();
    self.tick = [] {
        calls.push_back("tick1");
        kernel_removeTask(&self);
    };
    Task other = Fake<2>::make();
    kernel_addTask(&self, 10);
    kernel_addTask(&other, 20);
    calls.clear();
    quitAfterTicks = 2; // the other task quits on its second tick
    kernel_run();
    EXPECT_EQ(calls, (std::vector<std::string>{"tick1", "stop1", "tick2", "tick2", "stop2"}));
}

// A pass limit makes the loop sleep, so the passes can take no less than their beat (a loaded
// machine only makes them slower); paused, the loop keeps to about 30 passes a second.
TEST_F(KernelTest, APassLimitAndThePauseSpaceThePassesOut)
{
    using namespace std::chrono;
    Task input = Fake<1>::make(false);
    kernel_addTask(&input, 50);
    const auto tenPasses = [this] {
        const auto start = steady_clock::now();
        ticksOfOnePass(10);
        return duration_cast<milliseconds>(steady_clock::now() - start).count();
    };
    kernel_setPassLimit(100);
    EXPECT_GE(tenPasses(), 89) << "nine sleeps of 10 ms";
    kernel_addTask(&input, 50); // the quit emptied the list
    kernel_setPassLimit(0);
    kernel_toggleSuspendAllTasks();
    EXPECT_GE(tenPasses(), 9 * 33);
    kernel_toggleSuspendAllTasks();
}

TEST(TaskNew, InputAndVideoAreTheOnlyTasksTheKernelMayNotSuspend)
{
    for (unsigned kind = 0; kind <= 5; ++kind) {
        TaskPtr task = task_new(kind);
        EXPECT_EQ(task->suspendable, kind != TASK_INPUT && kind != TASK_VIDEO) << "kind " << kind;
        task_free(std::move(task));
    }
}

} // namespace
