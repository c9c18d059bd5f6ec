// Collisions: the box test and the pass's rules -- enemies destroyed with score, bursts,
// explosions and power-ups, ships hit (shields, the life pool, game over), the boss worn down
// and the game won, power-ups collected, all in newest-first order with removed actors out of
// the rest of the pass.
#include "game_scene.h"

#include <functional>
#include <string>

namespace {

using namespace game_test;

class ActorCollideTest : public GameTest {
protected:
    // ENEMY1 that neither shoots nor drops unless told (box +-6).
    static actor *enemy1(float x, float y, bool drops = false)
    {
        actor *a = actor_new(ACTOR_ENEMY1, x, y, -100);
        auto *d = static_cast<Enemy1Data *>(a->data);
        d->shooter = false;
        d->dropsPowerUpF = drops;
        return a;
    }
    static actor *enemy2(float x, float y, bool drops = false)
    {
        actor *a = actor_new(ACTOR_ENEMY2, x, y, -100);
        static_cast<Enemy2Data *>(a->data)->dropsPowerUpR = drops;
        return a;
    }
    static bool isListed(const actor *a)
    {
        for (const actor *listedActor : listed())
            if (listedActor == a)
                return true;
        return false;
    }
    // Sounds played during fn: every sound handle is empty in the tests, so each attempt to
    // play one reports a line.
    static int soundsDuring(const std::function<void()> &fn)
    {
        testing::internal::CaptureStderr();
        fn();
        const std::string text = testing::internal::GetCapturedStderr();
        int count = 0;
        for (size_t at = text.find("NULL pointer Sound"); at != std::string::npos;
             at = text.find("NULL pointer Sound", at + 1))
            ++count;
        return count;
    }
    // The bursts in the particle list (enemies' trails excluded).
    static std::vector<ParticleSystem *> bursts()
    {
        std::vector<ParticleSystem *> found;
        for (ParticleSystem *system : particle_systems())
            if (!system->regenerate)
                found.push_back(system);
        return found;
    }
    static void expectExplosion(const Explosion *e, int kind, float x, float y, float z)
    {
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->kind, kind);
        EXPECT_FLOAT_EQ(e->x, x);
        EXPECT_FLOAT_EQ(e->y, y);
        EXPECT_FLOAT_EQ(e->z, z);
    }
    static PlayerData *ship(actor *a) { return static_cast<PlayerData *>(a->data); }
};

// ---- the box test ----

TEST_F(ActorCollideTest, BoxesOverlapOnTheXYPlaneAndTouchingEdgesCollide)
{
    const actor *shot = actor_new(ACTOR_SHOT, 0, 0, -100); // x +-3, y +-1.5
    actor *enemy = enemy1(9, 0);                            // left edge 3: touching
    EXPECT_TRUE(actor_collide(shot, enemy));
    EXPECT_TRUE(actor_collide(enemy, shot));
    actor_setPosition(enemy, 9.01f, 0, -100);
    EXPECT_FALSE(actor_collide(shot, enemy));
    EXPECT_FALSE(actor_collide(enemy, shot));
    actor_setPosition(enemy, -9, 0, 500); // touching on the other side, far away in z
    EXPECT_TRUE(actor_collide(shot, enemy));
    actor_setPosition(enemy, 0, 7.5f, -100); // bottom edge on the shot's top edge
    EXPECT_TRUE(actor_collide(shot, enemy));
    EXPECT_TRUE(actor_collide(enemy, shot));
    actor_setPosition(enemy, 0, -7.51f, -100);
    EXPECT_FALSE(actor_collide(shot, enemy));
    EXPECT_FALSE(actor_collide(enemy, shot));
    EXPECT_TRUE(actor_collide(shot, shot));
}

TEST_F(ActorCollideTest, ActorWithoutModelIsAPointAtItsPosition)
{
    const actor *shot = actor_new(ACTOR_SHOT, 0, 0, 0);
    actor *bare = actor_new(ACTOR_NONE, 3, 1.5f, 0); // on the shot's corner
    EXPECT_TRUE(actor_collide(shot, bare));
    EXPECT_TRUE(actor_collide(bare, shot));
    EXPECT_TRUE(actor_collide(bare, bare));
    actor_setPosition(bare, 3.01f, 0, 0);
    EXPECT_FALSE(actor_collide(shot, bare));
    // An enemy whose model failed to load is still hit where it stands.
    actor *enemy = enemy1(2, 0);
    enemy->model = nullptr;
    actor_collideAll();
    EXPECT_EQ(g_score, enemy1_score);
}

