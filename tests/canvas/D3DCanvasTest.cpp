#include "canvas/D3DCanvas.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/ColorTables.h"
#include "display/D3DHalDriver.h"
#include "display/D3DTexture.h"
#include "display/KeyedSprite.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/PixelImage.h"
#include "platform/DisplayAdapter.h"
#include "platform/Surface.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/ScopedColorTables.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

// The game's canvas: 640 x 480 over the 3D driver's surface, depth buffer on.
class D3DCanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        D3DHalDriver::ResetRenderStateCache();
        driver_.reset(new D3DHalDriver(nullptr, "vorn3d"));
        ASSERT_EQ(driver_->SetMode(640, 480, 16, palette_.get(), D3DHalDriver::kGameModeFlags), kDisplayOk);
        const CanvasRect rect{0, 0, 640, 480};
        canvas_ = std::make_unique<D3DCanvas>(&rect, palette_.get(), Canvas::kFlagHasDepth, driver_.get());
        ASSERT_EQ(canvas_->setupResult, 0);
    }
    void TearDown() override {
        canvas_.reset();
        driver_.reset();
    }
    const std::vector<platform::TlVertex>& Drawn() const { return driver_->device->LastVertices(); }
    uint16_t At(int32_t x, int32_t y) const {
        const platform::Surface& s = *driver_->drawingSurface;
        return reinterpret_cast<const uint16_t*>(s.Memory() + size_t(y) * size_t(s.Pitch()))[x];
    }
    static ScreenVertex P(float x, float y, float z = 0.5f, float intensity = 200.0f) {
        ScreenVertex v;
        v.x = x, v.y = y, v.depth = z, v.colour = 3, v.intensity = intensity, v.u = 0.5f, v.v = 0.5f, v.invZ = 1.0f;
        return v;
    }

    const ScopedEngineHeap heap_{16 * 1024 * 1024};
    ScopedColorTables tables_;
    ScopedDisplay display_;
    std::unique_ptr<Palette> palette_ = MakeDistinctPalette(kPixelFormatRgb565);
    std::unique_ptr<Palette> colours_ = MakeDistinctPalette(kPixelFormatIndexed8);
    std::unique_ptr<D3DHalDriver> driver_;
    std::unique_ptr<D3DCanvas> canvas_;
};

// An 8-bit image for textures.
struct Image {
    explicit Image(Palette* colours, uint32_t format = PixelImage::kFormat8Bit, bool keyed = false)
        : pixels(16 * 16 * 2, 1) {
        picture.width = 16;
        picture.height = 16;
        picture.pixels = pixels.data();
        picture.flags = format | (keyed ? PixelImage::kFlagKeyed : 0);
        picture.palette = colours;
    }
    ~Image() { picture.ReleaseCopies(); }
    std::vector<uint8_t> pixels;
    PixelImage picture;
};

TEST_F(D3DCanvasTest, EachOperationSendsItsRenderFlags) {
    Image plain(colours_.get()), keyed(colours_.get(), PixelImage::kFormat8Bit, true);
    const ScreenVertex tri[3] = {P(10, 10), P(50, 10), P(10, 50)};
    struct Case {
        const char* what;
        std::function<void()> draw;
        uint32_t canvasFlagsOn;
        int64_t flags;
    } const cases[] = {
        {"flat", [&] { canvas_->FillPolygonFlat(3, tri); }, 0, 0x0A},
        {"shaded", [&] { canvas_->FillPolygonShaded(3, tri); }, 0, 0x0B},
        {"flat alpha", [&] { canvas_->FillPolygonFlatAlpha(3, tri, 90); }, 0, 0x2A},
        {"textured persp", [&] { canvas_->FillPolygonTexturedPersp(3, tri, &plain.picture); }, 0, 0x0E},
        {"filtered", [&] { canvas_->FillPolygonTexturedShadedPersp(3, tri, &plain.picture); }, Canvas::kFlagFiltering,
         0x4F},
        {"keyed in 2D drawing", [&] { canvas_->FillPolygonTextured(3, tri, &keyed.picture); }, Canvas::kFlagFiltering,
         0x1A},
        {"keyed in 3D drawing", [&] { canvas_->FillPolygonTexturedAlpha(3, tri, &keyed.picture, 7); },
         Canvas::kFlagFiltering, 0x7A},
        {"line", [&] { canvas_->DrawLine(&tri[0], &tri[1], nullptr); }, 0, 0x0A},
        {"shaded line", [&] { canvas_->DrawLineShaded(&tri[0], &tri[1]); }, 0, 0x0B},
    };
    for (const Case& c : cases) {
        canvas_->flags &= ~Canvas::kFlagFiltering;
        canvas_->flags |= c.canvasFlagsOn;
        if (std::string(c.what) == "keyed in 3D drawing") canvas_->flags &= ~Canvas::kFlag2dDrawing;
        c.draw();
        EXPECT_EQ(D3DHalDriver::CachedRenderFlags(), c.flags) << c.what;
    }
    // One texture per image, reused.
    int textures = 0;
    for (Texture* t = plain.picture.copies; t != nullptr; t = t->nextOfImage) ++textures;
    EXPECT_EQ(textures, 1);
}

