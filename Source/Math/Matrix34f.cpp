#include <Vexir/Matrices.h>

#include <cstring>
#include <utility>

#include "Math/LinearPart.h"
#include "Math/MatrixText.h"

namespace Vexir {

namespace {

void ResetColumn3(float* m)
{
    m[3] = m[7] = m[11] = 0;
    m[15] = 1;
}

}  // namespace

Matrix34f::Matrix34f() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}

Matrix34f::Matrix34f(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21,
                     float m22, float tx, float ty, float tz)
    : m{m00, m01, m02, 0, m10, m11, m12, 0, m20, m21, m22, 0, tx, ty, tz, 1}
{
}

Matrix34f::Matrix34f(const Matrix33f& o) : Matrix34f() { Linear3::Load(o.m, 3).Store(m, 4); }

Matrix34f::Matrix34f(const Matrix44f& o) { std::memcpy(m, o.m, sizeof m); }

int Matrix34f::AlignToVector(const Vector3f& v)
{
    const int branch = AlignBranch(v);
    AlignToVector(v, branch);
    return branch;
}

void Matrix34f::AlignToVector(const Vector3f& v, int branch)
{
    Linear3 rows = Linear3::Load(m, 4);
    AlignRows(rows, v, branch);
    rows.Store(m, 4);
}

void Matrix34f::CreateRotateAboutAxisByAngle(const Vector3f& axis, float angle)
{
    *this = Matrix34f();
    AxisRotation(axis, angle).Store(m, 4);
}

void Matrix34f::RotateAboutAxisByAngle(const Vector3f& axis, float angle)
{
    Multiply(Linear3::Load(m, 4), AxisRotation(axis, angle)).Store(m, 4);
    ResetColumn3(m);
}

void Matrix34f::CreateLookAt(const Vector3f& from, const Vector3f& to, const Vector3f& up, bool flip)
{
    const Vector3f forward = Normalized(to - from);
    const Vector3f upward = Normalized(up);
    const Vector3f side = Normalized(upward.CrossProd(forward));
    Linear3 rows;
    rows.SetRow(0, side);
    rows.SetRow(1, forward.CrossProd(side));
    rows.SetRow(2, forward);
    if (flip) {
        rows.SetRow(0, -rows.Row(0));
        rows.SetRow(2, -rows.Row(2));
    }
    rows.Store(m, 4);
    m[12] = from.x;
    m[13] = from.y;
    m[14] = from.z;
}

bool Matrix34f::Inverse(Matrix34f& out) const
{
    Linear3 inverse;
    if (!InvertLinear(Linear3::Load(m, 4), inverse))
        return false;
    // The translation moved back through the inverse, in double as the
    // inverse was, and refused like it when it leaves the floats' range.
    const double tx = m[12], ty = m[13], tz = m[14];
    double back[3];
    for (int j = 0; j < 3; ++j) {
        back[j] = -(tx * inverse.e[0][j] + ty * inverse.e[1][j] + tz * inverse.e[2][j]);
        if (!FitsFloat(back[j]))
            return false;
    }
    inverse.Store(out.m, 4);
    for (int j = 0; j < 3; ++j)
        out.m[12 + j] = static_cast<float>(back[j]);
    ResetColumn3(out.m);
    return true;
}

bool Matrix34f::Invert()
{
    Matrix34f inverse = *this;
    if (!Inverse(inverse))
        return false;
    *this = inverse;
    return true;
}

bool Matrix34f::Parity() const { return Mirrors(Linear3::Load(m, 4)); }

void Matrix34f::RotateX(float angle) { RotateRowsX(m, 4, 4, angle); }
void Matrix34f::RotateY(float angle) { RotateRowsY(m, 4, 4, angle); }
void Matrix34f::RotateZ(float angle) { RotateRowsZ(m, 4, 4, angle); }

void Matrix34f::Transpose()
{
    std::swap(m[1], m[4]);
    std::swap(m[2], m[8]);
    std::swap(m[6], m[9]);
}

void Matrix34f::Transpose(Matrix34f& out) const
{
    const Linear3 rows = Linear3::Load(m, 4);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out.m[4 * c + r] = rows.e[r][c];
}

bool Matrix34f::WriteToFile(void* file, int indent) const
{
    WriteMatrixText(static_cast<std::FILE*>(file), indent, "Matrix34f", m, 4, 4);
    return true;
}

bool Matrix34f::ReadFromFile(void* file) { return ReadMatrixText(static_cast<std::FILE*>(file), "Matrix34f", m, 4, 4); }

}  // namespace Vexir
