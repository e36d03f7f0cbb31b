#include "display/LineClip.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>

#include "tests/support/Vertices.h"

namespace {

// Inside is [0, 100] by [0, 50]: every cut below lands half way.
const CanvasRect kClip{0, 0, 101, 51};

constexpr int32_t kHalf = 0x8000;   // 0.5 in 16.16

bool Same(const ViewVertex& a, const ViewVertex& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool Same(const ScreenVertex& a, const ScreenVertex& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// An end that stays put carries one value of every word, the end that is
// cut another, so the cut end must land on the average of the two.
struct Shades {
    uint32_t depth;
    uint32_t colour;
    int32_t intensity;
    int32_t u, v, invZ;
};
constexpr Shades kStays{0x80000000u, 30, 200, 0x10000, 0x20000, 1 << 29};
constexpr Shades kCut{0, 10, 0, 0, 0, 1 << 30};
constexpr Shades kHalfWay{0x40000000u, 20, 100, kHalf, 0x10000, 3 << 28};

ViewVertex Shaded(int32_t x, int32_t y, const Shades& s) {
    ViewVertex v = ViewPoint(x, y);
    v.depth = s.depth;
    v.colour = s.colour;
    v.intensity = s.intensity;
    v.u = s.u;
    v.v = s.v;
    v.invZ = s.invZ;
    return v;
}

struct EdgeCase {
    const char* edge;
    int32_t stayX, stayY, cutX, cutY;   // the end inside, the end beyond the edge
    int32_t landX, landY;               // where the cut end lands
};

void PrintTo(const EdgeCase& c, std::ostream* os) { *os << c.edge << " edge"; }

// Whichever end is cut, the result holds the end of smaller x in a.
class ClipLineViewEdge : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(ClipLineViewEdge, MovesTheOuterEndOntoTheEdgeAndInterpolatesEveryWord) {
    const EdgeCase& c = GetParam();
    for (const bool cutEndFirst : {true, false}) {
        SCOPED_TRACE(cutEndFirst ? "cut end in a" : "cut end in b");
        ViewVertex stays = Shaded(c.stayX, c.stayY, kStays);
        ViewVertex cut = Shaded(c.cutX, c.cutY, kCut);
        stays.spare = 1;
        cut.spare = 2;
        ViewVertex a = cutEndFirst ? cut : stays;
        ViewVertex b = cutEndFirst ? stays : cut;

        ASSERT_EQ(ClipLineView(&kClip, &a, &b, kLineClipDepth | kLineClipShade), kClipVisible);

        const bool cutEndLeft = c.landX < c.stayX || (c.landX == c.stayX && cutEndFirst);
        const ViewVertex& landed = cutEndLeft ? a : b;
        const ViewVertex& kept = cutEndLeft ? b : a;
        EXPECT_TRUE(Same(kept, stays));
        EXPECT_EQ(landed.spare, 2u);   // the whole record travels with its end
        EXPECT_EQ(landed.screenX, c.landX);
        EXPECT_EQ(landed.screenY, c.landY);
        EXPECT_EQ(landed.depth, kHalfWay.depth);
        EXPECT_EQ(landed.colour, kHalfWay.colour);
        EXPECT_EQ(landed.intensity, kHalfWay.intensity);
        EXPECT_EQ(landed.u, kHalfWay.u);
        EXPECT_EQ(landed.v, kHalfWay.v);
        EXPECT_EQ(landed.invZ, kHalfWay.invZ);
    }
}

INSTANTIATE_TEST_SUITE_P(EachEdge, ClipLineViewEdge,
                         ::testing::Values(EdgeCase{"left", 50, 30, -50, 10, 0, 20},
                                           EdgeCase{"right", 50, 10, 150, 30, 100, 20},
                                           EdgeCase{"top", 30, 50, 10, -50, 20, 0},
                                           EdgeCase{"topRightEnd", 10, 50, 30, -50, 20, 0},
                                           EdgeCase{"bottom", 10, 0, 30, 100, 20, 50},
                                           EdgeCase{"bottomLeftEnd", 30, 0, 10, 100, 20, 50}),
                         [](const auto& info) { return std::string(info.param.edge); });

TEST(ClipLineView, FollowsDepthAndShadeOnlyWhenAsked) {
    ViewVertex a = Shaded(-50, 10, kCut);
    ViewVertex b = Shaded(50, 30, kStays);
    ASSERT_EQ(ClipLineView(&kClip, &a, &b, 0), kClipVisible);
    EXPECT_EQ(a.depth, kCut.depth);
    EXPECT_EQ(a.colour, kCut.colour);
    EXPECT_EQ(a.intensity, kCut.intensity);
    // Texture words always follow the cut.
    EXPECT_EQ(a.u, kHalfWay.u);
    EXPECT_EQ(a.invZ, kHalfWay.invZ);

    a = Shaded(-50, 10, kCut);
    b = Shaded(50, 30, kStays);
    ASSERT_EQ(ClipLineView(&kClip, &a, &b, kLineClipDepth), kClipVisible);
    EXPECT_EQ(a.depth, kHalfWay.depth);
    EXPECT_EQ(a.intensity, kCut.intensity);

    a = Shaded(-50, 10, kCut);
    b = Shaded(50, 30, kStays);
    ASSERT_EQ(ClipLineView(&kClip, &a, &b, kLineClipShade), kClipVisible);
    EXPECT_EQ(a.depth, kCut.depth);
    EXPECT_EQ(a.colour, kHalfWay.colour);
    EXPECT_EQ(a.intensity, kHalfWay.intensity);
}

TEST(ClipLineView, LeavesASegmentInsideAloneAndSaysSoOnlyWhenAsked) {
    const ViewVertex right = Shaded(100, 50, kStays);   // the last column and row are inside
    const ViewVertex left = Shaded(0, 0, kCut);
    ViewVertex a = right, b = left;
    EXPECT_EQ(ClipLineView(&kClip, &a, &b, kLineClipDepth | kLineClipShade), kClipVisible);
    EXPECT_TRUE(Same(a, right));   // not reordered either
    EXPECT_TRUE(Same(b, left));
    EXPECT_EQ(ClipLineView(&kClip, &a, &b, kLineClipReportInside), kLineClipInside);
    EXPECT_TRUE(Same(a, right));
    EXPECT_TRUE(Same(b, left));
}

TEST(ClipLineView, RefusesSegmentsThatMissTheRectangleAndLeavesThemAlone) {
    const ViewVertex ends[][2] = {
        {ViewPoint(-20, 10), ViewPoint(-1, 40)},    // left
        {ViewPoint(101, 10), ViewPoint(300, 40)},   // right, touching the edge from outside
        {ViewPoint(10, -5), ViewPoint(90, -1)},     // above
        {ViewPoint(10, 51), ViewPoint(90, 80)},     // below
        {ViewPoint(-10, 5), ViewPoint(5, -10)},     // passes the corner outside: beyond the top once cut at the left
        {ViewPoint(95, 60), ViewPoint(110, 45)},    // passes the bottom right corner outside
    };
    for (const auto& pair : ends) {
        ViewVertex a = pair[0], b = pair[1];
        for (const uint32_t flags : {0u, kLineClipReportInside}) {
            EXPECT_EQ(ClipLineView(&kClip, &a, &b, flags), kClipInvisible)
                << "(" << pair[0].screenX << ", " << pair[0].screenY << ")";
            EXPECT_TRUE(Same(a, pair[0]));
            EXPECT_TRUE(Same(b, pair[1]));
        }
    }
}

TEST(ClipLineView, CutsBothEndsOfASegmentCrossingTheWholeRectangle) {
    // Intensity runs 0 to 200 from x = -200 to x = 200: 100 at x = 0, 150 at x = 100.
    ViewVertex a = ViewPoint(200, 25), b = ViewPoint(-200, 25);
    a.intensity = 200;
    b.intensity = 0;
    ASSERT_EQ(ClipLineView(&kClip, &a, &b, kLineClipShade), kClipVisible);
    EXPECT_EQ(a.screenX, 0);
    EXPECT_EQ(a.intensity, 100);
    EXPECT_EQ(b.screenX, 100);
    EXPECT_EQ(b.intensity, 150);
    EXPECT_EQ(a.screenY, 25);
    EXPECT_EQ(b.screenY, 25);

    // Slope one half, through the top left and bottom right corners.
    ViewVertex c = ViewPoint(-100, -50), d = ViewPoint(200, 100);
    ASSERT_EQ(ClipLineView(&kClip, &c, &d, 0), kClipVisible);
    EXPECT_EQ(c.screenX, 0);
    EXPECT_EQ(c.screenY, 0);
    EXPECT_EQ(d.screenX, 100);
    EXPECT_EQ(d.screenY, 50);
}

TEST(ClipLineView, CutsAVerticalSegmentAtTopAndBottom) {
    // Depth runs 0 to 200 units from y = -100 to y = 100.
    ViewVertex a = ViewPoint(40, -100), b = ViewPoint(40, 100);
    a.depth = 0;
    b.depth = 0xC8000000u;
    ASSERT_EQ(ClipLineView(&kClip, &a, &b, kLineClipDepth), kClipVisible);
    EXPECT_EQ(a.screenY, 0);
    EXPECT_EQ(b.screenY, 50);
    EXPECT_EQ(a.screenX, 40);
    EXPECT_EQ(b.screenX, 40);
    EXPECT_EQ(a.depth, 0x64000000u);
    EXPECT_EQ(b.depth, 0x96000000u);
}

TEST(ClipLineView, CutsAtTheCanvasEdgeLikeTheLineOperations) {
    const CanvasRect lineArea{0, 0, 639, 479};
    ViewVertex a = ViewPoint(-10, 5), b = ViewPoint(10, 5);
    ASSERT_EQ(ClipLineView(&lineArea, &a, &b, 0), kClipVisible);
    EXPECT_EQ(a.screenX, 0);
    EXPECT_EQ(a.screenY, 5);
    EXPECT_EQ(b.screenX, 10);

    ViewVertex c = ViewPoint(639, 0), d = ViewPoint(639, 400);
    EXPECT_EQ(ClipLineView(&lineArea, &c, &d, 0), kClipInvisible);
}

TEST(ClipLineView, HandlesSpansBeyondSixteenBitsAndAnEmptyRectangle) {
    // A 16.16 form of spans this long does not fit 32 bits.
    const CanvasRect clip{0, 0, 201, 201};
    ViewVertex a = ViewPoint(-99900, 0), b = ViewPoint(100, 100);
    ASSERT_EQ(ClipLineView(&clip, &a, &b, 0), kClipVisible);
    EXPECT_EQ(a.screenX, 0);
    EXPECT_GE(a.screenY, 99);
    EXPECT_LE(a.screenY, 100);

    // The fraction keeps 16 bits: over two million pixels it is off by a few.
    ViewVertex c = ViewPoint(-1000000, -1000000), d = ViewPoint(1000000, 1000000);
    ASSERT_EQ(ClipLineView(&clip, &c, &d, kLineClipDepth | kLineClipShade), kClipVisible);
    EXPECT_EQ(c.screenX, 0);
    EXPECT_EQ(c.screenY, 0);
    EXPECT_EQ(d.screenX, 200);
    EXPECT_NEAR(d.screenY, 200, 3);

    ViewVertex far1 = ViewPoint(INT32_MIN, INT32_MIN), far2 = ViewPoint(INT32_MAX, INT32_MAX);
    const int32_t result = ClipLineView(&clip, &far1, &far2, kLineClipDepth | kLineClipShade);
    EXPECT_TRUE(result == kClipVisible || result == kClipInvisible);

    const CanvasRect empty{10, 10, 0, 20};
    ViewVertex e = ViewPoint(0, 15), f = ViewPoint(30, 15);
    EXPECT_EQ(ClipLineView(&empty, &e, &f, 0), kClipInvisible);
    EXPECT_EQ(e.screenX, 0);
}

TEST(ClipLineView, BlendsPackedColoursPerChannelAndKeepsMixedForms) {
    struct Case {
        uint32_t cut, stays, landed;
    };
    const Case cases[] = {
        {0x10000000u, 0x10FE8040u, 0x107F4020u},   // direct colour, per byte
        // 5-5-5 (31, 16, 8) from black: each channel half way, rounded down
        {0x20000000u, 0x20000000u | 31u << 10 | 16u << 5 | 8u, 0x20000000u | 15u << 10 | 8u << 5 | 4u},
        // 5-6-5 (31, 62, 8) from black
        {0x40000000u, 0x40000000u | 31u << 11 | 62u << 5 | 8u, 0x40000000u | 15u << 11 | 31u << 5 | 4u},
        {5u, 0x10FFFFFFu, 5u},                     // nothing lies between an index and a direct colour
        {0x20000000u, 0x40000000u | 0xFFFFu, 0x20000000u},
    };
    for (const Case& c : cases) {
        ViewVertex a = ViewPoint(-50, 10), b = ViewPoint(50, 30);
        a.colour = c.cut;
        b.colour = c.stays;
        ASSERT_EQ(ClipLineView(&kClip, &a, &b, kLineClipShade), kClipVisible);
        EXPECT_EQ(a.colour, c.landed) << std::hex << c.cut << " to " << c.stays;
        EXPECT_EQ(b.colour, c.stays);
    }
}

TEST(ClipLineScreen, CutsInWholePixelsAndInterpolatesEveryWord) {
    ScreenVertex a = ScreenPoint(-49.75f, 10.9f), b = ScreenPoint(50.5f, 30.2f);
    a.depth = 0.0f;
    b.depth = 0.5f;
    a.colour = 10;
    b.colour = 30;
    a.intensity = 0.0f;
    b.intensity = 200.9f;
    a.u = 0.0f;
    b.u = 1.0f;
    a.v = 1.0f;
    b.v = 0.5f;
    a.invZ = 4.0f;   // beyond what 30 fraction bits hold: the float form keeps it
    b.invZ = 2.0f;
    ASSERT_EQ(ClipLineScreen(&kClip, &a, &b, kLineClipDepth | kLineClipShade), kClipVisible);

    // Truncated to (-49, 10) and (50, 30): the cut lands on (0, 20) at
    // fraction 50/99 from b, in 16.16.
    const int32_t t = (50 << 16) / 99;   // toward a
    EXPECT_EQ(a.x, 0.0f);
    EXPECT_EQ(a.y, 30.0f + float((-20 * t) >> 16));
    EXPECT_EQ(b.x, 50.0f);
    EXPECT_EQ(b.y, 30.0f);
    EXPECT_FLOAT_EQ(a.depth, 0.5f - 0.5f * float(t) / 65536.0f);
    EXPECT_EQ(b.depth, 0.5f);
    EXPECT_EQ(a.colour, 30u + uint32_t((-20 * t) >> 16));
    EXPECT_EQ(a.intensity, float(200 + ((-200 * t) >> 16)));
    EXPECT_EQ(b.intensity, 200.0f);   // intensities are whole numbers after a cut
    EXPECT_FLOAT_EQ(a.u, 1.0f - float(t) / 65536.0f);
    EXPECT_FLOAT_EQ(a.v, 0.5f + 0.5f * float(t) / 65536.0f);
    EXPECT_FLOAT_EQ(a.invZ, 2.0f + 2.0f * float(t) / 65536.0f);
    EXPECT_EQ(b.invZ, 2.0f);
}

TEST(ClipLineScreen, KeepsTheFloatDepthAndIntensityWhenTheyAreNotFollowed) {
    ScreenVertex a = ScreenPoint(50.5f, 30.5f), b = ScreenPoint(150.5f, 30.5f);
    a.depth = 0.3f;
    b.depth = 0.7f;
    a.intensity = 12.5f;
    b.intensity = 99.5f;
    ASSERT_EQ(ClipLineScreen(&kClip, &a, &b, 0), kClipVisible);
    EXPECT_EQ(a.x, 50.0f);
    EXPECT_EQ(a.y, 30.0f);
    EXPECT_EQ(b.x, 100.0f);
    EXPECT_EQ(a.depth, 0.3f);
    EXPECT_EQ(b.depth, 0.7f);
    EXPECT_EQ(a.intensity, 12.5f);
    EXPECT_EQ(b.intensity, 99.5f);
}

TEST(ClipLineScreen, ReportsInsideOnlyWhenAskedAndLeavesTheVerticesUntouched) {
    const ScreenVertex right = ScreenPoint(99.75f, 10.25f), left = ScreenPoint(0.5f, 49.5f);
    ScreenVertex a = right, b = left;
    EXPECT_EQ(ClipLineScreen(&kClip, &a, &b, kLineClipDepth), kClipVisible);
    EXPECT_TRUE(Same(a, right));
    EXPECT_TRUE(Same(b, left));
    EXPECT_EQ(ClipLineScreen(&kClip, &a, &b, kLineClipDepth | kLineClipReportInside), kLineClipInside);
    EXPECT_TRUE(Same(a, right));
    EXPECT_TRUE(Same(b, left));
}

TEST(ClipLineScreen, RefusesSegmentsOutsideAndSurvivesPositionsBeyondTheIntegerRange) {
    const ScreenVertex above1 = ScreenPoint(10.0f, -30.0f), above2 = ScreenPoint(90.0f, -0.5f);
    ScreenVertex a = above1, b = above2;
    // -0.5 truncates to row 0, inside; the other end is above: cut, not refused.
    EXPECT_EQ(ClipLineScreen(&kClip, &a, &b, 0), kClipVisible);

    const ScreenVertex out1 = ScreenPoint(10.0f, -30.0f), out2 = ScreenPoint(90.0f, -1.5f);
    a = out1;
    b = out2;
    EXPECT_EQ(ClipLineScreen(&kClip, &a, &b, kLineClipReportInside), kClipInvisible);
    EXPECT_TRUE(Same(a, out1));
    EXPECT_TRUE(Same(b, out2));

    ScreenVertex near = ScreenPoint(10.0f, 10.0f), far = ScreenPoint(1e20f, 10.0f);
    ASSERT_EQ(ClipLineScreen(&kClip, &near, &far, kLineClipDepth), kClipVisible);
    EXPECT_EQ(far.x, 100.0f);
    EXPECT_EQ(far.y, 10.0f);
}

}  // namespace
