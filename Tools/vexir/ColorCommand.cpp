// `vexir color`: the colour of a spectrum, and conversions between colour forms.
#include <Vexir/Color.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "Arguments.h"

namespace VexirTool {

namespace {

using Vexir::Color3f;
using Vexir::Color_CIE_XYZ;

const Vexir::ColorConverter& SrgbConverter()
{
    static const Vexir::ColorConverter s_converter = [] {
        Vexir::ColorConverter converter;
        converter.ComputeXYZ_to_RGB_Matrix(Vexir::Get_sRGB_Phosphors());
        return converter;
    }();
    return s_converter;
}

int Channel8(float c) { return static_cast<int>(std::lround(std::clamp(c, 0.0f, 1.0f) * 255)); }

std::string Hex(const Color3f& encoded)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", Channel8(encoded.r), Channel8(encoded.g), Channel8(encoded.b));
    return text;
}

// XYZ, chromaticity, then the colour as sRGB: scaled to Y = 1, clipped into the
// gamut, brought below 1 and encoded.
void PrintSpectrumColour(const Vexir::SpectrumUniform& spectrum, Vexir::COLOR_MATCH_PROFILE observer)
{
    const Vexir::ColorConverter& converter = SrgbConverter();
    const Color_CIE_XYZ xyz = converter.SpectrumToXYZ(spectrum, observer);
    const double sum = xyz.X + xyz.Y + xyz.Z;
    std::printf("XYZ (%s)  %.6g %.6g %.6g\n", observer == Vexir::CIE_1931_2DEG ? "1931 2-degree" : "1964 10-degree",
                xyz.X, xyz.Y, xyz.Z);
    if (!(sum > 0) || !(xyz.Y > 0)) {
        std::printf("no visible light\n");
        return;
    }
    std::printf("chromaticity       x %.4f  y %.4f\n", xyz.X / sum, xyz.Y / sum);
    Color_CIE_XYZ unit;
    unit.X = xyz.X / xyz.Y, unit.Y = 1, unit.Z = xyz.Z / xyz.Y;
    Color3f linear = converter.XYZ_to_LinearRGB(unit);
    const float largest = std::max({linear.r, linear.g, linear.b});
    if (largest > 1)
        linear = Color3f(linear.r / largest, linear.g / largest, linear.b / largest);
    const Color3f encoded = converter.LinRGB_to_nonLinRGB(linear, Vexir::RGB_SRGB, 2.2f);
    std::printf("linear sRGB        %.4f %.4f %.4f (Y = 1, clipped into the gamut)\n", linear.r, linear.g, linear.b);
    std::printf("sRGB 8-bit         %s\n", Hex(encoded).c_str());
}

const Vexir::SpectrumUniform* NamedIlluminant(const std::string& name)
{
    if (name == "A")
        return &Vexir::Get_CIE_Light_A();
    if (name == "B")
        return &Vexir::Get_CIE_Light_B();
    if (name == "C")
        return &Vexir::Get_CIE_Light_C();
    if (name == "D65")
        return &Vexir::Get_CIE_Light_D65();
    if (name == "F" || name == "F2")
        return &Vexir::Get_CIE_Light_F();
    return nullptr;
}

// srgb (encoded, 0 to 1), linear (linear sRGB), hsv, xyz (Y = 1 for white).
bool ToLinear(const std::string& form, const Color3f& value, Color3f& linear)
{
    const Vexir::ColorConverter& converter = SrgbConverter();
    if (form == "srgb")
        linear = converter.nonLinRGB_to_LinRGB(value, Vexir::RGB_SRGB, 2.2f);
    else if (form == "linear")
        linear = value;
    else if (form == "hsv")
        linear = converter.nonLinRGB_to_LinRGB(Color3f(value).HSVToRGB(), Vexir::RGB_SRGB, 2.2f);
    else if (form == "xyz") {
        Color_CIE_XYZ xyz;
        xyz.X = value.r, xyz.Y = value.g, xyz.Z = value.b;
        linear = converter.XYZ_to_LinearRGB(xyz);
    } else
        return false;
    return true;
}

bool FromLinear(const std::string& form, const Color3f& linear, Color3f& value)
{
    const Vexir::ColorConverter& converter = SrgbConverter();
    if (form == "srgb")
        value = converter.LinRGB_to_nonLinRGB(linear, Vexir::RGB_SRGB, 2.2f);
    else if (form == "linear")
        value = linear;
    else if (form == "hsv")
        value = converter.LinRGB_to_nonLinRGB(linear, Vexir::RGB_SRGB, 2.2f).RGBToHSV();
    else if (form == "xyz") {
        const Color_CIE_XYZ xyz = converter.LinearRGB_to_XYZ(linear);
        value = Color3f(static_cast<float>(xyz.X), static_cast<float>(xyz.Y), static_cast<float>(xyz.Z));
    } else
        return false;
    return true;
}

int Convert(const ParsedArguments& parsed)
{
    const auto option = [&](const char* name) {
        const auto found = parsed.options.find(name);
        return found == parsed.options.end() ? std::string() : found->second;
    };
    if (parsed.words.size() != 4)
        return Refuse("color", "convert takes --from FORM, three numbers and --to FORM");
    float channels[3];
    for (int i = 0; i < 3; ++i) {
        const auto number = ParseNumber(parsed.words[1 + i], -1e6, 1e6);
        if (!number)
            return Refuse("color", "\"" + parsed.words[1 + i] + "\" is not a number");
        channels[i] = static_cast<float>(*number);
    }
    Color3f linear, result;
    if (!ToLinear(option("from"), Color3f(channels[0], channels[1], channels[2]), linear) ||
        !FromLinear(option("to"), linear, result))
        return Refuse("color", "--from and --to take srgb, linear, hsv or xyz");
    std::printf("%s %.6g %.6g %.6g\n", option("to").c_str(), result.r, result.g, result.b);
    return 0;
}

}  // namespace

