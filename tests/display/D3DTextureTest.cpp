#include "display/D3DTexture.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/ColorTables.h"
#include "display/D3DHalDriver.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/PixelImage.h"
#include "display/TextureManager.h"
#include "platform/DisplayAdapter.h"
#include "platform/Surface.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/ScopedColorTables.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

// An 8-bit image of its own pixels, which are its index pattern.
struct Image {
    Image(int16_t w, int16_t h, Palette* colours, bool keyed = false) : pixels(size_t(w) * size_t(h)) {
        for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint8_t(i % 7);
        picture.width = w;
        picture.height = h;
        picture.pixels = pixels.data();
        picture.flags = PixelImage::kFormat8Bit | (keyed ? PixelImage::kFlagKeyed : 0);
        picture.palette = colours;
    }
    ~Image() { picture.ReleaseCopies(); }
    std::vector<uint8_t> pixels;
    PixelImage picture;
};

class D3DTextureTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver_.reset(new D3DHalDriver(nullptr, "vorn3d"));
        ASSERT_EQ(driver_->SetMode(640, 480, 16, palette565_.get(), D3DHalDriver::kGameModeFlags), kDisplayOk);
    }
    void TearDown() override { driver_.reset(); }
    platform::DisplayAdapter& Adapter() { return display_.Adapter(); }
    // Room in video memory for `bytes` more.
    void LeaveRoom(int64_t bytes) { Adapter().SetVideoMemory(Adapter().VideoMemoryInUse() + bytes); }
    static bool Resident(const D3DTexture& t) { return (t.node->flags & TextureNode::kResident) != 0; }

    const ScopedEngineHeap heap_{16 * 1024 * 1024};
    ScopedColorTables tables_;
    ScopedDisplay display_;
    std::unique_ptr<Palette> palette565_ = MakeDistinctPalette(kPixelFormatRgb565);
    std::unique_ptr<Palette> colours_ = MakeDistinctPalette(kPixelFormatIndexed8);
    std::unique_ptr<D3DHalDriver> driver_;
};

TEST_F(D3DTextureTest, TheSmallestFormatWithoutAlphaIsChosen) {
    using platform::TextureFormat;
    const platform::PixelLayout argb4444{16, 0x0F00, 0x00F0, 0x000F};
    struct Case {
        const char* what;
        std::vector<TextureFormat> formats;
        int32_t result;
        platform::PixelLayout chosen;
    } const cases[] = {
        {"8-bit palette first", {{platform::kLayoutRgb565}, {platform::kLayoutIndexed8}}, 0, platform::kLayoutIndexed8},
        {"alpha formats skipped",
         {{argb4444, 0xF000}, {platform::kLayoutRgb555, 0x8000}, {platform::kLayoutRgb555}, {platform::kLayoutRgb565}},
         0, platform::kLayoutRgb555},
        {"only alpha formats", {{argb4444, 0xF000}}, kDisplayCallFailed, {}},
    };
    for (const Case& c : cases) {
        Adapter().SetTextureFormats(c.formats);
        Image image(16, 16, colours_.get());
        D3DTexture texture(&image.picture, nullptr);
        EXPECT_EQ(texture.status, c.result) << c.what;
        if (c.result == 0) {
            ASSERT_NE(texture.textureSurface, nullptr) << c.what;
            EXPECT_EQ(texture.textureSurface->Format(), c.chosen) << c.what;
            EXPECT_NE(texture.handle, 0u);
            EXPECT_EQ(driver_->device->TextureOf(texture.handle), texture.textureSurface);
        }
    }
}

TEST_F(D3DTextureTest, PixelsBecomeTheFormatsColoursWithTheKey) {
    Adapter().SetTextureFormats({{platform::kLayoutRgb565}});
    Image image(16, 16, colours_.get(), true);
    image.pixels[1] = 255;
    D3DTexture texture(&image.picture, nullptr);
    ASSERT_EQ(texture.status, 0);
    const auto* row = reinterpret_cast<const uint16_t*>(texture.textureSurface->Memory());
    const uint32_t c = colours_->GetColor(image.pixels[0]);
    EXPECT_EQ(row[0], PixelImage::Pack565(uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)));
    EXPECT_EQ(row[1], 0xF81Fu);
    EXPECT_TRUE(texture.textureSurface->HasColorKey());
    EXPECT_EQ(texture.textureSurface->ColorKeyLow(), 0xF81Fu);
    // Freeing the image deletes its textures.
    EXPECT_EQ(image.picture.copies, &texture);
    image.picture.copies = nullptr;
}

