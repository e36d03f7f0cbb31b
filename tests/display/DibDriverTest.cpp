#include "display/DibDriver.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/EngineHeap.h"
#include "platform/DisplayAdapter.h"
#include "platform/WindowGraphics.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/ScopedInstall.h"

using platform::DisplayCall;
using platform::GraphicsCall;

namespace {

constexpr uint32_t kWindowed = 0;
constexpr uint32_t kFullScreen = DisplayDriver::kModeFullScreen;

// A 5-5-5 pixel; rows differ from each other at every x, and within a
// 64 x 48 frame every pixel differs, `second` giving another value again.
uint16_t Pattern(int32_t x, int32_t y, bool second = false) {
    return uint16_t((y << 6 | x) | (second ? 0x4000 : 0));
}

// The window of the tests; never looked into.
platform::Window* const kWindow = reinterpret_cast<platform::Window*>(0x1000);

class DibDriverTest : public ::testing::Test {
protected:
    platform::DisplayAdapter& Adapter() { return display_.Adapter(); }
    platform::HeadlessPresenter& Presenter() { return display_.Presenter(); }

    std::unique_ptr<DibDriver> MakeDriver() {
        std::unique_ptr<DibDriver> driver(new DibDriver(kWindow));
        EXPECT_NE(driver, nullptr);
        return driver;
    }

    // A 16-bit driver with its mode set, or null after a test failure.
    std::unique_ptr<DibDriver> Opened555(int32_t width, int32_t height, uint32_t modeFlags = kWindowed) {
        auto driver = MakeDriver();
        if (driver->SetMode(width, height, 16, palette555_.get(), modeFlags) != kDisplayOk) {
            ADD_FAILURE() << "SetMode failed";
            return nullptr;
        }
        return driver;
    }

    static void Fill(DibDriver& driver, bool second) {
        uint16_t* const frame = reinterpret_cast<uint16_t*>(driver.pixels);
        for (int32_t y = 0; y < driver.height; ++y) {
            for (int32_t x = 0; x < driver.width; ++x) frame[y * driver.width + x] = Pattern(x, y, second);
        }
    }

    // Everything the driver held is given back.
    void ExpectClosed(const DibDriver& driver) {
        EXPECT_EQ(driver.directDraw, nullptr);
        EXPECT_EQ(driver.deviceContext, nullptr);
        EXPECT_EQ(driver.header, nullptr);
        EXPECT_EQ(driver.pixels, nullptr);
        EXPECT_EQ(driver.logicalPalette, nullptr);
        EXPECT_EQ(graphics_.LiveContexts(), 0);
        EXPECT_EQ(graphics_.LivePalettes(), 0);
        EXPECT_TRUE(display_.IsEmpty());
    }

    ScopedDisplay display_;
    platform::WindowGraphics graphics_;
    ScopedInstall<platform::WindowGraphics> installed_{graphics_};
    std::unique_ptr<Palette> palette8_ = MakeDistinctPalette(kPixelFormatIndexed8);
    std::unique_ptr<Palette> palette555_ = MakeDistinctPalette(kPixelFormatRgb555);
    std::unique_ptr<Palette> palette565_ = MakeDistinctPalette(kPixelFormatRgb565);
};

TEST_F(DibDriverTest, OpensOnConstructionWithTheWindowsContext) {
    auto driver = MakeDriver();
    EXPECT_EQ(driver->openResult, kDisplayOk);
    EXPECT_EQ(driver->kind, DisplayDriver::kKindDib);
    EXPECT_STREQ(driver->name, "DIB Draw");
    EXPECT_NE(driver->directDraw, nullptr);
    ASSERT_NE(driver->deviceContext, nullptr);
    EXPECT_EQ(driver->deviceContext->GetWindow(), kWindow);
    EXPECT_EQ(driver->flags, 0u);
    EXPECT_EQ(driver->sins, 0u);
    EXPECT_EQ(driver->ReapplyPalette(0), kDisplayUnsupported);
    EXPECT_EQ(driver->SpareCall(1, 2, 3, 4, 5), kDisplayUnsupported);
    EXPECT_EQ(driver->SpareQuery(), 0);
    EXPECT_EQ(driver->Present(), kDisplayOk) << "nothing to show yet";
    EXPECT_EQ(graphics_.CallCount(GraphicsCall::kCopyBits), 0);
    driver.reset();
    EXPECT_EQ(graphics_.LiveContexts(), 0);
    EXPECT_TRUE(display_.IsEmpty());
}

TEST_F(DibDriverTest, WithoutAWindowItStaysUnopenedAndRefusesModes) {
    std::unique_ptr<DibDriver> driver(new DibDriver());
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->openResult, kDisplayNotOpened);
    EXPECT_EQ(driver->kind, 0);
    EXPECT_STREQ(driver->name, "DIB Draw");
    EXPECT_EQ(driver->SetMode(64, 48, 16, palette555_.get(), kWindowed), kDisplayCallFailed);
    ExpectClosed(*driver);
}

