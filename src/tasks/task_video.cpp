// task_video.cpp -- the window, its GL state and the frame. The window, the context, the HUD
// font and the sky textures live from the task's start to its stop; the fixed GL state is set
// once and never re-applied; the frame keeps nothing from one call to the next.
#include "tasks/task_video.h"

#include "game/actor.h"
#include "game/scoreboard.h"
#include "game/task_test.h"
#include "graphics/backdrop.h"
#include "graphics/explosion.h"
#include "graphics/font.h"
#include "graphics/frustum.h"
#include "graphics/model.h"
#include "graphics/particle.h"
#include "graphics/shield.h"
#include "graphics/texture.h"
#include "kernel/common.h"
#include "kernel/main.h"
#include "kernel/settings.h"
#include "tasks/task_timer.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <numbers>
#include <string>
#include <vector>
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

// The frame's assets.
Font *font1 = nullptr;
std::array<int, 6> skybox_tex = {0, 0, 0, 0, 0, 0};
Backdrop backdrop{};
BackdropView lastSkyView{};
unsigned skyPictures = 0; // pictures of the sky taken since the start
int actorsDrawn = 0;      // actors the frame being drawn has let through the culling
// The sky of the frame being drawn: the view it shows, and whether its picture began the frame.
struct FrameSky {
    BackdropView view;
    bool fromPicture;
};
FrameSky frameSky{};

// One face of the sky box per slot: the file, then its four corners in drawing order, each as
// texture coordinate (s, t) and a corner of the box (0: low end, 1: high end of x, y, z).
struct SkyCorner {
    float s, t;
    int x, y, z;
};
struct SkyFace {
    const char *file;
    std::array<SkyCorner, 4> corners;
};
// Every face is wound counter-clockwise as seen from inside, so back-face culling keeps all six.
const std::array<SkyFace, 6> sky_faces = {{
    {"data/Skymap.jpg", {{{1, 0, 1, 0, 0}, {1, 1, 1, 1, 0}, {0, 1, 0, 1, 0}, {0, 0, 0, 0, 0}}}}, // far (z0)
    {"data/Skymap.jpg", {{{1, 0, 0, 0, 1}, {1, 1, 0, 1, 1}, {0, 1, 1, 1, 1}, {0, 0, 1, 0, 1}}}}, // near (z1)
    {"data/boden.jpg", {{{0, 0, 0, 0, 0}, {1, 0, 0, 0, 1}, {1, 1, 1, 0, 1}, {0, 1, 1, 0, 0}}}},  // ground (y0)
    {"data/Skymap.jpg", {{{1, 0, 0, 1, 1}, {1, 1, 0, 1, 0}, {0, 1, 1, 1, 0}, {0, 0, 1, 1, 1}}}}, // top (y1)
    {"data/Skymap.jpg", {{{1, 0, 0, 0, 0}, {1, 1, 0, 1, 0}, {0, 1, 0, 1, 1}, {0, 0, 0, 0, 1}}}}, // left (x0)
    {"data/Skymap.jpg", {{{1, 0, 1, 0, 1}, {1, 1, 1, 1, 1}, {0, 1, 1, 1, 0}, {0, 0, 1, 0, 0}}}}, // right (x1)
}};

constexpr float skybox_width = 3000, skybox_height = 600, skybox_length = 3000;

