#include "display/DirectDrawDriver.h"

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "platform/DisplayAdapter.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEngineHeap.h"

using platform::DisplayCall;
using platform::kLayoutIndexed8;
using platform::kLayoutRgb555;
using platform::kLayoutRgb565;
using platform::PixelLayout;
using platform::Surface;

namespace {

constexpr uint32_t kWindowed = 0;
constexpr uint32_t kFullScreen = DisplayDriver::kModeFullScreen;
constexpr uint32_t kFlipping = DisplayDriver::kModeFullScreen | DisplayDriver::kModePageFlip;
constexpr uint32_t kSystemDrawing = DisplayDriver::kModeSystemDrawing;

class DirectDrawDriverTest : public ::testing::Test {
protected:
    platform::DisplayAdapter& Adapter() { return display_.Adapter(); }
    platform::HeadlessPresenter& Presenter() { return display_.Presenter(); }

    std::unique_ptr<DirectDrawDriver> MakeDriver() {
        std::unique_ptr<DirectDrawDriver> driver(new DirectDrawDriver(nullptr));
        EXPECT_NE(driver, nullptr);
        return driver;
    }

    // A driver whose mode is set, or null after a test failure.
    std::unique_ptr<DirectDrawDriver> Opened(uint32_t modeFlags, int32_t depth = 16, Palette* palette = nullptr) {
        auto driver = MakeDriver();
        EXPECT_EQ(driver->SetMode(640, 480, depth, palette != nullptr ? palette : palette565_.get(), modeFlags),
                  kDisplayOk);
        return driver;
    }

    static void FillDrawing(DirectDrawDriver& driver, uint32_t value, platform::SurfaceRect area) {
        platform::BlitEffects effects;
        effects.fillColor = value;
        ASSERT_EQ(driver.drawingSurface->Blit(&area, nullptr, nullptr, platform::kBlitColorFill | platform::kBlitWait,
                                              &effects),
                  platform::kDeviceOk);
    }

    // Closed, and nothing it made is left.
    void ExpectClosed(const DirectDrawDriver& driver) {
        EXPECT_EQ(driver.directDraw, nullptr);
        EXPECT_EQ(driver.primarySurface, nullptr);
        EXPECT_EQ(driver.backBuffer, nullptr);
        EXPECT_EQ(driver.drawingSurface, nullptr);
        EXPECT_EQ(driver.devicePalette, nullptr);
        EXPECT_EQ(driver.frameSurfaces, nullptr);
        EXPECT_TRUE(display_.IsEmpty());
        EXPECT_EQ(Adapter().CurrentMode().format, Adapter().DesktopMode().format);
        EXPECT_EQ(Adapter().CurrentMode().width, Adapter().DesktopMode().width);
    }

    ScopedDisplay display_;
    std::unique_ptr<Palette> palette8_ = MakeDistinctPalette(kPixelFormatIndexed8);
    std::unique_ptr<Palette> palette555_ = MakeDistinctPalette(kPixelFormatRgb555);
    std::unique_ptr<Palette> palette565_ = MakeDistinctPalette(kPixelFormatRgb565);
};

TEST_F(DirectDrawDriverTest, OpensOnConstruction) {
    auto driver = MakeDriver();
    EXPECT_EQ(driver->openResult, kDisplayOk);
    EXPECT_EQ(driver->kind, DisplayDriver::kKindDirectDraw);
    EXPECT_STREQ(driver->name, "DDraw");
    EXPECT_NE(driver->directDraw, nullptr);
    EXPECT_EQ(driver->flags, 0u);
    EXPECT_EQ(driver->sins, 0u);
    EXPECT_EQ(driver->palette, nullptr);
    EXPECT_EQ(Adapter().LiveDevices(), 1);
    EXPECT_EQ(driver->SpareCall(1, 2, 3, 4, 5), kDisplayUnsupported);
    EXPECT_EQ(driver->SpareQuery(), 0);
    driver.reset();
    EXPECT_TRUE(display_.IsEmpty());
}

TEST_F(DirectDrawDriverTest, FailedOpenLeavesAClosedDriverThatRefusesModes) {
    Adapter().InjectFault(DisplayCall::kOpen, platform::kDeviceFailed);
    auto driver = MakeDriver();
    EXPECT_EQ(driver->openResult, kDisplayCallFailed);
    EXPECT_EQ(driver->kind, 0);
    EXPECT_EQ(driver->lastResult, platform::kDeviceFailed);
    EXPECT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), kWindowed), kDisplayCallFailed);
    EXPECT_EQ(driver->Present(), kDisplayCallFailed);
    ExpectClosed(*driver);
}

