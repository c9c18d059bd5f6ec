// Actor behaviour: motion by the frame interval, the shield countdown, enemy and boss fire,
// rockets' launch and cruise, and the two tests for leaving the playing field.
#include "game_scene.h"

#include <cmath>
#include <cstdlib>

namespace {

using namespace game_test;

class ActorTickTest : public GameTest {
protected:
    static bool isListed(const actor *a)
    {
        for (const actor *listedActor : listed())
            if (listedActor == a)
                return true;
        return false;
    }
    static Enemy1Data *enemy1(actor *a) { return static_cast<Enemy1Data *>(a->data); }
};

TEST_F(ActorTickTest, NothingMovesOrAgesWithoutTime)
{
    actor *enemy1Actor = actor_new(ACTOR_ENEMY1, 50, 10, 0);
    actor *enemy2 = actor_new(ACTOR_ENEMY2, 50, 10, 0);
    actor *boss = actor_new(ACTOR_BOSS1, 50, 0, 0);
    actor *shot = actor_new(ACTOR_SHOT, 0, 0, 0);
    actor *rocket = actor_new(ACTOR_ROCKET_UP, 0, 0, 0);
    actor *eshot = actor_new(ACTOR_ESHOT, 0, 0, 0);
    enemy1(enemy1Actor)->shooter = false;
    tick(0);
    EXPECT_EQ(enemy1Actor->position->x, 50);
    EXPECT_EQ(enemy2->position->x, 50);
    EXPECT_EQ(enemy2->position->y, 10);
    EXPECT_EQ(static_cast<Enemy2Data *>(enemy2->data)->phase, 0);
    EXPECT_EQ(boss->position->y, 0);
    EXPECT_EQ(static_cast<Boss1Data *>(boss->data)->fireTime, 0);
    EXPECT_EQ(shot->position->x, 0);
    EXPECT_EQ(rocket->position->y, 0);
    EXPECT_EQ(static_cast<RocketData *>(rocket->data)->launchTime, 0.2f);
    EXPECT_EQ(eshot->position->x, 0);
    EXPECT_EQ(actor_count(), 6);
}

TEST_F(ActorTickTest, ShotsFlyAndLeaveByTheirPositionMinusTheBox)
{
    actor *shot = actor_new(ACTOR_SHOT, 100, 0, 0);
    tick(0.01f);
    EXPECT_FLOAT_EQ(shot->position->x, 103.5f);
    // x - min.x * s = x + 3: a shot at 106 stays, one at 108 (left edge 105, inside) goes.
    actor *inside = actor_new(ACTOR_SHOT, 106, 0, 0);
    actor *gone = actor_new(ACTOR_SHOT, 108, 0, 0);
    tick(0);
    EXPECT_TRUE(isListed(inside));
    EXPECT_FALSE(isListed(gone));
    // Enemy shots fly left and leave on the left by the same measure.
    actor *eshot = actor_new(ACTOR_ESHOT2, 0, 0, 0);
    tick(0.5f);
    EXPECT_FLOAT_EQ(eshot->position->x, -15);
    actor_new(ACTOR_ESHOT, -112, 0, 0); // e = -109: stays although its left edge is out
    actor_new(ACTOR_ESHOT, -114, 0, 0); // e = -111: goes
    tick(0);
    EXPECT_EQ(countKind(ACTOR_ESHOT), 1);
}

TEST_F(ActorTickTest, LeavingIsMeasuredFromTheCamera)
{
    camera_setPosition(g_camera, 500, 0, 100, 500, 0, 0, 0, 1, 0);
    actor *shot = actor_new(ACTOR_SHOT, 400, 0, 0);
    actor *enemy = actor_new(ACTOR_ENEMY2, 386, 0, 0); // right edge 390.5, field from 390
    actor *powerUp = actor_new(ACTOR_POWERUP_F, 388, 0, 0); // right edge 390.8
    tick(0);
    EXPECT_TRUE(isListed(shot));
    EXPECT_TRUE(isListed(enemy));
    EXPECT_TRUE(isListed(powerUp));
    tick(1); // enemy2's right edge 389.5: passed out
    EXPECT_FALSE(isListed(enemy));
    actor_setPosition(powerUp, 387.1f, 0, 0); // right edge 389.9
    tick(0);
    EXPECT_FALSE(isListed(powerUp));
}

TEST_F(ActorTickTest, EnemiesAndPowerUpsRightOfTheFieldStay)
{
    actor_new(ACTOR_ENEMY1, 5000, 0, 0);
    actor_new(ACTOR_ENEMY2, 5000, 0, 0);
    actor_new(ACTOR_POWERUP_R, 5000, 0, 0);
    actor_new(ACTOR_BUILDING2, -5000, 0, 0);
    actor_new(ACTOR_BOSS1, -5000, 0, 0);
    tick(0.1f);
    EXPECT_EQ(countKind(ACTOR_ENEMY1), 1);
    EXPECT_EQ(countKind(ACTOR_ENEMY2), 1);
    EXPECT_EQ(countKind(ACTOR_POWERUP_R), 1);
    EXPECT_EQ(countKind(ACTOR_BUILDING2), 1);
    EXPECT_EQ(countKind(ACTOR_BOSS1), 1);
}

TEST_F(ActorTickTest, Enemy1DriftsWithItsTrailAndPassesOutOnTheLeft)
{
    actor *enemy = actor_new(ACTOR_ENEMY1, -100, 0, 0);
    enemy1(enemy)->shooter = false;
    const ParticleSystem *trail = enemy1(enemy)->trail;
    const float trailX = trail->x;
    tick(2);
    EXPECT_FLOAT_EQ(enemy->position->x, -102);
    EXPECT_FLOAT_EQ(trail->x, trailX - 2);
    tick(13.9f); // right edge -109.9: still in
    EXPECT_TRUE(isListed(enemy));
    tick(0.2f); // right edge -110.1: gone, trail too
    EXPECT_EQ(actor_count(), 0);
    EXPECT_TRUE(particle_systems().empty());
}

TEST_F(ActorTickTest, ShooterFiresOnceFromItsLeftEdgeWhenInsideTheField)
{
    // x - min.x * s = x + 6 must fall below 85.
    actor *near = actor_new(ACTOR_ENEMY1, 78, 5, -100);
    actor *far = actor_new(ACTOR_ENEMY1, 80, 7, -100);
    actor *quiet = actor_new(ACTOR_ENEMY1, 0, 0, 0);
    enemy1(near)->shooter = true;
    enemy1(far)->shooter = true;
    enemy1(quiet)->shooter = false;

    tick(0);
    ASSERT_EQ(countKind(ACTOR_ESHOT), 1);
    const actor *shot = listed().front();
    EXPECT_EQ(shot->kind, ACTOR_ESHOT);
    EXPECT_FLOAT_EQ(shot->position->x, 72);
    EXPECT_EQ(shot->position->y, 5);
    EXPECT_EQ(shot->position->z, -100);
    EXPECT_FALSE(enemy1(near)->shooter);
    EXPECT_TRUE(enemy1(far)->shooter);

    tick(1); // far at 79: 85 is not below 85
    EXPECT_EQ(countKind(ACTOR_ESHOT), 1);
    tick(1); // far at 78
    EXPECT_EQ(countKind(ACTOR_ESHOT), 2);
    for (int i = 0; i < 20; ++i)
        tick(0.1f);
    EXPECT_EQ(countKind(ACTOR_ESHOT), 2);
    EXPECT_FALSE(enemy1(far)->shooter);
}

TEST_F(ActorTickTest, Enemy2BobsAndBanksAroundItsCreationHeight)
{
    actor *enemy = actor_new(ACTOR_ENEMY2, 0, 10, 0);
    float phase = 0;
    for (int i = 0; i < 40; ++i) {
        const float dt = 0.05f + 0.03f * static_cast<float>(i % 7);
        tick(dt);
        phase += dt;
        EXPECT_FLOAT_EQ(static_cast<Enemy2Data *>(enemy->data)->phase, phase);
        EXPECT_NEAR(enemy->position->y, 10 + 15 * std::sin(phase), 1e-4);
        EXPECT_NEAR(enemy->rotation->x, 20 * std::sin(phase), 1e-4);
        EXPECT_GE(enemy->position->y, -5.0f);
        EXPECT_LE(enemy->position->y, 25.0f);
    }
    EXPECT_NEAR(enemy->position->x, -phase, 1e-4);
    EXPECT_EQ(static_cast<Enemy2Data *>(enemy->data)->baseY, 10);
}

TEST_F(ActorTickTest, BossBobsAndDrawsOnceEveryHalfSecond)
{
    for (const unsigned seed : {3u, 8u, 21u}) {
        SCOPED_TRACE(seed);
        actor_freeAll();
        std::srand(seed);
        int evens = 0;
        for (int i = 0; i < 5; ++i)
            evens += std::rand() % 2 == 0;
        const int after = std::rand();

        std::srand(seed);
        actor *boss = actor_new(ACTOR_BOSS1, 0, 40, -100);
        for (int i = 0; i < 10; ++i) // 2.5 s in quarters: draws at 0.5, 1.0, ... 2.5
            tick(0.25f);
        EXPECT_NEAR(boss->position->y, 30 * std::sin(2.5f), 1e-4);
        EXPECT_EQ(boss->position->x, 0);
        EXPECT_EQ(countKind(ACTOR_ESHOT2), evens);
        EXPECT_EQ(std::rand(), after);
    }
}

TEST_F(ActorTickTest, BossFiresOncePerPassHoweverLongThePass)
{
    std::srand(5);
    std::rand();
    std::rand();
    const int after = std::rand();
    std::srand(5);
    actor_new(ACTOR_BOSS1, 0, 0, 0);
    tick(2); // four half-seconds, one draw
    tick(2);
    EXPECT_EQ(std::rand(), after);
}

TEST_F(ActorTickTest, BossShotsFromBeyondTheFieldVanishOnTheirFirstPass)
{
    std::srand(1);
    actor *boss = actor_new(ACTOR_BOSS1, 300, 0, 0);
    int made = 0;
    for (int i = 0; i < 40; ++i) {
        tick(0.5f);
        made += countKind(ACTOR_ESHOT2);
        if (countKind(ACTOR_ESHOT2) > 0) {
            EXPECT_FLOAT_EQ(listed().front()->position->x, 277); // left edge of the boss
            tick(0);
            EXPECT_EQ(countKind(ACTOR_ESHOT2), 0);
        }
    }
    EXPECT_GT(made, 0);
    EXPECT_EQ(boss->position->x, 300);
}

TEST_F(ActorTickTest, RocketsSpreadAndKeepPaceThenCruise)
{
    actor *down = actor_new(ACTOR_ROCKET_DOWN, 0, 0, 0);
    actor *up = actor_new(ACTOR_ROCKET_UP, 0, 0, 0);
    tick(0.15f); // launch: 40 units/s vertically, 50 forward (the camera's speed), camera still
    EXPECT_FLOAT_EQ(down->position->y, -6);
    EXPECT_FLOAT_EQ(up->position->y, 6);
    EXPECT_FLOAT_EQ(down->position->x, 7.5f);
    EXPECT_FLOAT_EQ(up->position->x, 7.5f);
    tick(0.15f); // launch time used up: cruise at 200 units/s, no vertical motion
    EXPECT_FLOAT_EQ(down->position->y, -6);
    EXPECT_FLOAT_EQ(up->position->y, 6);
    EXPECT_FLOAT_EQ(down->position->x, 37.5f);
}

TEST_F(ActorTickTest, RocketsLeaveOnlyWhenCruising)
{
    actor *rocket = actor_new(ACTOR_ROCKET_UP, 500, 0, 0);
    tick(0.1f);
    EXPECT_TRUE(isListed(rocket));
    tick(0.15f);
    EXPECT_EQ(actor_count(), 0);
}

TEST_F(ActorTickTest, ShieldRunsDownUntilItsTimeIsBelowZero)
{
    actor *ship = actor_new(ACTOR_PLAYER, 0, 0, 0);
    auto *d = static_cast<PlayerData *>(ship->data);
    d->shieldTime = 3.0f;
    g_player_shield->active = true;
    for (int i = 0; i < 3; ++i)
        tick(1);
    EXPECT_EQ(d->shieldTime, 0);
    EXPECT_TRUE(g_player_shield->active);
    tick(0.001f);
    EXPECT_EQ(d->shieldTime, 0);
    EXPECT_FALSE(g_player_shield->active);
    EXPECT_EQ(ship->position->x, 0); // the ship's own motion is the game task's
}

TEST_F(ActorTickTest, EachShipRunsDownItsOwnShield)
{
    actor *second = actor_new(ACTOR_PLAYER2, 0, 0, 0);
    static_cast<PlayerData *>(second->data)->shieldTime = 0.5f;
    g_player_shield->active = true;
    g_player2_shield->active = true;
    tick(1);
    EXPECT_FALSE(g_player2_shield->active);
    EXPECT_TRUE(g_player_shield->active);
}

// An actor whose model failed to load is an empty box at its position.
TEST_F(ActorTickTest, ActorWithoutModelIsMeasuredAtItsPosition)
{
    actor *enemy = actor_new(ACTOR_ENEMY1, -109, 0, 0);
    enemy1(enemy)->shooter = true;
    enemy->model = nullptr;
    actor *shot = actor_new(ACTOR_SHOT, 109, 0, 0);
    shot->model = nullptr;
    tick(0);
    EXPECT_TRUE(isListed(enemy)); // with its box it would reach -103; without, -109 is inside
    EXPECT_TRUE(isListed(shot));  // with its box e would be 112
    EXPECT_EQ(countKind(ACTOR_ESHOT), 1);
    EXPECT_FLOAT_EQ(listed().front()->position->x, -109);
    tick(2); // both cross an edge
    EXPECT_FALSE(isListed(enemy));
    EXPECT_FALSE(isListed(shot));
}

} // namespace
