/// @file
/// Single-precision 3x3, 3x4 and 4x4 matrices for transforms.
///
/// Storage is row by row: element (r, c) of a Matrix33f at index 3r + c, of a
/// Matrix34f or Matrix44f at 4r + c. Vectors are rows multiplied on the left,
/// v' = v * M, so the translation is row 3 (indices 12, 13, 14). Rotating and
/// translating operations post-multiply (M := M * X: X applies after M).
/// Rotations are right-handed, angles in radians: about Z, +X turns towards +Y.
/// A Matrix34f is a 4x4 whose column 3 is kept at (0, 0, 0, 1).
///
/// Products sum in index order in single precision, so results are the same
/// floats on every platform wherever no sine, cosine or square root is taken.
///
/// File form (WriteToFile / ReadFromFile), at indent 1 for the 3x3 identity,
/// each tab shown as `\t`:
/// @code{.unparsed}
///   \t<Matrix33f>
///   \t\t1 0 0
///   \t\t0 1 0
///   \t\t0 0 1
///   \t</Matrix33f>
/// @endcode
/// Values are printf's \%g; a Matrix34f writes four rows of four.
///
/// A zero direction in the AlignToVector of Matrix33f or Matrix34f follows the
/// formulas into a reciprocal of zero: the result holds infinities or NaNs.
/// CreateLookAt and Matrix44f::AlignToVector normalise with Vector3f::Normalized,
/// which turns a zero vector into zero: degenerate input there gives zero rows.
#pragma once

#include <Vexir/Vectors.h>

#include <ostream>

namespace Vexir {

class Matrix34f;
class Matrix44f;

/// A 3x3 matrix: rotation and scale without translation.
///
/// Rows multiply row vectors from the left; see the file description for the
/// storage order and the rotation conventions.
class VEXIR_API Matrix33f {
public:
    /// The identity.
    Matrix33f();
    /// The nine elements in storage order: row 0, then row 1, then row 2.
    Matrix33f(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22);
    /// The upper-left 3x3 of `m`; its translation is dropped.
    explicit Matrix33f(const Matrix34f& m);
    /// The upper-left 3x3 of `m`.
    explicit Matrix33f(const Matrix44f& m);

    /// Element (`row`, `column`), writable; the indices (0 to 2) are not checked.
    float& operator()(int row, int column) { return m[3 * row + column]; }
    /// Element (`row`, `column`); the indices (0 to 2) are not checked.
    float operator()(int row, int column) const { return m[3 * row + column]; }

    /// Replaces the matrix with a frame whose last row is `v`.
    ///
    /// Rows: 0 a unit vector perpendicular to v, 1 = v x row 0, 2 = v. Returns
    /// the branch taken (0 when `|v.x| > |v.y|`); the other overload forces it.
    /// `v` is used as given: for a rotation (Parity() false) pass a unit vector.
    int AlignToVector(const Vector3f& v);
    /// AlignToVector(const Vector3f&) with the branch forced: 0 builds row 0
    /// from v.x and v.z, any other value from v.y and v.z. If both of those are
    /// 0 the result holds infinities or NaNs.
    void AlignToVector(const Vector3f& v, int branch);
    /// Replaces the matrix with the rotation by `angle` radians about `axis`,
    /// right-handed. The axis is normalised first; a zero axis gives
    /// cos(angle) times the identity.
    void CreateRotateAboutAxisByAngle(const Vector3f& axis, float angle);
    /// Post-multiplies by the rotation that CreateRotateAboutAxisByAngle() makes.
    void RotateAboutAxisByAngle(const Vector3f& axis, float angle);
    /// Writes the inverse to `out` (another object); a singular matrix writes
    /// nothing and returns false. Singular means a determinant smaller in
    /// magnitude than 1e-15 times the sum of the magnitudes of its six products.
    /// Worked in double, so scales whose determinant leaves a float's range
    /// (diag(1e13), diag(1e-13)) invert; refused as well (false, nothing
    /// written): an element that is NaN or infinite, and an inverse that does
    /// not fit in a float (diag(1e-39)).
    bool Inverse(Matrix33f& out) const;
    /// Inverts in place. A singular matrix is left unchanged and false returned.
    bool Invert();
    /// True when the matrix mirrors (negative determinant).
    bool Parity() const;
    /// Post-multiplies by a rotation of `angle` radians about X (+Y turns towards +Z).
    void RotateX(float angle);
    /// Post-multiplies by a rotation of `angle` radians about Y (+Z turns towards +X).
    void RotateY(float angle);
    /// Post-multiplies by a rotation of `angle` radians about Z (+X turns towards +Y).
    void RotateZ(float angle);
    /// Transposes in place.
    void Transpose();
    /// Writes the transpose to `out`, which may be this matrix.
    void Transpose(Matrix33f& out) const;
    /// Writes the file form to `file`, an open FILE*; the indent is a count of
    /// tabs, clamped to 0 to 511. A null file writes nothing. Returns true:
    /// write errors are not detected.
    bool WriteToFile(void* file, int indent) const;
    /// Reads what WriteToFile writes, at any indentation and spacing, with
    /// `"\n"` or `"\r\n"` line ends; false (the matrix unchanged) on anything
    /// else or a null file. The lines read are consumed even on failure.
    bool ReadFromFile(void* file);

