// The view frustum: planes from the two matrices (order of the product, normalisation), the
// point and sphere tests on their borders, and the real GL projection of the game's window.
#include "graphics/frustum.h"

#include "support/test_support.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <array>
#include <cmath>
#include <gtest/gtest.h>

namespace {

using Matrix = std::array<float, 16>;

Matrix identity()
{
    return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
}

class FrustumTest : public ::testing::Test {
protected:
    void SetUp() override { frustum_reset(); }
    void TearDown() override { frustum_reset(); }
};

TEST_F(FrustumTest, BeforeAnyCalculationEverythingIsVisible)
{
    EXPECT_TRUE(frustum_isPointVisable(0, 0, 0));
    EXPECT_TRUE(frustum_isPointVisable(1e9f, -1e9f, 1e9f));
    EXPECT_TRUE(frustum_isSphereVisable(1e9f, 0, 0, 0));
    EXPECT_FALSE(frustum_isSphereVisable(0, 0, 0, -1)); // 0 < -(-1): even zero planes reject
}

TEST_F(FrustumTest, IdentityMatricesGiveTheUnitCube)
{
    const Matrix id = identity();
    frustum_calculateFrom(id.data(), id.data());
    const std::array<float, 4> expected[6] = {{-1, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1},
                                              {0, -1, 0, 1}, {0, 0, -1, 1}, {0, 0, 1, 1}};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(frustum_getPlane(i), expected[i]) << "plane " << i;
    EXPECT_EQ(frustum_getPlane(6), (std::array<float, 4>{0, 0, 0, 0}));
    EXPECT_EQ(frustum_getPlane(-1), (std::array<float, 4>{0, 0, 0, 0}));

    EXPECT_TRUE(frustum_isPointVisable(0, 0, 0));
    EXPECT_TRUE(frustum_isPointVisable(1, 0, 0)); // on the plane counts as inside
    EXPECT_FALSE(frustum_isPointVisable(1.5f, 0, 0));
    EXPECT_FALSE(frustum_isPointVisable(0, 0, -1.01f));
    EXPECT_TRUE(frustum_isSphereVisable(1.5f, 0, 0, 0.5f)); // touching from outside
    EXPECT_FALSE(frustum_isSphereVisable(1.5f, 0, 0, 0.4f));
    EXPECT_TRUE(frustum_isSphereVisable(1.3f, 1.3f, 0, 0.4f)); // conservative at a corner

    // A negative radius shrinks the sphere: a centre within |radius| of a plane is rejected.
    EXPECT_FALSE(frustum_isSphereVisable(0.8f, 0, 0, -0.3f));
    EXPECT_TRUE(frustum_isSphereVisable(0.8f, 0, 0, -0.1f));

    frustum_reset();
    EXPECT_TRUE(frustum_isPointVisable(1.5f, 0, 0));
}

TEST_F(FrustumTest, ModelViewIsAppliedBeforeProjection)
{
    // Projection halves every axis; the model-view moves the world 5 left (eye at x = 5).
    Matrix projection = identity();
    projection[0] = projection[5] = projection[10] = 0.5f;
    Matrix modelview = identity();
    modelview[12] = -5;
    frustum_calculateFrom(projection.data(), modelview.data());
    EXPECT_TRUE(frustum_isPointVisable(3, 0, 0));
    EXPECT_TRUE(frustum_isPointVisable(7, 1.9f, -1.9f));
    EXPECT_FALSE(frustum_isPointVisable(2.9f, 0, 0));
    EXPECT_FALSE(frustum_isPointVisable(9, 0, 0)); // inside only if the product ran the wrong way
    // Normalised planes measure world units: x = 7 is the right plane.
    EXPECT_TRUE(frustum_isSphereVisable(8, 0, 0, 1));
    EXPECT_FALSE(frustum_isSphereVisable(8, 0, 0, 0.9f));
}

class FrustumWindowTest : public FrustumTest {
protected:
    void SetUp() override
    {
        FrustumTest::SetUp();
        ASSERT_TRUE(test_startVideo(640, 480)) << "no window under the test display";
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 640.0 / 480.0, 0.1, 2000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    void TearDown() override
    {
        test_stopVideo();
        FrustumTest::TearDown();
    }
};

TEST_F(FrustumWindowTest, GamePerspectiveSeesFromNearToFarAhead)
{
    frustum_calculate();
    EXPECT_TRUE(frustum_isPointVisable(0, 0, -1));
    EXPECT_TRUE(frustum_isPointVisable(0, 0, -1999));
    EXPECT_FALSE(frustum_isPointVisable(0, 0, -2001));
    EXPECT_FALSE(frustum_isPointVisable(0, 0, 1));
    EXPECT_FALSE(frustum_isPointVisable(0, 0, -0.05f));

    // At depth 10 the right edge is at 10 * tan(22.5 deg) * 4/3, about 5.523.
    const float edge = static_cast<float>(10.0 * std::tan(22.5 * 3.14159265358979 / 180.0) * 4.0 / 3.0);
    EXPECT_TRUE(frustum_isPointVisable(edge - 0.05f, 0, -10));
    EXPECT_FALSE(frustum_isPointVisable(edge + 0.05f, 0, -10));
    EXPECT_FALSE(frustum_isPointVisable(0, 0.8f * edge, -10)); // the view is less tall than wide
    // 0.4 beyond the edge is 0.35 from the slanted plane: radius in world units.
    EXPECT_TRUE(frustum_isSphereVisable(edge + 0.4f, 0, -10, 0.5f));
    EXPECT_FALSE(frustum_isSphereVisable(edge + 0.4f, 0, -10, 0.3f));
}

TEST_F(FrustumWindowTest, PlanesFollowTheCameraTransformIntoWorldCoordinates)
{
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    frustum_calculate();
    EXPECT_TRUE(frustum_isPointVisable(0, 0, 0));
    EXPECT_TRUE(frustum_isPointVisable(0, 0, -1989));
    EXPECT_FALSE(frustum_isPointVisable(0, 0, -1991));
    EXPECT_FALSE(frustum_isPointVisable(0, 0, 9.95f));
    EXPECT_FALSE(frustum_isPointVisable(20, 0, 0));
}

} // namespace
