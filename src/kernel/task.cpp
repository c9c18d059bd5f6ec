// task.cpp -- builds the task record of each kind.
#include "kernel/task.h"

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
    default:
        break; // logo and game tasks join as they are built
    }
    return task;
}

void task_free(TaskPtr task)
{
    task.reset();
}
