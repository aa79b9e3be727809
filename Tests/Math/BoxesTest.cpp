#include <Vexir/Boxes.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace Vexir;

TEST(Boxes, AnEmptyBoxBecomesItsFirstPoint)
{
    Box2f box;
    EXPECT_EQ(box.min.x, 999999986991104.0f);
    EXPECT_EQ(box.max.y, -999999986991104.0f);
    EXPECT_FALSE(box.ContainsPoint(Vector2f(0, 0)));
    box.AddPoint(Vector2f(2, 3));
    EXPECT_EQ(box.min, Vector2f(2, 3));
    EXPECT_EQ(box.max, Vector2f(2, 3));
    EXPECT_TRUE(box.ContainsPoint(Vector2f(2, 3)));

    Box3f empty;
    EXPECT_EQ(empty.Volume(), -std::numeric_limits<float>::infinity());
}

TEST(Boxes, AddPointsAndBoxesGrowTheBounds)
{
    const Vector3f points[] = {{1, 5, -1}, {4, 2, 0}, {-3, 3, 8}, {0, 0, 0}};
    Box3f box;
    box.AddPoints(points, 4);
    EXPECT_EQ(box.min, Vector3f(-3, 0, -1));
    EXPECT_EQ(box.max, Vector3f(4, 5, 8));
    Box3f one;
    for (const Vector3f& p : points)
        one.AddPoint(p);
    EXPECT_EQ(one.min, box.min);
    EXPECT_EQ(one.max, box.max);

    Box3f unchanged = box;
    unchanged.AddPoints(points, 0);
    unchanged.AddPoints(nullptr, 3);
    unchanged.AddPoints(points, -2);
    EXPECT_EQ(unchanged.min, box.min);

    Box2f flat(Vector2f(0, 0), Vector2f(1, 1));
    flat.AddBox(Box2f(Vector2f(-1, 0.5f), Vector2f(0.5f, 3)));
    EXPECT_EQ(flat.min, Vector2f(-1, 0));
    EXPECT_EQ(flat.max, Vector2f(1, 3));
}

TEST(Boxes, ContainmentIsInclusiveAndNaNCountsAsInside)
{
    const Box3f box(Vector3f(0, 0, 0), Vector3f(1, 2, 3));
    EXPECT_TRUE(box.ContainsPoint(Vector3f(1, 2, 3)));
    EXPECT_TRUE(box.ContainsPoint(Vector3f(0, 0, 0)));
    EXPECT_FALSE(box.ContainsPoint(Vector3f(1.0001f, 1, 1)));
    EXPECT_TRUE(box.ContainsPoint(Vector3f(std::nanf(""), 1, 1)));
}

TEST(Boxes, OverlapIsTheShareOfThisBox)
{
    const Box2f square(Vector2f(0, 0), Vector2f(2, 2));
    EXPECT_EQ(square.PercentOverlap(square), 1.0f);
    EXPECT_EQ(square.PercentOverlap(Box2f(Vector2f(1, 1), Vector2f(3, 3))), 0.25f);
    EXPECT_EQ(square.PercentOverlap(Box2f(Vector2f(2, 0), Vector2f(4, 2))), 0.0f) << "touching edges";
    EXPECT_EQ(square.PercentOverlap(Box2f(Vector2f(5, 5), Vector2f(6, 6))), 0.0f);
    const Box2f small(Vector2f(0.5f, 0.5f), Vector2f(1, 1));
    EXPECT_EQ(small.PercentOverlap(square), 1.0f);
    EXPECT_EQ(square.PercentOverlap(small), 0.0625f);

    const Box3f cube(0.0, 0.0, 0.0, 2.0, 2.0, 2.0);
    EXPECT_EQ(cube.PercentOverlap(Box3f(1.0f, 1.0f, 1.0f, 3.0f, 3.0f, 3.0f)), 0.125f);
    EXPECT_EQ(cube.Volume(), 8.0f);
    EXPECT_EQ(cube.SurfaceArea(), 24.0f);
    EXPECT_EQ(square.SurfaceArea(), 4.0f);
    const double lo[] = {1, 2, 3}, hi[] = {4, 6, 8};
    EXPECT_EQ(Box3f(lo, hi).Volume(), 60.0f);
    EXPECT_EQ(Box2f(1.0f, 2.0f, 99.0f, 4.0f, 6.0f, -99.0f).SurfaceArea(), 12.0f) << "z is ignored";
}

}  // namespace