TEST_F(DirectDrawDriverTest, WindowedModeBlitsAnOffscreenBufferThatIsAlsoTheDrawingSurface) {
    auto driver = Opened(kWindowed);
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->flags, kWindowed);
    EXPECT_EQ(driver->width, 640);
    EXPECT_EQ(driver->depth, 16);
    EXPECT_EQ(driver->sins, DisplayDriver::kSinsSoftware);
    EXPECT_EQ(driver->sins, 0x40030100u);
    EXPECT_EQ(driver->zBuffer, nullptr);
    EXPECT_EQ(driver->drawingSurface, driver->backBuffer);
    EXPECT_EQ(driver->backBuffer->Caps() & (platform::kCapsOffscreen | platform::kCapsVideoMemory),
              platform::kCapsOffscreen | platform::kCapsVideoMemory);
    EXPECT_EQ(driver->primarySurface->Caps() & platform::kCapsPrimary, platform::kCapsPrimary);
    ASSERT_NE(driver->frameSurfaces, nullptr);
    EXPECT_EQ(driver->frameSurfaces->lockWord, 0u);
    EXPECT_EQ(driver->frameSurfaces->drawingSurface, driver->drawingSurface.get());
    EXPECT_EQ(driver->frameSurfaces->depthSurface, nullptr);
    EXPECT_FALSE(Adapter().IsExclusive());
    EXPECT_EQ(driver->palette, nullptr) << "16-bit modes keep no palette";
}

TEST_F(DirectDrawDriverTest, FullScreenFlippingDrawsIntoTheBackBuffer) {
    Adapter().SetDesktop(1024, 768, kLayoutIndexed8);
    auto driver = MakeDriver();
    ASSERT_EQ(driver->SetMode(800, 600, 16, palette565_.get(), kFlipping), kDisplayOk);
    EXPECT_TRUE(Adapter().IsExclusive());
    EXPECT_EQ(Adapter().CurrentMode().width, 800);
    EXPECT_EQ(Adapter().CurrentMode().format, kLayoutRgb565);
    std::shared_ptr<Surface> attached;
    ASSERT_EQ(driver->primarySurface->GetAttachedSurface(platform::kCapsBackBuffer, &attached), platform::kDeviceOk);
    EXPECT_EQ(driver->backBuffer, attached);
    EXPECT_EQ(driver->drawingSurface, driver->backBuffer);
    attached.reset();
    driver.reset();
    EXPECT_EQ(Adapter().CurrentMode().width, 1024) << "the destructor puts the desktop back";
    EXPECT_TRUE(display_.IsEmpty());
}

TEST_F(DirectDrawDriverTest, SystemMemoryDrawingGetsASurfaceOfItsOwnWhenFlipping) {
    auto driver = Opened(kFlipping | kSystemDrawing);
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->flags, kFlipping | kSystemDrawing);
    EXPECT_NE(driver->drawingSurface, driver->backBuffer);
    EXPECT_FALSE(driver->drawingSurface->InVideoMemory());
    EXPECT_TRUE(driver->backBuffer->InVideoMemory());
    EXPECT_EQ(Adapter().LiveSurfaces(), 3);
}

