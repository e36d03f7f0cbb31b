#include "display/Canvas.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "display/ColorTables.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/Bitmap.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedColorTables.h"
#include "tests/support/Vertices.h"

namespace {

using Ops = std::vector<std::string>;

// A depth buffer for a canvas, its rows padded so that a fill that ignores
// the row table shows in the padding.
struct DepthRows {
    static constexpr uint16_t kUntouched = 0x1234;

    DepthRows(Canvas& canvas, int32_t padEntries) : stride(canvas.width + padEntries) {
        entries.assign(size_t(stride) * size_t(canvas.height), kUntouched);
        for (int32_t row = 0; row < canvas.height; ++row) offsets.push_back(uint32_t(row * stride * 2));
        canvas.depth = entries.data();
        canvas.depthPitch = stride * 2;
        canvas.depthRowOffsets = offsets.data();
        canvas.depthBits = 16;
        canvas.flags |= Canvas::kFlagHasDepth;
    }

    uint16_t At(int32_t x, int32_t y) const { return entries[size_t(y) * size_t(stride) + size_t(x)]; }

    const int32_t stride;
    std::vector<uint16_t> entries;
    std::vector<uint32_t> offsets;
};

// State switches, the current canvas and locking.

TEST(Canvas, EnableDepthTestNeedsADepthBuffer) {
    RecordingCanvas canvas(8, 8);
    canvas.EnableDepthTest();
    EXPECT_FALSE(canvas.DepthTestOn());
    canvas.flags |= Canvas::kFlagHasDepth;
    canvas.EnableDepthTest();
    EXPECT_TRUE(canvas.DepthTestOn());
    canvas.DisableDepthTest();
    EXPECT_EQ(canvas.flags, Canvas::kFlagSetUp | Canvas::kFlagHasDepth);
}

TEST(Canvas, FlagSwitchesTouchOnlyTheirOwnBit) {
    struct Switch {
        void (Canvas::*on)();
        void (Canvas::*off)();
        uint32_t bit;
    };
    const Switch switches[] = {
        {&Canvas::SetFlag80000, &Canvas::ClearFlag80000, Canvas::kFlagFiltering},
        {&Canvas::SetFlag40000, &Canvas::ClearFlag40000, Canvas::kFlagSoftwareAlpha},
        {&Canvas::EnableFog, &Canvas::DisableFog, Canvas::kFlagFog},
    };
    for (const Switch& s : switches) {
        RecordingCanvas canvas(8, 8, nullptr, Canvas::kFlagSetUp | Canvas::kFlag16Bit);
        (canvas.*s.on)();
        EXPECT_EQ(canvas.flags, Canvas::kFlagSetUp | Canvas::kFlag16Bit | s.bit);
        canvas.flags = ~0u;
        (canvas.*s.off)();
        EXPECT_EQ(canvas.flags, ~s.bit);
    }
}

TEST(Canvas, MakeCurrentPublishesTheCanvasInTheColourTables) {
    ScopedColorTables tables;
    RecordingCanvas first;
    RecordingCanvas second;
    first.MakeCurrent();
    EXPECT_EQ(g_colorTables->currentCanvas, &first);
    second.MakeCurrent();
    EXPECT_EQ(g_colorTables->currentCanvas, &second);
}

TEST(Canvas, ACanvasGoingAwayStopsBeingCurrentButLeavesAnotherCurrentCanvas) {
    ScopedColorTables tables;
    {
        RecordingCanvas canvas;
        canvas.MakeCurrent();
    }
    EXPECT_EQ(g_colorTables->currentCanvas, nullptr);
    RecordingCanvas kept;
    kept.MakeCurrent();
    { RecordingCanvas passing; }
    EXPECT_EQ(g_colorTables->currentCanvas, &kept);
}

TEST(Canvas, LockAndUnlockReturnThePreviousStateSoAnOuterLockSurvives) {
    RecordingCanvas canvas;
    EXPECT_EQ(canvas.Lock(), 0);
    EXPECT_EQ(canvas.locked, 1);
    // An inner bracket finds the canvas locked and leaves it so.
    const int32_t wasLocked = canvas.Lock();
    EXPECT_EQ(wasLocked, 1);
    if (wasLocked == 0) canvas.Unlock();
    EXPECT_EQ(canvas.locked, 1);
    EXPECT_EQ(canvas.Unlock(), 1);
    EXPECT_EQ(canvas.locked, 0);
    EXPECT_EQ(canvas.Unlock(), 0);
}

// Clearing.

TEST(CanvasClear, FillsTheCanvasThroughFillRectAndEveryDepthEntryWithTheHighHalf) {
    RecordingCanvas canvas(5, 3);
    DepthRows depth(canvas, 2);
    canvas.EnableDepthTest();
    EXPECT_EQ(canvas.Clear(7, 0xABCD1234), kStatusOk);
    const auto fills = canvas.CallsOf("FillRect");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect->x, 0);
    EXPECT_EQ(fills[0].rect->y, 0);
    EXPECT_EQ(fills[0].rect->width, 5);
    EXPECT_EQ(fills[0].rect->height, 3);
    EXPECT_EQ(fills[0].words, std::vector<uint32_t>{7});
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(depth.At(x, y), 0xABCD) << x << ", " << y;
        EXPECT_EQ(depth.At(5, y), DepthRows::kUntouched);
        EXPECT_EQ(depth.At(6, y), DepthRows::kUntouched);
    }
}

