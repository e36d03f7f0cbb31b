#include "scene/Transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "engine/MathRoutineTable.h"
#include "engine/MatrixMath.h"
#include "tests/support/MatrixChecks.h"

namespace {

constexpr float kExact = 1e-6f;
constexpr uint32_t kAll = Transform::kAllFlags;
constexpr uint32_t kInverseOnly = Transform::kUpdateInverse;

Vector3 Row(const Transform& t, int row) {
    return Vector3(t.matrix.rows[row][0], t.matrix.rows[row][1], t.matrix.rows[row][2]);
}

Vector3 Position(const Transform& t) {
    return Row(t, Matrix34::kTranslationRow);
}

float Dot(const Vector3& a, const Vector3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

float Length(const Vector3& v) {
    return std::sqrt(Dot(v, v));
}

void ExpectVectorNear(const Vector3& actual, const Vector3& expected, float tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectRows(const Transform& t, const Vector3& r0, const Vector3& r1, const Vector3& r2) {
    ExpectVectorNear(Row(t, 0), r0, kExact);
    ExpectVectorNear(Row(t, 1), r1, kExact);
    ExpectVectorNear(Row(t, 2), r2, kExact);
}

void ExpectInverseCurrent(const Transform& t, float tolerance) {
    Matrix34 expected;
    ASSERT_EQ(InvertMatrix(&t.matrix, &expected), 0);
    ExpectMatrixNear(t.inverse, expected, tolerance);
}

// Rows mutually orthogonal and each `length` long.
void ExpectOrthogonalRows(const Transform& t, float length, float tolerance) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(Length(Row(t, i)), length, tolerance) << "row " << i;
        for (int j = i + 1; j < 3; ++j) {
            EXPECT_NEAR(Dot(Row(t, i), Row(t, j)), 0.0f, tolerance) << "rows " << i << " and " << j;
        }
    }
    // Right-handed: row 0 x row 1 points along row 2.
    Vector3 cross;
    const Vector3 r0 = Row(t, 0), r1 = Row(t, 1);
    CrossProduct(&r0, &r1, &cross);
    EXPECT_GT(Dot(cross, Row(t, 2)), 0.0f);
}

Vector3 Carry(const Vector3& point, const Matrix34& m) {
    Vector3 out;
    TransformPoint(&point, &m, &out);
    return out;
}

// Any rotation, position and moderate scale, with the inverse current.
Transform RandomTransform(std::mt19937& random) {
    std::uniform_real_distribution<float> angle(-180.0f, 180.0f);
    std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f);
    Transform t;
    t.RotateX(angle(random), kAll);
    t.RotateY(angle(random), kAll);
    t.RotateZ(angle(random), kAll);
    t.SetPositionXyz(coordinate(random), coordinate(random), coordinate(random), kAll);
    return t;
}