TEST_F(DibDriverTest, OpenFailsWhenTheContextOrTheDeviceCannotBeHad) {
    graphics_.InjectFault(GraphicsCall::kGetContext);
    auto noContext = MakeDriver();
    EXPECT_EQ(noContext->openResult, kDisplayCallFailed);
    EXPECT_EQ(noContext->kind, 0);
    ExpectClosed(*noContext);

    Adapter().InjectFault(DisplayCall::kOpen, platform::kDeviceFailed);
    auto noDevice = MakeDriver();
    EXPECT_EQ(noDevice->openResult, kDisplayCallFailed);
    EXPECT_EQ(noDevice->lastResult, platform::kDeviceFailed);
    ExpectClosed(*noDevice);
}

TEST_F(DibDriverTest, SixteenBitModeIsAFiveFiveFiveFrameInAWindow) {
    auto driver = MakeDriver();
    ASSERT_EQ(driver->SetMode(640, 480, 16, palette555_.get(), DisplayDriver::kModePageFlip | 0x4), kDisplayOk);
    EXPECT_EQ(driver->depth, 15);
    EXPECT_EQ(driver->flags, 0u) << "only the full-screen bit is kept";
    EXPECT_EQ(driver->sins, 0x40030100u);
    EXPECT_EQ(driver->palette, palette555_.get());
    EXPECT_NE(driver->pixels, nullptr);
    EXPECT_EQ(driver->logicalPalette, nullptr);
    EXPECT_EQ(graphics_.CallCount(GraphicsCall::kCreatePalette), 0);
    EXPECT_EQ(driver->directDraw->Level(), uint32_t(platform::kLevelNormal));
    EXPECT_FALSE(Adapter().IsExclusive());
    EXPECT_EQ(driver->dirtyLeft, 0);
    EXPECT_EQ(driver->dirtyTop, 0);
    EXPECT_EQ(driver->dirtyRight, 640);
    EXPECT_EQ(driver->dirtyBottom, 480);
}

TEST_F(DibDriverTest, HeaderIsLaidOutByteForByte) {
    auto driver = Opened555(640, 480);
    ASSERT_NE(driver, nullptr);
    ASSERT_NE(driver->header, nullptr);
    const uint8_t expected[44] = {
        0x28, 0x00, 0x00, 0x00,   // size 40
        0x80, 0x02, 0x00, 0x00,   // width 640
        0x20, 0xFE, 0xFF, 0xFF,   // height -480: rows top to bottom
        0x01, 0x00, 0x10, 0x00,   // one plane, 16 bits
        0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0,   // uncompressed, no size, no resolution
        0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0};               // no colour table
    const std::vector<uint8_t> head(driver->header, driver->header + 44);
    EXPECT_EQ(head, std::vector<uint8_t>(expected, expected + 44));
}

