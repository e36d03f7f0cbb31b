// Particles, particle groups, point fields and billboards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "display/Bitmap.h"
#include "display/PixelImage.h"
#include "engine/BoundingSphere.h"
#include "engine/Random.h"
#include "engine/WorldContext.h"
#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "scene/Billboard.h"
#include "scene/Camera.h"
#include "scene/Light.h"
#include "scene/Material.h"
#include "scene/Particle.h"
#include "scene/ParticleSystem.h"
#include "scene/PointField.h"
#include "scene/ViewContext.h"
#include "tests/support/DistinctPalette.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedEngineHeap.h"

namespace {

// Counts the particles of its kind still alive.
class CountedParticle : public Particle {
public:
    explicit CountedParticle(int* live, float life = 10.0f) : Particle(0, 0, 10, 1, life), live_(live) { ++*live_; }
    ~CountedParticle() override { --*live_; }

private:
    int* live_;
};

// A camera at the origin looking down +z with a 90-degree view on a
// 100 x 100 canvas: view (x, y, z) lands near (50 + 50 x / z, 50 - 50 y / z).
class EffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        camera_.fieldOfView = 90.0f;
        camera_.SetCanvas(&canvas_);
        camera_.flags = 0x0F8F;
        view_.camera = &camera_;
        PushViewContext(&view_);
        canvas_.SetForwarding(false);
    }
    void TearDown() override { PopViewContext(&view_); }
    std::vector<std::pair<float, float>> Points() const {
        std::vector<std::pair<float, float>> points;
        for (const CanvasCall& call : canvas_.CallsOf("PlotPixel")) points.emplace_back(call.screen[0].x, call.screen[0].y);
        return points;
    }

    const ScopedEngineHeap heap_{8 * 1024 * 1024};
    WorldContext world_{64 * 1024, 64 * 1024};
    RecordingCanvas canvas_{100, 100, nullptr, Canvas::kFlagSetUp | Canvas::kFlagHasDepth};
    Camera camera_;
    ViewContext view_;
};

TEST_F(EffectsTest, ParticlesMoveWithTheNewVelocityAndCountTheirLife) {
    Particle falling(0, 0, 0, 1, 3.0f);
    falling.step = 0.1f;
    falling.acceleration = {0.0f, -10.0f, 0.0f};
    falling.Update();
    EXPECT_NEAR(falling.velocity.y, -1.0f, 1e-6f);
    EXPECT_NEAR(falling.position.y, -0.1f, 1e-6f);   // moved by the new velocity
    falling.Update();
    EXPECT_EQ(falling.flags & Particle::kFlagDead, 0u);
    falling.Update();   // the third update ends a life of 3, whatever the step
    EXPECT_NE(falling.flags & Particle::kFlagDead, 0u);

    Particle frozen(1, 2, 3, 1, 2.0f);   // step 0: still, but ageing
    frozen.velocity = {5.0f, 5.0f, 5.0f};
    frozen.Update();
    frozen.Update();
    EXPECT_EQ(frozen.position.x, 1.0f);
    EXPECT_NE(frozen.flags & Particle::kFlagDead, 0u);

    Particle bySteps(0, 0, 0, 1, 1.0f);
    bySteps.flags |= Particle::kFlagLifeBySteps;
    bySteps.step = 0.4f;
    bySteps.Update();
    bySteps.Update();
    EXPECT_EQ(bySteps.flags & Particle::kFlagDead, 0u);
    bySteps.Update();
    EXPECT_NE(bySteps.flags & Particle::kFlagDead, 0u);
}

TEST_F(EffectsTest, AParticleSeenInTheViewDiesWhenItLeavesIt) {
    Particle seen(0, 0, 10, 1, 100.0f);
    Particle never(0, 0, -10, 1, 100.0f);
    seen.Draw();
    never.Draw();
    EXPECT_EQ(seen.state, Particle::kStateSeen);
    EXPECT_EQ(canvas_.CallsOf("PlotPixel").size(), 1u);
    seen.position = {0.0f, 0.0f, -10.0f};
    seen.Draw();
    never.Draw();
    EXPECT_NE(seen.flags & Particle::kFlagDead, 0u);
    EXPECT_EQ(seen.life, 0.0f);
    EXPECT_EQ(never.flags & Particle::kFlagDead, 0u);   // never seen: lives on
}

