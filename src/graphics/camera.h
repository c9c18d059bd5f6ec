// camera.h -- the look-at camera: eye point, point looked at, up vector. A camera lives from
// camera_new to camera_free; its three vectors live exactly as long as the record.
#pragma once

#include "math/vector.h"

#include <memory>

// The viewing direction is always view - position; nothing else is stored. The vectors are
// read as cam->position->x; pass them on with .get(). Their identity never changes.
struct camera {
    Vector3dPtr position; // the eye point
    Vector3dPtr view;     // the point looked at (a point, not a direction)
    Vector3dPtr up;       // the up vector handed to gluLookAt
};

// A new camera. The caller owns it: release it with camera_free, or hold it in a CameraPtr.
camera *camera_new(float px, float py, float pz, float vx, float vy, float vz, float ux, float uy, float uz);

// Overwrites all nine values in place (the view point and up vector too).
void camera_setPosition(camera *cam, float px, float py, float pz, float vx, float vy, float vz, float ux,
                        float uy, float uz);

// Shifts eye and view point together: x of both by dx * speed, z of both by dz * speed.
void camera_update(camera *cam, float dx, float dz, float speed);

// Steps speed units towards the view point (backwards != 0: away from it), in the horizontal
// plane only: the direction's height is dropped, so a camera looking up or down steps shorter.
void camera_move(camera *cam, int backwards, float speed);

// Steps sideways along direction x up (right != 0: to the viewer's right, 0: to the left),
// in the horizontal plane only.
void camera_strafe(camera *cam, int right, float speed);

// Turns the viewing direction about the axis (ax, ay, az) by angle radians, keeping the eye
// point. The axis is used as passed (callers pass unit axes); afterwards the view point lies
// at distance 1 from the eye (or on it, when the direction was zero).
void camera_rotate(camera *cam, float ax, float ay, float az, float angle);

// Releases the three vectors and the record; null is ignored.
void camera_free(camera *cam);

struct CameraFree {
    void operator()(camera *cam) const { camera_free(cam); }
};
using CameraPtr = std::unique_ptr<camera, CameraFree>;
