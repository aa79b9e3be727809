#include <Vexir/Color.h>
#include <Vexir/Spectrum.h>

#include <gtest/gtest.h>

#include <cmath>

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
