#include "platform/DisplayDevice.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/DisplayAdapter.h"
#include "platform/HeadlessPresenter.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TempDir.h"

using namespace platform;

namespace {

constexpr uint32_t kFullScreenLevel = kLevelExclusive | kLevelFullScreen;

class DisplayDeviceTest : public ::testing::Test {
protected:
    DisplayAdapter& Adapter() { return display_.Adapter(); }
    HeadlessPresenter& Presenter() { return display_.Presenter(); }

    std::unique_ptr<DisplayDevice> OpenDevice() {
        std::unique_ptr<DisplayDevice> device;
        EXPECT_EQ(Adapter().Open(&device), kDeviceOk);
        return device;
    }

    std::shared_ptr<Surface> Make(DisplayDevice& device, int32_t width, int32_t height, uint32_t caps,
                                  PixelLayout format = {}) {
        SurfaceDescription description;
        description.width = width;
        description.height = height;
        description.caps = caps;
        description.format = format;
        std::shared_ptr<Surface> surface;
        EXPECT_EQ(device.CreateSurface(description, &surface), kDeviceOk);
        return surface;
    }

    std::shared_ptr<Surface> MakePrimary(DisplayDevice& device, uint32_t caps = 0, int32_t backBuffers = 0) {
        SurfaceDescription description;
        description.caps = kCapsPrimary | caps;
        description.backBufferCount = backBuffers;
        std::shared_ptr<Surface> surface;
        EXPECT_EQ(device.CreateSurface(description, &surface), kDeviceOk);
        return surface;
    }

    static void Fill(Surface& surface, uint32_t value, SurfaceRect rect) {
        BlitEffects effects;
        effects.fillColor = value;
        ASSERT_EQ(surface.Blit(&rect, nullptr, nullptr, kBlitColorFill, &effects), kDeviceOk);
    }

    static uint16_t Pixel16(const Surface& surface, int32_t x, int32_t y) {
        uint16_t value;
        std::memcpy(&value, surface.Memory() + y * surface.Pitch() + x * 2, 2);
        return value;
    }

    ScopedDisplay display_;
};

TEST_F(DisplayDeviceTest, StartsWithA565DesktopAndTheUsualModes) {
    EXPECT_EQ(Adapter().CurrentMode().width, 640);
    EXPECT_EQ(Adapter().CurrentMode().height, 480);
    EXPECT_EQ(Adapter().CurrentMode().format, kLayoutRgb565);
    EXPECT_FALSE(Adapter().IsPaletteBased());
    EXPECT_TRUE(Adapter().HasMode(800, 600, 8));
    EXPECT_TRUE(Adapter().HasMode(1024, 768, 16));
    EXPECT_FALSE(Adapter().HasMode(640, 480, 24));
}

TEST_F(DisplayDeviceTest, PitchIsRoundedToFourBytesPlusThePadding) {
    EXPECT_EQ(Adapter().PitchFor(3, kLayoutIndexed8), 4);
    EXPECT_EQ(Adapter().PitchFor(3, kLayoutRgb565), 8);
    Adapter().SetPitchPadding(12);
    EXPECT_EQ(Adapter().PitchFor(640, kLayoutRgb565), 1292);
}

TEST_F(DisplayDeviceTest, InjectedOpenFailureMakesNoDevice) {
    Adapter().InjectFault(DisplayCall::kOpen, kDeviceFailed);
    std::unique_ptr<DisplayDevice> device;
    EXPECT_EQ(Adapter().Open(&device), kDeviceFailed);
    EXPECT_EQ(device, nullptr);
    EXPECT_EQ(Adapter().LiveDevices(), 0);
    EXPECT_EQ(Adapter().Open(&device), kDeviceOk) << "one failure only";
    EXPECT_EQ(Adapter().LiveDevices(), 1);
}

TEST_F(DisplayDeviceTest, FaultsSkipThenFailTheGivenNumberOfCalls) {
    auto device = OpenDevice();
    Adapter().InjectFault(DisplayCall::kSetCooperativeLevel, kDeviceFailed, 2, 1);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, kLevelNormal), kDeviceOk);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, kLevelNormal), kDeviceFailed);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, kLevelNormal), kDeviceFailed);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, kLevelNormal), kDeviceOk);
    EXPECT_EQ(Adapter().CallCount(DisplayCall::kSetCooperativeLevel), 4);
    Adapter().InjectFault(DisplayCall::kSetCooperativeLevel, kDeviceFailed, 5);
    Adapter().ClearFaults();
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, kLevelNormal), kDeviceOk);
}