// ---- enemies destroyed ----

TEST_F(ActorCollideTest, BulletDestroysEnemy1WithScoreSoundBurstAndExplosion)
{
    enemy1(50, 20);
    actor_new(ACTOR_SHOT, 47, 21, -100);
    EXPECT_EQ(soundsDuring(actor_collideAll), 1);
    EXPECT_EQ(g_score, 500);
    EXPECT_EQ(actor_count(), 0);
    const auto explosions = explosion_list();
    ASSERT_EQ(explosions.size(), 1u);
    expectExplosion(explosions[0], 0, 50, 20, -100);
    // The burst is the only particle system left: the enemy's trail went with it.
    ASSERT_EQ(particle_systems().size(), 1u);
    const ParticleSystem *burst = particle_systems()[0];
    EXPECT_FALSE(burst->regenerate);
    EXPECT_EQ(burst->count, 50);
    EXPECT_EQ(burst->x, 50);
    EXPECT_EQ(burst->y, 20);
    EXPECT_EQ(burst->z, -100);
}

TEST_F(ActorCollideTest, DestroyedEnemiesDropTheirPowerUpWhereTheyStood)
{
    enemy1(50, 20, true);
    actor_new(ACTOR_SHOT, 50, 20, -100);
    actor_collideAll();
    ASSERT_EQ(listedKinds(), std::vector<uint32_t>{ACTOR_POWERUP_F});
    const actor *powerUp = listed()[0];
    EXPECT_EQ(powerUp->position->x, 50);
    EXPECT_EQ(powerUp->position->y, 20);
    EXPECT_EQ(powerUp->position->z, -100);

    actor_freeAll();
    enemy2(-30, 5, true);
    actor_new(ACTOR_ROCKET_UP, -30, 5, -100);
    actor_collideAll();
    EXPECT_EQ(g_score, 500 + 1250);
    EXPECT_EQ(listedKinds(), std::vector<uint32_t>{ACTOR_POWERUP_R});
    expectExplosion(explosion_list()[0], 1, -30, 5, -100);
}

TEST_F(ActorCollideTest, RocketsDestroyEnemiesLikeBullets)
{
    enemy1(0, 0);
    enemy2(100, 0);
    actor_new(ACTOR_ROCKET_DOWN, 0, 0, -100);
    actor_new(ACTOR_ROCKET_UP, 100, 0, -100);
    actor_collideAll();
    EXPECT_EQ(g_score, 500 + 1250);
    EXPECT_EQ(actor_count(), 0);
}

TEST_F(ActorCollideTest, OneBulletTouchingTwoEnemiesDestroysTheNewerOnly)
{
    actor *shot = actor_new(ACTOR_SHOT, 0, 0, -100);
    actor *older = enemy1(-4, 0);
    actor *newer = enemy1(4, 0);
    actor_collideAll();
    EXPECT_EQ(g_score, 500);
    EXPECT_TRUE(isListed(older));
    EXPECT_FALSE(isListed(newer));
    EXPECT_FALSE(isListed(shot));
}

TEST_F(ActorCollideTest, TwoBulletsOnOneEnemySpendTheNewerBullet)
{
    actor *enemy = enemy2(0, 0);
    actor *older = actor_new(ACTOR_SHOT, -2, 0, -100);
    actor *newer = actor_new(ACTOR_SHOT, 2, 0, -100);
    actor_collideAll();
    EXPECT_FALSE(isListed(enemy));
    EXPECT_FALSE(isListed(newer));
    EXPECT_TRUE(isListed(older));
    EXPECT_EQ(g_score, 1250);
}

TEST_F(ActorCollideTest, ShotsAndShipsPassThroughBuildingsAndTheBossBody)
{
    actor_new(ACTOR_BUILDING1, 0, -10, -100); // x -10..10, y -10..30
    actor_new(ACTOR_BUILDING2, 0, -10, -100); // x -15..15, y -10..50
    actor_new(ACTOR_SHOT, 0, 0, -100);
    actor_new(ACTOR_ROCKET_UP, 0, 5, -100);
    actor_new(ACTOR_ESHOT, 0, 10, -100);
    actor_new(ACTOR_PLAYER, 0, 20, -100); // y 17..23
    actor_new(ACTOR_BOSS1, 20, 40, -100); // x -3..43, y 17..63: touches the ship, not the shots
    const int before = actor_count();
    EXPECT_EQ(soundsDuring(actor_collideAll), 0);
    EXPECT_EQ(actor_count(), before);
    EXPECT_EQ(g_lifes, 5);
    EXPECT_EQ(g_boss_energy, 2500);
}

