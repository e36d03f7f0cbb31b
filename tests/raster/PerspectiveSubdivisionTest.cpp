#include "raster/PerspectiveSubdivision.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "tests/support/RecordingCanvas.h"
#include "tests/support/RecordingTriangles.h"

namespace {

constexpr uint32_t kMode = 0x88;

// u and v as the subdivision takes them: already multiplied by invZ.
ScreenVertex Weighted(float x, float y, uint32_t colour, float invZ = 1.0f, float u = 0.0f, float v = 0.0f) {
    ScreenVertex p;
    p.x = x;
    p.y = y;
    p.colour = colour;
    p.invZ = invZ;
    p.u = u * invZ;
    p.v = v * invZ;
    return p;
}

class PerspectiveSubdivision : public ::testing::Test {
protected:
    PerspectiveSubdivision() {
        canvas_.subdivideLength = 0.07f * 640.0f;       // 44.8
        canvas_.subdivideLongLength = 0.28f * 640.0f;   // 179.2
        g_subdivisionDepth = 0;
    }

    size_t Draw(const ScreenVertex& a, const ScreenVertex& b, const ScreenVertex& c) {
        SubdividePerspectiveTriangle16(&canvas_, kMode, a, b, c, nullptr, 200, RecordingTriangles::Fill);
        return recorder_.Count();
    }
    const RecordedTriangle& Triangle(size_t i) const { return recorder_.Triangles().at(i); }

