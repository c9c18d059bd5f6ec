// actor.cpp -- the actor list: every actor of the game, newest first, owned from actor_new until
// actor_free. An actor freed while a walk is under way leaves an empty slot that every walk
// steps over; empty slots are swept when the last walk ends.
#include "game/actor.h"

#include "game/actor_list.h"
#include "game/task_test.h"
#include "graphics/model.h"
#include "graphics/particle.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <variant>
#include <vector>

namespace {

// Everything one actor owns. The record comes first: callers hold a pointer to it, and its
// position, rotation and data point into the parts beside it.
struct ActorBody {
    actor record;
    Vector3dPtr position;
    Vector3dPtr rotation;
    std::variant<std::monostate, PlayerData, Enemy1Data, Enemy2Data, Boss1Data, RocketData> data;
};

// Oldest first: the head of the list is the back. Null entries are actors freed during a walk.
std::vector<std::unique_ptr<ActorBody>> actorlist;
int walks = 0;           // walks under way (actor_iterate, the collision pass); they may nest
bool emptySlots = false; // a freed actor's slot waits for the end of the walks
int visiting = -1;       // the slot actor_iterate stands on, so freeing it needs no search

// The kind's record, with its values at creation. The draws from rand happen here, in the
// order the game's randomness depends on: ENEMY1 shooter then drop, ENEMY2 one draw.
void createData(ActorBody &body, float x, float y, float z)
{
    actor &a = body.record;
    switch (a.kind) {
    case ACTOR_PLAYER:
    case ACTOR_PLAYER2:
        a.data = &body.data.emplace<PlayerData>(PlayerData{2.0f});
        break;
    case ACTOR_ENEMY1: {
        // The trail starts behind the enemy, measured on the unscaled box.
        const float maxX = a.model != nullptr ? a.model->max.x : 0.0f;
        Enemy1Data d{};
        d.trail = particle_newCustomSys(x + maxX + 8.0f, y, z, 30, true, 500.0f, 0, 0, 0.5f, 0.5f, 1.0f);
        d.shooter = std::rand() % enemy1_shooter_ratio == 0;
        d.dropsPowerUpF = (std::rand() & 7) == 0;
        a.data = &body.data.emplace<Enemy1Data>(d);
        break;
    }
    case ACTOR_ENEMY2:
        a.data = &body.data.emplace<Enemy2Data>(Enemy2Data{0.0f, y, std::rand() % 3 == 0});
        break;
    case ACTOR_BOSS1:
        a.data = &body.data.emplace<Boss1Data>(Boss1Data{0.0f, 0.0f});
        g_boss_energy = g_level_boss_energy;
        break;
    case ACTOR_ROCKET_DOWN:
    case ACTOR_ROCKET_UP:
        a.data = &body.data.emplace<RocketData>(RocketData{0.2f});
        break;
    default:
        break;
    }
}

// Releases what the actor owns beyond its body: an ENEMY1's trail lives in the particle list.
void releaseBody(std::unique_ptr<ActorBody> &body)
{
    if (auto *d = std::get_if<Enemy1Data>(&body->data))
        particle_freeSys(d->trail);
    body.reset();
}

void sweep()
{
    if (walks > 0 || !emptySlots)
        return;
    std::erase(actorlist, nullptr);
    emptySlots = false;
}

} // namespace

ActorKindModel actor_kindModel(uint32_t kind)
{
    switch (kind) {
    case ACTOR_PLAYER:
        return {"data/Player.ms3d", 1.2f};
    case ACTOR_PLAYER2:
        return {"data/HeavyFighter.ms3d", 1.3f};
    case ACTOR_ENEMY1:
        return {"data/Enemy5.ms3d", 1.5f};
    case ACTOR_ENEMY2:
        return {"data/Enemy4UV.ms3d", 0.45f};
    case ACTOR_BOSS1:
        return {"data/Enemy3UV.ms3d", 2.3f};
    case ACTOR_BUILDING1:
        return {"data/Building1.ms3d", 1.0f};
    case ACTOR_BUILDING2:
        return {"data/Building2UV.ms3d", 1.0f};
    case ACTOR_SHOT:
        return {"data/Shot.ms3d", 3.0f};
    case ACTOR_ROCKET_DOWN:
    case ACTOR_ROCKET_UP:
        return {"data/RocketUV.ms3d", 1.5f};
    case ACTOR_ESHOT:
        return {"data/EShot.ms3d", 3.0f};
    case ACTOR_ESHOT2:
        return {"data/EShot2.ms3d", 3.0f};
    case ACTOR_POWERUP_F:
        return {"data/PowerUpFUV.ms3d", 1.4f};
    case ACTOR_POWERUP_R:
        return {"data/PowerUpRUV.ms3d", 1.4f};
    default:
        return {nullptr, 1.0f};
    }
}

