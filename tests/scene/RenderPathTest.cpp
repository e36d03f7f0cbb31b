#include "scene/RenderPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "display/Palette.h"
#include "engine/NamedObject.h"
#include "engine/WorldContext.h"
#include "scene/Camera.h"
#include "scene/FaceRecord.h"
#include "scene/Material.h"
#include "scene/SortedPrimitive.h"
#include "scene/StreakObject.h"
#include "scene/ViewContext.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

class Thing : public NamedObject {
public:
    Thing() : NamedObject(kTypeUntyped) {}
    void Draw() override {}
};

// A material that counts its locks and hands out one image.
class CountingMaterial : public Material {
public:
    CountingMaterial() { image = &picture; }
    void Lock() override {
        ++locks;
        Material::Lock();
    }
    void Unlock() override {
        ++unlocks;
        Material::Unlock();
    }
    PixelImage picture;
    int locks = 0;
    int unlocks = 0;
};

// A triangle in front of a 90-degree camera on a 100 x 100 canvas: view
// (x, y, z) lands near (50 + 50 x / z, 50 - 50 y / z).
class RenderPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        world_ = std::make_unique<WorldContext>(4096, 64 * 1024);
        camera_.fieldOfView = 90.0f;
        camera_.SetCanvas(&canvas_);
        camera_.flags = 0x0F8F;   // every face bit the render mask passes
        vertices_ = {Vertex(0, 0, 10), Vertex(4, 0, 10), Vertex(0, 4, 10)};
        states_.assign(vertices_.size(), 0);
        face_.flags = 0x2;
        face_.a = 0;
        face_.b = 1;
        face_.c = 2;
        face_.material = 1;
        table_[0] = &material_;
        view_.camera = &camera_;
        view_.object = &object_;
        view_.vertices = vertices_.data();
        view_.vertexStates = states_.data();
        view_.faces = &face_;
        view_.materials = table_;
        view_.materialCount = 1;
        PushViewContext(&view_);
        canvas_.SetForwarding(false);
    }
    void TearDown() override {
        PopViewContext(&view_);
        DiscardSortedPrimitives();
    }

    static RenderVertex Vertex(float x, float y, float z) {
        RenderVertex v;
        v.x = x;
        v.y = y;
        v.z = z;
        v.colour = 9;
        v.intensity = 100;
        return v;
    }

    std::string Draw(uint32_t faceFlags, uint32_t drawFlags) {
        face_.flags = faceFlags;
        std::fill(states_.begin(), states_.end(), 0u);
        canvas_.ForgetCalls();
        DrawFace(0, drawFlags);
        const std::vector<std::string> ops = canvas_.Ops();
        return ops.empty() ? "" : ops.front();
    }

    const ScopedEngineHeap heap_{4 * 1024 * 1024};
    std::unique_ptr<WorldContext> world_;
    RecordingCanvas canvas_{100, 100, nullptr, Canvas::kFlagSetUp | Canvas::kFlagHasDepth};
    Camera camera_;
    Thing object_;
    std::vector<RenderVertex> vertices_;
    std::vector<uint32_t> states_;
    FaceRecord face_;
    CountingMaterial material_;
    Material* table_[1] = {};
    ViewContext view_;
};

