#include "raster/Lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "display/Palette.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/Vertices.h"

namespace {

ViewVertex End(int32_t x, int32_t y, uint32_t depth = 0, uint32_t colour = 0, int32_t intensity = 0) {
    return ViewPoint(x, y, colour, intensity, depth);
}

// The plotted records in order.
std::vector<ViewVertex> Plots(const RecordingCanvas& canvas) {
    std::vector<ViewVertex> plots;
    for (const CanvasCall& call : canvas.CallsOf("PlotPixelInt")) {
        plots.push_back(call.view.at(0));
    }
    return plots;
}

std::vector<std::pair<int32_t, int32_t>> Positions(const RecordingCanvas& canvas) {
    std::vector<std::pair<int32_t, int32_t>> positions;
    for (const ViewVertex& v : Plots(canvas)) {
        positions.emplace_back(v.screenX, v.screenY);
    }
    return positions;
}

using PositionList = std::vector<std::pair<int32_t, int32_t>>;

TEST(RasterLineFlat, HorizontalLinePlotsUpToTheEndThenBothEndPoints) {
    RecordingCanvas canvas;
    const ViewVertex p = End(2, 7), q = End(6, 7);
    RasterLineFlat(&canvas, &p, &q, nullptr);
    EXPECT_EQ(Positions(canvas), (PositionList{{2, 7}, {3, 7}, {4, 7}, {5, 7}, {2, 7}, {6, 7}}));
}

TEST(RasterLineFlat, CanvasFlag800LeavesTheEndPointsOut) {
    RecordingCanvas canvas(640, 480, nullptr, Canvas::kFlagSetUp | Canvas::kFlag16Bit);
    const ViewVertex p = End(2, 7), q = End(6, 7);
    RasterLineFlat(&canvas, &p, &q, nullptr);
    EXPECT_EQ(Positions(canvas), (PositionList{{2, 7}, {3, 7}, {4, 7}, {5, 7}}));
}

TEST(RasterLineFlat, VerticalLineStepsDownFromTheUpperEnd) {
    RecordingCanvas canvas;
    const ViewVertex p = End(4, 9), q = End(4, 6);
    RasterLineFlat(&canvas, &p, &q, nullptr);
    EXPECT_EQ(Positions(canvas), (PositionList{{4, 6}, {4, 7}, {4, 8}, {4, 6}, {4, 9}}));
}

TEST(RasterLineFlat, CoincidentEndsPlotOnlyTheEndPointsTwice) {
    RecordingCanvas canvas;
    const ViewVertex p = End(3, 3), q = End(3, 3);
    RasterLineFlat(&canvas, &p, &q, nullptr);
    EXPECT_EQ(Positions(canvas), (PositionList{{3, 3}, {3, 3}}));

    RecordingCanvas without(640, 480, nullptr, Canvas::kFlagSetUp | Canvas::kFlag16Bit);
    RasterLineFlat(&without, &p, &q, nullptr);
    EXPECT_TRUE(Plots(without).empty());
}

TEST(RasterLineFlat, DiagonalWalksInFromBothEnds) {
    RecordingCanvas canvas;
    const ViewVertex p = End(0, 0), q = End(4, 2);
    RasterLineFlat(&canvas, &p, &q, nullptr);
    // Front and back pairs, the middle pixel twice, then the end points.
    EXPECT_EQ(Positions(canvas), (PositionList{{1, 1}, {3, 1}, {2, 1}, {2, 1}, {0, 0}, {4, 2}}));
}

TEST(RasterLineFlat, SteepLineStepsAlongYAndItsMinorSignFollowsTheEnd) {
    RecordingCanvas canvas(640, 480, nullptr, Canvas::kFlagSetUp | Canvas::kFlag16Bit);
    const ViewVertex p = End(10, 0), q = End(7, 6);
    RasterLineFlat(&canvas, &p, &q, nullptr);
    const PositionList positions = Positions(canvas);
    ASSERT_FALSE(positions.empty());
    for (const auto& [x, y] : positions) {
        EXPECT_GE(x, 7);
        EXPECT_LE(x, 10);
        EXPECT_GT(y, 0);
        EXPECT_LT(y, 6);
    }
    // Every row between the ends is reached, x falling as y grows.
    std::vector<int32_t> columnOfRow(6, -1);
    for (const auto& [x, y] : positions) {
        columnOfRow[size_t(y)] = x;
    }
    for (int32_t y = 1; y < 6; ++y) {
        ASSERT_NE(columnOfRow[size_t(y)], -1) << "row " << y;
        if (y > 1) {
            EXPECT_LE(columnOfRow[size_t(y)], columnOfRow[size_t(y - 1)]);
        }
    }
}

TEST(RasterLineFlat, EitherOrderOfTheEndsPlotsTheSamePixels) {
    const std::vector<std::array<int32_t, 4>> lines = {{0, 0, 7, 3}, {5, 1, 0, 9}, {0, 5, 6, 5}, {2, 2, 8, 8}};
    for (const auto& line : lines) {
        RecordingCanvas forward, backward;
        const ViewVertex p = End(line[0], line[1]), q = End(line[2], line[3]);
        RasterLineFlat(&forward, &p, &q, nullptr);
        RasterLineFlat(&backward, &q, &p, nullptr);
        PositionList a = Positions(forward), b = Positions(backward);
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        EXPECT_EQ(a, b) << line[0] << "," << line[1] << " - " << line[2] << "," << line[3];
    }
}

TEST(RasterLineFlat, EveryPixelCarriesTheStartColourIntensityAndColourPointer) {
    RecordingCanvas canvas;
    const uint8_t rgb[3] = {1, 2, 3};
    // q has the smaller x, so it is the start.
    const ViewVertex p = End(9, 1, 0, 0x22, 200), q = End(5, 3, 0, 0x11, 40);
    RasterLineFlat(&canvas, &p, &q, rgb);
    const std::vector<CanvasCall> calls = canvas.CallsOf("PlotPixelInt");
    ASSERT_EQ(calls.size(), 6u);
    for (const CanvasCall& call : calls) {
        EXPECT_EQ(call.view.at(0).colour, 0x11u);
        EXPECT_EQ(call.view.at(0).intensity, 40);
        EXPECT_EQ(call.rgbPointer, rgb);
    }
}

TEST(RasterLineFlat, DepthStepsOnlyWithTheDepthTest) {
    const ViewVertex p = End(0, 0, 0), q = End(4, 0, 400);
    RecordingCanvas tested(640, 480, nullptr, Canvas::kFlagSetUp | Canvas::kFlagDepthTest);
    RasterLineFlat(&tested, &p, &q, nullptr);
    std::vector<uint32_t> depths;
    for (const ViewVertex& v : Plots(tested)) depths.push_back(v.depth);
    // The step is added before each plot; the end points keep their own depth.
    EXPECT_EQ(depths, (std::vector<uint32_t>{100, 200, 300, 400, 0, 400}));

    RecordingCanvas untested;
    RasterLineFlat(&untested, &p, &q, nullptr);
    depths.clear();
    for (const ViewVertex& v : Plots(untested)) depths.push_back(v.depth);
    EXPECT_EQ(depths, (std::vector<uint32_t>{0, 0, 0, 0, 0, 400}));
}

TEST(RasterLineFlat, DiagonalDepthShrinksFromTheBackEnd) {
    RecordingCanvas canvas(640, 480, nullptr, Canvas::kFlagSetUp | Canvas::kFlagDepthTest | Canvas::kFlag16Bit);
    const ViewVertex p = End(0, 0, 1000), q = End(4, 4, 1400);
    RasterLineFlat(&canvas, &p, &q, nullptr);
    std::vector<uint32_t> depths;
    for (const ViewVertex& v : Plots(canvas)) depths.push_back(v.depth);
    EXPECT_EQ(depths, (std::vector<uint32_t>{1100, 1300, 1200, 1200}));
}

TEST(RasterLineFlat, DepthStepSaturatesInsteadOfOverflowing) {
    RecordingCanvas canvas(640, 480, nullptr, Canvas::kFlagSetUp | Canvas::kFlagDepthTest | Canvas::kFlag16Bit);
    const ViewVertex p = End(0, 0, 0), q = End(1, 1, 0xFFFFFFFF);
    RasterLineFlat(&canvas, &p, &q, nullptr);
    const std::vector<ViewVertex> plots = Plots(canvas);
    ASSERT_EQ(plots.size(), 2u);
    EXPECT_EQ(plots[0].depth, 0x7FFFFFFFu);
    EXPECT_EQ(plots[1].depth, 0xFFFFFFFFu - 0x7FFFFFFFu);
}

TEST(RasterLineShaded, IntensityRunsFromEndToEnd) {
    RecordingCanvas canvas;
    const ViewVertex p = End(10, 0, 0, 5, 200), q = End(6, 0, 0, 9, 0);
    RasterLineShaded(&canvas, &p, &q, nullptr);
    std::vector<int32_t> shades;
    std::vector<int32_t> columns;
    for (const ViewVertex& v : Plots(canvas)) {
        shades.push_back(v.intensity);
        columns.push_back(v.screenX);
        EXPECT_EQ(v.colour, 9u);   // the start's colour word
    }
    EXPECT_EQ(columns, (std::vector<int32_t>{6, 7, 8, 9, 6, 10}));
    EXPECT_EQ(shades, (std::vector<int32_t>{50, 100, 150, 200, 0, 200}));
}

TEST(RasterLineShaded, ColourPointerIsMatchedOnceAndPlotsGetNone) {
    PaletteIndexed8 palette;
    palette.Conversion().index[InverseColorTable::IndexOf(80, 160, 240)] = 77;
    RecordingCanvas canvas(640, 480, &palette);
    const uint8_t rgb[3] = {80, 160, 240};
    const ViewVertex p = End(0, 0, 0, 5, 10), q = End(3, 2, 0, 6, 250);
    RasterLineShaded(&canvas, &p, &q, rgb);
    const std::vector<CanvasCall> calls = canvas.CallsOf("PlotPixelInt");
    ASSERT_FALSE(calls.empty());
    for (const CanvasCall& call : calls) {
        EXPECT_EQ(call.view.at(0).colour, 77u);
        EXPECT_EQ(call.rgbPointer, nullptr);
    }
}

TEST(RasterLineShaded, DiagonalShadesMeetInTheMiddle) {
    RecordingCanvas canvas(640, 480, nullptr, Canvas::kFlagSetUp | Canvas::kFlag16Bit);
    const ViewVertex p = End(0, 0, 0, 1, 0), q = End(4, 4, 0, 1, 160);
    RasterLineShaded(&canvas, &p, &q, nullptr);
    std::vector<int32_t> shades;
    for (const ViewVertex& v : Plots(canvas)) shades.push_back(v.intensity);
    EXPECT_EQ(shades, (std::vector<int32_t>{40, 120, 80, 80}));
}

// Steps off the canvas are skipped, not walked: a line far longer than the
// canvas plots no more than its pixels there, and exactly those a walk of
// every step plots. The reference is the same line on a canvas so large that
// nothing is skipped, moved so that it lies wholly on it; that canvas records
// only the pixels over the small one, the rest of its walk passing unrecorded.
TEST(RasterLines, LinesReachingFarOffTheCanvasPlotExactlyTheirPixelsOnIt) {
    constexpr int32_t kWidth = 64, kHeight = 48, kShift = 4000;
    uint32_t seed = 12345;
    const auto next = [&seed](int32_t range) {
        seed = seed * 1103515245u + 12345u;
        return int32_t((seed >> 8) % uint32_t(2 * range + 1)) - range;
    };
    const auto onCanvas = [](const ViewVertex& v) {
        return v.screenX >= 0 && v.screenX < kWidth && v.screenY >= 0 && v.screenY < kHeight;
    };
    for (int line = 0; line < 400; ++line) {
        const int32_t range = line % 2 == 0 ? 100 : 3000;
        const ViewVertex p = End(next(range), next(range), uint32_t(next(1 << 20) + (1 << 21)), 5, next(200));
        const ViewVertex q = End(next(range), next(range), uint32_t(next(1 << 20) + (1 << 21)), 5, next(200));
        for (const bool shaded : {false, true}) {
            RecordingCanvas small(kWidth, kHeight, nullptr, Canvas::kFlagSetUp | Canvas::kFlagDepthTest);
            RecordingCanvas large(1 << 20, 1 << 20, nullptr, Canvas::kFlagSetUp | Canvas::kFlagDepthTest);
            large.RecordPlotsOnlyWithin({kShift, kShift, kWidth, kHeight});
            ViewVertex farP = p, farQ = q;
            farP.screenX += kShift, farP.screenY += kShift, farQ.screenX += kShift, farQ.screenY += kShift;
            (shaded ? RasterLineShaded : RasterLineFlat)(&small, &p, &q, nullptr);
            (shaded ? RasterLineShaded : RasterLineFlat)(&large, &farP, &farQ, nullptr);
            using Key = std::tuple<int32_t, int32_t, uint32_t, uint32_t, int32_t>;
            const auto key = [](const ViewVertex& v) { return Key{v.screenX, v.screenY, v.depth, v.colour, v.intensity}; };
            std::vector<Key> expected, got;
            for (ViewVertex v : Plots(large)) {
                v.screenX -= kShift, v.screenY -= kShift;
                if (onCanvas(v)) expected.push_back(key(v));
            }
            for (const ViewVertex& v : Plots(small)) {
                if (onCanvas(v)) got.push_back(key(v));
            }
            ASSERT_EQ(got, expected) << "line " << line << (shaded ? " shaded" : " flat");
            // Walked steps plot at most a pixel each way per column or row.
            EXPECT_LE(Plots(small).size(), size_t(4 * (kWidth + kHeight) + 2));
        }
    }
    // 200 million pixels long, crossing the canvas.
    RecordingCanvas canvas(kWidth, kHeight, nullptr, Canvas::kFlagSetUp);
    const ViewVertex p = End(-100000000, 10), q = End(100000000, 30);
    RasterLineFlat(&canvas, &p, &q, nullptr);
    EXPECT_GT(Plots(canvas).size(), size_t(kWidth) - 1);
    EXPECT_LE(Plots(canvas).size(), size_t(2 * kWidth + 2));
}

}  // namespace
