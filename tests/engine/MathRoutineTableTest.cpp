#include "engine/MathRoutineTable.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <random>

#include "tests/support/MatrixChecks.h"

namespace {

struct NamedForms {
    const char* name;
    MathRoutineTable routines;
};

const std::array<NamedForms, 2> kBothForms = {{
    {"x87", {&TransformPoint, &TransformVector, &CrossProduct, &NormalizeVector, &MultiplyMatrix}},
    {"3DNow!",
     {&TransformPoint3dNowTable, &TransformVector3dNowTable, &CrossProduct3dNow, &NormalizeVector3dNowTable,
      &MultiplyMatrix3dNow}},
}};

// Puts the x87 forms back however a test ends, so no other test inherits a
// switched table.
class RestoreX87OnExit {
public:
    RestoreX87OnExit() = default;
    ~RestoreX87OnExit() { MathRoutineTable::InstallX87(); }
    RestoreX87OnExit(const RestoreX87OnExit&) = delete;
    RestoreX87OnExit& operator=(const RestoreX87OnExit&) = delete;
};

// Rows (1,2,3), (4,5,6), (7,8,9), translation (10,11,12): asymmetric, so a
// column-vector mix-up shows.
const Matrix34 kCounting = MakeMatrix({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});

void ExpectVector(const Vector3& actual, float x, float y, float z) {
    EXPECT_FLOAT_EQ(actual.x, x);
    EXPECT_FLOAT_EQ(actual.y, y);
    EXPECT_FLOAT_EQ(actual.z, z);
}

bool SameRoutines(const MathRoutineTable& a, const MathRoutineTable& b) {
    return a.transformPoint == b.transformPoint && a.transformVector == b.transformVector &&
           a.crossProduct == b.crossProduct && a.normalizeVector == b.normalizeVector &&
           a.multiplyMatrix == b.multiplyMatrix;
}

}  // namespace

TEST(MathRoutineTable, HoldsX87FormsFromTheStart) {
    EXPECT_TRUE(SameRoutines(g_mathRoutineTable, kBothForms[0].routines));
}

TEST(MathRoutineTable, Install3dNowSwapsEveryEntryAndInstallX87SwapsBack) {
    RestoreX87OnExit restore;
    MathRoutineTable::Install3dNow();
    EXPECT_TRUE(SameRoutines(g_mathRoutineTable, kBothForms[1].routines));
    MathRoutineTable::InstallX87();
    EXPECT_TRUE(SameRoutines(g_mathRoutineTable, kBothForms[0].routines));
}

TEST(MathRoutineTable, CallsThroughTheTableReachTheInstalledForm) {
    RestoreX87OnExit restore;
    MathRoutineTable::Install3dNow();
    Vector3 shortVector(0.005f, 0.0f, 0.0f);
    g_mathRoutineTable.normalizeVector(&shortVector);
    ExpectVector(shortVector, 0.005f, 0.0f, 0.0f);
    MathRoutineTable::InstallX87();
    g_mathRoutineTable.normalizeVector(&shortVector);
    ExpectVector(shortVector, 1.0f, 0.0f, 0.0f);
}

TEST(MathRoutineTable, TransformPointUsesRowVectorsAndTranslation) {
    for (const NamedForms& forms : kBothForms) {
        SCOPED_TRACE(forms.name);
        const Vector3 point(1.0f, -1.0f, 2.0f);
        Vector3 out(0.0f, 0.0f, 0.0f);
        // (1,2,3) - (4,5,6) + 2 (7,8,9) + (10,11,12)
        EXPECT_EQ(forms.routines.transformPoint(&point, &kCounting, &out), &out);
        ExpectVector(out, 21.0f, 24.0f, 27.0f);
    }
}