// The table of best runs, on the game-over screen and after the last level's win: ten lines in
// the space between the level's name and "GAME OVER", the last run's line marked; under the
// screen's hints, the entry of that run's initials while it lasts.
void drawScoreTable(int halfWidth, int halfHeight)
{
    const ScoresTable &table = scoreboard_table();
    const int marked = scoreboard_markedLine();
    for (int i = 0; i < static_cast<int>(table.runs.size()); ++i) {
        const ScoresRun &run = table.runs[static_cast<size_t>(i)];
        char day[16] = "";
        const std::time_t date = static_cast<std::time_t>(run.date);
        std::tm local{};
        if (localtime_r(&date, &local) != nullptr)
            std::strftime(day, sizeof day, "%Y-%m-%d", &local);
        if (i == marked)
            glColor3f(1, 1, 0.5f);
        else
            glColor3f(0.5f, 1, 0.5f);
        font_print(font1, halfWidth - 264, 48 + 16 * i, 0, "%2d  %-3s  %8d  %2d %-10.10s  %s", i + 1,
                   run.initials.c_str(), run.score, run.level, run.levelName.c_str(), day);
    }
    if (scoreboard_entering()) {
        std::string shown = scoreboard_initials() + scoreboard_letter();
        shown.resize(scores_maxInitials, '_');
        glColor3f(1, 1, 0.5f);
        font_print(font1, halfWidth - 162, halfHeight + 96, 0, "NEW BEST RUN! INITIALS: %s", shown.c_str());
        font_print(font1, halfWidth - 222, halfHeight + 128, 0, "Up/down: letter. Right or fire: next.");
    }
}

// The HUD over the finished scene; every line is placed for a 12-pixel character advance.
void drawHud()
{
    const int width = task_video_width, height = task_video_height;
    const int halfWidth = width / 2, halfHeight = height / 2;

    glColor3f(0.5f, 1, 0.5f);
    font_print(font1, width - 192, 10, 0, "SCORE: %8d", g_score);
    font_print(font1, halfWidth - 54, 10, 0, "LEVEL: %2d", g_level);
    font_print(font1, halfWidth - 6 * static_cast<int>(g_level_name.size()), 32, 0, "%s", g_level_name.c_str());
    font_print(font1, 12, 10, 0, "LIFES: %2d", g_lifes);
    // The run to beat, under the score while playing; the table itself shows once the run is over.
    const bool runOver = gamestate == GAMESTATE_GAMEOVER || (gamestate == GAMESTATE_WON && !task_test_hasNextLevel());
    if (scoreboard_active() && !runOver && scoreboard_best() > 0)
        font_print(font1, width - 192, 54, 0, "BEST:  %8d", scoreboard_best());
    if (g_rocket_count > 0) {
        glColor3f(1, 0, 0);
        font_print(font1, 12, 32, 0, "Rockets: %2d", g_rocket_count);
    }
    if (showFPS) {
        glColor3f(1, 1, 0.5f);
        font_print(font1, 12, height - 32, 0, "FPS: %d", g_framesPerSecond);
    }
    if (g_invincible) {
        glColor3f(1, 0, 0);
        font_print(font1, width - 264, height - 32, 0, "I'M AN ATOMIC MUTANT!");
    }
    if (paused) {
        glColor3f(1, 0.5f, 0.5f);
        font_print(font1, halfWidth - 66, halfHeight, 0, "GAME PAUSED");
    }
    if (gamestate == GAMESTATE_BOSS) {
        glColor3f(1, 0, 0);
        font_print(font1, width - 132, 32, 0, "BOSS: %4d", g_boss_energy);
    } else if (gamestate == GAMESTATE_WON) {
        glColor3f(1, 0.5f, 0.5f);
        font_print(font1, halfWidth - 102, halfHeight, 0, "A WINNER IS YOU!!");
        if (task_test_hasNextLevel()) {
            font_print(font1, halfWidth - 198, halfHeight + 32, 0, "Press <SPACE> for the next level.");
            font_print(font1, halfWidth - 60, halfHeight + 64, 0, "EXTRA LIFE");
        }
    } else if (gamestate == GAMESTATE_GAMEOVER) {
        glColor3f(1, 0.5f, 0.5f);
        font_print(font1, halfWidth - 54, halfHeight - 32, 0, "GAME OVER");
        font_print(font1, halfWidth - 150, halfHeight + 32, 0, "Press <SPACE> to restart.");
        if (task_test_canContinue())
            font_print(font1, halfWidth - 228, halfHeight + 64, 0, "Press <RETURN> to continue at level %d.", g_level);
    }
    if (scoreboard_active() && runOver)
        drawScoreTable(halfWidth, halfHeight);
}

