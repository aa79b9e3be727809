/// @file
/// Single-precision vectors and an integer rectangle.
///
/// Components are contiguous floats in order, so an array of N vectors is an
/// array of 2N, 3N or 4N floats. All arithmetic is single precision; double and
/// int arguments are converted to the nearest float on entry.
///
/// @code
///   Vector2f(3, 4).Normalized()   => (0.60000002, 0.80000001): each component
///                                    times the float reciprocal of the length
///   Vector3f(-5, 1, 2).MaxComponent() => 0 (absolute values; ties go to the
///                                    later component: (1, 1, 1) gives 2)
///   Vector3f(1, 1, 1).Average()   => 0.99998999 (the sum times 0.33333f)
///   stream << Vector3f(1, 2.5, -3) => "(1,2.5,-3)" with the stream's own float
///                                    formatting
/// @endcode
#pragma once

#include <Vexir/VexirExport.h>

#include <ostream>

namespace Vexir {

class Vector3f;

/// A two-component single-precision vector.
class VEXIR_API Vector2f {
public:
    /// The zero vector.
    Vector2f() : x(0), y(0) {}
    /// The vector (`x_`, `y_`).
    Vector2f(float x_, float y_) : x(x_), y(y_) {}
    /// The x and y of `v`; its z is dropped.
    explicit Vector2f(const Vector3f& v);

    /// Copies `v`.
    void Set(const Vector2f& v) { *this = v; }
    /// Sets both components.
    void Set(float x_, float y_) { x = x_, y = y_; }
    /// Sets both components, rounded to float.
    void Set(double x_, double y_) { x = static_cast<float>(x_), y = static_cast<float>(y_); }
    /// Sets both components, converted to float.
    void Set(int x_, int y_) { x = static_cast<float>(x_), y = static_cast<float>(y_); }
    /// Sets both components to 0.
    void Origin() { x = y = 0; }

    /// The dot product with `v`.
    float DotProd(const Vector2f& v) const { return x * v.x + y * v.y; }
    /// The squared length, `x * x + y * y`; no square root is taken.
    float LengthSquared() const { return x * x + y * y; }
    /// The length; 0 when the squared length is 0 or NaN.
    float Length() const;
    /// Scales to unit length: multiplies by the float reciprocal of the length.
    /// A zero or NaN length gives (0, 0).
    void Normalize();
    /// A copy scaled to unit length, as Normalize() does it.
    Vector2f Normalized() const;
    /// Raises components below `lo` to `lo`, then lowers those above `hi` to
    /// `hi` (so `hi` wins when `lo` > `hi`); NaN stays.
    void Clamp(float lo, float hi);
    /// Replaces NaN components with 0.
    void ClampNaN();
    /// The largest absolute value of the components.
    float MaxAbsValue() const;
    /// The smallest absolute value of the components.
    float MinAbsValue() const;
    /// The index (0 for x, 1 for y) of the largest absolute value; ties go to
    /// the later one.
    int MaxComponent() const;
    /// The index (0 for x, 1 for y) of the smallest absolute value; ties go to
    /// the later one.
    int MinComponent() const;

    /// The component-wise sum.
    Vector2f operator+(const Vector2f& v) const { return Vector2f(x + v.x, y + v.y); }
    /// The component-wise difference.
    Vector2f operator-(const Vector2f& v) const { return Vector2f(x - v.x, y - v.y); }
    /// The negated vector.
    Vector2f operator-() const { return Vector2f(-x, -y); }
    /// The vector scaled by `s`.
    Vector2f operator*(float s) const { return Vector2f(x * s, y * s); }
    /// Exact equality of both components (a NaN component never compares equal).
    bool operator==(const Vector2f& v) const { return x == v.x && y == v.y; }
    /// The negation of operator==.
    bool operator!=(const Vector2f& v) const { return !(*this == v); }

