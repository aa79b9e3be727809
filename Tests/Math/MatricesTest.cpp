#include <Vexir/Matrices.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>

#include "Math/Matrix44Kernels.h"
#include "ScratchDirectory.h"

namespace {

using namespace Vexir;

const float kHalfPi = 1.5707964f;

// Equal as floats (so -0 equals 0).
void ExpectSame(const float* a, const float* b, int count)
{
    for (int i = 0; i < count; ++i)
        EXPECT_EQ(a[i], b[i]) << "element " << i;
}

void ExpectNear(const float* a, const float* b, int count, float tolerance)
{
    for (int i = 0; i < count; ++i)
        EXPECT_NEAR(a[i], b[i], tolerance) << "element " << i;
}

// Diagonally dominant, so well conditioned.
Matrix44f RandomMatrix(std::mt19937& random)
{
    std::uniform_real_distribution<float> value(-1, 1);
    Matrix44f m;
    for (float& e : m.m)
        e = value(random);
    for (int i = 0; i < 4; ++i)
        m.m[5 * i] += 4;
    return m;
}

TEST(Matrices, PrincipalRotationsAreRightHanded)
{
    Matrix44f rotation;
    rotation.RotateZ(kHalfPi);
    const Vector4f turned = rotation * Vector4f(1, 0, 0, 0);
    EXPECT_NEAR(turned.x, 0, 1e-6);
    EXPECT_NEAR(turned.y, 1, 1e-6);

    Matrix44f x, y;
    x.RotateX(kHalfPi);
    y.RotateY(kHalfPi);
    const Vector4f yToZ = x * Vector4f(0, 1, 0, 0);
    const Vector4f zToX = y * Vector4f(0, 0, 1, 0);
    EXPECT_NEAR(yToZ.z, 1, 1e-6);
    EXPECT_NEAR(zToX.x, 1, 1e-6);
}

TEST(Matrices, AxisRotationMatchesThePrincipalRotations)
{
    for (float angle : {0.3f, -1.2f, 2.5f}) {
        Matrix44f principal[3], axis[3];
        principal[0].RotateX(angle);
        principal[1].RotateY(angle);
        principal[2].RotateZ(angle);
        axis[0].CreateRotateAboutAxisByAngle(Vector3f(1, 0, 0), angle);
        axis[1].CreateRotateAboutAxisByAngle(Vector3f(0, 3, 0), angle);
        axis[2].CreateRotateAboutAxisByAngle(Vector3f(0, 0, 2), angle);
        for (int i = 0; i < 3; ++i)
            ExpectNear(axis[i].m, principal[i].m, 16, 1e-6f);
        Matrix33f small;
        small.CreateRotateAboutAxisByAngle(Vector3f(0, 0, 2), angle);
        Matrix33f expected;
        expected.RotateZ(angle);
        ExpectNear(small.m, expected.m, 9, 1e-6f);
    }
}

TEST(Matrices, InversesOfRandomMatricesGiveTheIdentity)
{
    std::mt19937 random(99);
    const Matrix44f identity;
    for (int round = 0; round < 3000; ++round) {
        const Matrix44f m = RandomMatrix(random);
        Matrix44f inverse;
        ASSERT_TRUE(m.Inverse(inverse));
        const Matrix44f product = m * inverse;
        for (int i = 0; i < 16; ++i)
            ASSERT_NEAR(product.m[i], identity.m[i], 1e-5f) << "round " << round;

        const Matrix34f affine(m);
        Matrix34f affineInverse;
        ASSERT_TRUE(affine.Inverse(affineInverse));
        const Matrix44f affineProduct = Matrix44f(affine) * Matrix44f(affineInverse);
        for (int i = 0; i < 16; ++i)
            ASSERT_NEAR(affineProduct.m[i], identity.m[i], 1e-5f) << "round " << round;

        const Matrix33f linear(m);
        Matrix33f linearInverse;
        ASSERT_TRUE(linear.Inverse(linearInverse));
        const Matrix44f linearProduct = Matrix44f(linear) * Matrix44f(linearInverse);
        for (int i = 0; i < 16; ++i)
            ASSERT_NEAR(linearProduct.m[i], identity.m[i], 1e-5f) << "round " << round;

        Matrix44f twice = m;
        twice.Transpose();
        twice.Transpose();
        ASSERT_EQ(std::memcmp(twice.m, m.m, sizeof m.m), 0);

        Matrix44f rotation;
        rotation.CreateRotateAboutAxisByAngle(Vector3f(m.m[0], m.m[1], m.m[2]), m.m[3] * 3);
        const Vector3f v(m.m[4], m.m[5], m.m[6]);
        ASSERT_NEAR(rotation.VectorTransform(v).Length(), v.Length(), 1e-5f);
    }
}

TEST(Matrices, SingularMatricesAreRefused)
{
    const Matrix33f twoEqualRows(1, 2, 3, 1, 2, 3, 0, 1, 5);
    Matrix33f out(9, 9, 9, 9, 9, 9, 9, 9, 9);
    EXPECT_FALSE(twoEqualRows.Inverse(out));
    EXPECT_EQ(out.m[0], 9.0f) << "the output is untouched";
    Matrix33f same = twoEqualRows;
    EXPECT_FALSE(same.Invert());
    EXPECT_EQ(std::memcmp(same.m, twoEqualRows.m, sizeof same.m), 0);

    Matrix44f singular(1, 2, 3, 4, 2, 4, 6, 8, 0, 1, 0, 0, 0, 0, 1, 0);
    EXPECT_FALSE(singular.Invert());
    EXPECT_EQ(std::memcmp(singular.m, Matrix44f().m, sizeof singular.m), 0) << "a singular 4x4 becomes the identity";
}

// Scales whose determinant leaves the range of a float still invert, and an
// inverse that would not fit in a float, or a matrix holding NaN or infinity,
// is refused (the output untouched) instead of "inverted" to zeros,
// infinities or NaNs.
TEST(Matrices, InversesOfExtremeAndNonFiniteMatricesAreRightOrRefused)
{
    for (float scale : {1e13f, 1e-13f, 1e25f, 1e-25f, 3e38f}) {
        SCOPED_TRACE(scale);
        const Matrix33f linear(scale, 0, 0, 0, scale, 0, 0, 0, scale);
        Matrix33f linearInverse;
        ASSERT_TRUE(linear.Inverse(linearInverse));
        const Matrix34f affine(scale, 0, 0, 0, scale, 0, 0, 0, scale, scale, 0, -scale);
        Matrix34f affineInverse;
        ASSERT_TRUE(affine.Inverse(affineInverse));
        for (int i = 0; i < 3; ++i) {
            EXPECT_FLOAT_EQ(linearInverse.m[4 * i] * scale, 1.0f);
            EXPECT_FLOAT_EQ(affineInverse.m[5 * i] * scale, 1.0f);
        }
        EXPECT_FLOAT_EQ(affineInverse.m[12], -1.0f) << "the translation moved back";
        EXPECT_FLOAT_EQ(affineInverse.m[14], 1.0f);
    }
    for (float scale : {1e13f, 1e-13f}) {
        Matrix44f inverse;
        ASSERT_TRUE(Matrix44f(scale).Inverse(inverse)) << scale;
        EXPECT_FLOAT_EQ(inverse.m[0] * scale, 1.0f);
    }

    // Inverses past the floats' range: a denormal scale, and a translation
    // moved back through a huge inverse.
    const Matrix33f tiny(1e-39f, 0, 0, 0, 1e-39f, 0, 0, 0, 1e-39f);
    Matrix33f untouched(9, 9, 9, 9, 9, 9, 9, 9, 9);
    EXPECT_FALSE(tiny.Inverse(untouched));
    EXPECT_EQ(untouched.m[0], 9.0f);
    const Matrix34f far(1e-30f, 0, 0, 0, 1e-30f, 0, 0, 0, 1e-30f, 1e20f, 0, 0);
    Matrix34f farInverse(Matrix33f(9, 9, 9, 9, 9, 9, 9, 9, 9));
    EXPECT_FALSE(far.Inverse(farInverse));
    EXPECT_EQ(farInverse.m[0], 9.0f);

    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (float bad : {nan, inf, -inf}) {
        for (int i = 0; i < 16; ++i) {
            SCOPED_TRACE(testing::Message() << bad << " at " << i);
            if (i < 9) {
                Matrix33f linear;
                linear.m[i] = bad;
                Matrix33f out(9, 9, 9, 9, 9, 9, 9, 9, 9);
                EXPECT_FALSE(linear.Inverse(out));
                EXPECT_EQ(out.m[0], 9.0f);
                EXPECT_FALSE(linear.Invert());
            }
            if (i % 4 != 3) {
                Matrix34f affine;
                affine.m[i] = bad;
                Matrix34f out(Matrix33f(9, 9, 9, 9, 9, 9, 9, 9, 9));
                EXPECT_FALSE(affine.Inverse(out));
                EXPECT_EQ(out.m[0], 9.0f);
            }
            Matrix44f general;
            general.m[i] = bad;
            Matrix44f out(9.0f);
            EXPECT_FALSE(general.Inverse(out));
            EXPECT_EQ(out.m[0], 9.0f);
        }
    }
}

TEST(Matrices, PivotingInvertsAZeroInTheCorner)
{
    const Matrix44f permutation(0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0);
    Matrix44f inverse = permutation;
    ASSERT_TRUE(inverse.Inverse(inverse)) << "the output may be the input";
    Matrix44f transposed;
    permutation.Transpose(transposed);
    EXPECT_EQ(std::memcmp(inverse.m, transposed.m, sizeof inverse.m), 0);
}

TEST(Matrices, AffineInverseAndTranslation)
{
    const Matrix34f moved(1, 0, 0, 0, 1, 0, 0, 0, 1, 3, -4, 5);
    Matrix34f back;
    ASSERT_TRUE(moved.Inverse(back));
    EXPECT_EQ(back.m[12], -3.0f);
    EXPECT_EQ(back.m[13], 4.0f);
    EXPECT_EQ(back.m[14], -5.0f);
    EXPECT_EQ(back.m[15], 1.0f);

    Matrix44f m;
    m.Translate(1, 2, 3);
    m.Translate(Vector3f(1, 1, 1));
    Vector3f t;
    m.GetTranslation(t);
    EXPECT_EQ(t, Vector3f(2, 3, 4));
    Matrix44f doubled(2.0);
    doubled.Translate(2, 4, 6);
    doubled.GetTranslation(t);
    EXPECT_EQ(t, Vector3f(2, 4, 6)) << "translation divided by element (3, 3)";

    Matrix34f spun = moved;
    spun.RotateAboutAxisByAngle(Vector3f(0, 0, 1), kHalfPi);
    EXPECT_EQ(spun.m[12], 3.0f) << "the axis rotation keeps the position";
    spun = moved;
    spun.RotateZ(kHalfPi);
    EXPECT_NEAR(spun.m[12], 4.0f, 1e-5f) << "RotateZ turns the translation row too";
}

TEST(Matrices, AlignToVectorBuildsAFrame)
{
    Matrix33f three;
    EXPECT_EQ(three.AlignToVector(Vector3f(0, 0, 1)), 1);
    ExpectSame(three.m, Matrix33f(0, 1, 0, -1, 0, 0, 0, 0, 1).m, 9);
    Matrix44f four;
    four.AlignToVector(Vector3f(0, 0, 1));
    ExpectSame(four.m, Matrix44f(0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1).m, 16);
    EXPECT_TRUE(four.Parity()) << "the 4x4 construction mirrors";
    EXPECT_FALSE(three.Parity());

    Matrix34f forced;
    forced.m[12] = 7;
    forced.AlignToVector(Vector3f(1, 0, 0), 1);
    EXPECT_EQ(forced.m[12], 7.0f) << "the translation stays";
    EXPECT_TRUE(std::isnan(forced.m[1]) || std::isinf(forced.m[1])) << "branch 1 divides by |(y, z)| = 0";
}

TEST(Matrices, LookAtPutsTheThirdAxisTowardsTheTarget)
{
    Matrix34f camera;
    camera.CreateLookAt(Vector3f(1, 2, 3), Vector3f(1, 2, 10), Vector3f(0, 1, 0), false);
    EXPECT_EQ(Vector3f(camera.m[8], camera.m[9], camera.m[10]), Vector3f(0, 0, 1));
    EXPECT_EQ(Vector3f(camera.m[0], camera.m[1], camera.m[2]), Vector3f(1, 0, 0));
    EXPECT_EQ(Vector3f(camera.m[4], camera.m[5], camera.m[6]), Vector3f(0, 1, 0));
    EXPECT_EQ(Vector3f(camera.m[12], camera.m[13], camera.m[14]), Vector3f(1, 2, 3));
    Matrix34f flipped;
    flipped.CreateLookAt(Vector3f(1, 2, 3), Vector3f(1, 2, 10), Vector3f(0, 1, 0), true);
    EXPECT_EQ(Vector3f(flipped.m[8], flipped.m[9], flipped.m[10]), Vector3f(-0.0f, -0.0f, -1));
    EXPECT_EQ(Vector3f(flipped.m[4], flipped.m[5], flipped.m[6]), Vector3f(0, 1, 0));
}

TEST(Matrices, RowsColumnsAndTheirIndices)
{
    Matrix44f m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    Vector4f row(-1, -1, -1, -1);
    m.GetRow(4, row);
    EXPECT_EQ(row, Vector4f(-1, -1, -1, -1));
    m.GetRow(1, row);
    EXPECT_EQ(row, Vector4f(5, 6, 7, 8));
    m.GetColumn(2, row);
    EXPECT_EQ(row, Vector4f(3, 7, 11, 15));
    m.SetRow(3, Vector3f(1, 1, 1));
    EXPECT_EQ(m.m[15], 0.0f);
    m.SwapRows(0, 5);
    m.GetRow(0, row);
    EXPECT_EQ(row, Vector4f(0, 0, 0, 0));
    m.SetColumn(0, Vector4f(9, 9, 9, 9));
    EXPECT_EQ(m.m[8], 9.0f);
    m.NoTranslate();
    m.NoScale();
    m.NoRotate();
    EXPECT_EQ(m.m[12], 0.0f);
    EXPECT_EQ(m.m[15], 1.0f);
    EXPECT_EQ(m.m[0], 1.0f);
    EXPECT_EQ(m.m[7], 8.0f) << "column 3 is left";
}

TEST(Matrices, ProductsAndVectorTransformUseTheRowConvention)
{
    const Matrix44f m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    const Vector4f v(1, 0, 0, 0);
    EXPECT_EQ(m * v, Vector4f(1, 2, 3, 4)) << "v * m: row 0";
    EXPECT_EQ(v * m, Vector4f(1, 5, 9, 13)) << "m applied to a column: column 0";
    Matrix44f affine;
    affine.Translate(5, 5, 5);
    EXPECT_EQ(affine.VectorTransform(Vector3f(1, 2, 3)), Vector3f(1, 2, 3)) << "a direction does not move";
    const Matrix44f squared = m * m;
    EXPECT_EQ(squared.m[0], 90.0f);
    EXPECT_EQ(squared.m[15], 600.0f);
    EXPECT_FALSE(Matrix44f().Parity());
    EXPECT_TRUE(Matrix44f(-1.0f).Parity());
}

TEST(Matrices, TextForms)
{
    std::stringstream text;
    text << Matrix33f();
    EXPECT_EQ(text.str(), "((1,0,0), (0,1,0), (0,0,1))");
    std::stringstream four;
    four << Matrix44f(2);
    EXPECT_EQ(four.str(), "((2,0,0,0), (0,2,0,0), (0,0,2,0), (0,0,0,2))");
}

std::string FileText(const VexirTest::ScratchDirectory& scratch, const std::string& name)
{
    return scratch.ReadText(name);
}

TEST(Matrices, FileFormsRoundTripAtEveryIndent)
{
    VexirTest::ScratchDirectory scratch;
    const std::string name = scratch.Path("m.txt");
    std::FILE* file = std::fopen(name.c_str(), "w");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(Matrix33f().WriteToFile(file, 1));
    EXPECT_TRUE(Matrix33f().WriteToFile(file, 0));
    std::fclose(file);
    EXPECT_EQ(FileText(scratch, "m.txt"),
              "\t<Matrix33f>\n\t\t1 0 0\n\t\t0 1 0\n\t\t0 0 1\n\t</Matrix33f>\n"
              "<Matrix33f>\n\t1 0 0\n\t0 1 0\n\t0 0 1\n</Matrix33f>\n");

    std::mt19937 random(5);
    std::uniform_int_distribution<int> digits(-99999, 99999);
    for (int indent : {0, 1, 7, 511, 600, -3}) {
        Matrix33f three(1, 2, 3, 4, 5, 6, 7, 8, 9);
        Matrix34f four;
        for (float& e : three.m)
            e = static_cast<float>(digits(random) % 1000) / 8;  // at most six digits: exact in %g
        for (int i = 0; i < 16; ++i)
            four.m[i] = static_cast<float>(digits(random)) * 1e-3f;
        file = std::fopen(name.c_str(), "w+");
        three.WriteToFile(file, indent);
        four.WriteToFile(file, indent);
        std::rewind(file);
        Matrix33f threeRead;
        Matrix34f fourRead;
        ASSERT_TRUE(threeRead.ReadFromFile(file)) << indent;
        ASSERT_TRUE(fourRead.ReadFromFile(file)) << indent;
        std::fclose(file);
        EXPECT_EQ(std::memcmp(threeRead.m, three.m, sizeof three.m), 0);
        for (int i = 0; i < 16; ++i) {
            char written[32];
            std::snprintf(written, sizeof written, "%g", static_cast<double>(four.m[i]));
            EXPECT_EQ(fourRead.m[i], std::strtof(written, nullptr)) << "as %g wrote it";
        }
    }
}

// Written in text mode on Windows, read anywhere.
TEST(Matrices, FilesWithWindowsLineEndsAreRead)
{
    VexirTest::ScratchDirectory scratch;
    scratch.Write("crlf.txt", "\t<Matrix33f>\r\n\t\t1 2 3\r\n\t\t4 5 6\r\n\t\t7 8 9\r\n\t</Matrix33f>\r\n"
                              "<Matrix34f>\r\n1 0 0 0\r\n0 1 0 0\r\n0 0 1 0\r\n0 0 0 1\r\n</Matrix34f>");
    std::FILE* file = std::fopen(scratch.Path("crlf.txt").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    Matrix33f three;
    Matrix34f four;
    four.m[15] = 7;
    EXPECT_TRUE(three.ReadFromFile(file));
    EXPECT_TRUE(four.ReadFromFile(file));
    std::fclose(file);
    EXPECT_EQ(three.m[5], 6.0f);
    EXPECT_EQ(four.m[15], 1.0f);
}

TEST(Matrices, ReadingAnythingElseLeavesTheMatrix)
{
    VexirTest::ScratchDirectory scratch;
    const char* bad[] = {"", "<Matrix34f>\n", "<Matrix33f>\n1 2 3\n4 5 6\n</Matrix33f>\n",
                         "<Matrix33f>\n1 2 3\n4 5 6\n7 8 x\n</Matrix33f>\n",
                         "<Matrix33f>\n1 2 3\n4 5 6\n7 8 9 10\n</Matrix33f>\n",
                         "<Matrix33f>\n1 2 3\n4 5 6\n7 8 9\n"};
    for (const char* text : bad) {
        scratch.Write("bad.txt", text);
        std::FILE* file = std::fopen(scratch.Path("bad.txt").c_str(), "r");
        Matrix33f m(5, 5, 5, 5, 5, 5, 5, 5, 5);
        EXPECT_FALSE(m.ReadFromFile(file)) << text;
        EXPECT_EQ(m.m[8], 5.0f);
        std::fclose(file);
    }
    Matrix33f m;
    EXPECT_FALSE(m.ReadFromFile(nullptr));
}

}  // namespace

namespace {

// Folds the bit patterns of everything computed without trigonometry into one
// number. Both platforms must produce the same one: single precision, fixed
// order of operations, no fused multiply-adds.
TEST(Matrices, ResultsWithoutTrigonometryAreTheSameBitsOnEveryPlatform)
{
    std::uint32_t state = 12345, hash = 2166136261u;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f - 0.5f;
    };
    const auto fold = [&hash](const float* values, int count) {
        for (int i = 0; i < count; ++i) {
            std::uint32_t bits;
            std::memcpy(&bits, &values[i], sizeof bits);
            hash = (hash ^ bits) * 16777619u;
        }
    };
    for (int round = 0; round < 1000; ++round) {
        Matrix44f m;
        for (float& e : m.m)
            e = next();
        Matrix44f inverse;
        m.Inverse(inverse);
        const Matrix44f product = m * inverse;
        Matrix34f affine(m), affineInverse;
        affine.Inverse(affineInverse);
        Matrix33f linear(m), linearInverse;
        linear.Inverse(linearInverse);
        Matrix33f frame;
        frame.AlignToVector(Vector3f(next(), next(), next()));
        const Vector3f unit = Vector3f(next(), next(), next()).Normalized();
        fold(inverse.m, 16);
        fold(product.m, 16);
        fold(affineInverse.m, 16);
        fold(linearInverse.m, 9);
        fold(frame.m, 9);
        fold(&unit.x, 3);
    }
    EXPECT_EQ(hash, 2051031237u) << "the Linux and the Windows build agreed on this value";
}

}  // namespace

