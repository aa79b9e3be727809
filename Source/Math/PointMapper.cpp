#include <Vexir/PointMapper.h>

#include <cmath>
#include <functional>

#include "Math/SinCos4.h"

namespace Vexir {

namespace {

const float kQuarterPi = 0.7853982f;
const float kDegreesToRadians = 0.017453292f;
const float kTwoPi = 6.2831855f;

// Concentric square-to-disc: four wedge tests in order, a later one winning on
// a shared boundary.
void Concentric(float& x, float& y)
{
    const float a = x, b = y;
    float r = 0, phi = 0;
    if (a >= -b && a > b && a != 0) {
        r = a;
        phi = (b * kQuarterPi) / a;
    }
    if (b >= a && a > -b && b != 0) {
        r = b;
        phi = (2 - a / b) * kQuarterPi;
    }
    if (-b >= a && b >= a && a != 0) {
        r = -a;
        phi = (b / a + 4) * kQuarterPi;
    }
    if (a >= b && -b >= a && b != 0) {
        r = -b;
        phi = (6 - a / b) * kQuarterPi;
    }
    x = std::cos(phi) * r;
    y = std::sin(phi) * r;
}

void Polar(float& x, float& y)
{
    const float r = std::sqrt(x * 0.5f + 0.5f);
    const float phi = (y * 0.5f + 0.5f) * kTwoPi;
    x = std::cos(phi) * r;
    y = std::sin(phi) * r;
}

// A clockwise turn of the mapped points; none for an angle of exactly 0.
class Turn {
public:
    explicit Turn(float degrees) : _bActive(degrees != 0)
    {
        const float theta = degrees * kDegreesToRadians;
        _fSin = std::sin(theta);
        _fCos = std::cos(theta);
    }
    void Apply(float& x, float& y) const
    {
        if (!_bActive)
            return;
        const float turnedX = _fSin * y + _fCos * x;
        y = _fCos * y - _fSin * x;
        x = turnedX;
    }

private:
    bool _bActive;
    float _fSin = 0, _fCos = 1;
};

template <typename Mapping>
bool MapArrays(float* x, float* y, int count, float angle, Mapping mapping)
{
    if (count > 0 && (!x || !y))
        return false;
    const Turn turn(angle);
    for (int i = 0; i < count; ++i) {
        mapping(x[i], y[i]);
        turn.Apply(x[i], y[i]);
    }
    return true;
}

template <typename Mapping>
bool MapPoints(Vector2f* points, int count, float angle, Mapping mapping)
{
    if (count > 0 && !points)
        return false;
    const Turn turn(angle);
    for (int i = 0; i < count; ++i) {
        mapping(points[i].x, points[i].y);
        turn.Apply(points[i].x, points[i].y);
    }
    return true;
}

// The sphere mapping's parts before the trigonometry: the height parameter u,
// the planar radius s / 2 and the angle.
struct SphereTerms {
    float u, s, phi;
};

SphereTerms SphereOf(float x, float y)
{
    const float u = (y + 1) * 0.5f;
    return {u, std::sqrt((1 - u) * u), (x + 1) * 0.5f * kTwoPi};
}

void Sphere(float& x, float& y, float& z)
{
    const SphereTerms t = SphereOf(x, y);
    x = std::cos(t.phi) * 2 * t.s;
    y = std::sin(t.phi) * 2 * t.s;
    z = 1 - 2 * t.u;
}

bool Disjoint(const float* a, const float* b, int count)
{
    const std::less<const float*> before;
    return !before(a, b + count) || !before(b, a + count);
}

// Four points with one four-wide sine and cosine, lane by lane the same
// operations as the one-point formula; false when an angle is out of range,
// for the caller to map them one by one.
bool SphereFour(float* x, float* y, float* z)
{
#if defined(__SSE2__)
    const __m128 one = _mm_set1_ps(1), half = _mm_set1_ps(0.5f), two = _mm_set1_ps(2);
    const __m128 u = _mm_mul_ps(_mm_add_ps(_mm_loadu_ps(y), one), half);
    const __m128 s = _mm_sqrt_ps(_mm_mul_ps(_mm_sub_ps(one, u), u));
    const __m128 phi = _mm_mul_ps(_mm_mul_ps(_mm_add_ps(_mm_loadu_ps(x), one), half), _mm_set1_ps(kTwoPi));
    if (!SinCos4Fits(phi))
        return false;
    __m128 sines, cosines;
    SinCos4(phi, sines, cosines);
    _mm_storeu_ps(x, _mm_mul_ps(_mm_mul_ps(cosines, two), s));
    _mm_storeu_ps(y, _mm_mul_ps(_mm_mul_ps(sines, two), s));
    _mm_storeu_ps(z, _mm_sub_ps(one, _mm_mul_ps(two, u)));
    return true;
#else
    (void)x, (void)y, (void)z;
    return false;
#endif
}

}  // namespace

bool PointMapper::MapDiscConcentric(float* x, float* y, int count, float angle)
{
    return MapArrays(x, y, count, angle, Concentric);
}

bool PointMapper::MapDiscConcentric(Vector2f* points, int count, float angle)
{
    return MapPoints(points, count, angle, Concentric);
}

bool PointMapper::MapDiscPolar(float* x, float* y, int count, float angle)
{
    return MapArrays(x, y, count, angle, Polar);
}

bool PointMapper::MapDiscPolar(Vector2f* points, int count, float angle)
{
    return MapPoints(points, count, angle, Polar);
}

bool PointMapper::MapSphere(float* x, float* y, float* z, int count)
{
    if (count > 0 && (!x || !y || !z))
        return false;
    int i = 0;
    if (count >= 4 && Disjoint(x, y, count) && Disjoint(x, z, count) && Disjoint(y, z, count)) {
        for (; i + 4 <= count; i += 4)
            if (!SphereFour(x + i, y + i, z + i))
                for (int k = i; k < i + 4; ++k)
                    Sphere(x[k], y[k], z[k]);
    }
    for (; i < count; ++i)
        Sphere(x[i], y[i], z[i]);
    return true;
}

bool PointMapper::MapSphere(Vector3f* points, int count)
{
    if (count > 0 && !points)
        return false;
    for (int i = 0; i < count; ++i)
        Sphere(points[i].x, points[i].y, points[i].z);
    return true;
}

}  // namespace Vexir
