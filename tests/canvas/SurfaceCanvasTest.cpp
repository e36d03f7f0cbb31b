#include "canvas/SurfaceCanvas16.h"
#include "canvas/SurfaceCanvas8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/DirectDrawDriver.h"
#include "display/FrameSurfaces.h"
#include "display/InverseColorTable.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "canvas/ScreenCanvas16.h"
#include "canvas/ScreenCanvas8.h"
#include "engine/EngineHeap.h"
#include "display/Bitmap.h"
#include "display/PixelImage.h"
#include "display/FontContext.h"
#include "display/FontLoader.h"
#include "display/TextCursor.h"
#include "platform/DisplayAdapter.h"
#include "platform/DisplayDevice.h"
#include "tests/support/FontFixtures.h"
#include "tests/support/ScopedColorTables.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

using platform::DisplayCall;
using platform::kDeviceFailed;
using platform::kDeviceOk;
using platform::kDeviceSurfaceLost;
using platform::PixelLayout;

namespace {

constexpr int32_t kWidth = 16;
constexpr int32_t kHeight = 8;
constexpr uint32_t kFarthest = 0xFFFFFFFF;

// Palette indices of the test colours; every other index i is
// (i, 255 - i, i / 2).
constexpr uint8_t kBlack = 0;
constexpr uint8_t kRed = 1;
constexpr uint8_t kGreen = 2;
constexpr uint8_t kBlue = 3;
constexpr uint8_t kWhite = 4;
constexpr uint8_t kYellow = 5;
constexpr uint8_t kRgbRed[4] = {255, 0, 0, 0};
constexpr uint8_t kRgbBlue[4] = {0, 0, 255, 0};

std::vector<PaletteColor> TestColours() {
    std::vector<PaletteColor> colours(Palette::kColorCount);
    for (int i = 0; i < Palette::kColorCount; ++i) colours[size_t(i)] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
    colours[kBlack] = {0, 0, 0, 0};
    colours[kRed] = {255, 0, 0, 0};
    colours[kGreen] = {0, 255, 0, 0};
    colours[kBlue] = {0, 0, 255, 0};
    colours[kWhite] = {255, 255, 255, 0};
    colours[kYellow] = {255, 255, 0, 0};
    return colours;
}

// A palette of the test colours with shade rows of its own: the 8-bit
// kind's keep each index at every level, so shading and matching never
// move an index; the 16-bit kinds' run from black through the colour (at
// level 16) toward white.
class TestPalette {
public:
    static constexpr uint32_t kPivotLevel = 16;

    explicit TestPalette(int32_t pixelFormat) : palette_(Palette::Create(pixelFormat)) {
        const std::vector<PaletteColor> colours = TestColours();
        void* rows = rows16_.data();
        if (pixelFormat == kPixelFormatIndexed8) {
            for (uint32_t i = 0; i < Palette::kShadeEntries; ++i) rows8_[i] = uint8_t(i >> Palette::kShadeShift);
            rows = rows8_.data();
        }
        for (uint32_t c = 0; c < uint32_t(Palette::kColorCount); ++c) {
            uint16_t* const row = &rows16_[c * Palette::kShadeLevels];
            if (pixelFormat == kPixelFormatRgb555) PaletteRgb555::BuildShadeRamp(row, 32, colours[c], kPivotLevel);
            if (pixelFormat == kPixelFormatRgb565) PaletteRgb565::BuildShadeRamp(row, 32, colours[c], kPivotLevel);
        }
        shades_ = ShadeTable{rows, Palette::kShadeShift, Palette::kShadeLevels, kPivotLevel << 3, nullptr};
        EXPECT_EQ(palette_->SetTables(InverseColorTable::kFlagBuild, colours.data(), &shades_), kStatusOk);
    }
    Palette* Get() const { return palette_.get(); }

private:
    std::vector<uint8_t> rows8_ = std::vector<uint8_t>(Palette::kShadeEntries);
    std::vector<uint16_t> rows16_ = std::vector<uint16_t>(Palette::kShadeEntries);
    ShadeTable shades_{};
    std::unique_ptr<Palette> palette_;
};

// Building the matching table takes a while, and no test changes a
// palette: one of each kind serves every test.
Palette* SharedPalette(int32_t pixelFormat) {
    static const TestPalette indexed(kPixelFormatIndexed8);
    static const TestPalette rgb555(kPixelFormatRgb555);
    static const TestPalette rgb565(kPixelFormatRgb565);
    switch (pixelFormat) {
        case kPixelFormatIndexed8:
            return indexed.Get();
        case kPixelFormatRgb555:
            return rgb555.Get();
        default:
            return rgb565.Get();
    }
}

ViewVertex Point(int32_t x, int32_t y, uint32_t colour = kRed) {
    ViewVertex v;
    v.screenX = x;
    v.screenY = y;
    v.depth = 0x40000000;
    v.colour = colour;
    v.intensity = 128;
    return v;
}

ScreenVertex At(float x, float y, uint32_t colour, float intensity = 128.0f) {
    ScreenVertex s;
    s.x = x;
    s.y = y;
    s.depth = 0.25f;
    s.colour = colour;
    s.intensity = intensity;
    s.invZ = 1.0f;
    return s;
}

// What the two surface kinds differ in, for the tests both must pass.
struct Kind8 {
    using Type = SurfaceCanvas8;
    static constexpr PixelLayout kLayout = platform::kLayoutIndexed8;
    static constexpr PixelLayout kOtherLayout = platform::kLayoutRgb565;
    static constexpr int32_t kFormat = kPixelFormatIndexed8;
    static constexpr int32_t kAttempts = kSurfaceLockAttempts8;
    static constexpr uint32_t kRedPixel = kRed;   // what rgb red becomes
    using Reference = ScreenCanvas8;
    static std::unique_ptr<Type> Make(FrameSurfaces* surfaces, Palette* palette, uint32_t flags) {
        return std::make_unique<Type>(surfaces, nullptr, palette, flags);
    }
};

struct Kind16 {
    using Type = SurfaceCanvas16;
    static constexpr PixelLayout kLayout = platform::kLayoutRgb565;
    static constexpr PixelLayout kOtherLayout = platform::kLayoutIndexed8;
    static constexpr int32_t kFormat = kPixelFormatRgb565;
    static constexpr int32_t kAttempts = kSurfaceLockAttempts16;
    static constexpr uint32_t kRedPixel = 0xF800;
    using Reference = ScreenCanvas16;
    static std::unique_ptr<Type> Make(FrameSurfaces* surfaces, Palette* palette, uint32_t flags) {
        return std::make_unique<Type>(surfaces, 0, palette, flags);
    }
};

// A display of its own with one small system-memory surface, handed to the
// canvases through a FrameSurfaces record as the driver would.
class SurfaceCanvasTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(Adapter().Open(&device_), kDeviceOk); }

    platform::DisplayAdapter& Adapter() { return display_.Adapter(); }

    void MakeSurface(const PixelLayout& layout, int32_t width = kWidth, int32_t height = kHeight) {
        platform::SurfaceDescription description;
        description.width = width;
        description.height = height;
        description.caps = platform::kCapsOffscreen | platform::kCapsSystemMemory;
        description.format = layout;
        ASSERT_EQ(device_->CreateSurface(description, &surface_), kDeviceOk);
        record_.drawingSurface = surface_.get();
    }

    // The surface's memory, read whether it is locked or not.
    uint32_t SurfacePixel(int32_t x, int32_t y) const {
        const uint8_t* at = surface_->Memory() + size_t(y) * size_t(surface_->Pitch());
        if (surface_->Format().bitsPerPixel == 8) return at[x];
        uint16_t p;
        std::memcpy(&p, at + 2 * size_t(x), sizeof p);
        return p;
    }

    // Unlocked, and no canvas holds the surface.
    void ExpectReleased(const Canvas& canvas) {
        EXPECT_EQ(canvas.locked, 0);
        EXPECT_EQ(canvas.pixels, nullptr);
        EXPECT_EQ(record_.lockWord, 0u);
        EXPECT_FALSE(surface_->IsLocked());
    }

    ScopedDisplay display_;
    std::unique_ptr<platform::DisplayDevice> device_;
    std::shared_ptr<platform::Surface> surface_;
    FrameSurfaces record_;
    Palette* const palette8_ = SharedPalette(kPixelFormatIndexed8);
    Palette* const palette555_ = SharedPalette(kPixelFormatRgb555);
    Palette* const palette565_ = SharedPalette(kPixelFormatRgb565);
};