TEST_F(DisplayDeviceTest, ExclusiveUseNeedsFullScreenAndBelongsToOneDevice) {
    auto first = OpenDevice();
    auto second = OpenDevice();
    EXPECT_EQ(first->SetCooperativeLevel(nullptr, kLevelExclusive), kDeviceInvalidArguments);
    EXPECT_EQ(first->SetCooperativeLevel(nullptr, kLevelExclusive | kLevelNormal), kDeviceInvalidArguments);
    EXPECT_EQ(first->SetCooperativeLevel(nullptr, kFullScreenLevel | kLevelAllowModeX), kDeviceOk);
    EXPECT_TRUE(Adapter().IsExclusive());
    EXPECT_EQ(second->SetCooperativeLevel(nullptr, kFullScreenLevel), kDeviceExclusiveTaken);
    EXPECT_EQ(second->SetDisplayMode(800, 600, 16), kDeviceExclusiveTaken);
    EXPECT_EQ(first->SetCooperativeLevel(nullptr, kLevelNormal), kDeviceOk);
    EXPECT_FALSE(Adapter().IsExclusive());
    EXPECT_EQ(second->SetCooperativeLevel(nullptr, kFullScreenLevel), kDeviceOk);
    second.reset();
    EXPECT_FALSE(Adapter().IsExclusive()) << "a released device gives up exclusive use";
}

TEST_F(DisplayDeviceTest, DisplayModeTakesTheHighColorLayoutAndComesBackWhenReleased) {
    Adapter().SetDesktopFormat(kLayoutIndexed8);
    Adapter().SetHighColorLayout(kLayoutRgb555);
    EXPECT_TRUE(Adapter().IsPaletteBased());
    auto device = OpenDevice();
    ASSERT_EQ(device->SetCooperativeLevel(nullptr, kFullScreenLevel), kDeviceOk);
    EXPECT_EQ(device->SetDisplayMode(640, 400, 16), kDeviceUnsupported);
    ASSERT_EQ(device->SetDisplayMode(800, 600, 16), kDeviceOk);
    EXPECT_EQ(Adapter().CurrentMode().width, 800);
    EXPECT_EQ(Adapter().CurrentMode().format, kLayoutRgb555);
    EXPECT_FALSE(Adapter().IsPaletteBased());
    device.reset();
    EXPECT_EQ(Adapter().CurrentMode().width, 640);
    EXPECT_EQ(Adapter().CurrentMode().format, kLayoutIndexed8);
}

TEST_F(DisplayDeviceTest, ModeChangeLosesDisplayMemoryAndItCannotBeRestoredInTheNewMode) {
    auto device = OpenDevice();
    auto primary = MakePrimary(*device);
    auto video = Make(*device, 32, 32, kCapsOffscreen | kCapsVideoMemory);
    auto system = Make(*device, 32, 32, kCapsSystemMemory);
    ASSERT_EQ(device->SetCooperativeLevel(nullptr, kFullScreenLevel), kDeviceOk);
    ASSERT_EQ(device->SetDisplayMode(800, 600, 16), kDeviceOk);
    EXPECT_EQ(primary->IsLost(), kDeviceSurfaceLost);
    EXPECT_EQ(video->IsLost(), kDeviceSurfaceLost);
    EXPECT_EQ(system->IsLost(), kDeviceOk);
    EXPECT_EQ(video->Restore(), kDeviceWrongMode);
    ASSERT_EQ(device->RestoreDisplayMode(), kDeviceOk);
    EXPECT_EQ(video->Restore(), kDeviceWrongMode) << "a round trip is still another mode";
}

