// actor.h -- every object of the game world: ships, enemies, the boss, buildings, shots, rockets
// and power-ups. The actor list owns the actors, newest first; models are shared, never owned.
// Behaviour lives in actor_tick.cpp, collisions in actor_collide.cpp.
#pragma once

#include "math/vector.h"

#include <cstdint>

struct model;
struct ParticleSystem;

// Kind codes. The one-player game never makes an ACTOR_PLAYER2.
enum ActorKind : uint32_t {
    ACTOR_NONE = 0,
    ACTOR_PLAYER = 1,
    ACTOR_PLAYER2 = 2,
    ACTOR_ENEMY1 = 3,
    ACTOR_ENEMY2,
    ACTOR_BOSS1,
    ACTOR_BUILDING1,
    ACTOR_BUILDING2,
    ACTOR_SHOT,
    ACTOR_ROCKET_DOWN,
    ACTOR_ROCKET_UP,
    ACTOR_ESHOT,
    ACTOR_ESHOT2,
    ACTOR_POWERUP_F,
    ACTOR_POWERUP_R, // codes above this one behave like ACTOR_NONE
};

// Kind-specific records.
struct PlayerData {
    float shieldTime; // seconds of shield left
};
struct Enemy1Data {
    ParticleSystem *trail; // an emitter owned by the actor
    bool shooter;
    bool dropsPowerUpF;
};
struct Enemy2Data {
    float phase;
    float baseY; // the y it was created at
    bool dropsPowerUpR;
};
struct Boss1Data {
    float phase;
    float fireTime;
};
struct RocketData {
    float launchTime; // seconds left in the launch phase
};

struct actor {
    uint32_t kind;
    vector3d *position; // owned
    vector3d *rotation; // owned; degrees about x, y, z
    const ::model *model; // shared through the model cache; null when the file failed to load
    float scale;
    void *data;         // owned kind-specific record (one of the above), or null
};

// Tuning constants, read-only for the whole run.
constexpr float bullet_speed = 350.0f;
constexpr float rocket_speed = 200.0f;
constexpr float ebullet_speed = 30.0f;
constexpr float enemy1_speed = 1.0f;
constexpr int enemy1_score = 500;
constexpr int enemy1_shooter_ratio = 3;
constexpr int enemy2_score = 1250;
constexpr int boss1_score = 25000;

// A new actor of the kind at (x, y, z), already at the head of the list. Never null.
actor *actor_new(uint32_t kind, float x, float y, float z);
// Unlinks the actor (if listed) and releases it with everything it owns.
void actor_free(actor *a);
// Calls fn for every actor from the head. fn may free the actor it is given (the walk goes on
// with the one that followed); actors it creates are not visited by this walk.
void actor_iterate(void (*fn)(actor *));
void actor_freeAll();
void actor_setModel(actor *a, const char *name);
void actor_setScale(actor *a, float scale);
void actor_setPosition(actor *a, float x, float y, float z);

// The model file and scale a kind is created with; file is null for kinds without a model.
struct ActorKindModel {
    const char *file;
    float scale;
};
ActorKindModel actor_kindModel(uint32_t kind);

// Edges of the actor's extent: its model's box times its scale, at its position. An actor
// without a model is an empty box at its position.
float actor_leftEdge(const actor *a);
float actor_rightEdge(const actor *a);
float actor_bottomEdge(const actor *a);
float actor_topEdge(const actor *a);

// The number of listed actors (for tests and benchmarks).
int actor_count();

// Behaviour of one actor for one pass (actor_tick.cpp).
void actor_tick(actor *a);

// Whether two actors' extents overlap on the x-y plane; touching edges collide (actor_collide.cpp).
bool actor_collide(const actor *a, const actor *b);
// The collision pass over every ordered pair, with the game's rules.
void actor_collideAll();