TEST(CanvasClear, LeavesTheDepthAloneWithoutTheDepthTestOrWithoutADepthBuffer) {
    RecordingCanvas canvas(4, 2);
    DepthRows depth(canvas, 0);
    EXPECT_EQ(canvas.Clear(0, 0xFFFFFFFF), kStatusOk);
    EXPECT_EQ(depth.At(0, 0), DepthRows::kUntouched);
    EXPECT_EQ(canvas.CountOf("FillRect"), 1u);
    // Made without a depth buffer: enabling the test changes nothing.
    canvas.flags &= ~Canvas::kFlagHasDepth;
    canvas.EnableDepthTest();
    EXPECT_EQ(canvas.Clear(0, 0xFFFFFFFF), kStatusOk);
    EXPECT_EQ(depth.At(3, 1), DepthRows::kUntouched);
}

TEST(CanvasClear, TheDepthOnlyFlagLeavesTheColoursAlone) {
    RecordingCanvas canvas(4, 2);
    DepthRows depth(canvas, 1);
    canvas.EnableDepthTest();
    canvas.flags |= Canvas::kFlagClearDepthOnly;
    EXPECT_EQ(canvas.Clear(9, 0x00FF0000), kStatusOk);
    EXPECT_EQ(canvas.CountOf("FillRect"), 0u);
    EXPECT_EQ(depth.At(3, 1), 0x00FF);
}

// Operations the base does not support.

TEST(Canvas, UnsupportedOperationsReturnOneAndWriteNothing) {
    RecordingCanvas canvas(8, 8);
    EXPECT_EQ(canvas.Reserved(1, 2, 3), kStatusNothingToDo);
    EXPECT_EQ(canvas.ReservedBlit(1, 2, 3, 4), kStatusNothingToDo);
    ViewVertex out = ViewPoint(-7, -8);
    out.depth = 0xDEADBEEF;
    out.colour = 0xCAFE;
    const ViewVertex before = out;
    EXPECT_EQ(canvas.ReadPixel(1, 2, &out), 1);
    EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0);
    // Every flag of the fog pass is set: the base has no fog pass.
    canvas.flags |= Canvas::kFlagHasDepth | Canvas::kFlagDepthTest | Canvas::kFlagFog;
    EXPECT_TRUE(canvas.FogApplies());
    EXPECT_EQ(canvas.ApplyFog(), kStatusNothingToDo);
}

TEST(Canvas, ReadPixelAtReadsAtTheRecordsPosition) {
    RecordingCanvas canvas(8, 8);
    const ViewVertex at = ViewPoint(3, 5);
    ViewVertex out;
    canvas.ReadPixelAt(&at, &out);
    const auto reads = canvas.CallsOf("ReadPixel");
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].words, (std::vector<uint32_t>{3, 5}));
    EXPECT_EQ(reads[0].object, &out);
}

// A set-up that failed.

TEST(Canvas, EveryDrawingOperationOfACanvasWhoseSetUpFailedReturns8AndDrawsNothing) {
    RecordingCanvas canvas(16, 16);
    canvas.setupResult = kStatusOutOfMemory;
    const CanvasRect rect{1, 1, 4, 4};
    const ScreenVertex s[3] = {ScreenPoint(1, 1), ScreenPoint(5, 1), ScreenPoint(1, 5)};
    const ViewVertex v[3] = {ViewPoint(1, 1), ViewPoint(5, 1), ViewPoint(1, 5)};
    const uint8_t rgb[4] = {1, 2, 3, 0};
    PixelImage image;
    Bitmap bitmap;
    const std::vector<std::function<Status()>> operations = {
        [&] { return canvas.Clear(0, 0); },
        [&] { return canvas.CopyToImage(&bitmap); },
        [&] { return canvas.FillRectClipped(&rect, 1, nullptr); },
        [&] { return canvas.FillRectRgbClipped(&rect, rgb, nullptr); },
        [&] { return canvas.PlotPixel(&s[0], nullptr); },
        [&] { return canvas.PlotPixelClipped(&s[0], nullptr, nullptr); },
        [&] { return canvas.PlotPixelClippedInt(&v[0], nullptr, nullptr); },
        [&] { return canvas.DrawLine(&s[0], &s[1], nullptr); },
        [&] { return canvas.DrawLineShaded(&s[0], &s[1]); },
        [&] { return canvas.DrawLineShadedAlt(&s[0], &s[1]); },
        [&] { return canvas.DrawLineShadedAltInt(&v[0], &v[1]); },
        [&] { return canvas.DrawLineClipped(&s[0], &s[1], nullptr, nullptr); },
        [&] { return canvas.DrawLineClippedInt(&v[0], &v[1], nullptr, nullptr); },
        [&] { return canvas.DrawLineShadedClipped(&s[0], &s[1], nullptr); },
        [&] { return canvas.DrawLineShadedClippedInt(&v[0], &v[1], nullptr); },
        [&] { return canvas.DrawLineShadedAltClipped(&s[0], &s[1], nullptr); },
        [&] { return canvas.DrawLineShadedAltClippedInt(&v[0], &v[1], nullptr); },
        [&] { return canvas.FillPolygonFlatInt(3, v); },
        [&] { return canvas.FillPolygonShadedAlt(3, s); },
        [&] { return canvas.FillPolygonShadedAltInt(3, v); },
        [&] { return canvas.FillPolygonTexturedShadedPerspInt(3, v, &image); },
        [&] { return canvas.FillPolygonShadedAltAlpha(3, s, 9); },
        [&] { return canvas.FillPolygonTexturedAlphaInt(3, v, &image, 9); },
        [&] { return canvas.ApplyFog(); },
    };
    for (size_t i = 0; i < operations.size(); ++i) {
        canvas.ForgetCalls();
        EXPECT_EQ(operations[i](), kStatusPlatformFailed) << "operation " << i;
        EXPECT_EQ(canvas.Calls().size(), 1u) << canvas.Log();
    }
    EXPECT_EQ(bitmap.pixels, nullptr);
}