TEST_F(DirectDrawDriverTest, SystemMemoryDrawingWithoutFlippingMakesTheOffscreenBufferSystemMemory) {
    auto driver = Opened(kSystemDrawing);
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->drawingSurface, driver->backBuffer);
    EXPECT_FALSE(driver->backBuffer->InVideoMemory());
    EXPECT_EQ(Adapter().LiveSurfaces(), 2);
}

TEST_F(DirectDrawDriverTest, PrimaryFallsBackToSystemMemoryAndDropsTheSeparateDrawingSurface) {
    Adapter().SetVideoMemory(0);
    auto driver = Opened(kFlipping | kSystemDrawing);
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->flags, kFlipping);
    EXPECT_FALSE(driver->primarySurface->InVideoMemory());
    EXPECT_EQ(driver->drawingSurface, driver->backBuffer);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kCreateSurface), 2);
    EXPECT_EQ(driver->Present(), kDisplayOk);
}

TEST_F(DirectDrawDriverTest, OffscreenBufferThatVideoMemoryCannotHoldFailsAndCloses) {
    Adapter().SetVideoMemory(Adapter().PitchFor(640, kLayoutRgb565) * 480);
    auto driver = MakeDriver();
    EXPECT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), kWindowed), kDisplayCallFailed);
    EXPECT_EQ(driver->lastResult, platform::kDeviceOutOfVideoMemory);
    ExpectClosed(*driver);
}

// Desktop layout against palette kind: the lock probe reads the layout.
struct LayoutCase {
    const char* name;
    PixelLayout layout;
    int32_t pixelFormat;
    uint32_t modeFlags;
    int32_t expected;
};

void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

class DirectDrawLayoutTest : public DirectDrawDriverTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(DirectDrawLayoutTest, DecidesFromTheSurfaceLayoutAndThePaletteKind) {
    const LayoutCase& c = GetParam();
    if ((c.modeFlags & kFullScreen) != 0) {
        Adapter().SetDesktopFormat(kLayoutIndexed8);
        Adapter().SetHighColorLayout(c.layout);
    } else {
        Adapter().SetDesktopFormat(c.layout);
    }
    std::unique_ptr<Palette> palette = MakeDistinctPalette(c.pixelFormat);
    auto driver = MakeDriver();
    EXPECT_EQ(driver->SetMode(640, 480, 16, palette.get(), c.modeFlags), c.expected);
    if (c.expected == kDisplayOk) {
        EXPECT_EQ(driver->sins, DisplayDriver::kSinsSoftware);
        EXPECT_NE(driver->frameSurfaces, nullptr);
    } else {
        EXPECT_EQ(driver->sins, 0u);
        ExpectClosed(*driver);
    }
}

INSTANTIATE_TEST_SUITE_P(
    BothLayouts, DirectDrawLayoutTest,
    ::testing::Values(LayoutCase{"Windowed565With565", kLayoutRgb565, kPixelFormatRgb565, kWindowed, kDisplayOk},
                      LayoutCase{"Windowed565With555", kLayoutRgb565, kPixelFormatRgb555, kWindowed,
                                 kDisplayNeeds565Palette},
                      LayoutCase{"Windowed565With8", kLayoutRgb565, kPixelFormatIndexed8, kWindowed,
                                 kDisplayNeeds565Palette},
                      LayoutCase{"Windowed555With555", kLayoutRgb555, kPixelFormatRgb555, kWindowed, kDisplayOk},
                      LayoutCase{"Windowed555With565", kLayoutRgb555, kPixelFormatRgb565, kWindowed,
                                 kDisplayNeeds555Palette},
                      LayoutCase{"Windowed555With8", kLayoutRgb555, kPixelFormatIndexed8, kWindowed,
                                 kDisplayNeeds555Palette},
                      LayoutCase{"Flipping565With565", kLayoutRgb565, kPixelFormatRgb565, kFlipping, kDisplayOk},
                      LayoutCase{"Flipping565With555", kLayoutRgb565, kPixelFormatRgb555, kFlipping,
                                 kDisplayNeeds565Palette},
                      LayoutCase{"FullScreen555With555", kLayoutRgb555, kPixelFormatRgb555, kFullScreen, kDisplayOk},
                      LayoutCase{"FullScreen555With565", kLayoutRgb555, kPixelFormatRgb565, kFullScreen,
                                 kDisplayNeeds555Palette}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST_F(DirectDrawDriverTest, NullPaletteOnA16BitSurfaceIsRefused) {
    auto driver = MakeDriver();
    EXPECT_EQ(driver->SetMode(640, 480, 16, nullptr, kWindowed), kDisplayUnsupported);
    ExpectClosed(*driver);
}

TEST_F(DirectDrawDriverTest, LayoutIsDecidedAfterASurfaceLostDuringTheProbe) {
    Adapter().SetDesktopFormat(kLayoutRgb555);
    Adapter().InjectFault(DisplayCall::kLock, platform::kDeviceSurfaceLost);
    auto driver = MakeDriver();
    EXPECT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), kWindowed), kDisplayNeeds555Palette);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kRestore), 1);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kLock), 2);
    ExpectClosed(*driver);
}