TEST_F(RenderPathTest, TheFaceFlagsChooseTheCanvasOperation) {
    constexpr uint32_t kNeverSort = kDrawNeverSort;
    struct Case {
        uint32_t face;
        uint32_t draw;
        const char* op;
    };
    const Case cases[] = {
        {0x2, 0, "FillPolygonFlat"},
        {0x8, 0, "FillPolygonShaded"},
        {0x8 | 0x400, 0, "FillPolygonShadedAlt"},
        {0x2 | 0x200, 0, "FillPolygonTextured"},
        {0x2 | 0x200 | 0x400, 0, "FillPolygonTexturedPersp"},
        {0x8 | 0x200, 0, "FillPolygonTexturedShaded"},
        {0x8 | 0x200 | 0x400, 0, "FillPolygonTexturedShadedPersp"},
        {0x2 | 0x800, kNeverSort, "FillPolygonFlatAlpha"},
        {0x8 | 0x800, kNeverSort, "FillPolygonShadedAlpha"},
        {0x2 | 0x200 | 0x800, kNeverSort, "FillPolygonTexturedAlpha"},
        {0x2 | 0x200 | 0x400 | 0x800, kNeverSort, "FillPolygonTexturedPerspAlpha"},
        {0x8 | 0x200 | 0x800, kNeverSort, "FillPolygonTexturedShadedAlpha"},
        {0x8 | 0x400 | 0x800, kNeverSort, "FillPolygonShadedAltAlpha"},
        {0x8 | 0x200 | 0x400 | 0x800, kNeverSort, "FillPolygonTexturedShadedPerspAlpha"},
        {0x2, kDrawFixedLevel | kNeverSort, "FillPolygonFlatAlpha"},
        {0x2 | 0x200, kDrawFixedColour, "FillPolygonFlat"},   // a fixed colour is flat and plain
        {0x8, kDrawFixedColour, ""},                          // and needs a filled face
    };
    for (const Case& c : cases) EXPECT_EQ(Draw(c.face, c.draw), c.op) << std::hex << c.face << " " << c.draw;

    // Textured draws lock the material around the fill and pass its image.
    material_.locks = material_.unlocks = 0;
    Draw(0x2 | 0x200, 0);
    EXPECT_EQ(material_.locks, 1);
    EXPECT_EQ(material_.unlocks, 1);
    EXPECT_EQ(canvas_.Calls().front().object, &material_.picture);
    // No material entry, or a number past the table: drawn untextured.
    face_.material = 2;
    EXPECT_EQ(Draw(0x2 | 0x200, 0), "FillPolygonFlat");
    face_.material = 1;
    // An orthographic camera never asks for the second operation.
    camera_.flags |= Camera::kFlagOrthographic;
    EXPECT_EQ(Draw(0x2 | 0x200 | 0x400, 0), "FillPolygonTextured");
}

TEST_F(RenderPathTest, ProjectionRoundsAndIsHeldToTheCanvas) {
    // x: 50 + 50 * 4.1 / 10 = 70.5 rounds to 71; a vertex far to the left and
    // one far below stay on the canvas's edges.
    vertices_[1] = Vertex(4.1f, 0, 10);
    vertices_[2] = Vertex(-40, -40, 10);
    Draw(0x2, 0);
    const std::vector<CanvasCall> fills = canvas_.CallsOf("FillPolygonFlat");
    ASSERT_EQ(fills.size(), 1u);
    const std::vector<ScreenVertex>& v = fills[0].screen;
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].x, 50.0f);
    EXPECT_EQ(v[1].x, 71.0f);
    EXPECT_EQ(v[2].x, 0.0f);
    EXPECT_EQ(v[2].y, 99.0f);
    EXPECT_FLOAT_EQ(v[0].depth, 10.0f * camera_.depthScale);
    EXPECT_FLOAT_EQ(v[0].invZ, 0.1f);
    EXPECT_NE(object_.flags & 0x100, 0u);
    // Projected once: a second face over the same vertices keeps the first
    // projection, until the states are cleared for the next frame.
    vertices_[1].screenX = 12.0f;
    face_.flags = 0x2;
    canvas_.ForgetCalls();
    DrawFace(0, 0);
    EXPECT_EQ(canvas_.CallsOf("FillPolygonFlat")[0].screen[1].x, 12.0f);
}