TEST(MathRoutineTable, TransformVectorIgnoresTranslation) {
    for (const NamedForms& forms : kBothForms) {
        SCOPED_TRACE(forms.name);
        const Vector3 vector(1.0f, -1.0f, 2.0f);
        Vector3 out(0.0f, 0.0f, 0.0f);
        EXPECT_EQ(forms.routines.transformVector(&vector, &kCounting, &out), &out);
        ExpectVector(out, 11.0f, 13.0f, 15.0f);
    }
}

TEST(MathRoutineTable, CrossProductIsRightHanded) {
    for (const NamedForms& forms : kBothForms) {
        SCOPED_TRACE(forms.name);
        const Vector3 x(1.0f, 0.0f, 0.0f);
        const Vector3 y(0.0f, 1.0f, 0.0f);
        const Vector3 z(0.0f, 0.0f, 1.0f);
        Vector3 out(9.0f, 9.0f, 9.0f);
        EXPECT_EQ(forms.routines.crossProduct(&x, &y, &out), &out);
        ExpectVector(out, 0.0f, 0.0f, 1.0f);
        forms.routines.crossProduct(&y, &z, &out);
        ExpectVector(out, 1.0f, 0.0f, 0.0f);
        forms.routines.crossProduct(&z, &x, &out);
        ExpectVector(out, 0.0f, 1.0f, 0.0f);

        const Vector3 a(1.0f, 2.0f, 3.0f);
        const Vector3 b(4.0f, 5.0f, 6.0f);
        forms.routines.crossProduct(&a, &b, &out);
        ExpectVector(out, -3.0f, 6.0f, -3.0f);
    }
}

// The x87 form keeps the exact products; the 3DNow! form rounds each product
// to a float before subtracting. (1 + 2^-12)^2 - 1 = 2^-11 + 2^-24, whose last
// bit a float product loses.
TEST(MathRoutineTable, X87CrossProductKeepsWiderIntermediates) {
    const float nearOne = 1.0f + std::ldexp(1.0f, -12);
    const Vector3 a(0.0f, nearOne, 1.0f);
    const Vector3 b(0.0f, 1.0f, nearOne);
    Vector3 out(0.0f, 0.0f, 0.0f);
    CrossProduct(&a, &b, &out);
    EXPECT_EQ(out.x, std::ldexp(1.0f, -11) + std::ldexp(1.0f, -24));
    CrossProduct3dNow(&a, &b, &out);
    EXPECT_EQ(out.x, std::ldexp(1.0f, -11));
}

TEST(MathRoutineTable, NormalizeGivesUnitVector) {
    for (const NamedForms& forms : kBothForms) {
        SCOPED_TRACE(forms.name);
        Vector3 v(3.0f, 0.0f, -4.0f);
        EXPECT_EQ(forms.routines.normalizeVector(&v), &v);
        EXPECT_NEAR(v.x, 0.6f, 1e-6f);
        EXPECT_EQ(v.y, 0.0f);
        EXPECT_NEAR(v.z, -0.8f, 1e-6f);
    }
    Vector3 exact(3.0f, 0.0f, -4.0f);
    NormalizeVector(&exact);
    ExpectVector(exact, 0.6f, 0.0f, -0.8f);
}

// x87 tests the length against 0.0001, the 3DNow! form the squared length.
TEST(MathRoutineTable, ShortVectorNormalisedByX87AndKeptBy3dNow) {
    Vector3 v(0.005f, 0.0f, 0.0f);
    NormalizeVector(&v);
    ExpectVector(v, 1.0f, 0.0f, 0.0f);

    Vector3 w(0.005f, 0.0f, 0.0f);  // squared length 0.000025
    NormalizeVector3dNowTable(&w);
    ExpectVector(w, 0.005f, 0.0f, 0.0f);
}

