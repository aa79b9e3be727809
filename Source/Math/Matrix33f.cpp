#include <Vexir/Matrices.h>

#include <utility>

#include "Math/LinearPart.h"
#include "Math/MatrixText.h"

namespace Vexir {

Matrix33f::Matrix33f() : m{1, 0, 0, 0, 1, 0, 0, 0, 1} {}

Matrix33f::Matrix33f(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21,
                     float m22)
    : m{m00, m01, m02, m10, m11, m12, m20, m21, m22}
{
}

Matrix33f::Matrix33f(const Matrix34f& o) { Linear3::Load(o.m, 4).Store(m, 3); }

Matrix33f::Matrix33f(const Matrix44f& o) { Linear3::Load(o.m, 4).Store(m, 3); }

int Matrix33f::AlignToVector(const Vector3f& v)
{
    const int branch = AlignBranch(v);
    AlignToVector(v, branch);
    return branch;
}

void Matrix33f::AlignToVector(const Vector3f& v, int branch)
{
    Linear3 rows = Linear3::Load(m, 3);
    AlignRows(rows, v, branch);
    rows.Store(m, 3);
}

void Matrix33f::CreateRotateAboutAxisByAngle(const Vector3f& axis, float angle)
{
    AxisRotation(axis, angle).Store(m, 3);
}

void Matrix33f::RotateAboutAxisByAngle(const Vector3f& axis, float angle)
{
    Multiply(Linear3::Load(m, 3), AxisRotation(axis, angle)).Store(m, 3);
}

bool Matrix33f::Inverse(Matrix33f& out) const
{
    Linear3 inverse;
    if (!InvertLinear(Linear3::Load(m, 3), inverse))
        return false;
    inverse.Store(out.m, 3);
    return true;
}

bool Matrix33f::Invert()
{
    Matrix33f inverse = *this;
    if (!Inverse(inverse))
        return false;
    *this = inverse;
    return true;
}

bool Matrix33f::Parity() const { return Mirrors(Linear3::Load(m, 3)); }

void Matrix33f::RotateX(float angle) { RotateRowsX(m, 3, 3, angle); }
void Matrix33f::RotateY(float angle) { RotateRowsY(m, 3, 3, angle); }
void Matrix33f::RotateZ(float angle) { RotateRowsZ(m, 3, 3, angle); }

void Matrix33f::Transpose()
{
    std::swap(m[1], m[3]);
    std::swap(m[2], m[6]);
    std::swap(m[5], m[7]);
}

void Matrix33f::Transpose(Matrix33f& out) const
{
    const Matrix33f source = *this;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            out.m[3 * c + r] = source.m[3 * r + c];
}

bool Matrix33f::WriteToFile(void* file, int indent) const
{
    WriteMatrixText(static_cast<std::FILE*>(file), indent, "Matrix33f", m, 3, 3);
    return true;
}

bool Matrix33f::ReadFromFile(void* file) { return ReadMatrixText(static_cast<std::FILE*>(file), "Matrix33f", m, 3, 3); }

std::ostream& operator<<(std::ostream& stream, const Matrix33f& m)
{
    stream << "((" << m.m[0] << ',' << m.m[1] << ',' << m.m[2] << "), ";
    stream << '(' << m.m[3] << ',' << m.m[4] << ',' << m.m[5] << "), ";
    return stream << '(' << m.m[6] << ',' << m.m[7] << ',' << m.m[8] << "))";
}

}  // namespace Vexir
