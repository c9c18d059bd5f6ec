// frustum.h -- the six clipping planes of the current view and the visibility tests that cull
// actors. The planes are replaced by every frustum_calculate and kept until the next; before
// the first they are all zero, so everything counts as visible.
#pragma once

#include <array>

// Plane order: right, left, bottom, top, far, near. Each plane is (nx, ny, nz, d); a point's
// signed distance nx*x + ny*y + nz*z + d is positive on the inner side.
enum {
    frustum_right,
    frustum_left,
    frustum_bottom,
    frustum_top,
    frustum_far,
    frustum_near,
    frustum_planes
};

// Extracts the planes from the current GL projection and model-view matrices; called once per
// frame right after the camera transform is set, so the planes are in world coordinates.
void frustum_calculate();
// The same from matrices given in GL's column-major layout (no GL needed).
void frustum_calculateFrom(const float projection[16], const float modelview[16]);

// Scales every plane whose normal is not zero so that the normal has length 1.
void frustum_normalize();

// Whether the point is on the inner side of (or on) all six planes.
bool frustum_isPointVisable(float x, float y, float z);
// Whether the sphere reaches the inner side of all six planes. Conservative: near the corners
// a sphere that is outside but not wholly behind a single plane counts as visible.
bool frustum_isSphereVisable(float x, float y, float z, float radius);

// Whether a box, given by its eight corners in world coordinates, reaches the inner side of all
// six planes: false only when every corner lies outside one plane. Conservative like the sphere's
// test: near the corners a box that is outside but not wholly behind a single plane counts as visible.
bool frustum_isBoxVisable(const std::array<std::array<float, 3>, 8> &corners);

// One plane (nx, ny, nz, d) by index; zeros for an index outside 0..5.
std::array<float, 4> frustum_getPlane(int index);
// Sets all planes back to zero, as before the first frustum_calculate (for tests).
void frustum_reset();