TEST_F(DisplayDeviceTest, PrimarySurfaceTakesTheDisplaysSizeAndFormat) {
    Adapter().SetDesktop(800, 600, kLayoutRgb555);
    auto device = OpenDevice();
    auto primary = MakePrimary(*device);
    EXPECT_EQ(primary->Width(), 800);
    EXPECT_EQ(primary->Height(), 600);
    EXPECT_EQ(primary->Format(), kLayoutRgb555);
    EXPECT_TRUE(primary->InVideoMemory());
    EXPECT_EQ(Adapter().VideoMemoryInUse(), int64_t(primary->Pitch()) * 600);
    primary.reset();
    EXPECT_EQ(Adapter().VideoMemoryInUse(), 0);
}

TEST_F(DisplayDeviceTest, FlipChainNeedsExclusiveUseAndHangsTheBackBufferOnThePrimary) {
    auto device = OpenDevice();
    SurfaceDescription description;
    description.caps = kCapsPrimary | kCapsFlip | kCapsComplex | kCapsVideoMemory;
    description.backBufferCount = 1;
    std::shared_ptr<Surface> primary;
    EXPECT_EQ(device->CreateSurface(description, &primary), kDeviceNoExclusiveMode);
    ASSERT_EQ(device->SetCooperativeLevel(nullptr, kFullScreenLevel), kDeviceOk);
    ASSERT_EQ(device->CreateSurface(description, &primary), kDeviceOk);
    std::shared_ptr<Surface> back;
    ASSERT_EQ(primary->GetAttachedSurface(kCapsBackBuffer, &back), kDeviceOk);
    EXPECT_NE(back->Caps() & kCapsFlip, 0u);
    EXPECT_EQ(back->Width(), 640);
    EXPECT_EQ(Adapter().LiveSurfaces(), 2);
    std::shared_ptr<Surface> none;
    EXPECT_EQ(back->GetAttachedSurface(kCapsBackBuffer, &none), kDeviceNotFound);
    primary.reset();
    EXPECT_EQ(Adapter().LiveSurfaces(), 1) << "the back buffer lives while it is held";
    back.reset();
    EXPECT_EQ(Adapter().LiveSurfaces(), 0);
    EXPECT_EQ(Adapter().VideoMemoryInUse(), 0);
}

TEST_F(DisplayDeviceTest, VideoMemoryRunsOutAndUncommittedSurfacesGoToSystemMemory) {
    Adapter().SetVideoMemory(640 * 480 * 2);
    auto device = OpenDevice();
    auto primary = MakePrimary(*device);
    EXPECT_TRUE(primary->InVideoMemory());
    SurfaceDescription description;
    description.width = 16;
    description.height = 16;
    description.caps = kCapsOffscreen | kCapsVideoMemory;
    std::shared_ptr<Surface> surface;
    EXPECT_EQ(device->CreateSurface(description, &surface), kDeviceOutOfVideoMemory);
    description.caps = kCapsOffscreen;
    ASSERT_EQ(device->CreateSurface(description, &surface), kDeviceOk);
    EXPECT_FALSE(surface->InVideoMemory());
    EXPECT_NE(surface->Caps() & kCapsSystemMemory, 0u);
}

