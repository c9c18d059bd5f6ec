// task_video.cpp -- the window, the video mode, GL's fixed state and the render switches. The
// window and its context live from the task's start to its stop; the fixed GL state is set once
// and never re-applied. The frame itself is the scene's (scene.cpp) and the HUD's (hud.cpp).
#include "tasks/task_video.h"

#include "kernel/common.h"
#include "kernel/main.h"
#include "kernel/settings.h"
#include "tasks/hud.h"
#include "tasks/look.h"
#include "tasks/scene.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <cstdlib>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifdef __EMSCRIPTEN__
#include <emscripten/html5.h>
#endif

int task_video_texturemode = 2;
uint32_t task_video_videoFlags = 0;
int task_video_bpp = 0;
int task_video_width = 0;
int task_video_height = 0;

namespace {

bool wireframe = false;
bool frustumculling = true;
bool showFPS = false;
bool paused = false;
SDL_Surface *mainWindow = nullptr;

// Sets the video mode with the stored depth and flags and lays the picture out by the window SDL
// really made: asked for a width or height of 0 it makes the window as large as the desktop (at
// start) or keeps the current size. False, with no window, when SDL refuses the mode.
bool setVideoMode(int width, int height)
{
    mainWindow = SDL_SetVideoMode(width, height, task_video_bpp, task_video_videoFlags);
    if (mainWindow == nullptr)
        return false;
    scene_forgetSky();
    width = mainWindow->w;
    height = mainWindow->h;
    task_video_width = width;
    task_video_height = height;

    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window of no height would divide by zero; it is drawn as if one pixel high.
    const double aspect = static_cast<double>(width) / static_cast<double>(height > 0 ? height : 1);
    gluPerspective(45.0, aspect, 0.1f, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    return true;
}

// After SDL refused a mode during play: back to the one that worked, or the game would play on
// without a picture. Without even that the game ends as it does without a window.
void restoreVideoMode()
{
    if (setVideoMode(task_video_width, task_video_height))
        return;
    error("Failed to create SDL_Surface. %s", SDL_GetError());
    error_quit("Cannot open the game window.");
}

// The renderer streams the vertices drawn outside display lists (particles, sprites, the HUD's
// quads) through a buffer of about a megabyte, which it replaces whenever it fills: every 40
// frames or so. Freed, such a block went back to the system, and the next one came as fresh
// pages whose faults cost that frame 3 ms, twice a usual frame. Blocks of up to 32 MB now come
// from the heap, which keeps up to 128 MB of freed memory for reuse; and the heap is grown by
// 8 MB of touched pages at the start, so the first few replacements find their pages too.
void keepFreedMemory()
{
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
    constexpr size_t reserve = 8 * 1024 * 1024;
    if (void *block = std::malloc(reserve)) {
        volatile char *bytes = static_cast<volatile char *>(block);
        for (size_t at = 0; at < reserve; at += 4096)
            bytes[at] = 0;
        std::free(block);
    }
#endif
}

} // namespace

int task_video_start()
{
    keepFreedMemory();
    // The window opens in the middle of the display: sdl12-compat places it there anyway, the
    // classic SDL 1.2 only when asked (a position the player set in SDL_VIDEO_WINDOW_POS wins).
    setenv("SDL_VIDEO_CENTERED", "1", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == -1) {
        error("Failed to initialise SDL_INIT_VIDEO. %s", SDL_GetError());
        return false;
    }
    int width = settings_getIntSetting("screen_width");
    int height = settings_getIntSetting("screen_height");
    task_video_bpp = settings_getIntSetting("screen_bpp");

    const SDL_VideoInfo *info = SDL_GetVideoInfo();
    if (info == nullptr) {
        error("Couldn't get VideoInfo. %s", SDL_GetError());
        return false;
    }
    // Without a width or height the window takes the display's. The classic SDL 1.2 does that
    // itself for a size of 0; the SDL 1.2 interface on SDL 2 (sdl12-compat) makes a window of one
    // pixel instead, so the size is filled in here from the display mode SDL reports before any.
    if (width == 0)
        width = info->current_w;
    if (height == 0)
        height = info->current_h;
    task_video_videoFlags = SDL_OPENGL | SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_HWPALETTE | SDL_RESIZABLE;
    if (info->hw_available)
        task_video_videoFlags |= SDL_HWSURFACE;
    if (info->blit_hw)
        task_video_videoFlags |= SDL_HWACCEL;

    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, task_video_bpp);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, 0);
    // Swaps wait for the display's refresh unless the player says otherwise (the driver may
    // have the last word either way).
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, settings_getOptionalBool("vsync", true) ? 1 : 0);

    task_video_resize(width, height);
    if (mainWindow == nullptr)
        return false; // no window, no context: nothing could be drawn
    task_video_initGL();
    SDL_WM_SetCaption(g_progname_long, g_progname);
    if (settings_getBoolSetting("fullscreen"))
        task_video_toggleFullscreen();

    glEnable(GL_TEXTURE_2D);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);

    hud_start();
    scene_start();
    return true;
}