    /// @var x
    /// The first component.
    /// @var y
    /// The second component.
    float x, y;
};

/// A three-component single-precision vector, for points and directions.
class VEXIR_API Vector3f {
public:
    /// The zero vector.
    Vector3f() : x(0), y(0), z(0) {}
    /// The vector (`x_`, `y_`, `z_`).
    Vector3f(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    /// The dot product with `v`.
    float DotProd(const Vector3f& v) const { return x * v.x + y * v.y + z * v.z; }
    /// The right-handed cross product this x `v`: X x Y = Z.
    Vector3f CrossProd(const Vector3f& v) const
    {
        return Vector3f(y * v.z - z * v.y, z * v.x - x * v.z, x * v.y - y * v.x);
    }
    /// The squared length, `x * x + y * y + z * z`; no square root is taken.
    float LengthSquared() const { return x * x + y * y + z * z; }
    /// The length; 0 when the squared length is 0 or NaN.
    float Length() const;
    /// Scales to unit length: multiplies by the float reciprocal of the length.
    /// A zero or NaN length gives (0, 0, 0).
    void Normalize();
    /// A copy scaled to unit length, as Normalize() does it.
    Vector3f Normalized() const;
    /// Raises components below `lo` to `lo`, then lowers those above `hi` to
    /// `hi` (so `hi` wins when `lo` > `hi`); NaN stays.
    void Clamp(float lo, float hi);
    /// Replaces NaN components with 0.
    void ClampNaN();
    /// The largest absolute value of the components.
    float MaxAbsValue() const;
    /// The smallest absolute value of the components.
    float MinAbsValue() const;
    /// The index (0 for x, 1 for y, 2 for z) of the largest absolute value;
    /// ties go to the later one.
    int MaxComponent() const;
    /// The index (0 for x, 1 for y, 2 for z) of the smallest absolute value;
    /// ties go to the later one.
    int MinComponent() const;
    /// `(x + y + z) * 0.33333f`, a hair below the exact mean.
    float Average() const { return (x + y + z) * 0.33333f; }

    /// The component-wise sum.
    Vector3f operator+(const Vector3f& v) const { return Vector3f(x + v.x, y + v.y, z + v.z); }
    /// The component-wise difference.
    Vector3f operator-(const Vector3f& v) const { return Vector3f(x - v.x, y - v.y, z - v.z); }
    /// The negated vector.
    Vector3f operator-() const { return Vector3f(-x, -y, -z); }
    /// The vector scaled by `s`.
    Vector3f operator*(float s) const { return Vector3f(x * s, y * s, z * s); }
    /// Exact equality of all components (a NaN component never compares equal).
    bool operator==(const Vector3f& v) const { return x == v.x && y == v.y && z == v.z; }
    /// The negation of operator==.
    bool operator!=(const Vector3f& v) const { return !(*this == v); }

    /// @var x
    /// The first component.
    /// @var y
    /// The second component.
    /// @var z
    /// The third component.
    float x, y, z;
};

/// A four-component single-precision vector: a homogeneous point or direction,
/// or a row or column of a Matrix44f.
class VEXIR_API Vector4f {
public:
    /// The zero vector.
    Vector4f() : x(0), y(0), z(0), w(0) {}
    /// The vector (`x_`, `y_`, `z_`, `w_`).
    Vector4f(float x_, float y_, float z_, float w_) : x(x_), y(y_), z(z_), w(w_) {}
    /// `v` extended by `w_`: 1 for a point that a Matrix44f translates, 0 for a
    /// direction that it does not.
    Vector4f(const Vector3f& v, float w_) : x(v.x), y(v.y), z(v.z), w(w_) {}

    /// Exact equality of all components (a NaN component never compares equal).
    bool operator==(const Vector4f& v) const { return x == v.x && y == v.y && z == v.z && w == v.w; }
    /// The negation of operator==.
    bool operator!=(const Vector4f& v) const { return !(*this == v); }

    /// @var x
    /// The first component.
    /// @var y
    /// The second component.
    /// @var z
    /// The third component.
    /// @var w
    /// The fourth (homogeneous) component.
    float x, y, z, w;
};

inline Vector2f::Vector2f(const Vector3f& v) : x(v.x), y(v.y) {}

/// The dot product of `a` and `b`, as Vector2f::DotProd().
inline float DotProd(const Vector2f& a, const Vector2f& b) { return a.DotProd(b); }
/// The length of `v`, as Vector2f::Length().
inline float Length(const Vector2f& v) { return v.Length(); }
/// The squared length of `v`, as Vector2f::LengthSquared().
inline float LengthSquared(const Vector2f& v) { return v.LengthSquared(); }
/// `v` scaled to unit length, as Vector2f::Normalized(): (0, 0) for a zero vector.
inline Vector2f Normalized(const Vector2f& v) { return v.Normalized(); }
/// The length of `v`, as Vector3f::Length().
inline float Length(const Vector3f& v) { return v.Length(); }
/// The squared length of `v`, as Vector3f::LengthSquared().
inline float LengthSquared(const Vector3f& v) { return v.LengthSquared(); }
/// `v` scaled to unit length, as Vector3f::Normalized(): (0, 0, 0) for a zero vector.
inline Vector3f Normalized(const Vector3f& v) { return v.Normalized(); }

/// Writes `v` as "(x,y)" with the stream's own float formatting.
VEXIR_API std::ostream& operator<<(std::ostream& stream, const Vector2f& v);
/// Writes `v` as "(x,y,z)" with the stream's own float formatting.
VEXIR_API std::ostream& operator<<(std::ostream& stream, const Vector3f& v);
/// Writes `v` as "(x,y,z,w)" with the stream's own float formatting.
VEXIR_API std::ostream& operator<<(std::ostream& stream, const Vector4f& v);

/// Two integer components, zero-initialised.
struct Vector2i {
    /// @var x
    /// The first component.
    /// @var y
    /// The second component.
    int x = 0, y = 0;
};

/// Two points, stored in the order Set receives them: (a, b) then (c, d). What
/// the two pairs mean (corners, or corner and size) is the caller's convention.
/// @tparam Point a type with members `x` and `y`, such as Vector2i.
/// @tparam Scalar the type of the coordinates.
template <typename Point, typename Scalar>
struct Rect2 {
    /// Copies `r`.
    void Set(const Rect2& r) { *this = r; }
    /// Sets `first` to (`a`, `b`) and `second` to (`c`, `d`).
    void Set(Scalar a, Scalar b, Scalar c, Scalar d)
    {
        first.x = a, first.y = b, second.x = c, second.y = d;
    }

    /// @var first
    /// The first pair, (a, b).
    /// @var second
    /// The second pair, (c, d).
    Point first, second;
};

/// An integer rectangle: four ints, (a, b) then (c, d), with the meaning the
/// caller gives them.
using Rect2i = Rect2<Vector2i, int>;

}  // namespace Vexir