TEST_F(DisplayDeviceTest, SurfacesNeedASizeAndADrawableFormat) {
    auto device = OpenDevice();
    SurfaceDescription description;
    std::shared_ptr<Surface> surface;
    description.caps = kCapsOffscreen;
    EXPECT_EQ(device->CreateSurface(description, &surface), kDeviceInvalidArguments);
    description.width = 4;
    description.height = 4;
    description.format = {24, 0xFF0000, 0xFF00, 0xFF};
    EXPECT_EQ(device->CreateSurface(description, &surface), kDeviceWrongFormat);
    description.format = kLayoutIndexed8;
    ASSERT_EQ(device->CreateSurface(description, &surface), kDeviceOk);
    EXPECT_EQ(surface->Format(), kLayoutIndexed8);
    description.caps = kCapsVideoMemory | kCapsSystemMemory;
    EXPECT_EQ(device->CreateSurface(description, &surface), kDeviceInvalidArguments);
}

TEST_F(DisplayDeviceTest, LockGivesTheMemoryOnceAndBlitsWaitForTheUnlock) {
    Adapter().SetPitchPadding(8);
    auto device = OpenDevice();
    auto surface = Make(*device, 10, 4, kCapsOffscreen);
    SurfaceDescription locked;
    ASSERT_EQ(surface->Lock(&locked, kLockWait), kDeviceOk);
    EXPECT_EQ(locked.width, 10);
    EXPECT_EQ(locked.height, 4);
    EXPECT_EQ(locked.pitch, 28);
    EXPECT_EQ(locked.format.redMask, 0xF800u);
    EXPECT_EQ(locked.memory, surface->Memory());
    SurfaceDescription again;
    EXPECT_EQ(surface->Lock(&again, kLockWait), kDeviceSurfaceBusy);
    BlitEffects effects;
    EXPECT_EQ(surface->Blit(nullptr, nullptr, nullptr, kBlitColorFill, &effects), kDeviceSurfaceBusy);
    EXPECT_EQ(surface->Unlock(), kDeviceOk);
    EXPECT_EQ(surface->Unlock(), kDeviceNotLocked);
    EXPECT_EQ(surface->Blit(nullptr, nullptr, nullptr, kBlitColorFill, &effects), kDeviceOk);
}

TEST_F(DisplayDeviceTest, WaitFlagsWaitOutStillDrawingAndOtherCallsReportIt) {
    auto device = OpenDevice();
    auto surface = Make(*device, 4, 4, kCapsOffscreen);
    SurfaceDescription locked;
    Adapter().InjectFault(DisplayCall::kLock, kDeviceStillDrawing, 3);
    EXPECT_EQ(surface->Lock(&locked, 0), kDeviceStillDrawing);
    EXPECT_EQ(surface->Lock(&locked, kLockWait), kDeviceOk) << "waits out the two left";
    ASSERT_EQ(surface->Unlock(), kDeviceOk);
    Adapter().InjectFault(DisplayCall::kBlit, kDeviceStillDrawing, 2);
    BlitEffects effects;
    EXPECT_EQ(surface->Blit(nullptr, nullptr, nullptr, kBlitColorFill, &effects), kDeviceStillDrawing);
    EXPECT_EQ(surface->Blit(nullptr, nullptr, nullptr, kBlitColorFill | kBlitWait, &effects), kDeviceOk);
}

TEST_F(DisplayDeviceTest, LostSurfaceRefusesLockUntilRestoredWithFreshMemory) {
    auto device = OpenDevice();
    auto surface = Make(*device, 8, 8, kCapsOffscreen | kCapsVideoMemory);
    const uint8_t* const before = surface->Memory();
    surface->Lose();
    SurfaceDescription locked;
    EXPECT_EQ(surface->Lock(&locked, kLockWait), kDeviceSurfaceLost);
    EXPECT_EQ(surface->IsLost(), kDeviceSurfaceLost);
    Adapter().SetPitchPadding(16);
    Adapter().InjectFault(DisplayCall::kRestore, kDeviceFailed);
    EXPECT_EQ(surface->Restore(), kDeviceFailed);
    EXPECT_EQ(surface->IsLost(), kDeviceSurfaceLost);
    ASSERT_EQ(surface->Restore(), kDeviceOk);
    EXPECT_EQ(surface->IsLost(), kDeviceOk);
    ASSERT_EQ(surface->Lock(&locked, kLockWait), kDeviceOk);
    EXPECT_EQ(locked.pitch, 32) << "restored memory follows the current pitch rule";
    EXPECT_NE(locked.memory, before);
    EXPECT_EQ(surface->Unlock(), kDeviceOk);
}