TEST_F(D3DTextureTest, FullTextureMemoryTakesTheOldestSurfaceOfTheSize) {
    LeaveRoom(2 * 64 * 64);
    Image a(64, 64, colours_.get()), b(64, 64, colours_.get()), c(64, 64, colours_.get());
    auto* const ta = new D3DTexture(&a.picture, nullptr);
    auto* const tb = new D3DTexture(&b.picture, nullptr);
    ASSERT_EQ(ta->status, 0);
    ASSERT_EQ(tb->status, 0);
    auto* const tc = new D3DTexture(&c.picture, nullptr);
    ASSERT_EQ(tc->status, 0);
    EXPECT_EQ(ta->textureSurface, nullptr);   // the oldest went
    EXPECT_FALSE(Resident(*ta));
    EXPECT_NE(ta->dirtyFlags & Texture::kDirtyPixels, 0u);
    EXPECT_TRUE(Resident(*tb) && Resident(*tc));

    // Drawn again, it takes the oldest resident one's surface back.
    EXPECT_EQ(ta->Upload(), 0);
    EXPECT_TRUE(Resident(*ta));
    EXPECT_FALSE(Resident(*tb));
    EXPECT_EQ(ta->textureSurface->Memory()[1], a.pixels[1]);

    // A smaller size takes a larger surface; a larger one finds none.
    Image small(32, 32, colours_.get()), large(128, 128, colours_.get());
    auto* const ts = new D3DTexture(&small.picture, nullptr);
    EXPECT_EQ(ts->status, 0);
    auto* const tl = new D3DTexture(&large.picture, nullptr);
    EXPECT_EQ(tl->status, kDisplayCallFailed);
}

TEST_F(D3DTextureTest, AMissingSizeTakesTheLeastTallerSurfaceOfItsWidth) {
    LeaveRoom(32 * 128 + 32 * 64);
    Image tall(32, 128, colours_.get()), taller(32, 64, colours_.get()), small(32, 32, colours_.get());
    auto* const tTall = new D3DTexture(&tall.picture, nullptr);
    auto* const tLess = new D3DTexture(&taller.picture, nullptr);
    ASSERT_EQ(tTall->status, 0);
    ASSERT_EQ(tLess->status, 0);
    auto* const tSmall = new D3DTexture(&small.picture, nullptr);
    EXPECT_EQ(tSmall->status, 0);
    // Not the oldest, but the one nearest in height.
    EXPECT_TRUE(Resident(*tTall));
    EXPECT_FALSE(Resident(*tLess));
    EXPECT_EQ(tLess->textureSurface, nullptr);
}

TEST_F(D3DTextureTest, ClosingTheDriverDropsTheSurfacesAndTheNextDrawRemakesThem) {
    Image image(32, 32, colours_.get());
    auto* const texture = new D3DTexture(&image.picture, nullptr);
    ASSERT_EQ(texture->status, 0);
    driver_.reset();
    EXPECT_EQ(texture->textureSurface, nullptr);
    EXPECT_EQ(texture->handle, 0u);
    EXPECT_TRUE(display_.IsEmpty());
    driver_.reset(new D3DHalDriver(nullptr, "vorn3d"));
    ASSERT_EQ(driver_->SetMode(640, 480, 16, palette565_.get(), D3DHalDriver::kGameModeFlags), kDisplayOk);
    EXPECT_EQ(texture->Upload(), 0);
    EXPECT_NE(texture->textureSurface, nullptr);
    EXPECT_NE(texture->handle, 0u);
}

// A texture whose image is painted anew shows the new pixels once it is
// uploaded again, through the system copy into the device's surface.
TEST_F(D3DTextureTest, RepaintedPixelsReachTheDeviceAtTheNextUpload) {
    Adapter().SetTextureFormats({{platform::kLayoutIndexed8}});
    Image image(16, 16, colours_.get());
    auto* const texture = new D3DTexture(&image.picture, nullptr);
    ASSERT_EQ(texture->status, 0);
    ASSERT_NE(texture->systemSurface, texture->textureSurface);
    image.pixels[5] = 77;
    texture->dirtyFlags |= Texture::kDirtyPixels;
    ASSERT_EQ(texture->Upload(), 0);
    EXPECT_EQ(texture->textureSurface->Memory()[5], 77);
    EXPECT_EQ(texture->dirtyFlags & Texture::kDirtyPixels, 0u);

    // A device surface lost and not restored cannot take them.
    image.pixels[5] = 78;
    texture->dirtyFlags |= Texture::kDirtyPixels;
    texture->textureSurface->Lose();
    Adapter().InjectFault(platform::DisplayCall::kRestore, platform::kDeviceFailed);
    EXPECT_EQ(texture->Upload(), kDisplayCallFailed);
    texture->dirtyFlags |= Texture::kDirtyPixels;
    ASSERT_EQ(texture->Upload(), 0) << "restored at the next try";
    EXPECT_EQ(texture->textureSurface->Memory()[5], 78);
}

