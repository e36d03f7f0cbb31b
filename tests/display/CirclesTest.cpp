#include "display/Circles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "display/Palette.h"
#include "tests/support/RecordingCanvas.h"

namespace {

using Point = std::pair<int32_t, int32_t>;

std::vector<Point> PointsOf(const RecordingCanvas& canvas, const char* op) {
    std::vector<Point> points;
    for (const CanvasCall& call : canvas.CallsOf(op)) points.emplace_back(call.view[0].screenX, call.view[0].screenY);
    return points;
}

std::vector<Point> Relative(const std::vector<Point>& points, int32_t cx, int32_t cy) {
    std::vector<Point> out;
    for (const auto& [x, y] : points) out.emplace_back(x - cx, y - cy);
    return out;
}

// The eight mirror images of the octant point (x, y), in drawing order.
std::vector<Point> Mirrors(int32_t x, int32_t y) {
    return {{x, y}, {x, -y}, {-x, -y}, {-x, y}, {y, x}, {y, -x}, {-y, -x}, {-y, x}};
}

std::vector<Point> Outline(const std::vector<Point>& octant) {
    std::vector<Point> out;
    for (const auto& [x, y] : octant) {
        const std::vector<Point> m = Mirrors(x, y);
        out.insert(out.end(), m.begin(), m.end());
    }
    return out;
}

TEST(Circles, RadiusZeroPlotsTheCentreEightTimes) {
    RecordingCanvas canvas;
    ViewVertex centre;
    centre.screenX = 30;
    centre.screenY = 40;
    DrawCircleVertex(&canvas, &centre, 0);
    EXPECT_EQ(PointsOf(canvas, "PlotPixelInt"), std::vector<Point>(8, Point{30, 40}));
    EXPECT_EQ(canvas.Calls().size(), 8u);
}

TEST(Circles, NegativeRadiusDrawsNothing) {
    RecordingCanvas canvas;
    DrawCircle(&canvas, 30, 40, -1, 7);
    DrawCircleDots(&canvas, 30, 40, -5, 7, 3);
    EXPECT_TRUE(canvas.Calls().empty());
}

TEST(Circles, SmallRadiiPlotTheirOctantsMirroredInOrder) {
    const std::map<int32_t, std::vector<Point>> octants = {
        {1, {{0, 1}, {1, 1}}},
        {2, {{0, 2}, {1, 2}}},
        {5, {{0, 5}, {1, 5}, {2, 5}, {3, 4}}},
    };
    for (const auto& [radius, octant] : octants) {
        RecordingCanvas canvas;
        DrawCircleColor(&canvas, 100, 50, radius, 3);
        EXPECT_EQ(Relative(PointsOf(canvas, "PlotPixelInt"), 100, 50), Outline(octant)) << "radius " << radius;
    }
}

// For any radius: x steps by one from 0 while y holds or steps down by one,
// every point lies within half a pixel of the circle, and the only repeated
// points are those on the axes and on the diagonals.
TEST(Circles, LargerRadiiStayOnTheCircleAndRepeatOnlyAxisAndDiagonalPoints) {
    for (const int32_t radius : {3, 7, 10, 16, 33, 100}) {
        SCOPED_TRACE(radius);
        RecordingCanvas canvas;
        DrawCircleColor(&canvas, 0, 0, radius, 3);
        const std::vector<Point> points = PointsOf(canvas, "PlotPixelInt");
        ASSERT_EQ(points.size() % 8, 0u);

        std::vector<Point> octant;
        for (size_t i = 0; i < points.size(); i += 8) octant.push_back(points[i]);
        ASSERT_EQ(Outline(octant), points);
        EXPECT_EQ(octant.front(), Point(0, radius));
        for (size_t i = 0; i < octant.size(); ++i) {
            const auto [x, y] = octant[i];
            EXPECT_EQ(x, int32_t(i));
            EXPECT_LE(x, y);
            if (i > 0) {
                EXPECT_LE(octant[i - 1].second - y, 1);
                EXPECT_GE(octant[i - 1].second - y, 0);
            }
            // |sqrt(x^2 + y^2) - r| <= 1/2, squared out.
            const double distance = std::sqrt(double(x) * x + double(y) * y);
            EXPECT_LE(std::abs(distance - radius), 0.5 + 1e-9) << x << ", " << y;
        }
        // The octant ends at the diagonal.
        const auto [lastX, lastY] = octant.back();
        EXPECT_LE(lastY - lastX, 1);

        std::map<Point, int> seen;
        for (const Point& p : points) ++seen[p];
        for (const auto& [p, count] : seen) {
            const bool onAxis = p.first == 0 || p.second == 0;
            const bool onDiagonal = std::abs(p.first) == std::abs(p.second);
            EXPECT_EQ(count, onAxis || onDiagonal ? 2 : 1) << p.first << ", " << p.second;
        }
    }
}

TEST(Circles, ColourFormsGiveEachPointTheColourAtFullIntensity) {
    PaletteIndexed8 palette;
    ShadeTable shades;
    shades.pivot = 120;
    palette.SwapShades(&shades);
    RecordingCanvas canvas(640, 480, &palette);

    DrawCircleColor(&canvas, 10, 20, 4, 0x2A);
    DrawCircle(&canvas, 10, 20, 4, 0x2A);
    for (const char* op : {"PlotPixelInt", "PlotPixelClippedInt"}) {
        for (const CanvasCall& call : canvas.CallsOf(op)) {
            ViewVertex expected;
            expected.screenX = call.view[0].screenX;
            expected.screenY = call.view[0].screenY;
            expected.colour = 0x2A;
            expected.intensity = 120;
            EXPECT_EQ(std::memcmp(&call.view[0], &expected, sizeof expected), 0) << call.text;
            EXPECT_EQ(call.rgbPointer, nullptr);
            EXPECT_FALSE(call.clip.has_value());
        }
    }
    EXPECT_EQ(canvas.CountOf("PlotPixelClippedInt"), canvas.CountOf("PlotPixelInt") / 2);
}

TEST(Circles, VertexFormsCopyTheCentreAndRgbFormsPassTheirColour) {
    RecordingCanvas canvas;
    ViewVertex centre;
    centre.x = 1.5f;
    centre.screenX = 200;
    centre.screenY = 100;
    centre.depth = 0x12345678;
    centre.colour = 9;
    centre.intensity = 77;
    centre.u = 5;
    centre.spare = 0xABCD;
    DrawCircleVertexClipped(&canvas, &centre, 3);
    const std::vector<CanvasCall> clipped = canvas.CallsOf("PlotPixelClippedInt");
    ASSERT_FALSE(clipped.empty());
    for (const CanvasCall& call : clipped) {
        ViewVertex expected = centre;
        expected.screenX = call.view[0].screenX;
        expected.screenY = call.view[0].screenY;
        EXPECT_EQ(std::memcmp(&call.view[0], &expected, sizeof expected), 0) << call.text;
    }
    EXPECT_EQ(Relative(PointsOf(canvas, "PlotPixelClippedInt"), 200, 100), Outline({{0, 3}, {1, 3}, {2, 2}}));

    canvas.ForgetCalls();
    const uint8_t rgb[4] = {255, 128, 0, 0};
    DrawCircleRgb(&canvas, 5, 5, 2, rgb);
    DrawCircleRgbClipped(&canvas, 5, 5, 2, rgb);
    const std::vector<CanvasCall> calls = canvas.Calls();
    ASSERT_FALSE(calls.empty());
    for (const CanvasCall& call : calls) {
        EXPECT_EQ(call.rgbPointer, rgb) << call.text;
        EXPECT_EQ(call.view[0].colour, 0u);
        EXPECT_EQ(call.view[0].intensity, 0);
    }
}

TEST(Circles, ClippedFormsLeaveOffCanvasPointsToTheCanvas) {
    RecordingCanvas canvas(64, 48);
    DrawCircle(&canvas, 0, 0, 5, 1);
    // Every point goes to the clipped slot; only those on the canvas are drawn.
    EXPECT_EQ(canvas.CountOf("PlotPixelClippedInt"), 32u);
    for (const CanvasCall& call : canvas.CallsOf("PlotPixelInt")) {
        EXPECT_GE(call.view[0].screenX, 0);
        EXPECT_GE(call.view[0].screenY, 0);
    }
    EXPECT_EQ(canvas.CountOf("PlotPixelInt"), 10u);   // (0, 5), (5, 0) twice; (1, 5), (2, 5), (3, 4) and mirrors
}

TEST(Circles, DotsFillSquaresCentredOnEachPoint) {
    RecordingCanvas canvas;
    DrawCircleDots(&canvas, 100, 100, 2, 0x10FF0000u, 3);
    const std::vector<CanvasCall> fills = canvas.CallsOf("FillRect");
    const std::vector<Point> expected = Outline({{0, 2}, {1, 2}});
    ASSERT_EQ(fills.size(), expected.size());
    for (size_t i = 0; i < fills.size(); ++i) {
        const CanvasRect& r = *fills[i].rect;
        EXPECT_EQ(r.x, 100 + expected[i].first - 1);
        EXPECT_EQ(r.y, 100 + expected[i].second - 1);
        EXPECT_EQ(r.width, 3);
        EXPECT_EQ(r.height, 3);
        EXPECT_EQ(fills[i].words, std::vector<uint32_t>{0x10FF0000u});
    }

    canvas.ForgetCalls();
    DrawCircleDots(&canvas, 100, 100, 0, 4, 4);   // even sides: the corner is size / 2 up and left
    ASSERT_EQ(canvas.CountOf("FillRect"), 8u);
    EXPECT_EQ(canvas.Calls()[0].rect->x, 98);
    EXPECT_EQ(canvas.Calls()[0].rect->y, 98);
}

TEST(Circles, ClippedDotsGoThroughTheClippedFillWithNoClipRectangle) {
    RecordingCanvas canvas(64, 48);
    DrawCircleDotsClipped(&canvas, 2, 2, 3, 5, 4);
    const std::vector<CanvasCall> clipped = canvas.CallsOf("FillRectClipped");
    ASSERT_EQ(clipped.size(), 24u);   // octant (0, 3), (1, 3), (2, 2)
    for (const CanvasCall& call : clipped) {
        EXPECT_FALSE(call.clip.has_value());
        EXPECT_EQ(call.words, std::vector<uint32_t>{5u});
    }
    // The shared clipped fill cuts squares to the canvas before filling.
    for (const CanvasCall& call : canvas.CallsOf("FillRect")) {
        EXPECT_GE(call.rect->x, 0);
        EXPECT_GE(call.rect->y, 0);
        EXPECT_GT(call.rect->width, 0);
    }
    EXPECT_EQ(canvas.CountOf("FillRect"), 24u);   // every square touches the canvas here
}

TEST(Circles, PointsBeyondTheIntegerRangeAreLeftOut) {
    RecordingCanvas canvas;
    DrawCircle(&canvas, INT32_MAX, 0, 2, 1);
    for (const CanvasCall& call : canvas.CallsOf("PlotPixelClippedInt")) {
        EXPECT_LE(call.view[0].screenX, INT32_MAX);
        EXPECT_GE(call.view[0].screenX, INT32_MAX - 2);
    }
    // x + 1 and x + 2 do not exist: of the 16 points the 10 at or left of the centre remain.
    EXPECT_EQ(canvas.CountOf("PlotPixelClippedInt"), 10u);
}

}  // namespace