template <typename Kind>
class SurfaceCanvasKindTest : public SurfaceCanvasTest {
protected:
    Palette* KindPalette() { return Kind::kFormat == kPixelFormatIndexed8 ? palette8_ : palette565_; }

    std::unique_ptr<typename Kind::Type> MakeCanvas(uint32_t flags = Canvas::kFlagHasDepth) {
        MakeSurface(Kind::kLayout);
        auto canvas = Kind::Make(&record_, KindPalette(), flags);
        EXPECT_EQ(canvas->setupResult, kStatusOk);
        return canvas;
    }
};

using Kinds = ::testing::Types<Kind8, Kind16>;
TYPED_TEST_SUITE(SurfaceCanvasKindTest, Kinds);

// Set-up.

TYPED_TEST(SurfaceCanvasKindTest, SetUpTakesTheSurfaceAndLeavesItUnlockedAndCleared) {
    this->Adapter().SetPitchPadding(12);
    auto canvas = this->MakeCanvas();
    const int32_t bytes = TypeParam::kLayout.BytesPerPixel();
    EXPECT_EQ(canvas->width, kWidth);
    EXPECT_EQ(canvas->height, kHeight);
    EXPECT_EQ(canvas->surface.coveredWidth, kWidth);
    EXPECT_EQ(canvas->surface.coveredHeight, kHeight);
    EXPECT_EQ(canvas->pitch, kWidth * bytes + 12);
    EXPECT_EQ(canvas->bufferSize, uint32_t(kWidth * kHeight * bytes));
    EXPECT_EQ(canvas->rowOffsets[kHeight - 1], uint32_t((kHeight - 1) * canvas->pitch));
    EXPECT_EQ(canvas->surface.drawingSurface, this->surface_.get());
    EXPECT_EQ(canvas->surface.frameSurfaces, &this->record_);
    EXPECT_EQ(canvas->flags & ~Canvas::kFlag16Bit,
              Canvas::kFlagSetUp | Canvas::kFlagHasDepth | Canvas::kFlagDepthTest | Canvas::kFlagOwnsDepth);
    EXPECT_EQ(canvas->depthBits, 16);
    EXPECT_EQ(canvas->depthPitch, 2 * kWidth);
    EXPECT_EQ(canvas->depth[kWidth * kHeight - 1], 0xFFFF);
    EXPECT_EQ(canvas->palette, this->KindPalette());
    this->ExpectReleased(*canvas);
    EXPECT_EQ(this->SurfacePixel(kWidth - 1, kHeight - 1), 0u) << "cleared to index 0, black";
}

TYPED_TEST(SurfaceCanvasKindTest, NoClearFlagLeavesTheSurfaceAsItWas) {
    this->MakeSurface(TypeParam::kLayout);
    platform::BlitEffects effects;
    effects.fillColor = 0x1F;
    ASSERT_EQ(this->surface_->Blit(nullptr, nullptr, nullptr, platform::kBlitColorFill, &effects), kDeviceOk);
    this->Adapter().ResetCallCounts();
    auto canvas = TypeParam::Make(&this->record_, this->KindPalette(), Canvas::kFlagNoClear);
    ASSERT_EQ(canvas->setupResult, kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kBlit), 0);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 1) << "the lock that reads the surface";
    EXPECT_EQ(this->SurfacePixel(3, 3), 0x1Fu);
    EXPECT_EQ(canvas->depth, nullptr);
    EXPECT_EQ(canvas->depthBits, 0);
}

TYPED_TEST(SurfaceCanvasKindTest, SurfaceThatCannotBeLockedAtSetUpGives8) {
    this->MakeSurface(TypeParam::kLayout);
    this->Adapter().InjectFault(DisplayCall::kLock, kDeviceFailed, TypeParam::kAttempts);
    auto canvas = TypeParam::Make(&this->record_, this->KindPalette(), Canvas::kFlagHasDepth);
    EXPECT_EQ(canvas->setupResult, kStatusPlatformFailed);
    this->ExpectReleased(*canvas);
    EXPECT_EQ(canvas->rowOffsets, nullptr);
    EXPECT_EQ(canvas->depth, nullptr);
    // An unusable canvas neither locks nor draws.
    this->Adapter().ClearFaults();
    EXPECT_EQ(canvas->Lock(), -1);
    const ViewVertex p = Point(1, 1);
    EXPECT_EQ(canvas->PlotPixelInt(&p, kRgbRed), kStatusPlatformFailed);
    const CanvasRect r{0, 0, 2, 2};
    EXPECT_EQ(canvas->FillRect(&r, kRed), kStatusPlatformFailed);
    EXPECT_EQ(this->SurfacePixel(1, 1), 0u);
}

TYPED_TEST(SurfaceCanvasKindTest, CanvasOnASurfaceOfTheOtherPixelSizeGives3AndIsUnusable) {
    this->MakeSurface(TypeParam::kOtherLayout);
    auto canvas = TypeParam::Make(&this->record_, this->KindPalette(), Canvas::kFlagHasDepth);
    EXPECT_EQ(canvas->setupResult, kStatusWrongSurface);
    this->ExpectReleased(*canvas);
    EXPECT_EQ(canvas->rowOffsets, nullptr);
    EXPECT_EQ(canvas->Lock(), -1);
    const ViewVertex p = Point(1, 1);
    EXPECT_EQ(canvas->PlotPixelInt(&p, kRgbRed), kStatusPlatformFailed);
    const CanvasRect r{0, 0, 2, 2};
    EXPECT_EQ(canvas->FillRect(&r, kRed), kStatusPlatformFailed);
    EXPECT_EQ(canvas->Clear(kRed, kFarthest), kStatusPlatformFailed);
    EXPECT_EQ(this->SurfacePixel(1, 1), 0u);
}

TYPED_TEST(SurfaceCanvasKindTest, MissingRecordOrSurfaceGives8) {
    auto withoutRecord = TypeParam::Make(nullptr, this->KindPalette(), 0);
    EXPECT_EQ(withoutRecord->setupResult, kStatusPlatformFailed);
    FrameSurfaces empty;
    auto withoutSurface = TypeParam::Make(&empty, this->KindPalette(), 0);
    EXPECT_EQ(withoutSurface->setupResult, kStatusPlatformFailed);
    EXPECT_EQ(empty.lockWord, 0u);
}

TYPED_TEST(SurfaceCanvasKindTest, OutOfMemoryGives2AndLeavesTheSurfaceUnlocked) {
    this->MakeSurface(TypeParam::kLayout);
    ScopedEngineHeap full(ScopedEngineHeap::kFull);
    auto canvas = TypeParam::Make(&this->record_, this->KindPalette(), Canvas::kFlagHasDepth);
    EXPECT_EQ(canvas->setupResult, kStatusOutOfMemory);
    this->ExpectReleased(*canvas);
    EXPECT_EQ(canvas->depth, nullptr);
    EXPECT_EQ(canvas->rowOffsets, nullptr);
    EXPECT_EQ(canvas->spanBufferA, nullptr);
    canvas.reset();
    EXPECT_EQ(this->record_.lockWord, 0u);
}

// The lock wrapper.

TYPED_TEST(SurfaceCanvasKindTest, DrawingOnAnUnlockedCanvasLocksAndUnlocksAroundTheCall) {
    auto canvas = this->MakeCanvas();
    this->Adapter().ResetCallCounts();
    const ScreenVertex p = At(3.2f, 2.4f, kRed);
    // PlotPixel goes on to PlotPixelInt: the nested lock finds the surface
    // locked and leaves it so.
    EXPECT_EQ(canvas->PlotPixel(&p, kRgbRed), kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 1);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kUnlock), 1);
    EXPECT_EQ(this->SurfacePixel(3, 2), TypeParam::kRedPixel);
    this->ExpectReleased(*canvas);
}

