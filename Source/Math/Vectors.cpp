#include <Vexir/Vectors.h>

#include <cmath>

namespace Vexir {

namespace {

float SafeRoot(float sum) { return sum > 0 ? std::sqrt(sum) : 0.0f; }

// Index of the component that wins a strict comparison of absolute values,
// later components winning ties and NaN comparisons.
template <typename Better>
int Select3(float x, float y, float z, Better better)
{
    const float ax = std::fabs(x), ay = std::fabs(y), az = std::fabs(z);
    if (better(ax, ay))
        return better(ax, az) ? 0 : 2;
    return better(ay, az) ? 1 : 2;
}

float Pick(const Vector3f& v, int index) { return index == 0 ? v.x : index == 1 ? v.y : v.z; }

bool Greater(float a, float b) { return a > b; }
bool Less(float a, float b) { return a < b; }

float ClampOne(float value, float lo, float hi)
{
    if (lo > value)
        value = lo;
    if (value > hi)
        value = hi;
    return value;
}

}  // namespace

float Vector2f::Length() const { return SafeRoot(LengthSquared()); }

void Vector2f::Normalize()
{
    const float sum = x * x + y * y;
    if (sum > 0) {
        const float reciprocal = 1.0f / std::sqrt(sum);
        x *= reciprocal;
        y *= reciprocal;
    } else {
        x = y = 0;
    }
}

Vector2f Vector2f::Normalized() const
{
    Vector2f copy = *this;
    copy.Normalize();
    return copy;
}

void Vector2f::Clamp(float lo, float hi)
{
    x = ClampOne(x, lo, hi);
    y = ClampOne(y, lo, hi);
}

void Vector2f::ClampNaN()
{
    if (std::isnan(x))
        x = 0;
    if (std::isnan(y))
        y = 0;
}

int Vector2f::MaxComponent() const { return std::fabs(x) > std::fabs(y) ? 0 : 1; }
int Vector2f::MinComponent() const { return std::fabs(x) < std::fabs(y) ? 0 : 1; }
float Vector2f::MaxAbsValue() const { return std::fabs(MaxComponent() == 0 ? x : y); }
float Vector2f::MinAbsValue() const { return std::fabs(MinComponent() == 0 ? x : y); }

float Vector3f::Length() const { return SafeRoot(LengthSquared()); }

void Vector3f::Normalize()
{
    const float sum = x * x + y * y + z * z;
    if (sum > 0) {
        const float reciprocal = 1.0f / std::sqrt(sum);
        x *= reciprocal;
        y *= reciprocal;
        z *= reciprocal;
    } else {
        x = y = z = 0;
    }
}

Vector3f Vector3f::Normalized() const
{
    Vector3f copy = *this;
    copy.Normalize();
    return copy;
}

void Vector3f::Clamp(float lo, float hi)
{
    x = ClampOne(x, lo, hi);
    y = ClampOne(y, lo, hi);
    z = ClampOne(z, lo, hi);
}

void Vector3f::ClampNaN()
{
    if (std::isnan(x))
        x = 0;
    if (std::isnan(y))
        y = 0;
    if (std::isnan(z))
        z = 0;
}

int Vector3f::MaxComponent() const { return Select3(x, y, z, Greater); }
int Vector3f::MinComponent() const { return Select3(x, y, z, Less); }
float Vector3f::MaxAbsValue() const { return std::fabs(Pick(*this, MaxComponent())); }
float Vector3f::MinAbsValue() const { return std::fabs(Pick(*this, MinComponent())); }

std::ostream& operator<<(std::ostream& stream, const Vector2f& v) { return stream << '(' << v.x << ',' << v.y << ')'; }

std::ostream& operator<<(std::ostream& stream, const Vector3f& v)
{
    return stream << '(' << v.x << ',' << v.y << ',' << v.z << ')';
}

std::ostream& operator<<(std::ostream& stream, const Vector4f& v)
{
    return stream << '(' << v.x << ',' << v.y << ',' << v.z << ',' << v.w << ')';
}

}  // namespace Vexir
