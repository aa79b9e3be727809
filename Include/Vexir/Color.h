/// @file
/// Colours and the colour converter.
///
/// @code
///   Color3f(1, 0, 0).RGBToHSV()   => (0, 1, 1): hue as a fraction of a turn
///   Color3f(0.5f, 0.5f, 0.5f).RGBToHSV() => (0, 0, 0.5): every grey has hue 0
///   ColorConverter converter;
///   converter.ComputeXYZ_to_RGB_Matrix(Get_sRGB_Phosphors());
///   converter.XYZ_to_LinearRGB(xyz)  => linear RGB, clipped into the gamut
///                                       towards the white
///   converter.SpectrumToXYZ(Get_CIE_Light_D65(), CIE_1931_2DEG)
/// @endcode
///
/// Matrices act on row vectors: XYZ = (r, g, b) * RGB-to-XYZ.
#pragma once

#include <Vexir/Spectrum.h>

#include <cstddef>

namespace Vexir {

/// The transfer curves of ColorConverter::LinRGB_to_nonLinRGB() and
/// ColorConverter::nonLinRGB_to_LinRGB().
enum RGB_Methods : int {
    RGB_SRGB = 0,   ///< The sRGB transfer curve (IEC 61966-2-1); the gamma argument is ignored.
    RGB_GAMMA = 1,  ///< A pure power law: encoding raises to 1 / gamma, decoding to gamma.
};

/// The standard observer whose colour-matching functions
/// ColorConverter::SpectrumToXYZ() uses.
enum COLOR_MATCH_PROFILE : int {
    CIE_1931_2DEG = 0,   ///< CIE 1931 2-degree standard observer.
    CIE_1964_10DEG = 1,  ///< CIE 1964 10-degree observer (any value but 0).
};

/// Three float channels: an RGB colour, or in place an HSV or XYZ triple after
/// the conversions below.
///
/// No range is imposed: channels may be negative or above 1. After RGBToHSV()
/// r, g and b hold hue, saturation and value; after RGBToXYZ() they hold X, Y
/// and Z.
class VEXIR_API Color3f {
public:
    /// How Scale() applies its factor.
    enum ScaleType : int { SCALE_MULTIPLY = 0, SCALE_VALUE = 1, SCALE_LOG = 2, SCALE_LOG_VALUE = 3 };
    /// @var SCALE_MULTIPLY
    /// Each channel c becomes factor * c.
    /// @var SCALE_VALUE
    /// The HSV value v becomes factor * v; hue and saturation stay. That is
    /// each channel times factor, which is how it is done: colours whose
    /// largest channel is 0 or below, which HSV cannot hold, scale too.
    /// @var SCALE_LOG
    /// Each channel c becomes log10(factor * c + 1).
    /// @var SCALE_LOG_VALUE
    /// The HSV value v becomes log10(factor * v + 1); hue and saturation stay:
    /// each channel is scaled by the new value over the old. A value of 0 or
    /// an infinite one leaves the colour as it is.

    /// Black, (0, 0, 0).
    Color3f() : r(0), g(0), b(0) {}
    /// The colour (`r_`, `g_`, `b_`).
    Color3f(float r_, float g_, float b_) : r(r_), g(g_), b(b_) {}