TYPED_TEST(SurfaceCanvasKindTest, DrawingOnALockedCanvasLeavesTheLockAlone) {
    auto canvas = this->MakeCanvas();
    ASSERT_EQ(canvas->Lock(), 0);
    EXPECT_EQ(canvas->Lock(), 1) << "a second lock finds it locked";
    this->Adapter().ResetCallCounts();
    const ViewVertex a = Point(1, 1), b = Point(9, 1);
    EXPECT_EQ(canvas->DrawLineInt(&a, &b, kRgbRed), kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 0);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kUnlock), 0);
    EXPECT_EQ(canvas->locked, 1);
    EXPECT_EQ(this->record_.lockWord, 1u);
    EXPECT_TRUE(this->surface_->IsLocked());
    EXPECT_EQ(canvas->Unlock(), 1);
    this->ExpectReleased(*canvas);
    EXPECT_EQ(this->SurfacePixel(4, 1), TypeParam::kRedPixel);
}

TYPED_TEST(SurfaceCanvasKindTest, LockFailureGives8DrawsNothingAndResetsTheSharedWord) {
    auto canvas = this->MakeCanvas();
    this->Adapter().ResetCallCounts();
    this->Adapter().InjectFault(DisplayCall::kLock, kDeviceFailed, TypeParam::kAttempts);
    const ViewVertex p = Point(2, 2);
    EXPECT_EQ(canvas->PlotPixelInt(&p, kRgbRed), kStatusPlatformFailed);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), TypeParam::kAttempts);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kUnlock), 0);
    this->ExpectReleased(*canvas);
    EXPECT_EQ(this->SurfacePixel(2, 2), 0u);
    // The canvas is not spoilt: the next call locks.
    EXPECT_EQ(canvas->PlotPixelInt(&p, kRgbRed), kStatusOk);
    EXPECT_EQ(this->SurfacePixel(2, 2), TypeParam::kRedPixel);
}

TYPED_TEST(SurfaceCanvasKindTest, LockSucceedsOnItsLastAttempt) {
    auto canvas = this->MakeCanvas();
    this->Adapter().InjectFault(DisplayCall::kLock, kDeviceFailed, TypeParam::kAttempts - 1);
    EXPECT_EQ(canvas->Lock(), 0);
    EXPECT_EQ(canvas->locked, 1);
    EXPECT_EQ(this->record_.lockWord, 1u);
    EXPECT_NE(canvas->pixels, nullptr);
    canvas->Unlock();
}

TYPED_TEST(SurfaceCanvasKindTest, LostSurfaceIsRestoredInsideTheLock) {
    auto canvas = this->MakeCanvas();
    this->surface_->Lose();
    this->Adapter().ResetCallCounts();
    const ViewVertex p = Point(5, 3);
    EXPECT_EQ(canvas->PlotPixelInt(&p, kRgbRed), kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kRestore), 1);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 2);
    EXPECT_EQ(this->SurfacePixel(5, 3), TypeParam::kRedPixel);
    this->ExpectReleased(*canvas);
}

TYPED_TEST(SurfaceCanvasKindTest, LostSurfaceThatCannotBeRestoredEndsTheAttempts) {
    auto canvas = this->MakeCanvas();
    this->Adapter().ResetCallCounts();
    this->Adapter().InjectFault(DisplayCall::kLock, kDeviceSurfaceLost);
    this->Adapter().InjectFault(DisplayCall::kRestore, kDeviceFailed, 2);
    EXPECT_EQ(canvas->Lock(), -1);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 1);
    this->ExpectReleased(*canvas);
    // Still lost: the next lock tries the restore again, and gives up again.
    uint8_t pixel = 0;
    PixelImage image;
    image.width = 1;
    image.height = 1;
    image.flags = PixelImage::kFormat8Bit;
    image.pixels = &pixel;
    const CanvasRect r{0, 0, 1, 1};
    EXPECT_EQ(canvas->BlitImage(&r, &image, 0), kStatusPlatformFailed);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kRestore), 2);
    this->ExpectReleased(*canvas);
}

TYPED_TEST(SurfaceCanvasKindTest, RowsFollowThePitchOfARestoredSurface) {
    auto canvas = this->MakeCanvas();
    const int32_t oldPitch = canvas->pitch;
    this->Adapter().SetPitchPadding(40);
    this->surface_->Lose();
    const ViewVertex p = Point(6, 5);
    ASSERT_EQ(canvas->PlotPixelInt(&p, kRgbRed), kStatusOk);
    ASSERT_EQ(this->surface_->Pitch(), oldPitch + 40);
    EXPECT_EQ(canvas->pitch, this->surface_->Pitch());
    EXPECT_EQ(canvas->rowOffsets[5], uint32_t(5 * canvas->pitch));
    EXPECT_EQ(this->SurfacePixel(6, 5), TypeParam::kRedPixel);
    EXPECT_EQ(this->SurfacePixel(6, 4), 0u);
}

// Fills.

TYPED_TEST(SurfaceCanvasKindTest, FillOnALockedCanvasUnlocksForTheBlitAndLocksAgain) {
    auto canvas = this->MakeCanvas();
    ASSERT_EQ(canvas->Lock(), 0);
    this->Adapter().ResetCallCounts();
    const CanvasRect r{2, 1, 3, 2};
    EXPECT_EQ(canvas->FillRectRgb(&r, kRgbRed), kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kUnlock), 1);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kBlit), 1);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 1);
    EXPECT_EQ(canvas->locked, 1);
    EXPECT_EQ(this->record_.lockWord, 1u);
    EXPECT_TRUE(this->surface_->IsLocked());
    ASSERT_NE(canvas->pixels, nullptr);
    // The blit, which a locked surface refuses, went through.
    EXPECT_EQ(this->SurfacePixel(2, 1), TypeParam::kRedPixel);
    EXPECT_EQ(this->SurfacePixel(4, 2), TypeParam::kRedPixel);
    EXPECT_EQ(this->SurfacePixel(5, 2), 0u);
    EXPECT_EQ(this->SurfacePixel(2, 3), 0u);
    // Drawing goes on in the lock taken again.
    const ViewVertex p = Point(9, 6);
    EXPECT_EQ(canvas->PlotPixelInt(&p, kRgbRed), kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 1);
    EXPECT_EQ(canvas->Unlock(), 1);
    EXPECT_EQ(this->SurfacePixel(9, 6), TypeParam::kRedPixel);
}

TYPED_TEST(SurfaceCanvasKindTest, FillOnAnUnlockedCanvasLeavesItUnlocked) {
    auto canvas = this->MakeCanvas();
    this->Adapter().ResetCallCounts();
    const CanvasRect r{0, 0, kWidth, kHeight};
    EXPECT_EQ(canvas->FillRectRgb(&r, kRgbRed), kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kBlit), 1);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 0);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kUnlock), 0);
    this->ExpectReleased(*canvas);
    EXPECT_EQ(this->SurfacePixel(kWidth - 1, kHeight - 1), TypeParam::kRedPixel);
}

TYPED_TEST(SurfaceCanvasKindTest, ClearFillsByBlitAndTheDepthBufferInMemory) {
    auto canvas = this->MakeCanvas();
    ASSERT_EQ(canvas->Lock(), 0);
    canvas->depth[3] = 0x1234;
    this->Adapter().ResetCallCounts();
    EXPECT_EQ(canvas->Clear(kWhite, 0x56789ABC), kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kBlit), 1);
    EXPECT_EQ(canvas->locked, 1);
    EXPECT_EQ(canvas->depth[3], 0x5678);
    EXPECT_EQ(canvas->depth[kWidth * kHeight - 1], 0x5678);
    // Depth only: no blit.
    canvas->flags |= Canvas::kFlagClearDepthOnly;
    this->Adapter().ResetCallCounts();
    EXPECT_EQ(canvas->Clear(kRed, kFarthest), kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kBlit), 0);
    EXPECT_EQ(canvas->depth[3], 0xFFFF);
    canvas->Unlock();
    EXPECT_NE(this->SurfacePixel(0, 0), 0u) << "white stays";
}

