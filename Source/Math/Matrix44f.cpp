#include <Vexir/Matrices.h>

#include <cmath>
#include <cstring>
#include <utility>

#include "Math/LinearPart.h"
#include "Math/Matrix44Kernels.h"

namespace Vexir {

namespace {

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

bool ValidIndex(int index) { return index >= 0 && index < 4; }

void Diagonal(float* m, float s)
{
    std::memset(m, 0, 16 * sizeof(float));
    m[0] = m[5] = m[10] = m[15] = s;
}

template <typename T>
void FromValues(float* m, const T* values)
{
    for (int i = 0; i < 16; ++i)
        m[i] = static_cast<float>(values[i]);
}

}  // namespace

Matrix44f::Matrix44f(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13,
                     float m20, float m21, float m22, float m23, float m30, float m31, float m32, float m33)
    : m{m00, m01, m02, m03, m10, m11, m12, m13, m20, m21, m22, m23, m30, m31, m32, m33}
{
}

Matrix44f::Matrix44f(const Matrix33f& o) : Matrix44f() { Linear3::Load(o.m, 3).Store(m, 4); }

Matrix44f::Matrix44f(const Matrix34f& o)
{
    std::memcpy(m, o.m, sizeof m);
    m[3] = m[7] = m[11] = 0;
    m[15] = 1;
}

Matrix44f::Matrix44f(int s) { Diagonal(m, static_cast<float>(s)); }
Matrix44f::Matrix44f(float s) { Diagonal(m, s); }
Matrix44f::Matrix44f(double s) { Diagonal(m, static_cast<float>(s)); }
Matrix44f::Matrix44f(const int* values) { FromValues(m, values); }
Matrix44f::Matrix44f(const float* values) { FromValues(m, values); }
Matrix44f::Matrix44f(const double* values) { FromValues(m, values); }

void Matrix44f::IdentityMatrix() { std::memcpy(m, kIdentity, sizeof m); }

void Matrix44f::AlignToVector(const Vector3f& v)
{
    Vector3f axis;
    const int smallest = v.MinComponent();
    (smallest == 0 ? axis.x : smallest == 1 ? axis.y : axis.z) = 1;
    // One Gram-Schmidt step against v.
    const float along = v.DotProd(axis);
    axis = Normalized(Vector3f(axis.x - v.x * along, axis.y - v.y * along, axis.z - v.z * along));
    const Vector3f second = axis.CrossProd(v);
    *this = Matrix44f(axis.x, axis.y, axis.z, 0, second.x, second.y, second.z, 0, v.x, v.y, v.z, 0, 0, 0, 0, 1);
}

void Matrix44f::CreateRotateAboutAxisByAngle(const Vector3f& axis, float angle)
{
    IdentityMatrix();
    AxisRotation(axis, angle).Store(m, 4);
}

void Matrix44f::RotateAboutAxisByAngle(const Vector3f& axis, float angle)
{
    Matrix44f rotation;
    rotation.CreateRotateAboutAxisByAngle(axis, angle);
    *this = *this * rotation;
}

// A matrix holding NaN or infinity has no inverse, and elimination that
// overflows gives none either: both are refused rather than returned.
bool Matrix44f::Inverse(Matrix44f& out) const
{
    for (float e : m)
        if (!std::isfinite(e))
            return false;
    float a[4][8];
    if (!MatrixKernels::GaussJordan<MatrixKernels::kFourWide>(m, a))
        return false;
    for (int r = 0; r < 4; ++r)
        for (int c = 4; c < 8; ++c)
            if (!std::isfinite(a[r][c]))
                return false;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[4 * c + r] = a[r][4 + c];
    return true;
}

bool Matrix44f::Invert()
{
    Matrix44f inverse;
    const bool inverted = Inverse(inverse);
    *this = inverse;
    return inverted;
}

bool Matrix44f::Parity() const { return Mirrors(Linear3::Load(m, 4)); }

void Matrix44f::RotateX(float angle) { RotateRowsX(m, 4, 4, angle); }
void Matrix44f::RotateY(float angle) { RotateRowsY(m, 4, 4, angle); }
void Matrix44f::RotateZ(float angle) { RotateRowsZ(m, 4, 4, angle); }

void Matrix44f::Transpose()
{
    for (int r = 0; r < 4; ++r)
        for (int c = r + 1; c < 4; ++c)
            std::swap(m[4 * r + c], m[4 * c + r]);
}

void Matrix44f::Transpose(Matrix44f& out) const
{
    const Matrix44f source = *this;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[4 * c + r] = source.m[4 * r + c];
}

void Matrix44f::GetRow(int row, Vector4f& out) const
{
    if (ValidIndex(row))
        out = Vector4f(m[4 * row], m[4 * row + 1], m[4 * row + 2], m[4 * row + 3]);
}

void Matrix44f::GetColumn(int column, Vector4f& out) const
{
    if (ValidIndex(column))
        out = Vector4f(m[column], m[4 + column], m[8 + column], m[12 + column]);
}

void Matrix44f::SetRow(int row, const Vector4f& v)
{
    if (!ValidIndex(row))
        return;
    m[4 * row] = v.x;
    m[4 * row + 1] = v.y;
    m[4 * row + 2] = v.z;
    m[4 * row + 3] = v.w;
}

void Matrix44f::SetRow(int row, const Vector3f& v) { SetRow(row, Vector4f(v, 0)); }

void Matrix44f::SetColumn(int column, const Vector4f& v)
{
    if (!ValidIndex(column))
        return;
    m[column] = v.x;
    m[4 + column] = v.y;
    m[8 + column] = v.z;
    m[12 + column] = v.w;
}

void Matrix44f::SwapRows(int a, int b)
{
    Vector4f first, second;
    GetRow(a, first);
    GetRow(b, second);
    SetRow(a, second);
    SetRow(b, first);
}

void Matrix44f::GetTranslation(Vector3f& out) const { out = Vector3f(m[12] / m[15], m[13] / m[15], m[14] / m[15]); }

void Matrix44f::Translate(const Vector3f& t) { Translate(t.x, t.y, t.z); }

void Matrix44f::Translate(float x, float y, float z)
{
    Matrix44f translation;
    translation.m[12] = x;
    translation.m[13] = y;
    translation.m[14] = z;
    *this = *this * translation;
}

void Matrix44f::NoRotate() { Linear3::Load(kIdentity, 4).Store(m, 4); }
void Matrix44f::NoScale() { m[15] = 1; }

void Matrix44f::NoTranslate() { m[12] = m[13] = m[14] = 0; }

Vector3f Matrix44f::VectorTransform(const Vector3f& v) const
{
    return Vector3f(v.x * m[0] + v.y * m[4] + v.z * m[8], v.x * m[1] + v.y * m[5] + v.z * m[9],
                    v.x * m[2] + v.y * m[6] + v.z * m[10]);
}

Matrix44f operator*(const Matrix44f& a, const Matrix44f& b)
{
    Matrix44f product{Matrix44f::Unset()};
    MatrixKernels::Multiply4<MatrixKernels::kFourWide>(a.m, b.m, product.m);
    return product;
}

Vector4f operator*(const Matrix44f& m, const Vector4f& v)
{
    const float* e = m.m;
    return Vector4f(v.x * e[0] + v.y * e[4] + v.z * e[8] + v.w * e[12],
                    v.x * e[1] + v.y * e[5] + v.z * e[9] + v.w * e[13],
                    v.x * e[2] + v.y * e[6] + v.z * e[10] + v.w * e[14],
                    v.x * e[3] + v.y * e[7] + v.z * e[11] + v.w * e[15]);
}

Vector4f operator*(const Vector4f& v, const Matrix44f& m)
{
    const float* e = m.m;
    return Vector4f(e[0] * v.x + e[1] * v.y + e[2] * v.z + e[3] * v.w,
                    e[4] * v.x + e[5] * v.y + e[6] * v.z + e[7] * v.w,
                    e[8] * v.x + e[9] * v.y + e[10] * v.z + e[11] * v.w,
                    e[12] * v.x + e[13] * v.y + e[14] * v.z + e[15] * v.w);
}

std::ostream& operator<<(std::ostream& stream, const Matrix44f& m)
{
    stream << '(';
    for (int r = 0; r < 4; ++r) {
        stream << '(' << m.m[4 * r] << ',' << m.m[4 * r + 1] << ',' << m.m[4 * r + 2] << ',' << m.m[4 * r + 3] << ')';
        if (r < 3)
            stream << ", ";
    }
    return stream << ')';
}

}  // namespace Vexir
