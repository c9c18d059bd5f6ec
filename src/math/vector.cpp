// vector.cpp -- heap 3D vectors. The only module state is the result buffer of
// vector3d_get3f, which lives for the whole run and is overwritten by every call.
#include "math/vector.h"

#include "kernel/common.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

float r[3]; // the buffer handed out by vector3d_get3f

} // namespace

vector3d *vector3d_new(float x, float y, float z)
{
    // A plain record of floats: malloc'ed storage holds it without a constructor call.
    auto *v = static_cast<vector3d *>(emalloc(sizeof(vector3d)));
    v->x = x;
    v->y = y;
    v->z = z;
    return v;
}

void vector3d_dup(vector3d *dest, const vector3d *src)
{
    *dest = *src;
}

const float *vector3d_get3f(const vector3d *v)
{
    r[0] = v->x;
    r[1] = v->y;
    r[2] = v->z;
    return r;
}

void vector3d_add(vector3d *dest, const vector3d *a, const vector3d *b)
{
    dest->x = a->x + b->x;
    dest->y = a->y + b->y;
    dest->z = a->z + b->z;
}

void vector3d_sub(vector3d *dest, const vector3d *a, const vector3d *b)
{
    dest->x = a->x - b->x;
    dest->y = a->y - b->y;
    dest->z = a->z - b->z;
}

void vector3d_cross(vector3d *dest, const vector3d *a, const vector3d *b)
{
    // Formed completely before the first store, so a destination that is also an operand
    // gets the true product instead of one built from half-overwritten components.
    const float x = a->y * b->z - a->z * b->y;
    const float y = a->z * b->x - a->x * b->z;
    const float z = a->x * b->y - a->y * b->x;
    dest->x = x;
    dest->y = y;
    dest->z = z;
}

float vector3d_magnitude(const vector3d *v)
{
    const float sum = v->x * v->x + v->y * v->y + v->z * v->z;
    return std::sqrt(sum);
}

void vector3d_normalize(vector3d *v)
{
    const float m = vector3d_magnitude(v);
    if (m == 0.0f)
        return;
    v->x /= m;
    v->y /= m;
    v->z /= m;
}

void vector3d_dump(const vector3d *v)
{
    std::printf("%f %f %f\n", static_cast<double>(v->x), static_cast<double>(v->y), static_cast<double>(v->z));
}

void vector3d_free(vector3d *v)
{
    std::free(v);
}