TEST(MathRoutineTable, NormalizeThresholds) {
    Vector3 belowLength(0.00009f, 0.0f, 0.0f);
    NormalizeVector(&belowLength);
    EXPECT_EQ(belowLength.x, 0.00009f);
    Vector3 aboveLength(0.0f, 0.00011f, 0.0f);
    NormalizeVector(&aboveLength);
    EXPECT_FLOAT_EQ(aboveLength.y, 1.0f);

    Vector3 belowSquare(0.0f, 0.0f, -0.0099f);
    NormalizeVector3dNowTable(&belowSquare);
    EXPECT_EQ(belowSquare.z, -0.0099f);
    Vector3 aboveSquare(0.0f, 0.0f, -0.0101f);
    NormalizeVector3dNowTable(&aboveSquare);
    EXPECT_NEAR(aboveSquare.z, -1.0f, 1e-6f);

    for (const NamedForms& forms : kBothForms) {
        SCOPED_TRACE(forms.name);
        Vector3 zero(0.0f, 0.0f, 0.0f);
        forms.routines.normalizeVector(&zero);
        ExpectVector(zero, 0.0f, 0.0f, 0.0f);
    }
}

TEST(MathRoutineTable, X87NormalizeSurvivesSquaresBeyondFloatRange) {
    Vector3 v(1e30f, -1e30f, 0.0f);
    NormalizeVector(&v);
    ExpectVector(v, 0.70710678f, -0.70710678f, 0.0f);
}

// The 12-bit estimate alone would be off by up to 2.4e-4; one refinement
// step must bring it to within a few float rounding steps.
TEST(MathRoutineTable, ThreeDNowNormalizeIsAccurateAfterOneRefinement) {
    const std::array<Vector3, 8> vectors = {{
        {1.0f, 2.0f, 3.0f},
        {-0.3f, 0.01f, 0.7f},
        {12345.0f, -678.0f, 9.5f},
        {0.02f, 0.0f, 0.0f},
        {1e6f, 1e6f, -1e6f},
        {0.577f, 0.577f, 0.577f},
        {-7.0f, 0.0f, 24.0f},
        {0.0f, 1.0f, 0.0f},
    }};
    for (const Vector3& original : vectors) {
        Vector3 fast = original;
        NormalizeVector3dNowTable(&fast);
        Vector3 exact = original;
        NormalizeVector(&exact);
        const double length =
            std::sqrt(double{fast.x} * fast.x + double{fast.y} * fast.y + double{fast.z} * fast.z);
        EXPECT_NEAR(length, 1.0, 1e-6) << original.x << ", " << original.y << ", " << original.z;
        EXPECT_NEAR(fast.x, exact.x, 1e-6f);
        EXPECT_NEAR(fast.y, exact.y, 1e-6f);
        EXPECT_NEAR(fast.z, exact.z, 1e-6f);
    }
}

TEST(MathRoutineTable, MultiplyMatrixAppliesAFirstThenB) {
    // a: quarter turn about z, then move by (1, 0, 0); b: scale by 2, then
    // move by (0, 0, 5).
    const Matrix34 a = MakeMatrix({0, 1, 0, -1, 0, 0, 0, 0, 1, 1, 0, 0});
    const Matrix34 b = MakeMatrix({2, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 5});
    const Matrix34 expected = MakeMatrix({0, 2, 0, -2, 0, 0, 0, 0, 2, 2, 0, 5});
    for (const NamedForms& forms : kBothForms) {
        SCOPED_TRACE(forms.name);
        Matrix34 product;
        EXPECT_EQ(forms.routines.multiplyMatrix(&a, &b, &product), &product);
        ExpectMatrixNear(product, expected, 0.0f);

        // (1, 0, 0) goes to (1, 1, 0) by a, then to (2, 2, 5) by b; b first
        // would give (1, 2, 5).
        const Vector3 point(1.0f, 0.0f, 0.0f);
        Vector3 out(0.0f, 0.0f, 0.0f);
        forms.routines.transformPoint(&point, &product, &out);
        ExpectVector(out, 2.0f, 2.0f, 5.0f);
    }
}