void task_video_stop()
{
    hud_stop();
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    mainWindow = nullptr;
}

void task_video_suspend()
{
    paused = true;
}

int task_video_resume()
{
    paused = false;
    return true;
}

void task_video_tick()
{
    if (mainWindow == nullptr)
        return;
    task_video_drawFrame();
    SDL_GL_SwapBuffers();
}

void task_video_drawFrame()
{
    scene_beginFrame();
    for (int stage = 0; stage < SCENE_STAGE_COUNT; ++stage)
        scene_drawStage(static_cast<SceneStage>(stage));
}

void task_video_resize(int width, int height)
{
    const bool hadWindow = mainWindow != nullptr;
    if (setVideoMode(width, height))
        return;
    error("Failed to create SDL_Surface. %s", SDL_GetError());
    if (hadWindow) {
        restoreVideoMode();
        return;
    }
    task_video_width = width; // no window yet, no context to set state in
    task_video_height = height;
}

void task_video_initGL()
{
    glShadeModel(GL_SMOOTH);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);

    // Both lights are directional and given under an identity model-view, so they keep a
    // fixed direction relative to the viewer. Their colours, and the fog's, are the level's look:
    // the first level's until a level says otherwise.
    const GLfloat position1[] = {2050, 10, -60, 0}, position2[] = {30, 44440, -30, 0};
    glLightfv(GL_LIGHT1, GL_POSITION, position1);
    glEnable(GL_LIGHT1);
    glLightfv(GL_LIGHT2, GL_POSITION, position2);
    glEnable(GL_LIGHT2);
    glEnable(GL_LIGHTING);

    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogf(GL_FOG_DENSITY, 0.001f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, 1.0f);
    glFogf(GL_FOG_END, 500.0f);
    glEnable(GL_FOG);
    look_reset();
}

void task_video_toggleDrawWireframe()
{
    wireframe = !wireframe;
}

void task_video_toggleFrustumCulling()
{
    frustumculling = !frustumculling;
}

void task_video_toggleShowFPS()
{
    showFPS = !showFPS;
}

void task_video_switchDisplaylists()
{
    g_useDisplaylists = !g_useDisplaylists;
}

void task_video_switchTextureRendering()
{
    if (++task_video_texturemode > 2)
        task_video_texturemode = 0;
}

void task_video_toggleFullscreen()
{
    if (mainWindow == nullptr) {
        error("Failed to toggle Fullscreen mode: there is no window");
        return;
    }
#ifdef __EMSCRIPTEN__
    // In a web page the browser shows the canvas full screen, keeping its GL context; it allows
    // that only soon after a key press, so a request at start waits for the first key.
    EmscriptenFullscreenChangeEvent status;
    if (emscripten_get_fullscreen_status(&status) == EMSCRIPTEN_RESULT_SUCCESS && status.isFullscreen)
        emscripten_exit_fullscreen();
    else
        emscripten_request_fullscreen("#canvas", EM_TRUE);
    return;
#endif
    // The mode is set again with the full-screen flag switched. SDL_WM_ToggleFullScreen would keep
    // the picture where SDL 1.2 resizes the window in place, but under sdl12-compat the picture
    // stays cropped to a corner after switching back. Both keep the GL context (textures, display
    // lists) when only the full-screen flag changes.
    task_video_videoFlags ^= SDL_FULLSCREEN;
    if (setVideoMode(task_video_width, task_video_height))
        return;
    error("Failed to toggle Fullscreen mode: %s", SDL_GetError());
    task_video_videoFlags ^= SDL_FULLSCREEN;
    restoreVideoMode();
}

bool task_video_isWireframe() { return wireframe; }
bool task_video_isFrustumCulling() { return frustumculling; }
bool task_video_isShowFPS() { return showFPS; }
bool task_video_isPaused() { return paused; }
SDL_Surface *task_video_window() { return mainWindow; }