TEST_F(ActorCollideTest, EnemyShotsDoNotHitEnemiesAndShotsDoNotHitShips)
{
    enemy1(0, 0);
    enemy2(0, 0);
    actor_new(ACTOR_ESHOT, 0, 0, -100);
    actor_new(ACTOR_ESHOT2, 0, 0, -100);
    actor_new(ACTOR_BUILDING1, 0, 0, -100);
    actor_new(ACTOR_POWERUP_F, 0, 0, -100);
    actor_new(ACTOR_PLAYER, 50, 0, -100);
    actor_new(ACTOR_SHOT, 50, 0, -100);
    actor_new(ACTOR_ROCKET_DOWN, 50, 0, -100);
    actor_new(ACTOR_PLAYER2, 50, 0, -100); // the ships fly through each other
    const int before = actor_count();
    EXPECT_EQ(soundsDuring(actor_collideAll), 0);
    EXPECT_EQ(actor_count(), before);
    EXPECT_EQ(g_score, 0);
    EXPECT_EQ(g_lifes, 5);
}

// ---- ships hit ----

TEST_F(ActorCollideTest, ShipHitCostsALifeAndRaisesTheShield)
{
    actor *player = actor_new(ACTOR_PLAYER, 0, 0, -100);
    actor *enemy = enemy1(8, 2);
    EXPECT_EQ(soundsDuring(actor_collideAll), 1);
    EXPECT_EQ(g_lifes, 4);
    EXPECT_EQ(g_score, 0); // ramming scores nothing
    EXPECT_EQ(ship(player)->shieldTime, 3.0f);
    EXPECT_TRUE(g_player_shield->active);
    EXPECT_FALSE(isListed(enemy));
    EXPECT_TRUE(isListed(player));
    ASSERT_EQ(explosion_list().size(), 1u);
    expectExplosion(explosion_list()[0], 0, 8, 2, -100);
    ASSERT_EQ(bursts().size(), 1u);
    EXPECT_EQ(bursts()[0]->x, 8);
    EXPECT_EQ(bursts()[0]->count, 50);
    EXPECT_EQ(gamestate, GAMESTATE_SCROLLING);
}

TEST_F(ActorCollideTest, ExplosionKindFollowsWhatHitTheShip)
{
    const struct {
        uint32_t kind;
        int explosion;
    } cases[] = {{ACTOR_ENEMY1, 0}, {ACTOR_ENEMY2, 1}, {ACTOR_ESHOT, 2}, {ACTOR_ESHOT2, 2}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.kind);
        actor_freeAll();
        clearEffects();
        g_player_shield->active = false;
        actor_new(ACTOR_PLAYER, 0, 0, -100);
        actor_new(c.kind, 1, 1, -90);
        actor_collideAll();
        ASSERT_EQ(explosion_list().size(), 1u);
        expectExplosion(explosion_list()[0], c.explosion, 1, 1, -90);
        EXPECT_EQ(countKind(c.kind), 0);
    }
    EXPECT_EQ(g_lifes, 1);
}

TEST_F(ActorCollideTest, ActiveShieldAbsorbsEveryHitOfThePass)
{
    actor_new(ACTOR_PLAYER, 0, 0, -100);
    enemy1(3, 0);
    enemy2(-3, 0);
    g_player_shield->active = true;
    EXPECT_EQ(soundsDuring(actor_collideAll), 2);
    EXPECT_EQ(g_lifes, 5);
    EXPECT_EQ(g_score, 0);
    EXPECT_EQ(actor_count(), 1);
    EXPECT_EQ(explosion_list().size(), 2u);
}

TEST_F(ActorCollideTest, ShieldRaisedByAHitAbsorbsTheNextInTheSamePass)
{
    actor_new(ACTOR_PLAYER, 0, 0, -100);
    actor_new(ACTOR_ESHOT, 1, 0, -100);
    actor_new(ACTOR_ESHOT2, -1, 0, -100);
    actor_collideAll();
    EXPECT_EQ(g_lifes, 4);
    EXPECT_EQ(actor_count(), 1);
}

