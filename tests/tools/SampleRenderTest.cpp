// Renders the sample hull as tools/render does, in both depths, and keeps
// the pictures as golden images: any change in the pixels of the 3D path
// shows here. VORN_UPDATE_GOLDEN=1 rewrites them; look at them first.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "canvas/D3DCanvas.h"
#include "canvas/ScreenCanvas16.h"
#include "canvas/ScreenCanvas8.h"
#include "display/PixelFormat.h"
#include "game/DataDirectories.h"
#include "game/EffectTypes.h"
#include "scene/OstrelSystem.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedDisplay.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tools/mkdata/SampleTree.h"
#include "tools/render/EffectShot.h"
#include "tools/render/Hardware3dTarget.h"
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

// A jointed figure posed from the file's keyframes under a sky camera: the
// gradient on 8 bits, the plain clear on 16.
TEST_P(SampleRenderTest, TheFigureMatchesItsGoldenPicture) {
    const int32_t format = GetParam();
    OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
    ASSERT_EQ(engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
    g_pixelFormat = format;
    SampleScene scene;
    ASSERT_EQ(scene.LoadFigure(g_dataDirs.Prefix(DataDir::kMesh), "figure.iff", 2), kStatusOk);
    DrawAndCompare(scene, format, "figure");
}

// The same scene through the 3D hardware kind and its canvas: the pictures
// of the 3D device's own renderer.
TEST(SampleRender3d, TheSceneThroughThe3dKindMatchesItsGoldenPicture) {
    const TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir.Str(), &error)) << error;
    ASSERT_TRUE(g_dataDirs.Find(dir.Str()));
    ScopedDisplay display;
    {
        OstrelSystem engine(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
        ASSERT_EQ(engine.Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
        g_pixelFormat = kPixelFormatRgb565;
        SampleScene scene;
        ASSERT_EQ(scene.LoadScene(g_dataDirs.Prefix(DataDir::kMesh), "scene.iff"), kStatusOk);
        Hardware3dTarget target;
        ASSERT_EQ(target.Open(scene.palette, 320, 240), kStatusOk);
        ASSERT_EQ(scene.Draw(*target.Canvas()), kStatusOk);
        RgbImage picture;
        picture.width = 320;
        picture.height = 240;
        ASSERT_TRUE(target.ReadRgb(&picture.rgb));
        EXPECT_TRUE(MatchesGolden(picture, "scene3d"));
    }
    g_dataDirs.Clear();
}

// The effects of the sample data as the render tool draws them at 16 bits:
// the explosion early, midway and fading, a beam at the height of its pulse,
// a gun shot, the sample nebula and a field of space dust.
class SampleEffectRender : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        ASSERT_TRUE(g_dataDirs.Find(dir_.Str()));
        engine_ = std::make_unique<OstrelSystem>(OstrelSystem::kGameHeapSize, OstrelSystem::kGameHeapMode);
        ASSERT_EQ(engine_->Start(OstrelSystem::kGameArenaSize1, OstrelSystem::kGameArenaSize2, nullptr), kStatusOk);
        g_pixelFormat = kPixelFormatRgb565;
    }
    void TearDown() override {
        engine_.reset();
        g_dataDirs.Clear();
    }
    const TempDir dir_;
    std::unique_ptr<OstrelSystem> engine_;
};

TEST_F(SampleEffectRender, EffectsMatchTheirGoldenPictures) {
    const struct {
        const char* kind;
        uint32_t at;
        const char* golden;
    } shots[] = {
        {"explosion", 0, "explosion0"}, {"explosion", 300, "explosion300"}, {"explosion", 700, "explosion700"},
        {"beam", 500, "beam"},          {"shot", 0, "shot"},          {"nebula", 0, "nebula"},
        {"dust", 0, "dust"},
    };
    for (const auto& shot : shots) {
        SCOPED_TRACE(shot.golden);
        EffectShot effect;
        ASSERT_EQ(effect.Load(shot.kind, shot.at), kStatusOk);
        ScreenCanvas16 canvas(320, 240, nullptr, nullptr, effect.palette, Canvas::kFlagHasDepth, 0, 0);
        ASSERT_EQ(effect.Draw(canvas), kStatusOk);
        EXPECT_TRUE(MatchesGolden(CanvasToRgb(canvas), shot.golden));
    }
    EffectShot unknown;
    EXPECT_EQ(unknown.Load("fireworks", 0), kStatusNotThisRecord);
}

// An explosion's lens flare is made from the flare table, which the tool
// loads before the effect starts and gives back when it is done.
TEST_F(SampleEffectRender, TheExplosionFindsItsFlare) {
    RecordingMessageBox boxes;
    const ScopedInstall<platform::MessageBox> installed(boxes);
    {
        EffectShot effect;
        ASSERT_EQ(effect.Load("explosion", 0), kStatusOk);
        EXPECT_GT(g_flareTable.Count(), 0);
    }
    for (const RecordingMessageBox::Shown& box : boxes.Boxes()) ADD_FAILURE() << box.caption << ": " << box.text;
    EXPECT_EQ(g_flareTable.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(BothDepths, SampleRenderTest, ::testing::Values(kPixelFormatIndexed8, kPixelFormatRgb565));

}  // namespace