TEST_F(DirectDrawDriverTest, ProbeSucceedsOnItsLastAttempt) {
    Adapter().InjectFault(DisplayCall::kLock, platform::kDeviceFailed, DirectDrawDriver::kProbeAttempts - 1);
    auto driver = Opened(kWindowed);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kLock), DirectDrawDriver::kProbeAttempts);
    EXPECT_FALSE(driver->drawingSurface->IsLocked());
}

TEST_F(DirectDrawDriverTest, ProbeThatNeverLocksFailsWithoutClosing) {
    Adapter().InjectFault(DisplayCall::kLock, platform::kDeviceFailed, DirectDrawDriver::kProbeAttempts);
    auto driver = MakeDriver();
    EXPECT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), kWindowed), kDisplayCallFailed);
    EXPECT_EQ(driver->sins, 0u);
    EXPECT_NE(driver->directDraw, nullptr) << "left for the caller to delete";
    EXPECT_NE(driver->frameSurfaces, nullptr);
    driver.reset();
    EXPECT_TRUE(display_.IsEmpty());
}

TEST_F(DirectDrawDriverTest, LostSurfaceThatCannotBeRestoredFailsEveryAttempt) {
    Adapter().InjectFault(DisplayCall::kLock, platform::kDeviceSurfaceLost);
    Adapter().InjectFault(DisplayCall::kRestore, platform::kDeviceFailed, DirectDrawDriver::kProbeAttempts);
    auto driver = MakeDriver();
    EXPECT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), kWindowed), kDisplayCallFailed);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kLock), DirectDrawDriver::kProbeAttempts);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kRestore), DirectDrawDriver::kProbeAttempts);
    driver.reset();
    EXPECT_TRUE(display_.IsEmpty());
}

// A platform call failing at each step of SetMode.
struct FaultCase {
    const char* name;
    DisplayCall call;
    int32_t skip;
    uint32_t modeFlags;
};

void PrintTo(const FaultCase& c, std::ostream* out) { *out << c.name; }

class DirectDrawFaultTest : public DirectDrawDriverTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(DirectDrawFaultTest, FailsWith8AndClosesEverything) {
    const FaultCase& c = GetParam();
    Adapter().InjectFault(c.call, platform::kDeviceFailed, 2, c.skip);
    auto driver = MakeDriver();
    EXPECT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), c.modeFlags), kDisplayCallFailed);
    EXPECT_EQ(driver->lastResult, platform::kDeviceFailed);
    EXPECT_EQ(driver->sins, 0u);
    ExpectClosed(*driver);
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, DirectDrawFaultTest,
    ::testing::Values(FaultCase{"NormalLevel", DisplayCall::kSetCooperativeLevel, 0, kWindowed},
                      FaultCase{"ExclusiveLevel", DisplayCall::kSetCooperativeLevel, 0, kFlipping},
                      FaultCase{"DisplayMode", DisplayCall::kSetDisplayMode, 0, kFlipping},
                      FaultCase{"PrimaryBothTries", DisplayCall::kCreateSurface, 0, kWindowed},
                      FaultCase{"OffscreenBuffer", DisplayCall::kCreateSurface, 1, kWindowed},
                      FaultCase{"SystemOffscreenBuffer", DisplayCall::kCreateSurface, 1, kSystemDrawing},
                      FaultCase{"BackBuffer", DisplayCall::kGetAttachedSurface, 0, kFlipping},
                      FaultCase{"SystemDrawingSurface", DisplayCall::kCreateSurface, 1,
                                kFlipping | kSystemDrawing}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

TEST_F(DirectDrawDriverTest, FrameSurfacesOutOfMemoryGives2AndCloses) {
    auto driver = MakeDriver();
    {
        ScopedEngineHeap full(ScopedEngineHeap::kFull);
        EXPECT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), kFlipping), kDisplayOutOfMemory);
    }
    ExpectClosed(*driver);
}

