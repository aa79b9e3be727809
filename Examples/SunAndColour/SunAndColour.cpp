// The sun over a day: where it stands each hour, and the colour of a black
// body at a temperature that follows it (a rough stand-in for daylight: warm
// at the horizon, near 5800 K high up).
#include <Vexir/Color.h>
#include <Vexir/Date.h>
#include <Vexir/Spectrum.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

int main()
{
    const double latitude = 48.137, longitude = 11.575;  // degrees north and east
    Vexir::ColorConverter converter;
    converter.ComputeXYZ_to_RGB_Matrix(Vexir::Get_sRGB_Phosphors());

    std::printf("21 June 2026, local time UT+2, at %.3f N %.3f E\n", latitude, longitude);
    for (int hour = 5; hour <= 21; ++hour) {
        Vexir::Date date;
        date.Set(2026, 6, 21, static_cast<float>(hour), 0, 0, 2);
        double azimuth = 0, elevation = 0;
        date.GetSunPosition(latitude, longitude, azimuth, elevation);
        if (elevation <= 0) {
            std::printf("%02d:00  below the horizon (elevation %5.1f)\n", hour, elevation);
            continue;
        }
        const float kelvin = static_cast<float>(2000.0 + 3800.0 * std::min(1.0, elevation / 40.0));
        Vexir::SpectrumUniform light;
        light.Create_BB_Spectrum(kelvin);
        const Vexir::Color_CIE_XYZ xyz = converter.SpectrumToXYZ(light, Vexir::CIE_1931_2DEG);
        Vexir::Color_CIE_XYZ unit;  // brightness aside: Y = 1
        unit.X = xyz.X / xyz.Y, unit.Y = 1, unit.Z = xyz.Z / xyz.Y;
        Vexir::Color3f rgb = converter.XYZ_to_LinearRGB(unit);
        const float largest = std::max({rgb.r, rgb.g, rgb.b});
        rgb = converter.LinRGB_to_nonLinRGB(Vexir::Color3f(rgb.r / largest, rgb.g / largest, rgb.b / largest),
                                            Vexir::RGB_SRGB, 2.2f);
        std::printf("%02d:00  azimuth %5.1f  elevation %4.1f  %4.0f K  sRGB #%02X%02X%02X\n", hour, azimuth, elevation,
                    kelvin, static_cast<int>(std::lround(std::clamp(rgb.r, 0.0f, 1.0f) * 255)),
                    static_cast<int>(std::lround(std::clamp(rgb.g, 0.0f, 1.0f) * 255)),
                    static_cast<int>(std::lround(std::clamp(rgb.b, 0.0f, 1.0f) * 255)));
    }
    return 0;
}
