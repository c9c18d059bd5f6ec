// scene.cpp -- the frame's order of drawing: the sky from its box or its picture, the actors
// culled against the view and batched by texture in their classes' lights, the effects, the HUD.
// The sky's picture lives until the next video mode; the rest is made afresh each frame.
#include "tasks/scene.h"

#include "game/actor.h"
#include "game/task_test.h"
#include "graphics/backdrop.h"
#include "graphics/explosion.h"
#include "graphics/frustum.h"
#include "graphics/model.h"
#include "graphics/particle.h"
#include "graphics/shield.h"
#include "math/matrix.h"
#include "tasks/hud.h"
#include "tasks/look.h"
#include "tasks/task_video.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <array>
#include <vector>

namespace {

BackdropBox skyBox{};
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

// Which stage draws an actor: its kind's. The logo and kinds the game does not know are drawn
// with the ships.
SceneStage actorStage(uint32_t kind)
{
    switch (kind) {
    case ACTOR_ENEMY1:
    case ACTOR_ENEMY2:
    case ACTOR_BOSS1:
        return SCENE_STAGE_ENEMIES;
    case ACTOR_BUILDING1:
    case ACTOR_BUILDING2:
        return SCENE_STAGE_BUILDINGS;
    case ACTOR_SHOT:
    case ACTOR_ROCKET_DOWN:
    case ACTOR_ROCKET_UP:
    case ACTOR_ESHOT:
    case ACTOR_ESHOT2:
    case ACTOR_POWERUP_F:
    case ACTOR_POWERUP_R:
        return SCENE_STAGE_SHOTS;
    default:
        return SCENE_STAGE_SHIPS;
    }
}

// The lights an actor is drawn in. Lights change only for an actor that is drawn: a frame of
// sky alone keeps the air's.
LookLights actorLights(uint32_t kind)
{
    switch (kind) {
    case ACTOR_BUILDING1:
    case ACTOR_BUILDING2:
        return LookLights::air;
    case ACTOR_SHOT:
    case ACTOR_ROCKET_DOWN:
    case ACTOR_ROCKET_UP:
    case ACTOR_ESHOT:
    case ACTOR_ESHOT2:
        return LookLights::shots;
    default:
        return LookLights::craft;
    }
}

// One group of an actor's model, waiting to be drawn in texture order.
struct GroupDraw {
    int texture;
    const actor *a;
    size_t group;
};

// Filled by the walk in drawActors(); a plain function pointer cannot carry them.
SceneStage drawing = SCENE_STAGE_SHIPS;
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
    // placeActor's turn is Rx * Ry * Rz: the inverse (the transpose) of Rz * Ry * Rx by the
    // opposite angles, which is what the matrix module builds.
    float opposite[16] = {};
    const float angles[3] = {-r.x, -r.y, -r.z};
    matrix_setRotationDegrees(opposite, angles);
    std::array<std::array<float, 3>, 8> corners{};
    for (size_t k = 0; k < corners.size(); ++k) {
        float v[3] = {a->scale * ((k & 1) != 0 ? m.max.x : m.min.x), a->scale * ((k & 2) != 0 ? m.max.y : m.min.y),
                      a->scale * ((k & 4) != 0 ? m.max.z : m.min.z)};
        matrix_inverseRotateVect(opposite, v);
        corners[k] = {p.x + v[0], p.y + v[1], p.z + v[2]};
    }
    return corners;
}

// The sphere is the model's own: the actor's scale does not widen it. An actor the sphere lets
// through is then tried by its box as drawn: the sphere round a tall building reaches into the
// view long before its walls do: one building in five that it let through was drawn into nothing.
bool inView(const actor *a)
{
    return !task_video_isFrustumCulling() ||
           (frustum_isSphereVisable(a->position->x, a->position->y, a->position->z, a->model->radius) &&
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
        look_useLights(actorLights(a->kind));
        drawWhole(a);
        return;
    }
    for (size_t g = 0; g < a->model->groups.size(); ++g)
        groupDraws.push_back({model_groupTexture(a->model, g, task_video_texturemode), a, g});
}

