// Vectors: which operations may write into their operands, the cross product, length and
// normalisation, the shared get3f buffer and the ownership handle.
#include "math/vector.h"

#include <gtest/gtest.h>

namespace {

void expectVector(const vector3d &v, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}

TEST(VectorTest, AddAndSubMayWriteIntoEitherOperand)
{
    vector3d a{1, 2, 3};
    const vector3d b{10, 20, 30};
    vector3d_add(&a, &a, &b);
    expectVector(a, 11, 22, 33);
    vector3d c{100, 200, 300};
    vector3d_sub(&c, &b, &c);
    expectVector(c, -90, -180, -270);
    vector3d d{};
    vector3d_sub(&d, &a, &b);
    expectVector(d, 1, 2, 3);
}

TEST(VectorTest, CrossProductFollowsTheRightHandRule)
{
    const vector3d x{1, 0, 0}, y{0, 1, 0};
    vector3d out{};
    vector3d_cross(&out, &x, &y);
    expectVector(out, 0, 0, 1);
    vector3d_cross(&out, &y, &x);
    expectVector(out, 0, 0, -1);
    const vector3d a{1, 2, 3}, b{4, 5, 6};
    vector3d_cross(&out, &a, &b);
    expectVector(out, -3, 6, -3);
}

TEST(VectorTest, CrossIntoAnOperandStillGivesTheTrueProduct)
{
    vector3d a{1, 2, 3};
    const vector3d b{4, 5, 6};
    vector3d_cross(&a, &a, &b);
    expectVector(a, -3, 6, -3);
    const vector3d c{1, 2, 3};
    vector3d d{4, 5, 6};
    vector3d_cross(&d, &c, &d);
    expectVector(d, -3, 6, -3);
}

TEST(VectorTest, NormalizeScalesToUnitLengthAndLeavesZeroAlone)
{
    vector3d v{3, 4, 0};
    EXPECT_FLOAT_EQ(vector3d_magnitude(&v), 5.0f);
    vector3d_normalize(&v);
    expectVector(v, 0.6f, 0.8f, 0.0f);
    EXPECT_FLOAT_EQ(vector3d_magnitude(&v), 1.0f);

    vector3d zero{0, 0, 0}; // stays zero, silently
    testing::internal::CaptureStderr();
    vector3d_normalize(&zero);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    expectVector(zero, 0, 0, 0);
}

TEST(VectorTest, Get3fHandsOutOneBufferThatTheNextCallOverwrites)
{
    const vector3d a{1, 2, 3}, b{4, 5, 6};
    const float *first = vector3d_get3f(&a);
    EXPECT_EQ(first[0], 1.0f);
    EXPECT_EQ(first[2], 3.0f);
    const float *second = vector3d_get3f(&b);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first[0], 4.0f);
}

TEST(VectorTest, NewDupDumpAndFree)
{
    Vector3dPtr v(vector3d_new(1.5f, -2.0f, 0.25f));
    expectVector(*v, 1.5f, -2.0f, 0.25f);
    Vector3dPtr copy(vector3d_new(0, 0, 0));
    vector3d_dup(copy.get(), v.get());
    expectVector(*copy, 1.5f, -2.0f, 0.25f);
    testing::internal::CaptureStdout();
    vector3d_dump(copy.get());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "1.500000 -2.000000 0.250000\n");
    vector3d *raw = vector3d_new(7, 8, 9);
    vector3d_free(raw); // the pair by hand; the sanitizer build checks nothing leaks
    vector3d_free(nullptr);
}

} // namespace