    /// `(r + g + b) * 0.33333334f`.
    float Average() const;
    /// The same as Average().
    float Intensity() const { return Average(); }
    /// `0.299 r + 0.587 g + 0.114 b`: video luma weights on whatever RGB the
    /// colour holds, not the Y of RGBToXYZ().
    float Luminance() const;
    /// Moves each channel away from (s > 1) or towards (s < 1) the average:
    /// c becomes (c - average) * s + average, so 0 gives grey and 1 changes nothing.
    void Saturation(float s);
    /// The same as Saturation() about the Luminance() instead of the average.
    void SaturationLum(float s);
    /// Multiplies the channels or the HSV value by `factor`, or takes
    /// log10(factor * c + 1) of them, as `type` says; an unknown type changes
    /// nothing.
    void Scale(float factor, ScaleType type);
    /// Converts RGB to HSV in place and returns *this: r becomes the hue in
    /// [0, 1) (a fraction of a turn: 0 red, 1/3 green, 2/3 blue), g the
    /// saturation (max - min) / max and b the value, the largest channel.
    /// Greys, black included, get hue and saturation 0, and so does a colour
    /// whose largest channel is 0. Computed in double: channels whose range
    /// overflows a float (FLT_MAX, FLT_MAX, -FLT_MAX) give (1/6, 2, FLT_MAX).
    /// An infinite channel outweighs every finite one: the hue is that of the
    /// infinite channels alone (inf, 0, 0) => (0, 1, inf), and with the value
    /// infinite so is the saturation of that direction; with only a channel of
    /// -infinity the saturation is infinite. A NaN channel gives NaNs.
    Color3f& RGBToHSV();
    /// Converts HSV, as RGBToHSV() writes it, back to RGB in place and returns
    /// *this. Saturation 0 gives the grey (v, v, v); otherwise a hue outside
    /// [0, 1), or NaN, changes nothing. A channel whose weight is 0 is 0 even
    /// for an infinite value: (0, 1, inf) => (inf, 0, 0).
    Color3f& HSVToRGB();
    /// Converts linear RGB to CIE XYZ in place with the fixed sRGB/D65 matrix
    /// (white (1, 1, 1) has Y = 1) and returns *this. No transfer curve is
    /// removed: decode encoded values first.
    Color3f& RGBToXYZ();
    /// Converts CIE XYZ to linear RGB in place with the fixed sRGB/D65 matrix
    /// and returns *this; colours outside the gamut keep their negative channels.
    Color3f& XYZToRGB();

    /// Exact equality of all channels.
    bool operator==(const Color3f& o) const { return r == o.r && g == o.g && b == o.b; }

    /// @var r
    /// Red (or hue, or X).
    /// @var g
    /// Green (or saturation, or Y).
    /// @var b
    /// Blue (or value, or Z).
    float r, g, b;
};

/// An RGBA colour of four floats. Allocate gives uninitialised storage for n
/// of them.
///
/// A plain aggregate: a default-constructed Color4f is not initialised either.
struct VEXIR_API Color4f {
    /// @var r
    /// Red.
    /// @var g
    /// Green.
    /// @var b
    /// Blue.
    /// @var a
    /// Alpha.
    float r, g, b, a;

    /// Uninitialised storage for `count` colours, or null when it cannot be
    /// had; free it with Deallocate().
    static Color4f* Allocate(std::size_t count);
    /// Frees storage from Allocate(); null is allowed.
    static void Deallocate(Color4f* colors);
};

/// Four floats whose heap instances are aligned to 16 bytes, for aligned
/// four-wide loads.
struct VEXIR_API Color4fSSE {
    alignas(16) float r;  ///< Red.
    /// @var g
    /// Green.
    /// @var b
    /// Blue.
    /// @var a
    /// Alpha.
    float g, b, a;

    /// Uninitialised, 16-byte aligned storage for `count` colours, or null when
    /// it cannot be had; free it with Deallocate().
    static Color4fSSE* Allocate(std::size_t count);
    /// Frees storage from Allocate(); null is allowed.
    static void Deallocate(Color4fSSE* colors);
    /// Allocates 16-byte aligned memory for `new`; throws std::bad_alloc when it
    /// cannot be had.
    static void* operator new(std::size_t size);
    /// Allocates 16-byte aligned memory for `new[]`; throws std::bad_alloc when
    /// it cannot be had.
    static void* operator new[](std::size_t size);
    /// Frees memory from operator new.
    static void operator delete(void* memory) noexcept;
    /// Frees memory from operator new[].
    static void operator delete[](void* memory) noexcept;
};

/// A CIE XYZ colour in double precision, zero-initialised. The scale depends
/// on the source: Y = 1 for the white of ColorConverter::LinearRGB_to_XYZ(),
/// photometric units for ColorConverter::SpectrumToXYZ().
struct Color_CIE_XYZ {
    /// @var X
    /// The CIE X tristimulus value.
    /// @var Y
    /// The CIE Y tristimulus value (luminance).
    /// @var Z
    /// The CIE Z tristimulus value.
    double X = 0, Y = 0, Z = 0;
};

/// The chromaticities of a display's primaries and white; z = (1 - x) - y.
struct VEXIR_API Phosphors {
    /// A CIE chromaticity (x, y, z), the three summing to 1.
    struct Chromaticity {
        /// @var x
        /// The x chromaticity coordinate.
        /// @var y
        /// The y chromaticity coordinate.
        /// @var z
        /// The z chromaticity coordinate, (1 - x) - y.
        double x, y, z;
    };
    /// From the x and y of red, green, blue and the white; each z is computed.
    Phosphors(double rx, double ry, double gx, double gy, double bx, double by, double wx, double wy);

