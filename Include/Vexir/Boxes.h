/// @file
/// Axis-aligned bounding boxes: the points p with min <= p <= max on every axis.
///
/// A fresh box (or one after Init) is empty: min at 1e15 and max at -1e15 on
/// every axis, so it contains nothing and the first AddPoint or AddBox makes it
/// exactly that point or box. The measures of the empty box follow from those
/// numbers (its volume overflows to -infinity); nothing guards a division by a
/// zero extent in PercentOverlap.
#pragma once

#include <Vexir/Vectors.h>

namespace Vexir {

/// An axis-aligned 2D box, from `min` to `max` inclusive.
class VEXIR_API Box2f {
public:
    /// An empty box, as after Init().
    Box2f() { Init(); }
    /// The box from `min_` to `max_`, taken as given (not sorted).
    Box2f(const Vector2f& min_, const Vector2f& max_) : min(min_), max(max_) {}
    /// The box from two arrays of two floats (x, y), taken as given.
    Box2f(const float* min_, const float* max_) : min(min_[0], min_[1]), max(max_[0], max_[1]) {}
    /// The box from two arrays of two doubles (x, y), rounded to float.
    Box2f(const double* min_, const double* max_);
    /// The box from the corner coordinates. The third and sixth values (z) are
    /// accepted and ignored.
    Box2f(float minX, float minY, float minZ, float maxX, float maxY, float maxZ);
    /// The box from the corner coordinates, rounded to float; `minZ` and `maxZ`
    /// are ignored.
    Box2f(double minX, double minY, double minZ, double maxX, double maxY, double maxZ);

    /// Makes the box empty: min at 1e15 and max at -1e15 on each axis.
    void Init();
    /// Grows the box to contain `p`. A NaN coordinate changes nothing on its axis.
    void AddPoint(const Vector2f& p);
    /// Grows the box to contain `count` points. A count below 1, or a null
    /// array, adds nothing.
    ///
    /// After the first point a coordinate that lowers the min is not tested
    /// against the max, so the first point should have no NaN coordinate.
    void AddPoints(const Vector2f* points, int count);
    /// Grows the box to contain `box`; an empty `box` changes nothing.
    void AddBox(const Box2f& box);
    /// True when `p` is in the box. Bounds are inclusive; a NaN coordinate
    /// fails no test and counts as inside.
    bool ContainsPoint(const Vector2f& p) const;
    /// The fraction (0 to 1) of this box's area inside `other`, not a
    /// percentage; 0 when the boxes do not overlap.
    float PercentOverlap(const Box2f& other) const;
    /// The area, `(max.y - min.y) * (max.x - min.x)`.
    float SurfaceArea() const;

    /// @var min
    /// The lower corner.
    /// @var max
    /// The upper corner.
    Vector2f min, max;
};

/// An axis-aligned 3D box, from `min` to `max` inclusive.
class VEXIR_API Box3f {
public:
    /// An empty box, as after Init().
    Box3f() { Init(); }
    /// The box from `min_` to `max_`, taken as given (not sorted).
    Box3f(const Vector3f& min_, const Vector3f& max_) : min(min_), max(max_) {}
    /// The box from two arrays of three floats (x, y, z), taken as given.
    Box3f(const float* min_, const float* max_) : min(min_[0], min_[1], min_[2]), max(max_[0], max_[1], max_[2]) {}
    /// The box from two arrays of three doubles (x, y, z), rounded to float.
    Box3f(const double* min_, const double* max_);
    /// The box from the corner coordinates, taken as given.
    Box3f(float minX, float minY, float minZ, float maxX, float maxY, float maxZ);
    /// The box from the corner coordinates, rounded to float.
    Box3f(double minX, double minY, double minZ, double maxX, double maxY, double maxZ);

    /// Makes the box empty: min at 1e15 and max at -1e15 on each axis.
    void Init();
    /// Grows the box to contain `p`. A NaN coordinate changes nothing on its axis.
    void AddPoint(const Vector3f& p);
    /// Grows the box to contain `count` points. A count below 1, or a null
    /// array, adds nothing.
    ///
    /// After the first point a coordinate that lowers the min is not tested
    /// against the max, so the first point should have no NaN coordinate.
    void AddPoints(const Vector3f* points, int count);
    /// Grows the box to contain `box`; an empty `box` changes nothing.
    void AddBox(const Box3f& box);
    /// True when `p` is in the box. Bounds are inclusive; a NaN coordinate
    /// fails no test and counts as inside.
    bool ContainsPoint(const Vector3f& p) const;
    /// The fraction (0 to 1) of this box's volume inside `other`, not a
    /// percentage; 0 when the boxes do not overlap.
    float PercentOverlap(const Box3f& other) const;
    /// The area of the six faces, `2 * ((dz*dx + dy*dx) + dz*dy)` with
    /// d = max - min.
    float SurfaceArea() const;
    /// The volume, `dx * dy * dz` with d = max - min; -infinity for the empty box.
    float Volume() const;

    /// @var min
    /// The lower corner.
    /// @var max
    /// The upper corner.
    Vector3f min, max;
};

}  // namespace Vexir
