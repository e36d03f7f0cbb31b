#include "raster/TriangleEdges8.h"

#include <array>
#include <cstdint>

#include <gtest/gtest.h>

#include "tests/raster/Canvas8Fixture.h"

namespace {

using Triangle = std::array<FixedVertex, 3>;

std::array<int32_t, 3> Order(int32_t y0, int32_t y1, int32_t y2) {
    Triangle t{Fixed(0, 0), Fixed(0, 0), Fixed(0, 0)};
    t[0].y = y0;
    t[1].y = y1;
    t[2].y = y2;
    std::array<int32_t, 3> order{};
    SortTriangleByY(&order[0], &order[1], &order[2], t.data());
    return order;
}

constexpr int32_t kPixel = 0x10000;

}  // namespace

TEST(SortTriangleByY, OrdersEveryPermutationTopFirst) {
    EXPECT_EQ(Order(1, 2, 3), (std::array<int32_t, 3>{0, 1, 2}));
    EXPECT_EQ(Order(1, 3, 2), (std::array<int32_t, 3>{0, 2, 1}));
    EXPECT_EQ(Order(2, 1, 3), (std::array<int32_t, 3>{1, 0, 2}));
    EXPECT_EQ(Order(3, 1, 2), (std::array<int32_t, 3>{1, 2, 0}));
    EXPECT_EQ(Order(2, 3, 1), (std::array<int32_t, 3>{2, 0, 1}));
    EXPECT_EQ(Order(3, 2, 1), (std::array<int32_t, 3>{2, 1, 0}));
}

// Ties decide which vertex starts an edge, so they keep the drawn order.
TEST(SortTriangleByY, BreaksTiesInTheDrawnOrder) {
    EXPECT_EQ(Order(5, 5, 9), (std::array<int32_t, 3>{1, 0, 2}));
    EXPECT_EQ(Order(5, 5, 5), (std::array<int32_t, 3>{2, 1, 0}));
    EXPECT_EQ(Order(5, 9, 9), (std::array<int32_t, 3>{0, 1, 2}));
    EXPECT_EQ(Order(5, 9, 5), (std::array<int32_t, 3>{0, 2, 1}));
    EXPECT_EQ(Order(9, 5, 5), (std::array<int32_t, 3>{2, 1, 0}));
}

TEST(TriangleRow8, RoundsHalfUp) {
    EXPECT_EQ(TriangleRow8(10 * kPixel + 0x7FFF), 10);
    EXPECT_EQ(TriangleRow8(10 * kPixel + 0x8000), 11);
    EXPECT_EQ(TriangleRow8(-kPixel / 2), 0);
    EXPECT_EQ(TriangleRow8(-kPixel / 2 - 1), -1);
    EXPECT_EQ(TriangleRow8(INT32_MAX), 32768);
}

TEST(SetUpTriangle8, StartsEachEdgeAtItsVertexWithoutPrestep) {
    Canvas8Fixture canvas(40, 30);
    const Triangle t{Fixed(10.3, 5.4), Fixed(30.0, 12.0), Fixed(4.0, 20.2)};
    TriangleFrame8 frame;
    ASSERT_TRUE(SetUpTriangle8(canvas.Target(), t.data(), TriangleSides8::kMiddleRow, &frame));
    EXPECT_EQ(frame.firstRow, 5);
    EXPECT_EQ(frame.lastRow, 20);
    // The long edge runs down the left; its records start exactly at the top
    // vertex's x and grow by dx / dy in 16.16, truncated.
    const int32_t step = int32_t(int64_t(t[2].x - t[0].x) * kPixel / (t[2].y - t[0].y));
    for (int32_t i = 0; i <= 15; ++i) {
        EXPECT_EQ(frame.left[i].x, t[0].x + i * step) << "row " << 5 + i;
    }
    EXPECT_EQ(frame.right[0].x, t[0].x);
    // The lower short edge takes over at the middle row, from the middle vertex.
    EXPECT_EQ(frame.right[12 - 5].x, t[1].x);
}

TEST(SetUpTriangle8, StepsAnEdgeShorterThanOnePixelByItsWholeWidth) {
    Canvas8Fixture canvas(40, 30);
    // Middle and bottom share row 11, so the upper short edge writes row 11 too.
    const Triangle t{Fixed(4.0, 10.2), Fixed(20.0, 10.9), Fixed(8.0, 11.3)};
    TriangleFrame8 frame;
    ASSERT_TRUE(SetUpTriangle8(canvas.Target(), t.data(), TriangleSides8::kMiddleRow, &frame));
    ASSERT_EQ(frame.firstRow, 10);
    ASSERT_EQ(frame.lastRow, 11);
    EXPECT_EQ(frame.right[1].x, t[1].x);   // 4 + 16, not 4 + 16 / 0.7
    EXPECT_EQ(frame.left[1].x, t[0].x + int32_t(int64_t(4 * kPixel) * kPixel / (t[2].y - t[0].y)));
}

TEST(SetUpTriangle8, SaturatesAStepBeyond32Bits) {
    Canvas8Fixture canvas(8, 8);
    const Triangle t{Fixed(-32000.0, 0.0), Fixed(32000.0, 1.0), Fixed(-32000.0, 1.0)};
    TriangleFrame8 frame;
    ASSERT_TRUE(SetUpTriangle8(canvas.Target(), t.data(), TriangleSides8::kMiddleRow, &frame));
    const SpanEdge* upperSide = reinterpret_cast<const SpanEdge*>(canvas.Target()->spanBufferB);
    EXPECT_EQ(upperSide[1].x, t[0].x + INT32_MAX);
}