TEST(MathRoutineTable, MultiplyMatrixAgreesWithTransformingTwice) {
    const Matrix34 a = MakeMatrix({0.5f, -1.25f, 2, 3, 0.75f, -1, -2, 4, 1.5f, 7, -3, 0.25f});
    const Matrix34 b = kCounting;
    const Vector3 point(-1.5f, 2.0f, 0.5f);
    for (const NamedForms& forms : kBothForms) {
        SCOPED_TRACE(forms.name);
        Matrix34 product;
        forms.routines.multiplyMatrix(&a, &b, &product);
        Vector3 once(0.0f, 0.0f, 0.0f);
        forms.routines.transformPoint(&point, &product, &once);
        Vector3 twice(0.0f, 0.0f, 0.0f);
        forms.routines.transformPoint(&point, &a, &twice);
        forms.routines.transformPoint(&twice, &b, &twice);
        ExpectVector(once, twice.x, twice.y, twice.z);
    }
}

TEST(MathRoutineTable, OutputMayAliasAnInput) {
    const Matrix34 a = MakeMatrix({0, 1, 0, -1, 0, 0, 0, 0, 1, 1, 0, 0});
    const Matrix34 b = MakeMatrix({2, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 5});
    for (const NamedForms& forms : kBothForms) {
        SCOPED_TRACE(forms.name);
        const auto& r = forms.routines;

        Vector3 v(1.0f, -1.0f, 2.0f);
        EXPECT_EQ(r.transformPoint(&v, &kCounting, &v), &v);
        ExpectVector(v, 21.0f, 24.0f, 27.0f);

        v = Vector3(1.0f, -1.0f, 2.0f);
        EXPECT_EQ(r.transformVector(&v, &kCounting, &v), &v);
        ExpectVector(v, 11.0f, 13.0f, 15.0f);

        Vector3 first(1.0f, 2.0f, 3.0f);
        const Vector3 second(4.0f, 5.0f, 6.0f);
        r.crossProduct(&first, &second, &first);
        ExpectVector(first, -3.0f, 6.0f, -3.0f);
        const Vector3 left(1.0f, 2.0f, 3.0f);
        Vector3 right(4.0f, 5.0f, 6.0f);
        r.crossProduct(&left, &right, &right);
        ExpectVector(right, -3.0f, 6.0f, -3.0f);
        Vector3 self(1.0f, 2.0f, 3.0f);
        r.crossProduct(&self, &self, &self);
        ExpectVector(self, 0.0f, 0.0f, 0.0f);

        const Matrix34 expected = MakeMatrix({0, 2, 0, -2, 0, 0, 0, 0, 2, 2, 0, 5});
        Matrix34 intoA = a;
        r.multiplyMatrix(&intoA, &b, &intoA);
        ExpectMatrixNear(intoA, expected, 0.0f);
        Matrix34 intoB = b;
        r.multiplyMatrix(&a, &intoB, &intoB);
        ExpectMatrixNear(intoB, expected, 0.0f);

        // Squaring in place: a quarter turn twice is a half turn, and the
        // translation (1, 0, 0) turns to (0, 1, 0) before (1, 0, 0) is added.
        Matrix34 square = a;
        r.multiplyMatrix(&square, &square, &square);
        ExpectMatrixNear(square, MakeMatrix({-1, 0, 0, 0, -1, 0, 0, 0, 1, 1, 1, 0}), 0.0f);
    }
}

