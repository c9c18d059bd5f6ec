// actor_tick.cpp -- the behaviour of one actor for one pass: motion by the frame interval,
// timers, enemy and boss fire, and removal of actors that have left the playing field.
#include "game/actor.h"

#include "game/task_test.h"
#include "graphics/model.h"
#include "graphics/particle.h"
#include "tasks/task_timer.h"

#include <cmath>
#include <cstdlib>

namespace {

float cameraX()
{
    return g_camera != nullptr ? g_camera->position->x : 0.0f;
}

// The scaled minimum x of the box; 0 for an actor without a model.
float scaledMinX(const actor *a)
{
    return a->model != nullptr ? a->model->min.x * a->scale : 0.0f;
}

// The right edge is left of the field's left edge.
bool passedOutOnTheLeft(const actor *a)
{
    return cameraX() + scr_l_x > actor_rightEdge(a);
}

// Measured from the position minus the scaled minimum corner (not the left edge), on both sides.
bool outOfTheField(const actor *a)
{
    const float e = a->position->x - scaledMinX(a);
    const float cx = cameraX();
    return e < cx + scr_l_x || e > cx + scr_r_x;
}

void shieldCountdown(actor *a, Shield *shield)
{
    auto *d = static_cast<PlayerData *>(a->data);
    d->shieldTime -= g_frameInterval;
    if (d->shieldTime < 0) {
        d->shieldTime = 0;
        if (shield != nullptr)
            shield->active = false;
    }
}

void enemy1Tick(actor *a)
{
    auto *d = static_cast<Enemy1Data *>(a->data);
    const float dx = g_frameInterval * enemy1_speed;
    a->position->x -= dx;
    // New trail particles start behind the enemy.
    d->trail->x -= dx;
    if (passedOutOnTheLeft(a)) {
        actor_free(a);
        return;
    }
    // A shooter fires once, on the first pass it is far enough inside the field.
    if (d->shooter && a->position->x - scaledMinX(a) < cameraX() + scr_r_x - 25.0f) {
        d->shooter = false;
        actor_new(ACTOR_ESHOT, actor_leftEdge(a), a->position->y, a->position->z);
    }
}

void enemy2Tick(actor *a)
{
    auto *d = static_cast<Enemy2Data *>(a->data);
    a->position->x -= g_frameInterval * enemy1_speed;
    d->phase += g_frameInterval;
    a->position->y = d->baseY + 15.0f * std::sin(d->phase);
    a->rotation->x = 20.0f * std::sin(d->phase);
    if (passedOutOnTheLeft(a))
        actor_free(a);
}

// The boss never moves in x and is never removed here; it fires wherever it stands.
void boss1Tick(actor *a)
{
    auto *d = static_cast<Boss1Data *>(a->data);
    d->phase += g_frameInterval;
    d->fireTime += g_frameInterval;
    a->position->y = 30.0f * std::sin(d->phase);
    if (d->fireTime >= 0.5f) {
        d->fireTime = 0;
        if (std::rand() % 2 == 0)
            actor_new(ACTOR_ESHOT2, actor_leftEdge(a), a->position->y, a->position->z);
    }
}

// Launch: spread vertically and keep pace with the scrolling, with no removal test; then cruise.
void rocketTick(actor *a)
{
    auto *d = static_cast<RocketData *>(a->data);
    d->launchTime -= g_frameInterval;
    if (d->launchTime > 0) {
        const float dy = g_frameInterval * rocket_speed * 0.2f;
        a->position->y += a->kind == ACTOR_ROCKET_DOWN ? -dy : dy;
        a->position->x += g_frameInterval * g_camera_speed;
        return;
    }
    a->position->x += g_frameInterval * rocket_speed;
    if (outOfTheField(a))
        actor_free(a);
}

} // namespace

void actor_tick(actor *a)
{
    switch (a->kind) {
    case ACTOR_PLAYER:
        shieldCountdown(a, g_player_shield.get());
        break;
    case ACTOR_PLAYER2:
        shieldCountdown(a, g_player2_shield.get());
        break;
    case ACTOR_ENEMY1:
        enemy1Tick(a);
        break;
    case ACTOR_ENEMY2:
        enemy2Tick(a);
        break;
    case ACTOR_BOSS1:
        boss1Tick(a);
        break;
    case ACTOR_SHOT:
        a->position->x += g_frameInterval * bullet_speed;
        if (outOfTheField(a))
            actor_free(a);
        break;
    case ACTOR_ROCKET_DOWN:
    case ACTOR_ROCKET_UP:
        rocketTick(a);
        break;
    case ACTOR_ESHOT:
    case ACTOR_ESHOT2:
        a->position->x -= g_frameInterval * ebullet_speed;
        if (outOfTheField(a))
            actor_free(a);
        break;
    case ACTOR_POWERUP_F:
    case ACTOR_POWERUP_R:
        if (passedOutOnTheLeft(a))
            actor_free(a);
        break;
    default: // ACTOR_NONE, the buildings and unknown codes
        break;
    }
}
