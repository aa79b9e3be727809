#include <Vexir/Color.h>

#include <cmath>

namespace Vexir {

namespace {

const float kThird = 0.33333334f;

float Luma(float r, float g, float b) { return 0.299f * r + 0.587f * g + 0.114f * b; }

// The largest channel (ties to the earlier) and the smallest.
struct Extent {
    double max, min;
    int index;
};

Extent ExtentOf(double r, double g, double b)
{
    Extent extent{r, std::fmin(r, std::fmin(g, b)), 0};
    if (g > extent.max)
        extent.max = g, extent.index = 1;
    if (b > extent.max)
        extent.max = b, extent.index = 2;
    return extent;
}

// The hue, a fraction of a turn in [0, 1), of a colour that is no grey. In
// double, so that a range past the floats' (FLT_MAX to -FLT_MAX) stays finite.
float HueOf(double r, double g, double b, const Extent& extent)
{
    const double delta = extent.max - extent.min;
    double hue = extent.index == 0 ? (g - b) / delta : extent.index == 1 ? (b - r) / delta + 2 : (r - g) / delta + 4;
    hue /= 6;
    if (hue < 0)
        hue += 1;
    // A hue a hair below 0 becomes exactly 1 in single precision; it is 0.
    const float rounded = static_cast<float>(hue);
    return rounded >= 1 ? 0 : rounded;
}

// An infinite channel outweighs every finite one: in the colour's direction
// the infinite channels count as 1 or -1 and the finite ones as 0.
double Leading(float c) { return std::isinf(c) ? (c > 0 ? 1 : -1) : 0; }

// HSV of a colour with an infinite channel: the hue of its leading
// direction; the saturation of that direction when the value is infinite,
// else (only a channel of -infinity) an infinite one.
Color3f InfiniteHsv(float r, float g, float b)
{
    const Extent extent = ExtentOf(r, g, b);
    const double lr = Leading(r), lg = Leading(g), lb = Leading(b);
    const Extent leading = ExtentOf(lr, lg, lb);
    const float value = static_cast<float>(extent.max);
    if (leading.max == leading.min || value == 0)
        return Color3f(0, 0, value);
    const float hue = HueOf(lr, lg, lb, leading);
    const double saturation = std::isinf(extent.max) ? (leading.max - leading.min) / leading.max
                                                     : (extent.max - extent.min) / extent.max;
    return Color3f(hue, static_cast<float>(saturation), value);
}

// A weight of 0 leaves 0 even of an infinite value.
float Weighted(float weight, float value) { return weight == 0 ? 0 : weight * value; }

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

// Scaling the HSV value with hue and saturation kept scales every channel
// alike, so the value scales work on the channels: no trip through HSV to
// round them, and colours whose largest channel is 0 or below, which HSV
// cannot hold, keep their direction too.
void Color3f::Scale(float factor, ScaleType type)
{
    switch (type) {
    case SCALE_MULTIPLY:
    case SCALE_VALUE:
        r *= factor, g *= factor, b *= factor;
        break;
    case SCALE_LOG:
        r = std::log10(factor * r + 1), g = std::log10(factor * g + 1), b = std::log10(factor * b + 1);
        break;
    case SCALE_LOG_VALUE: {
        const float value = std::fmax(r, std::fmax(g, b));
        if (value != 0 && std::isfinite(value)) {
            const float ratio = std::log10(factor * value + 1) / value;
            r *= ratio, g *= ratio, b *= ratio;
        }
        break;
    }
    }
}

Color3f& Color3f::RGBToHSV()
{
    if (std::isinf(r) || std::isinf(g) || std::isinf(b)) {
        *this = InfiniteHsv(r, g, b);
        return *this;
    }
    const Extent extent = ExtentOf(r, g, b);
    const double delta = extent.max - extent.min;
    const float value = static_cast<float>(extent.max);
    if (extent.max == 0 || delta == 0) {
        // Black, and every other grey: no hue.
        *this = Color3f(0, 0, value);
        return *this;
    }
    *this = Color3f(HueOf(r, g, b, extent), static_cast<float>(delta / extent.max), value);
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
    const float p = Weighted(1 - s, v), q = Weighted(1 - f * s, v), t = Weighted(1 - (1 - f) * s, v);
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