namespace {

Vector3 RandomVector(std::mt19937& random, float range) {
    std::uniform_real_distribution<float> coordinate(-range, range);
    const float x = coordinate(random);
    const float y = coordinate(random);
    const float z = coordinate(random);
    return Vector3(x, y, z);
}

Matrix34 RandomMatrix(std::mt19937& random) {
    std::uniform_real_distribution<float> entry(-10.0f, 10.0f);
    Matrix34 m;
    for (auto& row : m.rows) {
        for (float& element : row) {
            element = entry(random);
        }
    }
    return m;
}

// Single-precision rounding of every step, against one rounding at the end:
// the two forms may part by a few float steps of the largest term summed.
void ExpectClose(const Vector3& a, const Vector3& b, float tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

bool SameBytes(const Vector3& a, const Vector3& b) {
    return std::memcmp(&a, &b, sizeof(Vector3)) == 0;
}

}  // namespace

TEST(MathRoutineTable, BothFormsAgreeOnRandomInputs) {
    const MathRoutineTable& x87 = kBothForms[0].routines;
    const MathRoutineTable& fast = kBothForms[1].routines;
    std::mt19937 random(19990401);
    for (int round = 0; round < 500; ++round) {
        const Matrix34 a = RandomMatrix(random);
        const Matrix34 b = RandomMatrix(random);
        const Vector3 u = RandomVector(random, 100.0f);
        const Vector3 v = RandomVector(random, 100.0f);
        // Sums of terms up to 10 x 100 (and 100 x 100 for the cross product).
        Vector3 slow(0.0f, 0.0f, 0.0f);
        Vector3 quick(0.0f, 0.0f, 0.0f);
        x87.transformPoint(&u, &a, &slow);
        fast.transformPoint(&u, &a, &quick);
        ExpectClose(slow, quick, 1e-3f);
        x87.transformVector(&u, &a, &slow);
        fast.transformVector(&u, &a, &quick);
        ExpectClose(slow, quick, 1e-3f);
        x87.crossProduct(&u, &v, &slow);
        fast.crossProduct(&u, &v, &quick);
        ExpectClose(slow, quick, 2e-3f);

        Matrix34 slowProduct;
        Matrix34 quickProduct;
        x87.multiplyMatrix(&a, &b, &slowProduct);
        fast.multiplyMatrix(&a, &b, &quickProduct);
        ExpectMatrixNear(slowProduct, quickProduct, 1e-4f);

        // Only vectors beyond both cut-offs: between a length of 0.0001 and
        // a squared length of 0.0001 (e.g. 0.005, 0, 0) the forms part on
        // purpose.
        Vector3 slowUnit = u;
        Vector3 quickUnit = u;
        x87.normalizeVector(&slowUnit);
        fast.normalizeVector(&quickUnit);
        ExpectClose(slowUnit, quickUnit, 1e-6f);

        if (HasFailure()) {
            FAIL() << "round " << round;
        }
    }
}

TEST(MathRoutineTable, DirectRoutinesMatchTheTable3dNowForms) {
    std::mt19937 random(42);
    for (int round = 0; round < 50; ++round) {
        const Matrix34 m = RandomMatrix(random);
        const Vector3 v = RandomVector(random, 100.0f);
        Vector3 direct(0.0f, 0.0f, 0.0f);
        Vector3 table(0.0f, 0.0f, 0.0f);

        EXPECT_EQ(TransformPoint3dNow(&v, &m, &direct), &direct);
        TransformPoint3dNowTable(&v, &m, &table);
        EXPECT_TRUE(SameBytes(direct, table));

        EXPECT_EQ(RotateVector3dNow(&v, &m, &direct), &direct);
        TransformVector3dNowTable(&v, &m, &table);
        EXPECT_TRUE(SameBytes(direct, table));

        direct = v;
        table = v;
        EXPECT_EQ(NormalizeVector3dNow(&direct), &direct);
        NormalizeVector3dNowTable(&table);
        EXPECT_TRUE(SameBytes(direct, table));
    }
    Vector3 shortVector(0.005f, 0.0f, 0.0f);
    NormalizeVector3dNow(&shortVector);
    ExpectVector(shortVector, 0.005f, 0.0f, 0.0f);

    // In place, as the draw uses them.
    Vector3 inPlace(1.0f, -1.0f, 2.0f);
    TransformPoint3dNow(&inPlace, &kCounting, &inPlace);
    ExpectVector(inPlace, 21.0f, 24.0f, 27.0f);
    inPlace = Vector3(1.0f, -1.0f, 2.0f);
    RotateVector3dNow(&inPlace, &kCounting, &inPlace);
    ExpectVector(inPlace, 11.0f, 13.0f, 15.0f);
    ExitMmxState();
}
