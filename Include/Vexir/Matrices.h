// Single-precision 3x3, 3x4 and 4x4 matrices for transforms.
//
// Storage is row by row: element (r, c) of a Matrix33f at index 3r + c, of a
// Matrix34f or Matrix44f at 4r + c. Vectors are rows multiplied on the left,
// v' = v * M, so the translation is row 3 (indices 12, 13, 14). Rotating and
// translating operations post-multiply (M := M * X: X applies after M).
// Rotations are right-handed, angles in radians: about Z, +X turns towards +Y.
// A Matrix34f is a 4x4 whose column 3 is kept at (0, 0, 0, 1).
//
// Products sum in index order in single precision, so results are the same
// floats on every platform wherever no sine, cosine or square root is taken.
//
// File form (WriteToFile / ReadFromFile), at indent 1 for the 3x3 identity:
//   \t<Matrix33f>
//   \t\t1 0 0
//   \t\t0 1 0
//   \t\t0 0 1
//   \t</Matrix33f>
// Values are printf's %g; a Matrix34f writes four rows of four.
//
// A zero direction in AlignToVector or CreateLookAt follows the formulas into
// a reciprocal of zero: the result holds infinities or NaNs.
#pragma once

#include <Vexir/Vectors.h>

#include <ostream>

namespace Vexir {

class Matrix34f;
class Matrix44f;

class VEXIR_API Matrix33f {
public:
    Matrix33f();
    Matrix33f(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22);
    explicit Matrix33f(const Matrix34f& m);
    explicit Matrix33f(const Matrix44f& m);

    float& operator()(int row, int column) { return m[3 * row + column]; }
    float operator()(int row, int column) const { return m[3 * row + column]; }

    // Rows: 0 a unit vector perpendicular to v, 1 = v x row 0, 2 = v. Returns
    // the branch taken (0 when |v.x| > |v.y|); the second form forces it.
    int AlignToVector(const Vector3f& v);
    void AlignToVector(const Vector3f& v, int branch);
    void CreateRotateAboutAxisByAngle(const Vector3f& axis, float angle);
    void RotateAboutAxisByAngle(const Vector3f& axis, float angle);
    // Writes the inverse to `out` (another object); a singular matrix writes nothing.
    bool Inverse(Matrix33f& out) const;
    // A singular matrix is left unchanged.
    bool Invert();
    // True when the matrix mirrors (negative determinant).
    bool Parity() const;
    void RotateX(float angle);
    void RotateY(float angle);
    void RotateZ(float angle);
    void Transpose();
    void Transpose(Matrix33f& out) const;
    // `file` is an open FILE*; the indent is a count of tabs, 0 to 511.
    bool WriteToFile(void* file, int indent) const;
    // Reads what WriteToFile writes, with "\n" or "\r\n" line ends; false (the
    // matrix unchanged) on anything else.
    bool ReadFromFile(void* file);

    float m[9];
};

class VEXIR_API Matrix34f {
public:
    Matrix34f();
    // Rows 0 to 2 of the linear part, then the translation.
    Matrix34f(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22,
              float tx, float ty, float tz);
    explicit Matrix34f(const Matrix33f& m);
    explicit Matrix34f(const Matrix44f& m);

    float& operator()(int row, int column) { return m[4 * row + column]; }
    float operator()(int row, int column) const { return m[4 * row + column]; }

    int AlignToVector(const Vector3f& v);
    void AlignToVector(const Vector3f& v, int branch);
    void CreateRotateAboutAxisByAngle(const Vector3f& axis, float angle);
    // Rotates the linear part; the translation stays where it is.
    void RotateAboutAxisByAngle(const Vector3f& axis, float angle);
    // An object at `from` with its third axis towards `to`; `flip` turns it
    // half round its second axis. Not a view matrix.
    void CreateLookAt(const Vector3f& from, const Vector3f& to, const Vector3f& up, bool flip);
    bool Inverse(Matrix34f& out) const;
    bool Invert();
    bool Parity() const;
    // These rotate the translation row too.
    void RotateX(float angle);
    void RotateY(float angle);
    void RotateZ(float angle);
    // Transpose the linear part only.
    void Transpose();
    void Transpose(Matrix34f& out) const;
    bool WriteToFile(void* file, int indent) const;
    bool ReadFromFile(void* file);