// Rows of a surface whose pitch is wider than the image land a pitch apart.
TEST_F(D3DTextureTest, PaddedRowsAreCopiedAPitchApart) {
    Adapter().SetTextureFormats({{platform::kLayoutIndexed8}});
    Adapter().SetPitchPadding(16);
    Image image(16, 16, colours_.get());
    image.pixels[16] = 99;   // the first texel of the second row
    D3DTexture texture(&image.picture, nullptr);
    ASSERT_EQ(texture.status, 0);
    const int32_t pitch = texture.textureSurface->Pitch();
    ASSERT_EQ(pitch, 32);
    EXPECT_EQ(texture.textureSurface->Memory()[pitch], 99);
    image.picture.copies = nullptr;
}

// Without the hardware colour model textures are drawn from system memory:
// one surface, nothing to load.
TEST_F(D3DTextureTest, WithoutTheHardwareColourModelOneSystemSurfaceServes) {
    Adapter().SetTextureFormats({{platform::kLayoutRgb565}});
    driver_->hardwareColorModel = false;
    Image image(16, 16, colours_.get());
    D3DTexture texture(&image.picture, nullptr);
    ASSERT_EQ(texture.status, 0);
    EXPECT_EQ(texture.systemSurface, texture.textureSurface);
    EXPECT_NE(texture.textureSurface->Caps() & platform::kCapsSystemMemory, 0u);
    const uint32_t c = colours_->GetColor(image.pixels[3]);
    EXPECT_EQ(reinterpret_cast<const uint16_t*>(texture.textureSurface->Memory())[3],
              PixelImage::Pack565(uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)));
    image.picture.copies = nullptr;
}

// Each step of making a texture that the device refuses gives 8 and leaves
// no surface behind; so does a format the copy cannot write.
TEST_F(D3DTextureTest, ARefusedStepLeavesNoTextureBehind) {
    using platform::DisplayCall;
    Adapter().SetTextureFormats({{platform::kLayoutRgb565}});
    const int32_t surfacesBefore = Adapter().LiveSurfaces();
    struct Case {
        const char* what;
        DisplayCall call;
        int32_t skip;
    } const cases[] = {
        {"the system copy", DisplayCall::kCreateSurface, 1},
        {"the handle", DisplayCall::kGetTextureHandle, 0},
    };
    for (const Case& c : cases) {
        Adapter().InjectFault(c.call, platform::kDeviceFailed, 1, c.skip);
        Image image(16, 16, colours_.get());
        {
            D3DTexture texture(&image.picture, nullptr);
            EXPECT_EQ(texture.status, kDisplayCallFailed) << c.what;
            EXPECT_EQ(image.picture.copies, nullptr) << c.what;
        }
        EXPECT_EQ(Adapter().LiveSurfaces(), surfacesBefore) << c.what;
        Adapter().ClearFaults();
    }
    Adapter().SetTextureFormats({{platform::PixelLayout{16, 0x0F00, 0x00F0, 0x000F}}});
    Image image(16, 16, colours_.get());
    {
        D3DTexture texture(&image.picture, nullptr);
        EXPECT_EQ(texture.status, kDisplayCallFailed);
        EXPECT_EQ(texture.systemSurface, nullptr);
    }
    EXPECT_EQ(Adapter().LiveSurfaces(), surfacesBefore);
}

TEST(D3DTextureRefusals, NoDriverGives9AndAnImageNotOf8BitsGives6) {
    const ScopedEngineHeap heap{4 * 1024 * 1024};
    ScopedColorTables tables;
    std::vector<uint8_t> pixels(32 * 16 * 2);
    PixelImage picture;
    picture.width = 16;
    picture.height = 16;
    picture.pixels = pixels.data();
    picture.flags = PixelImage::kFormat8Bit;
    EXPECT_EQ(D3DTexture(&picture, nullptr).status, kDisplayNotOpened);
    ScopedDisplay display;
    std::unique_ptr<D3DHalDriver> driver(new D3DHalDriver(nullptr, "vorn3d"));
    picture.flags = 0x20;   // 5-6-5 pixels
    EXPECT_EQ(D3DTexture(&picture, nullptr).status, D3DTexture::kUnsupportedImage);
    EXPECT_EQ(display.Adapter().LiveSurfaces(), 0);
}

}  // namespace
