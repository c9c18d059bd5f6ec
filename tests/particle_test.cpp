// Particle systems: how they are made (the order of the random draws included), how the
// drawing pass advances them, when bursts retire, and that freeing is safe.
#include "graphics/particle.h"
#include "support/test_support.h"
#include "tasks/task_timer.h"

#include <GL/gl.h>
#include <array>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class ParticleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test_startVideo(320, 240));
        testing::internal::CaptureStderr(); // the missing particle image's message
        particle_init();
        testing::internal::GetCapturedStderr();
        g_frameInterval = 0.1f;
    }
    void TearDown() override
    {
        for (ParticleSystem *system : particle_systems())
            particle_freeSys(system);
        test_stopVideo();
    }
};

float nextFade()
{
    return static_cast<float>(std::rand() % 10 + 1);
}
float nextSpeed()
{
    return static_cast<float>(std::rand() % 50 - 25);
}

TEST_F(ParticleTest, NewParticlesDrawFadeThenVelocityInIndexOrderAndStartAtTheOrigin)
{
    std::srand(1234);
    ParticleSystem *system = particle_newCustomSys(1, 2, 3, 4, false, 0.5f, -2, 0.25f, 0.1f, 0.2f, 0.3f);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->count, 4);
    EXPECT_FLOAT_EQ(system->size, 1.3f);
    EXPECT_FALSE(system->regenerate);
    ASSERT_EQ(system->particles.size(), 4u);

    std::srand(1234);
    for (const Particle &p : system->particles) {
        EXPECT_TRUE(p.active);
        EXPECT_EQ(p.life, 1.0f);
        EXPECT_EQ(p.fade, nextFade());
        EXPECT_EQ(p.xi, nextSpeed());
        EXPECT_EQ(p.yi, nextSpeed());
        EXPECT_EQ(p.zi, nextSpeed());
        EXPECT_EQ(p.fade >= 1 && p.fade <= 10, true);
        EXPECT_EQ(p.xi >= -25 && p.xi <= 24, true);
        EXPECT_EQ((std::array{p.x, p.y, p.z}), (std::array{1.0f, 2.0f, 3.0f}));
        EXPECT_EQ((std::array{p.r, p.g, p.b}), (std::array{0.1f, 0.2f, 0.3f}));
        EXPECT_EQ((std::array{p.xg, p.yg, p.zg}), (std::array{0.5f, -2.0f, 0.25f}));
    }
}

TEST_F(ParticleTest, PlainSystemsAreYellowAndFall)
{
    const ParticleSystem *system = particle_newSys(0, 0, 0, 50, false);
    ASSERT_EQ(system->particles.size(), 50u);
    const Particle &p = system->particles[49];
    EXPECT_EQ((std::array{p.r, p.g, p.b}), (std::array{1.0f, 1.0f, 0.0f}));
    EXPECT_EQ((std::array{p.xg, p.yg, p.zg}), (std::array{0.0f, -1.0f, 0.0f}));
}

TEST_F(ParticleTest, SystemsRunNewestFirst)
{
    ParticleSystem *a = particle_newSys(0, 0, 0, 1, true);
    ParticleSystem *b = particle_newSys(0, 0, 0, 1, true);
    ParticleSystem *c = particle_newSys(0, 0, 0, 1, true);
    EXPECT_EQ(particle_systems(), (std::vector{c, b, a}));
}

TEST_F(ParticleTest, DrawingMovesBySlowedVelocityThenAcceleratesThenFades)
{
    ParticleSystem *system = particle_newCustomSys(10, 20, 30, 1, false, 1, 2, 3, 1, 1, 1);
    Particle &p = system->particles[0];
    p.xi = 10;
    p.yi = -20;
    p.zi = 5;
    p.fade = 4;
    g_frameInterval = 0.25f;
    particle_drawAll();
    EXPECT_FLOAT_EQ(p.x, 10 + 10 * 0.7f * 0.25f);
    EXPECT_FLOAT_EQ(p.y, 20 - 20 * 0.7f * 0.25f);
    EXPECT_FLOAT_EQ(p.z, 30 + 5 * 0.7f * 0.25f);
    EXPECT_FLOAT_EQ(p.xi, 10 + 1 * 0.25f);
    EXPECT_FLOAT_EQ(p.yi, -20 + 2 * 0.25f);
    EXPECT_FLOAT_EQ(p.zi, 5 + 3 * 0.25f);
    EXPECT_FLOAT_EQ(p.life, 0.0f);
    EXPECT_TRUE(p.active) << "a life of exactly 0 is still alive";

    g_frameInterval = 0;
    const Particle before = p;
    particle_drawAll();
    EXPECT_EQ(p.x, before.x);
    EXPECT_EQ(p.yi, before.yi);
    EXPECT_EQ(p.life, before.life) << "a frame of no time neither moves nor fades";
}