TEST_F(DisplayDeviceTest, InjectedLossLosesTheSurface) {
    auto device = OpenDevice();
    auto surface = Make(*device, 8, 8, kCapsOffscreen);
    Adapter().InjectFault(DisplayCall::kLock, kDeviceSurfaceLost);
    SurfaceDescription locked;
    EXPECT_EQ(surface->Lock(&locked, kLockWait), kDeviceSurfaceLost);
    EXPECT_EQ(surface->Lock(&locked, kLockWait), kDeviceSurfaceLost) << "lost until restored";
    ASSERT_EQ(surface->Restore(), kDeviceOk);
    EXPECT_EQ(surface->Lock(&locked, kLockWait), kDeviceOk);
}

TEST_F(DisplayDeviceTest, LoseAllSurfacesSparesSystemMemory) {
    auto device = OpenDevice();
    auto primary = MakePrimary(*device, kCapsSystemMemory);
    auto video = Make(*device, 8, 8, kCapsVideoMemory);
    auto system = Make(*device, 8, 8, kCapsSystemMemory);
    Adapter().LoseAllSurfaces();
    EXPECT_EQ(primary->IsLost(), kDeviceSurfaceLost) << "the screen is taken whatever memory backs it";
    EXPECT_EQ(video->IsLost(), kDeviceSurfaceLost);
    EXPECT_EQ(system->IsLost(), kDeviceOk);
    EXPECT_EQ(video->Restore(), kDeviceOk) << "same mode: the memory can be had back";
}

TEST_F(DisplayDeviceTest, ColorFillWritesLittleEndianPixelsInsideTheRectangleOnly) {
    auto device = OpenDevice();
    auto wide = Make(*device, 6, 4, kCapsOffscreen);
    Fill(*wide, 0xABCD1234, {1, 1, 5, 3});
    EXPECT_EQ(Pixel16(*wide, 0, 0), 0);
    EXPECT_EQ(Pixel16(*wide, 1, 1), 0x1234);
    EXPECT_EQ(Pixel16(*wide, 4, 2), 0x1234);
    EXPECT_EQ(Pixel16(*wide, 5, 2), 0);
    EXPECT_EQ(Pixel16(*wide, 4, 3), 0);
    auto indexed = Make(*device, 6, 4, kCapsOffscreen, kLayoutIndexed8);
    Fill(*indexed, 0x1F7, {0, 3, 6, 4});
    EXPECT_EQ(indexed->Memory()[3 * indexed->Pitch() + 5], 0xF7);
    EXPECT_EQ(indexed->Memory()[2 * indexed->Pitch() + 5], 0);
    BlitEffects effects;
    const SurfaceRect outside{4, 0, 7, 1};
    EXPECT_EQ(wide->Blit(&outside, nullptr, nullptr, kBlitColorFill, &effects), kDeviceInvalidArguments);
    const SurfaceRect empty{2, 2, 2, 3};
    EXPECT_EQ(wide->Blit(&empty, nullptr, nullptr, kBlitColorFill, &effects), kDeviceInvalidArguments);
}