TYPED_TEST(SurfaceCanvasKindTest, ClippedFillsCutToTheClipAndTheCanvas) {
    auto canvas = this->MakeCanvas();
    this->Adapter().ResetCallCounts();
    const CanvasRect clip{4, 2, 4, 4};
    const CanvasRect r{2, 0, 4, 8};
    EXPECT_EQ(canvas->FillRectRgbClipped(&r, kRgbRed, &clip), kStatusOk);
    EXPECT_EQ(this->SurfacePixel(3, 3), 0u);
    EXPECT_EQ(this->SurfacePixel(4, 2), TypeParam::kRedPixel);
    EXPECT_EQ(this->SurfacePixel(5, 5), TypeParam::kRedPixel);
    EXPECT_EQ(this->SurfacePixel(5, 6), 0u);
    EXPECT_EQ(this->SurfacePixel(6, 3), 0u);
    const CanvasRect pastTheEdge{kWidth - 2, kHeight - 2, 10, 10};
    EXPECT_EQ(canvas->FillRectClipped(&pastTheEdge, kGreen, nullptr), kStatusOk);
    EXPECT_NE(this->SurfacePixel(kWidth - 1, kHeight - 1), 0u);
    const CanvasRect outside{kWidth + 3, 0, 4, 4};
    this->Adapter().ResetCallCounts();
    EXPECT_EQ(canvas->FillRectClipped(&outside, kGreen, nullptr), kStatusOk);
    EXPECT_EQ(canvas->FillRectRgbClipped(&r, kRgbRed, &outside), kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kBlit), 0);
}

// The rest of the operations.

TYPED_TEST(SurfaceCanvasKindTest, AltShadedLinesReturn1AndDrawNothing) {
    auto canvas = this->MakeCanvas();
    this->Adapter().ResetCallCounts();
    const ScreenVertex a = At(1, 1, kRed), b = At(12, 1, kRed);
    const ViewVertex ia = Point(1, 1), ib = Point(12, 1);
    EXPECT_EQ(canvas->DrawLineShadedAlt(&a, &b), kStatusNothingToDo);
    EXPECT_EQ(canvas->DrawLineShadedAltInt(&ia, &ib), kStatusNothingToDo);
    EXPECT_EQ(canvas->DrawLineShadedAltClipped(&a, &b, nullptr), kStatusNothingToDo);
    EXPECT_EQ(canvas->DrawLineShadedAltClippedInt(&ia, &ib, nullptr), kStatusNothingToDo);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 0);
    for (int32_t x = 0; x < kWidth; ++x) EXPECT_EQ(this->SurfacePixel(x, 1), 0u) << x;
    // The shaded line they stand for does draw.
    EXPECT_EQ(canvas->DrawLineShaded(&a, &b), kStatusOk);
    EXPECT_NE(this->SurfacePixel(6, 1), 0u);
}

TYPED_TEST(SurfaceCanvasKindTest, PolygonsAndMonoImagesAreDrawnInsideTheWrapper) {
    auto canvas = this->MakeCanvas();
    this->Adapter().ResetCallCounts();
    const ScreenVertex triangle[] = {At(0, 0, kBlue), At(15, 0, kBlue), At(0, 7, kBlue)};
    EXPECT_EQ(canvas->FillPolygonFlat(3, triangle), kStatusOk);
    ViewVertex square[4] = {Point(8, 4, kGreen), Point(15, 4, kGreen), Point(15, 7, kGreen), Point(8, 7, kGreen)};
    EXPECT_EQ(canvas->FillPolygonFlatInt(4, square), kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 2);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kUnlock), 2);
    EXPECT_NE(this->SurfacePixel(1, 1), 0u);
    EXPECT_NE(this->SurfacePixel(12, 6), 0u);
    EXPECT_NE(this->SurfacePixel(1, 1), this->SurfacePixel(12, 6));

    uint8_t bits[2] = {0xA0, 0x00};
    PixelImage glyph;
    glyph.width = 8;
    glyph.height = 2;
    glyph.flags = PixelImage::kFormat1Bit;
    glyph.pixels = bits;
    const CanvasRect at{0, 6, 8, 2};
    EXPECT_EQ(canvas->DrawMonoImage(&at, &glyph, kRed, kBlack), kStatusOk);
    EXPECT_NE(this->SurfacePixel(0, 6), 0u);
    EXPECT_EQ(this->SurfacePixel(1, 6), 0u);
    EXPECT_NE(this->SurfacePixel(2, 6), 0u);
    EXPECT_EQ(this->SurfacePixel(0, 7), 0u);
    this->ExpectReleased(*canvas);
}

TYPED_TEST(SurfaceCanvasKindTest, CopyToImageReadsTheSurfaceUnderALock) {
    auto canvas = this->MakeCanvas();
    const CanvasRect r{1, 1, 2, 2};
    ASSERT_EQ(canvas->FillRect(&r, kBlue), kStatusOk);
    Bitmap image;
    this->Adapter().ResetCallCounts();
    ASSERT_EQ(canvas->CopyToImage(&image), kStatusOk);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 1);
    this->ExpectReleased(*canvas);
    ASSERT_EQ(image.width, kWidth);
    ASSERT_EQ(image.height, kHeight);
    const uint32_t bytesPerPixel = image.RowBytes() / uint32_t(kWidth);
    const uint8_t* blue = image.pixels + image.RowBytes() + bytesPerPixel;
    if (bytesPerPixel == 1) {
        EXPECT_EQ(blue[0], kBlue);
    } else {
        EXPECT_EQ(blue[2], 0xF8);
        EXPECT_EQ(blue[0], 0);
    }
}

