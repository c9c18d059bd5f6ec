// task.h -- the task record: five operations the kernel calls, and whether it may suspend them.
// Records are made by task_new and owned by their creator for the whole run.
#pragma once

#include <memory>

struct Task {
    bool suspendable;     // false: the kernel keeps ticking it while suspended
    int (*start)();       // 1 success, 0 failure; called when the task is added
    void (*stop)();       // called when the task is removed
    void (*suspend)();
    int (*resume)();      // 1 success, 0 failure
    void (*tick)();       // once per pass while not suspended
};

enum TaskKind : unsigned {
    TASK_INPUT = 0,
    TASK_TIMER = 1,
    TASK_VIDEO = 2,
    TASK_AUDIO = 3,
    TASK_LOGO = 4,
    TASK_GAME = 5,
};

using TaskPtr = std::unique_ptr<Task>;

// A new task of the kind; a kind outside 0-5 gives a task whose operations do nothing.
TaskPtr task_new(unsigned kind);

// Releases a task record; it must no longer be in the kernel's list.
void task_free(TaskPtr task);