TEST(Transform, StartsAsIdentity) {
    const Transform t;
    ExpectRows(t, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    ExpectVectorNear(Position(t), {0, 0, 0}, 0.0f);
    ExpectMatrixNear(t.inverse, t.matrix, 0.0f);
    ExpectVectorNear(t.forward, {0, 0, 1}, 0.0f);
    EXPECT_EQ(t.scale, 1.0f);
    EXPECT_EQ(t.changeCount, 0u);
}

TEST(Transform, SetIdentityLeavesTheCarriedForwardWordAlone) {
    std::mt19937 random(7);
    Transform t = RandomTransform(random);
    t.forwardW = 3.5f;
    t.Scale(2.0f, kAll);
    t.SetIdentity();
    EXPECT_EQ(t.forwardW, 3.5f);
    EXPECT_EQ(t.scale, 1.0f);
    ExpectRows(t, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
}

// Row vectors: a turn about the parent's axis rewrites each row, so the
// rows of the identity become the images of the axes.
TEST(Transform, RotateXByNinetyTurnsUpIntoForward) {
    Transform t;
    t.RotateX(90.0f, kAll);
    ExpectRows(t, {1, 0, 0}, {0, 0, 1}, {0, -1, 0});
    ExpectVectorNear(t.forward, {0, -1, 0}, kExact);
    ExpectInverseCurrent(t, kExact);
}

TEST(Transform, RotateYByNinetyTurnsForwardIntoRight) {
    Transform t;
    t.RotateY(90.0f, kAll);
    ExpectRows(t, {0, 0, -1}, {0, 1, 0}, {1, 0, 0});
    ExpectVectorNear(t.forward, {1, 0, 0}, kExact);
    ExpectInverseCurrent(t, kExact);
}

TEST(Transform, RotateZByNinetyTurnsRightIntoUp) {
    Transform t;
    t.RotateZ(90.0f, kAll);
    ExpectRows(t, {0, 1, 0}, {-1, 0, 0}, {0, 0, 1});
    ExpectVectorNear(t.forward, {0, 0, 1}, kExact);
    ExpectInverseCurrent(t, kExact);
}

TEST(Transform, RotationKeepsThePosition) {
    Transform t;
    t.SetPositionXyz(3.0f, -4.0f, 5.0f, kAll);
    t.RotateY(37.0f, kAll);
    t.RotateAboutLocalX(12.0f, kAll);
    ExpectVectorNear(Position(t), {3.0f, -4.0f, 5.0f}, 0.0f);
    ExpectInverseCurrent(t, 1e-5f);
}

TEST(Transform, WritersLeaveTheInverseAloneWithoutBitZero) {
    Transform t;
    const Matrix34 before = t.inverse;
    t.TranslateXyz(1.0f, 2.0f, 3.0f, 0);
    t.RotateX(30.0f, Transform::kOrthonormalize);
    t.RotateAboutLocalY(30.0f, 0);
    t.Scale(3.0f, 0);
    t.SetPositionXyz(4.0f, 4.0f, 4.0f, 0);
    ExpectMatrixNear(t.inverse, before, 0.0f);
}

// The incremental upkeep must agree with a full inversion after any mix of
// the writers, with and without a scale.
TEST(Transform, IncrementalInverseMatchesFullInversionAfterRandomMoves) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> pick(0, 10);
    std::uniform_real_distribution<float> angle(-90.0f, 90.0f);
    std::uniform_real_distribution<float> offset(-10.0f, 10.0f);
    std::uniform_real_distribution<float> factor(0.8f, 1.25f);

    Transform t;
    for (int step = 0; step < 2000; ++step) {
        const Vector3 v(offset(random), offset(random), offset(random));
        switch (pick(random)) {
            case 0: t.RotateX(angle(random), kAll); break;
            case 1: t.RotateY(angle(random), kAll); break;
            case 2: t.RotateZ(angle(random), kAll); break;
            case 3: t.Translate(&v, kAll); break;
            case 4: t.MoveLocal(&v, kAll); break;
            case 5:
                // Bounded so that the rows neither vanish nor explode.
                if (t.scale > 0.25f && t.scale < 4.0f) t.Scale(factor(random), kAll);
                break;
            case 6: t.RotateAboutLocalX(angle(random), kAll); break;
            case 7: t.RotateAboutLocalY(angle(random), kAll); break;
            case 8: t.RotateAboutForward(angle(random), kAll); break;
            case 9: t.SetPositionXyz(v.x, v.y, v.z, kAll); break;
            default: t.TranslateXyz(v.x, v.y, v.z, kAll); break;
        }
        // Keep the position in a range where float translation errors stay small.
        if (Length(Position(t)) > 200.0f) t.SetPositionXyz(0.0f, 0.0f, 0.0f, kAll);
        if (step % 97 == 0) ExpectInverseCurrent(t, 2e-3f);
    }
    ExpectInverseCurrent(t, 2e-3f);
    const Vector3 p(1.5f, -2.5f, 3.5f);
    ExpectVectorNear(Carry(Carry(p, t.matrix), t.inverse), p, 2e-3f);
}

TEST(Transform, TranslateCorrectsOnlyTheInverseTranslation) {
    std::mt19937 random(11);
    Transform t = RandomTransform(random);
    t.Scale(2.0f, kAll);
    const Matrix34 before = t.inverse;
    t.TranslateXyz(7.0f, -3.0f, 1.0f, kAll);
    for (int row = 0; row < 3; ++row) {
        for (int j = 0; j < 3; ++j) EXPECT_EQ(t.inverse.rows[row][j], before.rows[row][j]);
    }
    ExpectInverseCurrent(t, 1e-4f);
}

TEST(Transform, MoveLocalAlongForwardIsScaled) {
    Transform t;
    t.RotateY(90.0f, kAll);
    t.Scale(2.0f, kAll);
    t.SetPositionXyz(1.0f, 1.0f, 1.0f, kAll);
    t.MoveLocalXyz(0.0f, 0.0f, 10.0f, kAll);
    // Forward is +x after the turn; 10 units at scale 2 go 20.
    ExpectVectorNear(Position(t), {21.0f, 1.0f, 1.0f}, 1e-5f);
    ExpectInverseCurrent(t, 1e-5f);
}

TEST(Transform, MoveLocalUsesTheOwnAxes) {
    Transform t;
    t.RotateZ(90.0f, kAll);
    const Vector3 step(3.0f, 0.0f, 0.0f);
    t.MoveLocal(&step, kAll);
    // The own x axis points along the parent's y after the turn.
    ExpectVectorNear(Position(t), {0.0f, 3.0f, 0.0f}, 1e-5f);
}

TEST(Transform, ScaleByTwoHalvesTheInverseRows) {
    Transform t;
    t.SetPositionXyz(4.0f, 5.0f, 6.0f, kAll);
    t.Scale(2.0f, kAll);
    EXPECT_EQ(t.scale, 2.0f);
    for (int row = 0; row < 3; ++row) {
        EXPECT_FLOAT_EQ(Length(Row(t, row)), 2.0f);
        EXPECT_FLOAT_EQ(Length(Vector3(t.inverse.rows[row][0], t.inverse.rows[row][1], t.inverse.rows[row][2])),
                        0.5f);
    }
    ExpectVectorNear(Position(t), {4.0f, 5.0f, 6.0f}, 0.0f);
    ExpectVectorNear(t.forward, {0, 0, 1}, 0.0f);
    ExpectInverseCurrent(t, 1e-6f);
}

TEST(Transform, ScaleOfARotatedPlacedTransformKeepsTheInverse) {
    std::mt19937 random(3);
    Transform t = RandomTransform(random);
    t.Scale(0.3f, kAll);
    t.Scale(5.0f, kAll);
    EXPECT_FLOAT_EQ(t.scale, 1.5f);
    ExpectInverseCurrent(t, 1e-4f);
}

TEST(Transform, ScaleByZeroLeavesTheInverseUntouched) {
    std::mt19937 random(5);
    Transform t = RandomTransform(random);
    const Matrix34 before = t.inverse;
    t.Scale(0.0f, kAll);
    EXPECT_EQ(t.scale, 0.0f);
    ExpectRows(t, {0, 0, 0}, {0, 0, 0}, {0, 0, 0});
    ExpectMatrixNear(t.inverse, before, 0.0f);
}

TEST(Transform, SetPositionOnASingularMatrixKeepsTheOldInverse) {
    Transform t;
    t.SetPositionXyz(1.0f, 2.0f, 3.0f, kAll);
    const Matrix34 before = t.inverse;
    t.matrix.rows[1][0] = t.matrix.rows[1][1] = t.matrix.rows[1][2] = 0.0f;
    t.SetPositionXyz(9.0f, 9.0f, 9.0f, kAll);
    ExpectVectorNear(Position(t), {9, 9, 9}, 0.0f);
    ExpectMatrixNear(t.inverse, before, 0.0f);
}

TEST(Transform, SetForwardRebuildsRightFromTheCurrentUp) {
    Transform t;
    const Vector3 along(5.0f, 0.0f, 0.0f);
    t.SetForward(&along, kAll);
    ExpectVectorNear(t.forward, {1, 0, 0}, kExact);
    ExpectRows(t, {0, 0, -1}, {0, 1, 0}, {1, 0, 0});
    ExpectInverseCurrent(t, kExact);
}

TEST(Transform, SetForwardWithoutOrthonormalisingLeavesRowsUnscaled) {
    Transform t;
    t.Scale(2.0f, kAll);
    t.SetForwardXyz(0.0f, 0.0f, 3.0f, kInverseOnly);
    // Row 0 = row 1 (length 2) cross the unit forward; row 1 untouched.
    ExpectRows(t, {2, 0, 0}, {0, 2, 0}, {0, 0, 1});
    ExpectInverseCurrent(t, kExact);

    t.SetForwardXyz(0.0f, 0.0f, 3.0f, kAll);
    ExpectOrthogonalRows(t, 2.0f, 1e-6f);
}

TEST(Transform, SetForwardCopiesOnlyThreeWords) {
    Transform t;
    t.forwardW = 7.0f;
    const Vector3 along(0.0f, 1.0f, 1.0f);
    t.SetForward(&along, kAll);
    EXPECT_EQ(t.forwardW, 7.0f);
    ExpectVectorNear(t.forward, {0.0f, 0.70710678f, 0.70710678f}, kExact);
    ExpectOrthogonalRows(t, 1.0f, 1e-6f);
}

TEST(Transform, SetUpKeepsTheNewUpAndRebuildsRight) {
    Transform t;
    t.SetUpXyz(2.0f, 0.0f, 0.0f, kAll);
    ExpectRows(t, {0, -1, 0}, {1, 0, 0}, {0, 0, 1});
    ExpectInverseCurrent(t, kExact);
}

TEST(Transform, SetUpMakesForwardOrthogonalToUp) {
    Transform t;
    const Vector3 up(0.0f, 1.0f, 1.0f);
    t.SetUp(&up, kAll);
    ExpectOrthogonalRows(t, 1.0f, 1e-6f);
    ExpectVectorNear(Row(t, 1), {0.0f, 0.70710678f, 0.70710678f}, kExact);
    ExpectVectorNear(t.forward, {0.0f, -0.70710678f, 0.70710678f}, kExact);
    ExpectVectorNear(Row(t, 2), t.forward, kExact);
}

// A transform whose rows have drifted: row 1 leans towards row 0 and row 0
// towards forward, with a scale of 3.
Transform Skewed() {
    Transform t;
    t.Scale(3.0f, kAll);
    t.matrix.rows[1][0] = 0.6f;
    t.matrix.rows[0][2] = -0.9f;
    t.changeCount = 17;
    t.UpdateInverse();
    return t;
}

TEST(Transform, OrthonormalizeKeepsForward) {
    Transform t = Skewed();
    t.Orthonormalize(kAll);
    ExpectOrthogonalRows(t, 3.0f, 1e-5f);
    ExpectVectorNear(Row(t, 2), {0, 0, 3}, 1e-6f);
    // Up keeps its lean in the plane orthogonal to forward.
    EXPECT_GT(Row(t, 1).x, 0.0f);
    EXPECT_EQ(t.changeCount, 0u);
    ExpectInverseCurrent(t, 1e-6f);
}

TEST(Transform, OrthonormalizeBuildsUpFromRightWhenUpLiesAlongForward) {
    Transform t;
    t.matrix.rows[1][0] = 0.0f;
    t.matrix.rows[1][1] = 0.0f;
    t.matrix.rows[1][2] = 2.0f;
    t.Orthonormalize(kAll);
    ExpectRows(t, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
}

TEST(Transform, OrthonormalizeKeepUpKeepsTheDirectionOfRowOne) {
    Transform t = Skewed();
    const Vector3 up = Row(t, 1);
    t.OrthonormalizeKeepUp(kAll);
    ExpectOrthogonalRows(t, 3.0f, 1e-5f);
    const float l = Length(up);
    ExpectVectorNear(Row(t, 1), {3.0f * up.x / l, 3.0f * up.y / l, 3.0f * up.z / l}, 1e-5f);
    ExpectVectorNear(Row(t, 2), {3.0f * t.forward.x, 3.0f * t.forward.y, 3.0f * t.forward.z}, 1e-5f);
    EXPECT_NEAR(Length(t.forward), 1.0f, 1e-6f);
    EXPECT_EQ(t.changeCount, 0u);
}

TEST(Transform, OrthonormalizeKeepUpRebuildsForwardLyingAlongUp) {
    Transform t;
    t.forward = Vector3(0.0f, 1.0f, 0.0f);
    t.OrthonormalizeKeepUp(kAll);
    // Forward completes right (1, 0, 0) and up (0, 1, 0).
    ExpectVectorNear(t.forward, {0, 0, 1}, kExact);
    ExpectRows(t, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
}

TEST(Transform, SetUpWithoutOrthonormalisingStillKeepsTheInverse) {
    Transform t;
    t.SetPositionXyz(1.0f, 2.0f, 3.0f, kAll);
    t.SetUpXyz(0.0f, 3.0f, 4.0f, kInverseOnly);   // leaning towards forward, which stays
    ExpectVectorNear(Row(t, 1), {0, 0.6f, 0.8f}, kExact);
    ExpectVectorNear(Row(t, 2), {0, 0, 1}, kExact);
    ExpectInverseCurrent(t, 1e-5f);
}

TEST(Transform, OrthonormalizeKeepRightRebuildsForwardLyingAlongRight) {
    Transform t;
    t.forward = Vector3(1.0f, 0.0f, 0.0f);
    t.OrthonormalizeKeepRight(kAll);
    // Forward completes right (1, 0, 0) and up (0, 1, 0).
    ExpectVectorNear(t.forward, {0, 0, 1}, kExact);
    ExpectRows(t, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
}

TEST(Transform, OrthonormalizeKeepRightKeepsTheDirectionOfRowZero) {
    Transform t = Skewed();
    const Vector3 right = Row(t, 0);
    t.OrthonormalizeKeepRight(kAll);
    ExpectOrthogonalRows(t, 3.0f, 1e-5f);
    const float l = Length(right);
    ExpectVectorNear(Row(t, 0), {3.0f * right.x / l, 3.0f * right.y / l, 3.0f * right.z / l}, 1e-5f);
    EXPECT_EQ(t.changeCount, 0u);
    ExpectInverseCurrent(t, 1e-5f);
}

TEST(Transform, OrthonormalizeReadsOnlyTheInverseBit) {
    Transform t = Skewed();
    const Matrix34 before = t.inverse;
    t.Orthonormalize(Transform::kOrthonormalize);
    ExpectMatrixNear(t.inverse, before, 0.0f);
}

// The 4097th incremental rotation since the last re-orthonormalisation
// rebuilds the rows; the 4096th does not. The skew proves which one did.
TEST(Transform, RebuildsRowsOnThe4097thRotation) {
    Transform t = Skewed();
    t.changeCount = 0;
    for (uint32_t i = 1; i <= 4096; ++i) {
        t.RotateX(0.01f, kAll);
        ASSERT_EQ(t.changeCount, i);
    }
    EXPECT_GT(std::fabs(Dot(Row(t, 0), Row(t, 1))), 0.1f) << "re-orthonormalised too early";

    t.RotateY(0.01f, kAll);
    EXPECT_EQ(t.changeCount, 0u);
    ExpectOrthogonalRows(t, 3.0f, 1e-5f);
    ExpectInverseCurrent(t, 1e-5f);
}

TEST(Transform, ManySmallRotationsStayOrthonormal) {
    Transform t;
    for (int i = 0; i < 4097; ++i) {
        t.RotateX(0.37f, kAll);
        t.RotateAboutLocalY(0.21f, kAll);
    }
    // Two counted rotations per round: re-orthonormalised at 4097 and 8194.
    EXPECT_EQ(t.changeCount, 0u);
    ExpectOrthogonalRows(t, 1.0f, 1e-5f);
    ExpectInverseCurrent(t, 1e-5f);
}

TEST(Transform, CounterGrowsWithoutLimitWhenNotAskedToRebuild) {
    Transform t = Skewed();
    t.changeCount = 0;
    for (int i = 0; i < 5000; ++i) t.RotateZ(0.01f, kInverseOnly);
    EXPECT_EQ(t.changeCount, 5000u);
    EXPECT_GT(std::fabs(Dot(Row(t, 0), Row(t, 1))), 0.1f);
    ExpectInverseCurrent(t, 1e-4f);

    // The first rotation that allows it rebuilds at once.
    t.RotateAboutForward(0.01f, kAll);
    EXPECT_EQ(t.changeCount, 0u);
    ExpectOrthogonalRows(t, 3.0f, 1e-5f);
}

TEST(Transform, RotateAboutAxisSharesTheCounter) {
    Transform t;
    t.changeCount = 4096;
    t.matrix.rows[1][0] = 0.5f;
    const Vector3 axis(0.0f, 0.0f, 1.0f);
    t.RotateAboutAxis(&axis, 1.0f, kAll);
    EXPECT_EQ(t.changeCount, 0u);
    ExpectOrthogonalRows(t, 1.0f, 1e-6f);
}

// 120 degrees about the diagonal carries x to y, y to z and z to x.
TEST(Transform, RotateAboutDiagonalPermutesTheAxes) {
    Transform t;
    t.SetPositionXyz(1.0f, 2.0f, 3.0f, kAll);
    const float d = 0.57735027f;
    const Vector3 axis(d, d, d);
    t.RotateAboutAxis(&axis, 120.0f, kAll);
    ExpectRows(t, {0, 1, 0}, {0, 0, 1}, {1, 0, 0});
    ExpectVectorNear(t.forward, {1, 0, 0}, kExact);
    ExpectVectorNear(Position(t), {1, 2, 3}, 0.0f);
    EXPECT_EQ(t.changeCount, 1u);
    ExpectInverseCurrent(t, 1e-6f);
}

TEST(Transform, RotateAboutParentAxisTurnsLikeTheAxisRotations) {
    std::mt19937 random(99);
    const Transform start = RandomTransform(random);
    const Vector3 axes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int i = 0; i < 3; ++i) {
        Transform byAxis = start;
        Transform byRotation = start;
        byAxis.RotateAboutAxis(&axes[i], 33.0f, kAll);
        if (i == 0) byRotation.RotateX(33.0f, kAll);
        if (i == 1) byRotation.RotateY(33.0f, kAll);
        if (i == 2) byRotation.RotateZ(33.0f, kAll);
        ExpectMatrixNear(byAxis.matrix, byRotation.matrix, 1e-5f);
        ExpectMatrixNear(byAxis.inverse, byRotation.inverse, 1e-4f);
    }
}

TEST(Transform, RotateAboutLocalXTurnsAboutTheOwnRightAxis) {
    Transform t;
    t.RotateY(90.0f, kAll);
    t.Scale(2.0f, kAll);
    // Right is -z: up turns towards it about -z, forward away from up.
    t.RotateAboutLocalX(90.0f, kAll);
    ExpectRows(t, {0, 0, -2}, {2, 0, 0}, {0, -2, 0});
    ExpectVectorNear(t.forward, {0, -1, 0}, kExact);
    ExpectInverseCurrent(t, 1e-6f);
}

// A local turn equals the same turn about the parent's axis applied first,
// before the transform itself.
TEST(Transform, LocalRotationsEqualAParentRotationAppliedFirst) {
    std::mt19937 random(123);
    for (int round = 0; round < 20; ++round) {
        const Transform start = RandomTransform(random);
        const float angle = std::uniform_real_distribution<float>(-170.0f, 170.0f)(random);
        for (int axis = 0; axis < 3; ++axis) {
            Transform local = start;
            Transform turn;
            if (axis == 0) {
                local.RotateAboutLocalX(angle, kAll);
                turn.RotateX(angle, kAll);
            } else if (axis == 1) {
                local.RotateAboutLocalY(angle, kAll);
                turn.RotateY(angle, kAll);
            } else {
                local.RotateAboutForward(angle, kAll);
                turn.RotateZ(angle, kAll);
            }
            turn.Multiply(&start);
            ExpectMatrixNear(local.matrix, turn.matrix, 1e-5f);
            ExpectInverseCurrent(local, 1e-4f);
        }
    }
}

TEST(Transform, RotateAboutAxisWithoutInverseBitLeavesTheInverse) {
    Transform t;
    const Matrix34 before = t.inverse;
    t.RotateAboutLocalY(45.0f, Transform::kOrthonormalize);
    ExpectMatrixNear(t.inverse, before, 0.0f);
}

TEST(Transform, CombineAppliesThisThenTheParent) {
    std::mt19937 random(17);
    Transform child = RandomTransform(random);
    child.Scale(2.0f, kAll);
    child.changeCount = 9;
    Transform parent = RandomTransform(random);
    parent.Scale(0.5f, kAll);
    parent.Scale(3.0f, kAll);

    Transform out;
    out.forwardW = -1.0f;
    child.Combine(&parent, &out);

    const Vector3 p(0.5f, -1.0f, 2.0f);
    ExpectVectorNear(Carry(p, out.matrix), Carry(Carry(p, child.matrix), parent.matrix), 1e-4f);
    EXPECT_FLOAT_EQ(out.scale, 3.0f);
    EXPECT_EQ(out.changeCount, 0u);
    EXPECT_EQ(out.forwardW, -1.0f);
    const Vector3 row2 = Row(out, 2);
    const float l = Length(row2);
    ExpectVectorNear(out.forward, {row2.x / l, row2.y / l, row2.z / l}, 1e-6f);
    ExpectInverseCurrent(out, 1e-4f);
}

TEST(Transform, CombineMayWriteIntoItsOwnInputs) {
    std::mt19937 random(18);
    const Transform child = RandomTransform(random);
    const Transform parent = RandomTransform(random);
    Transform separate;
    child.Combine(&parent, &separate);

    Transform intoChild = child;
    intoChild.Combine(&parent, &intoChild);
    ExpectMatrixNear(intoChild.matrix, separate.matrix, 0.0f);
    ExpectMatrixNear(intoChild.inverse, separate.inverse, 0.0f);

    Transform intoParent = parent;
    child.Combine(&intoParent, &intoParent);
    ExpectMatrixNear(intoParent.matrix, separate.matrix, 0.0f);
    ExpectMatrixNear(intoParent.inverse, separate.inverse, 0.0f);
}

TEST(Transform, MultiplyMatchesCombine) {
    std::mt19937 random(19);
    Transform t = RandomTransform(random);
    t.changeCount = 40;
    Transform other = RandomTransform(random);
    other.Scale(2.5f, kAll);
    Transform combined;
    t.Combine(&other, &combined);

    t.Multiply(&other);
    ExpectMatrixNear(t.matrix, combined.matrix, 0.0f);
    ExpectMatrixNear(t.inverse, combined.inverse, 0.0f);
    ExpectVectorNear(t.forward, combined.forward, 0.0f);
    EXPECT_EQ(t.scale, 2.5f);
    EXPECT_EQ(t.changeCount, 0u);
}

TEST(TransformVectorRotation, NinetyDegreesTurnOppositeToTheTransform) {
    const Vector3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    Vector3 out;
    ExpectVectorNear(*RotateVectorAboutX(&y, 90.0f, &out), {0, 0, -1}, kExact);
    ExpectVectorNear(*RotateVectorAboutY(&x, 90.0f, &out), {0, 0, 1}, kExact);
    ExpectVectorNear(*RotateVectorAboutZ(&x, 90.0f, &out), {0, -1, 0}, kExact);
    ExpectVectorNear(*RotateVectorAboutZ(&z, 90.0f, &out), {0, 0, 1}, kExact);
}

TEST(TransformVectorRotation, EqualsTheTransformRotationByTheNegatedAngle) {
    const Vector3 v(0.3f, -1.7f, 2.2f);
    for (int axis = 0; axis < 3; ++axis) {
        Transform t;
        Vector3 rotated = v;
        if (axis == 0) {
            t.RotateX(-25.0f, kAll);
            RotateVectorAboutX(&rotated, 25.0f, &rotated);
        } else if (axis == 1) {
            t.RotateY(-25.0f, kAll);
            RotateVectorAboutY(&rotated, 25.0f, &rotated);
        } else {
            t.RotateZ(-25.0f, kAll);
            RotateVectorAboutZ(&rotated, 25.0f, &rotated);
        }
        Vector3 carried;
        TransformVector(&v, &t.matrix, &carried);
        ExpectVectorNear(rotated, carried, 1e-5f);
    }
}

}  // namespace