// Rectangles.

TEST(CanvasClipping, ClippedFillsCutTheRectangleToTheClipThenToTheCanvas) {
    RecordingCanvas canvas(100, 50);
    const CanvasRect rect{-10, 40, 30, 30};
    const CanvasRect clip{5, 0, 200, 45};
    EXPECT_EQ(canvas.FillRectClipped(&rect, 9, &clip), kStatusOk);
    auto fills = canvas.CallsOf("FillRect");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].rect->x, 5);
    EXPECT_EQ(fills[0].rect->y, 40);
    EXPECT_EQ(fills[0].rect->width, 15);
    EXPECT_EQ(fills[0].rect->height, 5);
    EXPECT_EQ(rect.x, -10) << "the caller's rectangle is not cut";

    const uint8_t rgb[4] = {10, 20, 30, 0};
    EXPECT_EQ(canvas.FillRectRgbClipped(&rect, rgb, nullptr), kStatusOk);
    const auto rgbFills = canvas.CallsOf("FillRectRgb");
    ASSERT_EQ(rgbFills.size(), 1u);
    EXPECT_EQ(rgbFills[0].rgbPointer, rgb);
    EXPECT_EQ(rgbFills[0].rect->x, 0);
    EXPECT_EQ(rgbFills[0].rect->width, 20);
    EXPECT_EQ(rgbFills[0].rect->height, 10);
}

TEST(CanvasClipping, AFillOutsideTheCanvasOrTheClipReturns0AndDrawsNothing) {
    RecordingCanvas canvas(100, 50);
    const CanvasRect right{100, 0, 10, 10};
    const CanvasRect left{-10, 0, 10, 10};
    const CanvasRect inside{10, 10, 10, 10};
    const CanvasRect farClip{500, 500, 10, 10};
    EXPECT_EQ(canvas.FillRectClipped(&right, 1, nullptr), kStatusOk);
    EXPECT_EQ(canvas.FillRectClipped(&left, 1, nullptr), kStatusOk);
    // Unlike a pixel, a fill is cut by a clip rectangle that misses the canvas.
    EXPECT_EQ(canvas.FillRectClipped(&inside, 1, &farClip), kStatusOk);
    EXPECT_EQ(canvas.FillRectRgbClipped(&inside, nullptr, &farClip), kStatusOk);
    EXPECT_EQ(canvas.CountOf("FillRect"), 0u);
    EXPECT_EQ(canvas.CountOf("FillRectRgb"), 0u);
}

// Pixels and rounding.

TEST(CanvasRounding, APixelHalfAPixelShortOfTheWidthRoundsOutOfTheCanvas) {
    RecordingCanvas canvas(640, 480);
    ScreenVertex v = ScreenPoint(640.0f - 0.5f, 10.0f);
    EXPECT_EQ(canvas.PlotPixelClipped(&v, nullptr, nullptr), kStatusOk);
    EXPECT_EQ(canvas.CountOf("PlotPixelInt"), 0u);
    v.x = 640.0f - 0.6f;
    canvas.PlotPixelClipped(&v, nullptr, nullptr);
    v = ScreenPoint(5.0f, 480.0f - 0.5f);
    canvas.PlotPixelClipped(&v, nullptr, nullptr);
    v.y = 480.0f - 0.6f;
    canvas.PlotPixelClipped(&v, nullptr, nullptr);
    const auto plots = canvas.CallsOf("PlotPixelInt");
    ASSERT_EQ(plots.size(), 2u);
    EXPECT_EQ(plots[0].view[0].screenX, 639);
    EXPECT_EQ(plots[0].view[0].screenY, 10);
    EXPECT_EQ(plots[1].view[0].screenX, 5);
    EXPECT_EQ(plots[1].view[0].screenY, 479);
}

TEST(CanvasRounding, PositionsAddAHalfAndTruncateTowardZero) {
    EXPECT_EQ(Canvas::RoundCoordinate(2.5f), 3);
    EXPECT_EQ(Canvas::RoundCoordinate(2.49f), 2);
    EXPECT_EQ(Canvas::RoundCoordinate(0.49999997f), 0) << "the half is added without float rounding";
    // Toward zero, not down: up to nearly a pixel left of the canvas lands in column 0.
    EXPECT_EQ(Canvas::RoundCoordinate(-0.9f), 0);
    EXPECT_EQ(Canvas::RoundCoordinate(-1.6f), -1);

    RecordingCanvas canvas(16, 16);
    ScreenVertex v = ScreenPoint(-0.9f, 3.0f);
    canvas.PlotPixelClipped(&v, nullptr, nullptr);
    v.x = -1.5f;
    canvas.PlotPixelClipped(&v, nullptr, nullptr);
    const auto plots = canvas.CallsOf("PlotPixelInt");
    ASSERT_EQ(plots.size(), 1u);
    EXPECT_EQ(plots[0].view[0].screenX, 0);
}

TEST(CanvasRounding, APlottedPointKeepsDepthColourAndTruncatedIntensity) {
    RecordingCanvas canvas(64, 64);
    const ScreenVertex v{10.4f, 20.6f, 0.5f, 0x10123456, 200.9f, 0.25f, 0.5f, 2.0f};
    const uint8_t rgb[4] = {1, 2, 3, 0};
    EXPECT_EQ(canvas.PlotPixel(&v, rgb), kStatusOk);
    const auto plots = canvas.CallsOf("PlotPixelInt");
    ASSERT_EQ(plots.size(), 1u);
    const ViewVertex& p = plots[0].view[0];
    EXPECT_EQ(p.screenX, 10);
    EXPECT_EQ(p.screenY, 21);
    EXPECT_EQ(p.depth, 0x80000000u);
    EXPECT_EQ(p.colour, 0x10123456u);
    EXPECT_EQ(p.intensity, 200);
    EXPECT_EQ(p.u, 0);
    EXPECT_EQ(p.invZ, 0);
    EXPECT_EQ(plots[0].rgbPointer, rgb);
}

