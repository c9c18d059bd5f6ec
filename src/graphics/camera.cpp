// camera.cpp -- the look-at camera. No module state: the creator owns each camera (the game
// and logo tasks keep theirs in g_camera) and every operation applies its speed unchanged.
#include "graphics/camera.h"

#include <cmath>

namespace {

// view - position, scaled to length 1; zero when the two points coincide.
vector3d direction(const camera *cam)
{
    vector3d d;
    vector3d_sub(&d, cam->view.get(), cam->position.get());
    vector3d_normalize(&d);
    return d;
}

} // namespace

camera *camera_new(float px, float py, float pz, float vx, float vy, float vz, float ux, float uy, float uz)
{
    auto cam = std::make_unique<camera>();
    cam->position.reset(vector3d_new(px, py, pz));
    cam->view.reset(vector3d_new(vx, vy, vz));
    cam->up.reset(vector3d_new(ux, uy, uz));
    return cam.release(); // handed to the caller, who gives it back to camera_free
}

void camera_setPosition(camera *cam, float px, float py, float pz, float vx, float vy, float vz, float ux,
                        float uy, float uz)
{
    *cam->position = vector3d{px, py, pz};
    *cam->view = vector3d{vx, vy, vz};
    *cam->up = vector3d{ux, uy, uz};
}

void camera_update(camera *cam, float dx, float dz, float speed)
{
    cam->position->x += dx * speed;
    cam->position->z += dz * speed;
    cam->view->x += dx * speed;
    cam->view->z += dz * speed;
}

void camera_move(camera *cam, int backwards, float speed)
{
    const vector3d d = direction(cam);
    if (backwards)
        speed = -speed;
    camera_update(cam, d.x, d.z, speed);
}

void camera_strafe(camera *cam, int right, float speed)
{
    const vector3d d = direction(cam);
    vector3d s;
    vector3d_cross(&s, &d, cam->up.get()); // not normalised: unit only for a level look and up (0, 1, 0)
    if (!right)
        speed = -speed;
    camera_update(cam, s.x, s.z, speed);
}

void camera_rotate(camera *cam, float ax, float ay, float az, float angle)
{
    const vector3d v = direction(cam);
    const double c = std::cos(static_cast<double>(angle));
    const double s = std::sin(static_cast<double>(angle));
    const double k = 1.0 - c;
    const double x = ax, y = ay, z = az;
    vector3d n;
    n.x = static_cast<float>((c + k * x * x) * v.x + (k * x * y - z * s) * v.y + (k * x * z + y * s) * v.z);
    n.y = static_cast<float>((k * x * y + z * s) * v.x + (c + k * y * y) * v.y + (k * y * z - x * s) * v.z);
    n.z = static_cast<float>((k * x * z - y * s) * v.x + (k * y * z + x * s) * v.y + (c + k * z * z) * v.z);
    vector3d_add(cam->view.get(), cam->position.get(), &n);
}

void camera_free(camera *cam)
{
    const std::unique_ptr<camera> owned(cam); // its destructor releases the three vectors
}
