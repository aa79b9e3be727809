#include <Vexir/Color.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using namespace Vexir;

void ExpectColor(const Color3f& c, float r, float g, float b, float tolerance = 1e-6f)
{
    EXPECT_NEAR(c.r, r, tolerance);
    EXPECT_NEAR(c.g, g, tolerance);
    EXPECT_NEAR(c.b, b, tolerance);
}

TEST(Color3f, HsvConversionsFollowTheirTieRules)
{
    EXPECT_EQ(Color3f(0, 0, 0).RGBToHSV(), Color3f(0, 0, 0));
    EXPECT_EQ(Color3f(1, 0, 0).RGBToHSV(), Color3f(0, 1, 1));
    ExpectColor(Color3f(0, 0, 1).RGBToHSV(), 4.0f / 6, 1, 1);
    EXPECT_EQ(Color3f(0.5f, 0.5f, 0.5f).RGBToHSV(), Color3f(0, 0, 0.5f)) << "a grey has hue 0, not NaN";
    EXPECT_EQ(Color3f(0.5f, 1, 1).HSVToRGB(), Color3f(0, 1, 1));
    EXPECT_EQ(Color3f(1, 0.5f, 0.25f).HSVToRGB(), Color3f(1, 0.5f, 0.25f)) << "hue 1 is out of range";
    EXPECT_EQ(Color3f(0.7f, 0, 0.3f).HSVToRGB(), Color3f(0.3f, 0.3f, 0.3f));
    EXPECT_EQ(Color3f(1, 1, 0).RGBToHSV().r, 1.0f / 6) << "a tie goes to the earlier channel";
}

TEST(Color3f, HsvRoundTripsOverAGrid)
{
    for (int r = 0; r <= 10; ++r)
        for (int g = 0; g <= 10; ++g)
            for (int b = 0; b <= 10; ++b) {
                const Color3f rgb(r / 10.0f, g / 10.0f, b / 10.0f);
                Color3f back = rgb;
                back.RGBToHSV().HSVToRGB();
                ExpectColor(back, rgb.r, rgb.g, rgb.b, 1e-6f);
            }
}

// Red-dominant colours whose blue exceeds green by a few ulps have a hue a hair
// below 0, which single precision rounds to 1 once a turn is added: it is 0.
TEST(Color3f, HueStaysBelowOneAndRoundTripsNearTies)
{
    for (float red : {1.0f, 0.75f, 0.3f})
        for (float green : {0.0f, 0.2f, 0.5f, 0.29f})
            for (int ulps = 1; ulps <= 4; ++ulps) {
                float blue = green;
                for (int i = 0; i < ulps; ++i)
                    blue = std::nextafter(blue, 1.0f);
                if (blue >= red)
                    continue;
                const Color3f rgb(red, green, blue);
                Color3f hsv = rgb;
                hsv.RGBToHSV();
                EXPECT_GE(hsv.r, 0.0f);
                EXPECT_LT(hsv.r, 1.0f) << red << " " << green << " +" << ulps << " ulps";
                ExpectColor(Color3f(hsv).HSVToRGB(), red, green, blue, 1e-6f);
                Color3f scaled = rgb;
                scaled.Scale(2, Color3f::SCALE_VALUE);
                ExpectColor(scaled, 2 * red, 2 * green, 2 * blue, 1e-5f);
            }
}

// Channels whose range overflows a float, and infinite channels: the hue and
// saturation are numbers, the ones the colour's direction gives (an infinite
// channel outweighs every finite one), and HSVToRGB brings the colour back.
TEST(Color3f, HsvOfHugeAndInfiniteChannelsIsANumber)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        Color3f rgb, hsv;
    };
    const Case cases[] = {
        {{FLT_MAX, FLT_MAX, -FLT_MAX}, {1.0f / 6, 2, FLT_MAX}},
        {{FLT_MAX, -FLT_MAX, 0}, {11.0f / 12, 2, FLT_MAX}},
        {{inf, 0, 0}, {0, 1, inf}},
        {{inf, inf, 0}, {1.0f / 6, 1, inf}},
        {{0, 0, inf}, {4.0f / 6, 1, inf}},
        {{inf, 5, -inf}, {1.0f / 12, 2, inf}},
        {{inf, inf, inf}, {0, 0, inf}},
        {{-inf, -inf, -inf}, {0, 0, -inf}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rgb.r << ", " << c.rgb.g << ", " << c.rgb.b);
        Color3f hsv = c.rgb;
        hsv.RGBToHSV();
        EXPECT_NEAR(hsv.r, c.hsv.r, 1e-6f);
        EXPECT_NEAR(hsv.g, c.hsv.g, 1e-6f);
        EXPECT_EQ(hsv.b, c.hsv.b);
        // Beside an infinite channel a finite one is as nothing, and comes back as 0.
        const bool infinite = std::isinf(c.rgb.r) || std::isinf(c.rgb.g) || std::isinf(c.rgb.b);
        Color3f back = hsv;
        back.HSVToRGB();
        for (int i = 0; i < 3; ++i) {
            const float given = (&c.rgb.r)[i], actual = (&back.r)[i];
            const float expected = infinite && !std::isinf(given) ? 0 : given;
            if (std::isinf(expected) || expected == 0)
                EXPECT_EQ(actual, expected) << "channel " << i;
            else
                EXPECT_NEAR(actual / expected, 1.0f, 1e-6f) << "channel " << i;
        }
    }
    // Every mix of the extremes gives a number for the hue and saturation.
    const float extremes[] = {-inf, -FLT_MAX, -1, 0, 1, FLT_MAX, inf};
    for (float r : extremes)
        for (float g : extremes)
            for (float b : extremes) {
                Color3f hsv(r, g, b);
                hsv.RGBToHSV();
                EXPECT_FALSE(std::isnan(hsv.r) || std::isnan(hsv.g)) << r << ", " << g << ", " << b;
                EXPECT_TRUE(hsv.r >= 0 && hsv.r < 1) << r << ", " << g << ", " << b;
            }
}

