#include "scene/BoundingBox.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// x in [-1, 3], y in [0, 4], z in [2, 10]: no two axes alike, so an axis
// mix-up shows. Centre (1, 2, 6).
const BoundingBox kBox{Vector3(-1.0f, 0.0f, 2.0f), Vector3(3.0f, 4.0f, 10.0f)};

}  // namespace

TEST(BoundingBox, ContainsPointsInsideAndOnItsFaces) {
    EXPECT_TRUE(kBox.ContainsPoint(Vector3(1.0f, 2.0f, 6.0f)));
    EXPECT_TRUE(kBox.ContainsPoint(Vector3(-1.0f, 2.0f, 6.0f)));
    EXPECT_TRUE(kBox.ContainsPoint(Vector3(1.0f, 4.0f, 6.0f)));
    EXPECT_TRUE(kBox.ContainsPoint(Vector3(1.0f, 2.0f, 2.0f)));
    EXPECT_TRUE(kBox.ContainsPoint(Vector3(3.0f, 0.0f, 10.0f)));  // a corner
}

TEST(BoundingBox, RefusesPointsOutsideAnyOneSlab) {
    EXPECT_FALSE(kBox.ContainsPoint(Vector3(-1.001f, 2.0f, 6.0f)));
    EXPECT_FALSE(kBox.ContainsPoint(Vector3(3.001f, 2.0f, 6.0f)));
    EXPECT_FALSE(kBox.ContainsPoint(Vector3(1.0f, -0.001f, 6.0f)));
    EXPECT_FALSE(kBox.ContainsPoint(Vector3(1.0f, 4.001f, 6.0f)));
    EXPECT_FALSE(kBox.ContainsPoint(Vector3(1.0f, 2.0f, 1.999f)));
    EXPECT_FALSE(kBox.ContainsPoint(Vector3(1.0f, 2.0f, 10.001f)));
}

TEST(BoundingBox, SphereTouchingAFaceOverlaps) {
    EXPECT_TRUE(kBox.OverlapsSphere(Vector3(1.0f, 2.0f, 6.0f), 0.5f));
    EXPECT_TRUE(kBox.OverlapsSphere(Vector3(5.0f, 2.0f, 6.0f), 2.0f));    // touches x = 3
    EXPECT_TRUE(kBox.OverlapsSphere(Vector3(1.0f, -3.0f, 6.0f), 3.0f));   // touches y = 0
    EXPECT_TRUE(kBox.OverlapsSphere(Vector3(1.0f, 2.0f, 11.0f), 1.0f));   // touches z = 10
    EXPECT_FALSE(kBox.OverlapsSphere(Vector3(5.0f, 2.0f, 6.0f), 1.99f));
    EXPECT_FALSE(kBox.OverlapsSphere(Vector3(1.0f, -3.0f, 6.0f), 2.99f));
    EXPECT_FALSE(kBox.OverlapsSphere(Vector3(1.0f, 2.0f, 0.0f), 1.99f));
    EXPECT_FALSE(kBox.OverlapsSphere(Vector3(1.0f, 2.0f, 11.0f), 0.99f));
}

// Each axis is tested alone, so a sphere off a corner that reaches every
// slab counts as overlapping though it misses the box.
TEST(BoundingBox, SphereOverlapTestsEachAxisAlone) {
    EXPECT_TRUE(kBox.OverlapsSphere(Vector3(3.9f, 4.9f, 10.9f), 1.0f));
}

TEST(BoundingBox, RayFromInsideReturnsDistanceToTheCentre) {
    // The direction does not matter, and the box's faces are not reached.
    EXPECT_FLOAT_EQ(kBox.RayDistance(Vector3(1.0f, 2.0f, 3.0f), Vector3(0.0f, 0.0f, 1.0f)), 3.0f);
    EXPECT_FLOAT_EQ(kBox.RayDistance(Vector3(1.0f, 2.0f, 3.0f), Vector3(1.0f, 0.0f, 0.0f)), 3.0f);
    EXPECT_FLOAT_EQ(kBox.RayDistance(Vector3(-1.0f, 0.0f, 2.0f), Vector3(0.0f, 1.0f, 0.0f)),
                    std::sqrt(4.0f + 4.0f + 16.0f));
    // At the centre itself that distance is 0, which reads as a miss.
    EXPECT_EQ(kBox.RayDistance(Vector3(1.0f, 2.0f, 6.0f), Vector3(0.0f, 1.0f, 0.0f)), 0.0f);
}