TEST_F(DirectDrawDriverTest, PresentBlitsTheWholeFrameToThePrimarySurface) {
    Adapter().SetPitchPadding(20);
    auto driver = Opened(kWindowed);
    FillDrawing(*driver, 0xF800, {0, 0, 640, 480});
    FillDrawing(*driver, 0x07E0, {10, 20, 30, 40});
    EXPECT_EQ(Presenter().FrameCount(), 0);
    driver->InvalidateAll();
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Presenter().FrameCount(), 1);
    EXPECT_EQ(Presenter().Width(), 640);
    EXPECT_EQ(Presenter().Height(), 480);
    EXPECT_EQ(Presenter().Rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(Presenter().Rgb(639, 479), 0xFF0000u);
    EXPECT_EQ(Presenter().Rgb(10, 20), 0x00FF00u);
    EXPECT_EQ(Presenter().Rgb(29, 39), 0x00FF00u);
    EXPECT_EQ(Presenter().Rgb(30, 39), 0xFF0000u);
    EXPECT_EQ(driver->dirtyLeft, 640);
    EXPECT_EQ(driver->dirtyTop, 480);
    EXPECT_EQ(driver->dirtyRight, 0);
    EXPECT_EQ(driver->dirtyBottom, 0);
}

TEST_F(DirectDrawDriverTest, PresentFlipsTheBackBufferToTheFront) {
    auto driver = Opened(kFlipping);
    FillDrawing(*driver, 0x001F, {0, 0, 640, 480});
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kFlip), 1);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kBlit), 1) << "the fill only";
    EXPECT_EQ(Presenter().FrameCount(), 1);
    EXPECT_EQ(Presenter().Rgb(320, 240), 0x0000FFu);
    // The next frame is drawn into the memory that was shown before.
    FillDrawing(*driver, 0xFFFF, {0, 0, 1, 1});
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Presenter().Rgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(Presenter().Rgb(1, 0), 0u);
}

TEST_F(DirectDrawDriverTest, PresentCopiesTheSystemMemoryDrawingBeforeFlipping) {
    auto driver = Opened(kFlipping | kSystemDrawing);
    FillDrawing(*driver, 0x07E0, {0, 0, 640, 480});
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Presenter().FrameCount(), 1) << "the copy to the back buffer is not shown by itself";
    EXPECT_EQ(Presenter().Rgb(100, 100), 0x00FF00u);
}

TEST_F(DirectDrawDriverTest, PresentRepeatsTheBlitWhileTheDeviceIsStillDrawing) {
    auto driver = Opened(kWindowed);
    FillDrawing(*driver, 0xF800, {0, 0, 640, 480});
    Adapter().ResetCallCounts();
    Adapter().InjectFault(DisplayCall::kBlit, platform::kDeviceStillDrawing, 3);
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kBlit), 4);
    EXPECT_EQ(Presenter().Rgb(0, 0), 0xFF0000u);
}