    float m[16];
};

class VEXIR_API Matrix44f {
public:
    Matrix44f() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}
    Matrix44f(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13, float m20,
              float m21, float m22, float m23, float m30, float m31, float m32, float m33);
    explicit Matrix44f(const Matrix33f& m);
    explicit Matrix44f(const Matrix34f& m);
    // s on the four diagonal elements.
    explicit Matrix44f(int s);
    explicit Matrix44f(float s);
    explicit Matrix44f(double s);
    // Sixteen values in storage order.
    explicit Matrix44f(const int* values);
    explicit Matrix44f(const float* values);
    explicit Matrix44f(const double* values);

    float& operator()(int row, int column) { return m[4 * row + column]; }
    float operator()(int row, int column) const { return m[4 * row + column]; }

    void Set(const Matrix44f& other) { *this = other; }
    void IdentityMatrix();

    // Rows: a unit vector perpendicular to v (from the axis of v's smallest
    // component), that vector x v, v; row 3 = (0, 0, 0, 1).
    void AlignToVector(const Vector3f& v);
    void CreateRotateAboutAxisByAngle(const Vector3f& axis, float angle);
    void RotateAboutAxisByAngle(const Vector3f& axis, float angle);
    // Gauss-Jordan with partial pivoting; `out` may be this matrix. A singular
    // matrix writes nothing and returns false.
    bool Inverse(Matrix44f& out) const;
    // A singular matrix becomes the identity.
    bool Invert();
    // The mirror test of the upper-left 3x3.
    bool Parity() const;
    void RotateX(float angle);
    void RotateY(float angle);
    void RotateZ(float angle);
    void Transpose();
    void Transpose(Matrix44f& out) const;

    // Rows and columns 0 to 3; other indices read nothing and write nothing.
    void GetRow(int row, Vector4f& out) const;
    void GetColumn(int column, Vector4f& out) const;
    void SetRow(int row, const Vector4f& v);
    // The fourth element becomes 0, also for row 3.
    void SetRow(int row, const Vector3f& v);
    void SetColumn(int column, const Vector4f& v);
    // An index outside 0 to 3 reads as a zero row: the valid row is cleared.
    void SwapRows(int a, int b);
    // Row 3 divided by element (3, 3).
    void GetTranslation(Vector3f& out) const;
    void Translate(const Vector3f& t);
    void Translate(float x, float y, float z);
    void NoRotate();
    void NoScale();
    void NoTranslate();
    // The direction v * M through rows 0 to 2; the translation does not apply.
    Vector3f VectorTransform(const Vector3f& v) const;

    // Aligned so that no row straddles a 16-byte boundary.
    alignas(16) float m[16];

private:
    friend VEXIR_API Matrix44f operator*(const Matrix44f& a, const Matrix44f& b);
    struct Unset {};
    // For results that write all sixteen elements.
    explicit Matrix44f(Unset) {}
};

VEXIR_API Matrix44f operator*(const Matrix44f& a, const Matrix44f& b);
// The row-vector transform v * m.
VEXIR_API Vector4f operator*(const Matrix44f& m, const Vector4f& v);
// m applied to v as a column vector (the transposed transform).
VEXIR_API Vector4f operator*(const Vector4f& v, const Matrix44f& m);

// "((1,0,0), (0,1,0), (0,0,1))" with the stream's own float formatting.
VEXIR_API std::ostream& operator<<(std::ostream& stream, const Matrix33f& m);
VEXIR_API std::ostream& operator<<(std::ostream& stream, const Matrix44f& m);

}  // namespace Vexir
