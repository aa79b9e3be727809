#include <Vexir/Color.h>

#include <cmath>
#include <cstring>

#include "Math/ColourTables.h"

namespace Vexir {

namespace {

using Matrix3d = double[9];

Phosphors::Chromaticity Triple(double x, double y) { return {x, y, (1 - x) - y}; }

// Rows of the 3x3 taken cyclically: column j of the inverse is row j+1 x row
// j+2 over the determinant. False unless the determinant is finite and not 0:
// a NaN or infinite one (a white with y = 0, a NaN chromaticity) inverts to
// nothing usable.
bool Invert3(const double* m, double* out)
{
    const double det = m[0] * m[4] * m[8] + m[1] * m[5] * m[6] + m[2] * m[3] * m[7] - m[2] * m[4] * m[6] -
                       m[3] * m[1] * m[8] - m[0] * m[5] * m[7];
    if (!std::isfinite(det) || det == 0)
        return false;
    const double reciprocal = 1 / det;
    for (int j = 0; j < 3; ++j) {
        const double* a = m + 3 * ((j + 1) % 3);
        const double* b = m + 3 * ((j + 2) % 3);
        out[j] = (a[1] * b[2] - a[2] * b[1]) * reciprocal;
        out[3 + j] = (a[2] * b[0] - a[0] * b[2]) * reciprocal;
        out[6 + j] = (a[0] * b[1] - a[1] * b[0]) * reciprocal;
    }
    return true;
}

void NormaliseTriple(double* triple)
{
    const double sum = triple[0] + triple[1] + triple[2];
    if (sum == 0)
        return;
    const double reciprocal = 1 / sum;
    for (int i = 0; i < 3; ++i)
        triple[i] *= reciprocal;
}

float Encode(float c, RGB_Methods method, float inverseGamma)
{
    if (method == RGB_SRGB)
        return c < 0.0031308f ? 12.92f * c : 1.055f * std::pow(c, 0.41666666f) - 0.055f;
    return std::pow(c, inverseGamma);
}

float Decode(float c, RGB_Methods method, float gamma)
{
    if (method == RGB_SRGB)
        return c < 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
    return std::pow(c, gamma);
}

bool KnownMethod(RGB_Methods method) { return method == RGB_SRGB || method == RGB_GAMMA; }

}  // namespace

Phosphors::Phosphors(double rx, double ry, double gx, double gy, double bx, double by, double wx, double wy)
    : red(Triple(rx, ry)), green(Triple(gx, gy)), blue(Triple(bx, by)), white(Triple(wx, wy))
{
}

const Phosphors& Get_NTSC_Phosphors()
{
    static const Phosphors s_phosphors(0.67, 0.33, 0.21, 0.71, 0.14, 0.08, 0.313, 0.329);
    return s_phosphors;
}

const Phosphors& Get_sRGB_Phosphors()
{
    static const Phosphors s_phosphors(0.64, 0.33, 0.30, 0.60, 0.15, 0.06, 0.3127, 0.329);
    return s_phosphors;
}

ColorConverter::ColorConverter() : _aXYZToRGB{}, _aRGBToXYZ{}, _aPhosphors{}, _cWhiteRGB() {}

bool ColorConverter::ComputeXYZ_to_RGB_Matrix(const Phosphors& phosphors)
{
    const Phosphors::Chromaticity* triples[] = {&phosphors.red, &phosphors.green, &phosphors.blue,
                                                &phosphors.white};
    for (int i = 0; i < 4; ++i) {
        _aPhosphors[3 * i] = triples[i]->x;
        _aPhosphors[3 * i + 1] = triples[i]->y;
        _aPhosphors[3 * i + 2] = triples[i]->z;
        NormaliseTriple(_aPhosphors + 3 * i);
    }
    const double* white = _aPhosphors + 9;
    const double whiteX = white[0] / white[1], whiteZ = white[2] / white[1];

    Matrix3d inverse;
    if (!Invert3(_aPhosphors, inverse))
        return false;
    // Scale of each primary so that (1, 1, 1) lands on the white.
    double scale[3];
    for (int j = 0; j < 3; ++j)
        scale[j] = whiteX * inverse[j] + inverse[3 + j] + whiteZ * inverse[6 + j];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            _aRGBToXYZ[3 * i + j] = scale[i] * _aPhosphors[3 * i + j];
    if (!Invert3(_aRGBToXYZ, _aXYZToRGB))
        return false;
    Color_CIE_XYZ whiteXYZ;
    whiteXYZ.X = white[0];
    whiteXYZ.Y = white[1];
    whiteXYZ.Z = white[2];
    _cWhiteRGB = XYZ_to_LinearRGB(whiteXYZ);
    return true;
}

void ColorConverter::GetRGB2XYZMat(double* out) const
{
    if (out)
        std::memcpy(out, _aRGBToXYZ, sizeof _aRGBToXYZ);
}

void ColorConverter::GetXYZ2RGBMat(double* out) const
{
    if (out)
        std::memcpy(out, _aXYZToRGB, sizeof _aXYZToRGB);
}

Color_CIE_XYZ ColorConverter::LinearRGB_to_XYZ(const Color3f& rgb) const
{
    const double r = rgb.r, g = rgb.g, b = rgb.b;
    const double* m = _aRGBToXYZ;
    Color_CIE_XYZ xyz;
    xyz.X = r * m[0] + g * m[3] + b * m[6];
    xyz.Y = r * m[1] + g * m[4] + b * m[7];
    xyz.Z = r * m[2] + g * m[5] + b * m[8];
    return xyz;
}

Color3f ColorConverter::XYZ_to_LinearRGB(const Color_CIE_XYZ& xyz) const
{
    const double* m = _aXYZToRGB;
    double c[3] = {xyz.X * m[0] + xyz.Y * m[3] + xyz.Z * m[6], xyz.X * m[1] + xyz.Y * m[4] + xyz.Z * m[7],
                   xyz.X * m[2] + xyz.Y * m[5] + xyz.Z * m[8]};
    if (!(c[0] < 0) && !(c[1] < 0) && !(c[2] < 0))
        return Color3f(static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2]));
    // Gamut clip: slide from the white towards the colour until the smallest
    // channel reaches 0.
    int k = 0;
    for (int i = 1; i < 3; ++i)
        if (c[i] < c[k])
            k = i;
    const double w[3] = {_cWhiteRGB.r, _cWhiteRGB.g, _cWhiteRGB.b};
    const double t = static_cast<float>(w[k] / (w[k] - c[k]));
    for (int i = 0; i < 3; ++i)
        c[i] = (c[i] - w[i]) * t + w[i];
    return Color3f(static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2]));
}

