// Matrices: rotation direction and order, inverses that undo, products of affine transforms,
// the degree factor, and setters that leave the other elements alone.
#include "math/matrix.h"
#include "math/quaternion.h"

#include <array>
#include <gtest/gtest.h>
#include <numbers>

namespace {

using Matrix = std::array<float, 16>;
using Vec = std::array<float, 3>;
constexpr float pi = std::numbers::pi_v<float>;

Matrix identity()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

// p' = M * (p, 1)
Vec transformPoint(const Matrix &m, const Vec &p)
{
    Vec out{};
    for (int i = 0; i < 3; ++i)
        out[i] = m[i] * p[0] + m[4 + i] * p[1] + m[8 + i] * p[2] + m[12 + i];
    return out;
}

void expectNear(const Matrix &a, const Matrix &b, float tolerance = 1e-6f)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
}

void expectNear(const Vec &a, const Vec &b, float tolerance = 1e-5f)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(a[i], b[i], tolerance) << "component " << i;
}

Matrix rotation(float ax, float ay, float az)
{
    Matrix m = identity();
    const float angles[3] = {ax, ay, az};
    matrix_setRotationRadians(m.data(), angles);
    return m;
}

TEST(MatrixTest, QuarterTurnsFollowTheRightHandRule)
{
    expectNear(transformPoint(rotation(0, 0, pi / 2), {1, 0, 0}), {0, 1, 0});
    expectNear(transformPoint(rotation(pi / 2, 0, 0), {0, 1, 0}), {0, 0, 1});
    expectNear(transformPoint(rotation(0, pi / 2, 0), {0, 0, 1}), {1, 0, 0});
}

TEST(MatrixTest, EulerRotationTurnsAboutXThenYThenZ)
{
    Matrix chained = rotation(0, 0, 0.7f);
    const Matrix ry = rotation(0, -1.2f, 0), rx = rotation(0.4f, 0, 0);
    matrix_postMultiply(chained.data(), ry.data());
    matrix_postMultiply(chained.data(), rx.data());
    expectNear(rotation(0.4f, -1.2f, 0.7f), chained);
}

TEST(MatrixTest, InverseRotationUndoesTheRotation)
{
    const float angles[3] = {0.3f, -1.1f, 2.0f};
    Matrix product = rotation(angles[0], angles[1], angles[2]);
    Matrix inverse = identity();
    matrix_setInverseRotationRadians(inverse.data(), angles);
    matrix_postMultiply(product.data(), inverse.data());
    expectNear(product, identity());
}

TEST(MatrixTest, DegreeSettersConvertDegreesToRadians)
{
    const float degrees[3] = {30, -45, 90};
    Matrix m = identity(), inverse = identity();
    matrix_setRotationDegrees(m.data(), degrees);
    expectNear(m, rotation(pi / 6, -pi / 4, pi / 2));
    matrix_setInverseRotationDegrees(inverse.data(), degrees);
    matrix_postMultiply(m.data(), inverse.data());
    expectNear(m, identity());
}

TEST(MatrixTest, SettersWriteOnlyTheElementsTheyName)
{
    Matrix m;
    m.fill(7.0f);
    const float angles[3] = {0.1f, 0.2f, 0.3f};
    matrix_setRotationRadians(m.data(), angles);
    for (int i : {3, 7, 11, 12, 13, 14, 15})
        EXPECT_EQ(m[i], 7.0f) << "element " << i;
    const Matrix rotated = m;
    const float t[3] = {1, 2, 3};
    matrix_setInverseTranslation(m.data(), t);
    EXPECT_EQ(m[12], -1.0f);
    EXPECT_EQ(m[14], -3.0f);
    matrix_setTranslation(m.data(), t);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(m[i], rotated[i]) << "element " << i;
    EXPECT_EQ(m[13], 2.0f);
}

TEST(MatrixTest, PostMultiplyChainsAffineTransforms)
{
    Matrix m = rotation(0.5f, 0.6f, 0.7f);
    const float t[3] = {1, 2, 3};
    matrix_setTranslation(m.data(), t);
    Matrix expected = m;
    m[3] = m[7] = m[11] = 9.0f; // the bottom row is not read and comes back as (0, 0, 0, 1)
    m[15] = 2.0f;
    const Matrix id = identity();
    matrix_postMultiply(m.data(), id.data());
    expectNear(m, expected);

    Matrix a = identity(), b = identity();
    const float ta[3] = {1, 2, 3}, tb[3] = {4, 5, 6};
    matrix_setTranslation(a.data(), ta);
    matrix_setTranslation(b.data(), tb);
    matrix_postMultiply(a.data(), b.data());
    expectNear(transformPoint(a, {0, 0, 0}), {5, 7, 9});
}

TEST(MatrixTest, PostMultiplyByItselfAppliesTheTransformTwice)
{
    Matrix m = rotation(0, 0, pi / 4);
    const float t[3] = {1, 0, 0};
    matrix_setTranslation(m.data(), t);
    const Vec p{2, 1, 5};
    const Vec twice = transformPoint(m, transformPoint(m, p));
    matrix_postMultiply(m.data(), m.data());
    expectNear(transformPoint(m, p), twice);
}

TEST(MatrixTest, InverseTranslateThenRotateMovesAPointIntoTheLocalFrame)
{
    Matrix m = rotation(0.3f, -1.1f, 2.0f);
    const float t[3] = {5, -2, 7};
    matrix_setTranslation(m.data(), t);
    const Vec world{1, 2, 3};
    Vec local = world;
    matrix_inverseTranslateVect(m.data(), local.data());
    matrix_inverseRotateVect(m.data(), local.data());
    expectNear(transformPoint(m, local), world);
    Matrix copy{};
    matrix_dup(copy.data(), m.data());
    EXPECT_EQ(copy, m);
}

TEST(MatrixTest, QuaternionGivesTheRotationOfTwiceItsHalfAngles)
{
    Matrix m = identity();
    const quaternion unit{0, 0, 0, 1};
    matrix_setRotationQuaternion(m.data(), &unit);
    expectNear(m, identity());
    const QuaternionPtr q = quaternion_newFromAngels(0.15f, -0.55f, 1.0f);
    matrix_setRotationQuaternion(m.data(), q.get());
    expectNear(m, rotation(0.3f, -1.1f, 2.0f), 2e-6f);
}

} // namespace
