#include "scene/DerivedCamera.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/Bitmap.h"
#include "display/PixelImage.h"
#include "engine/ByteOrder.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

class DerivedCameraTest : public ::testing::Test {
protected:
    const ScopedEngineHeap heap_{4 * 1024 * 1024};
    std::unique_ptr<Palette> palette_ = MakeDistinctPalette(kPixelFormatIndexed8);
    RecordingCanvas canvas_{100, 80, palette_.get(), Canvas::kFlagSetUp | Canvas::kFlagHasDepth};
};

TEST_F(DerivedCameraTest, TheSkyFollowsPitchAndBank) {
    DerivedCamera camera;
    struct Case {
        const char* what;
        Vector3 up, forward;
        int32_t levels[4];
    } const cases[] = {
        {"level flight", {0, 1, 0}, {0, 0, 1}, {0, 0, 250, 250}},
        {"banked 90 degrees right", {1, 0, 0}, {0, 0, 1}, {0, 250, 250, 0}},
        {"nose down", {0, 0, 1}, {0, -1, 0}, {250, 250, 250, 250}},
        {"climbing 30 degrees", {0, 0.866f, -0.5f}, {0, 0.5f, 0.866f}, {0, 0, 127, 127}},
        {"banked 90 degrees left", {-1, 0, 0}, {0, 0, 1}, {250, 0, 0, 250}},
        {"banked 30 degrees left", {-0.5f, 0.866f, 0}, {0, 0, 1}, {33, 0, 216, 250}},
        {"rolled past upside down to the left", {-0.5f, -0.866f, 0}, {0, 0, 1}, {250, 216, 0, 33}},
    };
    for (const Case& c : cases) {
        camera.up = c.up;
        camera.transform.forward = c.forward;
        int32_t levels[4];
        camera.SkyLevels(levels);
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(levels[i], c.levels[i], 1) << c.what << " corner " << i;
    }
}

TEST_F(DerivedCameraTest, ACoveringBackdropSkipsTheColourClear) {
    DerivedCamera camera(&canvas_);
    std::vector<uint8_t> pixels(200 * 100, 3);
    auto* const large = new PixelImage(PixelImage::kFormat8Bit);
    large->width = 200;
    large->height = 100;
    large->pixels = pixels.data();
    ASSERT_EQ(camera.SetBackdrop(large, false), 0);
    ASSERT_EQ(camera.BeginFrame(), 0u);
    EXPECT_NE(canvas_.flags & 0x10, 0u);
    EXPECT_EQ(canvas_.CallsOf("BlitImage").size(), 1u);
    camera.EndFrame();
    camera.backdropX = 150;   // no longer reaches the right edge
    ASSERT_EQ(camera.BeginFrame(), 0u);
    EXPECT_EQ(canvas_.flags & 0x10, 0u);
    camera.EndFrame();
    camera.SetBackdrop(nullptr, false);
    delete large;
}

TEST_F(DerivedCameraTest, RampRowsRunThroughTheMiddleColour) {
    DerivedCamera camera(&canvas_);
    const uint32_t black = 0x000000, white = 0xFFFFFF;
    ASSERT_EQ(camera.BuildColorRamp(8, 4, 0.5f, black, white), 0);
    ASSERT_NE(camera.colourRamp, nullptr);
    EXPECT_EQ(camera.colourRamp->shift, 3u);
    const auto* row = static_cast<const uint8_t*>(camera.colourRamp->rows);
    EXPECT_EQ(row[0], palette_->MatchColor(black));
    EXPECT_EQ(row[4], palette_->MatchColor(0x7F7F7F));   // half way, reached at the split
    EXPECT_EQ(row[2], palette_->MatchColor(0x3F3F3F));
    const auto* last = row + 255 * 8;
    for (int i = 0; i < 8; ++i) EXPECT_EQ(last[i], row[i]);   // every row alike
    // A count that is no power of two fills the row it has; a split past it is cut.
    ASSERT_EQ(camera.BuildColorRamp(5, 9, 0.5f, black, white), 0);
    EXPECT_EQ(camera.colourRamp->shift, 2u);
    // A copy shares the ramp without freeing it.
    {
        DerivedCamera copy(camera);
        EXPECT_EQ(copy.colourRamp, camera.colourRamp);
    }
    EXPECT_EQ(static_cast<const uint8_t*>(camera.colourRamp->rows)[0], palette_->MatchColor(black));
    DerivedCamera lonely;
    EXPECT_EQ(lonely.BuildColorRamp(8, 4, 0.5f, black, white), DerivedCamera::kStatusNoCanvas);
    lonely.EndFrame();   // no canvas: nothing
}