TEST_F(DibDriverTest, EightBitHeaderCountsAllColoursAndIndexesThePaletteInOrder) {
    auto driver = MakeDriver();
    ASSERT_EQ(driver->SetMode(320, 200, 8, palette8_.get(), kWindowed), kDisplayOk);
    EXPECT_EQ(driver->depth, 8);
    const uint8_t* const h = driver->header;
    const uint8_t expected[40] = {0x28, 0, 0, 0,  0x40, 0x01, 0, 0,  0x38, 0xFF, 0xFF, 0xFF,  1, 0, 8, 0,
                                  0, 0, 0, 0,     0, 0, 0, 0,        0, 0, 0, 0,              0, 0, 0, 0,
                                  0, 1, 0, 0,     0, 1, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(h, h + 40), std::vector<uint8_t>(expected, expected + 40));
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(h[40 + 2 * i], i);
        EXPECT_EQ(h[41 + 2 * i], 0);
    }
}

TEST_F(DibDriverTest, FiveSixFivePaletteIsRefusedBeforeAnyAllocation) {
    auto driver = MakeDriver();
    {
        // Any allocation would fail and give 2.
        ScopedEngineHeap full(ScopedEngineHeap::kFull);
        EXPECT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), kFullScreen), kDisplayNeeds555Palette);
        EXPECT_EQ(driver->SetMode(640, 480, 16, nullptr, kWindowed), kDisplayNeeds555Palette);
    }
    EXPECT_EQ(driver->header, nullptr);
    EXPECT_EQ(driver->pixels, nullptr);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kSetCooperativeLevel), 0);
    EXPECT_FALSE(Adapter().IsExclusive());
    // Still open: the game asks again with a 5-5-5 palette.
    EXPECT_NE(driver->directDraw, nullptr);
    EXPECT_NE(driver->deviceContext, nullptr);
    EXPECT_EQ(driver->SetMode(640, 480, 16, palette555_.get(), kWindowed), kDisplayOk);
}

TEST_F(DibDriverTest, TwentyFourBitsAreRefusedAndClose) {
    auto driver = MakeDriver();
    EXPECT_EQ(driver->SetMode(640, 480, 24, palette555_.get(), kWindowed), kDisplayUnsupported);
    ExpectClosed(*driver);
    EXPECT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(driver->Close(), kDisplayOk) << "closing twice does nothing";
}

TEST_F(DibDriverTest, FifteenBitsTakeTwoBytesAPixel) {
    auto driver = MakeDriver();
    ASSERT_EQ(driver->SetMode(64, 48, 15, palette555_.get(), kWindowed), kDisplayOk);
    EXPECT_EQ(driver->depth, 15);
    EXPECT_EQ(driver->header[14], 16) << "the header describes the memory the canvases draw into";
    Fill(*driver, false);
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutRgb555);
    EXPECT_EQ(Presenter().RawPixel(63, 47), Pattern(63, 47));
}

TEST_F(DibDriverTest, OutOfMemoryForTheHeaderOrThePixelsClosesWith2) {
    auto driver = MakeDriver();
    {
        ScopedEngineHeap full(ScopedEngineHeap::kFull);
        EXPECT_EQ(driver->SetMode(64, 48, 8, palette8_.get(), kWindowed), kDisplayOutOfMemory);
    }
    ExpectClosed(*driver);

    auto second = MakeDriver();
    {
        // Room for the header, not for a 640 x 480 frame.
        const ScopedEngineHeap small(EngineHeap::kSmallestReserve);
        EXPECT_EQ(second->SetMode(640, 480, 16, palette555_.get(), kWindowed), kDisplayOutOfMemory);
        EXPECT_EQ(EngineHeap::BytesInUse(), 0u) << "the header went back";
    }
    ExpectClosed(*second);
}

TEST_F(DibDriverTest, FirstPresentCopiesTheWholeFrame) {
    auto driver = Opened555(640, 480);
    ASSERT_NE(driver, nullptr);
    Fill(*driver, false);
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(graphics_.CallCount(GraphicsCall::kCopyBits), 1);
    ASSERT_EQ(Presenter().FrameCount(), 1);
    ASSERT_EQ(Presenter().Width(), 640);
    ASSERT_EQ(Presenter().Height(), 480);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutRgb555);
    int32_t wrong = 0;
    for (int32_t y = 0; y < 480; ++y) {
        for (int32_t x = 0; x < 640; ++x) wrong += Presenter().RawPixel(x, y) != Pattern(x, y) ? 1 : 0;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(driver->dirtyLeft, 640);
    EXPECT_EQ(driver->dirtyTop, 480);
    EXPECT_EQ(driver->dirtyRight, 0);
    EXPECT_EQ(driver->dirtyBottom, 0);
}

