#include "canvas/ScreenCanvas16.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "display/DibDriver.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/EngineHeap.h"
#include "platform/WindowGraphics.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/ScopedInstall.h"

namespace {

constexpr uint16_t kCallerPixel = 0x5A5A;
constexpr uint16_t kCallerDepth = 0x1234;

// Memory the caller owns and keeps after the canvas has gone.
struct CallerMemory {
    CallerMemory(int32_t width, int32_t height, int32_t pitchPixels)
        : pixels(size_t(pitchPixels) * size_t(height), kCallerPixel), depth(size_t(width) * size_t(height), kCallerDepth) {}
    uint8_t* Pixels() { return reinterpret_cast<uint8_t*>(pixels.data()); }
    std::vector<uint16_t> pixels;
    std::vector<uint16_t> depth;
};

std::unique_ptr<Palette> Palette565() { return std::unique_ptr<Palette>(Palette::Create(kPixelFormatRgb565)); }

TEST(ScreenCanvas16, DefaultPitchOn640PixelsIs1280AndSubdivideLengthsFollowTheWidth) {
    const auto palette = Palette565();
    CallerMemory memory(640, 4, 640);
    ScreenCanvas16 canvas(640, 4, memory.Pixels(), nullptr, palette.get(), 0, 0, 0);
    EXPECT_EQ(canvas.setupResult, kStatusOk);
    EXPECT_EQ(canvas.pitch, 1280);
    EXPECT_EQ(canvas.depthPitch, 2560);
    EXPECT_EQ(canvas.bufferSize, 640u * 4 * 2);
    EXPECT_EQ(canvas.flags, Canvas::kFlagSetUp | Canvas::kFlag16Bit);
    EXPECT_EQ(canvas.pixels, memory.Pixels());
    EXPECT_FLOAT_EQ(canvas.subdivideLength, 44.8f);
    EXPECT_FLOAT_EQ(canvas.subdivideLongLength, 179.2f);
    // Cleared through the canvas: the caller's memory holds the clear colour.
    EXPECT_EQ(memory.pixels[0], 0);
    EXPECT_EQ(memory.pixels.back(), 0);
}

TEST(ScreenCanvas16, GivenPixelsWithDepthFlagAllocatesOnlyTheDepthBuffer) {
    ScopedEngineHeap heap(8 << 20);
    const uint64_t before = EngineHeap::BytesInUse();
    const auto palette = Palette565();
    CallerMemory memory(16, 8, 16);
    {
        ScreenCanvas16 canvas(16, 8, memory.Pixels(), nullptr, palette.get(), Canvas::kFlagHasDepth, 0, 0);
        ASSERT_EQ(canvas.setupResult, kStatusOk);
        EXPECT_EQ(canvas.flags & (Canvas::kFlagOwnsPixels | Canvas::kFlagOwnsDepth), Canvas::kFlagOwnsDepth);
        EXPECT_NE(canvas.flags & Canvas::kFlagDepthTest, 0u);
        EXPECT_EQ(canvas.depthBits, 16);
        EXPECT_TRUE(EngineHeap::Contains(canvas.depth));
        EXPECT_FALSE(EngineHeap::Contains(canvas.pixels));
        EXPECT_EQ(canvas.depth[0], 0xFFFF);
        const CanvasRect r{0, 0, 16, 8};
        canvas.FillRect(&r, Canvas::kColorRaw565 | 0x0F0F);
    }
    // Tables, span buffers and the depth buffer went back; the pixels are
    // the caller's, drawn and still there.
    EXPECT_EQ(EngineHeap::BytesInUse(), before);
    EXPECT_EQ(memory.pixels[0], 0x0F0F);
    EXPECT_EQ(memory.pixels.back(), 0x0F0F);
}

TEST(ScreenCanvas16, GivenDepthBufferIsUsedNotFreedAndItsPitchReplaced) {
    const auto palette = Palette565();
    CallerMemory memory(8, 4, 8);
    {
        ScreenCanvas16 canvas(8, 4, memory.Pixels(), memory.depth.data(), palette.get(),
                              Canvas::kFlagHasDepth | Canvas::kFlagNoClear, 0, 100);
        ASSERT_EQ(canvas.setupResult, kStatusOk);
        EXPECT_EQ(canvas.depthPitch, 16);
        EXPECT_EQ(canvas.depthRowOffsets[3], 48u);
        EXPECT_EQ(canvas.flags & (Canvas::kFlagOwnsPixels | Canvas::kFlagOwnsDepth), 0u);
        // No clear: the caller's contents are as they were.
        EXPECT_EQ(memory.pixels[5], kCallerPixel);
        EXPECT_EQ(canvas.DepthRow(3)[7], kCallerDepth);
        canvas.Clear(0, 0x22220000);
    }
    EXPECT_EQ(memory.depth.back(), 0x2222);
}

TEST(ScreenCanvas16, NullPixelsAreAllocatedAndOwned) {
    ScopedEngineHeap heap(8 << 20);
    const uint64_t before = EngineHeap::BytesInUse();
    const auto palette = Palette565();
    {
        ScreenCanvas16 canvas(32, 16, nullptr, nullptr, palette.get(), Canvas::kFlagHasDepth, 0, 0);
        ASSERT_EQ(canvas.setupResult, kStatusOk);
        EXPECT_EQ(canvas.flags & (Canvas::kFlagOwnsPixels | Canvas::kFlagOwnsDepth),
                  Canvas::kFlagOwnsPixels | Canvas::kFlagOwnsDepth);
        EXPECT_TRUE(EngineHeap::Contains(canvas.pixels));
    }
    EXPECT_EQ(EngineHeap::BytesInUse(), before);
}

TEST(ScreenCanvas16, DeletingThroughTheCanvasBaseRunsEveryDestructor) {
    ScopedEngineHeap heap(8 << 20);
    const uint64_t before = EngineHeap::BytesInUse();
    const auto palette = Palette565();
    Canvas* canvas = new ScreenCanvas16(32, 16, nullptr, nullptr, palette.get(), Canvas::kFlagHasDepth, 0, 0);
    const FogParams fog{1, 2, 3, 0, 0.25f};
    canvas->SetFog(&fog);
    delete canvas;
    EXPECT_EQ(EngineHeap::BytesInUse(), before);
}

TEST(ScreenCanvas16, WidePitchLeavesThePaddingOfEachRowAlone) {
    const auto palette = Palette565();
    CallerMemory memory(4, 3, 6);
    ScreenCanvas16 canvas(4, 3, memory.Pixels(), nullptr, palette.get(), 0, 12, 0);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    EXPECT_EQ(canvas.rowOffsets[2], 24u);
    const CanvasRect all{0, 0, 4, 3};
    canvas.FillRect(&all, Canvas::kColorRaw565 | 0x0001);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 6; ++x) {
            EXPECT_EQ(memory.pixels[size_t(y) * 6 + size_t(x)], x < 4 ? 0x0001 : kCallerPixel) << x << ", " << y;
        }
    }
}