TEST_F(DirectDrawDriverTest, PresentFailsWith8WhenTheCopyFails) {
    auto driver = Opened(kFlipping | kSystemDrawing);
    driver->InvalidateAll();
    Adapter().InjectFault(DisplayCall::kBlit, platform::kDeviceFailed);
    EXPECT_EQ(driver->Present(), kDisplayCallFailed);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kFlip), 0);
    EXPECT_EQ(driver->dirtyRight, 640) << "nothing was shown, so nothing is forgotten";
    EXPECT_EQ(Presenter().FrameCount(), 0);
}

TEST_F(DirectDrawDriverTest, PresentRestoresLostSurfaces) {
    auto driver = Opened(kWindowed);
    Adapter().LoseAllSurfaces();
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kRestore), 2) << "the drawing surface is the back buffer";
    EXPECT_EQ(driver->primarySurface->IsLost(), platform::kDeviceOk);
    EXPECT_EQ(driver->backBuffer->IsLost(), platform::kDeviceOk);
    EXPECT_EQ(Presenter().FrameCount(), 1);
}

TEST_F(DirectDrawDriverTest, PresentRestoresEachSurfaceOfAFlipChainWithSeparateDrawing) {
    auto driver = Opened(kFlipping | kSystemDrawing);
    driver->drawingSurface->Lose();
    Adapter().LoseAllSurfaces();
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kRestore), 3);
    EXPECT_EQ(Presenter().FrameCount(), 1);
}

TEST_F(DirectDrawDriverTest, PresentFailsWhileALostSurfaceCannotBeRestored) {
    auto driver = Opened(kWindowed);
    Adapter().LoseAllSurfaces();
    Adapter().InjectFault(DisplayCall::kRestore, platform::kDeviceFailed, 2);
    EXPECT_EQ(driver->Present(), kDisplayCallFailed);
    EXPECT_EQ(driver->lastResult, platform::kDeviceSurfaceLost);
    EXPECT_EQ(driver->Present(), kDisplayOk) << "restored at the next frame";
}

TEST_F(DirectDrawDriverTest, EightBitModeGivesTheDisplayThePalettesColoursWithTheScreensFlags) {
    DisplayPalette system = Adapter().SystemPalette();
    system.entries[7].flags = 0x02;
    Adapter().SetSystemPalette(system);
    auto driver = Opened(kFullScreen, 8, palette8_.get());
    ASSERT_NE(driver, nullptr);
    EXPECT_TRUE(Adapter().IsPaletteBased());
    EXPECT_EQ(driver->palette, palette8_.get());
    ASSERT_NE(driver->devicePalette, nullptr);
    EXPECT_EQ(driver->devicePalette->Caps(), 0x44u);
    const DisplayPalette::Entry& entry = driver->devicePalette->Entries().entries[7];
    EXPECT_EQ(entry.red, 7);
    EXPECT_EQ(entry.green, 248);
    EXPECT_EQ(entry.blue, 3);
    EXPECT_EQ(entry.flags, 0x02);
    EXPECT_EQ(driver->primarySurface->Palette(), driver->devicePalette.get());
    EXPECT_EQ(driver->backBuffer->Palette(), driver->devicePalette.get());

    FillDrawing(*driver, 7, {0, 0, 640, 480});
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Presenter().Format(), kLayoutIndexed8);
    EXPECT_EQ(Presenter().Rgb(5, 5), 0x07F803u);
}

