#include <Vexir/Color.h>
#include <Vexir/Spectrum.h>

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

namespace {

using namespace Vexir;

TEST(Spectrum, UniformInitialisationAndInterpolation)
{
    SpectrumUniform byStep;
    ASSERT_TRUE(byStep.InitSpectra(380, 780, 5.0f));
    EXPECT_EQ(byStep.GetNumData(), 80);
    EXPECT_EQ(byStep.GetMaxWaveLen(), 780.0f);
    SpectrumUniform byCount;
    ASSERT_TRUE(byCount.InitSpectra(380, 780, 81));
    EXPECT_EQ(byCount.GetWaveLenStep(), 5.0f);
    EXPECT_FALSE(byCount.InitSpectra(500, 500, 10));
    EXPECT_EQ(byCount.GetNumData(), 0) << "a failed initialisation leaves it empty";
    EXPECT_FALSE(byCount.InitSpectra(500, 500, 1.0f));
    EXPECT_FALSE(byCount.InitSpectra(380, 780, 1));
    EXPECT_FALSE(byCount.InitSpectra(380, 780, -5.0f));

    for (int i = 0; i < 80; ++i)
        byStep.GetDataPtr()[i] = static_cast<float>(i);
    EXPECT_EQ(byStep.GetInterpolated(777), 79.0f) << "the last sample up to max";
    EXPECT_EQ(byStep.GetInterpolated(781), 0.0f);
    EXPECT_EQ(byStep.GetInterpolated(379), 0.0f);
    EXPECT_EQ(byStep.GetInterpolated(382.5f), 0.5f);
    EXPECT_EQ(byStep.GetInterpolated(std::nanf("")), 0.0f);
    EXPECT_EQ(SpectrumUniform().GetInterpolated(500), 0.0f);

    SpectrumUniform copy = byStep;
    copy.GetDataPtr()[0] = 99;
    EXPECT_EQ(byStep.GetDataPtr()[0], 0.0f) << "copies are deep";
    copy = byStep;
    EXPECT_EQ(copy.GetInterpolated(390), 2.0f);
}

// Ranges whose step is not a finite, positive number: the spectrum would place
// its samples at infinity or all at one wavelength, and reading it would index
// far outside its samples.
TEST(Spectrum, RangesWithoutAFiniteStepAreRefused)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    struct Range {
        float min, max;
        int count;       // for the count form
        bool anyStep;    // the step form refuses it too, whatever the step
    };
    // Too wide for a float, no number at an end, or too narrow for its samples
    // (one denormal step shared by 80 intervals rounds to 0).
    const Range ranges[] = {{-3e38f, 3e38f, 2, true}, {-FLT_MAX, FLT_MAX, 81, true}, {-inf, 0, 2, true},
                            {0, inf, 81, true},       {-inf, inf, 3, true},          {nan, 500, 81, true},
                            {380, nan, 2, true},      {1e-45f, 3e-45f, 81, false},   {1e-45f, 3e-45f, 3, false}};
    for (const Range& range : ranges) {
        SCOPED_TRACE(testing::Message() << range.min << " to " << range.max);
        SpectrumUniform spectrum(380, 780, 81, nullptr);
        EXPECT_FALSE(spectrum.InitSpectra(range.min, range.max, range.count)) << range.count << " samples";
        EXPECT_EQ(spectrum.GetNumData(), 0);
        EXPECT_EQ(spectrum.GetDataPtr(), nullptr);
        for (float wavelength : {range.min, range.max, 0.0f, 500.0f, 2e-45f})
            EXPECT_EQ(spectrum.GetInterpolated(wavelength), 0.0f);
        for (float step : {5.0f, 1e38f, inf, 1e-45f}) {
            if (!range.anyStep)
                break;
            SpectrumUniform byStep;
            EXPECT_FALSE(byStep.InitSpectra(range.min, range.max, step)) << "by " << step;
            EXPECT_EQ(byStep.GetNumData(), 0);
        }
    }
    // A tiny range is fine while its step is a number above 0.
    SpectrumUniform tiny;
    ASSERT_TRUE(tiny.InitSpectra(1e-40f, 3e-40f, 3));
    tiny.GetDataPtr()[0] = 1, tiny.GetDataPtr()[1] = 2, tiny.GetDataPtr()[2] = 3;
    EXPECT_EQ(tiny.GetInterpolated(1e-40f), 1.0f);
    EXPECT_EQ(tiny.GetInterpolated(3e-40f), 3.0f);
    EXPECT_NEAR(tiny.GetInterpolated(2e-40f), 2.0f, 1e-3f);
}

// A temperature that is no number, or none a light could have, makes no spectrum.
TEST(Spectrum, GeneratorsRefuseTemperaturesThatAreNoNumbers)
{
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (float kelvin : {nan, inf, -inf}) {
        SCOPED_TRACE(kelvin);
        SpectrumUniform daylight, body;
        EXPECT_FALSE(daylight.Create_DT_Spectrum(kelvin));
        EXPECT_FALSE(body.Create_BB_Spectrum(kelvin));
    }
    for (float kelvin : {0.0f, -5.0f}) {
        SpectrumUniform body;
        EXPECT_FALSE(body.Create_BB_Spectrum(kelvin)) << kelvin;
    }
    SpectrumUniform body;
    ASSERT_TRUE(body.Create_BB_Spectrum(1e-3f)) << "a cold body is black, but a body";
    for (int i = 0; i < body.GetNumData(); ++i)
        EXPECT_EQ(body.GetDataPtr()[i], 0.0f);
}