// Every drawing operation of the surface canvas is its software base's,
// run inside a lock: the picture (and depth) it leaves is the one a memory
// canvas of the same kind draws from the same call, with one lock and one
// unlock around it and the surface given back after.
TYPED_TEST(SurfaceCanvasKindTest, EveryWrappedOperationDrawsWhatTheSoftwareCanvasDrawsInsideOneLock) {
    constexpr int32_t kW = 32, kH = 24;
    // The 16-bit kinds blend translucent spans through the colour tables'
    // scaling rows.
    ScopedColorTables tables;
    g_colorTables->BuildShadeTable();
    // A 16 x 16 texture of 4 x 4 blocks in the red and blue indices.
    std::vector<uint8_t> texels(16 * 16);
    for (int32_t y = 0; y < 16; ++y) {
        for (int32_t x = 0; x < 16; ++x) texels[size_t(y * 16 + x)] = ((x / 4 + y / 4) % 2) != 0 ? kRed : kBlue;
    }
    PixelImage texture;
    texture.width = 16;
    texture.height = 16;
    texture.flags = PixelImage::kFormat8Bit;
    texture.pixels = texels.data();
    uint8_t glyphBits[2] = {0xA5, 0x5A};
    MonoMaskRecord mask;
    mask.image.width = 8;
    mask.image.height = 2;
    mask.image.flags = PixelImage::kFormat1Bit;
    mask.image.pixels = glyphBits;

    const auto screen = [](float x, float y, float u, float v, float intensity) {
        ScreenVertex s = At(x, y, kGreen, intensity);
        s.u = u;
        s.v = v;
        return s;
    };
    const auto view = [](const ScreenVertex& s) {
        ViewVertex v = Point(int32_t(s.x), int32_t(s.y), s.colour);
        v.intensity = int32_t(s.intensity);
        v.u = int32_t(s.u * 65536.0f);
        v.v = int32_t(s.v * 65536.0f);
        v.invZ = 1 << ViewVertex::kInvZFractionBits;
        return v;
    };
    const ScreenVertex quad[4] = {screen(1, 1, 0, 0, 40), screen(30, 2, 1, 0, 250), screen(29, 22, 1, 1, 160),
                                  screen(2, 21, 0, 1, 90)};
    // The integer calls get a quad and a line of their own, so that a call
    // sent to its float twin (or the other way) shows.
    const ScreenVertex otherQuad[4] = {screen(0, 4, 0, 0, 30), screen(27, 0, 1, 0, 120), screen(31, 23, 1, 1, 230),
                                       screen(5, 19, 0, 1, 70)};
    ViewVertex quadInt[4];
    for (int i = 0; i < 4; ++i) quadInt[i] = view(otherQuad[i]);
    const CanvasRect clip{4, 3, 20, 14};
    const ScreenVertex lineA = screen(-5, 3, 0, 0, 20), lineB = screen(40, 20, 0, 0, 240);
    const ViewVertex lineIntA = view(screen(-3, 20, 0, 0, 20)), lineIntB = view(screen(37, 2, 0, 0, 240));
    const ViewVertex pixel = Point(20, 12);

    using Draw = std::function<Status(Canvas&)>;
    struct Case {
        const char* what;
        Draw draw;
        bool drawsPixels;   // else only the depth buffer
    } const cases[] = {
        {"PlotPixelClippedInt", [&](Canvas& c) { return c.PlotPixelClippedInt(&pixel, kRgbRed, &clip); }, true},
        {"DrawMonoImageRaw",
         [&](Canvas& c) {
             const CanvasRect at{3, 5, 8, 2};
             return c.DrawMonoImageRaw(&at, &mask, 0x1111, 0x2222);
         },
         false},
        {"DrawLineClippedInt", [&](Canvas& c) { return c.DrawLineClippedInt(&lineIntA, &lineIntB, kRgbRed, &clip); },
         true},
        {"DrawLineShadedClipped", [&](Canvas& c) { return c.DrawLineShadedClipped(&lineA, &lineB, &clip); }, true},
        {"DrawLineShadedClippedInt",
         [&](Canvas& c) { return c.DrawLineShadedClippedInt(&lineIntA, &lineIntB, &clip); }, true},
        {"FillPolygonShadedInt", [&](Canvas& c) { return c.FillPolygonShadedInt(4, quadInt); }, true},
        {"FillPolygonShadedAlt", [&](Canvas& c) { return c.FillPolygonShadedAlt(4, quad); }, true},
        {"FillPolygonShadedAltInt", [&](Canvas& c) { return c.FillPolygonShadedAltInt(4, quadInt); }, true},
        {"FillPolygonTexturedInt", [&](Canvas& c) { return c.FillPolygonTexturedInt(4, quadInt, &texture); }, true},
        {"FillPolygonTexturedPersp", [&](Canvas& c) { return c.FillPolygonTexturedPersp(4, quad, &texture); }, true},
        {"FillPolygonTexturedPerspInt",
         [&](Canvas& c) { return c.FillPolygonTexturedPerspInt(4, quadInt, &texture); }, true},
        {"FillPolygonTexturedShaded", [&](Canvas& c) { return c.FillPolygonTexturedShaded(4, quad, &texture); },
         true},
        {"FillPolygonTexturedShadedInt",
         [&](Canvas& c) { return c.FillPolygonTexturedShadedInt(4, quadInt, &texture); }, true},
        {"FillPolygonTexturedShadedPersp",
         [&](Canvas& c) { return c.FillPolygonTexturedShadedPersp(4, quad, &texture); }, true},
        {"FillPolygonTexturedShadedPerspInt",
         [&](Canvas& c) { return c.FillPolygonTexturedShadedPerspInt(4, quadInt, &texture); }, true},
        {"FillPolygonRgb", [&](Canvas& c) { return c.FillPolygonRgb(4, quad); }, true},
        {"FillPolygonRgbInt", [&](Canvas& c) { return c.FillPolygonRgbInt(4, quadInt); }, true},
        {"FillPolygonFlatAlphaInt", [&](Canvas& c) { return c.FillPolygonFlatAlphaInt(4, quadInt, 96); }, true},
        {"FillPolygonShadedAlpha", [&](Canvas& c) { return c.FillPolygonShadedAlpha(4, quad, 96); }, true},
        {"FillPolygonShadedAlphaInt", [&](Canvas& c) { return c.FillPolygonShadedAlphaInt(4, quadInt, 96); }, true},
        {"FillPolygonShadedAltAlpha", [&](Canvas& c) { return c.FillPolygonShadedAltAlpha(4, quad, 96); }, true},
        {"FillPolygonShadedAltAlphaInt", [&](Canvas& c) { return c.FillPolygonShadedAltAlphaInt(4, quadInt, 96); },
         true},
        {"FillPolygonTexturedAlphaInt",
         [&](Canvas& c) { return c.FillPolygonTexturedAlphaInt(4, quadInt, &texture, 96); }, true},
        {"FillPolygonTexturedPerspAlpha",
         [&](Canvas& c) { return c.FillPolygonTexturedPerspAlpha(4, quad, &texture, 96); }, true},
        {"FillPolygonTexturedPerspAlphaInt",
         [&](Canvas& c) { return c.FillPolygonTexturedPerspAlphaInt(4, quadInt, &texture, 96); }, true},
        {"FillPolygonTexturedShadedAlpha",
         [&](Canvas& c) { return c.FillPolygonTexturedShadedAlpha(4, quad, &texture, 96); }, true},
        {"FillPolygonTexturedShadedAlphaInt",
         [&](Canvas& c) { return c.FillPolygonTexturedShadedAlphaInt(4, quadInt, &texture, 96); }, true},
        {"FillPolygonTexturedShadedPerspAlpha",
         [&](Canvas& c) { return c.FillPolygonTexturedShadedPerspAlpha(4, quad, &texture, 96); }, true},
        {"FillPolygonTexturedShadedPerspAlphaInt",
         [&](Canvas& c) { return c.FillPolygonTexturedShadedPerspAlphaInt(4, quadInt, &texture, 96); }, true},
    };

    const int32_t bytes = TypeParam::kLayout.BytesPerPixel();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        this->MakeSurface(TypeParam::kLayout, kW, kH);
        auto canvas = TypeParam::Make(&this->record_, this->KindPalette(), Canvas::kFlagHasDepth);
        ASSERT_EQ(canvas->setupResult, kStatusOk);
        typename TypeParam::Reference reference(kW, kH, nullptr, nullptr, this->KindPalette(), Canvas::kFlagHasDepth,
                                                0, 0);
        ASSERT_EQ(reference.setupResult, kStatusOk);
        // A background that alpha and keyed drawing can show through.
        const CanvasRect all{0, 0, kW, kH};
        ASSERT_EQ(canvas->FillRect(&all, kYellow), kStatusOk);
        ASSERT_EQ(reference.FillRect(&all, kYellow), kStatusOk);
        const std::vector<uint16_t> depthBefore(reference.depth, reference.depth + kW * kH);

        this->Adapter().ResetCallCounts();
        const Status expected = c.draw(reference);
        EXPECT_EQ(expected, kStatusOk);
        EXPECT_EQ(c.draw(*canvas), expected);
        EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 1);
        EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kUnlock), 1);
        this->ExpectReleased(*canvas);

        int32_t differing = 0, drawn = 0;
        for (int32_t y = 0; y < kH; ++y) {
            for (int32_t x = 0; x < kW; ++x) {
                uint32_t want = reference.Row(y)[x];
                if (bytes == 2) {
                    uint16_t p;
                    std::memcpy(&p, reference.Row(y) + 2 * x, sizeof p);
                    want = p;
                }
                if (this->SurfacePixel(x, y) != want) ++differing;
                if (want != uint32_t(bytes == 1 ? kYellow : 0xFFE0)) ++drawn;
            }
        }
        EXPECT_EQ(differing, 0);
        const std::vector<uint16_t> depthAfter(reference.depth, reference.depth + kW * kH);
        EXPECT_EQ(std::vector<uint16_t>(canvas->depth, canvas->depth + kW * kH), depthAfter);
        if (c.drawsPixels) {
            EXPECT_GT(drawn, 0) << "the reference drew nothing, so nothing was compared";
        } else {
            EXPECT_EQ(drawn, 0);
            EXPECT_NE(depthAfter, depthBefore);
        }
    }

    // The read-back through the wrapper finds what the surface holds.
    this->MakeSurface(TypeParam::kLayout, kW, kH);
    auto canvas = TypeParam::Make(&this->record_, this->KindPalette(), Canvas::kFlagHasDepth);
    const CanvasRect spot{20, 12, 1, 1};
    ASSERT_EQ(canvas->FillRect(&spot, kGreen), kStatusOk);
    ViewVertex out;
    this->Adapter().ResetCallCounts();
    const int32_t read = canvas->ReadPixelAt(&pixel, &out);
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 1);
    this->ExpectReleased(*canvas);
    if (bytes == 1) {
        EXPECT_EQ(read, int32_t(kGreen));
        EXPECT_EQ(out.colour, kGreen);
    } else {
        EXPECT_EQ(read, int32_t(kStatusNothingToDo)) << "a 16-bit pixel has no index to read";
    }
}