// Which stage draws an actor: its kind's. The logo and kinds the game does not know are drawn
// with the ships.
VideoStage actorStage(uint32_t kind)
{
    switch (kind) {
    case ACTOR_ENEMY1:
    case ACTOR_ENEMY2:
    case ACTOR_BOSS1:
        return VIDEO_STAGE_ENEMIES;
    case ACTOR_BUILDING1:
    case ACTOR_BUILDING2:
        return VIDEO_STAGE_BUILDINGS;
    case ACTOR_SHOT:
    case ACTOR_ROCKET_DOWN:
    case ACTOR_ROCKET_UP:
    case ACTOR_ESHOT:
    case ACTOR_ESHOT2:
    case ACTOR_POWERUP_F:
    case ACTOR_POWERUP_R:
        return VIDEO_STAGE_SHOTS;
    default:
        return VIDEO_STAGE_SHIPS;
    }
}

// Which lights the GL holds: the air's, or those of a kind of actor (see actorLights).
enum class Lights { air, craft, shots };

// The look the lights and fog were last given, and which of its lights were given last; the
// first level's air until a level says otherwise.
LevelLook appliedLook = level_defaultLook;
Lights appliedLights = Lights::air;

// Both lights in one tint: light 1 orange from the side, light 2 yellow from above, each with an
// ambient part in the tint itself.
void setLights(const std::array<GLfloat, 3> &tint)
{
    const GLfloat ambient1[] = {tint[0], tint[1], tint[2], 1}, diffuse1[] = {tint[0], 0.5f * tint[1], 0, 1};
    glLightfv(GL_LIGHT1, GL_AMBIENT, ambient1);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, diffuse1);
    const GLfloat ambient2[] = {0.5f * tint[0], 0.5f * tint[1], 0.5f * tint[2], 1}, diffuse2[] = {tint[0], tint[1], 0, 1};
    glLightfv(GL_LIGHT2, GL_AMBIENT, ambient2);
    glLightfv(GL_LIGHT2, GL_DIFFUSE, diffuse2);
}

// The air's lights: tinted by twice its colour, so the first level's grey leaves them as they are.
std::array<GLfloat, 3> airTint(const LevelLook &look)
{
    return {2 * look.r, 2 * look.g, 2 * look.b};
}

// The lights of the ships, the enemies, the shots and the power-ups. Tinted by the air, they would
// sink into it (the first ship is dark blue on a navy night), so they keep the first level's
// colours and only their brightness follows the air, away from it: lifted in a dark air, lowered
// in a bright one, so ships, enemies and power-ups show as shapes against a pale dawn. Shots
// glow: never lit dimmer than the air would light them. The first level's grey leaves every
// light as it was, to the bit.
std::array<GLfloat, 3> actorTint(const LevelLook &look, Lights lights)
{
    // How far the air's brightness lies from the first level's grey, by the eye's weights.
    const float darker = 0.2126f * (0.5f - look.r) + 0.7152f * (0.5f - look.g) + 0.0722f * (0.5f - look.b);
    float k = 1 + 2.5f * darker;
    if (lights == Lights::shots)
        k = std::max(k, 1 - 2 * darker);
    return {k, k, k};
}

// The lights an actor is drawn in. Lights change only for an actor that is drawn: a frame of
// sky alone keeps the air's.
Lights actorLights(uint32_t kind)
{
    switch (kind) {
    case ACTOR_BUILDING1:
    case ACTOR_BUILDING2:
        return Lights::air;
    case ACTOR_SHOT:
    case ACTOR_ROCKET_DOWN:
    case ACTOR_ROCKET_UP:
    case ACTOR_ESHOT:
    case ACTOR_ESHOT2:
        return Lights::shots;
    default:
        return Lights::craft;
    }
}

// Puts the lights wanted into the GL when they are not there already. The actors of a stage are
// drawn in texture order, so shots and power-ups come in runs: a frame switches a few times.
void useLights(Lights lights)
{
    if (lights == appliedLights)
        return;
    setLights(lights == Lights::air ? airTint(appliedLook) : actorTint(appliedLook, lights));
    appliedLights = lights;
}

