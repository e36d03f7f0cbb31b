#include "scene/SortedPrimitive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include <pthread.h>

#include "display/Palette.h"
#include "engine/Arena.h"
#include "engine/WorldContext.h"
#include "display/PixelImage.h"
#include "scene/Camera.h"
#include "scene/Material.h"
#include "scene/ViewContext.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

ScreenVertex Vertex(float x, float y, float depth, uint32_t colour) {
    ScreenVertex v{};
    v.x = x;
    v.y = y;
    v.depth = depth;
    v.colour = colour;
    return v;
}

class SortedPrimitiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        world_ = std::make_unique<WorldContext>(4096, 64 * 1024);
        ASSERT_NE(world_->arena2, nullptr);
        view_.camera = &camera_;
        PushViewContext(&view_);
    }
    void TearDown() override {
        PopViewContext(&view_);
        DiscardSortedPrimitives();
        world_.reset();
    }

    // A triangle at one depth whose colour names it.
    void Polygon(float depth, uint32_t colour) {
        const ScreenVertex v[] = {Vertex(0, 0, depth, colour), Vertex(10, 0, depth, colour),
                                  Vertex(0, 10, depth, colour)};
        SortedPolygon* const p = SortedPolygon::Create(*world_->arena2, SortedPrimitive::kPolygonFlat, 3, v);
        ASSERT_NE(p, nullptr);
        ASSERT_EQ(reinterpret_cast<uintptr_t>(p) % 16, 0u);
        p->Insert();
    }

    // The colours of the polygons filled, in order.
    std::vector<uint32_t> Drawn() const {
        std::vector<uint32_t> colours;
        for (const CanvasCall& call : canvas_.CallsOf("FillPolygonFlat")) colours.push_back(call.screen[0].colour);
        return colours;
    }

    const ScopedEngineHeap heap_{4 * 1024 * 1024};
    std::unique_ptr<WorldContext> world_;
    RecordingCanvas canvas_{64, 64};
    Camera camera_{&canvas_};
    ViewContext view_;
};

TEST_F(SortedPrimitiveTest, FarthestDrawFirstAndEqualDepthsInTheOrderTheyCame) {
    Polygon(0.5f, 1);
    Polygon(0.9f, 2);
    Polygon(0.5f, 3);
    Polygon(0.1f, 4);   // nearest
    Polygon(0.5f, 5);
    FlushSortedPrimitives();
    EXPECT_EQ(Drawn(), (std::vector<uint32_t>{2, 1, 3, 5, 4}));

    canvas_.ForgetCalls();
    Polygon(0.5f, 1);
    Polygon(0.9f, 2);
    Polygon(0.5f, 3);
    Polygon(0.1f, 4);
    FlushSortedPrimitivesNearFirst();
    EXPECT_EQ(Drawn(), (std::vector<uint32_t>{4, 3, 1, 2}));
}

// An effect queues its faces under its group's palette; the flush comes
// after the canvas went back to the world's, and each face still draws
// under the palette it was made with.
TEST_F(SortedPrimitiveTest, EachPrimitiveDrawsUnderThePaletteItWasMadeWith) {
    PaletteIndexed8 world, effects;
    canvas_.palette = &effects;
    Polygon(0.9f, 1);
    canvas_.palette = &world;
    Polygon(0.5f, 2);
    FlushSortedPrimitives();
    const std::vector<CanvasCall> fills = canvas_.CallsOf("FillPolygonFlat");
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_EQ(fills[0].palette, &effects);
    EXPECT_EQ(fills[1].palette, &world);
    EXPECT_EQ(canvas_.palette, &world);
    canvas_.palette = nullptr;
}

TEST_F(SortedPrimitiveTest, AFlushEmptiesTheArenaAndTreeAndOnlyRaisesThePeaks) {
    for (int i = 0; i < 40; ++i) Polygon(float(i) / 40.0f, uint32_t(i));   // rising: a chain 40 deep
    const uint32_t bytes = g_primBytesUsed;
    EXPECT_EQ(bytes, 40u * (40 + 3 * 32));
    EXPECT_EQ(g_primTreeSteps, 39u);
    FlushSortedPrimitives();
    EXPECT_EQ(world_->depthTreeRoot, nullptr);
    EXPECT_EQ(world_->arena2->ChainLength(), 0);
    EXPECT_EQ(g_primBytesUsed, 0u);
    EXPECT_EQ(world_->peakTreeDepth, 39u);
    EXPECT_EQ(world_->peakPrimitiveBytes, bytes);

    Polygon(0.5f, 1);
    Polygon(0.6f, 2);
    FlushSortedPrimitives();
    EXPECT_EQ(world_->peakTreeDepth, 39u);
    EXPECT_EQ(world_->peakPrimitiveBytes, bytes);
    // An empty tree flushes without drawing and still resets the counters.
    canvas_.ForgetCalls();
    FlushSortedPrimitives();
    EXPECT_TRUE(canvas_.Calls().empty());
}