TYPED_TEST(SurfaceCanvasKindTest, ApplyFogLocksOnlyToFogTheFrame) {
    auto canvas = this->MakeCanvas();
    this->Adapter().ResetCallCounts();
    EXPECT_EQ(canvas->ApplyFog(), kStatusNothingToDo) << "fog is off";
    EXPECT_EQ(this->Adapter().CallCount(DisplayCall::kLock), 1);
    this->ExpectReleased(*canvas);
    this->Adapter().InjectFault(DisplayCall::kLock, kDeviceFailed, TypeParam::kAttempts);
    EXPECT_EQ(canvas->ApplyFog(), kStatusPlatformFailed);
}

// Two canvases on one surface share the lock word: the one holding the
// surface keeps it, the other can neither reach the memory nor take the
// surface away.
TYPED_TEST(SurfaceCanvasKindTest, ASecondCanvasCannotReachASurfaceTheFirstHolds) {
    auto first = this->MakeCanvas(Canvas::kFlagNoClear);
    auto second = TypeParam::Make(&this->record_, this->KindPalette(), Canvas::kFlagNoClear);
    ASSERT_EQ(second->setupResult, kStatusOk);
    ASSERT_EQ(first->Lock(), 0);
    const ViewVertex p = Point(3, 3);
    EXPECT_EQ(second->Lock(), -1);
    EXPECT_EQ(second->PlotPixelInt(&p, kRgbRed), kStatusPlatformFailed);
    EXPECT_EQ(second->Unlock(), 0);
    const CanvasRect r{0, 0, 4, 4};
    EXPECT_EQ(second->FillRect(&r, kRed), kStatusOk) << "the blit's own refusal is not looked at";
    EXPECT_EQ(this->record_.lockWord, 1u);
    EXPECT_TRUE(this->surface_->IsLocked());
    EXPECT_EQ(first->locked, 1);
    EXPECT_EQ(this->SurfacePixel(3, 3), 0u);
    first->Unlock();
    EXPECT_EQ(second->PlotPixelInt(&p, kRgbRed), kStatusOk);
    EXPECT_EQ(this->SurfacePixel(3, 3), TypeParam::kRedPixel);
}

TYPED_TEST(SurfaceCanvasKindTest, CanvasOverARectangleDrawsAndFillsAtItsOrigin) {
    this->Adapter().SetPitchPadding(4);
    this->MakeSurface(TypeParam::kLayout);
    const CanvasRect area{4, 2, 8, 4};
    // {}: no depth buffer (8-bit), the word that is not read (16-bit).
    typename TypeParam::Type canvas(&this->record_, &area, {}, this->KindPalette(), Canvas::kFlagNoClear);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    EXPECT_EQ(canvas.width, 8);
    EXPECT_EQ(canvas.height, 4);
    EXPECT_EQ(canvas.surface.originX, 4);
    EXPECT_EQ(canvas.surface.originY, 2);
    EXPECT_EQ(canvas.surface.coveredWidth, kWidth);
    EXPECT_EQ(canvas.surface.pixelOffset, 2 * canvas.pitch + 4 * TypeParam::kLayout.BytesPerPixel());
    const CanvasRect corner{0, 0, 1, 1};
    ASSERT_EQ(canvas.FillRectRgb(&corner, kRgbRed), kStatusOk);
    EXPECT_EQ(this->SurfacePixel(4, 2), TypeParam::kRedPixel);
    EXPECT_EQ(this->SurfacePixel(0, 0), 0u);
    const ViewVertex last = Point(7, 3);
    ASSERT_EQ(canvas.PlotPixelInt(&last, kRgbRed), kStatusOk);
    EXPECT_EQ(this->SurfacePixel(11, 5), TypeParam::kRedPixel);
    // Fills stay on the canvas, not on the rest of the surface.
    const CanvasRect wide{6, 0, 10, 1};
    ASSERT_EQ(canvas.FillRectRgb(&wide, kRgbRed), kStatusOk);
    EXPECT_EQ(this->SurfacePixel(11, 2), TypeParam::kRedPixel);
    EXPECT_EQ(this->SurfacePixel(12, 2), 0u);

    const CanvasRect overhanging{10, 2, 8, 4};
    typename TypeParam::Type outside(&this->record_, &overhanging, {}, this->KindPalette(), 0);
    EXPECT_EQ(outside.setupResult, kStatusWrongSurface);
}

// Ownership.

class SurfaceCanvasHeapTest : public SurfaceCanvasTest {
protected:
    void SetUp() override {
        SurfaceCanvasTest::SetUp();
        ASSERT_FALSE(EngineHeap::IsReserved());
        EngineHeap::Reserve(4 << 20, EngineHeap::kModeExact);
    }
    void TearDown() override { EngineHeap::Release(); }
};

TEST_F(SurfaceCanvasHeapTest, DestructorsFreeOnlyWhatEachCanvasOwns) {
    MakeSurface(platform::kLayoutIndexed8);
    const uint64_t before = EngineHeap::BytesInUse();
    std::vector<uint16_t> callersDepth(size_t(kWidth) * kHeight, 0x4321);
    {
        SurfaceCanvas8 own(&record_, nullptr, palette8_, Canvas::kFlagHasDepth);
        SurfaceCanvas8 given(&record_, callersDepth.data(), palette8_, Canvas::kFlagHasDepth);
        ASSERT_EQ(own.setupResult, kStatusOk);
        ASSERT_EQ(given.setupResult, kStatusOk);
        EXPECT_TRUE(EngineHeap::Contains(own.depth));
        EXPECT_NE(own.flags & Canvas::kFlagOwnsDepth, 0u);
        EXPECT_EQ(given.depth, callersDepth.data());
        EXPECT_EQ(given.flags & (Canvas::kFlagOwnsDepth | Canvas::kFlagOwnsPixels), 0u);
        EXPECT_EQ(given.depthPitch, 2 * kWidth);
        EXPECT_EQ(callersDepth.back(), 0xFFFF) << "cleared through the canvas";
        EXPECT_GT(EngineHeap::BytesInUse(), before);
    }
    EXPECT_EQ(EngineHeap::BytesInUse(), before);
    EXPECT_EQ(callersDepth.size(), size_t(kWidth) * kHeight);
    ASSERT_NE(surface_->Memory(), nullptr);
    EXPECT_EQ(Adapter().LiveSurfaces(), 1);
}

TEST_F(SurfaceCanvasHeapTest, CanvasDeletedWhileLockedGivesTheSurfaceBack) {
    MakeSurface(platform::kLayoutRgb565);
    const uint64_t before = EngineHeap::BytesInUse();
    {
        SurfaceCanvas16 canvas(&record_, 0, palette565_, Canvas::kFlagHasDepth);
        ASSERT_EQ(canvas.setupResult, kStatusOk);
        ASSERT_EQ(canvas.Lock(), 0);
    }
    EXPECT_EQ(EngineHeap::BytesInUse(), before);
    EXPECT_EQ(record_.lockWord, 0u);
    EXPECT_FALSE(surface_->IsLocked());
}

// Kind by kind.

