#include "display/CanvasRect.h"

#include <gtest/gtest.h>

namespace {

const CanvasRect kClip{10, 20, 100, 50};   // [10, 110) by [20, 70)

::testing::AssertionResult SameRect(const CanvasRect& a, const CanvasRect& b) {
    if (a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.width << ", " << a.height
                                         << ") != (" << b.x << ", " << b.y << ", " << b.width << ", " << b.height
                                         << ")";
}

TEST(ClipRect, LeavesARectangleInsideUnchanged) {
    CanvasRect r{10, 20, 100, 50};
    EXPECT_EQ(ClipRect(&r, &kClip), kClipVisible);
    EXPECT_TRUE(SameRect(r, kClip));
    r = {50, 30, 5, 5};
    EXPECT_EQ(ClipRect(&r, &kClip), kClipVisible);
    EXPECT_TRUE(SameRect(r, {50, 30, 5, 5}));
}

TEST(ClipRect, CutsEachEdgeItCrosses) {
    CanvasRect left{0, 30, 20, 5};
    EXPECT_EQ(ClipRect(&left, &kClip), kClipVisible);
    EXPECT_TRUE(SameRect(left, {10, 30, 10, 5}));

    CanvasRect right{100, 30, 20, 5};
    EXPECT_EQ(ClipRect(&right, &kClip), kClipVisible);
    EXPECT_TRUE(SameRect(right, {100, 30, 10, 5}));

    CanvasRect top{50, 15, 5, 10};
    EXPECT_EQ(ClipRect(&top, &kClip), kClipVisible);
    EXPECT_TRUE(SameRect(top, {50, 20, 5, 5}));

    CanvasRect bottom{50, 65, 5, 10};
    EXPECT_EQ(ClipRect(&bottom, &kClip), kClipVisible);
    EXPECT_TRUE(SameRect(bottom, {50, 65, 5, 5}));

    CanvasRect all{-100, -100, 1000, 1000};
    EXPECT_EQ(ClipRect(&all, &kClip), kClipVisible);
    EXPECT_TRUE(SameRect(all, kClip));
}

TEST(ClipRect, KeepsTheLastColumnAndRowInside) {
    CanvasRect corner{109, 69, 1, 1};
    EXPECT_EQ(ClipRect(&corner, &kClip), kClipVisible);
    EXPECT_TRUE(SameRect(corner, {109, 69, 1, 1}));
}

TEST(ClipRect, RefusesRectanglesWhollyOutsideAndLeavesThemAlone) {
    const CanvasRect outside[] = {
        {110, 30, 5, 5},   // touching the right edge from outside
        {200, 30, 5, 5},   // right
        {0, 30, 10, 5},    // ends where the clip begins: nothing left
        {-50, 30, 5, 5},   // left
        {50, 70, 5, 5},    // touching the bottom edge from outside
        {50, 10, 5, 10},   // ends on the top edge
        {50, -40, 5, 5},   // above
        {50, 500, 5, 5},   // below
    };
    for (const CanvasRect& given : outside) {
        CanvasRect r = given;
        EXPECT_EQ(ClipRect(&r, &kClip), kClipInvisible) << given.x << ", " << given.y;
        EXPECT_TRUE(SameRect(r, given));
    }
}

TEST(ClipRect, RefusesEmptyRectanglesAndEmptyClips) {
    CanvasRect noWidth{50, 30, 0, 5};
    EXPECT_EQ(ClipRect(&noWidth, &kClip), kClipInvisible);
    CanvasRect noHeight{50, 30, 5, 0};
    EXPECT_EQ(ClipRect(&noHeight, &kClip), kClipInvisible);
    CanvasRect negative{50, 30, -5, 5};
    EXPECT_EQ(ClipRect(&negative, &kClip), kClipInvisible);

    const CanvasRect emptyClip{10, 20, 0, 0};
    CanvasRect r{0, 0, 100, 100};
    EXPECT_EQ(ClipRect(&r, &emptyClip), kClipInvisible);
    EXPECT_TRUE(SameRect(r, {0, 0, 100, 100}));
}

TEST(ClipRect, HandlesEdgesBeyondThe32BitRange) {
    const CanvasRect wide{0, 0, INT32_MAX, INT32_MAX};
    CanvasRect r{INT32_MAX - 10, INT32_MAX - 10, 100, 100};
    EXPECT_EQ(ClipRect(&r, &wide), kClipVisible);
    EXPECT_TRUE(SameRect(r, {INT32_MAX - 10, INT32_MAX - 10, 10, 10}));
}

}  // namespace