TEST_F(DisplayDeviceTest, BlitCopiesBetweenSurfacesOfOneFormatAndSize) {
    Adapter().SetPitchPadding(4);
    auto device = OpenDevice();
    auto source = Make(*device, 8, 8, kCapsOffscreen);
    auto target = Make(*device, 8, 8, kCapsSystemMemory);
    Fill(*source, 0x0F0F, {2, 2, 4, 4});
    const SurfaceRect from{2, 2, 4, 4};
    const SurfaceRect to{5, 6, 7, 8};
    ASSERT_EQ(target->Blit(&to, source.get(), &from, 0, nullptr), kDeviceOk);
    EXPECT_EQ(Pixel16(*target, 5, 6), 0x0F0F);
    EXPECT_EQ(Pixel16(*target, 6, 7), 0x0F0F);
    EXPECT_EQ(Pixel16(*target, 4, 6), 0);
    const SurfaceRect larger{4, 4, 8, 8};
    EXPECT_EQ(target->Blit(&larger, source.get(), &from, 0, nullptr), kDeviceUnsupported);
    auto indexed = Make(*device, 8, 8, kCapsOffscreen, kLayoutIndexed8);
    EXPECT_EQ(target->Blit(nullptr, indexed.get(), nullptr, 0, nullptr), kDeviceWrongFormat);
    source->Lose();
    EXPECT_EQ(target->Blit(nullptr, source.get(), nullptr, 0, nullptr), kDeviceSurfaceLost);
}

TEST_F(DisplayDeviceTest, BlitWithinOneSurfaceMayOverlap) {
    auto device = OpenDevice();
    auto surface = Make(*device, 4, 1, kCapsOffscreen, kLayoutIndexed8);
    SurfaceDescription locked;
    ASSERT_EQ(surface->Lock(&locked, kLockWait), kDeviceOk);
    std::memcpy(locked.memory, "\x01\x02\x03\x04", 4);
    ASSERT_EQ(surface->Unlock(), kDeviceOk);
    const SurfaceRect from{0, 0, 3, 1};
    const SurfaceRect to{1, 0, 4, 1};
    ASSERT_EQ(surface->Blit(&to, surface.get(), &from, 0, nullptr), kDeviceOk);
    EXPECT_EQ(std::memcmp(surface->Memory(), "\x01\x01\x02\x03", 4), 0);

    // Rows overlapping downward and then upward, in a column one pixel wide.
    auto column = Make(*device, 1, 4, kCapsOffscreen, kLayoutIndexed8);
    ASSERT_EQ(column->Lock(&locked, kLockWait), kDeviceOk);
    const int32_t pitch = locked.pitch;
    for (int32_t y = 0; y < 4; ++y) static_cast<uint8_t*>(locked.memory)[y * pitch] = uint8_t(y + 1);
    ASSERT_EQ(column->Unlock(), kDeviceOk);
    const auto rows = [&] {
        std::string seen;
        for (int32_t y = 0; y < 4; ++y) seen += char('0' + column->Memory()[y * pitch]);
        return seen;
    };
    const SurfaceRect top{0, 0, 1, 3};
    const SurfaceRect bottom{0, 1, 1, 4};
    ASSERT_EQ(column->Blit(&bottom, column.get(), &top, 0, nullptr), kDeviceOk);
    EXPECT_EQ(rows(), "1123");
    ASSERT_EQ(column->Blit(&top, column.get(), &bottom, 0, nullptr), kDeviceOk);
    EXPECT_EQ(rows(), "1233");
}

TEST_F(DisplayDeviceTest, ChangesToThePrimarySurfaceReachThePresenter) {
    auto device = OpenDevice();
    auto primary = MakePrimary(*device);
    auto offscreen = Make(*device, 640, 480, kCapsOffscreen);
    Fill(*offscreen, 0xF800, {0, 0, 640, 480});
    EXPECT_EQ(Presenter().FrameCount(), 0) << "off-screen drawing is not shown";
    ASSERT_EQ(primary->Blit(nullptr, offscreen.get(), nullptr, 0, nullptr), kDeviceOk);
    EXPECT_EQ(Presenter().FrameCount(), 1);
    EXPECT_EQ(Presenter().Width(), 640);
    EXPECT_EQ(Presenter().Format(), kLayoutRgb565);
    EXPECT_EQ(Presenter().Rgb(639, 479), 0xFF0000u);
    SurfaceDescription locked;
    ASSERT_EQ(primary->Lock(&locked, kLockWait), kDeviceOk);
    locked.memory[0] = 0x1F;
    locked.memory[1] = 0x00;
    ASSERT_EQ(primary->Unlock(), kDeviceOk);
    EXPECT_EQ(Presenter().FrameCount(), 2) << "direct drawing shows at the unlock";
    EXPECT_EQ(Presenter().Rgb(0, 0), 0x0000FFu);
    Fill(*primary, 0x07E0, {0, 0, 1, 1});
    EXPECT_EQ(Presenter().FrameCount(), 3);
    EXPECT_EQ(Presenter().Rgb(0, 0), 0x00FF00u);
}