TEST_F(ActorCollideTest, LastLifeEndsTheGameAndTheShipStays)
{
    g_lifes = 1;
    actor *player = actor_new(ACTOR_PLAYER, 10, 20, -100);
    enemy2(12, 20);
    actor_collideAll();
    EXPECT_EQ(g_lifes, 0);
    EXPECT_EQ(gamestate, GAMESTATE_GAMEOVER);
    EXPECT_TRUE(isListed(player));
    EXPECT_FALSE(g_player_shield->active);
    const auto explosions = explosion_list();
    ASSERT_EQ(explosions.size(), 2u);
    expectExplosion(explosions[0], 3, 10, 20, -100); // at the ship, after the enemy's
    expectExplosion(explosions[1], 1, 12, 20, -100);
}

// The pass runs on after a game over; a further hit must not count lives below zero.
TEST_F(ActorCollideTest, LifePoolNeverGoesBelowZero)
{
    g_lifes = 1;
    actor_new(ACTOR_PLAYER, 0, 0, -100);
    enemy1(2, 0);
    enemy1(-2, 0);
    actor_collideAll();
    EXPECT_EQ(g_lifes, 0);
    EXPECT_EQ(gamestate, GAMESTATE_GAMEOVER);
    EXPECT_EQ(countKind(ACTOR_ENEMY1), 0);
}

TEST_F(ActorCollideTest, BothShipsDrawOnTheOnePoolWithTheirOwnShields)
{
    actor *first = actor_new(ACTOR_PLAYER, 0, 0, -100);
    actor *second = actor_new(ACTOR_PLAYER2, 0, -50, -100);
    enemy1(0, -50);
    actor_collideAll();
    EXPECT_EQ(g_lifes, 4);
    EXPECT_TRUE(g_player2_shield->active);
    EXPECT_FALSE(g_player_shield->active);
    EXPECT_EQ(ship(second)->shieldTime, 3.0f);
    EXPECT_EQ(ship(first)->shieldTime, 2.0f);
    enemy1(0, 0);
    enemy1(0, -50); // absorbed by the second ship's shield
    actor_collideAll();
    EXPECT_EQ(g_lifes, 3);
    EXPECT_TRUE(g_player_shield->active);
}

TEST_F(ActorCollideTest, InvincibleShipsAreNotHitButStillCollect)
{
    g_invincible = true;
    actor_new(ACTOR_PLAYER, 0, 0, -100);
    enemy1(0, 0);
    actor_new(ACTOR_ESHOT, 0, 0, -100);
    actor_new(ACTOR_POWERUP_R, 0, 0, -100);
    actor_collideAll();
    EXPECT_EQ(g_lifes, 5);
    EXPECT_EQ(countKind(ACTOR_ENEMY1), 1);
    EXPECT_EQ(countKind(ACTOR_ESHOT), 1);
    EXPECT_EQ(countKind(ACTOR_POWERUP_R), 0);
    EXPECT_EQ(g_rocket_count, 1);
}

// ---- power-ups ----

TEST_F(ActorCollideTest, FireRatePowerUpsStopAt150)
{
    actor_new(ACTOR_PLAYER, 0, 0, -100);
    for (int i = 0; i < 4; ++i)
        actor_new(ACTOR_POWERUP_F, static_cast<float>(i), 0, -100);
    EXPECT_EQ(soundsDuring(actor_collideAll), 4);
    EXPECT_EQ(bulletInterval, 150);
    EXPECT_EQ(actor_count(), 1);
    actor_new(ACTOR_POWERUP_F, 0, 0, -100);
    actor_collideAll();
    EXPECT_EQ(bulletInterval, 150);
    bulletInterval = 175; // 125 would be below the floor
    actor_new(ACTOR_POWERUP_F, 0, 0, -100);
    actor_collideAll();
    EXPECT_EQ(bulletInterval, 150);
    bulletInterval = 200;
    actor_new(ACTOR_POWERUP_F, 0, 0, -100);
    actor_collideAll();
    EXPECT_EQ(bulletInterval, 150);
}

TEST_F(ActorCollideTest, RocketPowerUpsAddOneRocketEach)
{
    actor_new(ACTOR_PLAYER, 0, 0, -100);
    actor_new(ACTOR_POWERUP_R, 1, 0, -100);
    actor_new(ACTOR_POWERUP_R, -1, 0, -100);
    actor_collideAll();
    EXPECT_EQ(g_rocket_count, 2);
    EXPECT_EQ(bulletInterval, 350);
}

