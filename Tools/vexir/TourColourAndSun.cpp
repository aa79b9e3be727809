// The tour's stop for colour and the sun: the colour of black bodies, and the
// sun's path over a day.
#include <Vexir/Color.h>
#include <Vexir/Date.h>

#include <algorithm>
#include <cmath>

#include "Tour.h"

namespace VexirTool {

namespace {

void BlackBodies(Vexir::IMgrConsole* consoles)
{
    Vexir::ColorConverter converter;
    converter.ComputeXYZ_to_RGB_Matrix(Vexir::Get_sRGB_Phosphors());
    for (int kelvin = 1000; kelvin <= 10000; kelvin += 1000) {
        Vexir::SpectrumUniform body;
        body.Create_BB_Spectrum(static_cast<float>(kelvin));
        const Vexir::Color_CIE_XYZ xyz = converter.SpectrumToXYZ(body, Vexir::CIE_1931_2DEG);
        Vexir::Color_CIE_XYZ unit;
        unit.X = xyz.X / xyz.Y, unit.Y = 1, unit.Z = xyz.Z / xyz.Y;
        Vexir::Color3f rgb = converter.XYZ_to_LinearRGB(unit);
        const float largest = std::max({rgb.r, rgb.g, rgb.b});
        rgb = converter.LinRGB_to_nonLinRGB(Vexir::Color3f(rgb.r / largest, rgb.g / largest, rgb.b / largest),
                                            Vexir::RGB_SRGB, 2.2f);
        const double sum = xyz.X + xyz.Y + xyz.Z;
        consoles->PrintInfo("%5d K  x %.4f y %.4f  sRGB #%02X%02X%02X\n", kelvin, xyz.X / sum, xyz.Y / sum,
                            static_cast<int>(std::lround(rgb.r * 255)), static_cast<int>(std::lround(rgb.g * 255)),
                            static_cast<int>(std::lround(rgb.b * 255)));
    }
}

void SunPath(Vexir::IMgrConsole* consoles)
{
    consoles->PrintInfo("the sun over Munich (48.137 N, 11.575 E) on 21 June 2026, local time (UT+2):\n");
    for (int hour = 4; hour <= 22; hour += 2) {
        Vexir::Date date;
        date.Set(2026, 6, 21, static_cast<float>(hour), 0, 0, 2);
        double azimuth = 0, elevation = 0;
        date.GetSunPosition(48.137, 11.575, azimuth, elevation);
        const Vexir::Vector3f sun = date.GetSunVector(48.137, 11.575);
        consoles->PrintInfo("  %02d:00  azimuth %6.1f  elevation %6.1f  vector (%6.3f, %6.3f, %6.3f)\n", hour, azimuth,
                            elevation, sun.x, sun.y, sun.z);
    }
}

}  // namespace

void TourColourAndSun(Vexir::IMgrConsole* consoles)
{
    Heading("Colour: black bodies from 1000 K to 10000 K");
    BlackBodies(consoles);
    Heading("Sun: a summer day");
    SunPath(consoles);
}

}  // namespace VexirTool
