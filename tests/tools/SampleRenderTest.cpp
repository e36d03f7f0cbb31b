// Renders the sample hull as tools/render does, in both depths, and keeps
// the pictures as golden images: any change in the pixels of the 3D path
// shows here. VORN_UPDATE_GOLDEN=1 rewrites them; look at them first.
#include <gtest/gtest.h>

#include <string>

#include "canvas/ScreenCanvas16.h"
#include "canvas/ScreenCanvas8.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "scene/OstrelSystem.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/SampleTree.h"
#include "tools/render/SampleScene.h"

namespace {

class SampleRenderTest : public ::testing::TestWithParam<int32_t> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
    }
    void TearDown() override {
        g_dataDirs.Clear();
        g_pixelFormat = kPixelFormatRgb565;
    }
    const TempDir dir_;
};

// Draws the sample in the format under test and compares it with its golden
// picture: `name` then "8" or "16".
void DrawAndCompare(SampleScene& scene, int32_t format, const std::string& name) {
    if (format == kPixelFormatIndexed8) {
        ScreenCanvas8 canvas(320, 240, nullptr, nullptr, scene.palette, Canvas::kFlagHasDepth, 0, 0);
        ASSERT_EQ(scene.Draw(canvas), kStatusOk);
        EXPECT_TRUE(MatchesGolden(CanvasToRgb(canvas), name + "8"));
    } else {
        ScreenCanvas16 canvas(320, 240, nullptr, nullptr, scene.palette, Canvas::kFlagHasDepth, 0, 0);
        ASSERT_EQ(scene.Draw(canvas), kStatusOk);
        EXPECT_TRUE(MatchesGolden(CanvasToRgb(canvas), name + "16"));
    }
}

TEST_P(SampleRenderTest, TheHullMatchesItsGoldenPicture) {
    const int32_t format = GetParam();
    OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
    ASSERT_EQ(engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    g_pixelFormat = format;
    SampleScene scene;
    ASSERT_EQ(scene.Load(g_dataDirs.Prefix(DataDir::kMesh), "hull.iff"), kStatusOk);
    DrawAndCompare(scene, format, "hull");
}

// The scene file through its own camera and lights, with the pod linked
// under the hull, stars, sparks and a billboard.
TEST_P(SampleRenderTest, TheSceneMatchesItsGoldenPicture) {
    const int32_t format = GetParam();
    OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
    ASSERT_EQ(engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    g_pixelFormat = format;
    SampleScene scene;
    ASSERT_EQ(scene.LoadScene(g_dataDirs.Prefix(DataDir::kMesh), "scene.iff"), kStatusOk);
    DrawAndCompare(scene, format, "scene");
}

INSTANTIATE_TEST_SUITE_P(BothDepths, SampleRenderTest, ::testing::Values(kPixelFormatIndexed8, kPixelFormatRgb565));

}  // namespace
