// frustum.cpp -- the view frustum: six planes that live for the whole run and are replaced by
// every frustum_calculate (once per frame), and the point, sphere and box tests against them.
#include "graphics/frustum.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {

float frustum[frustum_planes][4]; // zero until the first calculation

// Signed distance of a point from one plane, kept as a float.
float distanceTo(const float plane[4], float x, float y, float z)
{
    return static_cast<float>(static_cast<double>(plane[0]) * x + static_cast<double>(plane[1]) * y +
                              static_cast<double>(plane[2]) * z + plane[3]);
}

} // namespace

void frustum_calculate()
{
    float projection[16];
    float modelview[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    frustum_calculateFrom(projection, modelview);
}

void frustum_calculateFrom(const float projection[16], const float modelview[16])
{
    const float *p = projection;
    const float *v = modelview;
    // m = P * V for column vectors; element of row r and column k at 4k + r.
    float m[16];
    for (int k = 0; k < 4; ++k)
        for (int r = 0; r < 4; ++r)
            m[4 * k + r] = static_cast<float>(
                static_cast<double>(v[4 * k + 0]) * p[r] + static_cast<double>(v[4 * k + 1]) * p[4 + r] +
                static_cast<double>(v[4 * k + 2]) * p[8 + r] + static_cast<double>(v[4 * k + 3]) * p[12 + r]);

    // Component i of every plane comes from column i of m: row 3 plus or minus row 0, 1 or 2.
    for (int i = 0; i < 4; ++i) {
        const float *column = m + 4 * i;
        frustum[frustum_right][i] = column[3] - column[0];
        frustum[frustum_left][i] = column[3] + column[0];
        frustum[frustum_bottom][i] = column[3] + column[1];
        frustum[frustum_top][i] = column[3] - column[1];
        frustum[frustum_far][i] = column[3] - column[2];
        frustum[frustum_near][i] = column[3] + column[2];
    }
    frustum_normalize();
}

void frustum_normalize()
{
    for (float *plane : frustum) {
        const double nx = plane[0], ny = plane[1], nz = plane[2];
        const float length = static_cast<float>(std::sqrt(nx * nx + ny * ny + nz * nz));
        if (length == 0.0f)
            continue; // a degenerate plane is kept as it is
        for (int i = 0; i < 4; ++i)
            plane[i] /= length;
    }
}

bool frustum_isPointVisable(float x, float y, float z)
{
    for (const float *plane : frustum)
        if (distanceTo(plane, x, y, z) < 0.0f)
            return false;
    return true;
}

bool frustum_isSphereVisable(float x, float y, float z, float radius)
{
    for (const float *plane : frustum)
        if (distanceTo(plane, x, y, z) < -radius)
            return false;
    return true;
}

bool frustum_isBoxVisable(const std::array<std::array<float, 3>, 8> &corners)
{
    for (const float *plane : frustum)
        if (std::none_of(corners.begin(), corners.end(), [plane](const std::array<float, 3> &c) {
                return distanceTo(plane, c[0], c[1], c[2]) >= 0;
            }))
            return false;
    return true;
}

std::array<float, 4> frustum_getPlane(int index)
{
    if (index < 0 || index >= frustum_planes)
        return {0.0f, 0.0f, 0.0f, 0.0f};
    const float *plane = frustum[index];
    return {plane[0], plane[1], plane[2], plane[3]};
}

void frustum_reset()
{
    for (float *plane : frustum)
        for (int i = 0; i < 4; ++i)
            plane[i] = 0.0f;
}
