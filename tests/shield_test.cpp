// Shields: a new shield's state, the pulse between 0.2 and 1.0 by the frame interval, what an
// inactive shield does, and the GL state around the drawing.
#include "graphics/shield.h"
#include "support/test_support.h"
#include "tasks/task_timer.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

class ShieldTest : public ::testing::Test {
protected:
    ShieldPtr shield;

    void SetUp() override
    {
        ASSERT_TRUE(test_startVideo(320, 240));
        testing::internal::CaptureStderr(); // the missing shield image's message
        shield = shield_new(0.2f, 0.4f, 1.0f, 7.5f);
        testing::internal::GetCapturedStderr();
    }
    void TearDown() override
    {
        shield_free(std::move(shield));
        test_stopVideo();
    }

    // The alpha and direction after each of the given frame intervals.
    std::vector<std::pair<float, int>> pulse(std::initializer_list<float> intervals)
    {
        std::vector<std::pair<float, int>> states;
        for (const float dt : intervals) {
            g_frameInterval = dt;
            shield_draw(*shield, 0, 0, -50);
            states.emplace_back(shield->alpha, shield->direction);
        }
        return states;
    }
};

TEST_F(ShieldTest, NewShieldIsActiveOpaqueAndFading)
{
    EXPECT_TRUE(shield->active);
    EXPECT_EQ(shield->alpha, 1.0f);
    EXPECT_EQ(shield->direction, -1);
    EXPECT_EQ(shield->size, 7.5f);
    EXPECT_EQ(shield->r, 0.2f);
    EXPECT_EQ(shield->g, 0.4f);
    EXPECT_EQ(shield->b, 1.0f);
}

TEST_F(ShieldTest, PulseSwingsBetweenPointTwoAndOneTurningAtEachEnd)
{
    using State = std::pair<float, int>;
    EXPECT_EQ(pulse({0.25f, 0.5f, 0.25f, 0.5f, 0.5f, 0.25f}),
              (std::vector<State>{{0.75f, -1}, {0.25f, -1}, {0.2f, 1}, {0.7f, 1}, {1.0f, -1}, {0.75f, -1}}));
    EXPECT_EQ(pulse({0}), (std::vector<State>{{0.75f, -1}})) << "no time, no change";
}

TEST_F(ShieldTest, VeryLongFrameClampsAndTurns)
{
    using State = std::pair<float, int>;
    EXPECT_EQ(pulse({5, 5, 1.5f}), (std::vector<State>{{0.2f, 1}, {1.0f, -1}, {0.2f, 1}}));
}

TEST_F(ShieldTest, InactiveShieldDrawsNothingAndKeepsItsPulse)
{
    pulse({0.25f});
    shield->active = false;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDepthMask(GL_FALSE); // an inactive shield does not even touch depth writes
    pulse({0.5f, 0.5f});
    EXPECT_EQ(shield->alpha, 0.75f);
    EXPECT_EQ(shield->direction, -1);
    const Rgb centre = test_readPixel(160, 120);
    EXPECT_EQ(centre.r + centre.g + centre.b, 0);
    GLboolean depthWrites = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_EQ(depthWrites, GL_FALSE);

    shield->active = true;
    pulse({0.25f});
    EXPECT_EQ(shield->alpha, 0.5f) << "the pulse goes on from where it stopped";
}

TEST_F(ShieldTest, DrawingRestoresTheStateItTouchedAndTurnsDepthWritesOn)
{
    test_expectSpriteStateRestored([this] { pulse({0.1f}); }, false);
}

} // namespace
