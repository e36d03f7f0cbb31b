#include "canvas/D3DCanvas.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
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
    ViewVertex ends[3];
    for (int i = 0; i < 3; ++i) {
        ends[i].screenX = int32_t(tri[i].x);
        ends[i].screenY = int32_t(tri[i].y);
        ends[i].colour = 3;
        ends[i].intensity = 200;
    }
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
        {"shaded line of view vertices", [&] { canvas_->DrawLineShadedInt(&ends[0], &ends[1]); }, 0, 0x0B},
        {"direct colours of view vertices", [&] { canvas_->FillPolygonRgbInt(3, ends); }, 0, 0x0B},
        {"textured shaded", [&] { canvas_->FillPolygonTexturedShaded(3, tri, &plain.picture); }, 0, 0x0B},
        {"shaded alpha", [&] { canvas_->FillPolygonShadedAlpha(3, tri, 90); }, 0, 0x2B},
        {"textured persp alpha", [&] { canvas_->FillPolygonTexturedPerspAlpha(3, tri, &plain.picture, 90); }, 0,
         0x2E},
        {"textured shaded alpha", [&] { canvas_->FillPolygonTexturedShadedAlpha(3, tri, &plain.picture, 90); }, 0,
         0x2B},
        {"textured shaded persp alpha",
         [&] { canvas_->FillPolygonTexturedShadedPerspAlpha(3, tri, &plain.picture, 90); }, 0, 0x2F},
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

// The canvas's switches as the game throws them: the filtering switch turns
// the device's filtering on for textures and off again; the depth switch
// lets what is drawn later show over what is nearer; the software-alpha
// switch, which only the software canvases heed, leaves blending to the
// device.
TEST_F(D3DCanvasTest, SwitchesChangeWhatTheDeviceIsAskedToDo) {
    Image image(colours_.get());
    const ScreenVertex tri[3] = {P(10, 10), P(50, 10), P(10, 50)};
    canvas_->SetFlag80000();
    ASSERT_EQ(canvas_->FillPolygonTexturedShadedPersp(3, tri, &image.picture), kStatusOk);
    EXPECT_EQ(D3DHalDriver::CachedRenderFlags(), 0x4F);
    canvas_->ClearFlag80000();
    ASSERT_EQ(canvas_->FillPolygonTexturedShadedPersp(3, tri, &image.picture), kStatusOk);
    EXPECT_EQ(D3DHalDriver::CachedRenderFlags(), 0x0F);

    canvas_->SetFlag40000();
    ASSERT_EQ(canvas_->FillPolygonFlatAlpha(3, tri, 90), kStatusOk);
    EXPECT_EQ(D3DHalDriver::CachedRenderFlags(), 0x2A);
    EXPECT_EQ(Drawn()[0].color >> 24, 90u) << "the device blends";
    canvas_->ClearFlag40000();
    ASSERT_EQ(canvas_->FillPolygonFlatAlpha(3, tri, 90), kStatusOk);
    EXPECT_EQ(D3DHalDriver::CachedRenderFlags(), 0x2A);

    // A near red square, then a far blue one over it.
    canvas_->Clear(0, 0xFFFFFFFF);
    ScreenVertex quad[4] = {P(100, 100), P(200, 100), P(200, 200), P(100, 200)};
    for (ScreenVertex& v : quad) v.colour = 0x10FF0000, v.depth = 0.2f;
    canvas_->FillPolygonRgb(4, quad);
    ASSERT_EQ(At(150, 150), 0xF800);
    for (ScreenVertex& v : quad) v.colour = 0x100000FF, v.depth = 0.9f;
    canvas_->DisableDepthTest();
    EXPECT_EQ(driver_->device->State(platform::RenderState::kZEnable), 0u);
    EXPECT_EQ(driver_->device->State(platform::RenderState::kZWriteEnable), 0u);
    canvas_->FillPolygonRgb(4, quad);
    EXPECT_EQ(At(150, 150), 0x001F) << "drawn over, depth unread";
    canvas_->EnableDepthTest();
    EXPECT_EQ(driver_->device->State(platform::RenderState::kZEnable), 1u);
    for (ScreenVertex& v : quad) v.colour = 0x1000FF00, v.depth = 0.95f;
    canvas_->FillPolygonRgb(4, quad);
    EXPECT_EQ(At(150, 150), 0x001F) << "behind the red the depth buffer still holds";
}

