// vector.h -- 3D vectors: the record only, until the vector module's operations arrive.
#pragma once

struct vector3d {
    float x, y, z;
};
static_assert(sizeof(vector3d) == 3 * sizeof(float), "vector3d is three packed floats");
