// task_video.cpp -- the window and its GL state. The window and context live from the task's
// start to its stop; the fixed GL state is set once and never re-applied.
#include "tasks/task_video.h"

#include "kernel/common.h"
#include "kernel/main.h"
#include "kernel/settings.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

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

void setLight(GLenum light, const GLfloat ambient[4], const GLfloat diffuse[4], const GLfloat position[4])
{
    glLightfv(light, GL_AMBIENT, ambient);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_POSITION, position);
    glEnable(light);
}

} // namespace

int task_video_start()
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == -1) {
        error("Failed to initialise SDL_INIT_VIDEO. %s", SDL_GetError());
        return false;
    }
    const int width = settings_getIntSetting("screen_width");
    const int height = settings_getIntSetting("screen_height");
    task_video_bpp = settings_getIntSetting("screen_bpp");

    const SDL_VideoInfo *info = SDL_GetVideoInfo();
    if (info == nullptr) {
        error("Couldn't get VideoInfo. %s", SDL_GetError());
        return false;
    }
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
    return true;
}

void task_video_stop()
{
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
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
}

void task_video_resize(int width, int height)
{
    mainWindow = SDL_SetVideoMode(width, height, task_video_bpp, task_video_videoFlags);
    if (mainWindow == nullptr)
        error("Failed to create SDL_Surface. %s", SDL_GetError());
    task_video_width = width;
    task_video_height = height;
    if (mainWindow == nullptr)
        return; // no context to set state in

    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window of no height would divide by zero; it is drawn as if one pixel high.
    const double aspect = static_cast<double>(width) / static_cast<double>(height > 0 ? height : 1);
    gluPerspective(45.0, aspect, 0.1f, 2000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
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
    // fixed direction relative to the viewer.
    const GLfloat ambient1[] = {1, 1, 1, 1}, diffuse1[] = {1, 0.5f, 0, 1}, position1[] = {2050, 10, -60, 0};
    setLight(GL_LIGHT1, ambient1, diffuse1, position1);
    const GLfloat ambient2[] = {0.5f, 0.5f, 0.5f, 1}, diffuse2[] = {1, 1, 0, 1}, position2[] = {30, 44440, -30, 0};
    setLight(GL_LIGHT2, ambient2, diffuse2, position2);
    glEnable(GL_LIGHTING);

    const GLfloat fogColor[] = {0.5f, 0.5f, 0.5f, 0.4f};
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogfv(GL_FOG_COLOR, fogColor);
    glFogf(GL_FOG_DENSITY, 0.001f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, 1.0f);
    glFogf(GL_FOG_END, 500.0f);
    glEnable(GL_FOG);
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
    if (mainWindow == nullptr || SDL_WM_ToggleFullScreen(mainWindow) == 0)
        error("Failed to toggle Fullscreen mode: %s", SDL_GetError());
}

bool task_video_isWireframe() { return wireframe; }
bool task_video_isFrustumCulling() { return frustumculling; }
bool task_video_isShowFPS() { return showFPS; }
bool task_video_isPaused() { return paused; }
SDL_Surface *task_video_window() { return mainWindow; }