TEST_F(SurfaceCanvasTest, SixteenBitCanvasSubdividesByItsWidthAndTheEightBitOneNever) {
    MakeSurface(platform::kLayoutRgb565);
    SurfaceCanvas16 canvas16(&record_, 0, palette565_, 0);
    EXPECT_FLOAT_EQ(canvas16.subdivideLength, float(kWidth) * 0.07f);
    EXPECT_FLOAT_EQ(canvas16.subdivideLongLength, 4.0f * float(kWidth) * 0.07f);
    EXPECT_EQ(canvas16.flags, Canvas::kFlagSetUp | Canvas::kFlag16Bit);
    EXPECT_EQ(canvas16.Setup(nullptr, palette565_, 0), kStatusNothingToDo);
    MakeSurface(platform::kLayoutIndexed8);
    SurfaceCanvas8 canvas8(&record_, nullptr, palette8_, 0);
    EXPECT_EQ(canvas8.subdivideLength, 2049.0f);
    EXPECT_EQ(canvas8.flags, Canvas::kFlagSetUp);
    const CanvasRect rect{0, 0, 4, 4};
    EXPECT_EQ(canvas8.Setup(&rect, palette8_, 0), kStatusNothingToDo);
    EXPECT_EQ(canvas8.width, kWidth) << "still the surface's canvas";
}

TEST_F(SurfaceCanvasTest, SixteenBitFillsDecodeRawWordsAndMaskIndicesToThePalette) {
    MakeSurface(platform::kLayoutRgb565);
    SurfaceCanvas16 canvas(&record_, 0, palette565_, 0);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    const CanvasRect a{0, 0, 1, 1}, b{1, 0, 1, 1}, c{2, 0, 1, 1}, d{3, 0, 1, 1}, e{4, 0, 1, 1};
    EXPECT_EQ(canvas.FillRect(&a, Canvas::kColorRaw565 | 0x1234), kStatusOk);
    EXPECT_EQ(canvas.FillRect(&b, Canvas::kColorRaw555 | 0x7C00), kStatusOk);
    EXPECT_EQ(canvas.FillRect(&c, 0x0BAD0100u | kBlue), kStatusOk);
    EXPECT_EQ(canvas.FillRect(&d, Canvas::MakeDirectColor(255, 255, 255)), kStatusOk);
    EXPECT_EQ(canvas.FillRectRgb(&e, nullptr), kStatusOk);
    EXPECT_EQ(SurfacePixel(0, 0), 0x1234u);
    EXPECT_EQ(SurfacePixel(1, 0), 0x7C00u) << "written as it is, whatever the canvas's packing";
    EXPECT_EQ(SurfacePixel(2, 0), 0x001Fu) << "index 3 of the palette, blue";
    // 0x10FFFFFF names index 0xFF: (255, 0, 127).
    EXPECT_EQ(SurfacePixel(3, 0), uint32_t(Canvas::Pack565(255, 0, 127)));
    EXPECT_EQ(SurfacePixel(4, 0), 0u);
}

TEST_F(SurfaceCanvasTest, SixteenBitFillsPackInThePalettesFormat) {
    MakeSurface(platform::kLayoutRgb555);
    SurfaceCanvas16 canvas(&record_, 0, palette555_, 0);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    const CanvasRect r{0, 0, 2, 2};
    ASSERT_EQ(canvas.FillRect(&r, kGreen), kStatusOk);
    EXPECT_EQ(SurfacePixel(1, 1), 0x03E0u);
    ASSERT_EQ(canvas.FillRectRgb(&r, kRgbBlue), kStatusOk);
    EXPECT_EQ(SurfacePixel(0, 0), 0x001Fu);
}

TEST_F(SurfaceCanvasTest, SixteenBitReadPixelReturns1UnderALock) {
    MakeSurface(platform::kLayoutRgb565);
    SurfaceCanvas16 canvas(&record_, 0, palette565_, 0);
    ViewVertex out = Point(9, 9, 77);
    Adapter().ResetCallCounts();
    EXPECT_EQ(canvas.ReadPixel(1, 1, &out), int32_t(kStatusNothingToDo));
    EXPECT_EQ(out.colour, 77u);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kLock), 1);
    Adapter().InjectFault(DisplayCall::kLock, kDeviceFailed, kSurfaceLockAttempts16);
    EXPECT_EQ(canvas.ReadPixelAt(&out, &out), int32_t(kStatusPlatformFailed));
}

TEST_F(SurfaceCanvasTest, EightBitFillsTakeTheLowByteOrTheClosestIndex) {
    MakeSurface(platform::kLayoutIndexed8);
    SurfaceCanvas8 canvas(&record_, nullptr, palette8_, 0);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    const CanvasRect a{0, 0, 1, 1}, b{1, 0, 1, 1};
    ASSERT_EQ(canvas.FillRect(&a, 0x12345600u | kYellow), kStatusOk);
    const uint8_t almostBlue[4] = {0, 8, 250, 0xEE};
    ASSERT_EQ(canvas.FillRectRgb(&b, almostBlue), kStatusOk);
    EXPECT_EQ(SurfacePixel(0, 0), kYellow);
    EXPECT_EQ(SurfacePixel(1, 0), kBlue);
}

TEST_F(SurfaceCanvasTest, EightBitReadPixelReadsTheSurface) {
    MakeSurface(platform::kLayoutIndexed8);
    SurfaceCanvas8 canvas(&record_, nullptr, palette8_, Canvas::kFlagHasDepth);
    const CanvasRect r{5, 4, 1, 1};
    ASSERT_EQ(canvas.FillRect(&r, kGreen), kStatusOk);
    ViewVertex out;
    EXPECT_EQ(canvas.ReadPixel(5, 4, &out), int32_t(kGreen));
    EXPECT_EQ(out.screenX, 5);
    EXPECT_EQ(out.colour, kGreen);
    EXPECT_EQ(out.depth, 0xFFFFu);
    ExpectReleased(canvas);
}

// End to end: the DirectDraw driver opened headless, the canvas the game
// would make for it, a frame drawn and presented; the presented frame must
// be what a software canvas of the same size draws.

constexpr int32_t kScreenWidth = 640;
constexpr int32_t kScreenHeight = 480;