TEST(Spectrum, IrregularHoldsItsEnds)
{
    const float wavelengths[] = {400, 500, 600};
    const float amplitudes[] = {1, 2, 4};
    const SpectrumIrregular spectrum(3, wavelengths, amplitudes);
    EXPECT_EQ(spectrum.GetInterpolated(300), 1.0f);
    EXPECT_EQ(spectrum.GetInterpolated(650), 4.0f);
    EXPECT_EQ(spectrum.GetInterpolated(500), 2.0f);
    EXPECT_EQ(spectrum.GetInterpolated(550), 3.0f);
    EXPECT_EQ(SpectrumIrregular().GetInterpolated(500), 0.0f);
    SpectrumIrregular copy(spectrum);
    copy.GetAmplitudeDataPtr()[1] = 7;
    EXPECT_EQ(spectrum.GetInterpolated(500), 2.0f);
    const float descending[] = {600, 500};
    SpectrumIrregular bad;
    EXPECT_FALSE(bad.InitSpectra(2, descending));
    EXPECT_FALSE(bad.InitSpectra(1, wavelengths));
}

TEST(Spectrum, BlackBodyPeaksWhereWiensLawSays)
{
    for (float kelvin : {5000.0f, 6000.0f, 7000.0f}) {
        SpectrumUniform body;
        ASSERT_TRUE(body.Create_BB_Spectrum(kelvin));
        int peak = 0;
        for (int i = 1; i < body.GetNumData(); ++i)
            if (body.GetDataPtr()[i] > body.GetDataPtr()[peak])
                peak = i;
        const float wien = 2.897771955e6f / kelvin;  // nm
        EXPECT_NEAR(380 + 5 * peak, wien, 5) << kelvin;
    }
}

TEST(Spectrum, DaylightAt6504KelvinIsD65)
{
    SpectrumUniform daylight;
    ASSERT_TRUE(daylight.Create_DT_Spectrum(6504));
    const SpectrumUniform& d65 = Get_CIE_Light_D65();
    EXPECT_EQ(d65.GetInterpolated(560), 100.0f);
    EXPECT_EQ(d65.GetInterpolated(380), 50.0f);
    for (int i = 0; i < 80; ++i)
        EXPECT_NEAR(daylight.GetDataPtr()[i], d65.GetDataPtr()[i], 0.11) << 380 + 5 * i << " nm";
    EXPECT_FALSE(daylight.Create_DT_Spectrum(3999));
    EXPECT_FALSE(daylight.Create_DT_Spectrum(25001));
    ASSERT_TRUE(daylight.Create_DT_Spectrum(7000));
    EXPECT_NEAR(daylight.GetInterpolated(560), 100.0f, 1e-4f);
}

TEST(Spectrum, IlluminantsAreInTheirStatedScales)
{
    EXPECT_NEAR(Get_CIE_Light_A().GetInterpolated(380), 0.0453f, 1e-4f);
    EXPECT_NEAR(Get_CIE_Light_A().GetInterpolated(560), 100.0f / 216.12f, 1e-4f);
    EXPECT_NEAR(Get_CIE_Light_B().GetInterpolated(380), 0.1036f, 1e-4f);
    EXPECT_NEAR(Get_CIE_Light_B().GetInterpolated(560), 0.4757f, 1e-4f);
    EXPECT_NEAR(Get_CIE_Light_C().GetInterpolated(380), 0.1527f, 1e-4f);
    EXPECT_NEAR(Get_CIE_Light_C().GetInterpolated(560), 0.4872f, 1e-4f);
    EXPECT_NEAR(Get_CIE_Light_A().GetInterpolated(730), 1.0f, 1e-6f) << "A is 1 at 730 nm, where it was scaled";
    EXPECT_EQ(Get_CIE_Light_F().GetInterpolated(435), 1.0f);
    for (const SpectrumUniform* light : {&Get_CIE_Light_A(), &Get_CIE_Light_B(), &Get_CIE_Light_C(),
                                         &Get_CIE_Light_D65(), &Get_CIE_Light_F()}) {
        EXPECT_EQ(light->GetNumData(), 80);
        EXPECT_EQ(light->GetMinWaveLen(), 380.0f);
        EXPECT_EQ(light->GetMaxWaveLen(), 780.0f);
    }
    EXPECT_EQ(&Get_CIE_Light_D65(), &Get_CIE_Light_D65());
}

// The white point of D65 under the 1931 observer.
TEST(Spectrum, D65IntegratesToItsWhitePoint)
{
    const ColorConverter converter;
    const Color_CIE_XYZ xyz = converter.SpectrumToXYZ(Get_CIE_Light_D65(), CIE_1931_2DEG);
    const double sum = xyz.X + xyz.Y + xyz.Z;
    EXPECT_NEAR(xyz.X / sum, 0.3127, 1e-4);
    EXPECT_NEAR(xyz.Y / sum, 0.3290, 1e-4);
    const Color_CIE_XYZ tenDegree = converter.SpectrumToXYZ(Get_CIE_Light_D65(), CIE_1964_10DEG);
    const double sum10 = tenDegree.X + tenDegree.Y + tenDegree.Z;
    EXPECT_NEAR(tenDegree.X / sum10, 0.3138, 2e-4) << "the 10-degree white point of D65";
}

TEST(Spectrum, AFlatSpectrumIntegratesToTheObserversSum)
{
    float ones[80];
    for (float& one : ones)
        one = 1;
    const SpectrumUniform flat(380, 780, 5.0f, ones);
    const Color_CIE_XYZ xyz = ColorConverter().SpectrumToXYZ(flat, CIE_1931_2DEG);
    EXPECT_NEAR(xyz.Y, 106.8565 * 683.0020141601562, 0.01) << "the tables are floats";
}

}  // namespace