TEST_F(EffectsTest, AGroupReusesADeadSlotFirstAndRefusesWhenFull) {
    int live = 0;
    {
        ParticleSystem group(6);
        group.SetMemberFactor(0.1f);
        group.origin = {1.0f, 0.0f, 0.0f};
        for (int i = 0; i < 6; ++i) group.AddParticle(new CountedParticle(&live));
        EXPECT_EQ(live, 6);
        EXPECT_EQ(group.members[2]->step, 0.1f);
        EXPECT_EQ(group.members[2]->position.x, 1.0f);
        group.AddParticle(new CountedParticle(&live));   // full of live particles
        EXPECT_EQ(live, 6);

        group.members[3]->flags |= Particle::kFlagDead;
        delete group.members[5];
        group.members[5] = nullptr;
        Particle* const newcomer = new CountedParticle(&live);
        group.AddParticle(newcomer);
        EXPECT_EQ(group.members[3], newcomer);
        EXPECT_EQ(group.members[5], nullptr);
        EXPECT_EQ(live, 5);   // the dead one went

        // Dead members are neither stepped nor drawn.
        group.members[0]->flags |= Particle::kFlagDead;
        const float before = group.members[0]->life;
        group.Update();
        group.Draw();
        EXPECT_EQ(group.members[0]->life, before);
        EXPECT_EQ(canvas_.CallsOf("PlotPixel").size(), 4u);

        EXPECT_EQ(group.SetCapacity(0), 1);
        EXPECT_EQ(group.members, nullptr);
        EXPECT_EQ(live, 0);
        group.Update();
        group.Draw();
        group.AddParticle(new CountedParticle(&live));
        EXPECT_EQ(live, 0);
    }
}

// A group that only its own adds, steps and draws change finds the first
// free slot without a walk, and it is the slot a walk from the start finds:
// twin groups, one filled each way, hold the same particles in the same
// slots as their members die of age or by leaving the view. A dead member
// made anew in its slot is kept, not deleted.
TEST_F(EffectsTest, TheFirstFreeSlotFollowsDeathsInStepsAndDraws) {
    ParticleSystem walked(12), noted(12);
    walked.SetMemberFactor(1.0f);
    noted.SetMemberFactor(1.0f);
    GameRandomSeed(35);
    uint32_t made = 0;
    const auto add = [&] {
        const int adds = int(GameRandom() % 4);
        for (int i = 0; i < adds; ++i, ++made) {
            const float life = float(1 + GameRandom() % 6);
            const float z = GameRandom() % 3 == 0 ? -10.0f : 10.0f;   // some never seen
            walked.AddParticle(new Particle(0.0f, 0.0f, z, made, life));
            const uint32_t slot = noted.FirstFreeSlot();
            Particle* reused = slot < noted.capacity ? noted.members[slot] : nullptr;
            if (reused != nullptr) {
                *reused = Particle(0.0f, 0.0f, z, made, life);
                noted.AddParticleAt(reused, slot);
                EXPECT_EQ(noted.members[slot], reused);
            } else {
                noted.AddParticleAt(new Particle(0.0f, 0.0f, z, made, life), slot);
            }
        }
    };
    for (int round = 0; round < 60; ++round) {
        add();
        // Seen particles pushed behind the camera die at their next draw.
        if (round % 4 == 3) {
            for (ParticleSystem* group : {&walked, &noted}) {
                for (uint32_t i = 0; i < group->capacity; i += 3) {
                    if (group->members[i] != nullptr) group->members[i]->position.z = -10.0f;
                }
            }
        }
        walked.Draw();
        noted.Draw();
        add();
        walked.Update();
        noted.Update();
        for (uint32_t i = 0; i < walked.capacity; ++i) {
            const Particle* a = walked.members[i];
            const Particle* b = noted.members[i];
            ASSERT_EQ(a == nullptr, b == nullptr) << "round " << round << " slot " << i;
            if (a == nullptr) continue;
            EXPECT_EQ(a->colour, b->colour) << "round " << round << " slot " << i;
            EXPECT_EQ(a->flags & Particle::kFlagDead, b->flags & Particle::kFlagDead);
        }
    }
    EXPECT_GT(made, 60u);
}