TEST_F(DibDriverTest, EmptyDirtyRectangleCopiesNothing) {
    auto driver = Opened555(64, 48);
    ASSERT_NE(driver, nullptr);
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(driver->Present(), kDisplayOk);
    driver->Invalidate({10, 10, 0, 5});
    EXPECT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(graphics_.CallCount(GraphicsCall::kCopyBits), 1);
    EXPECT_EQ(Presenter().FrameCount(), 1);
}

TEST_F(DibDriverTest, PartialRectangleCopiesExactlyItsPixels) {
    auto driver = Opened555(64, 48);
    ASSERT_NE(driver, nullptr);
    Fill(*driver, false);
    ASSERT_EQ(driver->Present(), kDisplayOk);
    Fill(*driver, true);
    driver->Invalidate({3, 5, 7, 4});
    ASSERT_EQ(driver->Present(), kDisplayOk);
    ASSERT_EQ(Presenter().FrameCount(), 2);
    for (int32_t y = 0; y < 48; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            const bool inside = x >= 3 && x < 10 && y >= 5 && y < 9;
            ASSERT_EQ(Presenter().RawPixel(x, y), Pattern(x, y, inside)) << x << "," << y;
        }
    }
}

TEST_F(DibDriverTest, DirtyRectangleReachingPastTheFrameIsCutToIt) {
    auto driver = Opened555(64, 48);
    ASSERT_NE(driver, nullptr);
    ASSERT_EQ(driver->Present(), kDisplayOk);
    Fill(*driver, true);
    driver->Invalidate({-10, 40, 30, 100});
    ASSERT_EQ(driver->Present(), kDisplayOk);
    for (int32_t y = 0; y < 48; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            const bool inside = x < 20 && y >= 40;
            ASSERT_EQ(Presenter().RawPixel(x, y), inside ? Pattern(x, y, true) : 0u) << x << "," << y;
        }
    }
}

// The window copy reads rows padded to 4 bytes; the frame must hold them.
TEST_F(DibDriverTest, FramesOfAnyWidthHaveRowsPaddedToFourBytes) {
    struct Case {
        int32_t width;
        int32_t depth;
        int32_t pitch;
    };
    for (const Case& c : {Case{638, 8, 640}, Case{639, 16, 1280}, Case{61, 8, 64}, Case{64, 16, 128}}) {
        auto driver = MakeDriver();
        Palette* const palette = c.depth == 8 ? palette8_.get() : palette555_.get();
        ASSERT_EQ(driver->SetMode(c.width, 48, c.depth, palette, kWindowed), kDisplayOk);
        ASSERT_EQ(driver->pitch, c.pitch) << c.width;
        // The last pixel of every row: index 7, or 5-5-5 red.
        for (int32_t y = 0; y < 48; ++y) {
            uint8_t* const last = driver->pixels + y * c.pitch + (c.width - 1) * (c.depth / 8);
            if (c.depth == 8) {
                *last = 7;
            } else {
                const uint16_t red = 0x7C00;
                std::memcpy(last, &red, sizeof red);
            }
        }
        ASSERT_EQ(driver->Present(), kDisplayOk);
        const uint32_t expected = c.depth == 8 ? (7u << 16 | 248u << 8 | 3u) : 0xFF0000u;
        EXPECT_EQ(Presenter().Rgb(c.width - 1, 0), expected) << c.width;
        EXPECT_EQ(Presenter().Rgb(c.width - 1, 47), expected) << c.width;
        EXPECT_NE(Presenter().Rgb(c.width - 2, 47), expected) << c.width;
    }
}

TEST_F(DibDriverTest, PresentSucceedsWhateverTheCopyDid) {
    auto driver = Opened555(64, 48);
    ASSERT_NE(driver, nullptr);
    graphics_.InjectFault(GraphicsCall::kCopyBits);
    EXPECT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Presenter().FrameCount(), 0);
    EXPECT_EQ(driver->dirtyRight, 0) << "the rectangle is emptied all the same";
}

