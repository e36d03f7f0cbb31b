// The flight view: the sample mission's world under the HUD, pictured on the
// 16-bit software canvas and through the 3D kind after 40 frames of 50 ms,
// and the camera, palettes and listener a frame leaves behind.
#include <gtest/gtest.h>

#include <string>

#include "canvas/D3DCanvas.h"
#include "canvas/ScreenCanvas16.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "scene/OstrelSystem.h"
#include "shell/FlightView.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/TempDir.h"
#include "tools/flightshot/FlightShot.h"
#include "tools/mkdata/SampleTree.h"
#include "tools/render/Hardware3dTarget.h"

namespace {

constexpr int32_t kFrames = 40;
constexpr int32_t kSeed = 1;
constexpr const char* kMission = "sample.uli";

class FlightViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        g_pixelFormat = kPixelFormatRgb565;
        ASSERT_EQ(engine_.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    }
    void TearDown() override { g_dataDirs.Clear(); }

    // The sample flight's frame `kFrames` on a 640 x 480 16-bit software canvas.
    RgbImage SoftwarePicture() {
        FlightShot flight;
        EXPECT_EQ(flight.Load(kMission, kSeed), kStatusOk);
        ScreenCanvas16 canvas(640, 480, nullptr, nullptr, flight.palette, Canvas::kFlagHasDepth, 0, 0);
        canvas.EnableDepthTest();
        for (int32_t frame = 0; frame < kFrames; ++frame) flight.Frame(canvas);
        return CanvasToRgb(canvas);
    }

    const TempDir dir_;
    OstrelSystem engine_{OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode};
};

TEST_F(FlightViewTest, TheSampleFlightOnTheSoftwareCanvasMatchesItsGoldenPicture) {
    const RgbImage first = SoftwarePicture();
    EXPECT_TRUE(MatchesGolden(first, "flight16"));
    // The same seed and frames give the same picture.
    EXPECT_TRUE(first == SoftwarePicture());
}

TEST_F(FlightViewTest, TheSampleFlightThroughThe3dKindMatchesItsGoldenPicture) {
    ScopedDisplay display;
    FlightShot flight;
    ASSERT_EQ(flight.Load(kMission, kSeed), kStatusOk);
    Hardware3dTarget target;
    ASSERT_EQ(target.Open(flight.palette, 640, 480), kStatusOk);
    for (int32_t frame = 0; frame < kFrames; ++frame) flight.Frame(*target.Canvas());
    RgbImage picture;
    picture.width = 640;
    picture.height = 480;
    ASSERT_TRUE(target.ReadRgb(&picture.rgb));
    EXPECT_TRUE(MatchesGolden(picture, "flight3d"));
}

}  // namespace
