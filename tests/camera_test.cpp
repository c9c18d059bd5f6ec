// The camera: moving and strafing in the horizontal plane, turning the view about an axis,
// a degenerate view, and vectors that keep their identity.
#include "graphics/camera.h"

#include <gtest/gtest.h>
#include <numbers>

namespace {

void expectNear(const vector3d *v, float x, float y, float z, float tolerance = 1e-5f)
{
    EXPECT_NEAR(v->x, x, tolerance);
    EXPECT_NEAR(v->y, y, tolerance);
    EXPECT_NEAR(v->z, z, tolerance);
}

// At the origin, looking along -z, up +y.
CameraPtr lookingAhead()
{
    return CameraPtr(camera_new(0, 0, 0, 0, 0, -1, 0, 1, 0));
}

TEST(CameraTest, StrafeMovesBothPointsSidewaysOnly)
{
    CameraPtr cam = lookingAhead();
    camera_strafe(cam.get(), 1, 2);
    expectNear(cam->position.get(), 2, 0, 0);
    expectNear(cam->view.get(), 2, 0, -1);
    camera_strafe(cam.get(), 0, 2);
    expectNear(cam->position.get(), 0, 0, 0);
    expectNear(cam->view.get(), 0, 0, -1);
    expectNear(cam->up.get(), 0, 1, 0);
}

TEST(CameraTest, MoveStepsTowardsOrAwayFromTheViewPoint)
{
    CameraPtr cam = lookingAhead();
    camera_move(cam.get(), 0, 3);
    expectNear(cam->position.get(), 0, 0, -3);
    expectNear(cam->view.get(), 0, 0, -4);
    camera_move(cam.get(), 1, 3);
    expectNear(cam->position.get(), 0, 0, 0);
    expectNear(cam->view.get(), 0, 0, -1);
}

TEST(CameraTest, MoveWhileLookingUpStaysLevelAndStepsShorter)
{
    CameraPtr cam(camera_new(0, 0, 0, 0, 10, -10, 0, 1, 0));
    camera_move(cam.get(), 0, 1);
    expectNear(cam->position.get(), 0, 0, -0.7071068f);
    expectNear(cam->view.get(), 0, 10, -10.7071068f);
}

TEST(CameraTest, RotateTurnsTheViewAboutTheAxisKeepingTheEye)
{
    const float quarter = std::numbers::pi_v<float> / 2;
    CameraPtr cam = lookingAhead();
    camera_rotate(cam.get(), 1, 0, 0, quarter);
    expectNear(cam->view.get(), 0, 1, 0); // straight above the eye
    camera_setPosition(cam.get(), 0, 0, 0, 0, 0, -1, 0, 1, 0);
    camera_rotate(cam.get(), 0, 1, 0, quarter);
    expectNear(cam->view.get(), -1, 0, 0); // turned left
    expectNear(cam->position.get(), 0, 0, 0);
}

TEST(CameraTest, RotateByZeroBringsTheViewPointToUnitDistance)
{
    CameraPtr cam(camera_new(1, 2, 3, 1, 2, -7, 0, 1, 0));
    camera_rotate(cam.get(), 0, 1, 0, 0);
    expectNear(cam->view.get(), 1, 2, 2);
    expectNear(cam->position.get(), 1, 2, 3);
}

TEST(CameraTest, ViewPointOnTheEyeGoesNowhere)
{
    CameraPtr cam(camera_new(1, 2, 3, 1, 2, 3, 0, 1, 0));
    camera_move(cam.get(), 0, 5);
    camera_strafe(cam.get(), 1, 5);
    camera_rotate(cam.get(), 0, 1, 0, 1);
    expectNear(cam->position.get(), 1, 2, 3, 0);
    expectNear(cam->view.get(), 1, 2, 3, 0);
}

TEST(CameraTest, SetPositionKeepsTheSameVectorObjects)
{
    CameraPtr cam = lookingAhead();
    const vector3d *position = cam->position.get();
    const vector3d *view = cam->view.get();
    const vector3d *up = cam->up.get();
    camera_setPosition(cam.get(), 1, 2, 3, 4, 5, 6, 7, 8, 9);
    EXPECT_EQ(cam->position.get(), position);
    EXPECT_EQ(cam->view.get(), view);
    EXPECT_EQ(cam->up.get(), up);
    expectNear(position, 1, 2, 3, 0);
    expectNear(view, 4, 5, 6, 0);
    expectNear(up, 7, 8, 9, 0);
    camera_free(cam.release()); // the pair by hand; the sanitizer build checks nothing leaks
    camera_free(nullptr);
}

} // namespace