TEST_F(DibDriverTest, EightBitModeRealisesItsPaletteInTheWindow) {
    auto driver = MakeDriver();
    ASSERT_EQ(driver->SetMode(64, 48, 8, palette8_.get(), kWindowed), kDisplayOk);
    ASSERT_NE(driver->logicalPalette, nullptr);
    EXPECT_EQ(driver->deviceContext->SelectedPalette(), driver->logicalPalette.get());
    EXPECT_FALSE(driver->deviceContext->IsBackgroundPalette());
    EXPECT_EQ(graphics_.CallCount(GraphicsCall::kRealizePalette), 1);
    for (int i = 0; i < 256; ++i) {
        const DisplayPalette::Entry& e = driver->deviceContext->RealizedColors().entries[i];
        EXPECT_EQ(e.red, i);
        EXPECT_EQ(e.green, 255 - i);
        EXPECT_EQ(e.blue, i / 2);
        EXPECT_EQ(e.flags, DisplayPalette::kNoCollapse);
    }
    for (int32_t y = 0; y < 48; ++y) {
        for (int32_t x = 0; x < 64; ++x) driver->pixels[y * 64 + x] = uint8_t(y * 5 + x);
    }
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutIndexed8);
    for (int32_t y = 0; y < 48; y += 7) {
        for (int32_t x = 0; x < 64; x += 5) {
            const uint32_t i = uint8_t(y * 5 + x);
            EXPECT_EQ(Presenter().Rgb(x, y), i << 16 | (255 - i) << 8 | i / 2) << x << "," << y;
        }
    }
    driver.reset();
    EXPECT_EQ(graphics_.LivePalettes(), 0);
}

TEST_F(DibDriverTest, BrightnessRebuildsTheEightBitPalette) {
    auto driver = MakeDriver();
    ASSERT_EQ(driver->SetMode(64, 48, 8, palette8_.get(), kWindowed), kDisplayOk);
    const platform::LogicalPalette* const first = driver->logicalPalette.get();
    EXPECT_EQ(driver->SetPaletteEntries(palette8_.get(), 0x10000), kDisplayOk);
    EXPECT_NE(driver->logicalPalette.get(), first);
    EXPECT_EQ(graphics_.LivePalettes(), 1) << "the old palette is gone";
    for (const DisplayPalette::Entry& e : driver->deviceContext->RealizedColors().entries) {
        EXPECT_EQ(e.red + e.green + e.blue, 3 * 255);
        EXPECT_EQ(e.flags, DisplayPalette::kNoCollapse);
    }
    EXPECT_EQ(driver->ReapplyPalette(-0x10000), kDisplayOk);
    for (const DisplayPalette::Entry& e : driver->deviceContext->RealizedColors().entries) {
        EXPECT_EQ(e.red + e.green + e.blue, 0);
    }
    EXPECT_EQ(driver->SetPaletteEntries(nullptr, 0), kDisplayUnsupported);
}

TEST_F(DibDriverTest, BrightnessInASixteenBitModeOnlyStoresThePalette) {
    auto driver = Opened555(64, 48);
    ASSERT_NE(driver, nullptr);
    Fill(*driver, false);
    ASSERT_EQ(driver->Present(), kDisplayOk);
    const uint32_t before = Presenter().Rgb(5, 5);
    auto other = MakeDistinctPalette(kPixelFormatRgb555);
    EXPECT_EQ(driver->SetPaletteEntries(other.get(), 0x10000), kDisplayOk);
    EXPECT_EQ(driver->palette, other.get());
    EXPECT_EQ(driver->logicalPalette, nullptr);
    EXPECT_EQ(graphics_.CallCount(GraphicsCall::kCreatePalette), 0);
    driver->InvalidateAll();
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Presenter().Rgb(5, 5), before);
}