Color3f ColorConverter::LinRGB_to_nonLinRGB(const Color3f& rgb, RGB_Methods method, float gamma) const
{
    if (!KnownMethod(method))
        return rgb;
    const float inverseGamma = 1 / gamma;
    return Color3f(Encode(rgb.r, method, inverseGamma), Encode(rgb.g, method, inverseGamma),
                   Encode(rgb.b, method, inverseGamma));
}

Color3f ColorConverter::nonLinRGB_to_LinRGB(const Color3f& rgb, RGB_Methods method, float gamma) const
{
    if (!KnownMethod(method))
        return rgb;
    return Color3f(Decode(rgb.r, method, gamma), Decode(rgb.g, method, gamma), Decode(rgb.b, method, gamma));
}

Color_CIE_XYZ ColorConverter::SpectrumToXYZ(const SpectrumUniform& spectrum, COLOR_MATCH_PROFILE profile) const
{
    const bool standard = profile == CIE_1931_2DEG;
    const float* xBar = standard ? kCie1931X : kCie1964X;
    const float* yBar = standard ? kCie1931Y : kCie1964Y;
    const float* zBar = standard ? kCie1931Z : kCie1964Z;
    double x = 0, y = 0, z = 0;
    int i = 0;
    for (float wavelength = kColourFirstWavelength; wavelength < 780.0f; wavelength += kColourStep, ++i) {
        const float value = spectrum.GetInterpolated(wavelength);
        x += value * xBar[i];
        y += value * yBar[i];
        z += value * zBar[i];
    }
    const double scale = 683.002f;
    Color_CIE_XYZ xyz;
    xyz.X = x * 5 * scale;
    xyz.Y = y * 5 * scale;
    xyz.Z = z * 5 * scale;
    return xyz;
}

}  // namespace Vexir