TEST(BoundingBox, RayHitsFromEachSide) {
    struct Case {
        Vector3 origin;
        Vector3 direction;
        float distance;
    };
    const Case cases[] = {
        {{-6.0f, 2.0f, 6.0f}, {1.0f, 0.0f, 0.0f}, 5.0f},    // enters at x = -1
        {{8.0f, 2.0f, 6.0f}, {-1.0f, 0.0f, 0.0f}, 5.0f},    // at x = 3
        {{1.0f, -7.0f, 6.0f}, {0.0f, 1.0f, 0.0f}, 7.0f},    // at y = 0
        {{1.0f, 5.0f, 6.0f}, {0.0f, -1.0f, 0.0f}, 1.0f},    // at y = 4
        {{1.0f, 2.0f, -1.0f}, {0.0f, 0.0f, 1.0f}, 3.0f},    // at z = 2
        {{1.0f, 2.0f, 14.0f}, {0.0f, 0.0f, -1.0f}, 4.0f},   // at z = 10
        {{-3.0f, 1.0f, 6.0f}, {0.8f, 0.6f, 0.0f}, 2.5f},    // at x = -1, y = 2.5
    };
    for (const Case& c : cases) {
        EXPECT_FLOAT_EQ(kBox.RayDistance(c.origin, c.direction), c.distance)
            << c.origin.x << ", " << c.origin.y << ", " << c.origin.z;
    }
}

// The entry face is the last slab crossed: here x = -1 at t = 2 comes after
// z = 2 at t = 1.
TEST(BoundingBox, RayEntersThroughTheLastSlabCrossed) {
    EXPECT_FLOAT_EQ(kBox.RayDistance(Vector3(-3.0f, 2.0f, 1.0f), Vector3(1.0f, 0.0f, 1.0f)), 2.0f);
    EXPECT_FLOAT_EQ(kBox.RayDistance(Vector3(-2.0f, 2.0f, 0.0f), Vector3(1.0f, 0.0f, 1.0f)), 2.0f);
}

TEST(BoundingBox, RayPointingAwayOrParallelOutsideASlabMisses) {
    EXPECT_EQ(kBox.RayDistance(Vector3(-6.0f, 2.0f, 6.0f), Vector3(-1.0f, 0.0f, 0.0f)), 0.0f);
    EXPECT_EQ(kBox.RayDistance(Vector3(1.0f, 2.0f, 14.0f), Vector3(0.0f, 0.0f, 1.0f)), 0.0f);
    // Parallel to the x slab while outside it: never enters, whatever y does.
    EXPECT_EQ(kBox.RayDistance(Vector3(5.0f, -3.0f, 6.0f), Vector3(0.0f, 1.0f, 0.0f)), 0.0f);
    EXPECT_EQ(kBox.RayDistance(Vector3(1.0f, 2.0f, 1.0f), Vector3(1.0f, 0.0f, 0.0f)), 0.0f);
}

TEST(BoundingBox, RayPassingBesideMisses) {
    // Crosses x = -1 at y = 5.5, above the box.
    EXPECT_EQ(kBox.RayDistance(Vector3(-3.0f, 4.0f, 6.0f), Vector3(0.8f, 0.6f, 0.0f)), 0.0f);
    // Crosses z = 2 beyond x = 3.
    EXPECT_EQ(kBox.RayDistance(Vector3(2.0f, 2.0f, 0.0f), Vector3(0.6f, 0.0f, 0.8f)), 0.0f);
}

// The entry point of a ray aimed at an edge lies on both faces; the hit is
// counted when the point is on the faces' closed boundary.
TEST(BoundingBox, RayThroughAnEdgeHits) {
    EXPECT_FLOAT_EQ(kBox.RayDistance(Vector3(-2.0f, -1.0f, 6.0f), Vector3(1.0f, 1.0f, 0.0f)), 1.0f);
}

// When two slabs are entered at the same t the earlier axis is the entry
// face, and only the other axis is checked. These values tie exactly in t,
// but t x direction rounds to just short of the plane on one of the two
// axes: the ray is counted a hit only when that axis is the entry face.
TEST(BoundingBox, TiedEntryKeepsTheEarlierAxis) {
    const BoundingBox box{Vector3(0.0f, 0.0f, 0.0f), Vector3(100.0f, 100.0f, 100.0f)};
    const float roundsShortOrigin = -0x1.c8p+2f;
    const float roundsShortDirection = 0x1.3ep-2f;
    const float landsOrigin = -0x1.0ap+3f;
    const float landsDirection = 0x1.73p-2f;
    // x rounds short but is the entry face; y lands on its plane.
    EXPECT_GT(box.RayDistance(Vector3(roundsShortOrigin, landsOrigin, 50.0f),
                              Vector3(roundsShortDirection, landsDirection, 0.0f)),
              22.9f);
    // Swapped: x lands, is the entry face, and y is the one checked.
    EXPECT_EQ(box.RayDistance(Vector3(landsOrigin, roundsShortOrigin, 50.0f),
                              Vector3(landsDirection, roundsShortDirection, 0.0f)),
              0.0f);
}