TEST_F(SortedPrimitiveTest, PointsAndLinesDrawThroughTheCanvasAndSortByTheirCentres) {
    SortedPoint* const point = SortedPoint::Create(*world_->arena2, Vertex(3, 4, 0.2f, 9));
    SortedLine* const line = SortedLine::Create(*world_->arena2, Vertex(0, 0, 0.2f, 1), Vertex(10, 10, 0.6f, 1));
    ASSERT_NE(point, nullptr);
    ASSERT_NE(line, nullptr);
    EXPECT_FLOAT_EQ(line->GetCentre().depth, 0.4f);
    EXPECT_TRUE(point->IsBehind(line->GetCentre()));
    EXPECT_FALSE(line->IsBehind(point->GetCentre()));
    point->Insert();
    line->Insert();
    canvas_.SetForwarding(false);
    FlushSortedPrimitives();
    EXPECT_EQ(canvas_.Ops(), (std::vector<std::string>{"DrawLineClipped", "PlotPixel"}));
}

// Each kind code picks its canvas fill, translucent ones with their level;
// a textured polygon draws its material's image with the material locked
// for the fill only. A code outside a kind's range draws nothing.
TEST_F(SortedPrimitiveTest, EveryPolygonKindDrawsWithItsOwnFill) {
    const ScreenVertex v[] = {Vertex(0, 0, 0.5f, 1), Vertex(10, 0, 0.5f, 1), Vertex(0, 10, 0.5f, 1)};
    canvas_.SetForwarding(false);
    const struct {
        uint16_t kind;
        const char* fill;
    } plain[] = {{SortedPrimitive::kPolygonFlat, "FillPolygonFlat"},
                 {SortedPrimitive::kPolygonShaded, "FillPolygonShaded"},
                 {SortedPrimitive::kPolygonShadedAlt, "FillPolygonShadedAlt"},
                 {SortedPrimitive::kTranslucentFlat, "FillPolygonFlatAlpha"},
                 {SortedPrimitive::kTranslucentShaded, "FillPolygonShadedAlpha"},
                 {SortedPrimitive::kTranslucentShadedAlt, "FillPolygonShadedAltAlpha"},
                 {SortedPrimitive::kTranslucentShadedAlt + 1, nullptr}};
    for (const auto& c : plain) {
        SCOPED_TRACE(c.kind);
        canvas_.ForgetCalls();
        SortedPolygon::Create(*world_->arena2, c.kind, 3, v, 77)->Insert();
        FlushSortedPrimitives();
        if (c.fill == nullptr) {
            EXPECT_TRUE(canvas_.Calls().empty());
            continue;
        }
        ASSERT_EQ(canvas_.Ops(), std::vector<std::string>{c.fill});
        const bool translucent = (c.kind & 0xFF0) == SortedPrimitive::kTranslucentFlat;
        EXPECT_EQ(canvas_.Calls()[0].words.size(), translucent ? 2u : 1u);
        if (translucent) EXPECT_EQ(canvas_.Calls()[0].words.back(), 77u);
    }

    PixelImage picture;
    Material surface;
    surface.image = &picture;
    const struct {
        uint16_t kind;
        const char* fill;
    } textured[] = {{SortedPrimitive::kTextured, "FillPolygonTextured"},
                    {SortedPrimitive::kTextured + 1, "FillPolygonTexturedPersp"},
                    {SortedPrimitive::kTextured + 2, "FillPolygonTexturedShaded"},
                    {SortedPrimitive::kTextured + 3, "FillPolygonTexturedShadedPersp"},
                    {SortedPrimitive::kTexturedTranslucent, "FillPolygonTexturedAlpha"},
                    {SortedPrimitive::kTexturedTranslucent + 1, "FillPolygonTexturedPerspAlpha"},
                    {SortedPrimitive::kTexturedTranslucent + 2, "FillPolygonTexturedShadedAlpha"},
                    {SortedPrimitive::kTexturedTranslucent + 3, "FillPolygonTexturedShadedPerspAlpha"},
                    {SortedPrimitive::kTexturedTranslucent + 4, nullptr}};
    for (const auto& c : textured) {
        SCOPED_TRACE(c.kind);
        canvas_.ForgetCalls();
        bool lockedWhileFilled = false;
        canvas_.OnCall([&](const CanvasCall&) { lockedWhileFilled = surface.IsLocked(); });
        SortedTexturedPolygon::Create(*world_->arena2, c.kind, 3, v, &surface, 77)->Insert();
        FlushSortedPrimitives();
        canvas_.OnCall(nullptr);
        EXPECT_FALSE(surface.IsLocked());
        if (c.fill == nullptr) {
            EXPECT_TRUE(canvas_.Calls().empty());
            continue;
        }
        ASSERT_EQ(canvas_.Ops(), std::vector<std::string>{c.fill});
        EXPECT_EQ(canvas_.Calls()[0].object, &picture);
        EXPECT_TRUE(lockedWhileFilled);
        const bool translucent = (c.kind & 0xFF0) == SortedPrimitive::kTexturedTranslucent;
        if (translucent) EXPECT_EQ(canvas_.Calls()[0].words.back(), 77u);
    }
    surface.image = nullptr;
}

