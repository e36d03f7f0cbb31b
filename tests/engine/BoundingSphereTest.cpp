#include "engine/BoundingSphere.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

BoundingSphere MakeSphere(float x, float y, float z, float radius) {
    return BoundingSphere{Vector3(x, y, z), 0.0f, radius};
}

}  // namespace

TEST(BoundingSphere, PointStrictlyInsideIsContained) {
    const BoundingSphere sphere = MakeSphere(10.0f, -5.0f, 2.0f, 3.0f);
    EXPECT_TRUE(sphere.ContainsPoint(Vector3(10.0f, -5.0f, 2.0f), 0.0f));
    EXPECT_TRUE(sphere.ContainsPoint(Vector3(11.0f, -4.0f, 3.0f), 0.0f));
    EXPECT_FALSE(sphere.ContainsPoint(Vector3(20.0f, -5.0f, 2.0f), 0.0f));
}

// Distance exactly r is outside: the test is "distance below r".
TEST(BoundingSphere, PointOnTheSurfaceIsNotContained) {
    const BoundingSphere sphere = MakeSphere(0.0f, 0.0f, 0.0f, 5.0f);
    EXPECT_FALSE(sphere.ContainsPoint(Vector3(5.0f, 0.0f, 0.0f), 0.0f));
    EXPECT_FALSE(sphere.ContainsPoint(Vector3(0.0f, 3.0f, -4.0f), 0.0f));
    EXPECT_FALSE(sphere.ContainsPointExact(Vector3(0.0f, -3.0f, 4.0f)));
    EXPECT_TRUE(sphere.ContainsPointExact(Vector3(0.0f, -3.0f, 3.99f)));
}

TEST(BoundingSphere, MarginWidensOrNarrowsTheSphere) {
    const BoundingSphere sphere = MakeSphere(1.0f, 1.0f, 1.0f, 2.0f);
    const Vector3 point(1.0f, 1.0f, 4.5f);  // 3.5 from the centre
    EXPECT_FALSE(sphere.ContainsPoint(point, 0.0f));
    EXPECT_FALSE(sphere.ContainsPoint(point, 1.5f));  // exactly on the widened surface
    EXPECT_TRUE(sphere.ContainsPoint(point, 1.6f));

    const Vector3 near(1.0f, 2.0f, 1.0f);  // 1 from the centre
    EXPECT_TRUE(sphere.ContainsPoint(near, 0.0f));
    EXPECT_FALSE(sphere.ContainsPoint(near, -1.0f));
    EXPECT_FALSE(sphere.ContainsPoint(near, -3.0f));
}

// A corner of the cube around the sphere passes every per-axis test but not
// the distance.
TEST(BoundingSphere, CornerOfTheEnclosingCubeIsNotContained) {
    const BoundingSphere sphere = MakeSphere(0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_FALSE(sphere.ContainsPoint(Vector3(0.9f, 0.9f, 0.9f), 0.0f));
    EXPECT_TRUE(sphere.ContainsPoint(Vector3(0.5f, 0.5f, 0.5f), 0.0f));
}

TEST(BoundingSphere, RayFromOutsideHitsTheNearSide) {
    const BoundingSphere sphere = MakeSphere(0.0f, 0.0f, 10.0f, 2.0f);
    EXPECT_FLOAT_EQ(sphere.RayDistance(Vector3(0.0f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f)), 8.0f);
    // Off-centre: the chord's half-length is sqrt(4 - 1).
    EXPECT_FLOAT_EQ(sphere.RayDistance(Vector3(1.0f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f)),
                    10.0f - std::sqrt(3.0f));
    // From the far side, looking back.
    EXPECT_FLOAT_EQ(sphere.RayDistance(Vector3(0.0f, 0.0f, 20.0f), Vector3(0.0f, 0.0f, -1.0f)), 8.0f);
}

TEST(BoundingSphere, RayThatPassesBesideMisses) {
    const BoundingSphere sphere = MakeSphere(0.0f, 0.0f, 10.0f, 2.0f);
    EXPECT_EQ(sphere.RayDistance(Vector3(2.5f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f)), 0.0f);
    EXPECT_EQ(sphere.RayDistance(Vector3(0.0f, 0.0f, 0.0f), Vector3(1.0f, 0.0f, 0.0f)), 0.0f);
}

TEST(BoundingSphere, SphereBehindTheOriginIsNotHit) {
    const BoundingSphere sphere = MakeSphere(0.0f, 0.0f, -10.0f, 2.0f);
    EXPECT_EQ(sphere.RayDistance(Vector3(0.0f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f)), 0.0f);
    // The far side exactly at the origin still counts as behind.
    EXPECT_EQ(sphere.RayDistance(Vector3(0.0f, 0.0f, -8.0f), Vector3(0.0f, 0.0f, 1.0f)), 0.0f);
}

TEST(BoundingSphere, RayFromInsideHitsTheFarSide) {
    const BoundingSphere centred = MakeSphere(0.0f, 0.0f, 0.0f, 2.0f);
    EXPECT_FLOAT_EQ(centred.RayDistance(Vector3(0.0f, 0.0f, 0.0f), Vector3(0.0f, 1.0f, 0.0f)), 2.0f);
    const float diagonal = 1.0f / std::sqrt(3.0f);
    EXPECT_FLOAT_EQ(
        centred.RayDistance(Vector3(0.0f, 0.0f, 0.0f), Vector3(diagonal, -diagonal, diagonal)), 2.0f);

    const BoundingSphere sphere = MakeSphere(5.0f, 0.0f, 0.0f, 2.0f);
    EXPECT_FLOAT_EQ(sphere.RayDistance(Vector3(4.0f, 0.0f, 0.0f), Vector3(1.0f, 0.0f, 0.0f)), 3.0f);
    EXPECT_FLOAT_EQ(sphere.RayDistance(Vector3(4.0f, 0.0f, 0.0f), Vector3(-1.0f, 0.0f, 0.0f)), 1.0f);
    // Starting on the near surface counts as inside.
    EXPECT_FLOAT_EQ(sphere.RayDistance(Vector3(3.0f, 0.0f, 0.0f), Vector3(1.0f, 0.0f, 0.0f)), 4.0f);
}

// A ray that grazes the surface has one meeting point.
TEST(BoundingSphere, TangentRayHitsAtTheTouchingPoint) {
    const BoundingSphere sphere = MakeSphere(0.0f, 0.0f, 10.0f, 2.0f);
    EXPECT_FLOAT_EQ(sphere.RayDistance(Vector3(2.0f, 0.0f, 0.0f), Vector3(0.0f, 0.0f, 1.0f)), 10.0f);
}