TEST_F(EffectsTest, TheSameSeedGivesTheSameStarsWhichTurnButNeverMoveWithTheCamera) {
    PointField a, b;
    RandomSeed(7, 11);
    ASSERT_EQ(a.Create(50, true), kStatusOk);
    RandomSeed(7, 11);
    ASSERT_EQ(b.Create(50, true), kStatusOk);
    std::set<uint32_t> levels;
    for (uint32_t i = 0; i < 50; ++i) {
        EXPECT_EQ(a.points[i].x, b.points[i].x);
        EXPECT_EQ(a.points[i].z, b.points[i].z);
        EXPECT_EQ(a.brightness[i], b.brightness[i]);
        levels.insert(a.brightness[i]);
    }
    for (const uint32_t level : levels) EXPECT_EQ(level % 32, 31u) << level;

    // Directions from the camera: moving it changes nothing, turning it does.
    // As the game makes its sky: pushed out to 1000 units.
    for (uint32_t i = 0; i < a.pointCount; ++i) {
        PointField::Point& p = a.points[i];
        const float scale = 1000.0f / std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
        p.x *= scale, p.y *= scale, p.z *= scale;
    }
    a.Draw();
    const auto here = Points();
    ASSERT_FALSE(here.empty());
    canvas_.ForgetCalls();
    camera_.SetPosition({500.0f, -300.0f, 40.0f});
    a.Draw();
    EXPECT_EQ(Points(), here);
    canvas_.ForgetCalls();
    camera_.RotateY(10.0f, Camera::kAllFlags);
    a.Draw();
    EXPECT_NE(Points(), here);
    for (const CanvasCall& call : canvas_.CallsOf("PlotPixel")) EXPECT_GT(call.screen[0].depth, 0.99f);
}

// Points placed in the world move on the screen as the camera moves; a
// field assigned from another shows the same points without owning them;
// a field too large for memory is refused whole.
TEST_F(EffectsTest, WorldPointsMoveWithTheCameraAndAnAssignedFieldBorrowsThem) {
    PointField field;
    ASSERT_EQ(field.Create(3, false), kStatusOk);
    field.flags |= PointField::kFlagWorldPoints;
    const float places[3][3] = {{0.0f, 0.0f, 10.0f}, {2.0f, 0.0f, 10.0f}, {0.0f, 4.0f, 20.0f}};
    for (int i = 0; i < 3; ++i) {
        field.points[i].x = places[i][0], field.points[i].y = places[i][1], field.points[i].z = places[i][2];
    }
    field.Draw();
    const auto here = Points();
    ASSERT_EQ(here.size(), 3u);
    EXPECT_NEAR(here[1].first, 60.0f, 1.0f);   // (2, 0, 10): 50 + 50 x 2 / 10
    EXPECT_NEAR(here[2].second, 40.0f, 1.0f);   // (0, 4, 20): 50 - 50 x 4 / 20
    canvas_.ForgetCalls();
    camera_.SetPosition({2.0f, 0.0f, 0.0f});   // a step to the right: the points go left
    field.Draw();
    const auto moved = Points();
    ASSERT_EQ(moved.size(), 3u);
    EXPECT_NEAR(moved[1].first, 50.0f, 1.0f);
    EXPECT_NEAR(moved[0].first, 40.0f, 1.0f);
    camera_.SetPosition({0.0f, 0.0f, 0.0f});

    {
        PointField copy;
        ASSERT_EQ(copy.Create(5, true), kStatusOk);   // its own, given up by the assignment
        copy = field;
        PointField& same = copy;
        copy = same;
        EXPECT_EQ(copy.points, field.points);
        EXPECT_EQ(copy.pointCount, 3u);
        EXPECT_EQ(copy.flags & PointField::kFlagOwnsPoints, 0u);
        canvas_.ForgetCalls();
        copy.Draw();
        EXPECT_EQ(Points(), here);
    }
    EXPECT_FLOAT_EQ(field.points[2].z, 20.0f);   // outlived the copy

    // Room for the points but not for their brightness: neither is kept.
    PointField crowd;
    EXPECT_EQ(crowd.Create(420 * 1024, true), 2);
    EXPECT_EQ(crowd.points, nullptr);
    EXPECT_EQ(crowd.pointCount, 0u);
}