// A polygon stands for its first vertex and divides the screen space by
// its plane; with fewer than three vertices only the depth tells.
TEST_F(SortedPrimitiveTest, APolygonIsJudgedByItsFirstVertexAndItsPlane) {
    // A wall leaning away: depth grows with y.
    const ScreenVertex wall[] = {Vertex(0, 0, 0.2f, 1), Vertex(10, 0, 0.2f, 1), Vertex(0, 10, 0.6f, 1)};
    SortedPolygon* const polygon = SortedPolygon::Create(*world_->arena2, SortedPrimitive::kPolygonFlat, 3, wall);
    Material surface;
    SortedTexturedPolygon* const textured =
        SortedTexturedPolygon::Create(*world_->arena2, SortedPrimitive::kTextured, 3, wall, &surface);
    for (const SortedPrimitive* p : std::initializer_list<const SortedPrimitive*>{polygon, textured}) {
        const SortedPrimitive::Point centre = p->GetCentre();
        EXPECT_FLOAT_EQ(centre.x, 0.0f);
        EXPECT_FLOAT_EQ(centre.depth, 0.2f);
        // One side of the plane and the other, at the same place on screen.
        const bool nearSide = p->IsBehind({2.0f, 5.0f, 0.1f});
        const bool farSide = p->IsBehind({2.0f, 5.0f, 0.9f});
        EXPECT_NE(nearSide, farSide);
    }
    const ScreenVertex edge[] = {Vertex(0, 0, 0.4f, 1), Vertex(10, 0, 0.4f, 1)};
    SortedPolygon* const sliver = SortedPolygon::Create(*world_->arena2, SortedPrimitive::kPolygonFlat, 2, edge);
    EXPECT_TRUE(sliver->IsBehind({0.0f, 0.0f, 0.5f}));
    EXPECT_FALSE(sliver->IsBehind({0.0f, 0.0f, 0.3f}));
    DiscardSortedPrimitives();
}

// A camera set to flush near first ends its frame drawing the nearest
// primitive first.
TEST_F(SortedPrimitiveTest, ACameraSetToFlushNearFirstEndsItsFrameNearestFirst) {
    camera_.flags |= Camera::kFlagFlushNearFirst;
    ASSERT_EQ(camera_.BeginFrame(), 0u);
    Polygon(0.9f, 2);
    Polygon(0.1f, 4);
    Polygon(0.5f, 3);
    camera_.EndFrame();
    EXPECT_EQ(Drawn(), (std::vector<uint32_t>{4, 3, 2}));
    camera_.flags &= ~Camera::kFlagFlushNearFirst;
    canvas_.ForgetCalls();
    ASSERT_EQ(camera_.BeginFrame(), 0u);
    Polygon(0.1f, 4);
    Polygon(0.9f, 2);
    camera_.EndFrame();
    EXPECT_EQ(Drawn(), (std::vector<uint32_t>{2, 4}));
}