// Rectangle fills go by blits, whatever the colour word: a palette index,
// a raw 5-6-5 or 5-5-5 word, or red-green-blue bytes; a canvas locked
// before the fill is locked again after it.
TEST_F(D3DCanvasTest, FillsDecodeEveryColourWordAndKeepALockedSurfaceLocked) {
    const CanvasRect a{0, 0, 4, 4}, b{4, 0, 4, 4}, c{8, 0, 4, 4}, d{12, 0, 4, 4};
    EXPECT_EQ(canvas_->FillRect(&a, 200), kStatusOk);
    EXPECT_EQ(At(3, 3), Canvas::Pack565(200, 55, 100)) << "palette colour 200";
    EXPECT_EQ(canvas_->FillRect(&b, 0x40000000u | 0x07E0), kStatusOk);
    EXPECT_EQ(At(5, 1), 0x07E0);
    EXPECT_EQ(canvas_->FillRect(&c, 0x20000000u | 0x7C00), kStatusOk);
    EXPECT_EQ(At(9, 1), 0xF800) << "5-5-5 red is 5-6-5 red";
    const uint8_t blue[3] = {0, 0, 255};
    EXPECT_EQ(canvas_->FillRectRgb(&d, blue), kStatusOk);
    EXPECT_EQ(At(13, 1), 0x001F);
    EXPECT_EQ(canvas_->FillRectRgb(&d, nullptr), kStatusOk);
    EXPECT_EQ(At(13, 1), 0x0000);
    EXPECT_EQ(At(16, 1), At(100, 100)) << "nothing past the rectangle";
    EXPECT_EQ(canvas_->FillRectRgb(nullptr, blue), kStatusPlatformFailed);

    ASSERT_EQ(canvas_->LockSurface(), 0);
    EXPECT_EQ(canvas_->LockSurface(), 1) << "locked already";
    EXPECT_EQ(canvas_->FillRect(&a, 0x40000000u | 0x1234), kStatusOk);
    EXPECT_EQ(driver_->frameSurfaces->lockWord, 1u);
    EXPECT_EQ(canvas_->locked, 1);
    EXPECT_NE(canvas_->pixels, nullptr);
    EXPECT_EQ(canvas_->UnlockSurface(), 1);
    EXPECT_EQ(At(0, 0), 0x1234);
}

// A copy of the screen, as the quit screen takes for its background, in
// 8-bit red, green and blue.
TEST_F(D3DCanvasTest, CopyToImageReadsTheSurfaceAndGivesItBack) {
    const CanvasRect r{10, 20, 2, 2};
    ASSERT_EQ(canvas_->FillRect(&r, 0x40000000u | 0xF800), kStatusOk);
    Bitmap copy;
    ASSERT_EQ(canvas_->CopyToImage(&copy), kStatusOk);
    ASSERT_EQ(copy.width, 640);
    ASSERT_EQ(copy.height, 480);
    const uint8_t* red = copy.pixels + size_t(20) * copy.RowBytes() + 10 * 3;
    EXPECT_EQ(red[0], 0xF8);
    EXPECT_EQ(red[1], 0);
    EXPECT_EQ(red[2], 0);
    EXPECT_EQ(red[-1], 0) << "the pixel left of it is black";
    EXPECT_EQ(driver_->frameSurfaces->lockWord, 0u);
    // Under a lock of the caller's it stays locked.
    ASSERT_EQ(canvas_->LockSurface(), 0);
    Bitmap again;
    EXPECT_EQ(canvas_->CopyToImage(&again), kStatusOk);
    EXPECT_EQ(driver_->frameSurfaces->lockWord, 1u);
    canvas_->UnlockSurface();
}