TEST_F(D3DCanvasTest, FogTablesAndTheFogByteOfAVertex) {
    FogParams fog;
    fog.start = 0.0f;
    fog.end = 1.0f;
    canvas_->SetFog(&fog);
    EXPECT_EQ(canvas_->fogTable[0], 255);
    EXPECT_EQ(canvas_->fogTable[255], 127);
    fog.start = 0.5f;
    fog.end = 0.5f;
    canvas_->SetFog(&fog);
    for (int i = 0; i <= 128; ++i) ASSERT_EQ(canvas_->fogTable[i], 255) << i;
    EXPECT_EQ(canvas_->fogTable[255], 128);
    fog.start = -3.0f;   // taken at the end of the range
    fog.end = 7.0f;
    canvas_->SetFog(&fog);
    EXPECT_EQ(canvas_->fogTable[0], 255);

    fog.start = 0.0f;
    fog.end = 1.0f;
    canvas_->SetFog(&fog);
    canvas_->EnableFog();
    const ScreenVertex tri[3] = {P(10, 10, 0.5f), P(50, 10, 0.5f), P(10, 50, 0.5f)};
    canvas_->FillPolygonFlat(3, tri);
    ASSERT_EQ(Drawn().size(), 3u);
    EXPECT_EQ(Drawn()[0].specular >> 24, canvas_->fogTable[127]);
    EXPECT_EQ(driver_->device->State(platform::RenderState::kFogEnable), 1u);
    canvas_->DisableFog();
    canvas_->FillPolygonFlat(3, tri);
    EXPECT_EQ(Drawn()[0].specular >> 24, 255u);
    // More than 12 vertices draw nothing.
    std::vector<ScreenVertex> many(13, P(1, 1));
    canvas_->FillPolygonFlat(3, tri);
    const size_t before = display_.Adapter().RenderLog().size();
    canvas_->FillPolygonFlat(13, many.data());
    EXPECT_EQ(display_.Adapter().RenderLog().size(), before);
}