TEST_F(DerivedCameraTest, TheSkyGradientFillsThroughTheRamp) {
    DerivedCamera camera(&canvas_);
    ASSERT_EQ(camera.BuildColorRamp(32, 16, 0.5f, 0x000000, 0xFFFFFF), 0);
    camera.up = {0, 1, 0};
    camera.transform.forward = {0, 0, 1};
    ShadeTable* const own = palette_->Shades();
    ASSERT_EQ(camera.BeginFrame(), 0u);
    const std::vector<CanvasCall> fills = canvas_.CallsOf("FillPolygonShadedInt");
    ASSERT_EQ(fills.size(), 1u);
    ASSERT_EQ(fills[0].view.size(), 4u);
    EXPECT_EQ(fills[0].view[2].intensity, 250);
    EXPECT_EQ(fills[0].view[2].screenX, 99);
    EXPECT_EQ(palette_->Shades(), own);   // the palette's own rows are back
    camera.EndFrame();
}

// A picture handed over as a bitmap becomes the camera's own backdrop at
// the game's pixel format: drawn behind every frame, replaced by the next
// picture and freed with the camera.
TEST_F(DerivedCameraTest, ABitmapBackdropBelongsToTheCameraAndIsDrawnEachFrame) {
    const int32_t format = g_pixelFormat;
    g_pixelFormat = kPixelFormatIndexed8;
    {
        DerivedCamera camera(&canvas_);
        Bitmap wide;
        ASSERT_EQ(wide.Create(120, 90, Bitmap::kDepth8Bit, true), kStatusOk);
        wide.pixels[0] = 7;
        ASSERT_EQ(camera.SetBackdropBitmap(&wide), 0);
        ASSERT_NE(camera.backdrop, nullptr);
        EXPECT_EQ(camera.backdrop->width, 120);
        EXPECT_EQ(camera.backdrop->height, 90);
        EXPECT_NE(camera.flags & DerivedCamera::kFlagOwnsBackdrop, 0u);
        ASSERT_EQ(camera.BeginFrame(), 0u);
        std::vector<CanvasCall> blits = canvas_.CallsOf("BlitImage");
        ASSERT_EQ(blits.size(), 1u);
        EXPECT_EQ(blits[0].object, camera.backdrop);
        EXPECT_NE(canvas_.flags & 0x10, 0u);   // covers the canvas: no colour clear
        camera.EndFrame();

        // The next picture, too small to cover the canvas, takes the old one's place.
        Bitmap small;
        ASSERT_EQ(small.Create(50, 40, Bitmap::kDepth8Bit, true), kStatusOk);
        ASSERT_EQ(camera.SetBackdropBitmap(&small), 0);
        EXPECT_EQ(camera.backdrop->width, 50);
        canvas_.ForgetCalls();
        ASSERT_EQ(camera.BeginFrame(), 0u);
        blits = canvas_.CallsOf("BlitImage");
        ASSERT_EQ(blits.size(), 1u);
        EXPECT_EQ(blits[0].object, camera.backdrop);
        EXPECT_EQ(canvas_.flags & 0x10, 0u);
        camera.EndFrame();

        // Nothing to convert: refused, and the picture stays.
        PixelImage* const kept = camera.backdrop;
        EXPECT_EQ(camera.SetBackdropBitmap(nullptr), 1);
        Bitmap empty;
        EXPECT_EQ(camera.SetBackdropBitmap(&empty), 1);
        EXPECT_EQ(camera.backdrop, kept);
    }
    g_pixelFormat = format;
}

TEST_F(DerivedCameraTest, FogTakesTheBackgroundColourOrAGivenOne) {
    DerivedCamera camera(&canvas_);
    camera.background = 5;
    ASSERT_EQ(camera.SetFogFromPalette(0.25f, 0.75f), 0);
    std::vector<CanvasCall> fogs = canvas_.CallsOf("SetFog");
    ASSERT_EQ(fogs.size(), 1u);
    const uint32_t colour = palette_->GetColor(5);
    EXPECT_EQ(fogs[0].fog->red, uint8_t(colour));
    EXPECT_EQ(fogs[0].fog->green, uint8_t(colour >> 8));
    EXPECT_EQ(fogs[0].fog->blue, uint8_t(colour >> 16));
    EXPECT_FLOAT_EQ(fogs[0].fog->start, 0.25f);
    EXPECT_FLOAT_EQ(fogs[0].fog->end, 0.75f);
    EXPECT_EQ(canvas_.CountOf("EnableFog"), 1u);

    ASSERT_EQ(camera.SetFogColor(0.1f, 0.5f, 0x332211), 0);
    fogs = canvas_.CallsOf("SetFog");
    ASSERT_EQ(fogs.size(), 2u);
    EXPECT_EQ(fogs[1].fog->red, 0x11);
    EXPECT_EQ(fogs[1].fog->green, 0x22);
    EXPECT_EQ(fogs[1].fog->blue, 0x33);
    EXPECT_EQ(canvas_.CountOf("EnableFog"), 2u);

    // A fog the canvas refuses is not switched on.
    canvas_.ScriptResult("SetFog", 1);
    EXPECT_EQ(camera.SetFogColor(0.1f, 0.5f, 0x332211), 1);
    EXPECT_EQ(canvas_.CountOf("EnableFog"), 2u);
    DerivedCamera unplaced;
    EXPECT_EQ(unplaced.SetFogColor(0.1f, 0.5f, 0), 1);
    EXPECT_EQ(unplaced.SetFogFromPalette(0.1f, 0.5f), 1);
}