TEST(CanvasClipping, ClippedPixelsDrawOnlyInsideTheCanvasNarrowedByTheClip) {
    RecordingCanvas canvas(64, 64);
    const CanvasRect clip{10, 10, 5, 5};
    const ViewVertex inside = ViewPoint(14, 10);
    const ViewVertex right = ViewPoint(15, 12);
    const ViewVertex above = ViewPoint(12, 9);
    EXPECT_EQ(canvas.PlotPixelClippedInt(&inside, nullptr, &clip), kStatusOk);
    EXPECT_EQ(canvas.PlotPixelClippedInt(&right, nullptr, &clip), kStatusOk);
    EXPECT_EQ(canvas.PlotPixelClippedInt(&above, nullptr, &clip), kStatusOk);
    const auto plots = canvas.CallsOf("PlotPixelInt");
    ASSERT_EQ(plots.size(), 1u);
    EXPECT_EQ(plots[0].view[0].screenX, 14);
}

TEST(CanvasClipping, AClipRectangleMissingTheCanvasLeavesTheCanvasAsTheLimit) {
    RecordingCanvas canvas(64, 64);
    const CanvasRect clip{1000, 1000, 10, 10};
    const ViewVertex inside = ViewPoint(3, 4);
    const ViewVertex outside = ViewPoint(-1, 4);
    const ScreenVertex floatInside = ScreenPoint(63.4f, 63.4f);
    canvas.PlotPixelClippedInt(&inside, nullptr, &clip);
    canvas.PlotPixelClippedInt(&outside, nullptr, &clip);
    canvas.PlotPixelClipped(&floatInside, nullptr, &clip);
    const auto plots = canvas.CallsOf("PlotPixelInt");
    ASSERT_EQ(plots.size(), 2u);
    EXPECT_EQ(plots[0].view[0].screenX, 3);
    EXPECT_EQ(plots[1].view[0].screenX, 63);
}

// Lines.

TEST(CanvasLines, FloatLinesRoundBothEndsAndPassTheColour) {
    RecordingCanvas canvas(64, 64);
    const ScreenVertex a = ScreenPoint(1.5f, 2.4f);
    const ScreenVertex b = ScreenPoint(7.49f, 8.5f);
    const uint8_t rgb[4] = {9, 9, 9, 0};
    canvas.DrawLine(&a, &b, rgb);
    canvas.DrawLineShaded(&b, &a);
    EXPECT_EQ(canvas.Ops(), (Ops{"DrawLine", "DrawLineInt", "DrawLineShaded", "DrawLineShadedInt"}));
    const CanvasCall& flat = canvas.Calls()[1];
    EXPECT_EQ(flat.view[0].screenX, 2);
    EXPECT_EQ(flat.view[0].screenY, 2);
    EXPECT_EQ(flat.view[1].screenX, 7);
    EXPECT_EQ(flat.view[1].screenY, 9);
    EXPECT_EQ(flat.rgbPointer, rgb);
    EXPECT_EQ(canvas.Calls()[3].view[0].screenX, 7);
}

TEST(CanvasLines, AltShadedLinesDrawShadedAndReturnOne) {
    RecordingCanvas canvas(64, 64);
    const ScreenVertex a = ScreenPoint(1, 1);
    const ScreenVertex b = ScreenPoint(9, 1);
    const ViewVertex ia = ViewPoint(1, 1);
    const ViewVertex ib = ViewPoint(9, 1);
    EXPECT_EQ(canvas.DrawLineShadedAlt(&a, &b), kStatusNothingToDo);
    EXPECT_EQ(canvas.DrawLineShadedAltInt(&ia, &ib), kStatusNothingToDo);
    EXPECT_EQ(canvas.DrawLineShadedAltClippedInt(&ia, &ib, nullptr), kStatusNothingToDo);
    EXPECT_EQ(canvas.DrawLineShadedAltClipped(&a, &b, nullptr), kStatusOk);
    EXPECT_EQ(canvas.Ops(), (Ops{"DrawLineShadedAlt", "DrawLineShaded", "DrawLineShadedInt",
                                 "DrawLineShadedAltInt", "DrawLineShadedInt",
                                 "DrawLineShadedAltClippedInt", "DrawLineShadedClippedInt", "DrawLineShadedInt",
                                 "DrawLineShadedAltClipped", "DrawLineShadedClipped", "DrawLineShaded",
                                 "DrawLineShadedInt"}));
}

TEST(CanvasClipping, ClippedLinesNeverReachTheLastColumnOrRow) {
    RecordingCanvas canvas(100, 50);
    const ViewVertex a = ViewPoint(10, 20);
    const ViewVertex b = ViewPoint(200, 20);
    EXPECT_EQ(canvas.DrawLineClippedInt(&a, &b, nullptr, nullptr), kStatusOk);
    auto lines = canvas.CallsOf("DrawLineInt");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].view[0].screenX, 10);
    EXPECT_EQ(lines[0].view[1].screenX, 98);
    EXPECT_EQ(b.screenX, 200) << "the caller's ends are not cut";

    const ViewVertex lastColumnTop = ViewPoint(99, 0);
    const ViewVertex lastColumnBottom = ViewPoint(99, 40);
    const ViewVertex lastRowLeft = ViewPoint(0, 49);
    const ViewVertex lastRowRight = ViewPoint(60, 49);
    EXPECT_EQ(canvas.DrawLineClippedInt(&lastColumnTop, &lastColumnBottom, nullptr, nullptr), kStatusOk);
    EXPECT_EQ(canvas.DrawLineShadedClippedInt(&lastRowLeft, &lastRowRight, nullptr), kStatusOk);
    EXPECT_EQ(canvas.CountOf("DrawLineInt"), 1u);
    EXPECT_EQ(canvas.CountOf("DrawLineShadedInt"), 0u);
}