TEST_F(D3DCanvasTest, PixelsLinesAndImagesStayOnTheCanvas) {
    // The last column's pixel is a line to the column on its left.
    ViewVertex v;
    v.screenX = 639;
    v.screenY = 5;
    canvas_->PlotPixelInt(&v, nullptr);
    ASSERT_EQ(Drawn().size(), 2u);
    EXPECT_EQ(Drawn()[1].x, 638.0f);
    // A line cut at x = 0; one wholly at x = 639 is not drawn.
    ViewVertex a, b;
    a.screenX = -10, a.screenY = 5, b.screenX = 10, b.screenY = 5;
    canvas_->DrawLineClippedInt(&a, &b, nullptr, nullptr);
    EXPECT_EQ(Drawn()[0].x, 0.0f);
    const size_t before = display_.Adapter().RenderLog().size();
    a.screenX = b.screenX = 639;
    b.screenY = 50;
    canvas_->DrawLineClippedInt(&a, &b, nullptr, nullptr);
    EXPECT_EQ(display_.Adapter().RenderLog().size(), before);

    // An image at x = -10 shows its columns 10 on; at the right and bottom
    // edges it is cut there.
    std::vector<uint16_t> pixels(20 * 4);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = uint16_t(0x1000 + i % 20);
    PixelImage image;
    image.width = 20;
    image.height = 4;
    image.pixels = reinterpret_cast<uint8_t*>(pixels.data());
    image.flags = PixelImage::kFormat565;
    const CanvasRect left{-10, 0, 20, 4};
    EXPECT_EQ(canvas_->BlitImage(&left, &image, 0), 0);
    EXPECT_EQ(At(0, 0), 0x1000 + 10);
    EXPECT_EQ(At(9, 3), 0x1000 + 19);
    const CanvasRect corner{630, 478, 20, 4};
    EXPECT_EQ(canvas_->BlitImage(&corner, &image, 0), 0);
    EXPECT_EQ(At(639, 479), 0x1000 + 9);
    // A 15-bit image on a 5-6-5 canvas is refused.
    image.flags = PixelImage::kFormat555;
    EXPECT_EQ(canvas_->BlitImage(&left, &image, 0), 6);
    // A run-encoded picture is drawn whole or not at all.
    image.flags = PixelImage::kFormat565;
    pixels[1] = 0xF81F;   // the key: skipped
    KeyedSprite sprite(&image);
    const CanvasRect outside{-1, 100, 20, 4};
    EXPECT_EQ(canvas_->BlitImage(&outside, reinterpret_cast<PixelImage*>(&sprite), 0), 6);
    const CanvasRect inside{300, 100, 20, 4};
    EXPECT_EQ(canvas_->BlitImage(&inside, reinterpret_cast<PixelImage*>(&sprite), 0), 0);
    EXPECT_EQ(At(300, 100), 0x1000);
    EXPECT_NE(At(301, 100), 0xF81F);
    EXPECT_EQ(At(319, 103), 0x1000 + 19);
    // The surface is never left locked.
    EXPECT_EQ(driver_->frameSurfaces->lockWord, 0u);
}

TEST_F(D3DCanvasTest, TextureBindingRefusesWhatItCannotDraw) {
    const ScreenVertex tri[3] = {P(10, 10), P(50, 10), P(10, 50)};
    Image wide(colours_.get(), PixelImage::kFormat565);
    EXPECT_EQ(canvas_->FillPolygonTextured(3, tri, &wide.picture), 6);
    EXPECT_EQ(wide.picture.copies, nullptr);
    Image image(colours_.get());
    ASSERT_EQ(canvas_->FillPolygonTextured(3, tri, &image.picture), 0);
    auto* const texture = static_cast<D3DTexture*>(image.picture.copies);
    texture->dirtyFlags |= Texture::kDirtyPixels;
    display_.Adapter().InjectFault(platform::DisplayCall::kLock, platform::kDeviceFailed, D3DTexture::kLockAttempts);
    EXPECT_EQ(canvas_->FillPolygonTextured(3, tri, &image.picture), kStatusPlatformFailed);
}

TEST_F(D3DCanvasTest, TheCanvasDrawsRealPixelsThroughTheDevice) {
    canvas_->Clear(0, 0xFFFFFFFF);
    const uint16_t background = At(50, 50);
    ScreenVertex quad[4] = {P(100, 100), P(200, 100), P(200, 200), P(100, 200)};
    for (ScreenVertex& v : quad) v.colour = 0x10FF0000;   // direct red
    canvas_->FillPolygonRgb(4, quad);
    EXPECT_EQ(At(150, 150), 0xF800);
    EXPECT_EQ(At(50, 50), background);
    EXPECT_EQ(At(150, 150 + 60), background);
    // Behind what is there, a farther polygon does not show.
    for (ScreenVertex& v : quad) {
        v.depth = 0.9f;
        v.colour = 0x100000FF;
    }
    canvas_->FillPolygonRgb(4, quad);
    EXPECT_EQ(At(150, 150), 0xF800);
    // Cleared, the depth buffer lets it through.
    canvas_->Clear(0, 0xFFFFFFFF);
    canvas_->FillPolygonRgb(4, quad);
    EXPECT_EQ(At(150, 150), 0x001F);
}

}  // namespace