// The fog takes the look's colour; the air's lights are tinted by twice it, so the first level's
// grey leaves them as they are. Only colours change: the lights keep the directions set at start.
void setLook(const LevelLook &look)
{
    setLights(airTint(look));
    appliedLook = look;
    appliedLights = Lights::air;
    const GLfloat fogColor[] = {look.r, look.g, look.b, 0.4f};
    glFogfv(GL_FOG_COLOR, fogColor);
}

// One group of an actor's model, waiting to be drawn in texture order.
struct GroupDraw {
    int texture;
    const actor *a;
    size_t group;
};

// Filled by the walk in drawActors(); a plain function pointer cannot carry them.
VideoStage drawing = VIDEO_STAGE_SHIPS;
std::vector<GroupDraw> groupDraws;

void placeActor(const actor *a)
{
    const vector3d &p = *a->position, &r = *a->rotation;
    glTranslatef(p.x, p.y, p.z);
    glRotatef(r.x, 1, 0, 0);
    glRotatef(r.y, 0, 1, 0);
    glRotatef(r.z, 0, 0, 1);
    glScalef(a->scale, a->scale, a->scale);
}

// The corners of the actor's model box where the frame draws them: scaled, turned about z, y and
// x in that order, then moved to the actor's position, as placeActor() sets the matrix.
std::array<std::array<float, 3>, 8> placedBox(const actor *a)
{
    const model &m = *a->model;
    const vector3d &p = *a->position, &r = *a->rotation;
    struct Turn {
        double c, s;
        void apply(float &u, float &v) const
        {
            const double u0 = u, v0 = v;
            u = static_cast<float>(u0 * c - v0 * s);
            v = static_cast<float>(u0 * s + v0 * c);
        }
    };
    const auto turnBy = [](float degrees) {
        const double radians = static_cast<double>(degrees) * std::numbers::pi / 180;
        return Turn{std::cos(radians), std::sin(radians)};
    };
    const Turn aboutZ = turnBy(r.z), aboutY = turnBy(r.y), aboutX = turnBy(r.x);
    std::array<std::array<float, 3>, 8> corners{};
    for (size_t k = 0; k < corners.size(); ++k) {
        float x = a->scale * ((k & 1) != 0 ? m.max.x : m.min.x);
        float y = a->scale * ((k & 2) != 0 ? m.max.y : m.min.y);
        float z = a->scale * ((k & 4) != 0 ? m.max.z : m.min.z);
        aboutZ.apply(x, y);
        aboutY.apply(z, x);
        aboutX.apply(y, z);
        corners[k] = {p.x + x, p.y + y, p.z + z};
    }
    return corners;
}

// The sphere is the model's own: the actor's scale does not widen it. An actor the sphere lets
// through is then tried by its box as drawn: the sphere round a tall building reaches into the
// view long before its walls do: one building in five that it let through was drawn into nothing.
bool inView(const actor *a)
{
    return !frustumculling || (frustum_isSphereVisable(a->position->x, a->position->y, a->position->z, a->model->radius) &&
                               frustum_isBoxVisable(placedBox(a)));
}

void drawWhole(const actor *a)
{
    glPushMatrix();
    glColor3f(1, 1, 1);
    placeActor(a);
    model_render(a->model, task_video_texturemode);
    glPopMatrix();
}

// Actors whose every group binds its own texture are queued a group at a time; any other is
// drawn whole at once, as its file orders it.
void queueActorOfStage(actor *a)
{
    if (a == nullptr || a->model == nullptr || actorStage(a->kind) != drawing || !inView(a))
        return;
    ++actorsDrawn;
    if (!model_groupsSortable(a->model)) {
        useLights(actorLights(a->kind));
        drawWhole(a);
        return;
    }
    for (size_t g = 0; g < a->model->groups.size(); ++g)
        groupDraws.push_back({model_groupTexture(a->model, g, task_video_texturemode), a, g});
}

