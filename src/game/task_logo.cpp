// task_logo.cpp -- the logo task. Its actor and its camera live from the task's start to its stop.
#include "game/task_logo.h"

#include "game/actor.h"
#include "game/task_test.h"
#include "graphics/camera.h"
#include "tasks/task_input.h"
#include "tasks/task_timer.h"

namespace {

actor *logo = nullptr; // owned by the actor list

} // namespace

int task_logo_start()
{
    g_camera = camera_new(0, 0, 100, 0, 0, 0, 0, 1, 0);
    logo = actor_new(ACTOR_NONE, 0, 10, -50);
    actor_setModel(logo, "data/test.ms3d");
    actor_setScale(logo, 1.5f);
    return 1;
}

void task_logo_stop()
{
    actor_free(logo);
    logo = nullptr;
    camera_free(g_camera);
    g_camera = nullptr; // nothing may draw through the freed camera
}

void task_logo_suspend() {}

int task_logo_resume()
{
    return 1;
}

void task_logo_tick()
{
    actor_iterate(actor_tick);
    if (g_camera == nullptr)
        return;
    // Flying follows the frame interval; turning is a fixed angle per pass.
    const float d = g_frameInterval * logo_camera_speed;
    const float turn = logo_camera_speed * logo_camera_rotate_speed;
    if (task_input_isKeyPressed(SDLK_a))
        camera_strafe(g_camera, 0, d);
    if (task_input_isKeyPressed(SDLK_d))
        camera_strafe(g_camera, 1, d);
    if (task_input_isKeyPressed(SDLK_w))
        camera_move(g_camera, 0, d);
    if (task_input_isKeyPressed(SDLK_s))
        camera_move(g_camera, 1, d);
    if (task_input_isKeyPressed(SDLK_LEFT))
        camera_rotate(g_camera, -1, 0, 0, turn);
    if (task_input_isKeyPressed(SDLK_RIGHT))
        camera_rotate(g_camera, 1, 0, 0, turn);
}
