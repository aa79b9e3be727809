// Axis-aligned bounding boxes: the points p with min <= p <= max on every axis.
//
// A fresh box (or one after Init) is empty: min at 1e15 and max at -1e15 on
// every axis, so it contains nothing and the first AddPoint or AddBox makes it
// exactly that point or box. The measures of the empty box follow from those
// numbers (its volume overflows to -infinity); nothing guards a division by a
// zero extent in PercentOverlap.
#pragma once

#include <Vexir/Vectors.h>

namespace Vexir {

class VEXIR_API Box2f {
public:
    Box2f() { Init(); }
    Box2f(const Vector2f& min_, const Vector2f& max_) : min(min_), max(max_) {}
    Box2f(const float* min_, const float* max_) : min(min_[0], min_[1]), max(max_[0], max_[1]) {}
    Box2f(const double* min_, const double* max_);
    // The third and sixth values (z) are accepted and ignored.
    Box2f(float minX, float minY, float minZ, float maxX, float maxY, float maxZ);
    Box2f(double minX, double minY, double minZ, double maxX, double maxY, double maxZ);

    void Init();
    void AddPoint(const Vector2f& p);
    // A count below 1 adds nothing.
    void AddPoints(const Vector2f* points, int count);
    void AddBox(const Box2f& box);
    // Bounds are inclusive; a NaN coordinate fails no test and counts as inside.
    bool ContainsPoint(const Vector2f& p) const;
    // The fraction (0 to 1) of this box's area inside `other`.
    float PercentOverlap(const Box2f& other) const;
    float SurfaceArea() const;

    Vector2f min, max;
};

class VEXIR_API Box3f {
public:
    Box3f() { Init(); }
    Box3f(const Vector3f& min_, const Vector3f& max_) : min(min_), max(max_) {}
    Box3f(const float* min_, const float* max_) : min(min_[0], min_[1], min_[2]), max(max_[0], max_[1], max_[2]) {}
    Box3f(const double* min_, const double* max_);
    Box3f(float minX, float minY, float minZ, float maxX, float maxY, float maxZ);
    Box3f(double minX, double minY, double minZ, double maxX, double maxY, double maxZ);

    void Init();
    void AddPoint(const Vector3f& p);
    void AddPoints(const Vector3f* points, int count);
    void AddBox(const Box3f& box);
    bool ContainsPoint(const Vector3f& p) const;
    // The fraction (0 to 1) of this box's volume inside `other`.
    float PercentOverlap(const Box3f& other) const;
    // 2 * ((dz*dx + dy*dx) + dz*dy).
    float SurfaceArea() const;
    float Volume() const;

    Vector3f min, max;
};

}  // namespace Vexir
