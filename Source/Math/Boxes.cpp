#include <Vexir/Boxes.h>

namespace Vexir {

namespace {

const float kEmptyMin = 1e15f;
const float kEmptyMax = -1e15f;

float F(double value) { return static_cast<float>(value); }

// The fold of one coordinate: both tests, or (after the first point of a list)
// the chain that tests max only when min did not move.
void Fold(float& lo, float& hi, float p)
{
    if (lo > p)
        lo = p;
    if (p > hi)
        hi = p;
}

void FoldChained(float& lo, float& hi, float p)
{
    if (lo > p)
        lo = p;
    else if (p > hi)
        hi = p;
}

bool Outside(float lo, float hi, float p) { return lo > p || p > hi; }

float Larger(float a, float b) { return a > b ? a : b; }
float Smaller(float a, float b) { return a < b ? a : b; }

}  // namespace

Box2f::Box2f(const double* min_, const double* max_) : min(F(min_[0]), F(min_[1])), max(F(max_[0]), F(max_[1])) {}

Box2f::Box2f(float minX, float minY, float, float maxX, float maxY, float) : min(minX, minY), max(maxX, maxY) {}

Box2f::Box2f(double minX, double minY, double, double maxX, double maxY, double)
    : min(F(minX), F(minY)), max(F(maxX), F(maxY))
{
}

void Box2f::Init()
{
    min = Vector2f(kEmptyMin, kEmptyMin);
    max = Vector2f(kEmptyMax, kEmptyMax);
}

void Box2f::AddPoint(const Vector2f& p)
{
    Fold(min.x, max.x, p.x);
    Fold(min.y, max.y, p.y);
}

void Box2f::AddPoints(const Vector2f* points, int count)
{
    if (!points || count < 1)
        return;
    AddPoint(points[0]);
    for (int i = 1; i < count; ++i) {
        FoldChained(min.x, max.x, points[i].x);
        FoldChained(min.y, max.y, points[i].y);
    }
}

void Box2f::AddBox(const Box2f& box)
{
    if (min.x > box.min.x)
        min.x = box.min.x;
    if (min.y > box.min.y)
        min.y = box.min.y;
    if (box.max.x > max.x)
        max.x = box.max.x;
    if (box.max.y > max.y)
        max.y = box.max.y;
}

bool Box2f::ContainsPoint(const Vector2f& p) const { return !Outside(min.x, max.x, p.x) && !Outside(min.y, max.y, p.y); }

float Box2f::PercentOverlap(const Box2f& o) const
{
    if (min.x > o.max.x || min.y > o.max.y || o.min.x > max.x || o.min.y > max.y)
        return 0;
    const float extentX = Smaller(max.x, o.max.x) - Larger(min.x, o.min.x);
    const float extentY = Smaller(max.y, o.max.y) - Larger(min.y, o.min.y);
    return (extentY * extentX) / ((max.y - min.y) * (max.x - min.x));
}

float Box2f::SurfaceArea() const { return (max.y - min.y) * (max.x - min.x); }

Box3f::Box3f(const double* min_, const double* max_)
    : min(F(min_[0]), F(min_[1]), F(min_[2])), max(F(max_[0]), F(max_[1]), F(max_[2]))
{
}

Box3f::Box3f(float minX, float minY, float minZ, float maxX, float maxY, float maxZ)
    : min(minX, minY, minZ), max(maxX, maxY, maxZ)
{
}

Box3f::Box3f(double minX, double minY, double minZ, double maxX, double maxY, double maxZ)
    : min(F(minX), F(minY), F(minZ)), max(F(maxX), F(maxY), F(maxZ))
{
}

void Box3f::Init()
{
    min = Vector3f(kEmptyMin, kEmptyMin, kEmptyMin);
    max = Vector3f(kEmptyMax, kEmptyMax, kEmptyMax);
}

void Box3f::AddPoint(const Vector3f& p)
{
    Fold(min.x, max.x, p.x);
    Fold(min.y, max.y, p.y);
    Fold(min.z, max.z, p.z);
}

void Box3f::AddPoints(const Vector3f* points, int count)
{
    if (!points || count < 1)
        return;
    AddPoint(points[0]);
    for (int i = 1; i < count; ++i) {
        FoldChained(min.x, max.x, points[i].x);
        FoldChained(min.y, max.y, points[i].y);
        FoldChained(min.z, max.z, points[i].z);
    }
}

void Box3f::AddBox(const Box3f& box)
{
    if (min.x > box.min.x)
        min.x = box.min.x;
    if (min.y > box.min.y)
        min.y = box.min.y;
    if (min.z > box.min.z)
        min.z = box.min.z;
    if (box.max.x > max.x)
        max.x = box.max.x;
    if (box.max.y > max.y)
        max.y = box.max.y;
    if (box.max.z > max.z)
        max.z = box.max.z;
}

bool Box3f::ContainsPoint(const Vector3f& p) const
{
    return !Outside(min.x, max.x, p.x) && !Outside(min.y, max.y, p.y) && !Outside(min.z, max.z, p.z);
}

float Box3f::PercentOverlap(const Box3f& o) const
{
    if (min.x > o.max.x || min.y > o.max.y || min.z > o.max.z || o.min.x > max.x || o.min.y > max.y ||
        o.min.z > max.z)
        return 0;
    const float extentX = Smaller(max.x, o.max.x) - Larger(min.x, o.min.x);
    const float extentY = Smaller(max.y, o.max.y) - Larger(min.y, o.min.y);
    const float extentZ = Smaller(max.z, o.max.z) - Larger(min.z, o.min.z);
    return ((extentY * extentX) * extentZ) / (((max.y - min.y) * (max.x - min.x)) * (max.z - min.z));
}

float Box3f::SurfaceArea() const
{
    const float dx = max.x - min.x, dy = max.y - min.y, dz = max.z - min.z;
    return 2 * ((dz * dx + dy * dx) + dz * dy);
}

float Box3f::Volume() const { return ((max.y - min.y) * (max.x - min.x)) * (max.z - min.z); }

}  // namespace Vexir
