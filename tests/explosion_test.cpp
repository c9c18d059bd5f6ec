// Explosions: the four kinds, fading and growing by the frame interval, retirement during the
// drawing walk, refusal of unknown kinds, and the GL state around the drawing.
#include "graphics/explosion.h"
#include "support/test_support.h"
#include "tasks/task_timer.h"

#include <GL/gl.h>
#include <array>
#include <gtest/gtest.h>

namespace {

class ExplosionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(test_startVideo(320, 240));
        testing::internal::CaptureStderr(); // the missing images' messages
        explosion_init();
        testing::internal::GetCapturedStderr();
        g_frameInterval = 0.1f;
    }
    void TearDown() override
    {
        for (Explosion *explosion : explosion_list())
            explosion_free(explosion);
        test_stopVideo();
    }
};

TEST_F(ExplosionTest, EachKindHasItsColourAndSizeAndStartsAtAlpha1_1)
{
    struct Look {
        std::array<float, 3> colour;
        float size;
    };
    const Look looks[] = {{{1.0f, 0.4f, 0.0f}, 15}, {{0.7f, 1.0f, 0.0f}, 10}, {{0.2f, 0.4f, 1.0f}, 5}, {{0.1f, 0.5f, 0.9f}, 5}};
    for (int kind = 0; kind < 4; ++kind) {
        const Explosion *e = explosion_new(1, 2, 3, kind);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->kind, kind);
        EXPECT_EQ(e->alpha, 1.1f);
        EXPECT_EQ(e->size, looks[kind].size);
        EXPECT_EQ((std::array{e->r, e->g, e->b}), looks[kind].colour);
        EXPECT_EQ((std::array{e->x, e->y, e->z}), (std::array{1.0f, 2.0f, 3.0f}));
        EXPECT_EQ(explosion_list().front(), e) << "newest first";
    }
    EXPECT_EQ(explosion_list().size(), 4u);
}

TEST_F(ExplosionTest, UnknownKindIsRefusedWithAMessage)
{
    for (const int kind : {-1, 4, 1000}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(explosion_new(0, 0, 0, kind), nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "Error: Unknown explosion kind: " + std::to_string(kind) + "\n");
    }
    EXPECT_TRUE(explosion_list().empty());
}

TEST_F(ExplosionTest, FadingKindsLoseOneAlphaPerSecondAndRetireOnceBelowZero)
{
    const Explosion *e = explosion_new(0, 0, 0, 0);
    g_frameInterval = 0;
    explosion_drawAll();
    EXPECT_EQ(e->alpha, 1.1f) << "no time, no fading";
    EXPECT_EQ(e->size, 15.0f);
    g_frameInterval = 0.25f;
    for (const float alpha : {0.85f, 0.6f, 0.35f, 0.1f}) {
        explosion_drawAll();
        ASSERT_EQ(explosion_list().size(), 1u);
        EXPECT_NEAR(e->alpha, alpha, 1e-6f);
        EXPECT_EQ(e->size, 15.0f);
    }
    explosion_drawAll(); // 0.1 - 0.25 is below 0
    EXPECT_TRUE(explosion_list().empty());
}

TEST_F(ExplosionTest, GrowingKindKeepsGoingAtSixtyAndEndsAboveIt)
{
    const Explosion *e = explosion_new(0, 0, 0, 3);
    g_frameInterval = 0.2f; // five units per pass: 5, 10, ... 60
    for (int pass = 1; pass <= 11; ++pass)
        explosion_drawAll();
    ASSERT_EQ(explosion_list().size(), 1u);
    EXPECT_EQ(e->size, 60.0f);
    EXPECT_EQ(e->alpha, 1.1f) << "full opacity while growing";
    explosion_drawAll();
    EXPECT_TRUE(explosion_list().empty());
}

TEST_F(ExplosionTest, RetiringExplosionLeavesTheWalkGoingOn)
{
    Explosion *older = explosion_new(0, 0, 0, 1);
    Explosion *ending = explosion_new(0, 0, 0, 2);
    Explosion *newer = explosion_new(0, 0, 0, 0);
    ending->alpha = 0.05f;
    g_frameInterval = 0.1f;
    explosion_drawAll();
    EXPECT_EQ(explosion_list(), (std::vector{newer, older}));
    EXPECT_NEAR(older->alpha, 1.0f, 1e-6f) << "the explosion after the retired one was advanced";
    EXPECT_NEAR(newer->alpha, 1.0f, 1e-6f);
    explosion_free(ending); // no longer listed: ignored
    explosion_free(nullptr);
    EXPECT_EQ(explosion_list().size(), 2u);
}

TEST_F(ExplosionTest, DrawingRestoresTheStateItTouchedAndTurnsDepthWritesOn)
{
    explosion_new(0, 0, -50, 0);
    g_frameInterval = 0;
    test_expectSpriteStateRestored(explosion_drawAll, false);
}

// Draws a flat, untextured, unlit square at depth z covering the window's middle.
void drawSquareAt(float z, float r, float g, float b)
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glColor3f(r, g, b);
    glBegin(GL_QUADS);
    glVertex3f(-5, -5, z);
    glVertex3f(5, -5, z);
    glVertex3f(5, 5, z);
    glVertex3f(-5, 5, z);
    glEnd();
}

TEST_F(ExplosionTest, ExplosionsHideNothingDrawnBehindThemLater)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_FOG);
    explosion_new(0, 0, -20, 0); // in front, orange
    g_frameInterval = 0;
    explosion_drawAll();
    drawSquareAt(-40, 0, 0, 1); // behind it, blue, drawn afterwards with the depth test on
    const Rgb centre = test_readPixel(160, 120);
    EXPECT_EQ(centre.b, 255) << "the later square shows through";
    EXPECT_EQ(centre.r, 0) << "the opaque square replaced the explosion's colour";
}

} // namespace