// A ramp lent by another camera shades the sky until it is taken away; one
// too large for memory is refused and leaves the plain clear.
TEST_F(DerivedCameraTest, ALentRampShadesTheSkyUntilItIsTakenAway) {
    DerivedCamera lender(&canvas_);
    ASSERT_EQ(lender.BuildColorRamp(32, 16, 0.5f, 0x000000, 0xFFFFFF), 0);
    DerivedCamera camera(&canvas_);
    ASSERT_EQ(camera.SetColorRamp(lender.colourRamp, false), 0);
    EXPECT_NE(camera.flags & DerivedCamera::kFlagSkyGradient, 0u);
    EXPECT_EQ(camera.flags & DerivedCamera::kFlagOwnsRamp, 0u);
    ASSERT_EQ(camera.BeginFrame(), 0u);
    EXPECT_EQ(canvas_.CountOf("FillPolygonShadedInt"), 1u);
    camera.EndFrame();
    EXPECT_EQ(camera.SetColorRamp(nullptr, false), 1);
    EXPECT_EQ(camera.flags & DerivedCamera::kFlagSkyGradient, 0u);
    canvas_.ForgetCalls();
    ASSERT_EQ(camera.BeginFrame(), 0u);
    EXPECT_EQ(canvas_.CountOf("FillPolygonShadedInt"), 0u);
    camera.EndFrame();
    EXPECT_NE(lender.colourRamp, nullptr);   // still the lender's

    // 256 rows of 32768 columns do not fit the heap.
    EXPECT_EQ(camera.BuildColorRamp(65535, 100, 0.5f, 0x000000, 0xFFFFFF), 2);
    EXPECT_EQ(camera.colourRamp, nullptr);
    EXPECT_EQ(camera.flags & DerivedCamera::kFlagSkyGradient, 0u);
}

// A derived camera made from a plain one, or read from a file, sees what
// the plain one sees; copies and assignments never take over a picture.
TEST_F(DerivedCameraTest, CopiesAndAssignmentsKeepTheViewButOwnNoPicture) {
    Camera plain(&canvas_);
    plain.SetPosition({1.0f, 2.0f, 3.0f});
    plain.fieldOfView = 70.0f;
    plain.flags |= DerivedCamera::kFlagSkyGradient;
    const DerivedCamera fromPlain(plain);
    EXPECT_FLOAT_EQ(fromPlain.fieldOfView, 70.0f);
    EXPECT_FLOAT_EQ(fromPlain.transform.matrix.rows[3][1], 2.0f);
    EXPECT_EQ(fromPlain.backdrop, nullptr);
    EXPECT_EQ(fromPlain.flags & DerivedCamera::kFlagSkyGradient, 0u);

    DerivedCamera owner(&canvas_);
    ASSERT_EQ(owner.BuildColorRamp(8, 4, 0.5f, 0, 0xFFFFFF), 0);
    auto* const picture = new PixelImage;
    ASSERT_EQ(picture->Create(16, 16, 8, false), kStatusOk);
    ASSERT_EQ(owner.SetBackdrop(picture, true), 0);
    DerivedCamera& same = owner;
    owner = same;   // to itself: nothing lost
    EXPECT_EQ(owner.backdrop, picture);
    DerivedCamera other(&canvas_);
    other = owner;
    EXPECT_EQ(other.backdrop, nullptr);
    EXPECT_EQ(other.colourRamp, nullptr);
    EXPECT_EQ(other.flags & (DerivedCamera::kFlagOwnsBackdrop | DerivedCamera::kFlagOwnsRamp), 0u);
    owner = fromPlain;   // frees its own picture and ramp
    EXPECT_EQ(owner.backdrop, nullptr);
    EXPECT_EQ(owner.colourRamp, nullptr);
    EXPECT_FLOAT_EQ(owner.fieldOfView, 70.0f);

    // A float camera record: name, flags, position, forward, up, field of view.
    std::vector<uint8_t> record(64, 0);
    std::memcpy(record.data(), "Sky", 3);
    const float values[10] = {4.0f, 5.0f, 6.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f, 55.0f};
    for (int i = 0; i < 10; ++i) {
        uint32_t word;
        std::memcpy(&word, &values[i], sizeof word);
        StoreLe32(record.data() + 20 + 4 * i, word);
    }
    const ChunkBuilder b;
    const std::vector<uint8_t> file = b.Form("ESEN", {b.Chunk("ECA1", record)});
    const TempDir dir;
    dir.WriteFile("sky.iff", std::string(file.begin(), file.end()));
    const DerivedCamera loaded((dir.Str() + "/sky.iff").c_str(), "Sky");
    EXPECT_FLOAT_EQ(loaded.fieldOfView, 55.0f);
    EXPECT_FLOAT_EQ(loaded.transform.matrix.rows[3][2], 6.0f);
    EXPECT_EQ(loaded.backdrop, nullptr);
}

}  // namespace