TEST_F(DisplayDeviceTest, FlipBringsTheBackBufferToTheFrontAndShowsIt) {
    auto device = OpenDevice();
    ASSERT_EQ(device->SetCooperativeLevel(nullptr, kFullScreenLevel), kDeviceOk);
    auto primary = MakePrimary(*device, kCapsFlip | kCapsComplex, 1);
    std::shared_ptr<Surface> back;
    ASSERT_EQ(primary->GetAttachedSurface(kCapsBackBuffer, &back), kDeviceOk);
    Fill(*back, 0x001F, {0, 0, 640, 480});
    const uint8_t* const frontMemory = primary->Memory();
    const uint8_t* const backMemory = back->Memory();
    EXPECT_EQ(Presenter().FrameCount(), 0);
    ASSERT_EQ(primary->Flip(nullptr, kFlipWait), kDeviceOk);
    EXPECT_EQ(primary->Memory(), backMemory);
    EXPECT_EQ(back->Memory(), frontMemory);
    EXPECT_EQ(Presenter().FrameCount(), 1);
    EXPECT_EQ(Presenter().Rgb(320, 240), 0x0000FFu);
    SurfaceDescription locked;
    ASSERT_EQ(back->Lock(&locked, kLockWait), kDeviceOk);
    EXPECT_EQ(primary->Flip(nullptr, kFlipWait), kDeviceSurfaceBusy);
    ASSERT_EQ(back->Unlock(), kDeviceOk);
    EXPECT_EQ(back->Flip(nullptr, kFlipWait), kDeviceUnsupported) << "only the front flips";
    auto plain = MakePrimary(*device);
    EXPECT_EQ(plain->Flip(nullptr, kFlipWait), kDeviceUnsupported);
}

TEST_F(DisplayDeviceTest, IndexedFramesComeWithTheAttachedOrTheSystemPalette) {
    Adapter().SetDesktopFormat(kLayoutIndexed8);
    auto device = OpenDevice();
    auto primary = MakePrimary(*device);
    Fill(*primary, 255, {0, 0, 640, 480});
    EXPECT_EQ(Presenter().Rgb(0, 0), 0xFFFFFFu) << "the system palette's last entry";
    DisplayPalette colours;
    colours.entries[255] = {10, 20, 30, 0};
    std::shared_ptr<DevicePalette> palette;
    EXPECT_EQ(device->CreatePalette(kPaletteAllow256, colours, &palette), kDeviceUnsupported);
    ASSERT_EQ(device->CreatePalette(kPalette8Bit | kPaletteAllow256, colours, &palette), kDeviceOk);
    EXPECT_EQ(Adapter().LivePalettes(), 1);
    ASSERT_EQ(primary->SetPalette(palette), kDeviceOk);
    Fill(*primary, 255, {0, 0, 640, 480});
    EXPECT_EQ(Presenter().Rgb(0, 0), 0x0A141Eu);
    const DisplayPalette::Entry red{255, 0, 0, 0};
    ASSERT_EQ(palette->SetEntries(255, 1, &red), kDeviceOk);
    EXPECT_EQ(palette->SetEntries(255, 2, &red), kDeviceInvalidArguments);
    Fill(*primary, 255, {0, 0, 640, 480});
    EXPECT_EQ(Presenter().Rgb(0, 0), 0xFF0000u);
    auto direct = Make(*device, 4, 4, kCapsOffscreen, kLayoutRgb565);
    EXPECT_EQ(direct->SetPalette(palette), kDeviceWrongFormat);
    primary.reset();
    palette.reset();
    EXPECT_EQ(Adapter().LivePalettes(), 0);
}