TEST_F(EffectsTest, ABillboardFacesTheCameraWithItsCornersInOrder) {
    Billboard board;
    Material material;
    PixelImage picture;
    material.image = &picture;
    board.SetMaterial(&material);
    board.position = {0.0f, 0.0f, 10.0f};
    board.width = 4.0f;
    board.height = 2.0f;
    board.Draw();
    const std::vector<CanvasCall> fills = canvas_.CallsOf("FillPolygonTextured");
    ASSERT_EQ(fills.size(), 2u);
    const std::vector<ScreenVertex>& face = fills[0].screen;
    ASSERT_EQ(face.size(), 3u);
    // Corner 0 bottom left at (-2, -1, 10): screen (40, 55), texture (0.01, 0.99).
    EXPECT_NEAR(face[0].x, 40.0f, 1.0f);
    EXPECT_NEAR(face[0].y, 55.0f, 1.0f);
    EXPECT_NEAR(face[0].u, 0.01f, 1e-4f);
    EXPECT_NEAR(face[0].v, 0.99f, 1e-4f);
    EXPECT_NEAR(face[1].x, 60.0f, 1.0f);   // bottom right
    EXPECT_NEAR(face[2].y, 45.0f, 1.0f);   // top right
    EXPECT_NEAR(face[2].u, 0.99f, 1e-4f);
    EXPECT_NEAR(face[2].v, 0.01f, 1e-4f);

    // Translucent only with both a level below 255 and the mask's bit.
    canvas_.ForgetCalls();
    board.alpha = 128;
    board.renderMask &= ~0x800;
    board.Draw();
    EXPECT_EQ(canvas_.CallsOf("FillPolygonTextured").size(), 2u);
    board.renderMask |= 0x800;
    canvas_.ForgetCalls();
    board.Draw();
    camera_.EndFrame();
    EXPECT_EQ(canvas_.CallsOf("FillPolygonTexturedAlpha").size(), 2u);

    // Beyond the far plane: nothing; exactly at it: drawn.
    canvas_.ForgetCalls();
    board.alpha = 255;
    board.position.z = camera_.farZ * 1.01f;
    board.Draw();
    EXPECT_TRUE(canvas_.Calls().empty());

    // A bad size keeps the material; the sphere ignores the scale.
    EXPECT_EQ(board.CreateMaterial(nullptr, 0.0f, 5.0f, false, nullptr), 1);
    EXPECT_EQ(board.material, &material);
    board.width = 10.0f;
    board.height = 20.0f;
    board.scale = 3.0f;
    BoundingSphere sphere{};
    EXPECT_EQ(board.GetBoundingSphere(&sphere), 0);
    EXPECT_EQ(sphere.radius, 20.0f);
    board.SetMaterial(nullptr);
    EXPECT_EQ(board.material, &material);
    material.image = nullptr;
}

// A billboard made from a bitmap owns the picture it made; a copy borrows
// it and goes without taking it along. A bitmap with no pixels to take
// makes no picture.
TEST_F(EffectsTest, ABillboardOwnsThePictureItMadeAndACopyBorrowsIt) {
    Bitmap bitmap;
    ASSERT_EQ(bitmap.Create(16, 16, Bitmap::kDepth8Bit, true), kStatusOk);
    const std::unique_ptr<Palette> palette = MakeDistinctPalette(kPixelFormatIndexed8);
    Billboard board;
    ASSERT_EQ(board.CreateMaterial(&bitmap, 4.0f, 2.0f, false, palette.get()), kStatusOk);
    ASSERT_NE(board.material, nullptr);
    EXPECT_EQ(board.material->kind, Material::kKindBitmap);
    EXPECT_NE(board.flags & Billboard::kFlagOwnsMaterial, 0u);
    EXPECT_FLOAT_EQ(board.width, 4.0f);
    board.position = {0.0f, 0.0f, 10.0f};
    {
        Billboard copy;
        copy = board;
        Billboard& same = copy;
        copy = same;
        EXPECT_EQ(copy.material, board.material);
        EXPECT_EQ(copy.flags & Billboard::kFlagOwnsMaterial, 0u);
        EXPECT_FLOAT_EQ(copy.position.z, 10.0f);
        EXPECT_FLOAT_EQ(copy.height, 2.0f);
        copy.Draw();
        const std::vector<CanvasCall> fills = canvas_.CallsOf("FillPolygonTextured");
        ASSERT_EQ(fills.size(), 2u);
    }
    canvas_.ForgetCalls();
    board.Draw();   // the picture outlived the copy
    EXPECT_EQ(canvas_.CallsOf("FillPolygonTextured").size(), 2u);

    Bitmap hollow;
    hollow.width = hollow.height = 16;
    hollow.bytesPerPixel = Bitmap::kDepth8Bit;
    EXPECT_EQ(board.CreateMaterial(&hollow, 4.0f, 2.0f, false, palette.get()), kStatusMaterialLockFailed);
    EXPECT_EQ(board.material->image, nullptr);
}