    RecordingCanvas canvas_;
    RecordingTriangles recorder_;
};

std::vector<uint32_t> Corners(const RecordedTriangle& t) { return {t.a.colour, t.b.colour, t.c.colour}; }

TEST_F(PerspectiveSubdivision, ShortEdgesAreNeverSplitWhateverTheirInvZRatio) {
    EXPECT_EQ(Draw(Weighted(0, 0, 1, 0.1f), Weighted(44, 0, 2, 4.0f), Weighted(0, 44, 3, 0.5f)), 1u);
    EXPECT_EQ(Corners(Triangle(0)), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(Triangle(0).mode, kMode);
    EXPECT_EQ(Triangle(0).level, 200u);
}

TEST_F(PerspectiveSubdivision, LongEdgeIsSplitEvenWithEqualInvZ) {
    ASSERT_EQ(Draw(Weighted(0, 0, 1, 2.0f), Weighted(200, 0, 2, 2.0f), Weighted(100, 10, 3, 2.0f)), 2u);
    EXPECT_EQ(Corners(Triangle(0)), (std::vector<uint32_t>{1, 1, 3}));
    EXPECT_EQ(Triangle(0).b.x, 100.0f);
    EXPECT_EQ(Triangle(0).b.y, 0.0f);
    EXPECT_EQ(Corners(Triangle(1)), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(Triangle(1).a.x, 100.0f);
}

TEST_F(PerspectiveSubdivision, MiddleLengthEdgeIsSplitOnlyAboveTheInvZRatio) {
    EXPECT_EQ(Draw(Weighted(0, 0, 1, 1.0f), Weighted(100, 0, 2, 1.02f), Weighted(50, 10, 3, 1.0f)), 1u);
}

TEST_F(PerspectiveSubdivision, MiddleLengthEdgeWithDistortedInvZIsSplit) {
    // a-b (100 long) first; then, in the right half, b-c (50 long, ratio 1.03).
    ASSERT_EQ(Draw(Weighted(0, 0, 1, 1.0f), Weighted(100, 0, 2, 1.03f), Weighted(50, 10, 3, 1.0f)), 3u);
    EXPECT_EQ(Triangle(0).b.x, 50.0f);
    EXPECT_EQ(Triangle(1).c.x, 75.0f);
    EXPECT_EQ(Triangle(1).c.y, 5.0f);
}

using Corner = std::pair<float, float>;

std::vector<Corner> Positions(const RecordedTriangle& t) {
    return {{t.a.x, t.a.y}, {t.b.x, t.b.y}, {t.c.x, t.c.y}};
}

struct SplitCase {
    const char* name;
    ScreenVertex a, b, c;
    std::vector<Corner> first, second;
    std::vector<uint32_t> firstColours, secondColours;   // the midpoint has its edge's first end's
};

TEST_F(PerspectiveSubdivision, SplitsTheLongestCountingEdgeIntoTwoInOrder) {
    const std::vector<SplitCase> cases = {
        {"a-b", Weighted(0, 0, 1), Weighted(300, 0, 2), Weighted(150, 100, 3),
         {{0, 0}, {150, 0}, {150, 100}}, {{150, 0}, {300, 0}, {150, 100}}, {1, 1, 3}, {1, 2, 3}},
        // b-c y and c-a y are equal; b-c comes first.
        {"b-c", Weighted(0, 0, 1), Weighted(100, 0, 2), Weighted(0, 300, 3),
         {{0, 0}, {100, 0}, {50, 150}}, {{0, 0}, {50, 150}, {0, 300}}, {1, 2, 2}, {1, 2, 3}},
        {"c-a", Weighted(0, 0, 1), Weighted(100, 100, 2), Weighted(300, 0, 3),
         {{0, 0}, {100, 100}, {150, 0}}, {{150, 0}, {100, 100}, {300, 0}}, {1, 2, 3}, {3, 2, 3}},
        // a-b x, b-c x and y and c-a y all equal: a-b x wins.
        {"tie", Weighted(0, 0, 1), Weighted(200, 0, 2), Weighted(0, 200, 3),
         {{0, 0}, {100, 0}, {0, 200}}, {{100, 0}, {200, 0}, {0, 200}}, {1, 1, 3}, {1, 2, 3}},
    };
    for (const SplitCase& split : cases) {
        const size_t before = recorder_.Count();
        // One level left before the limit: exactly one split.
        g_subdivisionDepth = kMaxSubdivisionDepth - 2;
        SubdividePerspectiveTriangle16(&canvas_, kMode, split.a, split.b, split.c, nullptr, 255,
                                       RecordingTriangles::Fill);
        ASSERT_EQ(recorder_.Count(), before + 2) << split.name;
        EXPECT_EQ(Positions(Triangle(before)), split.first) << split.name;
        EXPECT_EQ(Positions(Triangle(before + 1)), split.second) << split.name;
        EXPECT_EQ(Corners(Triangle(before)), split.firstColours) << split.name;
        EXPECT_EQ(Corners(Triangle(before + 1)), split.secondColours) << split.name;
    }
}

TEST_F(PerspectiveSubdivision, MidpointAveragesEveryValueAndKeepsTextureCoordinatesPerspectiveCorrect) {
    ScreenVertex a = Weighted(0, 0, 1, 1.0f, 0.0f, 1.0f);
    ScreenVertex b = Weighted(300, 10, 2, 3.0f, 1.0f, 0.0f);
    a.depth = 0.25f;
    b.depth = 0.75f;
    a.intensity = 100.0f;
    b.intensity = 200.0f;
    const ScreenVertex c = Weighted(150, 40, 3, 2.0f, 0.5f, 0.5f);
    g_subdivisionDepth = kMaxSubdivisionDepth - 2;
    ASSERT_EQ(Draw(a, b, c), 2u);
    const ScreenVertex& m = Triangle(0).b;
    EXPECT_EQ(m.x, 150.0f);
    EXPECT_EQ(m.y, 5.0f);
    EXPECT_EQ(m.depth, 0.5f);
    EXPECT_EQ(m.intensity, 150.0f);
    EXPECT_EQ(m.invZ, 2.0f);
    EXPECT_EQ(m.colour, 1u);
    // (0 x 1 + 1 x 3) / 2 over the mean invZ 2, not the screen-space 0.5.
    EXPECT_FLOAT_EQ(m.u, 0.75f);
    EXPECT_FLOAT_EQ(m.v, 0.25f);
    // The corners come back unweighted too.
    EXPECT_FLOAT_EQ(Triangle(1).b.u, 1.0f);
    EXPECT_FLOAT_EQ(Triangle(0).c.u, 0.5f);
}

TEST_F(PerspectiveSubdivision, StopsAtTwentyLevelsWhateverTheDistortion) {
    // Every extent counts and every one is long enough: only the depth limit
    // stops the splitting, after 19 halvings below the first call.
    canvas_.subdivideLength = 0.0f;
    canvas_.subdivideLongLength = 0.0f;
    EXPECT_EQ(Draw(Weighted(0, 0, 1), Weighted(600, 0, 2), Weighted(0, 400, 3)), size_t(1) << 19);
    EXPECT_EQ(g_subdivisionDepth, 0);
}

TEST_F(PerspectiveSubdivision, DepthReachedBeforehandLeavesFewerLevels) {
    canvas_.subdivideLength = 0.0f;
    canvas_.subdivideLongLength = 0.0f;
    g_subdivisionDepth = 10;
    EXPECT_EQ(Draw(Weighted(0, 0, 1), Weighted(600, 0, 2), Weighted(0, 400, 3)), size_t(1) << 9);
    EXPECT_EQ(g_subdivisionDepth, 10);
}

}  // namespace