TEST_F(RenderPathTest, UnfilledFacesDrawTheirEnabledEdges) {
    EXPECT_EQ(Draw(0x1 | 0x1000 | 0x4000, 0), "DrawLine");
    EXPECT_EQ(canvas_.CountOf("DrawLine"), 2u);
    camera_.flags |= Camera::kFlagAllEdges;
    Draw(0x1, 0);
    EXPECT_EQ(canvas_.CountOf("DrawLine"), 3u);
    camera_.flags &= ~Camera::kFlagAllEdges;
    EXPECT_EQ(Draw(0x1000, 0), "");   // without the edge flag nothing at all
    // A clipped face draws every edge of what is left.
    vertices_[0] = Vertex(0, 0, 0.5f);
    Draw(0x1, kDrawClip);
    EXPECT_EQ(canvas_.CountOf("DrawLine"), 4u);
}

TEST_F(RenderPathTest, TranslucentFacesAreSortedAndDrawnAtTheFlush) {
    material_.locks = material_.unlocks = 0;
    face_.translucency[0] = 77;
    EXPECT_EQ(Draw(0x2 | 0x200 | 0x800, 0), "");
    ASSERT_NE(world_->depthTreeRoot, nullptr);
    const auto* root = static_cast<SortedPrimitive*>(world_->depthTreeRoot);
    EXPECT_EQ(root->kind, SortedPrimitive::kTexturedTranslucent);
    EXPECT_EQ(material_.locks, 0);
    FlushSortedPrimitives();
    EXPECT_EQ(canvas_.Ops(), std::vector<std::string>{"FillPolygonTexturedAlpha"});
    EXPECT_EQ(canvas_.Calls()[0].words.back(), 77u);
    EXPECT_EQ(material_.locks, 1);
    EXPECT_EQ(material_.unlocks, 1);
    // A camera without a depth buffer sorts everything, edges as lines.
    camera_.flags |= Camera::kFlagNoDepthBuffer;
    Draw(0x1 | 0x1000, 0);
    ASSERT_NE(world_->depthTreeRoot, nullptr);
    EXPECT_EQ(static_cast<SortedPrimitive*>(world_->depthTreeRoot)->kind, SortedPrimitive::kLine);
}

// A face the canvas calls empty is spared and counted as drawn, but not one
// that may still leave a mark: clipped, or unfilled with edges to draw, or
// textured with an image its first fill would give a palette.
TEST_F(RenderPathTest, AFaceTheCanvasCallsEmptyIsSparedUnlessItLeavesAMark) {
    const auto spared = [&](uint32_t faceFlags, uint32_t drawFlags) {
        face_.flags = faceFlags;
        object_.flags &= ~0x100u;
        const bool result = FaceJudge(drawFlags).FillsNothing(0);
        EXPECT_EQ((object_.flags & 0x100) != 0, result);
        return result;
    };
    EXPECT_FALSE(spared(0x2, 0));   // the canvas cannot tell
    canvas_.ClaimFillsNoPixel(true);
    EXPECT_TRUE(spared(0x2, 0));
    EXPECT_FALSE(spared(0x2, kDrawClip));
    EXPECT_FALSE(spared(0x2, kDrawCullBack));
    EXPECT_FALSE(spared(0x1 | 0x1000, 0));
    EXPECT_FALSE(spared(0x8, kDrawFixedColour));   // not filled: nothing to spare, but nothing drawn either
    EXPECT_FALSE(spared(0x2 | 0x200, 0));          // the picture has no palette yet
    EXPECT_EQ(material_.locks, material_.unlocks);
    PaletteRgb565 palette;
    material_.picture.palette = &palette;
    EXPECT_TRUE(spared(0x2 | 0x200, 0));
    EXPECT_EQ(canvas_.Calls().size(), 0u);
}