// The quad turns with its roll and with the world's up as the camera sees
// it; looking straight down, where the world's up gives no direction on the
// screen, it stands upright.
TEST_F(EffectsTest, ABillboardTurnsWithItsRollAndStandsUprightSeenFromAbove) {
    Billboard board;
    Material material;
    PixelImage picture;
    material.image = &picture;
    board.SetMaterial(&material);
    board.position = {0.0f, 0.0f, 10.0f};
    board.width = 4.0f;
    board.height = 2.0f;
    // The screen extent of the quad drawn: width and height.
    const auto extent = [&] {
        canvas_.ForgetCalls();
        board.Draw();
        float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
        for (const CanvasCall& call : canvas_.Calls()) {
            for (const ScreenVertex& v : call.screen) {
                x0 = std::min(x0, v.x), x1 = std::max(x1, v.x), y0 = std::min(y0, v.y), y1 = std::max(y1, v.y);
            }
        }
        return std::pair<float, float>{x1 - x0, y1 - y0};
    };
    const auto upright = extent();
    EXPECT_NEAR(upright.first, 20.0f, 1.0f);
    EXPECT_NEAR(upright.second, 10.0f, 1.0f);
    board.angle = 90.0f;
    const auto rolled = extent();
    EXPECT_NEAR(rolled.first, 10.0f, 1.0f);
    EXPECT_NEAR(rolled.second, 20.0f, 1.0f);
    board.angle = 0.0f;

    // Above the board, looking down at it.
    camera_.SetOrientation({0.0f, 0.0f, 1.0f}, {0.0f, -1.0f, 0.0f}, Camera::kAllFlags);
    camera_.SetPosition({0.0f, 10.0f, 0.0f});
    board.position = {0.0f, 0.0f, 0.0f};
    const auto fromAbove = extent();
    EXPECT_NEAR(fromAbove.first, 20.0f, 1.0f);
    EXPECT_NEAR(fromAbove.second, 10.0f, 1.0f);
    material.image = nullptr;
}

// Lit in world space, the billboard is one face turned to the camera: the
// chain's ambient level reaches its corners. A direction billboard behind
// the camera fills nothing.
TEST_F(EffectsTest, ABillboardIsLitAsAFaceTurnedToTheCamera) {
    Billboard board;
    Material material;
    PixelImage picture;
    material.image = &picture;
    board.SetMaterial(&material);
    board.position = {0.0f, 0.0f, 10.0f};
    board.width = board.height = 2.0f;
    // A palette whose shades have their full level at 240.
    const std::unique_ptr<Palette> palette = MakeDistinctPalette(kPixelFormatIndexed8);
    ShadeTable shades;
    shades.pivot = 240;
    ShadeTable* const own = palette->SwapShades(&shades);
    canvas_.palette = palette.get();
    Light ambient;
    ambient.intensity = 51;   // a fifth of the full level
    view_.lights = &ambient;
    board.Draw();
    std::vector<CanvasCall> fills = canvas_.CallsOf("FillPolygonTextured");
    ASSERT_EQ(fills.size(), 2u);
    const int32_t full = 240;
    for (const ScreenVertex& v : fills[0].screen) EXPECT_NEAR(v.intensity, full / 5, 1.0f);
    ambient.intensity = 255;
    canvas_.ForgetCalls();
    board.Draw();
    fills = canvas_.CallsOf("FillPolygonTextured");
    ASSERT_EQ(fills.size(), 2u);
    EXPECT_NEAR(fills[0].screen[0].intensity, full, 1.0f);
    view_.lights = nullptr;
    canvas_.palette = nullptr;
    palette->SwapShades(own);

    board.flags |= Billboard::kFlagDirection;
    board.position = {0.0f, 0.0f, -1.0f};
    canvas_.ForgetCalls();
    board.Draw();
    EXPECT_EQ(canvas_.CountOf("FillPolygonTextured"), 0u);
    material.image = nullptr;
}

}  // namespace