TEST(SetUpTriangle8, KeepsOnlyTheRowsOnTheCanvas) {
    Canvas8Fixture canvas(16, 20);
    const Triangle t{Fixed(2.0, -100.0), Fixed(13.0, 10.0), Fixed(2.0, 100.0)};
    TriangleFrame8 frame;
    ASSERT_TRUE(SetUpTriangle8(canvas.Target(), t.data(), TriangleSides8::kMiddleRow, &frame));
    EXPECT_EQ(frame.firstRow, 0);
    EXPECT_EQ(frame.lastRow, 19);
    // Record 0 is canvas row 0, 100 steps below the top vertex.
    const int32_t step = int32_t(int64_t(11 * kPixel) * kPixel / (110 * kPixel));
    EXPECT_EQ(frame.right[0].x, t[0].x + 100 * step);
    EXPECT_EQ(frame.left[5].x, t[0].x);
}

TEST(SetUpTriangle8, RefusesRowsThatRoundTogetherOrMissTheCanvas) {
    Canvas8Fixture canvas(16, 16);
    TriangleFrame8 frame;
    const Triangle flat{Fixed(1.0, 4.1), Fixed(9.0, 4.3), Fixed(5.0, 4.45)};
    EXPECT_FALSE(SetUpTriangle8(canvas.Target(), flat.data(), TriangleSides8::kMiddleRow, &frame));
    const Triangle above{Fixed(1.0, -9.0), Fixed(9.0, -4.0), Fixed(5.0, -0.6)};
    EXPECT_FALSE(SetUpTriangle8(canvas.Target(), above.data(), TriangleSides8::kMiddleRow, &frame));
    const Triangle below{Fixed(1.0, 15.5), Fixed(9.0, 18.0), Fixed(5.0, 30.0)};
    EXPECT_FALSE(SetUpTriangle8(canvas.Target(), below.data(), TriangleSides8::kMiddleRow, &frame));
}

TEST(SetUpTriangle8, MeasuresRowStepsOnTheMiddleRow) {
    Canvas8Fixture canvas(64, 40);
    const Triangle t{Fixed(10.0, 0.0, 0.0, 0.0), Fixed(50.0, 20.0, 200.0, 40.0, 8.0, 1.0, 0.5),
                     Fixed(10.0, 30.0, 0.0, 0.0)};
    TriangleFrame8 frame;
    ASSERT_TRUE(SetUpTriangle8(canvas.Target(), t.data(), TriangleSides8::kMiddleRow, &frame));
    // Row 20: the left edge is at x 10 with everything 0, the right edge is
    // the middle vertex itself, 40 columns further.
    EXPECT_EQ(frame.shadeStep, t[1].intensity / 40);
    EXPECT_EQ(frame.uStep, t[1].u / 40);
    EXPECT_EQ(frame.vStep, t[1].v / 40);
    EXPECT_EQ(frame.depthStep, int32_t((t[1].depth >> 1) - (t[0].depth >> 1)) / 40);
}

TEST(SetUpTriangle8, MeasuresOnTheRowAboveWhenMiddleAndBottomShareARow) {
    Canvas8Fixture canvas(64, 40);
    const Triangle t{Fixed(10.0, 0.0, 0.0), Fixed(50.0, 20.0, 200.0), Fixed(10.0, 20.2, 0.0)};
    TriangleFrame8 frame;
    ASSERT_TRUE(SetUpTriangle8(canvas.Target(), t.data(), TriangleSides8::kMiddleRow, &frame));
    // Row 19: the upper edge has come 19 of its 20 steps.
    const int32_t xStep = int32_t(int64_t(40 * kPixel) * kPixel / (20 * kPixel));
    const int32_t shadeStep = int32_t(int64_t(t[1].intensity) * kPixel / (20 * kPixel));
    const int32_t right = t[0].x + 19 * xStep;
    const int32_t leftStep = int32_t(int64_t(t[2].x - t[0].x) * kPixel / (t[2].y - t[0].y));
    const int32_t width = TriangleColumn8(right) - TriangleColumn8(t[0].x + 19 * leftStep);
    EXPECT_EQ(frame.shadeStep, 19 * shadeStep / width);
}

// Middle and bottom share row 11. On the middle row the long edge lies left
// of the upper edge; on the measuring row above, the top row, both are at
// the top vertex, and equal x makes the long edge the right side.
TEST(SetUpTriangle8, DecidesSidesOnTheMiddleOrTheMeasuringRow) {
    Canvas8Fixture canvas(40, 20);
    const Triangle t{Fixed(10.0, 9.6), Fixed(30.0, 10.7), Fixed(0.0, 11.4)};
    const SpanEdge* longSide = reinterpret_cast<const SpanEdge*>(canvas.Target()->spanBufferA);
    TriangleFrame8 frame;
    ASSERT_TRUE(SetUpTriangle8(canvas.Target(), t.data(), TriangleSides8::kMiddleRow, &frame));
    EXPECT_EQ(frame.left, longSide);
    ASSERT_TRUE(SetUpTriangle8(canvas.Target(), t.data(), TriangleSides8::kMeasuringRow, &frame));
    EXPECT_EQ(frame.right, longSide);
}

TEST(SetUpTriangle8, RefusesACanvasWithoutBuffers) {
    Canvas8Fixture canvas(8, 8);
    const Triangle t{Fixed(1.0, 1.0), Fixed(6.0, 2.0), Fixed(3.0, 6.0)};
    TriangleFrame8 frame;
    canvas.Target()->spanBufferB = nullptr;
    EXPECT_FALSE(SetUpTriangle8(canvas.Target(), t.data(), TriangleSides8::kMiddleRow, &frame));
    EXPECT_FALSE(SetUpTriangle8(nullptr, t.data(), TriangleSides8::kMiddleRow, &frame));
}
