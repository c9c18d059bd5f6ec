// task.cpp -- builds the task record of each kind.
#include "kernel/task.h"

#include "game/task_logo.h"
#include "game/task_test.h"

#include "tasks/task_audio.h"
#include "tasks/task_input.h"
#include "tasks/task_timer.h"
#include "tasks/task_video.h"

namespace {

int startNothing() { return 1; }
void doNothing() {}

} // namespace

TaskPtr task_new(unsigned kind)
{
    auto task = std::make_unique<Task>(Task{true, startNothing, doNothing, doNothing, startNothing, doNothing});
    switch (kind) {
    case TASK_INPUT:
        *task = {false, task_input_start, task_input_stop, task_input_suspend, task_input_resume, task_input_tick};
        break;
    case TASK_TIMER:
        *task = {true, task_timer_start, task_timer_stop, task_timer_suspend, task_timer_resume, task_timer_tick};
        break;
    case TASK_VIDEO:
        *task = {false, task_video_start, task_video_stop, task_video_suspend, task_video_resume, task_video_tick};
        break;
    case TASK_AUDIO:
        *task = {true, task_audio_start, task_audio_stop, task_audio_suspend, task_audio_resume, task_audio_tick};
        break;
    case TASK_LOGO:
        *task = {true, task_logo_start, task_logo_stop, task_logo_suspend, task_logo_resume, task_logo_tick};
        break;
    case TASK_GAME:
        *task = {true, task_test_start, task_test_stop, task_test_suspend, task_test_resume, task_test_tick};
        break;
    default:
        break;
    }
    return task;
}

void task_free(TaskPtr task)
{
    task.reset();
}