TEST_F(DibDriverTest, PaletteThatCannotBeMadeKeepsTheOldOneOrFailsTheMode) {
    auto driver = MakeDriver();
    ASSERT_EQ(driver->SetMode(64, 48, 8, palette8_.get(), kWindowed), kDisplayOk);
    const platform::LogicalPalette* const first = driver->logicalPalette.get();
    graphics_.InjectFault(GraphicsCall::kCreatePalette);
    EXPECT_EQ(driver->SetPaletteEntries(palette8_.get(), 0x8000), kDisplayCallFailed);
    EXPECT_EQ(driver->logicalPalette.get(), first);
    EXPECT_EQ(driver->deviceContext->SelectedPalette(), first);

    for (const GraphicsCall call : {GraphicsCall::kCreatePalette, GraphicsCall::kSelectPalette,
                                    GraphicsCall::kRealizePalette}) {
        auto failing = MakeDriver();
        graphics_.InjectFault(call);
        EXPECT_EQ(failing->SetMode(64, 48, 8, palette8_.get(), kWindowed), kDisplayCallFailed) << int(call);
        EXPECT_EQ(failing->directDraw, nullptr);
        EXPECT_EQ(failing->pixels, nullptr);
        EXPECT_EQ(failing->logicalPalette, nullptr);
    }
}

TEST_F(DibDriverTest, EightBitModeWithoutAPaletteMakesNone) {
    auto driver = MakeDriver();
    ASSERT_EQ(driver->SetMode(64, 48, 8, nullptr, kWindowed), kDisplayOk);
    EXPECT_EQ(driver->logicalPalette, nullptr);
    EXPECT_EQ(graphics_.CallCount(GraphicsCall::kCreatePalette), 0);
    EXPECT_EQ(driver->SetPaletteEntries(palette8_.get(), 0), kDisplayOk);
    EXPECT_NE(driver->logicalPalette, nullptr);
    EXPECT_EQ(driver->header[40 + 2 * 200], 200) << "the indices are written with the palette";
}

TEST_F(DibDriverTest, FullScreenSwitchesTheDisplayUntilTheDriverGoes) {
    Adapter().SetDesktop(1024, 768, platform::kLayoutRgb565);
    auto driver = Opened555(640, 480, kFullScreen);
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->flags, kFullScreen);
    EXPECT_TRUE(Adapter().IsExclusive());
    EXPECT_EQ(Adapter().CurrentMode().width, 640);
    EXPECT_EQ(Adapter().CurrentMode().format.bitsPerPixel, 16);
    // The frame stays 5-5-5 whatever the display runs in.
    Fill(*driver, false);
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutRgb555);
    driver.reset();
    EXPECT_EQ(Adapter().CurrentMode().width, 1024);
    EXPECT_TRUE(display_.IsEmpty());

    auto indexed = MakeDriver();
    ASSERT_EQ(indexed->SetMode(800, 600, 8, palette8_.get(), kFullScreen), kDisplayOk);
    EXPECT_EQ(Adapter().CurrentMode().format, platform::kLayoutIndexed8);
    EXPECT_EQ(Adapter().CurrentMode().width, 800);
}

TEST_F(DibDriverTest, DisplaySwitchFailuresCloseWith8) {
    Adapter().InjectFault(DisplayCall::kSetDisplayMode, platform::kDeviceUnsupported);
    auto fullScreen = MakeDriver();
    EXPECT_EQ(fullScreen->SetMode(640, 480, 16, palette555_.get(), kFullScreen), kDisplayCallFailed);
    EXPECT_EQ(fullScreen->lastResult, platform::kDeviceUnsupported);
    EXPECT_EQ(fullScreen->flags, kFullScreen);
    EXPECT_EQ(Adapter().CurrentMode().width, Adapter().DesktopMode().width);
    ExpectClosed(*fullScreen);

    Adapter().InjectFault(DisplayCall::kSetCooperativeLevel, platform::kDeviceFailed);
    auto windowed = MakeDriver();
    EXPECT_EQ(windowed->SetMode(640, 480, 16, palette555_.get(), kWindowed), kDisplayCallFailed);
    EXPECT_EQ(windowed->flags, 0u);
    ExpectClosed(*windowed);
}

}  // namespace
