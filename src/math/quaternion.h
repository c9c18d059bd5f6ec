// quaternion.h -- rotation quaternions: from Euler half-angles, slerp, sign inversion.
// Quaternions made here belong to the caller's QuaternionPtr and die with it.
#pragma once

#include <memory>

struct quaternion {
    float x, y, z; // vector part
    float w;       // scalar part; the identity rotation is (0, 0, 0, 1)
};
static_assert(sizeof(quaternion) == 4 * sizeof(float), "quaternion is four packed floats");

// Releases a quaternion made by the constructors below; null is ignored.
void quaternion_free(quaternion *q);
struct QuaternionFree {
    void operator()(quaternion *q) const { quaternion_free(q); }
};
using QuaternionPtr = std::unique_ptr<quaternion, QuaternionFree>;

// The rotation matrix_setRotationRadians builds from (2x, 2y, 2z): the arguments are
// half-angles in radians. The caller owns the result.
QuaternionPtr quaternion_newFromAngels(float x, float y, float z);

// A new quaternion holding quaternion_slerp(p, q, t); q may be negated in place as there.
QuaternionPtr quaternion_newFromInterpolation(const quaternion *p, quaternion *q, float t);

// result = the spherical interpolation from p (t = 0) to q (t = 1), not renormalised.
// If -q is nearer to p than q is, the caller's q is negated first and stays negated.
// result may be p or q.
void quaternion_slerp(quaternion *result, const quaternion *p, quaternion *q, float t);

// Negates all four components in place; the rotation represented stays the same.
void quaternion_invert(quaternion *q);