TEST_F(ParticleTest, BurstRetiresInThePassAfterItsLastParticleDied)
{
    ParticleSystem *burst = particle_newSys(0, 0, 0, 2, false);
    burst->particles[0].fade = 8;
    burst->particles[1].fade = 4;
    g_frameInterval = 0.125f;
    // Lives: (1, 1) -> (0, 0.5) -> (dead, 0) -> (dead, dead) -> retired.
    particle_drawAll();
    EXPECT_TRUE(burst->particles[0].active) << "a life of exactly 0 is still alive";
    particle_drawAll();
    EXPECT_FALSE(burst->particles[0].active);
    EXPECT_TRUE(burst->particles[1].active);
    particle_drawAll();
    EXPECT_FALSE(burst->particles[0].active);
    EXPECT_FALSE(burst->particles[1].active);
    EXPECT_EQ(particle_systems().size(), 1u) << "still listed: a particle was active as the pass began";
    particle_drawAll();
    EXPECT_TRUE(particle_systems().empty());
}

TEST_F(ParticleTest, EmptySystemsRetireInTheFirstPass)
{
    particle_newSys(0, 0, 0, 0, false);
    particle_newSys(0, 0, 0, -5, true); // nothing to allocate for a negative count
    EXPECT_EQ(particle_systems().size(), 2u);
    particle_drawAll();
    EXPECT_TRUE(particle_systems().empty());
}

TEST_F(ParticleTest, RetiringBurstLeavesTheWalkGoingOn)
{
    ParticleSystem *older = particle_newSys(0, 0, 0, 1, true);
    particle_newSys(0, 0, 0, 0, false);
    ParticleSystem *newer = particle_newSys(0, 0, 0, 1, true);
    g_frameInterval = 0.1f;
    particle_drawAll();
    EXPECT_EQ(particle_systems(), (std::vector{newer, older}));
    EXPECT_LT(older->particles[0].life, 1.0f) << "the system after the retired one was advanced";
    EXPECT_LT(newer->particles[0].life, 1.0f);
}

TEST_F(ParticleTest, EmitterRespawnsDeadParticlesAtTheOriginVelocityFirstThenFade)
{
    ParticleSystem *emitter = particle_newSys(5, 6, 7, 1, true);
    Particle &p = emitter->particles[0];
    p.fade = 10;
    g_frameInterval = 0.2f;
    std::srand(99);
    particle_drawAll();
    std::srand(99);
    EXPECT_EQ(p.xi, nextSpeed());
    EXPECT_EQ(p.yi, nextSpeed());
    EXPECT_EQ(p.zi, nextSpeed());
    EXPECT_EQ(p.fade, nextFade());
    EXPECT_TRUE(p.active);
    EXPECT_EQ(p.life, 1.0f);
    EXPECT_EQ((std::array{p.x, p.y, p.z}), (std::array{5.0f, 6.0f, 7.0f}));
    for (int pass = 0; pass < 50; ++pass)
        particle_drawAll();
    EXPECT_EQ(particle_systems().size(), 1u) << "an emitter never ends by itself";
}

TEST_F(ParticleTest, FreeingAnUnlistedSystemAgainDoesNoHarm)
{
    ParticleSystem *emitter = particle_newSys(0, 0, 0, 3, true);
    ParticleSystem *burst = particle_newSys(0, 0, 0, 0, false);
    ParticleSystem *other = particle_newSys(0, 0, 0, 3, true);
    particle_freeSys(emitter);
    EXPECT_EQ(particle_systems(), (std::vector{other, burst}));
    particle_freeSys(emitter);
    particle_freeSys(nullptr);
    particle_drawAll(); // the burst retires itself
    particle_freeSys(burst); // its creator freeing it as well
    EXPECT_EQ(particle_systems(), (std::vector{other}));
    particle_drawAll();
    EXPECT_EQ(particle_systems(), (std::vector{other}));
}

TEST_F(ParticleTest, DrawingRestoresTexturingScissorAndLightingAndLeavesBlendingOff)
{
    particle_newSys(0, 0, -50, 5, true);
    // Particles leave depth writes alone: on before, on after.
    test_expectSpriteStateRestored(particle_drawAll, true);
}

} // namespace
