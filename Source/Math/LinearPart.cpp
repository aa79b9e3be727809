#include "Math/LinearPart.h"

#include <cfloat>
#include <cmath>

namespace Vexir {

Linear3 Linear3::Load(const float* m, int stride)
{
    Linear3 rows;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            rows.e[r][c] = m[stride * r + c];
    return rows;
}

void Linear3::Store(float* m, int stride) const
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            m[stride * r + c] = e[r][c];
}

bool FitsFloat(double value) { return std::fabs(value) <= FLT_MAX; }

// In double: a float's square and cube leave its range (diag(1e13) has a
// determinant of 1e39, diag(1e-13) one below the smallest float), where the
// determinant became infinite or 0 and the inverse zeros or infinities.
bool InvertLinear(const Linear3& in, Linear3& out)
{
    double m[3][3];
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            if (!std::isfinite(in.e[r][c]))
                return false;
            m[r][c] = in.e[r][c];
        }
    // The determinant's six products, split by sign to judge its conditioning.
    const double products[6] = {m[0][0] * m[1][1] * m[2][2],    m[0][1] * m[1][2] * m[2][0],
                                m[0][2] * m[1][0] * m[2][1],    -(m[0][2] * m[1][1] * m[2][0]),
                                -(m[1][0] * m[0][1] * m[2][2]), -(m[1][2] * m[0][0] * m[2][1])};
    double positive = 0, negative = 0;
    for (double product : products) {
        if (product >= 0)
            positive += product;
        else
            negative += product;
    }
    const double det = positive + negative;
    if (det == 0 || std::fabs(det / (positive - negative)) < 1e-15)
        return false;
    const double r = 1 / det;
    double inverse[3][3];
    inverse[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) * r;
    inverse[1][0] = -((m[1][0] * m[2][2] - m[1][2] * m[2][0]) * r);
    inverse[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) * r;
    inverse[0][1] = -((m[0][1] * m[2][2] - m[0][2] * m[2][1]) * r);
    inverse[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * r;
    inverse[2][1] = -((m[0][0] * m[2][1] - m[0][1] * m[2][0]) * r);
    inverse[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * r;
    inverse[1][2] = -((m[0][0] * m[1][2] - m[0][2] * m[1][0]) * r);
    inverse[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * r;
    // An inverse too large for a float is no answer either.
    Linear3 result;
    for (int row = 0; row < 3; ++row)
        for (int c = 0; c < 3; ++c) {
            if (!FitsFloat(inverse[row][c]))
                return false;
            result.e[row][c] = static_cast<float>(inverse[row][c]);
        }
    out = result;
    return true;
}

Linear3 AxisRotation(const Vector3f& axis, float angle)
{
    const Vector3f a = axis.Normalized();
    const float x = a.x, y = a.y, z = a.z;
    const float s = std::sin(angle), c = std::cos(angle), t = 1 - c;
    Linear3 rotation;
    rotation.e[0][0] = t * x * x + c;
    rotation.e[0][1] = t * x * y + s * z;
    rotation.e[0][2] = t * x * z - s * y;
    rotation.e[1][0] = t * x * y - s * z;
    rotation.e[1][1] = t * y * y + c;
    rotation.e[1][2] = t * y * z + s * x;
    rotation.e[2][0] = t * x * z + s * y;
    rotation.e[2][1] = t * y * z - s * x;
    rotation.e[2][2] = t * z * z + c;
    return rotation;
}

Linear3 Multiply(const Linear3& a, const Linear3& b)
{
    Linear3 product;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            product.e[r][c] = a.e[r][0] * b.e[0][c] + a.e[r][1] * b.e[1][c] + a.e[r][2] * b.e[2][c];
    return product;
}

int AlignBranch(const Vector3f& v) { return std::fabs(v.x) > std::fabs(v.y) ? 0 : 1; }

void AlignRows(Linear3& rows, const Vector3f& v, int branch)
{
    Vector3f first;
    if (branch == 0) {
        const float reciprocal = 1 / std::sqrt(v.z * v.z + v.x * v.x);
        first = Vector3f(-v.z * reciprocal, 0, v.x * reciprocal);
    } else {
        const float reciprocal = 1 / std::sqrt(v.z * v.z + v.y * v.y);
        first = Vector3f(0, v.z * reciprocal, -v.y * reciprocal);
    }
    rows.SetRow(0, first);
    rows.SetRow(1, v.CrossProd(first));
    rows.SetRow(2, v);
}

bool Mirrors(const Linear3& rows) { return rows.Row(0).CrossProd(rows.Row(1)).DotProd(rows.Row(2)) < 0; }

void RotateRowsX(float* m, int stride, int count, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    for (float* row = m; row < m + stride * count; row += stride) {
        const float y = row[1], z = row[2];
        row[1] = y * c - z * s;
        row[2] = z * c + y * s;
    }
}

void RotateRowsY(float* m, int stride, int count, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    for (float* row = m; row < m + stride * count; row += stride) {
        const float x = row[0], z = row[2];
        row[0] = x * c + z * s;
        row[2] = z * c - x * s;
    }
}

void RotateRowsZ(float* m, int stride, int count, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    for (float* row = m; row < m + stride * count; row += stride) {
        const float x = row[0], y = row[1];
        row[0] = x * c - y * s;
        row[1] = y * c + x * s;
    }
}

}  // namespace Vexir
