// How the HUD's rows make way for the sight, with blank pictures standing
// in for rows of text (their places are all that counts).
#include "game/HudLayout.h"

#include <gtest/gtest.h>

#include "game/HudKeepClear.h"

namespace {

constexpr int32_t kRoom = HudKeepClear::kRoom;

bool Apart(const CanvasRect& a, const CanvasRect& b) {
    return a.y + a.height + kRoom <= b.y || b.y + b.height + kRoom <= a.y || a.x + a.width + kRoom <= b.x ||
           b.x + b.width + kRoom <= a.x;
}

// Three rows hung from the top and, under them, a row of a stack standing
// on the bottom. The sight laid over the second row: the second and third
// go down past it, in their order and at their spacing, and past the lower
// stack's row rather than onto it; the first row and the lower one stay.
// Laid low over the lower row, the sight sends only that row up.
TEST(HudLayoutTest, AStackOpensAGapRoundTheSightAwayFromItsEdge) {
    HudLayout layout;
    layout.BeginStack(HudLayout::kOpenDown);
    for (const int32_t y : {10, 22, 34}) {
        layout.BeginUnit();
        layout.Picture(nullptr, CanvasRect{8, y, 300, 9});
    }
    layout.BeginStack(HudLayout::kOpenUp);
    layout.Picture(nullptr, CanvasRect{100, 60, 200, 9});
    const CanvasRect sight{150, 24, 27, 27};
    layout.MakeWay(sight, 480);
    EXPECT_EQ(layout.PlaceOf(0).y, 10);
    const CanvasRect second = layout.PlaceOf(1), third = layout.PlaceOf(2), lower = layout.PlaceOf(3);
    EXPECT_EQ(lower.y, 60);
    EXPECT_TRUE(Apart(second, sight));
    EXPECT_TRUE(Apart(second, lower) && Apart(third, lower));
    EXPECT_EQ(third.y - second.y, 12);
    EXPECT_EQ(second.y, lower.y + lower.height + kRoom) << "the gap is wider than it needs";

    HudLayout low;
    low.BeginStack(HudLayout::kOpenUp);
    low.Picture(nullptr, CanvasRect{100, 460, 200, 9});
    low.BeginUnit();
    low.Picture(nullptr, CanvasRect{100, 448, 200, 9});
    const CanvasRect lowSight{180, 455, 27, 27};
    low.MakeWay(lowSight, 480);
    EXPECT_EQ(low.PlaceOf(0).y, 460 - (460 + 9 + kRoom - lowSight.y)) << "the row the sight is on moved wrong";
    EXPECT_EQ(low.PlaceOf(1).y - low.PlaceOf(0).y, -12);
}

// A stack with no room left before the screen's edge stays where it is,
// rather than running its rows off the screen.
TEST(HudLayoutTest, AStackWithNoRoomStaysPut) {
    HudLayout layout;
    layout.BeginStack(HudLayout::kOpenDown);
    layout.Picture(nullptr, CanvasRect{8, 460, 300, 9});
    layout.MakeWay(CanvasRect{100, 455, 27, 27}, 480);
    EXPECT_EQ(layout.PlaceOf(0).y, 460);
}

}  // namespace
