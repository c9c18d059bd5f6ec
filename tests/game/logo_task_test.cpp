// The logo task: its model in front of the camera, flying and turning the camera from held
// keys, and what its stop leaves behind.
#include "game_scene.h"

#include "game/actor.h"
#include "game/task_logo.h"
#include "game/task_test.h"
#include "graphics/camera.h"
#include "kernel/task.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

using namespace scene;

class LogoTask : public GameScene {
protected:
    void SetUp() override
    {
        GameScene::SetUp();
        if (HasFatalFailure())
            return;
        task = task_new(TASK_LOGO);
        ASSERT_EQ(task->start(), 1);
        g_frameInterval = 0.5f; // 15 units of flight per pass
    }
    void TearDown() override
    {
        if (g_camera != nullptr)
            task->stop();
        GameScene::TearDown();
    }
    TaskPtr task;

    static vector3d direction()
    {
        vector3d d;
        vector3d_sub(&d, g_camera->view.get(), g_camera->position.get());
        vector3d_normalize(&d);
        return d;
    }
};

TEST_F(LogoTask, StartShowsTheLogoModelBeforeANewCamera)
{
    EXPECT_TRUE(task->suspendable);
    ASSERT_NE(g_camera, nullptr);
    EXPECT_FLOAT_EQ(g_camera->position->z, 100);
    ASSERT_EQ(actor_count(), 1);
    const std::vector<actor *> logos = actorsOfKind(ACTOR_NONE);
    ASSERT_EQ(logos.size(), 1u);
    const actor *logo = logos[0];
    EXPECT_EQ(logo->model, model_get("data/test.ms3d"));
    EXPECT_NE(logo->model, nullptr);
    EXPECT_FLOAT_EQ(logo->scale, 1.5f);
    EXPECT_FLOAT_EQ(logo->position->y, 10);
    EXPECT_FLOAT_EQ(g_camera->position->z - logo->position->z, 150);
}

TEST_F(LogoTask, OppositeFlightKeysCancelAndEachFliesFifteenUnitsAPass)
{
    hold({SDLK_a, SDLK_d, SDLK_w, SDLK_s});
    task->tick();
    EXPECT_FLOAT_EQ(g_camera->position->x, 0);
    EXPECT_FLOAT_EQ(g_camera->position->z, 100);
    releaseAll();

    hold({SDLK_d});
    task->tick();
    EXPECT_FLOAT_EQ(g_camera->position->x, 15);
    releaseAll();
    hold({SDLK_w});
    task->tick();
    EXPECT_FLOAT_EQ(g_camera->position->z, 85);
    EXPECT_FLOAT_EQ(g_camera->view->z, -15) << "the view point travels along";
}

TEST_F(LogoTask, TurningIsAFixedAngleAPassWhateverTheFrameInterval)
{
    hold({SDLK_LEFT});
    for (int i = 0; i < 10; ++i) {
        g_frameInterval = 0.01f * static_cast<float>(i + 1);
        task->tick();
    }
    // Ten turns of 0.3 radians about -x from a view along -z.
    const vector3d d = direction();
    EXPECT_NEAR(std::atan2(-d.y, -d.z), 3.0, 1e-4);
    EXPECT_NEAR(d.x, 0, 1e-5);
    releaseAll();
    hold({SDLK_RIGHT});
    task->tick();
    EXPECT_NEAR(std::atan2(-direction().y, -direction().z), 2.7, 1e-4);
}

TEST_F(LogoTask, StopRemovesTheLogoAndTheCamera)
{
    task->stop();
    EXPECT_EQ(actor_count(), 0);
    EXPECT_EQ(g_camera, nullptr);
}

} // namespace