namespace {

// The plain kernels are what the four-wide ones must equal, bit for bit; a
// build without SSE2 uses them.
TEST(Matrices, PlainAndFourWideKernelsGiveTheSameBits)
{
    using namespace Vexir::MatrixKernels;
    if (!kFourWide)
        GTEST_SKIP() << "this build has no four-wide kernels to compare";
    std::mt19937 random(44);
    std::uniform_real_distribution<float> value(-10, 10);
    for (int round = 0; round < 2000; ++round) {
        alignas(16) float left[16], right[16];
        for (int i = 0; i < 16; ++i)
            left[i] = value(random), right[i] = value(random);
        if (round % 10 == 0)
            left[round % 16] = 0;  // zeros on the way force pivoting
        float plain[4][8], wide[4][8];
        const bool invertedPlain = GaussJordan<false>(left, plain);
        ASSERT_EQ(GaussJordan<kFourWide>(left, wide), invertedPlain);
        if (invertedPlain) {
            ASSERT_EQ(std::memcmp(plain, wide, sizeof plain), 0) << "inverse, round " << round;
        }
        alignas(16) float productPlain[16], productWide[16];
        Multiply4<false>(left, right, productPlain);
        Multiply4<kFourWide>(left, right, productWide);
        ASSERT_EQ(std::memcmp(productPlain, productWide, sizeof productPlain), 0) << "product, round " << round;
    }
}

}  // namespace