TEST(CanvasClipping, ClippedLinesAreNarrowedByTheClipUnlessItMissesTheCanvas) {
    RecordingCanvas canvas(100, 50);
    const ScreenVertex a = ScreenPoint(10.0f, 20.0f);
    const ScreenVertex b = ScreenPoint(200.0f, 20.0f);
    const CanvasRect clip{20, 0, 30, 50};
    const CanvasRect farClip{500, 500, 5, 5};
    canvas.DrawLineClipped(&a, &b, nullptr, &clip);
    canvas.DrawLineShadedClipped(&a, &b, &farClip);
    const auto flat = canvas.CallsOf("DrawLineInt");
    const auto shaded = canvas.CallsOf("DrawLineShadedInt");
    ASSERT_EQ(flat.size(), 1u);
    ASSERT_EQ(shaded.size(), 1u);
    EXPECT_EQ(flat[0].view[0].screenX, 20);
    EXPECT_EQ(flat[0].view[1].screenX, 49);
    EXPECT_EQ(shaded[0].view[0].screenX, 10);
    EXPECT_EQ(shaded[0].view[1].screenX, 98);
}

TEST(CanvasClipping, ClippedLinesCarryDepthWhileTheDepthTestIsOnAndShadeWhenShaded) {
    RecordingCanvas canvas(100, 50);
    canvas.flags |= Canvas::kFlagHasDepth;
    ViewVertex a = ViewPoint(-100, 10);
    ViewVertex b = ViewPoint(100, 10);
    b.depth = 0x80000000;
    b.intensity = 200;

    canvas.DrawLineClippedInt(&a, &b, nullptr, nullptr);
    canvas.DrawLineShadedClippedInt(&a, &b, nullptr);
    canvas.EnableDepthTest();
    canvas.DrawLineClippedInt(&a, &b, nullptr, nullptr);
    const auto flat = canvas.CallsOf("DrawLineInt");
    const auto shaded = canvas.CallsOf("DrawLineShadedInt");
    ASSERT_EQ(flat.size(), 2u);
    ASSERT_EQ(shaded.size(), 1u);
    // The cut end lies half way.
    EXPECT_EQ(flat[0].view[0].screenX, 0);
    EXPECT_EQ(flat[0].view[0].depth, 0u);
    EXPECT_EQ(flat[0].view[0].intensity, 0);
    EXPECT_EQ(shaded[0].view[0].depth, 0u);
    EXPECT_EQ(shaded[0].view[0].intensity, 100);
    EXPECT_EQ(flat[1].view[0].depth, 0x40000000u);
    EXPECT_EQ(flat[1].view[0].intensity, 0);
}

// Polygons.

TEST(CanvasPolygons, IntFormsConvertEveryVertexForTheFloatForm) {
    RecordingCanvas canvas(64, 64);
    PixelImage image;
    ViewVertex v[3] = {ViewPoint(1, 2), ViewPoint(-3, 4), ViewPoint(5, 6)};
    v[0].depth = 0x40000000;
    v[0].colour = 0x20007C00;
    v[0].intensity = 128;
    v[0].u = 0x18000;
    v[0].v = -0x8000;
    v[0].invZ = 0x10000000;
    EXPECT_EQ(canvas.FillPolygonTexturedShadedPerspAlphaInt(3, v, &image, 77), kStatusOk);
    const auto fills = canvas.CallsOf("FillPolygonTexturedShadedPerspAlpha");
    ASSERT_EQ(fills.size(), 1u);
    ASSERT_EQ(fills[0].screen.size(), 3u);
    const ScreenVertex& s = fills[0].screen[0];
    EXPECT_EQ(s.x, 1.0f);
    EXPECT_EQ(s.y, 2.0f);
    EXPECT_EQ(s.depth, 0.25f);
    EXPECT_EQ(s.colour, 0x20007C00u);
    EXPECT_EQ(s.intensity, 128.0f);
    EXPECT_EQ(s.u, 1.5f);
    EXPECT_EQ(s.v, -0.5f);
    EXPECT_EQ(s.invZ, 0.25f);
    EXPECT_EQ(fills[0].screen[1].x, -3.0f);
    EXPECT_EQ(fills[0].object, &image);
    EXPECT_EQ(fills[0].words.back(), 77u);
}

