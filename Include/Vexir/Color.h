// Colours and the colour converter.
//
//   Color3f(1, 0, 0).RGBToHSV()   => (0, 1, 1): hue as a fraction of a turn
//   Color3f(0.5f, 0.5f, 0.5f).RGBToHSV() => (0, 0, 0.5): every grey has hue 0
//   ColorConverter converter;
//   converter.ComputeXYZ_to_RGB_Matrix(Get_sRGB_Phosphors());
//   converter.XYZ_to_LinearRGB(xyz)  => linear RGB, clipped into the gamut
//                                       towards the white
//   converter.SpectrumToXYZ(Get_CIE_Light_D65(), CIE_1931_2DEG)
//
// Matrices act on row vectors: XYZ = (r, g, b) * RGB-to-XYZ.
#pragma once

#include <Vexir/Spectrum.h>

#include <cstddef>

namespace Vexir {

enum RGB_Methods : int {
    RGB_SRGB = 0,   // the sRGB transfer curve (IEC 61966-2-1)
    RGB_GAMMA = 1,  // a pure power law
};

enum COLOR_MATCH_PROFILE : int {
    CIE_1931_2DEG = 0,   // CIE 1931 2-degree standard observer
    CIE_1964_10DEG = 1,  // CIE 1964 10-degree observer (any value but 0)
};

class VEXIR_API Color3f {
public:
    enum ScaleType : int { SCALE_MULTIPLY = 0, SCALE_VALUE = 1, SCALE_LOG = 2, SCALE_LOG_VALUE = 3 };

    Color3f() : r(0), g(0), b(0) {}
    Color3f(float r_, float g_, float b_) : r(r_), g(g_), b(b_) {}

    // (r + g + b) * 0.33333334f.
    float Average() const;
    float Intensity() const { return Average(); }
    // 0.299 r + 0.587 g + 0.114 b.
    float Luminance() const;
    // Moves each channel away from (s > 1) or towards the average.
    void Saturation(float s);
    // The same about the luminance.
    void SaturationLum(float s);
    // Multiplies the channels or the HSV value, or takes log10(f * c + 1) of
    // them; an unknown type changes nothing.
    void Scale(float factor, ScaleType type);
    // In place; hue in [0, 1).
    Color3f& RGBToHSV();
    // In place; a hue outside [0, 1) with a saturation above 0 changes nothing.
    Color3f& HSVToRGB();
    // In place with the fixed sRGB/D65 matrices.
    Color3f& RGBToXYZ();
    Color3f& XYZToRGB();

    bool operator==(const Color3f& o) const { return r == o.r && g == o.g && b == o.b; }

    float r, g, b;
};

// Four floats. Allocate gives uninitialised storage for n of them.
struct VEXIR_API Color4f {
    float r, g, b, a;

    static Color4f* Allocate(std::size_t count);
    static void Deallocate(Color4f* colors);
};

// Four floats whose heap instances are aligned to 16 bytes.
struct VEXIR_API Color4fSSE {
    alignas(16) float r;
    float g, b, a;

    static Color4fSSE* Allocate(std::size_t count);
    static void Deallocate(Color4fSSE* colors);
    static void* operator new(std::size_t size);
    static void* operator new[](std::size_t size);
    static void operator delete(void* memory) noexcept;
    static void operator delete[](void* memory) noexcept;
};

struct Color_CIE_XYZ {
    double X = 0, Y = 0, Z = 0;
};

// The chromaticities of a display's primaries and white; z = (1 - x) - y.
struct VEXIR_API Phosphors {
    struct Chromaticity {
        double x, y, z;
    };
    Phosphors(double rx, double ry, double gx, double gy, double bx, double by, double wx, double wy);

    Chromaticity red, green, blue, white;
};

VEXIR_API const Phosphors& Get_NTSC_Phosphors();
VEXIR_API const Phosphors& Get_sRGB_Phosphors();

class VEXIR_API ColorConverter {
public:
    // Both matrices and the white start at zero.
    ColorConverter();

    // Builds RGB-to-XYZ from the phosphors (white at Y = 1) and its inverse.
    // False when either matrix is singular or not finite (a white with y = 0,
    // a NaN chromaticity); the phosphor copy, and once it is
    // built the RGB-to-XYZ matrix, are replaced even then.
    bool ComputeXYZ_to_RGB_Matrix(const Phosphors& phosphors);
    void GetRGB2XYZMat(double* out) const;
    void GetXYZ2RGBMat(double* out) const;

    Color_CIE_XYZ LinearRGB_to_XYZ(const Color3f& rgb) const;
    // A colour with a negative channel moves along the line from the white until
    // that channel is 0.
    Color3f XYZ_to_LinearRGB(const Color_CIE_XYZ& xyz) const;
    // Encode (apply) and decode (remove) a transfer curve; an unknown method
    // returns the colour unchanged.
    Color3f LinRGB_to_nonLinRGB(const Color3f& rgb, RGB_Methods method, float gamma) const;
    Color3f nonLinRGB_to_LinRGB(const Color3f& rgb, RGB_Methods method, float gamma) const;
    // The spectrum against the observer's colour-matching functions, 380 to
    // 775 nm by 5 nm, in photometric units (times 683.002).
    Color_CIE_XYZ SpectrumToXYZ(const SpectrumUniform& spectrum, COLOR_MATCH_PROFILE profile) const;

private:
    double _aXYZToRGB[9];
    double _aRGBToXYZ[9];
    double _aPhosphors[12];
    Color3f _cWhiteRGB;
};

}  // namespace Vexir
