// The 3x3 linear algebra shared by Matrix33f and the linear part of Matrix34f:
// inversion, rotation about an axis, the aligned frame and the mirror test, on
// a plain 3x3 of rows.
#pragma once

#include <Vexir/Vectors.h>

namespace Vexir {

struct Linear3 {
    float e[3][3];

    // From and to storage with `stride` floats per row.
    static Linear3 Load(const float* m, int stride);
    void Store(float* m, int stride) const;
    Vector3f Row(int r) const { return Vector3f(e[r][0], e[r][1], e[r][2]); }
    void SetRow(int r, const Vector3f& v) { e[r][0] = v.x, e[r][1] = v.y, e[r][2] = v.z; }
};

// The adjugate over the determinant, in double; false (out untouched) when
// singular, when an element is not finite, or when the inverse does not fit
// in a float.
bool InvertLinear(const Linear3& in, Linear3& out);
// Whether a double is within the range of a float.
bool FitsFloat(double value);
// The rotation by +angle about the normalised axis, for row vectors.
Linear3 AxisRotation(const Vector3f& axis, float angle);
// a * b with sums in index order.
Linear3 Multiply(const Linear3& a, const Linear3& b);
// The frame whose third row is v; branch 0 builds row 0 from x and z, any
// other branch from y and z.
void AlignRows(Linear3& rows, const Vector3f& v, int branch);
int AlignBranch(const Vector3f& v);
bool Mirrors(const Linear3& rows);

// The principal-axis rotations applied to `count` rows of `stride` floats.
void RotateRowsX(float* m, int stride, int count, float angle);
void RotateRowsY(float* m, int stride, int count, float angle);
void RotateRowsZ(float* m, int stride, int count, float angle);

}  // namespace Vexir