// The value scales keep the colour's direction, also for colours whose
// largest channel is 0 or below, which HSV cannot hold.
TEST(Color3f, ValueScalesKeepTheColoursDirection)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        Color3f rgb;
        float factor;
        Color3f byValue;
    };
    const Case cases[] = {
        {{0, -1, -1}, 1, {0, -1, -1}},       {{0, -1, -1}, 2, {0, -2, -2}},
        {{-1, -2, -3}, 3, {-3, -6, -9}},     {{0.5f, 0.25f, 0}, 2, {1, 0.5f, 0}},
        {{inf, 0, 0}, 2, {inf, 0, 0}},       {{0, 0, 0}, 5, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rgb.r << ", " << c.rgb.g << ", " << c.rgb.b << " by " << c.factor);
        Color3f scaled = c.rgb;
        scaled.Scale(c.factor, Color3f::SCALE_VALUE);
        EXPECT_EQ(scaled, c.byValue);
    }
    Color3f unchanged(0, -1, -1);
    unchanged.Scale(9, Color3f::SCALE_LOG_VALUE);
    EXPECT_EQ(unchanged, Color3f(0, -1, -1)) << "a value of 0 stays 0";
    Color3f logged(4.5f, 2.25f, 0);
    logged.Scale(2, Color3f::SCALE_LOG_VALUE);
    ExpectColor(logged, 1, 0.5f, 0);
}

TEST(Color3f, ScalesSaturationAndMatrices)
{
    Color3f c(0, 0, 0);
    c.Scale(2, Color3f::SCALE_LOG);
    EXPECT_EQ(c, Color3f(0, 0, 0));
    Color3f red(4.5f, 0, 0);
    red.Scale(2, Color3f::SCALE_LOG);
    EXPECT_EQ(red, Color3f(1, 0, 0));
    Color3f value(0.2f, 0.4f, 0.1f);
    value.Scale(2, Color3f::SCALE_VALUE);
    ExpectColor(value, 0.4f, 0.8f, 0.2f);
    Color3f same(0.2f, 0.4f, 0.1f);
    same.Scale(2, static_cast<Color3f::ScaleType>(9));
    EXPECT_EQ(same, Color3f(0.2f, 0.4f, 0.1f));
    Color3f grey(0.2f, 0.4f, 0.6f);
    grey.Saturation(0);
    ExpectColor(grey, 0.4f, 0.4f, 0.4f);
    EXPECT_EQ(Color3f(1, 1, 1).Average(), 1.0f);
    EXPECT_NEAR(Color3f(1, 1, 1).Luminance(), 1.0f, 1e-6f);
    Color3f white(1, 1, 1);
    white.RGBToXYZ();
    ExpectColor(white, 0.950456f, 1.0f, 1.088754f, 1e-5f);
    white.XYZToRGB();
    ExpectColor(white, 1, 1, 1, 1e-4f);
}

TEST(Color4f, HeapColoursAreAligned)
{
    Color4fSSE* many = Color4fSSE::Allocate(7);
    ASSERT_NE(many, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(many) % 16, 0u);
    Color4fSSE::Deallocate(many);
    auto* one = new Color4fSSE;
    auto* array = new Color4fSSE[3];
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(one) % 16, 0u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(array) % 16, 0u);
    delete one;
    delete[] array;
    Color4f* plain = Color4f::Allocate(4);
    ASSERT_NE(plain, nullptr);
    plain[3].a = 1;
    Color4f::Deallocate(plain);
}

