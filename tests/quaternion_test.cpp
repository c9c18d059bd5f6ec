// Quaternions: construction from half-angles, slerp's sign choice on the caller's q, its
// three branches, and inversion.
#include "math/quaternion.h"

#include <gtest/gtest.h>
#include <numbers>

namespace {

void expectNear(const quaternion &q, float x, float y, float z, float w, float tolerance = 1e-6f)
{
    EXPECT_NEAR(q.x, x, tolerance);
    EXPECT_NEAR(q.y, y, tolerance);
    EXPECT_NEAR(q.z, z, tolerance);
    EXPECT_NEAR(q.w, w, tolerance);
}

void expectNear(const quaternion &q, const quaternion &e, float tolerance = 1e-6f)
{
    expectNear(q, e.x, e.y, e.z, e.w, tolerance);
}

constexpr quaternion unit{0, 0, 0, 1};
constexpr quaternion quarterTurnZ{0, 0, 0.7071068f, 0.7071068f};

TEST(QuaternionTest, FromAngelsTakesHalfAngles)
{
    expectNear(*quaternion_newFromAngels(0, 0, 0), unit);
    expectNear(*quaternion_newFromAngels(0, 0, std::numbers::pi_v<float> / 4), quarterTurnZ);
    expectNear(*quaternion_newFromAngels(std::numbers::pi_v<float> / 4, 0, 0), 0.7071068f, 0, 0, 0.7071068f);
}

TEST(QuaternionTest, SlerpHalfwayToAQuarterTurnIsAnEighthTurn)
{
    quaternion q = quarterTurnZ;
    quaternion result{};
    quaternion_slerp(&result, &unit, &q, 0.5f);
    expectNear(result, 0, 0, 0.3826834f, 0.9238795f);
    expectNear(q, quarterTurnZ); // already the nearer sign: untouched
}

TEST(QuaternionTest, SlerpTakesTheShortWayByNegatingTheCallersQ)
{
    quaternion q{0, 0, -0.7071068f, -0.7071068f};
    const QuaternionPtr result = quaternion_newFromInterpolation(&unit, &q, 0.5f);
    expectNear(*result, 0, 0, 0.3826834f, 0.9238795f);
    expectNear(q, quarterTurnZ); // the caller sees the flipped q

    const quaternion p{0.5f, -0.5f, 0.5f, 0.5f};
    quaternion minusP{-0.5f, 0.5f, -0.5f, -0.5f};
    for (float t : {0.0f, 0.3f, 1.0f}) {
        quaternion out{};
        quaternion_slerp(&out, &p, &minusP, t);
        expectNear(out, p);
        expectNear(minusP, p);
    }
}

TEST(QuaternionTest, SlerpEndsAtPAndQ)
{
    const quaternion p = *quaternion_newFromAngels(0.2f, 0.4f, -0.3f);
    quaternion q = *quaternion_newFromAngels(-0.5f, 0.1f, 0.9f);
    quaternion out{};
    quaternion_slerp(&out, &p, &q, 0.0f);
    expectNear(out, p);
    quaternion_slerp(&out, &p, &q, 1.0f);
    expectNear(out, q);
    quaternion same = p;
    for (float t : {0.0f, 0.25f, 1.0f}) {
        quaternion_slerp(&out, &p, &same, t);
        expectNear(out, p); // with itself: the linear branch, p at every t
    }
}

TEST(QuaternionTest, SlerpKeepsQOnATieAndMayWriteIntoP)
{
    // (p - q) and (p + q) have the same squared length: q keeps its sign.
    quaternion p{1, 0, 0, 0};
    quaternion q{0, 1, 0, 0};
    quaternion_slerp(&p, &p, &q, 0.5f);
    expectNear(p, 0.7071068f, 0.7071068f, 0, 0);
    expectNear(q, 0, 1, 0, 0);
}

TEST(QuaternionTest, OppositeQuaternionsTurnTowardsThePerpendicularOfP)
{
    // Not unit length: the float sums of the sign choice tie, so q keeps pointing away
    // from p (p . q = -1) and the opposite branch runs. It starts at p, w included.
    const quaternion p{1e4f, 1, 0, 0.5f};
    quaternion q{0, -1, 0, 0};
    quaternion out{};
    quaternion_slerp(&out, &p, &q, 0.0f);
    expectNear(out, p);
    expectNear(q, 0, -1, 0, 0);
    quaternion_slerp(&out, &p, &q, 1.0f);
    expectNear(out, -1, 1e4f, -0.5f, 0, 1e-3f);
}

TEST(QuaternionTest, InvertNegatesAndTwiceRestores)
{
    quaternion q{0.1f, -0.2f, 0.3f, 0.9f};
    quaternion_invert(&q);
    expectNear(q, -0.1f, 0.2f, -0.3f, -0.9f, 0);
    quaternion_invert(&q);
    expectNear(q, 0.1f, -0.2f, 0.3f, 0.9f, 0);
}

} // namespace
