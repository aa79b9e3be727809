#include <Vexir/Vectors.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

namespace {

using namespace Vexir;

const float kNaN = std::numeric_limits<float>::quiet_NaN();

TEST(Vectors, NormalizeMultipliesByTheFloatReciprocal)
{
    Vector2f v(3, 4);
    v.Normalize();
    EXPECT_EQ(v.x, 0.60000002f);
    EXPECT_EQ(v.y, 0.80000001f);
    EXPECT_EQ(v.x, 3 * (1.0f / 5.0f));

    const Vector3f zero = Vector3f(0, 0, 0).Normalized();
    EXPECT_EQ(zero, Vector3f(0, 0, 0));
    const Vector3f withNaN = Normalized(Vector3f(kNaN, 1, 1));
    EXPECT_EQ(withNaN, Vector3f(0, 0, 0));
    EXPECT_EQ(Length(Vector3f(kNaN, 1, 1)), 0.0f);
    EXPECT_EQ(Vector2f(0, 0).Length(), 0.0f);
    EXPECT_EQ(Length(Vector3f(2, 3, 6)), 7.0f);
    const Vector2f source(6, 8);
    EXPECT_EQ(Normalized(source), Vector2f(0.60000002f, 0.80000001f));
    EXPECT_EQ(source, Vector2f(6, 8)) << "Normalized leaves its operand";
}

TEST(Vectors, SelectorsCompareAbsoluteValuesAndGiveTiesToTheLater)
{
    EXPECT_EQ(Vector3f(-5, 1, 2).MaxComponent(), 0);
    EXPECT_EQ(Vector3f(1, 1, 1).MaxComponent(), 2);
    EXPECT_EQ(Vector3f(2, 2, 1).MaxComponent(), 1);
    EXPECT_EQ(Vector3f(1, 1, 1).MinComponent(), 2);
    EXPECT_EQ(Vector3f(1, 2, 3).MinComponent(), 0);
    EXPECT_EQ(Vector3f(3, -1, 2).MinComponent(), 1);
    EXPECT_EQ(Vector3f(kNaN, 1, 0).MaxComponent(), 1) << "NaN loses every comparison";
    EXPECT_EQ(Vector3f(-5, 1, 2).MaxAbsValue(), 5.0f);
    EXPECT_EQ(Vector3f(-5, 1, 2).MinAbsValue(), 1.0f);
    EXPECT_EQ(Vector2f(-3, 3).MaxComponent(), 1);
    EXPECT_EQ(Vector2f(-4, 3).MaxComponent(), 0);
    EXPECT_EQ(Vector2f(-4, 3).MinComponent(), 1);
    EXPECT_EQ(Vector2f(-4, 3).MinAbsValue(), 3.0f);
}

TEST(Vectors, ClampRaisesThenLowersAndKeepsNaN)
{
    Vector3f v(-2, 0.5f, 9);
    v.Clamp(0, 1);
    EXPECT_EQ(v, Vector3f(0, 0.5f, 1));
    Vector3f crossed(-1, 0.5f, 2);
    crossed.Clamp(1, 0);
    EXPECT_EQ(crossed, Vector3f(0, 0, 0));
    Vector2f nan(kNaN, 5);
    nan.Clamp(0, 1);
    EXPECT_TRUE(std::isnan(nan.x));
    nan.ClampNaN();
    EXPECT_EQ(nan, Vector2f(0, 1));
}

TEST(Vectors, ProductsAverageAndConversions)
{
    EXPECT_EQ(Vector3f(1, 1, 1).Average(), 0.99998999f);
    EXPECT_EQ(Vector3f(1, 0, 0).CrossProd(Vector3f(0, 1, 0)), Vector3f(0, 0, 1));
    EXPECT_EQ(Vector3f(0, 1, 0).CrossProd(Vector3f(1, 0, 0)), Vector3f(0, 0, -1));
    EXPECT_EQ(DotProd(Vector2f(1, 2), Vector2f(3, 4)), 11.0f);
    EXPECT_EQ(Vector2f(Vector3f(1, 2, 3)), Vector2f(1, 2));
    EXPECT_EQ(Vector4f(Vector3f(1, 2, 3), 4).w, 4.0f);
    Vector2f v;
    v.Set(0.1, 0.2);
    EXPECT_EQ(v, Vector2f(0.1f, 0.2f));
    v.Set(3, -4);
    EXPECT_EQ(v.LengthSquared(), 25.0f);
    v.Origin();
    EXPECT_EQ(v, Vector2f());
    static_assert(sizeof(Vector3f[4]) == 12 * sizeof(float), "components are contiguous");

    Rect2i rect;
    rect.Set(1, 2, 3, 4);
    Rect2i copy;
    copy.Set(rect);
    EXPECT_EQ(copy.first.x + copy.first.y * 10 + copy.second.x * 100 + copy.second.y * 1000, 4321);
}

TEST(Vectors, StreamFormsUseTheStreamsFormatting)
{
    std::stringstream text;
    text << Vector2f(1, 2);
    EXPECT_EQ(text.str(), "(1,2)");
    std::stringstream three;
    three << Vector3f(1, 2.5f, -3) << Vector4f(0.1f, 1e7f, 0, 1);
    EXPECT_EQ(three.str(), "(1,2.5,-3)(0.1,1e+07,0,1)");
    std::stringstream precise;
    precise.precision(9);
    precise << Vector2f(0.6f, 0);
    EXPECT_EQ(precise.str(), "(0.600000024,0)");
}

}  // namespace