// The outer loop does not reach a power-up made in the pass, but every later inner loop does.
TEST_F(ActorCollideTest, PowerUpMadeInThePassGoesToAShipVisitedLater)
{
    g_invincible = true; // the ship overlaps the enemy too
    actor_new(ACTOR_PLAYER, 0, 0, -100);
    enemy1(0, 0, true);
    actor_new(ACTOR_SHOT, 0, 0, -100);
    actor_collideAll();
    EXPECT_EQ(bulletInterval, 300);
    EXPECT_EQ(listedKinds(), std::vector<uint32_t>{ACTOR_PLAYER});
}

TEST_F(ActorCollideTest, ShipVisitedBeforeTheDropCollectsItNextPass)
{
    g_invincible = true;
    enemy1(0, 0, true);
    actor_new(ACTOR_SHOT, 0, 0, -100);
    actor_new(ACTOR_PLAYER, 0, 0, -100);
    actor_collideAll();
    EXPECT_EQ(bulletInterval, 350);
    EXPECT_EQ(countKind(ACTOR_POWERUP_F), 1);
    actor_collideAll();
    EXPECT_EQ(bulletInterval, 300);
    EXPECT_EQ(countKind(ACTOR_POWERUP_F), 0);
}

// ---- the boss ----

TEST_F(ActorCollideTest, Boss84BulletsOr23RocketsOr22RocketsAnd3Bullets)
{
    const struct {
        int bullets, rockets, energyBefore;
    } cases[] = {{83, 0, 10}, {0, 22, 80}, {3, 21, 80 + 110 - 90}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bullets * 100 + c.rockets);
        actor_freeAll();
        clearEffects();
        gamestate = GAMESTATE_BOSS;
        g_score = 0;
        actor *boss = actor_new(ACTOR_BOSS1, 100, 0, -100);
        for (int i = 0; i < c.bullets; ++i)
            actor_new(ACTOR_SHOT, 80, static_cast<float>(i % 40) - 20, -100);
        for (int i = 0; i < c.rockets; ++i)
            actor_new(i % 2 ? ACTOR_ROCKET_UP : ACTOR_ROCKET_DOWN, 80, static_cast<float>(i) - 10, -100);
        // A hit that leaves the boss alive makes no sound, explosion or burst.
        EXPECT_EQ(soundsDuring(actor_collideAll), 0);
        EXPECT_EQ(g_boss_energy, c.energyBefore);
        EXPECT_EQ(actor_count(), 1);
        EXPECT_TRUE(explosion_list().empty());
        EXPECT_TRUE(particle_systems().empty());
        EXPECT_EQ(gamestate, GAMESTATE_BOSS);

        actor_new(c.rockets > 0 ? ACTOR_ROCKET_UP : ACTOR_SHOT, 100, 0, -100);
        EXPECT_EQ(soundsDuring(actor_collideAll), 1);
        EXPECT_EQ(g_boss_energy, 0);
        EXPECT_EQ(gamestate, GAMESTATE_WON);
        EXPECT_EQ(g_score, boss1_score);
        EXPECT_FALSE(isListed(boss));
        EXPECT_EQ(actor_count(), 0);
    }
}

TEST_F(ActorCollideTest, BossFallsWithFourExplosionsAndLaterShotsFlyOn)
{
    gamestate = GAMESTATE_BOSS;
    actor_new(ACTOR_BOSS1, 100, 10, -100);
    g_boss_energy = 60;
    for (int i = 0; i < 5; ++i)
        actor_new(ACTOR_SHOT, 100, 0, -100);
    actor_collideAll();
    EXPECT_EQ(gamestate, GAMESTATE_WON);
    EXPECT_EQ(g_boss_energy, 0);
    EXPECT_EQ(countKind(ACTOR_SHOT), 3); // the two newest were spent, the others find no boss
    const auto explosions = explosion_list();
    ASSERT_EQ(explosions.size(), 4u);
    expectExplosion(explosions[3], 3, 100, 10, -100);
    expectExplosion(explosions[2], 0, 115, 6, -100);
    expectExplosion(explosions[1], 0, 95, 0, -100);
    expectExplosion(explosions[0], 1, 86, 25, -100);
    EXPECT_TRUE(particle_systems().empty());
}

TEST_F(ActorCollideTest, BothRocketsOfAPairCountOnTheirOwn)
{
    actor_new(ACTOR_BOSS1, 0, 0, -100);
    actor_new(ACTOR_ROCKET_DOWN, 0, -8, -100);
    actor_new(ACTOR_ROCKET_UP, 0, 8, -100);
    actor_collideAll();
    EXPECT_EQ(g_boss_energy, 2500 - 220);
}