// A 5 x 7 font in 8 x 8 cells with the letters the frame shows.
void LoadTestFont(const TempDir& dir) {
    const struct {
        char code;
        const char* rows[7];
    } glyphs[] = {
        {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
        {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
        {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
        {'K', {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"}},
    };
    GfntBuilder font("Test", 8, 8, 8, FontRecord::kFixed128);
    for (const auto& glyph : glyphs) {
        uint8_t* rows = font.Glyph(uint8_t(glyph.code));
        for (int row = 0; row < 7; ++row) {
            for (int x = 0; x < 5; ++x) {
                if (glyph.rows[row][x] == '#') rows[row] |= uint8_t(0x80 >> x);
            }
        }
    }
    const std::string path = GfntBuilder::WriteFile(dir, "test.fnt", font.Form());
    ASSERT_EQ(LoadFont(path.c_str(), nullptr), kStatusOk);
}

// Rectangles (one cut by the screen's corner), lines with and without a
// direct colour, a shaded line, a Gouraud triangle, pixels and text, on a
// canvas cleared to blue, as a frame of the game would be drawn.
void DrawFrame(Canvas& canvas) {
    ASSERT_EQ(canvas.Lock(), 0);
    ASSERT_EQ(canvas.Clear(kBlue, kFarthest), kStatusOk);
    const CanvasRect red{20, 30, 100, 50}, corner{600, 440, 80, 80}, clip{0, 0, 630, 470};
    EXPECT_EQ(canvas.FillRectClipped(&red, kRed, nullptr), kStatusOk);
    EXPECT_EQ(canvas.FillRectClipped(&corner, kYellow, &clip), kStatusOk);
    const uint8_t grey[4] = {128, 128, 128, 0};
    const CanvasRect band{0, 200, 640, 4};
    EXPECT_EQ(canvas.FillRectRgbClipped(&band, grey, nullptr), kStatusOk);

    const ScreenVertex a = At(10, 300, kWhite), b = At(300, 300, kWhite);
    EXPECT_EQ(canvas.DrawLineClipped(&a, &b, kRgbRed, nullptr), kStatusOk);
    const ScreenVertex c = At(-50, 320, kGreen), d = At(700, 460, kGreen);
    EXPECT_EQ(canvas.DrawLineClipped(&c, &d, nullptr, nullptr), kStatusOk);
    const ScreenVertex dim = At(10, 350, kWhite, 0), bright = At(250, 350, kWhite, 255);
    EXPECT_EQ(canvas.DrawLineShaded(&dim, &bright), kStatusOk);
    const ScreenVertex triangle[] = {At(400, 100, kGreen, 0), At(600, 150, kGreen, 255), At(450, 300, kGreen, 128)};
    EXPECT_EQ(canvas.FillPolygonShaded(3, triangle), kStatusOk);
    for (int32_t x = 0; x < 40; x += 4) {
        const ScreenVertex p = At(float(300 + x), 400.0f, kYellow);
        EXPECT_EQ(canvas.PlotPixelClipped(&p, nullptr, nullptr), kStatusOk);
    }

    SetFontColors(kWhite, Canvas::kColorTransparent);
    TextCursor text(&canvas, 24, 40);
    text.PutString("HI OK");
    SetFontColors(kYellow, kBlack);
    TextCursor boxed(&canvas, 200, 420);
    boxed.PutString("OK");
    EXPECT_EQ(canvas.Unlock(), 1);
}

class SurfaceCanvasDisplayTest : public ::testing::Test {
protected:
    platform::HeadlessPresenter& Presenter() { return display_.Presenter(); }

    // The frame the presenter holds, pixel word for pixel word, against a
    // software canvas's rows.
    ::testing::AssertionResult PresentedFrameIs(const Canvas& reference) {
        if (Presenter().Width() != reference.width || Presenter().Height() != reference.height) {
            return ::testing::AssertionFailure() << "frame of " << Presenter().Width() << " x " << Presenter().Height();
        }
        const bool wide = (reference.flags & Canvas::kFlag16Bit) != 0;
        int32_t differing = 0;
        ::testing::AssertionResult failure = ::testing::AssertionFailure();
        for (int32_t y = 0; y < reference.height; ++y) {
            const uint8_t* row = reference.Row(y);
            for (int32_t x = 0; x < reference.width; ++x) {
                uint32_t expected = row[x];
                if (wide) {
                    uint16_t p;
                    std::memcpy(&p, row + 2 * x, sizeof p);
                    expected = p;
                }
                if (Presenter().RawPixel(x, y) == expected) continue;
                if (differing++ == 0) {
                    failure << "first at (" << x << ", " << y << "): " << Presenter().RawPixel(x, y) << " instead of "
                            << expected;
                }
            }
        }
        if (differing == 0) return ::testing::AssertionSuccess();
        return failure << "; " << differing << " pixels differ";
    }

    ScopedDisplay display_;
    TempDir fontDir_;
    ScopedFontLayer fonts_;
};

TEST_F(SurfaceCanvasDisplayTest, SixteenBitFrameDrawnThroughTheSurfaceCanvasIsPresented) {
    LoadTestFont(fontDir_);
    display_.Adapter().SetPitchPadding(24);
    Palette* const palette = SharedPalette(kPixelFormatRgb565);
    DirectDrawDriver driver(nullptr);
    ASSERT_EQ(driver.SetMode(kScreenWidth, kScreenHeight, 16, palette, 0), kDisplayOk);
    {
        SurfaceCanvas16 canvas(driver.frameSurfaces, 0, palette, Canvas::kFlagHasDepth);
        ASSERT_EQ(canvas.setupResult, kStatusOk);
        ASSERT_EQ(canvas.pitch, 2 * kScreenWidth + 24);
        DrawFrame(canvas);
        driver.InvalidateAll();
        ASSERT_EQ(driver.Present(), kDisplayOk);
    }
    ASSERT_EQ(Presenter().FrameCount(), 1);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutRgb565);
    EXPECT_EQ(Presenter().Rgb(0, 0), 0x0000FFu);
    EXPECT_EQ(Presenter().Rgb(20, 30), 0xFF0000u);
    EXPECT_EQ(Presenter().Rgb(119, 79), 0xFF0000u);
    EXPECT_EQ(Presenter().Rgb(120, 79), 0x0000FFu);
    EXPECT_EQ(Presenter().Rgb(629, 469), 0xFFFF00u) << "cut by the clip rectangle";
    EXPECT_EQ(Presenter().Rgb(630, 469), 0x0000FFu);
    EXPECT_EQ(Presenter().Rgb(100, 300), 0xFF0000u) << "a line in a direct colour";
    EXPECT_EQ(Presenter().Rgb(24, 40), 0xFFFFFFu) << "the top of the H's left stroke";
    EXPECT_EQ(Presenter().Rgb(25, 40), 0xFF0000u) << "transparent background";
    EXPECT_EQ(Presenter().Rgb(200, 420), 0x000000u) << "a black background box";
    EXPECT_EQ(Presenter().Rgb(201, 420), 0xFFFF00u);

    ScreenCanvas16 reference(kScreenWidth, kScreenHeight, nullptr, nullptr, palette, Canvas::kFlagHasDepth, 0, 0);
    ASSERT_EQ(reference.setupResult, kStatusOk);
    DrawFrame(reference);
    EXPECT_TRUE(PresentedFrameIs(reference));
}

TEST_F(SurfaceCanvasDisplayTest, EightBitFrameDrawnThroughTheSurfaceCanvasIsPresentedInThePalettesColours) {
    LoadTestFont(fontDir_);
    Palette* const palette = SharedPalette(kPixelFormatIndexed8);
    DirectDrawDriver driver(nullptr);
    ASSERT_EQ(driver.SetMode(kScreenWidth, kScreenHeight, 8, palette, DisplayDriver::kModeFullScreen),
              kDisplayOk);
    {
        SurfaceCanvas8 canvas(driver.frameSurfaces, nullptr, palette, Canvas::kFlagHasDepth);
        ASSERT_EQ(canvas.setupResult, kStatusOk);
        DrawFrame(canvas);
        ASSERT_EQ(driver.Present(), kDisplayOk);
    }
    ASSERT_EQ(Presenter().FrameCount(), 1);
    EXPECT_EQ(Presenter().Format(), platform::kLayoutIndexed8);
    EXPECT_EQ(Presenter().RawPixel(0, 0), kBlue);
    EXPECT_EQ(Presenter().Rgb(0, 0), 0x0000FFu);
    EXPECT_EQ(Presenter().Rgb(20, 30), 0xFF0000u);
    EXPECT_EQ(Presenter().Rgb(629, 469), 0xFFFF00u);
    EXPECT_EQ(Presenter().Rgb(100, 300), 0xFF0000u);
    EXPECT_EQ(Presenter().Rgb(24, 40), 0xFFFFFFu);
    EXPECT_EQ(Presenter().Rgb(200, 420), 0x000000u);

    ScreenCanvas8 reference(kScreenWidth, kScreenHeight, nullptr, nullptr, palette, Canvas::kFlagHasDepth, 0, 0);
    ASSERT_EQ(reference.setupResult, kStatusOk);
    DrawFrame(reference);
    EXPECT_TRUE(PresentedFrameIs(reference));
}

// With a flip chain every frame is drawn into the memory the last flip
// handed back, which the canvas finds anew at each lock.
TEST_F(SurfaceCanvasDisplayTest, FramesOfAFlipChainAreDrawnIntoTheBufferOfTheMoment) {
    Palette* const palette = SharedPalette(kPixelFormatRgb565);
    DirectDrawDriver driver(nullptr);
    ASSERT_EQ(driver.SetMode(kScreenWidth, kScreenHeight, 16, palette,
                             DisplayDriver::kModeFullScreen | DisplayDriver::kModePageFlip),
              kDisplayOk);
    SurfaceCanvas16 canvas(driver.frameSurfaces, 0, palette, 0);
    ASSERT_EQ(canvas.setupResult, kStatusOk);
    const ViewVertex mark = Point(5, 5);
    for (const uint8_t colour : {kRed, kGreen, kWhite}) {
        ASSERT_EQ(canvas.Lock(), 0);
        ASSERT_EQ(canvas.Clear(colour, kFarthest), kStatusOk);
        ASSERT_EQ(canvas.PlotPixelInt(&mark, kRgbBlue), kStatusOk);
        ASSERT_EQ(canvas.Unlock(), 1);
        ASSERT_EQ(driver.Present(), kDisplayOk);
        EXPECT_EQ(Presenter().Rgb(5, 5), 0x0000FFu);
        const PaletteColor c = TestColours()[colour];
        EXPECT_EQ(Presenter().Rgb(6, 5), uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue);
    }
}

}  // namespace