TEST(Phosphors, ZIsOneMinusXMinusY)
{
    EXPECT_EQ(Get_NTSC_Phosphors().red.z, -5.551115123125783e-17);
    EXPECT_EQ(Get_sRGB_Phosphors().red.z, 0.02999999999999997);
    EXPECT_EQ(&Get_sRGB_Phosphors(), &Get_sRGB_Phosphors());
}

class ColorConverterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(converter.ComputeXYZ_to_RGB_Matrix(Get_sRGB_Phosphors())); }
    ColorConverter converter;
};

TEST_F(ColorConverterTest, RowsOfTheSrgbMatrixSumToTheWhite)
{
    double m[9];
    converter.GetRGB2XYZMat(m);
    EXPECT_NEAR(m[0] + m[3] + m[6], 0.3127 / 0.329, 1e-12);
    EXPECT_NEAR(m[1] + m[4] + m[7], 1.0, 1e-12);
    EXPECT_NEAR(m[2] + m[5] + m[8], 0.3583 / 0.329, 1e-12);
    EXPECT_NEAR(m[0], 0.4124, 1e-3) << "the published sRGB matrix";
    double inverse[9];
    converter.GetXYZ2RGBMat(inverse);
    EXPECT_NEAR(inverse[0], 3.2406, 1e-3);
}

TEST_F(ColorConverterTest, GamutClipMovesTowardsTheWhite)
{
    const Color_CIE_XYZ inside = converter.LinearRGB_to_XYZ(Color3f(0.2f, 0.5f, 0.3f));
    ExpectColor(converter.XYZ_to_LinearRGB(inside), 0.2f, 0.5f, 0.3f, 1e-6f);
    Color_CIE_XYZ outside;
    outside.X = 0.1, outside.Y = 0.5, outside.Z = 0.05;  // a green beyond sRGB
    const Color3f clipped = converter.XYZ_to_LinearRGB(outside);
    EXPECT_NEAR(std::fmin(clipped.r, std::fmin(clipped.g, clipped.b)), 0.0f, 1e-6f);
    EXPECT_GE(clipped.r, -1e-6f);
    EXPECT_GE(clipped.b, -1e-6f);
}

TEST_F(ColorConverterTest, TransferCurvesRoundTrip)
{
    for (int i = 0; i <= 1000; ++i) {
        const float c = i / 1000.0f;
        const Color3f encoded = converter.LinRGB_to_nonLinRGB(Color3f(c, c, c), RGB_SRGB, 0);
        const Color3f decoded = converter.nonLinRGB_to_LinRGB(encoded, RGB_SRGB, 0);
        ASSERT_NEAR(decoded.r, c, 2e-6f) << c;
        const Color3f gamma = converter.nonLinRGB_to_LinRGB(converter.LinRGB_to_nonLinRGB(Color3f(c, 0, 1), RGB_GAMMA, 2.2f),
                                                            RGB_GAMMA, 2.2f);
        ASSERT_NEAR(gamma.r, c, 2e-6f);
    }
    // The two thresholds meet on the curve.
    const float linear = 0.0031308f;
    EXPECT_NEAR(converter.LinRGB_to_nonLinRGB(Color3f(linear, 0, 0), RGB_SRGB, 0).r, 0.04045f, 1e-5f);
    const Color3f untouched(0.3f, 0.6f, 0.9f);
    EXPECT_EQ(converter.LinRGB_to_nonLinRGB(untouched, static_cast<RGB_Methods>(2), 1), untouched);
    EXPECT_EQ(converter.nonLinRGB_to_LinRGB(untouched, static_cast<RGB_Methods>(2), 1), untouched);
}

TEST(ColorConverter, StartsAtZeroAndRefusesSingularPhosphors)
{
    ColorConverter converter;
    double m[9] = {1};
    converter.GetXYZ2RGBMat(m);
    EXPECT_EQ(m[0], 0.0);
    const Phosphors flat(0.3, 0.3, 0.3, 0.3, 0.3, 0.3, 0.3127, 0.329);
    EXPECT_FALSE(converter.ComputeXYZ_to_RGB_Matrix(flat));
    // No white at all, or no number: the matrices would be NaN.
    EXPECT_FALSE(converter.ComputeXYZ_to_RGB_Matrix(Phosphors(0.64, 0.33, 0.30, 0.60, 0.15, 0.06, 0.3127, 0)));
    EXPECT_FALSE(converter.ComputeXYZ_to_RGB_Matrix(Phosphors(0.64, 0.33, 0.30, 0.60, 0.15, 0.06, std::nan(""), 0.329)));
    EXPECT_FALSE(converter.ComputeXYZ_to_RGB_Matrix(Phosphors(std::nan(""), 0.33, 0.30, 0.60, 0.15, 0.06, 0.3127, 0.329)));
    EXPECT_TRUE(converter.ComputeXYZ_to_RGB_Matrix(Get_sRGB_Phosphors()));
}

}  // namespace