TEST_F(ActorCollideTest, SpentEnergyFellsAnyOtherBossAtOnce)
{
    actor_new(ACTOR_BOSS1, 0, 0, -100);
    actor *second = actor_new(ACTOR_BOSS1, 300, 0, -100);
    g_boss_energy = 0;
    gamestate = GAMESTATE_WON;
    actor_new(ACTOR_SHOT, 300, 0, -100);
    actor_collideAll();
    EXPECT_FALSE(isListed(second));
    EXPECT_EQ(g_score, boss1_score);
    EXPECT_EQ(explosion_list().size(), 4u);
    EXPECT_EQ(countKind(ACTOR_BOSS1), 1);
}

// ---- lost and won in one pass ----

TEST_F(ActorCollideTest, WinAfterGameOverInTheSamePassStands)
{
    g_lifes = 1;
    g_boss_energy = 30;
    actor_new(ACTOR_BOSS1, 0, 0, -100);
    actor_new(ACTOR_SHOT, 0, 0, -100);
    enemy1(200, 0);
    actor_new(ACTOR_PLAYER, 200, 0, -100); // newest: its hit comes first
    g_boss_energy = 30;
    actor_collideAll();
    EXPECT_EQ(g_lifes, 0);
    EXPECT_EQ(gamestate, GAMESTATE_WON);
}

TEST_F(ActorCollideTest, NoShipIsHitOnceTheGameIsWon)
{
    g_lifes = 1;
    enemy1(200, 0);
    actor_new(ACTOR_PLAYER, 200, 0, -100); // older than the winning shot: visited after it
    actor_new(ACTOR_BOSS1, 0, 0, -100);
    actor_new(ACTOR_SHOT, 0, 0, -100);
    g_boss_energy = 30;
    actor_collideAll();
    EXPECT_EQ(g_lifes, 1);
    EXPECT_EQ(gamestate, GAMESTATE_WON);
    EXPECT_EQ(countKind(ACTOR_ENEMY1), 1);
}

// ---- many removals in one pass (run under the address sanitizer) ----

TEST_F(ActorCollideTest, HundredBulletsDestroyHundredEnemiesNewestFirst)
{
    std::vector<actor *> enemies;
    for (int i = 0; i < 100; ++i)
        enemies.push_back(enemy1(0, 0, true));
    for (int i = 0; i < 100; ++i)
        actor_new(ACTOR_SHOT, 0, 0, -100);
    actor_collideAll();
    EXPECT_EQ(g_score, 100 * enemy1_score);
    EXPECT_EQ(countKind(ACTOR_SHOT), 0);
    EXPECT_EQ(countKind(ACTOR_ENEMY1), 0);
    EXPECT_EQ(countKind(ACTOR_POWERUP_F), 100);
    EXPECT_EQ(explosion_list().size(), 100u);
    EXPECT_EQ(bursts().size(), 100u);
}

TEST_F(ActorCollideTest, CrowdedPassKeepsItsBooks)
{
    g_lifes = 1000;
    std::srand(7);
    for (int i = 0; i < 400; ++i) {
        const float x = static_cast<float>(std::rand() % 60), y = static_cast<float>(std::rand() % 40);
        switch (i % 5) {
        case 0:
            enemy1(x, y, i % 3 == 0);
            break;
        case 1:
            enemy2(x, y, i % 2 == 0);
            break;
        case 2:
            actor_new(ACTOR_SHOT, x, y, -100);
            break;
        case 3:
            actor_new(i % 2 ? ACTOR_PLAYER : ACTOR_ESHOT, x, y, -100);
            break;
        default:
            actor_new(ACTOR_ROCKET_UP, x, y, -100);
            break;
        }
    }
    const int enemiesBefore = countKind(ACTOR_ENEMY1) + countKind(ACTOR_ENEMY2);
    const int shotsBefore = countKind(ACTOR_SHOT) + countKind(ACTOR_ROCKET_UP);
    actor_collideAll();
    const int enemiesAfter = countKind(ACTOR_ENEMY1) + countKind(ACTOR_ENEMY2);
    const int shotsAfter = countKind(ACTOR_SHOT) + countKind(ACTOR_ROCKET_UP);
    const int destroyedByShots = shotsBefore - shotsAfter;
    EXPECT_GT(destroyedByShots, 0);
    EXPECT_LE(destroyedByShots, enemiesBefore - enemiesAfter); // the rest were rammed
    EXPECT_EQ(countKind(ACTOR_PLAYER), 40);
    actor_collideAll(); // a second pass over what is left
    tick(0.1f);
}

} // namespace