TEST(CanvasPolygons, EachIntFormReachesItsOwnFloatForm) {
    RecordingCanvas canvas(64, 64);
    PixelImage image;
    const ViewVertex v[3] = {ViewPoint(1, 1), ViewPoint(9, 1), ViewPoint(1, 9)};
    struct Pair {
        std::function<Status()> call;
        std::string intOp;
        std::string floatOp;
    };
    const Pair pairs[] = {
        {[&] { return canvas.FillPolygonFlatInt(3, v); }, "FillPolygonFlatInt", "FillPolygonFlat"},
        {[&] { return canvas.FillPolygonShadedInt(3, v); }, "FillPolygonShadedInt", "FillPolygonShaded"},
        {[&] { return canvas.FillPolygonTexturedInt(3, v, &image); }, "FillPolygonTexturedInt",
         "FillPolygonTextured"},
        {[&] { return canvas.FillPolygonTexturedPerspInt(3, v, &image); }, "FillPolygonTexturedPerspInt",
         "FillPolygonTexturedPersp"},
        {[&] { return canvas.FillPolygonTexturedShadedInt(3, v, &image); }, "FillPolygonTexturedShadedInt",
         "FillPolygonTexturedShaded"},
        {[&] { return canvas.FillPolygonTexturedShadedPerspInt(3, v, &image); },
         "FillPolygonTexturedShadedPerspInt", "FillPolygonTexturedShadedPersp"},
        {[&] { return canvas.FillPolygonFlatAlphaInt(3, v, 5); }, "FillPolygonFlatAlphaInt", "FillPolygonFlatAlpha"},
        {[&] { return canvas.FillPolygonShadedAlphaInt(3, v, 5); }, "FillPolygonShadedAlphaInt",
         "FillPolygonShadedAlpha"},
        {[&] { return canvas.FillPolygonTexturedAlphaInt(3, v, &image, 5); }, "FillPolygonTexturedAlphaInt",
         "FillPolygonTexturedAlpha"},
        {[&] { return canvas.FillPolygonTexturedPerspAlphaInt(3, v, &image, 5); },
         "FillPolygonTexturedPerspAlphaInt", "FillPolygonTexturedPerspAlpha"},
        {[&] { return canvas.FillPolygonTexturedShadedAlphaInt(3, v, &image, 5); },
         "FillPolygonTexturedShadedAlphaInt", "FillPolygonTexturedShadedAlpha"},
        {[&] { return canvas.FillPolygonTexturedShadedPerspAlphaInt(3, v, &image, 5); },
         "FillPolygonTexturedShadedPerspAlphaInt", "FillPolygonTexturedShadedPerspAlpha"},
    };
    for (const Pair& pair : pairs) {
        canvas.ForgetCalls();
        EXPECT_EQ(pair.call(), kStatusOk);
        ASSERT_EQ(canvas.Ops(), (Ops{pair.intOp, pair.floatOp}));
        EXPECT_EQ(canvas.Calls()[1].screen.size(), 3u) << pair.floatOp;
        EXPECT_EQ(canvas.Calls()[1].screen[1].x, 9.0f) << pair.floatOp;
    }
}

TEST(CanvasPolygons, AltFormsDrawAsTheShadedForms) {
    RecordingCanvas canvas(64, 64);
    const ScreenVertex s[3] = {ScreenPoint(1, 1), ScreenPoint(9, 1), ScreenPoint(1, 9)};
    const ViewVertex v[3] = {ViewPoint(1, 1), ViewPoint(9, 1), ViewPoint(1, 9)};
    canvas.FillPolygonShadedAlt(3, s);
    canvas.FillPolygonShadedAltInt(3, v);
    canvas.FillPolygonShadedAltAlpha(3, s, 40);
    canvas.FillPolygonShadedAltAlphaInt(3, v, 41);
    EXPECT_EQ(canvas.Ops(), (Ops{"FillPolygonShadedAlt", "FillPolygonShaded", "FillPolygonShadedAltInt",
                                 "FillPolygonShadedInt", "FillPolygonShaded", "FillPolygonShadedAltAlpha",
                                 "FillPolygonShadedAlpha", "FillPolygonShadedAltAlphaInt",
                                 "FillPolygonShadedAlphaInt", "FillPolygonShadedAlpha"}));
    const auto alpha = canvas.CallsOf("FillPolygonShadedAlpha");
    EXPECT_EQ(alpha[0].words.back(), 40u);
    EXPECT_EQ(alpha[1].words.back(), 41u);
}

TEST(CanvasPolygons, MoreVerticesThanTheBlockOfTwelveDrawNothing) {
    RecordingCanvas canvas(64, 64);
    ViewVertex v[13];
    for (int i = 0; i < 13; ++i) v[i] = ViewPoint(i, i);
    EXPECT_EQ(canvas.FillPolygonFlatInt(13, v), kStatusOk);
    EXPECT_EQ(canvas.CountOf("FillPolygonFlat"), 0u);
    EXPECT_EQ(canvas.FillPolygonFlatInt(12, v), kStatusOk);
    const auto fills = canvas.CallsOf("FillPolygonFlat");
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].screen.size(), 12u);
    EXPECT_EQ(fills[0].screen[11].x, 11.0f);
}

TEST(CanvasPolygons, TheModeWordAddsDepthTestFilteringAndOutline) {
    RecordingCanvas canvas(64, 64);
    EXPECT_EQ(canvas.PolygonMode(0x8A), 0x8Au);
    canvas.flags |= Canvas::kFlagHasDepth;
    canvas.EnableDepthTest();
    EXPECT_EQ(canvas.PolygonMode(0x02), 0x03u);
    canvas.SetFlag80000();
    EXPECT_EQ(canvas.PolygonMode(0x12), 0x13u) << "filtering is for textured modes only";
    EXPECT_EQ(canvas.PolygonMode(0x98), 0x9Du);
    canvas.flags |= Canvas::kFlagOutline;
    canvas.DisableDepthTest();
    canvas.ClearFlag80000();
    EXPECT_EQ(canvas.PolygonMode(0x08), 0x8008u);
}

// Vertex conversions.