// The stage's actors with each texture bound once: binding costs far more than a group's
// triangles. The depth test keeps the picture the same in any order.
void drawActors(VideoStage stage)
{
    drawing = stage;
    groupDraws.clear();
    actor_iterate(queueActorOfStage);
    std::stable_sort(groupDraws.begin(), groupDraws.end(),
                     [](const GroupDraw &x, const GroupDraw &y) { return x.texture < y.texture; });
    int bound = -1;
    for (const GroupDraw &d : groupDraws) {
        if (d.texture != bound)
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(d.texture));
        bound = d.texture;
        useLights(actorLights(d.a->kind));
        glPushMatrix();
        placeActor(d.a);
        model_drawGroup(d.a->model, d.group);
        glPopMatrix();
    }
}

// The sky as the game's first frame lights it: the GL's own material, facing the viewer. (Drawn
// with whatever material the last model left, its tint changed with the order of drawing.)
void drawSkybox()
{
    const GLfloat ambient[] = {0.2f, 0.2f, 0.2f, 1}, diffuse[] = {0.8f, 0.8f, 0.8f, 1}, none[] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, none);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, none);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 0);
    glNormal3f(0, 0, 1);
    // The sky lies behind everything: it is neither depth-tested nor kept in the depth buffer.
    glDisable(GL_DEPTH_TEST);
    task_video_renderSkybox(skybox_width, skybox_height, skybox_length);
    glEnable(GL_DEPTH_TEST);
}

// The view the sky box shows from the camera: its picture fits any frame with the same one. The
// colours are read from the GL, so a change made anywhere shows.
BackdropView skyView()
{
    const vector3d &eye = *g_camera->position, &centre = *g_camera->view, &up = *g_camera->up;
    BackdropView view{{centre.x - eye.x, centre.y - eye.y, centre.z - eye.z, up.x, up.y, up.z},
                      task_video_width,
                      task_video_height,
                      {},
                      g_level_serial};
    glGetFloatv(GL_FOG_COLOR, &view.colours[0]);
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, &view.colours[4]);
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, &view.colours[8]);
    glGetLightfv(GL_LIGHT2, GL_AMBIENT, &view.colours[12]);
    glGetLightfv(GL_LIGHT2, GL_DIFFUSE, &view.colours[16]);
    return view;
}

// The sky comes from its picture when the backdrop holds the current view's: the frame began with
// it. Otherwise the box is drawn, and its picture taken when the view is the one of the frame
// before: a camera that keeps turning never pays for a picture it cannot use.
void drawSky()
{
    if (frameSky.fromPicture)
        return;
    const BackdropView &view = frameSky.view;
    drawSkybox();
    if (!wireframe && view == lastSkyView) {
        backdrop_take(backdrop, view);
        skyPictures += backdrop.taken;
    }
    lastSkyView = view;
}

void setLight(GLenum light, const GLfloat ambient[4], const GLfloat diffuse[4], const GLfloat position[4])
{
    glLightfv(light, GL_AMBIENT, ambient);
    glLightfv(light, GL_DIFFUSE, diffuse);
    glLightfv(light, GL_POSITION, position);
    glEnable(light);
}

// Sets the video mode with the stored depth and flags and lays the picture out by the window SDL
// really made: asked for a width or height of 0 it makes the window as large as the desktop (at
// start) or keeps the current size. False, with no window, when SDL refuses the mode.
bool setVideoMode(int width, int height)
{
    mainWindow = SDL_SetVideoMode(width, height, task_video_bpp, task_video_videoFlags);
    if (mainWindow == nullptr)
        return false;
    backdrop_forget(backdrop);
    lastSkyView = {};
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

    font1 = font_new("data/font2.tga");
    for (size_t slot = 0; slot < sky_faces.size(); ++slot)
        skybox_tex[slot] = texture_get(sky_faces[slot].file);
    return true;
}

void task_video_stop()
{
    font_free(font1);
    font1 = nullptr;
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
    task_video_beginFrame();
    for (int stage = 0; stage < VIDEO_STAGE_COUNT; ++stage)
        task_video_drawStage(static_cast<VideoStage>(stage));
}