// A frame's depths come in runs (a model's faces, a stream's sprites) with
// jumps between them, ties, and the odd infinite or NaN depth: whatever the
// order of insertion, the tree is the one a walk from the root would build,
// so the drawing order and the deepest path are those of that tree. First a
// crowd's thousands of primitives with no odd depth, then a short frame with
// every odd depth and another world context's tree grown meanwhile.
TEST_F(SortedPrimitiveTest, RunsJumpsTiesAndOddDepthsBuildTheTreeAWalkFromTheRootWould) {
    struct Node {
        float depth;
        uint32_t colour;
        int nearer = -1, farther = -1;
    };
    for (const bool odd : {false, true}) {
        const uint32_t count = odd ? 240 : 3000;
        std::vector<Node> reference;
        uint32_t deepest = 0;
        const auto place = [&](float depth, uint32_t colour) {
            reference.push_back({depth, colour});
            const int added = int(reference.size()) - 1;
            uint32_t steps = 0;
            for (int at = added == 0 ? -1 : 0; at >= 0; ++steps) {
                int& child = depth <= reference[size_t(at)].depth ? reference[size_t(at)].nearer : reference[size_t(at)].farther;
                if (child < 0) {
                    child = added;
                    ++steps;
                    break;
                }
                at = child;
            }
            deepest = std::max(deepest, steps);
            Polygon(depth, colour);
        };
        uint32_t seed = 12345;
        const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
        const float odds[] = {INFINITY, -INFINITY, 0.0f, -0.0f, std::nanf("")};
        float depth = 0.5f;
        for (uint32_t colour = 0; colour < count;) {
            const uint32_t kind = next() % 6;
            if (kind == 0) depth = float(next() % 1000) / 1000.0f;         // a jump
            if (kind == 5) depth = odds[next() % (odd ? 5 : 4)];
            const float step = kind == 1 ? 0.001f : kind == 2 ? -0.001f : 0.0f;   // rising, falling, ties
            for (uint32_t n = 1 + next() % 6; n > 0 && colour < count; --n, depth += step) {
                place(depth, colour++);
                ASSERT_EQ(g_primTreeSteps, deepest) << colour;
            }
            if (odd && colour >= 120 && colour < 127) {
                WorldContext other(4096, 4096);
                const ScreenVertex v[] = {Vertex(0, 0, 0.3f, 9999), Vertex(1, 0, 0.3f, 9999), Vertex(0, 1, 0.3f, 9999)};
                SortedPolygon::Create(*other.arena2, SortedPrimitive::kPolygonFlat, 3, v)->Insert();
                ASSERT_NE(other.depthTreeRoot, nullptr);
                other.depthTreeRoot = nullptr;
                g_worldContext = world_.get();
                colour = 127;
            }
            if (std::isnan(depth) || std::isinf(depth)) depth = 0.5f;
        }
        std::vector<uint32_t> order;
        const std::function<void(int)> farFirst = [&](int at) {
            if (at < 0) return;
            farFirst(reference[size_t(at)].farther);
            order.push_back(reference[size_t(at)].colour);
            farFirst(reference[size_t(at)].nearer);
        };
        farFirst(0);
        FlushSortedPrimitives();
        EXPECT_EQ(Drawn(), order);
        canvas_.ForgetCalls();
    }
}

// Rising depths make the tree one long chain; neither flush may recurse
// along it.
TEST_F(SortedPrimitiveTest, ATwentyThousandDeepChainFlushesOnASmallStack) {
    constexpr int kDepth = 20000;
    for (const bool nearFirst : {false, true}) {
        for (int i = 0; i < kDepth; ++i) {
            SortedPoint* const p = SortedPoint::Create(*world_->arena2, Vertex(1, 1, float(i), 0));
            ASSERT_NE(p, nullptr);
            p->Insert();
        }
        ASSERT_EQ(g_primTreeSteps, uint32_t(kDepth - 1));
        canvas_.SetForwarding(false);
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        pthread_attr_setstacksize(&attributes, 256 * 1024);
        pthread_t thread;
        struct Job {
            bool nearFirst;
        } job{nearFirst};
        ASSERT_EQ(pthread_create(
                      &thread, &attributes,
                      [](void* argument) -> void* {
                          if (static_cast<Job*>(argument)->nearFirst) {
                              FlushSortedPrimitivesNearFirst();
                          } else {
                              FlushSortedPrimitives();
                          }
                          return nullptr;
                      },
                      &job),
                  0);
        pthread_join(thread, nullptr);
        pthread_attr_destroy(&attributes);
        EXPECT_EQ(canvas_.CountOf("PlotPixel"), size_t(kDepth));
        const std::vector<CanvasCall> plots = canvas_.CallsOf("PlotPixel");
        EXPECT_FLOAT_EQ(plots.front().screen[0].depth, nearFirst ? 0.0f : float(kDepth - 1));
        canvas_.ForgetCalls();
    }
}

}  // namespace