ActorWalk::ActorWalk()
{
    ++walks;
}

ActorWalk::~ActorWalk()
{
    --walks;
    sweep();
}

int actorlist_slotCount()
{
    return static_cast<int>(actorlist.size());
}

actor *actorlist_slot(int slot)
{
    ActorBody *body = actorlist[static_cast<size_t>(slot)].get();
    return body != nullptr ? &body->record : nullptr;
}

void actorlist_freeSlot(int slot)
{
    std::unique_ptr<ActorBody> &body = actorlist[static_cast<size_t>(slot)];
    if (body == nullptr)
        return;
    releaseBody(body);
    emptySlots = true;
    sweep();
}

actor *actor_new(uint32_t kind, float x, float y, float z)
{
    auto body = std::make_unique<ActorBody>();
    body->position.reset(vector3d_new(x, y, z));
    body->rotation.reset(vector3d_new(0, 0, 0));
    actor &a = body->record;
    a.kind = kind;
    a.position = body->position.get();
    a.rotation = body->rotation.get();
    a.model = nullptr;
    a.scale = 1.0f;
    a.data = nullptr;

    const ActorKindModel look = actor_kindModel(kind);
    if (look.file != nullptr)
        actor_setModel(&a, look.file);
    createData(*body, x, y, z);
    actor_setScale(&a, look.scale);

    actorlist.push_back(std::move(body));
    return &a;
}

void actor_free(actor *a)
{
    if (a == nullptr)
        return;
    const auto holds = [a](int slot) {
        const ActorBody *body = actorlist[static_cast<size_t>(slot)].get();
        return body != nullptr && &body->record == a;
    };
    if (visiting >= 0 && holds(visiting)) {
        actorlist_freeSlot(visiting);
        return;
    }
    // Every live actor is listed, so one that is not found was freed already: releasing it
    // again would release freed memory.
    for (int slot = actorlist_slotCount() - 1; slot >= 0; --slot) {
        if (holds(slot)) {
            actorlist_freeSlot(slot);
            return;
        }
    }
}

void actor_iterate(void (*fn)(actor *))
{
    const ActorWalk walk;
    const int outer = visiting;
    // Actors created by fn take numbers above the start, so this walk does not reach them.
    for (int slot = actorlist_slotCount() - 1; slot >= 0; --slot) {
        actor *a = actorlist_slot(slot);
        if (a == nullptr)
            continue;
        visiting = slot;
        fn(a);
    }
    visiting = outer;
}

void actor_freeAll()
{
    actor_iterate(actor_free);
}

void actor_setModel(actor *a, const char *name)
{
    a->model = model_get(name);
}

void actor_setScale(actor *a, float scale)
{
    a->scale = scale;
}

void actor_setPosition(actor *a, float x, float y, float z)
{
    a->position->x = x;
    a->position->y = y;
    a->position->z = z;
}

// An actor whose model failed to load is an empty box at its position.
float actor_leftEdge(const actor *a)
{
    return a->position->x + (a->model != nullptr ? a->model->min.x * a->scale : 0.0f);
}

float actor_rightEdge(const actor *a)
{
    return a->position->x + (a->model != nullptr ? a->model->max.x * a->scale : 0.0f);
}

float actor_bottomEdge(const actor *a)
{
    return a->position->y + (a->model != nullptr ? a->model->min.y * a->scale : 0.0f);
}

float actor_topEdge(const actor *a)
{
    return a->position->y + (a->model != nullptr ? a->model->max.y * a->scale : 0.0f);
}

int actor_count()
{
    return static_cast<int>(std::count_if(actorlist.begin(), actorlist.end(),
                                          [](const auto &body) { return body != nullptr; }));
}
