// `vexir color`: the colour of a spectrum, and conversions between colour forms.
#include <Vexir/Color.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include <CLI/CLI.hpp>

#include "Arguments.h"
#include "Command.h"

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
    std::printf("XYZ (%s)  %s %s %s\n", observer == Vexir::CIE_1931_2DEG ? "1931 2-degree" : "1964 10-degree",
                General(xyz.X).c_str(), General(xyz.Y).c_str(), General(xyz.Z).c_str());
    if (!(sum > 0) || !(xyz.Y > 0)) {
        std::printf("no visible light\n");
        return;
    }
    std::printf("chromaticity       x %s  y %s\n", Fixed(xyz.X / sum, 4).c_str(), Fixed(xyz.Y / sum, 4).c_str());
    Color_CIE_XYZ unit;
    unit.X = xyz.X / xyz.Y, unit.Y = 1, unit.Z = xyz.Z / xyz.Y;
    Color3f linear = converter.XYZ_to_LinearRGB(unit);
    const float largest = std::max({linear.r, linear.g, linear.b});
    if (largest > 1)
        linear = Color3f(linear.r / largest, linear.g / largest, linear.b / largest);
    const Color3f encoded = converter.LinRGB_to_nonLinRGB(linear, Vexir::RGB_SRGB, 2.2f);
    std::printf("linear sRGB        %s %s %s (Y = 1, clipped into the gamut)\n", Fixed(linear.r, 4).c_str(),
                Fixed(linear.g, 4).c_str(), Fixed(linear.b, 4).c_str());
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

struct ColorArguments {
    std::string value, from, to, observer = "1931";
    std::vector<std::string> channels;
};

const char* const kForms = "srgb, linear, hsv or xyz";

// The three numbers of a colour in its --from form. HSV is a hue in turns from
// 0 up to (not including) 1, saturation and value from 0 to 1; encoded sRGB
// channels are 0 to 1 as well; linear sRGB and XYZ take any value a colour of
// a renderer may have, brighter than white or outside the gamut.
Color3f Channels(const ColorArguments& arguments)
{
    static const char* const kNames[3][3] = {{"red", "green", "blue"}, {"hue", "saturation", "value"}, {"X", "Y", "Z"}};
    const int names = arguments.from == "hsv" ? 1 : arguments.from == "xyz" ? 2 : 0;
    float channels[3];
    for (int i = 0; i < 3; ++i) {
        Range range{0, 1};
        if (arguments.from == "hsv" && i == 0)
            range.highIncluded = false;
        else if (arguments.from == "xyz" || arguments.from == "linear")
            range = Range{-1e6, 1e6};
        channels[i] = static_cast<float>(
            Number("color convert", std::string(kNames[names][i]), arguments.channels[static_cast<std::size_t>(i)], range));
    }
    return Color3f(channels[0], channels[1], channels[2]);
}

int Convert(const ColorArguments& arguments)
{
    const auto known = [](const std::string& form) {
        return form == "srgb" || form == "linear" || form == "hsv" || form == "xyz";
    };
    if (!known(arguments.from) || !known(arguments.to))
        throw UsageError("color convert", std::string("--from and --to take ") + kForms);
    Color3f linear, result;
    ToLinear(arguments.from, Channels(arguments), linear);
    FromLinear(arguments.to, linear, result);
    std::printf("%s %s %s %s\n", arguments.to.c_str(), General(result.r).c_str(), General(result.g).c_str(),
                General(result.b).c_str());
    return kSucceeded;
}

Vexir::COLOR_MATCH_PROFILE Observer(const std::string& command, const std::string& text)
{
    if (text != "1931" && text != "1964")
        throw UsageError(command, "--observer is 1931 or 1964");
    return text == "1931" ? Vexir::CIE_1931_2DEG : Vexir::CIE_1964_10DEG;
}

int Illuminant(const ColorArguments& arguments)
{
    const Vexir::SpectrumUniform* light = NamedIlluminant(arguments.value);
    if (!light)
        throw UsageError("color illuminant", "illuminants are A, B, C, D65 and F");
    PrintSpectrumColour(*light, Observer("color illuminant", arguments.observer));
    return kSucceeded;
}

int Temperature(const ColorArguments& arguments, bool daylight)
{
    const std::string command = daylight ? "color daylight" : "color blackbody";
    const double kelvin =
        Number(command, "the temperature", arguments.value, daylight ? Range{4000, 25000} : Range{1, 1e6});
    Vexir::SpectrumUniform spectrum;
    const float temperature = static_cast<float>(kelvin);
    if (!(daylight ? spectrum.Create_DT_Spectrum(temperature) : spectrum.Create_BB_Spectrum(temperature)))
        return Fail(command, "the spectrum could not be made");
    PrintSpectrumColour(spectrum, Observer(command, arguments.observer));
    return kSucceeded;
}

}  // namespace

void AddColor(CLI::App& tool, int& status)
{
    static ColorArguments s_arguments;
    CLI::App* color = tool.add_subcommand("color", "the colour of spectra, and colour conversions");
    color->require_subcommand(1);
    color->footer("The colour of a spectrum is printed as XYZ, the chromaticity x, y, the linear sRGB colour (scaled\n"
                  "to Y = 1 and clipped into the gamut) and the 8-bit sRGB colour in hex.");
    const auto observer = [](CLI::App* command) {
        command->add_option("--observer", s_arguments.observer, "1931 (2-degree, default) or 1964 (10-degree)");
    };
    CLI::App* blackbody = color->add_subcommand("blackbody", "the colour of a black body");
    blackbody->add_option("KELVIN", s_arguments.value, "temperature, 1 to 1000000 K")->required();
    observer(blackbody);
    blackbody->callback([&status] { status = Temperature(s_arguments, false); });
    CLI::App* daylight = color->add_subcommand("daylight", "the colour of CIE daylight");
    daylight->add_option("KELVIN", s_arguments.value, "correlated colour temperature, 4000 to 25000 K")->required();
    observer(daylight);
    daylight->callback([&status] { status = Temperature(s_arguments, true); });
    CLI::App* illuminant = color->add_subcommand("illuminant", "the colour of a CIE standard illuminant");
    illuminant->add_option("NAME", s_arguments.value, "A, B, C, D65 or F")->required();
    observer(illuminant);
    illuminant->callback([&status] { status = Illuminant(s_arguments); });
    CLI::App* convert = color->add_subcommand("convert", "convert one colour between forms");
    convert->footer("srgb is encoded sRGB, channels 0 to 1; linear is linear sRGB; hsv is a hue in turns from 0 up to 1\n"
                    "(0.5 is cyan), saturation and value 0 to 1; xyz has white at Y = 1.");
    convert->add_option("--from", s_arguments.from, kForms)->required();
    convert->add_option("CHANNELS", s_arguments.channels, "three numbers")->required()->expected(3);
    convert->add_option("--to", s_arguments.to, kForms)->required();
    convert->callback([&status] { status = Convert(s_arguments); });
}

}  // namespace VexirTool
