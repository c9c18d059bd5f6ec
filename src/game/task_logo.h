// task_logo.h -- the logo task: one model in front of a camera flown with the keyboard. A task
// kind that the start-up sequence never creates; it shares the actor list and g_camera.
#pragma once

// Flying speed in units per second, and the turning factor: one pass with a turning key held
// turns the view by logo_camera_speed * logo_camera_rotate_speed radians.
constexpr float logo_camera_speed = 30.0f;
constexpr float logo_camera_rotate_speed = 0.01f;

// Makes g_camera and the logo actor; returns 1.
int task_logo_start();
// Frees the logo actor and the camera (g_camera is null afterwards).
void task_logo_stop();
void task_logo_suspend();
int task_logo_resume();
// Runs every actor's behaviour, then flies the camera from the held keys.
void task_logo_tick();
