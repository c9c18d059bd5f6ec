// actor_collide.cpp -- the collision pass: ordered pairs of listed actors, newest first, with the
// game's rules for shots, enemies, the boss, the ships and power-ups.
#include "game/actor.h"

#include "game/actor_list.h"
#include "game/task_test.h"
#include "graphics/explosion.h"
#include "graphics/particle.h"

#include <vector>

namespace {

constexpr int burst_particles = 50;
constexpr int shot_damage = 30;
constexpr int rocket_damage = 110;
constexpr int bulletInterval_step = 50;
constexpr int bulletInterval_least = 150;

bool isShotOrRocket(uint32_t kind)
{
    return kind == ACTOR_SHOT || kind == ACTOR_ROCKET_DOWN || kind == ACTOR_ROCKET_UP;
}

bool isShip(uint32_t kind)
{
    return kind == ACTOR_PLAYER || kind == ACTOR_PLAYER2;
}

bool hurtsShips(uint32_t kind)
{
    return kind == ACTOR_ENEMY1 || kind == ACTOR_ENEMY2 || kind == ACTOR_ESHOT || kind == ACTOR_ESHOT2;
}

Shield *shieldOf(const actor *ship)
{
    return ship->kind == ACTOR_PLAYER2 ? g_player2_shield.get() : g_player_shield.get();
}

// The pass's view of the list: slots numbered from the oldest, each actor's slot kept so a
// rule can free it without a search.
struct Pair {
    actor *a;
    int slotA;
    actor *b;
    int slotB;
};

void enemyDestroyed(const Pair &p, int score, int explosionKind, uint32_t powerUp, bool drops)
{
    const vector3d at = *p.b->position;
    task_test_playExplosion();
    g_score += score;
    particle_newSys(at.x, at.y, at.z, burst_particles, false);
    explosion_new(at.x, at.y, at.z, explosionKind);
    if (drops)
        actor_new(powerUp, at.x, at.y, at.z);
    actorlist_freeSlot(p.slotA);
    actorlist_freeSlot(p.slotB);
}

void shipHit(const Pair &p)
{
    const vector3d at = *p.b->position;
    const int kind = p.b->kind == ACTOR_ENEMY1 ? 0 : p.b->kind == ACTOR_ENEMY2 ? 1 : 2;
    task_test_playExplosion();
    explosion_new(at.x, at.y, at.z, kind);
    particle_newSys(at.x, at.y, at.z, burst_particles, false);
    actorlist_freeSlot(p.slotB);
    Shield *shield = shieldOf(p.a);
    if (shield != nullptr && shield->active)
        return;
    // The pool never goes below empty: a further hit in the pass that took the last life
    // ends the game again rather than counting lives below zero.
    if (g_lifes > 0)
        --g_lifes;
    if (g_lifes <= 0) {
        const vector3d &ship = *p.a->position;
        explosion_new(ship.x, ship.y, ship.z, 3);
        gamestate = GAMESTATE_GAMEOVER;
        return;
    }
    static_cast<PlayerData *>(p.a->data)->shieldTime = 3.0f;
    if (shield != nullptr)
        shield->active = true;
}

// Every boss shares the one energy value.
void bossHit(const Pair &p)
{
    g_boss_energy -= p.a->kind == ACTOR_SHOT ? shot_damage : rocket_damage;
    actorlist_freeSlot(p.slotA);
    if (g_boss_energy > 0)
        return;
    const vector3d at = *p.b->position;
    g_boss_energy = 0;
    gamestate = GAMESTATE_WON;
    task_test_playExplosion();
    g_score += boss1_score;
    explosion_new(at.x, at.y, at.z, 3);
    explosion_new(at.x + 15, at.y - 4, at.z, 0);
    explosion_new(at.x - 5, at.y - 10, at.z, 0);
    explosion_new(at.x - 14, at.y + 15, at.z, 1);
    actorlist_freeSlot(p.slotB);
}

void powerUpTaken(const Pair &p)
{
    task_test_playBonusSound();
    const uint32_t kind = p.b->kind;
    actorlist_freeSlot(p.slotB);
    if (kind == ACTOR_POWERUP_F) {
        bulletInterval -= bulletInterval_step;
        if (bulletInterval < bulletInterval_least)
            bulletInterval = bulletInterval_least;
    } else {
        g_rocket_count += 1;
    }
}

// The rule for a touching pair, A first; the rules' kinds do not overlap.
void applyRule(const Pair &p)
{
    const uint32_t ka = p.a->kind, kb = p.b->kind;
    if (isShotOrRocket(ka)) {
        if (kb == ACTOR_ENEMY1) {
            const auto *d = static_cast<const Enemy1Data *>(p.b->data);
            enemyDestroyed(p, enemy1_score, 0, ACTOR_POWERUP_F, d->dropsPowerUpF);
        } else if (kb == ACTOR_ENEMY2) {
            const auto *d = static_cast<const Enemy2Data *>(p.b->data);
            enemyDestroyed(p, enemy2_score, 1, ACTOR_POWERUP_R, d->dropsPowerUpR);
        } else if (kb == ACTOR_BOSS1) {
            bossHit(p);
        }
    } else if (isShip(ka)) {
        if (hurtsShips(kb)) {
            if (!g_invincible && gamestate != GAMESTATE_WON)
                shipHit(p);
        } else if (kb == ACTOR_POWERUP_F || kb == ACTOR_POWERUP_R) {
            powerUpTaken(p);
        }
    }
}

// Only bullets, rockets and the ships have rules as the first actor of a pair.
bool hasRuleAsA(uint32_t kind)
{
    return isShotOrRocket(kind) || isShip(kind);
}

struct Extent {
    float left, right, bottom, top;
    bool live;
};

// Kept between passes so a pass allocates nothing once the list has stopped growing.
std::vector<Extent> passExtents;

// Extents of the slots not measured yet, up to count.
void extendExtents(std::vector<Extent> &extents, int count)
{
    for (int slot = static_cast<int>(extents.size()); slot < count; ++slot) {
        const actor *a = actorlist_slot(slot);
        if (a == nullptr)
            extents.push_back({0, 0, 0, 0, false});
        else
            extents.push_back({actor_leftEdge(a), actor_rightEdge(a), actor_bottomEdge(a), actor_topEdge(a), true});
    }
}

} // namespace