TEST(HeadlessPresenter, DecodesEachLayoutToEightBitChannels) {
    HeadlessPresenter presenter;
    const uint16_t rgb555[2] = {0x7C00, 0x0200};   // red; green at half (16 of 31)
    presenter.Present(reinterpret_cast<const uint8_t*>(rgb555), 2, 1, 4, kLayoutRgb555, nullptr);
    EXPECT_EQ(presenter.Rgb(0, 0), 0xFF0000u);
    EXPECT_EQ(presenter.Rgb(1, 0), 0x008400u);
    EXPECT_EQ(presenter.RawPixel(1, 0), 0x0200u);
    const uint16_t rgb565[2] = {0xFFFF, 0x0020};   // white; the lowest green step
    presenter.Present(reinterpret_cast<const uint8_t*>(rgb565), 2, 1, 4, kLayoutRgb565, nullptr);
    EXPECT_EQ(presenter.Rgb(0, 0), 0xFFFFFFu);
    EXPECT_EQ(presenter.Rgb(1, 0), 0x000400u);
    EXPECT_EQ(presenter.Rgb(2, 0), 0u) << "outside the frame";
    EXPECT_EQ(presenter.FrameCount(), 2);
    presenter.Forget();
    EXPECT_EQ(presenter.FrameCount(), 0);
    EXPECT_EQ(presenter.Width(), 0);
}

TEST(HeadlessPresenter, DropsThePaddingOfEachRow) {
    HeadlessPresenter presenter;
    const uint8_t rows[2][4] = {{1, 2, 99, 99}, {3, 4, 99, 99}};
    DisplayPalette palette;
    palette.entries[4] = {1, 2, 3, 0};
    presenter.Present(&rows[0][0], 2, 2, 4, kLayoutIndexed8, &palette);
    EXPECT_EQ(presenter.RawPixel(0, 1), 3u);
    EXPECT_EQ(presenter.Rgb(1, 1), 0x010203u);
}

TEST(HeadlessPresenter, WritesTheFrameAsAPng) {
    HeadlessPresenter presenter;
    EXPECT_FALSE(presenter.WriteImage("/nonexistent/never.png")) << "no frame yet";
    const uint16_t pixels[2 * 3] = {0xF800, 0x07E0, 0x001F, 0xFFFF, 0, 0xF800};
    presenter.Present(reinterpret_cast<const uint8_t*>(pixels), 3, 2, 6, kLayoutRgb565, nullptr);
    TempDir folder;
    const std::string path = folder.Str() + "/frame.png";
    ASSERT_TRUE(presenter.WriteImage(path));
    std::ifstream in(path, std::ios::binary);
    const std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(file.size(), 33u);
    EXPECT_EQ(file.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    EXPECT_EQ(file.substr(12, 4), "IHDR");
    EXPECT_EQ(file.substr(16, 8), std::string("\0\0\0\3\0\0\0\2", 8));
    EXPECT_EQ(file.substr(37, 4), "IDAT");
    EXPECT_EQ(file.substr(file.size() - 12), std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12));
    RgbImage read;
    ASSERT_TRUE(ReadStoredPng(path, &read));
    ASSERT_EQ(read.width, 3);
    ASSERT_EQ(read.height, 2);
    const std::vector<uint8_t> expected = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 255, 0, 0};
    EXPECT_EQ(read.rgb, expected);
}

}  // namespace