TEST(CanvasVertex, DepthOneAndBeyondSaturateToTheFarthestWord) {
    EXPECT_EQ(Canvas::DepthToWord(1.0f), 0xFFFFFFFFu);
    EXPECT_EQ(Canvas::DepthToWord(2.0f), 0xFFFFFFFFu);
    EXPECT_EQ(Canvas::DepthToWord(std::numeric_limits<float>::infinity()), 0xFFFFFFFFu);
    EXPECT_EQ(Canvas::DepthToWord(std::nextafter(1.0f, 0.0f)), 0xFFFFFF00u);
    EXPECT_EQ(Canvas::DepthToWord(0.5f), 0x80000000u);
    EXPECT_EQ(Canvas::DepthToWord(0.0f), 0u);
    EXPECT_EQ(Canvas::DepthToWord(-0.25f), 0u);
    EXPECT_EQ(Canvas::DepthToWord(-std::numeric_limits<float>::infinity()), 0u);
    EXPECT_EQ(Canvas::DepthToWord(std::nanf("")), 0u);
}

TEST(CanvasVertex, DepthWordsGoBackToTheSameFloat) {
    EXPECT_EQ(Canvas::DepthFromWord(0x80000000), 0.5f);
    EXPECT_EQ(Canvas::DepthFromWord(0xFFFF0000), 1.0f - 1.0f / 65536.0f);
    EXPECT_EQ(Canvas::DepthToWord(Canvas::DepthFromWord(0xFFFF0000)), 0xFFFF0000u);
    // The farthest word is 1.0 as a float and comes back saturated.
    EXPECT_EQ(Canvas::DepthToWord(Canvas::DepthFromWord(0xFFFFFFFF)), 0xFFFFFFFFu);
}

TEST(CanvasVertex, PositionsAndIntensitiesBeyondThe32BitRangeSaturate) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    EXPECT_EQ(Canvas::RoundCoordinate(3e9f), kMax);
    EXPECT_EQ(Canvas::RoundCoordinate(-3e9f), kMin);
    EXPECT_EQ(Canvas::RoundCoordinate(std::numeric_limits<float>::infinity()), kMax);
    EXPECT_EQ(Canvas::RoundCoordinate(std::nanf("")), 0);
    EXPECT_EQ(Canvas::TruncateToInt(254.9f), 254);
    EXPECT_EQ(Canvas::TruncateToInt(-1.9f), -1);
    EXPECT_EQ(Canvas::TruncateToInt(1e10f), kMax);
    EXPECT_EQ(Canvas::TruncateToInt(-1e10f), kMin);
}

// Colour words.

TEST(CanvasColour, PacksChannelsIntoBothSixteenBitFormats) {
    EXPECT_EQ(Canvas::Pack555(0xFF, 0x80, 0x07), 0x7E00);
    EXPECT_EQ(Canvas::Pack565(0xFF, 0x84, 0x0F), 0xFC21);
    EXPECT_EQ(Canvas::Pack555(0xFF, 0xFF, 0xFF), 0x7FFF);
    EXPECT_EQ(Canvas::Pack565(0xFF, 0xFF, 0xFF), 0xFFFF);
    EXPECT_EQ(Canvas::MakeDirectColor(0x12, 0x34, 0x56), 0x10123456u);
    const uint8_t rgb[3] = {1, 2, 3};
    EXPECT_EQ(Canvas::RgbToColor(rgb), 0x030201u);
}

TEST(CanvasColour, PackingAndRawWordsFollowThePaletteFormat) {
    const std::unique_ptr<Palette> p555(Palette::Create(kPixelFormatRgb555));
    const std::unique_ptr<Palette> p565(Palette::Create(kPixelFormatRgb565));
    ASSERT_NE(p555, nullptr);
    ASSERT_NE(p565, nullptr);
    const uint8_t rgb[4] = {0xFF, 0x84, 0x0F, 0xEE};

    RecordingCanvas canvas(8, 8, p555.get());
    EXPECT_EQ(canvas.PackRgb(rgb), Canvas::Pack555(0xFF, 0x84, 0x0F));
    EXPECT_EQ(canvas.PackRgb(nullptr), 0);
    EXPECT_TRUE(canvas.IsRawOfOtherFormat(0x40001234));
    EXPECT_FALSE(canvas.IsRawOfOtherFormat(0x20001234));
    EXPECT_FALSE(canvas.IsRawOfOtherFormat(0x10FFFFFF));
    EXPECT_FALSE(canvas.IsRawOfOtherFormat(5));

    canvas.palette = p565.get();
    EXPECT_EQ(canvas.PackRgb(rgb), 0xFC21);
    EXPECT_TRUE(canvas.IsRawOfOtherFormat(0x20001234));
    EXPECT_FALSE(canvas.IsRawOfOtherFormat(0x40001234));

    PaletteColor colours[8] = {};
    colours[7] = PaletteColor{0xFF, 0x84, 0x0F, 0};
    p565->SetColors(colours, 8);
    EXPECT_EQ(canvas.IndexToPixel16(7), 0xFC21);
    canvas.palette = nullptr;
    EXPECT_EQ(canvas.IndexToPixel16(7), 0);
}

