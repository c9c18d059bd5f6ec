// Actors: the kind table (models, scales, records, draws from rand), the newest-first list and
// walks that free or create actors while they run.
#include "game_scene.h"

#include <cstdlib>

namespace {

using namespace game_test;

class ActorTest : public GameTest {};

struct KindLook {
    uint32_t kind;
    const char *file;
    float scale;
};

const KindLook kindLooks[] = {
    {ACTOR_PLAYER, "data/Player.ms3d", 1.2f},
    {ACTOR_PLAYER2, "data/HeavyFighter.ms3d", 1.3f},
    {ACTOR_ENEMY1, "data/Enemy5.ms3d", 1.5f},
    {ACTOR_ENEMY2, "data/Enemy4UV.ms3d", 0.45f},
    {ACTOR_BOSS1, "data/Enemy3UV.ms3d", 2.3f},
    {ACTOR_BUILDING1, "data/Building1.ms3d", 1.0f},
    {ACTOR_BUILDING2, "data/Building2UV.ms3d", 1.0f},
    {ACTOR_SHOT, "data/Shot.ms3d", 3.0f},
    {ACTOR_ROCKET_DOWN, "data/RocketUV.ms3d", 1.5f},
    {ACTOR_ROCKET_UP, "data/RocketUV.ms3d", 1.5f},
    {ACTOR_ESHOT, "data/EShot.ms3d", 3.0f},
    {ACTOR_ESHOT2, "data/EShot2.ms3d", 3.0f},
    {ACTOR_POWERUP_F, "data/PowerUpFUV.ms3d", 1.4f},
    {ACTOR_POWERUP_R, "data/PowerUpRUV.ms3d", 1.4f},
};

// Both games number the kinds alike; the one-player game never makes an ACTOR_PLAYER2.
TEST_F(ActorTest, KindCodesAreTheSameInBothGames)
{
    EXPECT_EQ(ACTOR_PLAYER2, 2u);
    EXPECT_EQ(ACTOR_ENEMY1, 3u);
    EXPECT_EQ(ACTOR_POWERUP_R, 14u);
}

TEST_F(ActorTest, EveryKindGetsItsModelScaleAndRecord)
{
    for (const KindLook &look : kindLooks) {
        SCOPED_TRACE(look.file);
        const actor *a = actor_new(look.kind, 1, 12, -100);
        EXPECT_EQ(a->kind, look.kind);
        ASSERT_NE(a->model, nullptr);
        EXPECT_EQ(a->model, model_get(look.file));
        EXPECT_EQ(a->scale, look.scale);
        EXPECT_EQ(a->position->x, 1);
        EXPECT_EQ(a->position->y, 12);
        EXPECT_EQ(a->position->z, -100);
        EXPECT_EQ(a->rotation->x, 0);
        EXPECT_EQ(a->rotation->y, 0);
        EXPECT_EQ(a->rotation->z, 0);
    }
    EXPECT_EQ(actor_count(), static_cast<int>(std::size(kindLooks)));

    const auto *player = static_cast<const PlayerData *>(actor_new(ACTOR_PLAYER, 0, 0, 0)->data);
    EXPECT_EQ(player->shieldTime, 2.0f);
    const auto *enemy2 = static_cast<const Enemy2Data *>(actor_new(ACTOR_ENEMY2, 0, 12, 0)->data);
    EXPECT_EQ(enemy2->phase, 0);
    EXPECT_EQ(enemy2->baseY, 12);
    const auto *boss = static_cast<const Boss1Data *>(actor_new(ACTOR_BOSS1, 0, 0, 0)->data);
    EXPECT_EQ(boss->phase, 0);
    EXPECT_EQ(boss->fireTime, 0);
    const auto *rocket = static_cast<const RocketData *>(actor_new(ACTOR_ROCKET_UP, 0, 0, 0)->data);
    EXPECT_EQ(rocket->launchTime, 0.2f);
    for (const uint32_t bare : {uint32_t{ACTOR_BUILDING1}, uint32_t{ACTOR_SHOT}, uint32_t{ACTOR_POWERUP_F}})
        EXPECT_EQ(actor_new(bare, 0, 0, 0)->data, nullptr);
}

TEST_F(ActorTest, NoneAndUnknownCodesHaveNothing)
{
    for (const uint32_t kind : {uint32_t{ACTOR_NONE}, uint32_t{ACTOR_POWERUP_R} + 1, uint32_t{1000}}) {
        const actor *a = actor_new(kind, 3, 4, 5);
        EXPECT_EQ(a->model, nullptr);
        EXPECT_EQ(a->scale, 1.0f);
        EXPECT_EQ(a->data, nullptr);
        // Without a model the extent is the position itself.
        EXPECT_EQ(actor_leftEdge(a), 3);
        EXPECT_EQ(actor_rightEdge(a), 3);
        EXPECT_EQ(actor_bottomEdge(a), 4);
        EXPECT_EQ(actor_topEdge(a), 4);
    }
}

TEST_F(ActorTest, EdgesAreTheScaledBoxAtThePosition)
{
    const actor *enemy = actor_new(ACTOR_ENEMY1, 10, 20, 0); // box +-4, scale 1.5
    EXPECT_FLOAT_EQ(actor_leftEdge(enemy), 4);
    EXPECT_FLOAT_EQ(actor_rightEdge(enemy), 16);
    EXPECT_FLOAT_EQ(actor_bottomEdge(enemy), 14);
    EXPECT_FLOAT_EQ(actor_topEdge(enemy), 26);
    const actor *building = actor_new(ACTOR_BUILDING1, 0, -80, 0); // x +-10, y 0..40
    EXPECT_FLOAT_EQ(actor_bottomEdge(building), -80);
    EXPECT_FLOAT_EQ(actor_topEdge(building), -40);
}

TEST_F(ActorTest, EveryBossResetsTheSharedEnergy)
{
    actor_new(ACTOR_BOSS1, 0, 0, 0);
    EXPECT_EQ(g_boss_energy, 2500);
    g_boss_energy = 40;
    actor_new(ACTOR_BOSS1, 50, 0, 0);
    EXPECT_EQ(g_boss_energy, 2500);
}

// The trail takes its 30 particles' draws first; then shooter, then drop.
TEST_F(ActorTest, Enemy1DrawsShooterThenDropAfterItsTrail)
{
    for (const unsigned seed : {1u, 2u, 3u, 7u, 11u, 42u, 99u, 1234u}) {
        SCOPED_TRACE(seed);
        std::srand(seed);
        ParticleSystem *sample = particle_newCustomSys(0, 0, 0, 30, true, 500, 0, 0, 0.5f, 0.5f, 1);
        particle_freeSys(sample);
        const int shooter1 = std::rand(), drop1 = std::rand();
        sample = particle_newCustomSys(0, 0, 0, 30, true, 500, 0, 0, 0.5f, 0.5f, 1);
        particle_freeSys(sample);
        const int shooter2 = std::rand(), drop2 = std::rand();
        const int after = std::rand();

        std::srand(seed);
        const auto *first = static_cast<const Enemy1Data *>(actor_new(ACTOR_ENEMY1, 0, 0, 0)->data);
        const auto *second = static_cast<const Enemy1Data *>(actor_new(ACTOR_ENEMY1, 0, 0, 0)->data);
        EXPECT_EQ(first->shooter, shooter1 % 3 == 0);
        EXPECT_EQ(first->dropsPowerUpF, (drop1 & 7) == 0);
        EXPECT_EQ(second->shooter, shooter2 % 3 == 0);
        EXPECT_EQ(second->dropsPowerUpF, (drop2 & 7) == 0);
        EXPECT_EQ(std::rand(), after);
        actor_freeAll();
    }
}

TEST_F(ActorTest, Enemy2DrawsOnceForItsDrop)
{
    for (const unsigned seed : {1u, 5u, 8u, 13u, 77u}) {
        std::srand(seed);
        const int drop = std::rand(), after = std::rand();
        std::srand(seed);
        const auto *d = static_cast<const Enemy2Data *>(actor_new(ACTOR_ENEMY2, 0, 0, 0)->data);
        EXPECT_EQ(d->dropsPowerUpR, drop % 3 == 0);
        EXPECT_EQ(std::rand(), after);
    }
}

TEST_F(ActorTest, Enemy1TrailStartsBehindTheUnscaledBoxAndGoesWithIt)
{
    actor *enemy = actor_new(ACTOR_ENEMY1, 100, 20, -100);
    const ParticleSystem *trail = static_cast<const Enemy1Data *>(enemy->data)->trail;
    ASSERT_NE(trail, nullptr);
    EXPECT_EQ(trail->x, 100 + 4 + 8.0f); // max.x 4 of the file, not 6 after the scale
    EXPECT_EQ(trail->y, 20);
    EXPECT_EQ(trail->z, -100);
    EXPECT_EQ(trail->count, 30);
    EXPECT_TRUE(trail->regenerate);
    ASSERT_FALSE(trail->particles.empty());
    EXPECT_EQ(trail->particles[0].xg, 500.0f);
    EXPECT_EQ(trail->particles[0].b, 1.0f);
    EXPECT_EQ(particle_systems().size(), 1u);
    actor_free(enemy);
    EXPECT_TRUE(particle_systems().empty());
}

TEST_F(ActorTest, ListRunsNewestFirst)
{
    actor *a = actor_new(ACTOR_BUILDING1, 0, 0, 0);
    actor *b = actor_new(ACTOR_SHOT, 0, 0, 0);
    actor *c = actor_new(ACTOR_ENEMY2, 0, 0, 0);
    EXPECT_EQ(listed(), (std::vector<actor *>{c, b, a}));
    actor_free(b);
    EXPECT_EQ(listed(), (std::vector<actor *>{c, a}));
    actor_setPosition(a, 7, 8, 9);
    EXPECT_EQ(a->position->x, 7);
    EXPECT_EQ(a->position->z, 9);
}

std::vector<actor *> g_order;
actor *g_spare = nullptr;

TEST_F(ActorTest, IterateGoesOnAfterTheVisitedActorIsFreed)
{
    std::vector<actor *> made;
    for (int i = 0; i < 6; ++i)
        made.push_back(actor_new(ACTOR_SHOT, static_cast<float>(i), 0, 0));
    g_order.clear();
    // Frees every actor at an even x; all six are still visited once, newest first.
    actor_iterate([](actor *a) {
        g_order.push_back(a);
        if (static_cast<int>(a->position->x) % 2 == 0)
            actor_free(a);
    });
    EXPECT_EQ(g_order, (std::vector<actor *>{made[5], made[4], made[3], made[2], made[1], made[0]}));
    EXPECT_EQ(listed(), (std::vector<actor *>{made[5], made[3], made[1]}));
}

TEST_F(ActorTest, IterateFreeingEveryActorEmptiesTheList)
{
    for (int i = 0; i < 1000; ++i)
        actor_new(i % 2 ? ACTOR_ENEMY1 : ACTOR_SHOT, static_cast<float>(i), 0, 0);
    g_order.clear();
    actor_iterate([](actor *a) {
        g_order.push_back(a);
        actor_free(a);
    });
    EXPECT_EQ(g_order.size(), 1000u);
    EXPECT_EQ(actor_count(), 0);
    EXPECT_TRUE(particle_systems().empty()); // the 500 trails went with their enemies
    g_order.clear();
    actor_iterate([](actor *a) { g_order.push_back(a); });
    EXPECT_TRUE(g_order.empty());
}

TEST_F(ActorTest, ActorsMadeDuringIterateWaitForTheNextWalk)
{
    actor *old1 = actor_new(ACTOR_BUILDING1, 0, 0, 0);
    actor *old2 = actor_new(ACTOR_BUILDING1, 0, 0, 0);
    g_order.clear();
    g_spare = nullptr;
    actor_iterate([](actor *a) {
        g_order.push_back(a);
        if (g_spare == nullptr)
            g_spare = actor_new(ACTOR_POWERUP_F, 0, 0, 0);
    });
    EXPECT_EQ(g_order, (std::vector<actor *>{old2, old1}));
    EXPECT_EQ(listed(), (std::vector<actor *>{g_spare, old2, old1}));
}

// A walk that makes and frees many actors at once (run under the address sanitizer).
TEST_F(ActorTest, IterateSurvivesCreatingAndFreeingInBulk)
{
    for (int i = 0; i < 300; ++i)
        actor_new(ACTOR_ENEMY1, static_cast<float>(i), 0, 0);
    actor_iterate([](actor *a) {
        if (a->kind != ACTOR_ENEMY1)
            return;
        for (int i = 0; i < 3; ++i)
            actor_new(ACTOR_ESHOT, a->position->x, 0, 0);
        actor_free(a);
    });
    EXPECT_EQ(actor_count(), 900);
    EXPECT_EQ(countKind(ACTOR_ENEMY1), 0);
    actor_freeAll();
    EXPECT_EQ(actor_count(), 0);
}

} // namespace