bool actor_collide(const actor *a, const actor *b)
{
    if (actor_leftEdge(b) > actor_rightEdge(a))
        return false;
    if (actor_leftEdge(a) > actor_rightEdge(b))
        return false;
    if (actor_bottomEdge(a) > actor_topEdge(b))
        return false;
    if (actor_bottomEdge(b) > actor_topEdge(a))
        return false;
    return true;
}

void actor_collideAll()
{
    const ActorWalk walk;
    // Extents per slot, made once per pass: rules create and remove actors but move none.
    // The same four comparisons as actor_collide, on the same values.
    std::vector<Extent> &extents = passExtents;
    extents.clear();
    // The outer loop starts at the head of the list as it stands now, so power-ups made by the
    // pass are not reached by it; every inner loop starts at the head as it stands then.
    for (int slotA = actorlist_slotCount() - 1; slotA >= 0; --slotA) {
        actor *a = actorlist_slot(slotA);
        // Pairs whose first actor has no rule as A change nothing and are not tested.
        if (a == nullptr || !hasRuleAsA(a->kind))
            continue;
        const int head = actorlist_slotCount() - 1;
        extendExtents(extents, head + 1);
        for (int slotB = head; slotB >= 0; --slotB) {
            // An actor removed by a rule takes no further part in the pass.
            const Extent &ea = extents[static_cast<size_t>(slotA)];
            if (!ea.live)
                break;
            const Extent &eb = extents[static_cast<size_t>(slotB)];
            if (!eb.live || eb.left > ea.right || ea.left > eb.right || ea.bottom > eb.top || eb.bottom > ea.top)
                continue;
            applyRule({a, slotA, actorlist_slot(slotB), slotB});
            extents[static_cast<size_t>(slotA)].live = actorlist_slot(slotA) != nullptr;
            extents[static_cast<size_t>(slotB)].live = actorlist_slot(slotB) != nullptr;
        }
    }
}