TEST_F(RenderPathTest, AStreakDrawsOneSortedLineAndPointsAreClippedToTheView) {
    camera_.flags |= Camera::kFlagNoDepthBuffer;
    StreakObject streak;
    streak.from = {0.0f, 0.0f, 5.0f};
    streak.to = {1.0f, 1.0f, 8.0f};
    streak.colour = 33;
    streak.Draw();
    EXPECT_EQ(g_viewContext, &view_);
    ASSERT_NE(world_->depthTreeRoot, nullptr);
    const auto* line = static_cast<SortedLine*>(world_->depthTreeRoot);
    EXPECT_EQ(line->kind, SortedPrimitive::kLine);
    EXPECT_EQ(line->nearer, nullptr);
    EXPECT_EQ(line->farther, nullptr);
    EXPECT_EQ(line->a.colour, 33u);
    EXPECT_EQ(line->a.x, 50.0f);
    EXPECT_NE(streak.flags & 0x100, 0u);

    DiscardSortedPrimitives();
    camera_.flags &= ~Camera::kFlagNoDepthBuffer;
    g_primScratch = ScreenVertex{};
    g_primScratch.depth = 0.5f;   // in front of near
    EmitSortedPrimitive(kDrawClip);
    EXPECT_EQ(canvas_.CountOf("PlotPixel"), 0u);
    g_primScratch.depth = 20.0f;
    EmitSortedPrimitive(kDrawClip);
    ASSERT_EQ(canvas_.CountOf("PlotPixel"), 1u);
    EXPECT_EQ(canvas_.CallsOf("PlotPixel")[0].screen[0].x, 50.0f);
    // Without a depth buffer the point waits in the depth tree for the flush.
    camera_.flags |= Camera::kFlagNoDepthBuffer;
    EmitSortedPrimitive(kDrawClip);
    ASSERT_NE(world_->depthTreeRoot, nullptr);
    EXPECT_EQ(static_cast<SortedPrimitive*>(world_->depthTreeRoot)->kind, SortedPrimitive::kPoint);
    EXPECT_EQ(canvas_.CountOf("PlotPixel"), 1u);
    DiscardSortedPrimitives();
}

// With a depth buffer a streak is drawn at once; one that starts behind
// the camera is cut at the near plane, its far end kept.
TEST_F(RenderPathTest, AStreakThroughTheNearPlaneIsCutThereAndDrawnAtOnce) {
    StreakObject streak;
    streak.from = {0.0f, 0.0f, 4.0f};
    streak.to = {2.0f, 2.0f, 8.0f};
    streak.Draw();
    std::vector<CanvasCall> lines = canvas_.CallsOf("DrawLineClipped");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(world_->depthTreeRoot, nullptr);
    EXPECT_NEAR(lines[0].screen[1].x, 50.0f + 50.0f * 2.0f / 8.0f, 0.5f);

    canvas_.ForgetCalls();
    streak.from = {0.0f, 0.0f, -4.0f};   // behind the camera
    streak.Draw();
    lines = canvas_.CallsOf("DrawLineClipped");
    ASSERT_EQ(lines.size(), 1u);
    // Cut where the streak meets the near plane, at z = 1: there it has come
    // five twelfths of its way, x = 10 / 12, seen at 50 + 50 x / 1. The
    // clip may hand the ends back in either order.
    const float nearX = 50.0f + 50.0f * (2.0f * 5.0f / 12.0f), farX = 50.0f + 50.0f * 2.0f / 8.0f;
    const float x0 = std::min(lines[0].screen[0].x, lines[0].screen[1].x);
    const float x1 = std::max(lines[0].screen[0].x, lines[0].screen[1].x);
    EXPECT_NEAR(x0, farX, 0.5f);
    EXPECT_NEAR(x1, nearX, 1.0f);

    // Wholly beside the view: nothing.
    canvas_.ForgetCalls();
    streak.from = {-30.0f, 0.0f, 5.0f};
    streak.to = {-40.0f, 1.0f, 8.0f};
    streak.Draw();
    EXPECT_EQ(canvas_.CountOf("DrawLineClipped"), 0u);

    // Wholly behind the camera: nothing.
    canvas_.ForgetCalls();
    streak.from = {0.0f, 0.0f, -4.0f};
    streak.to = {2.0f, 2.0f, -1.0f};
    streak.Draw();
    EXPECT_EQ(canvas_.CountOf("DrawLineClipped"), 0u);
}

}  // namespace