int RunColor(const Arguments& arguments)
{
    const ParsedArguments parsed = ParseArguments(arguments);
    if (parsed.words.empty())
        return Refuse("color", "say blackbody KELVIN, daylight KELVIN, illuminant NAME or convert");
    const std::string& what = parsed.words[0];
    if (what == "convert")
        return Convert(parsed);
    const auto observerOption = parsed.options.find("observer");
    const std::string observerText = observerOption == parsed.options.end() ? "1931" : observerOption->second;
    if (observerText != "1931" && observerText != "1964")
        return Refuse("color", "--observer is 1931 or 1964");
    const auto observer = observerText == "1931" ? Vexir::CIE_1931_2DEG : Vexir::CIE_1964_10DEG;
    if (parsed.words.size() != 2)
        return Refuse("color", what + " takes one value");

    Vexir::SpectrumUniform spectrum;
    if (what == "illuminant") {
        const Vexir::SpectrumUniform* light = NamedIlluminant(parsed.words[1]);
        if (!light)
            return Refuse("color", "illuminants are A, B, C, D65 and F");
        spectrum = *light;
    } else if (what == "blackbody" || what == "daylight") {
        const bool daylight = what == "daylight";
        const auto kelvin = ParseNumber(parsed.words[1], daylight ? 4000 : 1, daylight ? 25000 : 1e6);
        if (!kelvin)
            return Refuse("color", daylight ? "daylight is defined from 4000 to 25000 K"
                                            : "a black-body temperature is from 1 to 1000000 K");
        const float temperature = static_cast<float>(*kelvin);
        if (!(daylight ? spectrum.Create_DT_Spectrum(temperature) : spectrum.Create_BB_Spectrum(temperature)))
            return Refuse("color", "the spectrum could not be made");
    } else {
        return Refuse("color", "unknown colour source \"" + what + "\"");
    }
    PrintSpectrumColour(spectrum, observer);
    return 0;
}

}  // namespace VexirTool
