#include <Vexir/PointMapper.h>

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

using namespace Vexir;

Vector2f Concentric(float x, float y, float angle = 0)
{
    Vector2f p(x, y);
    EXPECT_TRUE(PointMapper::MapDiscConcentric(&p, 1, angle));
    return p;
}

void ExpectPoint(const Vector2f& p, float x, float y)
{
    EXPECT_NEAR(p.x, x, 1e-6f);
    EXPECT_NEAR(p.y, y, 1e-6f);
}

TEST(PointMapper, ConcentricMapsTheSquaresEdgeToTheCircle)
{
    ExpectPoint(Concentric(0, 0), 0, 0);
    ExpectPoint(Concentric(1, 0), 1, 0);
    ExpectPoint(Concentric(0, 1), 0, 1);
    ExpectPoint(Concentric(-1, 0), -1, 0);
    ExpectPoint(Concentric(0, -1), 0, -1);
    const float diagonal = std::sqrt(0.5f);
    ExpectPoint(Concentric(1, 1), diagonal, diagonal);
    ExpectPoint(Concentric(-1, -1), -diagonal, -diagonal);
    ExpectPoint(Concentric(1, 0, 90), 0, -1);  // a turn is clockwise
    EXPECT_NEAR(Concentric(0.5f, -0.3f).Length(), 0.5f, 1e-6f) << "radius = max(|x|, |y|)";

    float xs[] = {1, 0}, ys[] = {0, 1};
    ASSERT_TRUE(PointMapper::MapDiscConcentric(xs, ys, 2, 0));
    EXPECT_NEAR(xs[1], 0, 1e-6f);
    EXPECT_NEAR(ys[1], 1, 1e-6f);
}

TEST(PointMapper, PolarRunsFromTheCentreToTheRim)
{
    Vector2f points[] = {{-1, 0.3f}, {1, -1}, {1, 0}};
    ASSERT_TRUE(PointMapper::MapDiscPolar(points, 3, 0));
    ExpectPoint(points[0], 0, 0);
    ExpectPoint(points[1], 1, 0);
    EXPECT_NEAR(points[2].x, -1, 1e-6f);
    float x = 1, y = -1;
    ASSERT_TRUE(PointMapper::MapDiscPolar(&x, &y, 1, 180));
    EXPECT_NEAR(x, -1, 1e-6f);
    EXPECT_NEAR(y, 0, 1e-6f);
}

TEST(PointMapper, SphereMapsThePolesAndStaysOnTheSphere)
{
    Vector3f points[] = {{0.7f, -1, 5}, {-1, 0, 0}, {0, 1, 0}};
    ASSERT_TRUE(PointMapper::MapSphere(points, 3));
    EXPECT_NEAR(points[0].x, 0, 1e-6f);
    EXPECT_NEAR(points[0].y, 0, 1e-6f);
    EXPECT_EQ(points[0].z, 1.0f);
    EXPECT_NEAR(points[1].x, 1, 1e-6f);
    EXPECT_NEAR(points[1].y, 0, 1e-6f);
    EXPECT_EQ(points[2].z, -1.0f);
}

TEST(PointMapper, CountsBelowOneAndNullArraysChangeNothing)
{
    float x = 0.5f, y = 0.5f, z = 9;
    EXPECT_TRUE(PointMapper::MapSphere(&x, &y, &z, 0));
    EXPECT_TRUE(PointMapper::MapDiscConcentric(&x, &y, -3, 45));
    EXPECT_TRUE(PointMapper::MapDiscPolar(static_cast<Vector2f*>(nullptr), 0, 0));
    EXPECT_EQ(x, 0.5f);
    EXPECT_EQ(z, 9.0f);
    EXPECT_FALSE(PointMapper::MapSphere(nullptr, &y, &z, 4));
}

// Four at a time and one by one agree within a few units in the last place.
TEST(PointMapper, FourWideSphereAgreesWithTheOnePointFormula)
{
    std::mt19937 random(3);
    std::uniform_real_distribution<float> square(-1, 1);
    const int count = 10007;
    std::vector<float> x(count), y(count), z(count);
    std::vector<Vector3f> reference(count);
    for (int i = 0; i < count; ++i) {
        x[i] = square(random);
        y[i] = square(random);
        reference[i] = Vector3f(x[i], y[i], 0);
    }
    x[5] = 3e6f;  // an angle beyond the four-wide range goes one by one
    reference[5].x = 3e6f;
    ASSERT_TRUE(PointMapper::MapSphere(x.data(), y.data(), z.data(), count));
    ASSERT_TRUE(PointMapper::MapSphere(reference.data(), count));
    for (int i = 0; i < count; ++i) {
        ASSERT_NEAR(x[i], reference[i].x, 4e-7f) << i;
        ASSERT_NEAR(y[i], reference[i].y, 4e-7f) << i;
        ASSERT_EQ(z[i], reference[i].z) << i;
        ASSERT_NEAR(Vector3f(x[i], y[i], z[i]).Length(), 1.0f, 1e-6f);
    }
}

TEST(PointMapper, OverlappingArraysGoOneByOne)
{
    std::vector<float> shared = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, -0.5f, 0.7f, 0.8f, 0, 0};
    float* x = shared.data();
    float* y = shared.data() + 1;  // overlaps x
    std::vector<float> z(8);
    ASSERT_TRUE(PointMapper::MapSphere(x, y, z.data(), 8));
    // What mapping the points one at a time, in order, gives.
    std::vector<float> expected = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, -0.5f, 0.7f, 0.8f, 0, 0};
    std::vector<float> expectedZ(8);
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(PointMapper::MapSphere(expected.data() + i, expected.data() + i + 1, expectedZ.data() + i, 1));
    EXPECT_EQ(shared, expected);
    EXPECT_EQ(z, expectedZ);
}

// Uniform samples stay uniform: the disc's quadrants and the sphere's octants
// get equal shares.
TEST(PointMapper, UniformSamplesStayUniform)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> square(-1, 1);
    const int count = 200000;
    std::vector<float> x(count), y(count), z(count);
    for (int i = 0; i < count; ++i)
        x[i] = square(random), y[i] = square(random);
    std::vector<float> dx = x, dy = y;
    ASSERT_TRUE(PointMapper::MapDiscConcentric(dx.data(), dy.data(), count, 17));
    ASSERT_TRUE(PointMapper::MapSphere(x.data(), y.data(), z.data(), count));
    int quadrants[4] = {}, octants[8] = {}, inner = 0;
    for (int i = 0; i < count; ++i) {
        ++quadrants[(dx[i] > 0) + 2 * (dy[i] > 0)];
        inner += dx[i] * dx[i] + dy[i] * dy[i] < 0.25f ? 1 : 0;
        ++octants[(x[i] > 0) + 2 * (y[i] > 0) + 4 * (z[i] > 0)];
    }
    for (int q : quadrants)
        EXPECT_NEAR(q, count / 4, count / 100);
    for (int o : octants)
        EXPECT_NEAR(o, count / 8, count / 100);
    EXPECT_NEAR(inner, count / 4, count / 100) << "the inner half radius holds a quarter of the area";
}

}  // namespace