    /// The elements, row by row: (r, c) at 3r + c.
    float m[9];
};

/// An affine transform: a 3x3 in rows 0 to 2 and a translation in row 3.
///
/// It is stored as a 4x4 whose column 3 is kept at (0, 0, 0, 1); see the file
/// description for the conventions.
class VEXIR_API Matrix34f {
public:
    /// The identity.
    Matrix34f();
    /// Rows 0 to 2 of the 3x3, then the translation; column 3 is (0, 0, 0, 1).
    Matrix34f(float m00, float m01, float m02, float m10, float m11, float m12, float m20, float m21, float m22,
              float tx, float ty, float tz);
    /// `m` with no translation.
    explicit Matrix34f(const Matrix33f& m);
    /// All sixteen elements of `m`, column 3 included: it is not reset, so `m`
    /// should be affine.
    explicit Matrix34f(const Matrix44f& m);

    /// Element (`row`, `column`) of the 4x4, writable; the indices (0 to 3) are
    /// not checked.
    float& operator()(int row, int column) { return m[4 * row + column]; }
    /// Element (`row`, `column`) of the 4x4; the indices (0 to 3) are not checked.
    float operator()(int row, int column) const { return m[4 * row + column]; }

    /// Matrix33f::AlignToVector(const Vector3f&) on the upper-left 3x3; the
    /// translation stays. Returns the branch taken.
    int AlignToVector(const Vector3f& v);
    /// Matrix33f::AlignToVector(const Vector3f&, int) on the upper-left 3x3;
    /// the translation stays.
    void AlignToVector(const Vector3f& v, int branch);
    /// Replaces the matrix with the rotation by `angle` radians about `axis`,
    /// as Matrix33f::CreateRotateAboutAxisByAngle(), and no translation.
    void CreateRotateAboutAxisByAngle(const Vector3f& axis, float angle);
    /// Rotates the upper-left 3x3 (post-multiplying it); the translation stays
    /// where it is, unlike with RotateX(), RotateY() and RotateZ().
    void RotateAboutAxisByAngle(const Vector3f& axis, float angle);
    /// An object at `from` with its third axis towards `to`; `flip` turns it
    /// half round its second axis. Not a view matrix (its inverse is one).
    ///
    /// Row 2 is the unit direction to `to`, row 0 the unit `up` x row 2 and
    /// row 1 row 2 x row 0 (`up` made perpendicular); row 3 is `from`. Column 3
    /// is not written. A zero direction, or an `up` that is zero or parallel
    /// to it, gives zero rows.
    void CreateLookAt(const Vector3f& from, const Vector3f& to, const Vector3f& up, bool flip);
    /// Writes the inverse transform to `out`, which may be this matrix: the
    /// inverted 3x3 and the translation moved back through it. A singular 3x3
    /// (as for Matrix33f::Inverse()), an element that is NaN or infinite, or
    /// an inverse or moved-back translation that does not fit in a float
    /// writes nothing and returns false.
    bool Inverse(Matrix34f& out) const;
    /// Inverts in place. A singular matrix is left unchanged and false returned.
    bool Invert();
    /// True when the upper-left 3x3 mirrors (negative determinant).
    bool Parity() const;
    /// Post-multiplies by a rotation of `angle` radians about X (+Y turns
    /// towards +Z). This rotates the translation row too.
    void RotateX(float angle);
    /// Post-multiplies by a rotation of `angle` radians about Y (+Z turns
    /// towards +X). This rotates the translation row too.
    void RotateY(float angle);
    /// Post-multiplies by a rotation of `angle` radians about Z (+X turns
    /// towards +Y). This rotates the translation row too.
    void RotateZ(float angle);
    /// Transposes the upper-left 3x3 only.
    void Transpose();
    /// Writes the transposed upper-left 3x3 into that of `out`, which may be
    /// this matrix; the rest of `out` is left as it was.
    void Transpose(Matrix34f& out) const;
    /// As Matrix33f::WriteToFile(), with four rows of four values.
    bool WriteToFile(void* file, int indent) const;
    /// As Matrix33f::ReadFromFile(), for four rows of four values; column 3 is
    /// taken as read.
    bool ReadFromFile(void* file);

