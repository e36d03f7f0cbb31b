#include "canvas/ScreenCanvas8.h"

#include <algorithm>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "display/Palette.h"
#include "engine/EngineHeap.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

constexpr uint32_t kFarthest = 0xFFFFFFFF;

TEST(ScreenCanvas8, OverCallerPixelsAllocatesOnlyTheDepthBuffer) {
    PaletteIndexed8 palette;
    std::vector<uint8_t> frame(64 * 48, 0x5A);
    ScreenCanvas8 canvas(64, 48, frame.data(), nullptr, &palette, Canvas::kFlagHasDepth, 0, 0);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    EXPECT_EQ(canvas.pixels, frame.data());
    EXPECT_EQ(canvas.flags, Canvas::kFlagSetUp | Canvas::kFlagHasDepth | Canvas::kFlagDepthTest |
                                Canvas::kFlagOwnsDepth);
    EXPECT_EQ(canvas.pitch, 64);
    EXPECT_EQ(canvas.depthPitch, 128);
    EXPECT_EQ(canvas.depthBits, 16);
    EXPECT_EQ(canvas.bufferSize, 64u * 48u);
    EXPECT_EQ(canvas.subdivideLength, 2049.0f);
    EXPECT_EQ(canvas.palette, &palette);
    ASSERT_NE(canvas.depth, nullptr);
    // Cleared to index 0 and the farthest depth.
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 0), 64 * 48);
    EXPECT_EQ(canvas.DepthRow(47)[63], 0xFFFF);
}

TEST(ScreenCanvas8, DestructorLeavesCallerMemoryIntactAndFreesWhatItMade) {
    PaletteIndexed8 palette;
    std::vector<uint8_t> frame(32 * 16, 0);
    std::vector<uint16_t> callerDepth(32 * 16, 0x1234);
    ScopedEngineHeap heap(1 << 20);
    {
        ScreenCanvas8 canvas(32, 16, frame.data(), callerDepth.data(), &palette, Canvas::kFlagHasDepth, 0, 0);
        ASSERT_EQ(canvas.setupResult, kStatusOk);
        EXPECT_EQ(canvas.depth, callerDepth.data());
        EXPECT_EQ(canvas.flags & (Canvas::kFlagOwnsPixels | Canvas::kFlagOwnsDepth), 0u);
        const CanvasRect rect{2, 3, 4, 5};
        ASSERT_EQ(canvas.FillRect(&rect, 9), kStatusOk);
        EXPECT_GT(EngineHeap::BytesInUse(), 0u);
    }
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
    EXPECT_EQ(frame[size_t(3 * 32 + 2)], 9);
    EXPECT_EQ(frame[size_t(7 * 32 + 5)], 9);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 9), 20);
    // The set-up cleared the caller's depth buffer; it is still there to read.
    EXPECT_EQ(std::count(callerDepth.begin(), callerDepth.end(), 0xFFFF), 32 * 16);
}

TEST(ScreenCanvas8, WithoutPixelsItAllocatesAndFreesItsOwnBuffers) {
    ScopedEngineHeap heap(1 << 20);
    {
        ScreenCanvas8 canvas(20, 10, nullptr, nullptr, nullptr, Canvas::kFlagHasDepth, 0, 0);
        ASSERT_EQ(canvas.setupResult, kStatusOk);
        EXPECT_NE(canvas.pixels, nullptr);
        EXPECT_NE(canvas.depth, nullptr);
        EXPECT_EQ(canvas.flags & (Canvas::kFlagOwnsPixels | Canvas::kFlagOwnsDepth),
                  Canvas::kFlagOwnsPixels | Canvas::kFlagOwnsDepth);
        EXPECT_GT(EngineHeap::BytesInUse(), 20u * 10u * 3u);
    }
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
}

