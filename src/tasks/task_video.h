// task_video.h -- the video task: the window, the OpenGL context, the GL state that lasts the
// whole run, the render switches, and the frame drawn once per pass.
#pragma once

#include <cstdint>

struct SDL_Surface;
struct actor;

extern int task_video_texturemode;   // filter variant bound for model textures: 0, 1 or 2
extern uint32_t task_video_videoFlags; // flags of every SDL_SetVideoMode
extern int task_video_bpp;           // colour depth, also the requested depth-buffer size
extern int task_video_width;         // drawable size in pixels
extern int task_video_height;

// False when the video subsystem or the video information is missing, or the window could
// not be made; the program cannot go on without a window.
int task_video_start();
// Releases the HUD font and shuts the video subsystem down.
void task_video_stop();
void task_video_suspend();
int task_video_resume();
// Draws and presents one frame: the sky box, the actors, the shields, the explosions and the
// particles seen through the game camera, then the HUD. Without a game camera (no game set up
// yet) only the HUD is drawn.
void task_video_tick();
// The frame without presenting it: it stays in the back buffer (for tests and the benchmark).
void task_video_drawFrame();

// The frame's stages in the order it draws them: the sky behind everything (nothing, when the
// frame began with the sky's picture), the opaque actors
// nearest first (buildings stand behind the playing field, so the depth test turns most of
// them away early), what is blended over the scene, the HUD on top.
enum VideoStage {
    VIDEO_STAGE_SKY,
    VIDEO_STAGE_SHIPS,
    VIDEO_STAGE_ENEMIES,
    VIDEO_STAGE_SHOTS,
    VIDEO_STAGE_BUILDINGS,
    VIDEO_STAGE_SHIELDS,
    VIDEO_STAGE_EXPLOSIONS,
    VIDEO_STAGE_PARTICLES,
    VIDEO_STAGE_HUD,
    VIDEO_STAGE_COUNT
};
// What task_video_drawFrame is made of, for the benchmark that times each stage: the sky's
// picture when it shows the view, the clear and the camera; then one stage.
void task_video_beginFrame();
void task_video_drawStage(VideoStage stage);
const char *task_video_stageName(VideoStage stage);
// The sky box of the given size centred on the camera's eye point: sky on five faces, ground below.
void task_video_renderSkybox(float width, float height, float length);
// One actor: its model at its position, rotation and scale, skipped when culling is on and its
// bounding sphere lies outside the view. An actor without a model draws nothing.
void task_video_renderactor(actor *a);

// Recreates the video mode at the new size and resets viewport and projection.
void task_video_resize(int width, int height);
// The fixed GL state: shading, depth, hints, the two lights, fog.
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
// How many pictures of the sky the frame has taken since the start: one after each change of the
// view, the window, the fog's or lights' colours, or the level.
unsigned task_video_skyPictures();
// How many actors the last frame drew: those the culling let through.
int task_video_actorsDrawn();
SDL_Surface *task_video_window();
