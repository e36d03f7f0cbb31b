#include "engine/MatrixMath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "engine/MathRoutineTable.h"
#include "tests/support/MatrixChecks.h"

namespace {

bool SameBytes(const Matrix34& a, const Matrix34& b) {
    return std::memcmp(&a, &b, sizeof(Matrix34)) == 0;
}

Matrix34 Identity() {
    Matrix34 m;
    m.SetIdentity();
    return m;
}

// Random entries in [-1, 1] on top of 3 x identity: diagonally dominant, so
// far from singular, yet with every element non-zero and no symmetry that
// would hide a transposed adjugate.
Matrix34 RandomWellConditioned(std::mt19937& random) {
    std::uniform_real_distribution<float> entry(-1.0f, 1.0f);
    std::uniform_real_distribution<float> translation(-50.0f, 50.0f);
    Matrix34 m;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            m.rows[i][j] = entry(random) + (i == j ? 3.0f : 0.0f);
        }
    }
    for (float& t : m.rows[Matrix34::kTranslationRow]) {
        t = translation(random);
    }
    return m;
}

const Matrix34 kFilled = MakeMatrix({1, 2, 3, 4, 5, 6, 7, 8, 10, -3, 4, 9});

}  // namespace

TEST(MatrixMath, DeterminantOfLinearPartOnly) {
    EXPECT_FLOAT_EQ(MatrixDeterminant(&kFilled), -3.0f);
    Matrix34 moved = kFilled;
    moved.rows[Matrix34::kTranslationRow][0] = 1000.0f;
    EXPECT_FLOAT_EQ(MatrixDeterminant(&moved), -3.0f);

    const Matrix34 scale = MakeMatrix({2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0});
    EXPECT_FLOAT_EQ(MatrixDeterminant(&scale), 24.0f);
    // A mirror (two axes swapped) turns the sign.
    const Matrix34 swapped = MakeMatrix({0, 3, 0, 2, 0, 0, 0, 0, 4, 0, 0, 0});
    EXPECT_FLOAT_EQ(MatrixDeterminant(&swapped), -24.0f);
}

TEST(MatrixMath, SingularMatrixIsRefusedAndOutputLeftAlone) {
    const Matrix34 zeroRow = MakeMatrix({1, 2, 3, 0, 0, 0, 7, 8, 9, 1, 1, 1});
    EXPECT_EQ(MatrixDeterminant(&zeroRow), 0.0f);
    const Matrix34 dependentRows = MakeMatrix({1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0});
    EXPECT_EQ(MatrixDeterminant(&dependentRows), 0.0f);

    for (const Matrix34* singular : {&zeroRow, &dependentRows}) {
        const Matrix34 before = MakeMatrix({-1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11, -12});
        Matrix34 out = before;
        EXPECT_EQ(InvertMatrix(singular, &out), kMatrixSingular);
        EXPECT_TRUE(SameBytes(out, before));
    }
    Matrix34 inPlace = zeroRow;
    EXPECT_EQ(InvertMatrix(&inPlace, &inPlace), kMatrixSingular);
    EXPECT_TRUE(SameBytes(inPlace, zeroRow));
}

// Only an exact zero is singular: a determinant of 1e-60 is below the float
// range but not zero in the wide intermediates.
TEST(MatrixMath, InvertsMatrixWhoseDeterminantUnderflowsAFloat) {
    const Matrix34 tiny = MakeMatrix({1e-20f, 0, 0, 0, 1e-20f, 0, 0, 0, 1e-20f, 0, 0, 0});
    EXPECT_EQ(MatrixDeterminant(&tiny), 0.0f);
    Matrix34 out;
    ASSERT_EQ(InvertMatrix(&tiny, &out), 0);
    EXPECT_FLOAT_EQ(out.rows[0][0], 1e20f);
    EXPECT_FLOAT_EQ(out.rows[1][1], 1e20f);
    EXPECT_FLOAT_EQ(out.rows[2][2], 1e20f);
}

TEST(MatrixMath, InverseUndoesRotationThenTranslation) {
    // Quarter turn about z, then move by (5, 6, 7): (1, 0, 0) goes to (5, 7, 7).
    const Matrix34 m = MakeMatrix({0, 1, 0, -1, 0, 0, 0, 0, 1, 5, 6, 7});
    Matrix34 inverse;
    ASSERT_EQ(InvertMatrix(&m, &inverse), 0);
    // Back by (-5, -6, -7), then a quarter turn the other way.
    ExpectMatrixNear(inverse, MakeMatrix({0, -1, 0, 1, 0, 0, 0, 0, 1, -6, 5, -7}), 0.0f);
}

TEST(MatrixMath, RandomMatricesTimesTheirInverseGiveIdentity) {
    std::mt19937 random(20240611);
    std::uniform_real_distribution<float> coordinate(-100.0f, 100.0f);
    for (int round = 0; round < 200; ++round) {
        const Matrix34 m = RandomWellConditioned(random);
        Matrix34 inverse;
        ASSERT_EQ(InvertMatrix(&m, &inverse), 0);

        Matrix34 product;
        MultiplyMatrix(&m, &inverse, &product);
        ExpectMatrixNear(product, Identity(), 1e-4f);
        MultiplyMatrix(&inverse, &m, &product);
        ExpectMatrixNear(product, Identity(), 1e-4f);

        const Vector3 point(coordinate(random), coordinate(random), coordinate(random));
        Vector3 there(0.0f, 0.0f, 0.0f);
        Vector3 back(0.0f, 0.0f, 0.0f);
        TransformPoint(&point, &m, &there);
        TransformPoint(&there, &inverse, &back);
        EXPECT_NEAR(back.x, point.x, 1e-3f);
        EXPECT_NEAR(back.y, point.y, 1e-3f);
        EXPECT_NEAR(back.z, point.z, 1e-3f);

        if (HasFailure()) {
            FAIL() << "round " << round;
        }
    }
}

TEST(MatrixMath, InvertMayWriteOverItsInput) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        const Matrix34 m = RandomWellConditioned(random);
        Matrix34 separate;
        ASSERT_EQ(InvertMatrix(&m, &separate), 0);
        Matrix34 inPlace = m;
        ASSERT_EQ(InvertMatrix(&inPlace, &inPlace), 0);
        EXPECT_TRUE(SameBytes(inPlace, separate)) << "round " << round;
    }
}

TEST(MatrixMath, DotProductAndLength) {
    const Vector3 a(1.0f, 2.0f, 3.0f);
    const Vector3 b(4.0f, -5.0f, 6.0f);
    EXPECT_EQ(DotProduct(&a, &b), 12.0f);
    EXPECT_EQ(DotProduct(&b, &a), 12.0f);

    const Vector3 v(3.0f, -4.0f, 12.0f);
    EXPECT_EQ(VectorLength(&v), 13.0f);
    const Vector3 zero(0.0f, 0.0f, 0.0f);
    EXPECT_EQ(VectorLength(&zero), 0.0f);
    // The squares exceed the float range; the length does not.
    const Vector3 huge(3e30f, 4e30f, 0.0f);
    EXPECT_FLOAT_EQ(VectorLength(&huge), 5e30f);
}

TEST(MatrixMath, GetTranslationCopiesTheLastRow) {
    Vector3 position(0.0f, 0.0f, 0.0f);
    kFilled.GetTranslation(&position);
    EXPECT_EQ(position.x, -3.0f);
    EXPECT_EQ(position.y, 4.0f);
    EXPECT_EQ(position.z, 9.0f);
}