TEST(CanvasColour, ShadeLookupsTakeEntryIndexTimes32PlusIntensityOver8) {
    std::vector<uint16_t> rows16(Palette::kShadeEntries);
    std::vector<uint8_t> rows8(Palette::kShadeEntries);
    for (size_t i = 0; i < rows16.size(); ++i) {
        rows16[i] = uint16_t(i);
        rows8[i] = uint8_t(i % 251);
    }
    ShadeTable shades16{rows16.data(), Palette::kShadeShift, Palette::kShadeLevels, 0, nullptr};
    ShadeTable shades8{rows8.data(), Palette::kShadeShift, Palette::kShadeLevels, 0, nullptr};
    const std::unique_ptr<Palette> p565(Palette::Create(kPixelFormatRgb565));
    const std::unique_ptr<Palette> p8(Palette::Create(kPixelFormatIndexed8));
    ShadeTable* const before16 = p565->SwapShades(&shades16);
    ShadeTable* const before8 = p8->SwapShades(&shades8);

    RecordingCanvas canvas16(8, 8, p565.get());
    EXPECT_EQ(canvas16.ShadePixel16(3, 100), 3 * 32 + 12);
    EXPECT_EQ(canvas16.ShadePixel16(255, 255), 255 * 32 + 31);
    // Intensities outside 0..255 stay inside the row.
    EXPECT_EQ(canvas16.ShadePixel16(3, 300), 3 * 32 + 31);
    EXPECT_EQ(canvas16.ShadePixel16(3, -5), 3 * 32);

    RecordingCanvas canvas8(8, 8, p8.get());
    EXPECT_EQ(canvas8.ShadeIndex8(2, 64), (2 * 32 + 8) % 251);

    RecordingCanvas bare(8, 8);
    EXPECT_EQ(bare.ShadePixel16(3, 100), 0);
    EXPECT_EQ(bare.ShadeIndex8(3, 100), 0);

    p565->SwapShades(before16);
    p8->SwapShades(before8);
}

// Copying the colour buffer out.

// Canvas rows `pitch` bytes apart; the bytes past each row hold 0xEE.
std::vector<uint8_t> Rows(Canvas& canvas, int32_t pitch) {
    std::vector<uint8_t> bytes(size_t(pitch) * size_t(canvas.height), 0xEE);
    canvas.pitch = pitch;
    return bytes;
}

void Put16(std::vector<uint8_t>& bytes, int32_t pitch, int32_t x, int32_t y, uint16_t p) {
    std::memcpy(&bytes[size_t(y) * size_t(pitch) + size_t(x) * 2], &p, 2);
}

TEST(CanvasCopyToImage, EightBitCopiesWidthBytesOfEachRowAndThePalette) {
    const std::unique_ptr<Palette> p8(Palette::Create(kPixelFormatIndexed8));
    PaletteColor colours[256];
    for (int i = 0; i < 256; ++i) colours[i] = PaletteColor{uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    p8->SetColors(colours, 256);
    RecordingCanvas canvas(5, 3, p8.get());
    std::vector<uint8_t> bytes = Rows(canvas, 8);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) bytes[size_t(y) * 8 + size_t(x)] = uint8_t(y * 16 + x);
    }
    canvas.pixels = bytes.data();

    Bitmap image;
    ASSERT_EQ(canvas.CopyToImage(&image), kStatusOk);
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.bytesPerPixel, Bitmap::kDepth8Bit);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) EXPECT_EQ(image.pixels[y * 5 + x], y * 16 + x) << x << ", " << y;
    }
    ASSERT_NE(image.palette, nullptr);
    EXPECT_EQ(std::memcmp(image.palette, colours, Bitmap::kPaletteBytes), 0);
}

struct Packing {
    int32_t pixelFormat;
    uint16_t pixels[6];
    uint8_t rgb[18];
};

TEST(CanvasCopyToImage, SixteenBitPixelsBecomeRedGreenBlueBytesFromRowsPitchApart) {
    const Packing packings[] = {
        {kPixelFormatRgb555,
         {0x7FFF, 0x7C00, 0x03E0, 0x001F, 0x4210, 0x0000},
         {0xF8, 0xF8, 0xF8, 0xF8, 0, 0, 0, 0xF8, 0, 0, 0, 0xF8, 0x80, 0x80, 0x80, 0, 0, 0}},
        {kPixelFormatRgb565,
         {0xFFFF, 0xF800, 0x07E0, 0x001F, 0x8410, 0x0000},
         {0xF8, 0xFC, 0xF8, 0xF8, 0, 0, 0, 0xFC, 0, 0, 0, 0xF8, 0x80, 0x80, 0x80, 0, 0, 0}},
    };
    for (const Packing& packing : packings) {
        const std::unique_ptr<Palette> palette(Palette::Create(packing.pixelFormat));
        RecordingCanvas canvas(3, 2, palette.get(), Canvas::kFlagSetUp | Canvas::kFlag16Bit);
        constexpr int32_t kPitch = 10;   // 6 bytes of pixels, 4 of padding
        std::vector<uint8_t> bytes = Rows(canvas, kPitch);
        for (int i = 0; i < 6; ++i) Put16(bytes, kPitch, i % 3, i / 3, packing.pixels[i]);
        canvas.pixels = bytes.data();

        Bitmap image;
        ASSERT_EQ(canvas.CopyToImage(&image), kStatusOk);
        EXPECT_EQ(image.width, 3);
        EXPECT_EQ(image.height, 2);
        ASSERT_EQ(image.bytesPerPixel, Bitmap::kDepth24Bit);
        for (int i = 0; i < 18; ++i) EXPECT_EQ(image.pixels[i], packing.rgb[i]) << "format " << packing.pixelFormat
                                                                                 << " byte " << i;
    }
}

TEST(CanvasCopyToImage, WithoutAPaletteTheBitmapIsLeftAlone) {
    RecordingCanvas canvas(4, 4);
    std::vector<uint8_t> bytes = Rows(canvas, 4);
    canvas.pixels = bytes.data();
    Bitmap image;
    EXPECT_EQ(canvas.CopyToImage(&image), kStatusOk);
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.pixels, nullptr);
}

TEST(CanvasCopyToImage, ACanvasWiderThanABitmapCanHoldGives2) {
    const std::unique_ptr<Palette> p8(Palette::Create(kPixelFormatIndexed8));
    RecordingCanvas canvas(70000, 1, p8.get());
    Bitmap image;
    EXPECT_EQ(canvas.CopyToImage(&image), kStatusOutOfMemory);
    EXPECT_EQ(image.pixels, nullptr);
}

}  // namespace