    /// @var red
    /// The red primary.
    /// @var green
    /// The green primary.
    /// @var blue
    /// The blue primary.
    /// @var white
    /// The white point.
    Chromaticity red, green, blue, white;
};

/// The NTSC primaries, red (0.67, 0.33), green (0.21, 0.71) and blue
/// (0.14, 0.08), with the white at (0.313, 0.329). The object lives as long as
/// the program.
VEXIR_API const Phosphors& Get_NTSC_Phosphors();
/// The sRGB primaries, red (0.64, 0.33), green (0.30, 0.60) and blue
/// (0.15, 0.06), with the D65 white at (0.3127, 0.329). The object lives as
/// long as the program.
VEXIR_API const Phosphors& Get_sRGB_Phosphors();

/// Converts between CIE XYZ and the linear RGB of a set of primaries, between
/// linear and encoded RGB, and from spectra to XYZ.
///
/// Call ComputeXYZ_to_RGB_Matrix() before converting between RGB and XYZ; the
/// transfer curves and SpectrumToXYZ() do not depend on it.
class VEXIR_API ColorConverter {
public:
    /// Both matrices and the white start at zero, so RGB and XYZ convert to 0
    /// until ComputeXYZ_to_RGB_Matrix() succeeds.
    ColorConverter();

    /// Builds RGB-to-XYZ from the phosphors (white at Y = 1) and its inverse.
    /// False when either matrix is singular or not finite (a white with y = 0,
    /// a NaN chromaticity); the phosphor copy, and once it is
    /// built the RGB-to-XYZ matrix, are replaced even then.
    ///
    /// RGB (1, 1, 1) maps to the white; row i of RGB-to-XYZ is primary i's XYZ.
    bool ComputeXYZ_to_RGB_Matrix(const Phosphors& phosphors);
    /// Copies the RGB-to-XYZ matrix, nine doubles row by row, to `out`; a null
    /// `out` copies nothing.
    void GetRGB2XYZMat(double* out) const;
    /// Copies the XYZ-to-RGB matrix, nine doubles row by row, to `out`; a null
    /// `out` copies nothing.
    void GetXYZ2RGBMat(double* out) const;

    /// (r, g, b) * RGB-to-XYZ, in double precision and without clipping.
    Color_CIE_XYZ LinearRGB_to_XYZ(const Color3f& rgb) const;
    /// XYZ * XYZ-to-RGB. A colour with a negative channel moves along the line
    /// from the white until that channel is 0.
    ///
    /// That white is the white point at Y = its y (the grey (y, y, y) in RGB,
    /// about 0.329 for D65), not at the colour's own luminance. Channels above
    /// 1 are not clipped.
    Color3f XYZ_to_LinearRGB(const Color_CIE_XYZ& xyz) const;
    /// Encodes (applies) a transfer curve; an unknown method returns the colour
    /// unchanged. `gamma` is the decoding exponent, used only by RGB_GAMMA.
    Color3f LinRGB_to_nonLinRGB(const Color3f& rgb, RGB_Methods method, float gamma) const;
    /// Decodes (removes) a transfer curve; an unknown method returns the colour
    /// unchanged. `gamma` is used only by RGB_GAMMA.
    Color3f nonLinRGB_to_LinRGB(const Color3f& rgb, RGB_Methods method, float gamma) const;
    /// The spectrum against the observer's colour-matching functions, 380 to
    /// 775 nm by 5 nm, in photometric units (times 683.002). The spectrum is
    /// sampled with SpectrumUniform::GetInterpolated(), so it counts as 0
    /// outside its range.
    Color_CIE_XYZ SpectrumToXYZ(const SpectrumUniform& spectrum, COLOR_MATCH_PROFILE profile) const;

private:
    double _aXYZToRGB[9];
    double _aRGBToXYZ[9];
    double _aPhosphors[12];
    Color3f _cWhiteRGB;
};

}  // namespace Vexir