    /// The elements, row by row: (r, c) at 4r + c, the translation at 12, 13, 14.
    float m[16];
};

/// A general 4x4 matrix, projective transforms included.
///
/// Row vectors are multiplied from the left, v' = v * M; see the file
/// description for the conventions.
class VEXIR_API Matrix44f {
public:
    /// The identity.
    Matrix44f() : m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1} {}
    /// The sixteen elements in storage order, row by row.
    Matrix44f(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13, float m20,
              float m21, float m22, float m23, float m30, float m31, float m32, float m33);
    /// `m` in the upper-left 3x3, the identity elsewhere.
    explicit Matrix44f(const Matrix33f& m);
    /// `m` with column 3 set to (0, 0, 0, 1).
    explicit Matrix44f(const Matrix34f& m);
    /// s on the four diagonal elements, 0 elsewhere.
    explicit Matrix44f(int s);
    /// s on the four diagonal elements, 0 elsewhere.
    explicit Matrix44f(float s);
    /// s, rounded to float, on the four diagonal elements, 0 elsewhere.
    explicit Matrix44f(double s);
    /// Sixteen values in storage order, converted to float.
    explicit Matrix44f(const int* values);
    /// Sixteen values in storage order.
    explicit Matrix44f(const float* values);
    /// Sixteen values in storage order, rounded to float.
    explicit Matrix44f(const double* values);

    /// Element (`row`, `column`), writable; the indices (0 to 3) are not checked.
    float& operator()(int row, int column) { return m[4 * row + column]; }
    /// Element (`row`, `column`); the indices (0 to 3) are not checked.
    float operator()(int row, int column) const { return m[4 * row + column]; }

    /// Copies `other`.
    void Set(const Matrix44f& other) { *this = other; }
    /// Sets the identity.
    void IdentityMatrix();

    /// Replaces the whole matrix with a frame whose third row is `v`.
    ///
    /// Rows: a unit vector perpendicular to v (from the axis of v's smallest
    /// component), that vector x v, v; row 3 = (0, 0, 0, 1). `v` is used as
    /// given and should be a unit vector, or row 0 is not perpendicular to it.
    /// Unlike the Matrix33f and Matrix34f forms the frame is left-handed:
    /// Parity() is true.
    void AlignToVector(const Vector3f& v);
    /// Replaces the matrix with the rotation by `angle` radians about `axis`,
    /// as Matrix33f::CreateRotateAboutAxisByAngle(), and no translation.
    void CreateRotateAboutAxisByAngle(const Vector3f& axis, float angle);
    /// Post-multiplies by the rotation that CreateRotateAboutAxisByAngle()
    /// makes; the translation row rotates too.
    void RotateAboutAxisByAngle(const Vector3f& axis, float angle);
    /// Gauss-Jordan with partial pivoting; `out` may be this matrix. A singular
    /// matrix (a pivot below 1e-15 in magnitude), one holding NaN or infinity,
    /// and one whose inverse overflows writes nothing and returns false.
    bool Inverse(Matrix44f& out) const;
    /// Inverts in place. A singular matrix becomes the identity, and false is
    /// returned.
    bool Invert();
    /// The mirror test of the upper-left 3x3: true for a negative determinant.
    bool Parity() const;
    /// Post-multiplies by a rotation of `angle` radians about X (+Y turns
    /// towards +Z); all four rows turn, the translation too.
    void RotateX(float angle);
    /// Post-multiplies by a rotation of `angle` radians about Y (+Z turns
    /// towards +X); all four rows turn, the translation too.
    void RotateY(float angle);
    /// Post-multiplies by a rotation of `angle` radians about Z (+X turns
    /// towards +Y); all four rows turn, the translation too.
    void RotateZ(float angle);
    /// Transposes in place.
    void Transpose();
    /// Writes the transpose to `out`, which may be this matrix.
    void Transpose(Matrix44f& out) const;

