// Single-precision vectors and an integer rectangle. Components are contiguous
// floats in order, so an array of N vectors is an array of 2N, 3N or 4N floats.
// All arithmetic is single precision; double and int arguments are converted to
// the nearest float on entry.
//
//   Vector2f(3, 4).Normalized()   => (0.60000002, 0.80000001): each component
//                                    times the float reciprocal of the length
//   Vector3f(-5, 1, 2).MaxComponent() => 0 (absolute values; ties go to the
//                                    later component: (1, 1, 1) gives 2)
//   Vector3f(1, 1, 1).Average()   => 0.99998999 (the sum times 0.33333f)
//   stream << Vector3f(1, 2.5, -3) => "(1,2.5,-3)" with the stream's own float
//                                    formatting
#pragma once

#include <Vexir/VexirExport.h>

#include <ostream>

namespace Vexir {

class Vector3f;

class VEXIR_API Vector2f {
public:
    Vector2f() : x(0), y(0) {}
    Vector2f(float x_, float y_) : x(x_), y(y_) {}
    explicit Vector2f(const Vector3f& v);

    void Set(const Vector2f& v) { *this = v; }
    void Set(float x_, float y_) { x = x_, y = y_; }
    void Set(double x_, double y_) { x = static_cast<float>(x_), y = static_cast<float>(y_); }
    void Set(int x_, int y_) { x = static_cast<float>(x_), y = static_cast<float>(y_); }
    void Origin() { x = y = 0; }

    float DotProd(const Vector2f& v) const { return x * v.x + y * v.y; }
    float LengthSquared() const { return x * x + y * y; }
    // 0 when the squared length is 0 or NaN.
    float Length() const;
    // Multiplies by the float reciprocal of the length; a zero or NaN length
    // gives (0, 0).
    void Normalize();
    Vector2f Normalized() const;
    // Raises components below lo to lo, then lowers those above hi to hi; NaN stays.
    void Clamp(float lo, float hi);
    void ClampNaN();
    float MaxAbsValue() const;
    float MinAbsValue() const;
    // The index of the largest (smallest) absolute value; ties go to the later one.
    int MaxComponent() const;
    int MinComponent() const;

    Vector2f operator+(const Vector2f& v) const { return Vector2f(x + v.x, y + v.y); }
    Vector2f operator-(const Vector2f& v) const { return Vector2f(x - v.x, y - v.y); }
    Vector2f operator-() const { return Vector2f(-x, -y); }
    Vector2f operator*(float s) const { return Vector2f(x * s, y * s); }
    bool operator==(const Vector2f& v) const { return x == v.x && y == v.y; }
    bool operator!=(const Vector2f& v) const { return !(*this == v); }

    float x, y;
};

class VEXIR_API Vector3f {
public:
    Vector3f() : x(0), y(0), z(0) {}
    Vector3f(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    float DotProd(const Vector3f& v) const { return x * v.x + y * v.y + z * v.z; }
    // The right-handed cross product this x v.
    Vector3f CrossProd(const Vector3f& v) const
    {
        return Vector3f(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
    }
    float LengthSquared() const { return x * x + y * y + z * z; }
    float Length() const;
    void Normalize();
    Vector3f Normalized() const;
    void Clamp(float lo, float hi);
    void ClampNaN();
    float MaxAbsValue() const;
    float MinAbsValue() const;
    int MaxComponent() const;
    int MinComponent() const;
    // (x + y + z) * 0.33333f.
    float Average() const { return (x + y + z) * 0.33333f; }

    Vector3f operator+(const Vector3f& v) const { return Vector3f(x + v.x, y + v.y, z + v.z); }
    Vector3f operator-(const Vector3f& v) const { return Vector3f(x - v.x, y - v.y, z - v.z); }
    Vector3f operator-() const { return Vector3f(-x, -y, -z); }
    Vector3f operator*(float s) const { return Vector3f(x * s, y * s, z * s); }
    bool operator==(const Vector3f& v) const { return x == v.x && y == v.y && z == v.z; }
    bool operator!=(const Vector3f& v) const { return !(*this == v); }

    float x, y, z;
};

class VEXIR_API Vector4f {
public:
    Vector4f() : x(0), y(0), z(0), w(0) {}
    Vector4f(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    Vector4f(const Vector3f& v, float w_) : x(v.x), y(v.y), z(v.z), w(w_) {}

    bool operator==(const Vector4f& v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
    bool operator!=(const Vector4f& v) const { return !(*this == v); }

    float x, y, z, w;
};

inline Vector2f::Vector2f(const Vector3f& v) : x(v.x), y(v.y) {}

inline float DotProd(const Vector2f& a, const Vector2f& b) { return a.DotProd(b); }
inline float Length(const Vector2f& v) { return v.Length(); }
inline float LengthSquared(const Vector2f& v) { return v.LengthSquared(); }
inline Vector2f Normalized(const Vector2f& v) { return v.Normalized(); }
inline float Length(const Vector3f& v) { return v.Length(); }
inline float LengthSquared(const Vector3f& v) { return v.LengthSquared(); }
inline Vector3f Normalized(const Vector3f& v) { return v.Normalized(); }

VEXIR_API std::ostream& operator<<(std::ostream& stream, const Vector2f& v);
VEXIR_API std::ostream& operator<<(std::ostream& stream, const Vector3f& v);
VEXIR_API std::ostream& operator<<(std::ostream& stream, const Vector4f& v);

// Two integer components.
struct Vector2i {
    int x = 0, y = 0;
};

// Four ints, stored in the order Set receives them: (a, b) then (c, d). What the
// two pairs mean (corners, or corner and size) is the caller's convention.
template <typename Point, typename Scalar>
struct Rect2 {
    void Set(const Rect2& r) { *this = r; }
    void Set(Scalar a, Scalar b, Scalar c, Scalar d)
    {
        first.x = a, first.y = b, second.x = c, second.y = d;
    }

    Point first, second;
};

using Rect2i = Rect2<Vector2i, int>;

}  // namespace Vexir