void task_video_beginFrame()
{
    if (!(g_level_look == appliedLook))
        setLook(g_level_look);
    useLights(Lights::air); // the sky's view is read from the air's lights
    // The sky's picture covers every pixel: then only the depth buffer needs clearing. The picture
    // goes first: a copy waits for whatever was drawn before it, and the clear would be that.
    frameSky = {};
    actorsDrawn = 0;
    if (g_camera != nullptr) {
        frameSky.view = skyView();
        frameSky.fromPicture = !wireframe && backdrop_shows(backdrop, frameSky.view);
    }
    if (frameSky.fromPicture)
        backdrop_draw(backdrop);
    glClear(frameSky.fromPicture ? GL_DEPTH_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    // The world needs the game's camera. Before the game task has set one up (or without it)
    // the frame shows the HUD over an empty screen.
    if (g_camera == nullptr)
        return;
    const vector3d &eye = *g_camera->position, &centre = *g_camera->view, &up = *g_camera->up;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, up.x, up.y, up.z);
    frustum_calculate();
}

void task_video_drawStage(VideoStage stage)
{
    if (stage == VIDEO_STAGE_HUD) {
        drawHud();
        return;
    }
    if (g_camera == nullptr)
        return;
    if (stage != VIDEO_STAGE_SHIPS && stage != VIDEO_STAGE_ENEMIES && stage != VIDEO_STAGE_SHOTS)
        useLights(Lights::air);
    switch (stage) {
    case VIDEO_STAGE_SKY:
        drawSky();
        break;
    case VIDEO_STAGE_SHIPS:
    case VIDEO_STAGE_ENEMIES:
    case VIDEO_STAGE_SHOTS:
    case VIDEO_STAGE_BUILDINGS:
        drawActors(stage);
        break;
    case VIDEO_STAGE_SHIELDS:
        // Ships and shields are drawn only when both exist.
        if (g_player != nullptr && g_player_shield)
            shield_draw(*g_player_shield, g_player->position->x, g_player->position->y, g_player->position->z);
        if (g_player2 != nullptr && g_player2_shield)
            shield_draw(*g_player2_shield, g_player2->position->x, g_player2->position->y, g_player2->position->z);
        break;
    case VIDEO_STAGE_EXPLOSIONS:
        explosion_drawAll();
        break;
    case VIDEO_STAGE_PARTICLES:
        particle_drawAll();
        break;
    default:
        break;
    }
}

const char *task_video_stageName(VideoStage stage)
{
    static constexpr std::array<const char *, VIDEO_STAGE_COUNT> names = {
        "sky and ground", "ships", "enemies", "shots", "buildings", "shields", "explosions", "particles", "HUD"};
    return stage >= 0 && stage < VIDEO_STAGE_COUNT ? names[stage] : "?";
}

void task_video_renderSkybox(float width, float height, float length)
{
    if (g_camera == nullptr)
        return;
    const vector3d &eye = *g_camera->position;
    const float x0 = eye.x - width / 2, y0 = eye.y - height / 2, z0 = eye.z - length / 2;
    const std::array<float, 2> xs = {x0, x0 + width}, ys = {y0, y0 + height}, zs = {z0, z0 + length};
    for (size_t slot = 0; slot < sky_faces.size(); ++slot) {
        // The handle as the cache gave it: the nearest-filtered variant, whatever the texture mode.
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(skybox_tex[slot]));
        glBegin(GL_QUADS);
        for (const SkyCorner &c : sky_faces[slot].corners) {
            glTexCoord2f(c.s, c.t);
            glVertex3f(xs[c.x], ys[c.y], zs[c.z]);
        }
        glEnd();
    }
}

void task_video_renderactor(actor *a)
{
    if (a != nullptr && a->model != nullptr && inView(a))
        drawWhole(a);
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
    appliedLook = level_defaultLook;
    appliedLights = Lights::air;
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
unsigned task_video_skyPictures() { return skyPictures; }
int task_video_actorsDrawn() { return actorsDrawn; }
SDL_Surface *task_video_window() { return mainWindow; }