TEST_F(DirectDrawDriverTest, BrightnessShiftsLightnessUpToWhiteAndDownToBlack) {
    auto driver = Opened(kFullScreen, 8, palette8_.get());
    ASSERT_EQ(driver->SetPaletteEntries(palette8_.get(), 0x10000), kDisplayOk);
    for (const DisplayPalette::Entry& entry : driver->devicePalette->Entries().entries) {
        EXPECT_EQ(entry.red, 255);
        EXPECT_EQ(entry.green, 255);
        EXPECT_EQ(entry.blue, 255);
        EXPECT_EQ(entry.flags, DisplayPalette::kNoCollapse);
    }
    ASSERT_EQ(driver->ReapplyPalette(-0x10000), kDisplayOk);
    for (const DisplayPalette::Entry& entry : driver->devicePalette->Entries().entries) {
        EXPECT_EQ(entry.red | entry.green | entry.blue, 0);
    }
    ASSERT_EQ(driver->ReapplyPalette(0), kDisplayOk);
    const DisplayPalette::Entry& entry = driver->devicePalette->Entries().entries[100];
    EXPECT_LE(std::abs(entry.red - 100), 1);
    EXPECT_LE(std::abs(entry.green - 155), 1);
    EXPECT_LE(std::abs(entry.blue - 50), 1);
    FillDrawing(*driver, 100, {0, 0, 640, 480});
    ASSERT_EQ(driver->Present(), kDisplayOk);
    EXPECT_EQ(Presenter().Rgb(0, 0), uint32_t(entry.red) << 16 | uint32_t(entry.green) << 8 | entry.blue);
}

TEST_F(DirectDrawDriverTest, BrightnessHalfwayLightensWithoutClipping) {
    auto driver = Opened(kFullScreen, 8, palette8_.get());
    ASSERT_EQ(driver->SetPaletteEntries(palette8_.get(), 0x8000), kDisplayOk);
    const DisplayPalette::Entry& grey = driver->devicePalette->Entries().entries[0];
    // Colour 0 is (0, 255, 0): lightness 0.5 raised to 1.0 is white; colour
    // 128 is (128, 127, 64) at lightness about 0.38, raised to about 0.88.
    EXPECT_EQ(grey.red, 255);
    const DisplayPalette::Entry& mid = driver->devicePalette->Entries().entries[128];
    EXPECT_GT(mid.blue, 64);
    EXPECT_LT(mid.blue, 255);
    EXPECT_GT(mid.red, mid.blue) << "the hue stays";
}

TEST_F(DirectDrawDriverTest, SixteenBitModesHaveNoDevicePalette) {
    auto driver = Opened(kWindowed);
    EXPECT_EQ(driver->devicePalette, nullptr);
    EXPECT_EQ(driver->SetPaletteEntries(palette565_.get(), 0), kDisplayUnsupported);
    EXPECT_EQ(driver->palette, nullptr) << "nothing changes";
    EXPECT_EQ(driver->ReapplyPalette(0), kDisplayUnsupported);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kSetEntries), 0);
}

TEST_F(DirectDrawDriverTest, WindowedEightBitOnAnIndexedDesktopUsesADevicePalette) {
    Adapter().SetDesktopFormat(kLayoutIndexed8);
    auto driver = Opened(kWindowed, 8, palette8_.get());
    ASSERT_NE(driver, nullptr);
    EXPECT_NE(driver->devicePalette, nullptr);
    EXPECT_EQ(driver->SetPaletteEntries(nullptr, 0), kDisplayUnsupported) << "a null palette is refused";
    EXPECT_EQ(driver->palette, palette8_.get());
}

TEST_F(DirectDrawDriverTest, DevicePaletteThatCannotBeMadeLeavesTheModeWithout) {
    Adapter().InjectFault(DisplayCall::kCreatePalette, platform::kDeviceFailed);
    auto driver = Opened(kFullScreen, 8, palette8_.get());
    ASSERT_NE(driver, nullptr);
    EXPECT_EQ(driver->devicePalette, nullptr);
    EXPECT_EQ(driver->SetPaletteEntries(palette8_.get(), 0), kDisplayUnsupported);
}

TEST_F(DirectDrawDriverTest, ASecondModeReplacesTheBuffersAndTheRecord) {
    auto driver = Opened(kWindowed);
    ASSERT_EQ(driver->SetMode(640, 480, 16, palette565_.get(), kFlipping), kDisplayOk);
    EXPECT_EQ(Adapter().LiveSurfaces(), 2);
    EXPECT_EQ(driver->frameSurfaces->drawingSurface, driver->backBuffer.get());
    driver.reset();
    EXPECT_TRUE(display_.IsEmpty());
}

}  // namespace
