// task_video.h -- the video task: the window, the OpenGL context, the GL state that lasts the
// whole run, the render switches, and the frame drawn and presented once per pass.
#pragma once

#include <cstdint>

struct SDL_Surface;

extern int task_video_texturemode;   // filter variant bound for model textures: 0, 1 or 2
extern uint32_t task_video_videoFlags; // flags of every SDL_SetVideoMode
extern int task_video_bpp;           // colour depth, also the requested depth-buffer size
extern int task_video_width;         // drawable size in pixels
extern int task_video_height;

// False when the video subsystem or the video information is missing, or the window could
// not be made; the program cannot go on without a window.
int task_video_start();
// Releases the HUD's font and shuts the video subsystem down.
void task_video_stop();
void task_video_suspend();
int task_video_resume();
// Draws and presents one frame: the scene's stages in order (scene.h), the HUD last. Without a
// game camera (no game set up yet) only the HUD is drawn.
void task_video_tick();
// The frame without presenting it: it stays in the back buffer (for tests and the benchmark).
void task_video_drawFrame();

// Recreates the video mode at the new size and resets viewport and projection.
void task_video_resize(int width, int height);
// The fixed GL state: shading, depth, hints, the two lights' directions, fog; then the first
// level's look (look_reset).
void task_video_initGL();

void task_video_toggleDrawWireframe();
void task_video_toggleFrustumCulling();
void task_video_toggleShowFPS();
void task_video_switchDisplaylists();
void task_video_switchTextureRendering();
void task_video_toggleFullscreen();

// The switches' current values (for the frame and for tests).
bool task_video_isWireframe();
bool task_video_isFrustumCulling();
bool task_video_isShowFPS();
bool task_video_isPaused();
SDL_Surface *task_video_window();