// A lost surface is restored and the work goes on; one that cannot be
// restored fails the lock and leaves the shared lock word free.
TEST_F(D3DCanvasTest, LostSurfacesAreRestoredOrTheLockGivesUp) {
    auto& adapter = display_.Adapter();
    adapter.InjectFault(platform::DisplayCall::kBlit, platform::kDeviceSurfaceLost);
    const CanvasRect r{0, 0, 8, 8};
    EXPECT_EQ(canvas_->Clear(0x40000000u | 0x001F, 0xFFFFFFFF), kStatusOk);
    EXPECT_EQ(At(300, 300), 0x001F) << "the clear tried again after the restore";
    adapter.ResetCallCounts();
    adapter.InjectFault(platform::DisplayCall::kBlit, platform::kDeviceSurfaceLost);
    EXPECT_EQ(canvas_->FillRect(&r, 0x40000000u | 0xF800), kStatusOk);
    EXPECT_EQ(adapter.CallCount(platform::DisplayCall::kRestore), 1);
    EXPECT_NE(At(0, 0), 0xF800) << "a rectangle fill is tried once";

    adapter.InjectFault(platform::DisplayCall::kLock, platform::kDeviceSurfaceLost);
    adapter.InjectFault(platform::DisplayCall::kRestore, platform::kDeviceFailed);
    Bitmap copy;
    EXPECT_EQ(canvas_->CopyToImage(&copy), kStatusPlatformFailed);
    EXPECT_EQ(driver_->frameSurfaces->lockWord, 0u);
    EXPECT_EQ(canvas_->CopyToImage(&copy), kStatusOk) << "the next lock succeeds";

    // A canvas whose surface never locks is not set up.
    adapter.InjectFault(platform::DisplayCall::kLock, platform::kDeviceFailed, D3DCanvas::kLockAttempts);
    const CanvasRect rect{0, 0, 640, 480};
    D3DCanvas unusable(&rect, palette_.get(), Canvas::kFlagHasDepth, driver_.get());
    EXPECT_EQ(unusable.setupResult, kStatusPlatformFailed);
    EXPECT_EQ(driver_->frameSurfaces->lockWord, 0u);
}

// 8-bit images are drawn in the palette's colours, the key index skipped in
// key mode; one-bit images take raw words of the canvas's own packing, and
// refuse a direct colour.
TEST_F(D3DCanvasTest, IndexedAndOneBitImagesAreDrawnInTheCanvasColours) {
    canvas_->Clear(0x40000000u, 0xFFFFFFFF);   // a raw black word: index 0 is green
    uint8_t indices[4] = {200, 255, 7, 200};
    PixelImage image;
    image.width = 4;
    image.height = 1;
    image.pixels = indices;
    image.flags = PixelImage::kFormat8Bit;
    const CanvasRect at{20, 30, 4, 1};
    ASSERT_EQ(canvas_->BlitImage(&at, &image, 0x80000000u), kStatusOk);
    EXPECT_EQ(At(20, 30), Canvas::Pack565(200, 55, 100));
    EXPECT_EQ(At(21, 30), 0) << "the key";
    EXPECT_EQ(At(22, 30), Canvas::Pack565(7, 248, 3));
    ASSERT_EQ(canvas_->BlitImage(&at, &image, 0), kStatusOk);
    EXPECT_EQ(At(21, 30), Canvas::Pack565(255, 0, 127)) << "no key mode: drawn";

    uint8_t bits[1] = {0xA0};
    PixelImage mono;
    mono.width = 4;
    mono.height = 1;
    mono.pixels = bits;
    mono.flags = PixelImage::kFormat1Bit;
    const CanvasRect row{40, 30, 4, 1};
    ASSERT_EQ(canvas_->DrawMonoImage(&row, &mono, 0x40000000u | 0x07E0, 0xFF000000u), kStatusOk);
    EXPECT_EQ(At(40, 30), 0x07E0);
    EXPECT_EQ(At(41, 30), 0) << "transparent background";
    EXPECT_EQ(At(42, 30), 0x07E0);
    EXPECT_EQ(canvas_->DrawMonoImage(&row, &mono, 0x10FF0000u, 0xFF000000u), kStatusPlatformFailed);
    EXPECT_EQ(canvas_->DrawMonoImage(&row, &mono, 0x20000000u | 0x7C00, 0xFF000000u), kStatusPlatformFailed)
        << "a 5-5-5 word on a 5-6-5 canvas";
    // The depth-buffer mask has no place on the device's canvas.
    MonoMaskRecord mask;
    mask.image.width = 4;
    mask.image.height = 1;
    mask.image.pixels = bits;
    mask.image.flags = PixelImage::kFormat1Bit;
    EXPECT_EQ(canvas_->DrawMonoImageRaw(&row, &mask, 1, 2), kStatusNothingToDo);
    EXPECT_EQ(driver_->frameSurfaces->lockWord, 0u);
}

}  // namespace