    /// Copies row `row` into `out`. Rows and columns are 0 to 3; other indices
    /// read nothing and write nothing, so `out` keeps its value.
    void GetRow(int row, Vector4f& out) const;
    /// Copies column `column` into `out`; an index outside 0 to 3 leaves `out`
    /// unchanged.
    void GetColumn(int column, Vector4f& out) const;
    /// Sets row `row` to `v`; an index outside 0 to 3 changes nothing.
    void SetRow(int row, const Vector4f& v);
    /// Sets row `row` to `v`. The fourth element becomes 0, also for row 3.
    void SetRow(int row, const Vector3f& v);
    /// Sets column `column` to `v`; an index outside 0 to 3 changes nothing.
    void SetColumn(int column, const Vector4f& v);
    /// Swaps rows `a` and `b`. An index outside 0 to 3 reads as a zero row: the
    /// valid row is cleared.
    void SwapRows(int a, int b);
    /// Row 3 divided by element (3, 3).
    void GetTranslation(Vector3f& out) const;
    /// Post-multiplies by a translation by `t`: for an affine matrix, `t` is
    /// added to row 3.
    void Translate(const Vector3f& t);
    /// Post-multiplies by a translation by (`x`, `y`, `z`), as
    /// Translate(const Vector3f&).
    void Translate(float x, float y, float z);
    /// Sets the upper-left 3x3 to the identity, dropping rotation and scale;
    /// row 3 and column 3 stay.
    void NoRotate();
    /// Sets element (3, 3), the homogeneous scale, to 1; the upper-left 3x3 is
    /// not touched.
    void NoScale();
    /// Sets the translation (elements 12, 13, 14) to 0.
    void NoTranslate();
    /// The direction v * M through rows 0 to 2; the translation does not apply.
    Vector3f VectorTransform(const Vector3f& v) const;

    /// The elements, row by row: (r, c) at 4r + c, the translation at indices
    /// 12, 13 and 14. Aligned so that no row straddles a 16-byte boundary.
    alignas(16) float m[16];

private:
    friend VEXIR_API Matrix44f operator*(const Matrix44f& a, const Matrix44f& b);
    struct Unset {};
    // For results that write all sixteen elements.
    explicit Matrix44f(Unset) {}
};

/// The product `a * b`: transforming by it is transforming by `a`, then by `b`.
VEXIR_API Matrix44f operator*(const Matrix44f& a, const Matrix44f& b);
/// The row-vector transform v * m, despite the order of the operands.
VEXIR_API Vector4f operator*(const Matrix44f& m, const Vector4f& v);
/// m applied to v as a column vector (the transposed transform), despite the
/// order of the operands.
VEXIR_API Vector4f operator*(const Vector4f& v, const Matrix44f& m);

/// Writes `m` as "((1,0,0), (0,1,0), (0,0,1))" (for the identity) with the
/// stream's own float formatting.
VEXIR_API std::ostream& operator<<(std::ostream& stream, const Matrix33f& m);
/// Writes `m` as four rows of four, "((1,0,0,0), (0,1,0,0), ...)", with the
/// stream's own float formatting.
VEXIR_API std::ostream& operator<<(std::ostream& stream, const Matrix44f& m);

}  // namespace Vexir