// The stage's actors with each texture bound once: binding costs far more than a group's
// triangles. The depth test keeps the picture the same in any order.
void drawActors(SceneStage stage)
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
        look_useLights(actorLights(d.a->kind));
        glPushMatrix();
        placeActor(d.a);
        model_drawGroup(d.a->model, d.group);
        glPopMatrix();
    }
}

// The view the sky box shows from the camera in the look GL was given: its picture fits any frame
// with the same one.
BackdropView skyView(const LevelLook &look)
{
    const vector3d &eye = *g_camera->position, &centre = *g_camera->view, &up = *g_camera->up;
    return {{centre.x - eye.x, centre.y - eye.y, centre.z - eye.z, up.x, up.y, up.z},
            task_video_width,
            task_video_height,
            {look.r, look.g, look.b},
            g_level_serial};
}

// The sky comes from its picture when the backdrop holds the current view's: the frame began with
// it. Otherwise the box is drawn, and its picture taken when the view is the one of the frame
// before: a camera that keeps turning never pays for a picture it cannot use.
void drawSky()
{
    if (frameSky.fromPicture)
        return;
    const BackdropView &view = frameSky.view;
    backdrop_drawBox(skyBox, *g_camera->position);
    if (!task_video_isWireframe() && view == lastSkyView) {
        backdrop_take(backdrop, view);
        skyPictures += backdrop.taken;
    }
    lastSkyView = view;
}

} // namespace

void scene_start()
{
    skyBox = backdrop_loadBox();
}

void scene_forgetSky()
{
    backdrop_forget(backdrop);
    lastSkyView = {};
}

void scene_beginFrame()
{
    // The look is taken once: GL is given it, and the sky's picture is known by it.
    const LevelLook look = g_level_look;
    look_apply(look);
    // The sky's picture covers every pixel: then only the depth buffer needs clearing. The picture
    // goes first: a copy waits for whatever was drawn before it, and the clear would be that.
    frameSky = {};
    actorsDrawn = 0;
    const bool wireframe = task_video_isWireframe();
    if (g_camera != nullptr) {
        frameSky.view = skyView(look);
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

void scene_drawStage(SceneStage stage)
{
    if (stage == SCENE_STAGE_HUD) {
        hud_draw();
        return;
    }
    if (g_camera == nullptr)
        return;
    if (stage != SCENE_STAGE_SHIPS && stage != SCENE_STAGE_ENEMIES && stage != SCENE_STAGE_SHOTS)
        look_useLights(LookLights::air);
    switch (stage) {
    case SCENE_STAGE_SKY:
        drawSky();
        break;
    case SCENE_STAGE_SHIPS:
    case SCENE_STAGE_ENEMIES:
    case SCENE_STAGE_SHOTS:
    case SCENE_STAGE_BUILDINGS:
        drawActors(stage);
        break;
    case SCENE_STAGE_SHIELDS:
        // Ships and shields are drawn only when both exist.
        if (g_player != nullptr && g_player_shield)
            shield_draw(*g_player_shield, g_player->position->x, g_player->position->y, g_player->position->z);
        if (g_player2 != nullptr && g_player2_shield)
            shield_draw(*g_player2_shield, g_player2->position->x, g_player2->position->y, g_player2->position->z);
        break;
    case SCENE_STAGE_EXPLOSIONS:
        explosion_drawAll();
        break;
    case SCENE_STAGE_PARTICLES:
        particle_drawAll();
        break;
    default:
        break;
    }
}

const char *scene_stageName(SceneStage stage)
{
    static constexpr std::array<const char *, SCENE_STAGE_COUNT> names = {
        "sky and ground", "ships", "enemies", "shots", "buildings", "shields", "explosions", "particles", "HUD"};
    return stage >= 0 && stage < SCENE_STAGE_COUNT ? names[stage] : "?";
}

void scene_drawActor(const actor *a)
{
    if (a != nullptr && a->model != nullptr && inView(a))
        drawWhole(a);
}

int scene_actorsDrawn()
{
    return actorsDrawn;
}

unsigned scene_skyPictures()
{
    return skyPictures;
}
