#include "scene/DerivedCamera.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "display/PixelImage.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedEngineHeap.h"

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

}  // namespace
