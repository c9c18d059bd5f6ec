// quaternion.cpp -- rotation quaternions. No module state; every quaternion made here is
// owned by the caller. Intermediate values are doubles, stored components floats.
#include "math/quaternion.h"

#include "kernel/common.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

namespace {

// Below this 1 + d counts as "opposite" and 1 - d as "equal".
constexpr double slerp_epsilon = 1e-8;

QuaternionPtr newQuaternion()
{
    return QuaternionPtr(static_cast<quaternion *>(emalloc(sizeof(quaternion))));
}

} // namespace

void quaternion_free(quaternion *q)
{
    std::free(q);
}

QuaternionPtr quaternion_newFromAngels(float x, float y, float z)
{
    const double sx = std::sin(static_cast<double>(x)), cx = std::cos(static_cast<double>(x));
    const double sy = std::sin(static_cast<double>(y)), cy = std::cos(static_cast<double>(y));
    const double sz = std::sin(static_cast<double>(z)), cz = std::cos(static_cast<double>(z));
    QuaternionPtr q = newQuaternion();
    q->x = static_cast<float>(sx * cy * cz - cx * sy * sz);
    q->y = static_cast<float>(cx * sy * cz + sx * cy * sz);
    q->z = static_cast<float>(cx * cy * sz - sx * sy * cz);
    q->w = static_cast<float>(cx * cy * cz + sx * sy * sz);
    return q;
}

QuaternionPtr quaternion_newFromInterpolation(const quaternion *p, quaternion *q, float t)
{
    QuaternionPtr result = newQuaternion();
    quaternion_slerp(result.get(), p, q, t);
    return result;
}

void quaternion_slerp(quaternion *result, const quaternion *p, quaternion *q, float t)
{
    // Whichever of q and -q lies nearer p: both are the same rotation, and the nearer one
    // gives the short way round. The sums are kept in floats, so a tie can come from rounding.
    const float pv[4] = {p->x, p->y, p->z, p->w};
    const float qv0[4] = {q->x, q->y, q->z, q->w};
    float a = 0.0f;
    float b = 0.0f;
    for (int i = 0; i < 4; ++i) {
        const double diff = static_cast<double>(pv[i]) - static_cast<double>(qv0[i]);
        const double sum = static_cast<double>(pv[i]) + static_cast<double>(qv0[i]);
        a = static_cast<float>(a + diff * diff);
        b = static_cast<float>(b + sum * sum);
    }
    if (a > b)
        quaternion_invert(q);
    const float qv[4] = {q->x, q->y, q->z, q->w};

    double dot = 0.0;
    for (int i = 0; i < 4; ++i)
        dot += static_cast<double>(pv[i]) * static_cast<double>(qv[i]);
    const double d = static_cast<float>(dot); // the dot product is kept as a float

    // Built in locals and stored at the end, so result may be p or q.
    double out[4];
    if (1.0 + d > slerp_epsilon) {
        double kp, kq;
        if (1.0 - d > slerp_epsilon) {
            const double omega = std::acos(d);
            const double s = std::sin(omega);
            kp = std::sin((1.0 - t) * omega) / s;
            kq = std::sin(t * omega) / s;
        } else {
            // Nearly the same orientation: sin(omega) is too small to divide by.
            kp = 1.0 - t;
            kq = t;
        }
        for (int i = 0; i < 4; ++i)
            out[i] = pv[i] * kp + qv[i] * kq;
    } else {
        // Opposite even after the sign choice (only reachable with quaternions that are not
        // unit length, or NaN): turn towards (-p.y, p.x, -p.w, p.z), which is perpendicular
        // to p. All four components are blended, w included, so that t = 0 gives p itself
        // and the path stays on the great circle through p and the perpendicular.
        const double perp[4] = {-pv[1], pv[0], -pv[3], pv[2]};
        const double kp = std::sin((1.0 - t) * (std::numbers::pi / 2));
        const double kq = std::sin(t * (std::numbers::pi / 2));
        for (int i = 0; i < 4; ++i)
            out[i] = pv[i] * kp + perp[i] * kq;
    }
    result->x = static_cast<float>(out[0]);
    result->y = static_cast<float>(out[1]);
    result->z = static_cast<float>(out[2]);
    result->w = static_cast<float>(out[3]);
}

void quaternion_invert(quaternion *q)
{
    q->x = -q->x;
    q->y = -q->y;
    q->z = -q->z;
    q->w = -q->w;
}