TEST(ScreenCanvas16, FailedSetUpFreesOnlyWhatItTookAndLeavesTheCallerMemory) {
    const auto palette = Palette565();
    CallerMemory memory(16, 8, 16);
    {
        ScopedEngineHeap full(ScopedEngineHeap::kFull);
        ScreenCanvas16 canvas(16, 8, memory.Pixels(), memory.depth.data(), palette.get(), Canvas::kFlagHasDepth, 0,
                              0);
        EXPECT_EQ(canvas.setupResult, kStatusOutOfMemory);
        EXPECT_EQ(canvas.rowOffsets, nullptr);
        const CanvasRect r{0, 0, 4, 4};
        EXPECT_EQ(canvas.FillRect(&r, 1), kStatusPlatformFailed);
    }
    EXPECT_EQ(memory.pixels[0], kCallerPixel);
    EXPECT_EQ(memory.depth[0], kCallerDepth);
}

TEST(ScreenCanvas16, SetUpAgainGivesBackWhatTheFirstOneTook) {
    ScopedEngineHeap heap(8 << 20);
    const auto palette = Palette565();
    CallerMemory memory(8, 8, 8);
    ScreenCanvas16 canvas(8, 8, nullptr, nullptr, palette.get(), Canvas::kFlagHasDepth, 0, 0);
    const uint64_t firstSetUp = EngineHeap::BytesInUse();
    EXPECT_EQ(canvas.SetupScreen(8, 8, memory.Pixels(), nullptr, palette.get(), 0, 0, 0), kStatusOk);
    EXPECT_LT(EngineHeap::BytesInUse(), firstSetUp);
    EXPECT_EQ(canvas.pixels, memory.Pixels());
    EXPECT_EQ(canvas.depth, nullptr);
    EXPECT_EQ(canvas.flags & (Canvas::kFlagOwnsPixels | Canvas::kFlagOwnsDepth | Canvas::kFlagDepthTest), 0u);
}

TEST(ScreenCanvas16OnDib, DrawsIntoTheFrameThatPresentShows) {
    ScopedDisplay display;
    platform::WindowGraphics graphics;
    ScopedInstall<platform::WindowGraphics> installed(graphics);
    std::unique_ptr<Palette> palette555 = MakeDistinctPalette(kPixelFormatRgb555);
    // The window is never looked into.
    DibDriver driver(reinterpret_cast<platform::Window*>(0x1000));
    ASSERT_EQ(driver.SetMode(640, 480, 16, palette555.get(), 0), kDisplayOk);
    ScreenCanvas16 canvas(640, 480, driver.pixels, nullptr, palette555.get(), Canvas::kFlagHasDepth, 0, 0);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    const CanvasRect square{100, 50, 20, 10};
    ASSERT_EQ(canvas.FillRect(&square, Canvas::kColorRaw555 | 0x7C00), kStatusOk);
    ASSERT_EQ(driver.Present(), kDisplayOk);
    EXPECT_EQ(display.Presenter().Rgb(100, 50), 0xFF0000u);
    EXPECT_EQ(display.Presenter().Rgb(119, 59), 0xFF0000u);
    // The canvas cleared the frame to colour 0, which is (0, 255, 0).
    EXPECT_EQ(display.Presenter().Rgb(120, 59), 0x00FF00u);
    EXPECT_EQ(display.Presenter().Rgb(100, 60), 0x00FF00u);

    ASSERT_EQ(canvas.FillRect(&square, Canvas::kColorRaw555 | 0x001F), kStatusOk);
    driver.Invalidate(square);
    ASSERT_EQ(driver.Present(), kDisplayOk);
    EXPECT_EQ(display.Presenter().Rgb(110, 55), 0x0000FFu);
}

}  // namespace
