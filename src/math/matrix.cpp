// matrix.cpp -- 4x4 transforms in OpenGL's layout. No module state. Products are formed in
// double precision and every element is rounded to a float when it is stored.
#include "math/matrix.h"

#include "math/quaternion.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double radians_per_degree = std::numbers::pi / 180.0;

// The nine rotation elements of Rz * Ry * Rx, by index; 3, 7 and 11 are unused.
void rotationFromRadians(float r[11], const float a[3])
{
    const float cx = std::cos(a[0]), sx = std::sin(a[0]);
    const float cy = std::cos(a[1]), sy = std::sin(a[1]);
    const float cz = std::cos(a[2]), sz = std::sin(a[2]);
    const double sysx = static_cast<double>(sy) * sx;
    const double sycx = static_cast<double>(sy) * cx;
    r[0] = static_cast<float>(static_cast<double>(cz) * cy);
    r[1] = static_cast<float>(static_cast<double>(sz) * cy);
    r[2] = -sy;
    r[4] = static_cast<float>(cz * sysx - static_cast<double>(sz) * cx);
    r[5] = static_cast<float>(static_cast<double>(cz) * cx + sz * sysx);
    r[6] = static_cast<float>(static_cast<double>(cy) * sx);
    r[8] = static_cast<float>(static_cast<double>(sz) * sx + cz * sycx);
    r[9] = static_cast<float>(sz * sycx - static_cast<double>(cz) * sx);
    r[10] = static_cast<float>(static_cast<double>(cy) * cx);
}

void toRadians(float out[3], const float degrees[3])
{
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<float>(degrees[i] * radians_per_degree);
}

} // namespace

void matrix_postMultiply(float m[16], const float n[16])
{
    // Formed completely before m is written, so n may be m.
    float r[16];
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
            r[4 * j + i] = static_cast<float>(static_cast<double>(m[i]) * n[4 * j] +
                                              static_cast<double>(m[4 + i]) * n[4 * j + 1] +
                                              static_cast<double>(m[8 + i]) * n[4 * j + 2]);
    for (int i = 0; i < 3; ++i)
        r[12 + i] = static_cast<float>(static_cast<double>(m[i]) * n[12] + static_cast<double>(m[4 + i]) * n[13] +
                                       static_cast<double>(m[8 + i]) * n[14] + m[12 + i]);
    r[3] = r[7] = r[11] = 0.0f;
    r[15] = 1.0f;
    matrix_dup(m, r);
}

void matrix_setTranslation(float m[16], const float t[3])
{
    m[12] = t[0];
    m[13] = t[1];
    m[14] = t[2];
}

void matrix_setInverseTranslation(float m[16], const float t[3])
{
    m[12] = -t[0];
    m[13] = -t[1];
    m[14] = -t[2];
}

void matrix_setRotationRadians(float m[16], const float a[3])
{
    float r[11];
    rotationFromRadians(r, a);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
            m[4 * j + i] = r[4 * j + i];
}

void matrix_setInverseRotationRadians(float m[16], const float a[3])
{
    float r[11];
    rotationFromRadians(r, a);
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i)
            m[4 * i + j] = r[4 * j + i];
}

void matrix_setRotationDegrees(float m[16], const float a[3])
{
    float radians[3];
    toRadians(radians, a);
    matrix_setRotationRadians(m, radians);
}

void matrix_setInverseRotationDegrees(float m[16], const float a[3])
{
    float radians[3];
    toRadians(radians, a);
    matrix_setInverseRotationRadians(m, radians);
}

void matrix_setRotationQuaternion(float m[16], const quaternion *q)
{
    const double x = q->x, y = q->y, z = q->z, w = q->w;
    m[0] = static_cast<float>(1.0 - 2.0 * y * y - 2.0 * z * z);
    m[1] = static_cast<float>(2.0 * x * y + 2.0 * w * z);
    m[2] = static_cast<float>(2.0 * x * z - 2.0 * w * y);
    m[4] = static_cast<float>(2.0 * x * y - 2.0 * w * z);
    m[5] = static_cast<float>(1.0 - 2.0 * x * x - 2.0 * z * z);
    m[6] = static_cast<float>(2.0 * y * z + 2.0 * w * x);
    m[8] = static_cast<float>(2.0 * x * z + 2.0 * w * y);
    m[9] = static_cast<float>(2.0 * y * z - 2.0 * w * x);
    m[10] = static_cast<float>(1.0 - 2.0 * x * x - 2.0 * y * y);
}

void matrix_inverseRotateVect(const float m[16], float v[3])
{
    const double x = v[0], y = v[1], z = v[2];
    v[0] = static_cast<float>(x * m[0] + y * m[1] + z * m[2]);
    v[1] = static_cast<float>(x * m[4] + y * m[5] + z * m[6]);
    v[2] = static_cast<float>(x * m[8] + y * m[9] + z * m[10]);
}

void matrix_inverseTranslateVect(const float m[16], float v[3])
{
    v[0] -= m[12];
    v[1] -= m[13];
    v[2] -= m[14];
}

void matrix_dup(float dest[16], const float src[16])
{
    for (int i = 0; i < 16; ++i)
        dest[i] = src[i];
}