TEST(ScreenCanvas8, GivenPitchSpacesTheRowsAndLeavesThePaddingAlone) {
    constexpr int32_t kPitch = 12;
    std::vector<uint8_t> frame(kPitch * 4, 0xEE);
    ScreenCanvas8 canvas(8, 4, frame.data(), nullptr, nullptr, 0, kPitch, 0);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    EXPECT_EQ(canvas.pitch, kPitch);
    EXPECT_EQ(canvas.depthPitch, 2 * kPitch);   // no depth flag: twice the pitch
    EXPECT_EQ(canvas.depth, nullptr);
    EXPECT_EQ(canvas.rowOffsets[3], uint32_t(3 * kPitch));
    for (int32_t y = 0; y < 4; ++y) {
        for (int32_t x = 0; x < kPitch; ++x) {
            EXPECT_EQ(frame[size_t(y * kPitch + x)], x < 8 ? 0 : 0xEE) << x << ", " << y;
        }
    }
}

TEST(ScreenCanvas8, DepthPitchGivenWithTheDepthFlagIsReplacedByTwiceTheWidth) {
    std::vector<uint8_t> frame(16 * 4 * 2);
    ScreenCanvas8 canvas(16, 4, frame.data(), nullptr, nullptr, Canvas::kFlagHasDepth, 32, 500);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    EXPECT_EQ(canvas.depthPitch, 32);
    EXPECT_EQ(canvas.depthRowOffsets[3], 96u);

    ScreenCanvas8 noDepth(16, 4, frame.data(), nullptr, nullptr, 0, 32, 500);
    EXPECT_EQ(noDepth.depthPitch, 500);
}

TEST(ScreenCanvas8, NoClearFlagLeavesTheCallersPixels) {
    std::vector<uint8_t> frame(8 * 8, 7);
    ScreenCanvas8 canvas(8, 8, frame.data(), nullptr, nullptr, Canvas::kFlagNoClear, 0, 0);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 7), 64);
}

TEST(ScreenCanvas8, FailedSetUpFreesWhatItMadeAndDrawingReturns8) {
    std::vector<uint8_t> frame(200 * 150, 7);
    ScopedEngineHeap heap(64 * 1024);
    // The depth buffer and row tables fit, the span buffers do not.
    ScreenCanvas8 canvas(200, 150, frame.data(), nullptr, nullptr, Canvas::kFlagHasDepth, 0, 0);
    EXPECT_EQ(canvas.setupResult, kStatusOutOfMemory);
    EXPECT_EQ(EngineHeap::BytesInUse(), 0u);
    EXPECT_EQ(canvas.depth, nullptr);
    EXPECT_EQ(canvas.rowOffsets, nullptr);
    EXPECT_EQ(canvas.flags & (Canvas::kFlagOwnsPixels | Canvas::kFlagOwnsDepth), 0u);

    const CanvasRect rect{0, 0, 4, 4};
    EXPECT_EQ(canvas.FillRect(&rect, 1), kStatusPlatformFailed);
    EXPECT_EQ(canvas.Clear(0, kFarthest), kStatusPlatformFailed);
    ViewVertex a, b;
    b.screenX = 5;
    EXPECT_EQ(canvas.DrawLineInt(&a, &b, nullptr), kStatusPlatformFailed);
    EXPECT_EQ(std::count(frame.begin(), frame.end(), 7), 200 * 150);
}

TEST(ScreenCanvas8, FullHeapWithoutPixelsReturns2) {
    std::unique_ptr<ScreenCanvas8> canvas;
    {
        ScopedEngineHeap full(ScopedEngineHeap::kFull);
        canvas = std::make_unique<ScreenCanvas8>(8, 8, nullptr, nullptr, nullptr, 0, 0, 0);
    }
    EXPECT_EQ(canvas->setupResult, kStatusOutOfMemory);
    EXPECT_EQ(canvas->pixels, nullptr);
    const CanvasRect rect{0, 0, 4, 4};
    EXPECT_EQ(canvas->FillRect(&rect, 1), kStatusPlatformFailed);
}

}  // namespace
