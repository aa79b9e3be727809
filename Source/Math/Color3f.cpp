#include <Vexir/Color.h>

#include <cmath>

namespace Vexir {

namespace {

const float kThird = 0.33333334f;

float Luma(float r, float g, float b) { return 0.299f * r + 0.587f * g + 0.114f * b; }

}  // namespace

float Color3f::Average() const { return (r + g + b) * kThird; }

float Color3f::Luminance() const { return Luma(r, g, b); }

void Color3f::Saturation(float s)
{
    const float centre = (r + g + b) * kThird;
    r = (r - centre) * s + centre;
    g = (g - centre) * s + centre;
    b = (b - centre) * s + centre;
}

void Color3f::SaturationLum(float s)
{
    const float centre = Luma(r, g, b);
    r = (r - centre) * s + centre;
    g = (g - centre) * s + centre;
    b = (b - centre) * s + centre;
}

void Color3f::Scale(float factor, ScaleType type)
{
    switch (type) {
    case SCALE_MULTIPLY:
        r *= factor, g *= factor, b *= factor;
        break;
    case SCALE_VALUE:
        RGBToHSV();
        b *= factor;
        HSVToRGB();
        break;
    case SCALE_LOG:
        r = std::log10(factor * r + 1), g = std::log10(factor * g + 1), b = std::log10(factor * b + 1);
        break;
    case SCALE_LOG_VALUE:
        RGBToHSV();
        b = std::log10(factor * b + 1);
        HSVToRGB();
        break;
    }
}

Color3f& Color3f::RGBToHSV()
{
    float max = r;
    int index = 0;
    if (g > max)
        max = g, index = 1;
    if (b > max)
        max = b, index = 2;
    const float min = std::fmin(r, std::fmin(g, b));
    const float delta = max - min;
    if (max == 0 || delta == 0) {
        // Black, and every other grey: no hue.
        *this = Color3f(0, 0, max);
        return *this;
    }
    const float saturation = delta / max;
    float hue = index == 0 ? (g - b) / delta : index == 1 ? (b - r) / delta + 2 : (r - g) / delta + 4;
    hue /= 6;
    if (hue < 0)
        hue += 1;
    // A hue a hair below 0 becomes exactly 1 in single precision; it is 0.
    if (hue >= 1)
        hue = 0;
    *this = Color3f(hue, saturation, max);
    return *this;
}

Color3f& Color3f::HSVToRGB()
{
    const float h = r, s = g, v = b;
    if (s == 0) {
        *this = Color3f(v, v, v);
        return *this;
    }
    const float x = 6 * h;
    const float floored = std::floor(x);
    if (!(floored >= 0 && floored <= 5))
        return *this;
    const int i = static_cast<int>(floored);
    const float f = x - floored;
    const float p = (1 - s) * v, q = (1 - f * s) * v, t = (1 - (1 - f) * s) * v;
    switch (i) {
    case 0: *this = Color3f(v, t, p); break;
    case 1: *this = Color3f(q, v, p); break;
    case 2: *this = Color3f(p, v, t); break;
    case 3: *this = Color3f(p, q, v); break;
    case 4: *this = Color3f(t, p, v); break;
    default: *this = Color3f(v, p, q); break;
    }
    return *this;
}

Color3f& Color3f::RGBToXYZ()
{
    *this = Color3f(0.412453f * r + 0.35758f * g + 0.180423f * b, 0.212671f * r + 0.71516f * g + 0.072169f * b,
                    0.019334f * r + 0.119193f * g + 0.950227f * b);
    return *this;
}

Color3f& Color3f::XYZToRGB()
{
    *this = Color3f(3.240479f * r - 1.53715f * g - 0.498535f * b, -0.969256f * r + 1.875992f * g + 0.041556f * b,
                    0.055648f * r - 0.204043f * g + 1.057311f * b);
    return *this;
}

}  // namespace Vexir
