#include "scene/Light.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "display/Palette.h"
#include "display/PixelFormat.h"
#include "engine/MathRoutineTable.h"
#include "scene/Camera.h"
#include "scene/Model.h"
#include "scene/RenderVertex.h"
#include "scene/Transform.h"
#include "scene/ViewContext.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/RecordingCanvas.h"
#include "tests/support/ScopedEngineHeap.h"
#include "tests/support/TempDir.h"

namespace {

constexpr uint32_t kObjectSpace = 0x8000;
constexpr float kPi = 3.14159265f;

MeshVertex At(float x, float y, float z, float nx, float ny, float nz) { return {x, y, z, 0.0f, nx, ny, nz, 0.0f}; }

// Lights vertices under a camera whose canvas palette has its shade pivot
// at level 240, the software canvases' full brightness.
class LightTest : public ::testing::Test {
protected:
    void SetUp() override {
        palette_.reset(Palette::Create(kPixelFormatIndexed8));
        ASSERT_NE(palette_, nullptr);
        shades_.pivot = 240;
        displaced_ = palette_->SwapShades(&shades_);
        canvas_ = std::make_unique<RecordingCanvas>(100, 100, palette_.get());
        camera_.SetCanvas(canvas_.get());
        view_.camera = &camera_;
        PushViewContext(&view_);
    }
    void TearDown() override {
        MathRoutineTable::InstallX87();
        PopViewContext(&view_);
        palette_->SwapShades(displaced_);
    }

    // The chain's result for one vertex, after preparing it for `placement`.
    static int32_t Lit(Light& chain, const MeshVertex& point, int32_t twoSided = 0,
                       const Transform* placement = nullptr, bool alt = false) {
        chain.Prepare(placement);
        RenderVertex vertex;
        vertex.intensity = 0;
        if (alt) {
            chain.LightVertexAlt(point, vertex, twoSided);
        } else {
            chain.LightVertex(point, vertex, twoSided);
        }
        return vertex.intensity;
    }

    const ScopedEngineHeap heap_{4 * 1024 * 1024};
    std::unique_ptr<Palette> palette_;
    ShadeTable shades_;
    ShadeTable* displaced_ = nullptr;
    std::unique_ptr<RecordingCanvas> canvas_;
    Camera camera_;
    ViewContext view_;
};

TEST_F(LightTest, AmbientLevelsFollowThePaletteAndClampAtTheEnds) {
    Light ambient;
    ambient.intensity = 255;
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 240);
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1), 0, nullptr, true), Light::kAltFullLevel);
    // A second light past full brightness is clamped by the last one.
    Light second;
    second.intensity = 128;
    second.InsertAfter(&ambient);
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 240);
    second.Unlink();
    ambient.flags |= Light::kFlagNegative;
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 0);
    // Switched off, it adds nothing; the chain still clamps.
    ambient.flags = Light::kFlagOff;
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 0);
}

TEST_F(LightTest, PrepareWithoutAPaletteKeepsThePreviousFullLevel) {
    Light ambient;
    ambient.intensity = 255;
    ASSERT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 240);
    PopViewContext(&view_);
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 240);
    PushViewContext(&view_);
    palette_->SwapShades(nullptr);
    EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, 0, 1)), 240);
    palette_->SwapShades(&shades_);
}

TEST_F(LightTest, VectorLightsShineOnTheFacesTurnedToThem) {
    // Light travelling down -z: it reaches faces whose normal points +z.
    VectorLight light(Vector3{0.0f, 0.0f, -1.0f});
    const float c60 = std::cos(60.0f * kPi / 180.0f), s60 = std::sin(60.0f * kPi / 180.0f);
    struct Case {
        const char* what;
        MeshVertex point;
        int32_t twoSided;
        int32_t expected;
    } const cases[] = {
        {"facing", At(0, 0, 0, 0, 0, 1), 0, 240},
        {"sixty degrees off", At(0, 0, 0, s60, 0, c60), 0, 120},
        {"edge on", At(0, 0, 0, 1, 0, 0), 0, 0},
        {"turned away", At(0, 0, 0, 0, 0, -1), 0, 0},
        {"turned away, two-sided", At(0, 0, 0, 0, 0, -1), 1, 240},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(Lit(light, c.point, c.twoSided), c.expected, 1) << c.what;
    }
}

TEST_F(LightTest, AttenuationFallsFromTheInnerToTheOuterRange) {
    // Inner range 30, outer 200: half at 115, nothing from 200 on, and
    // nothing at the light itself where there is no direction.
    struct Case {
        float distance;
        int32_t expected;
    } const cases[] = {{20.0f, 240}, {115.0f, 120}, {199.0f, 1}, {200.0f, 0}, {250.0f, 0}, {0.0f, 0}};
    for (const Case& c : cases) {
        const MeshVertex point = At(0, 0, 0, 0, 0, 1);
        FrameAttenuatedLight frame(Vector3{0.0f, 0.0f, c.distance}, 30.0f, 200.0f);
        AttenuatedLight perVertex(Vector3{0.0f, 0.0f, c.distance}, 30.0f, 200.0f);
        Transform origin;
        EXPECT_NEAR(Lit(frame, point, 0, &origin), c.expected, 1) << "frame light at " << c.distance;
        EXPECT_NEAR(Lit(perVertex, point), c.expected, 1) << "vertex light at " << c.distance;
    }
}

TEST_F(LightTest, SpotsEndAtTheirOuterAngle) {
    // A spot 10 units above the vertex pointing straight down, cone 44 to
    // 45 degrees; the vertex faces the light. Moving the vertex sideways
    // turns the angle between the spot's axis and the vertex.
    const auto lit = [&](float degrees, bool frame) {
        const float side = 10.0f * std::tan(degrees * kPi / 180.0f);
        const Vector3 position{side, 10.0f, 0.0f};
        const Vector3 down{0.0f, -1.0f, 0.0f};
        // The normal points at the light so that only the cone decides.
        const float length = std::sqrt(side * side + 100.0f);
        const MeshVertex point = At(0, 0, 0, side / length, 10.0f / length, 0);
        if (frame) {
            FrameSpotLight light(position, 1000.0f, 2000.0f, down, 44.0f, 45.0f);
            Transform origin;
            return Lit(light, point, 0, &origin);
        }
        SpotLight light(position, 1000.0f, 2000.0f, down, 44.0f, 45.0f);
        return Lit(light, point);
    };
    for (const bool frame : {true, false}) {
        EXPECT_EQ(lit(0.0f, frame), 240) << frame;
        EXPECT_EQ(lit(43.0f, frame), 240) << frame;
        EXPECT_NEAR(lit(44.5f, frame), 120, 6) << frame;
        EXPECT_EQ(lit(45.0f, frame), 0) << frame;
        EXPECT_EQ(lit(60.0f, frame), 0) << frame;
    }
}

TEST_F(LightTest, ObjectSpaceLightingMatchesWorldSpaceLighting) {
    // An object moved and turned: lighting its vertex in its own space must
    // give what lighting the same vertex carried into the world gives.
    Transform placement;
    placement.RotateY(35.0f, Transform::kAllFlags);
    placement.RotateX(-20.0f, Transform::kAllFlags);
    placement.SetPositionXyz(3.0f, -2.0f, 5.0f, Transform::kAllFlags);
    const MeshVertex local = At(0.5f, 1.0f, -0.5f, 0.0f, 0.6f, 0.8f);
    Vector3 p{local.x, local.y, local.z}, n{local.nx, local.ny, local.nz}, wp, wn;
    g_mathRoutineTable.transformPoint(&p, &placement.matrix, &wp);
    g_mathRoutineTable.transformVector(&n, &placement.matrix, &wn);
    const MeshVertex inWorld = At(wp.x, wp.y, wp.z, wn.x, wn.y, wn.z);

    const Vector3 where{8.0f, 9.0f, 4.0f};
    const Vector3 down{-0.5f, -1.0f, 0.1f};
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Light>()> make;
    } const cases[] = {
        {"vector", [] { return std::make_unique<VectorLight>(Vector3{-0.3f, -0.8f, -0.4f}); }},
        {"frame point", [&] { return std::make_unique<FramePointLight>(where); }},
        {"frame attenuated", [&] { return std::make_unique<FrameAttenuatedLight>(where, 2.0f, 30.0f); }},
        {"frame spot", [&] { return std::make_unique<FrameSpotLight>(where, 2.0f, 30.0f, down, 30.0f, 60.0f); }},
        {"point", [&] { return std::make_unique<PointLight>(where); }},
        {"attenuated", [&] { return std::make_unique<AttenuatedLight>(where, 2.0f, 30.0f); }},
        {"spot", [&] { return std::make_unique<SpotLight>(where, 2.0f, 30.0f, down, 30.0f, 60.0f); }},
    };
    for (const Case& c : cases) {
        const std::unique_ptr<Light> light = c.make();
        light->intensity = 200;
        camera_.flags = 0;
        const int32_t world = Lit(*light, inWorld, 0, &placement);
        camera_.flags = kObjectSpace;
        const int32_t object = Lit(*light, local, 0, &placement);
        EXPECT_NEAR(object, world, 1) << c.what;
        EXPECT_GT(world, 10) << c.what << ": the case must light the vertex to mean anything";
    }
}

// The chain's result for one vertex when `change` runs between the
// preparation and the walk.
int32_t LitAfter(const std::function<void()>& change, Light& chain, const MeshVertex& point,
                 const Transform* placement, bool alt = false) {
    chain.Prepare(placement);
    change();
    RenderVertex vertex;
    vertex.intensity = 0;
    if (alt) {
        chain.LightVertexAlt(point, vertex, 0);
    } else {
        chain.LightVertex(point, vertex, 0);
    }
    return vertex.intensity;
}

// A battle's chain: a dim ambient light, a flash at each of a row of ships
// (one in four on) and a bolt. Dark or distant lights are passed over, but a
// vertex must get what a chain of only the lights that reach it gives,
// following every switch and link made between frames, and a light taken out
// after the preparation must not lead the walk astray.
TEST_F(LightTest, AWalkPassingOverDarkLightsFollowsEverySwitchAndLink) {
    camera_.flags = 0;   // world space: the vertices below are world points
    Light ambient;
    ambient.intensity = 20;
    std::vector<std::unique_ptr<FrameAttenuatedLight>> flashes;
    Light* last = &ambient;
    for (int i = 0; i < 40; ++i) {
        flashes.push_back(std::make_unique<FrameAttenuatedLight>(Vector3{10.0f * float(i), 0.0f, 0.0f}, 0.0f, 8.0f));
        flashes.back()->intensity = 90;
        if (i % 4 != 0) flashes.back()->flags |= Light::kFlagOff;
        flashes.back()->InsertAfter(last);
        last = flashes.back().get();
    }
    AttenuatedLight bolt(Vector3{41.0f, 30.0f, 0.0f}, 0.0f, 5.0f);
    bolt.intensity = 90;
    bolt.InsertAfter(last);
    // A ship at x = 40 under the flash there; the bolt far above it.
    Transform ship;
    ship.SetPositionXyz(40.0f, -4.0f, 0.0f, Transform::kAllFlags);
    const MeshVertex belly = At(40.0f, -4.0f, 0.0f, 0.0f, 1.0f, 0.0f);

    // The same vertex under a chain of fresh, lit copies of the given lights alone.
    const auto alone = [&](std::vector<const Light*> lights, bool alt = false) {
        Light head;
        head.intensity = ambient.intensity;
        std::vector<std::unique_ptr<Light>> copies;
        for (const Light* light : lights) {
            if (const auto* flash = dynamic_cast<const FrameAttenuatedLight*>(light)) {
                copies.push_back(std::make_unique<FrameAttenuatedLight>(flash->position, flash->innerRange, flash->outerRange));
            } else {
                const auto* point = dynamic_cast<const AttenuatedLight*>(light);
                copies.push_back(std::make_unique<AttenuatedLight>(point->position, point->innerRange, point->outerRange));
            }
            copies.back()->intensity = light->intensity;
            copies.back()->InsertAfter(copies.size() == 1 ? &head : copies[copies.size() - 2].get());
        }
        return Lit(head, belly, 0, &ship, alt);
    };
    // Twice in a frame (the second walk takes the passed-over runs the first
    // found), and once outside any frame.
    const auto lit = [&](bool alt = false) {
        Light::BeginDrawing();
        const int32_t first = Lit(ambient, belly, 0, &ship, alt);
        EXPECT_EQ(Lit(ambient, belly, 0, &ship, alt), first);
        Light::EndDrawing();
        EXPECT_EQ(Lit(ambient, belly, 0, &ship, alt), first);
        return first;
    };
    // The expectations are worked out first: making the copies links lights,
    // and links made between frames would hide a stale pass-over.
    flashes[6]->position = {40.0f, 2.0f, 0.0f};
    const int32_t byFlash = alone({flashes[4].get()});
    const int32_t byOther = alone({flashes[6].get()});
    const int32_t byFlashAlt = alone({flashes[4].get()}, true);
    EXPECT_GT(byFlash, alone({}));

    const int32_t flashed = lit();
    EXPECT_EQ(flashed, byFlash);
    // Between frames the flash goes off and another, come close, comes on;
    // then the flash comes back, for the other lighting too.
    flashes[4]->flags |= Light::kFlagOff;
    flashes[6]->flags &= ~Light::kFlagOff;
    EXPECT_EQ(lit(), byOther);
    flashes[6]->flags |= Light::kFlagOff;
    flashes[4]->flags &= ~Light::kFlagOff;
    EXPECT_EQ(lit(true), byFlashAlt);

    // The bolt comes close, and a new flash above the ship is linked in
    // before it: both add their shares.
    bolt.position = {40.0f, -2.0f, 0.0f};
    FrameAttenuatedLight late(Vector3{40.0f, 4.0f, 0.0f}, 0.0f, 16.0f);
    late.intensity = 60;
    late.InsertAfter(flashes.back().get());
    const int32_t crowded = lit();
    EXPECT_EQ(crowded, alone({flashes[4].get(), &late, &bolt}));
    EXPECT_GT(crowded, alone({flashes[4].get(), &late}));
    EXPECT_GT(alone({flashes[4].get(), &late}), flashed);

    // The flash taken out and freed after the preparation is never visited.
    Light::BeginDrawing();
    const int32_t unlinked = LitAfter([&] { flashes[4]->Unlink(), flashes[4].reset(); }, ambient, belly, &ship);
    Light::EndDrawing();
    EXPECT_EQ(unlinked, alone({&late, &bolt}));
}

// A frame light behind another (and not the chain's last) is judged out of
// reach from its world place before its offset is worked out; first in the
// chain it is not. Both must light alike at the edge of the range: for an
// object turned and scaled, for a thin one whose inverse no longer fits its
// matrix, and for one whose inverse's translation slipped.
TEST_F(LightTest, AFrameLightOutOfReachIsJudgedAsItsOffsetWouldJudgeIt) {
    std::vector<Transform> placements(3);
    placements[0].RotateY(0.7f, Transform::kAllFlags);
    placements[0].Scale(2.5f, Transform::kAllFlags);
    placements[0].SetPositionXyz(-3.0f, 4.0f, 8.0f, Transform::kAllFlags);
    for (size_t t = 1; t < 3; ++t) {
        placements[t].matrix.rows[1][1] = placements[t].matrix.rows[2][2] = 0.01f;
        placements[t].inverse.rows[1][1] = placements[t].inverse.rows[2][2] = 100.0f;
    }
    placements[1].inverse.rows[0][0] = 0.8f;                            // a stale inverse
    placements[2].inverse.rows[Matrix34::kTranslationRow][0] = -10.0f;   // a slipped one
    const MeshVertex ahead = At(0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    int lit = 0, dark = 0;
    for (const uint32_t space : {0u, kObjectSpace}) {
        camera_.flags = space;
        for (size_t t = 0; t < placements.size(); ++t) {
            Vector3 origin;
            placements[t].matrix.GetTranslation(&origin);
            for (int step = -80; step <= 160; ++step) {
                const Vector3 at{origin.x + 0.5f * float(step), origin.y, origin.z};
                FrameAttenuatedLight alone(at, 0.0f, 20.0f), behind(at, 0.0f, 20.0f);
                Light ambient, tail;
                ambient.intensity = tail.intensity = 0;
                behind.InsertAfter(&ambient);
                tail.InsertAfter(&behind);
                const int32_t first = Lit(alone, ahead, 1, &placements[t]);
                EXPECT_EQ(Lit(ambient, ahead, 1, &placements[t]), first) << space << " " << t << " " << step;
                (first > 0 ? lit : dark) += 1;
            }
        }
    }
    EXPECT_GT(lit, 300);
    EXPECT_GT(dark, 300);
}

// Many small lights, each reaching the objects beside it: each object is lit
// by those alone, in a frame or not, also right after another object lit by
// other lights and when a link changes between the preparation and the walk.
TEST_F(LightTest, ACrowdOfSmallLightsLightsEachObjectOnlyFromThoseThatReachIt) {
    Light ambient;
    ambient.intensity = 0;
    std::vector<std::unique_ptr<FrameAttenuatedLight>> crowd;
    for (int i = 0; i < 12; ++i) {
        crowd.push_back(std::make_unique<FrameAttenuatedLight>(Vector3{100.0f * float(i), 0.0f, 0.0f}, 0.0f, 30.0f));
        crowd.back()->InsertAfter(i == 0 ? &ambient : crowd[size_t(i) - 1].get());
    }
    const MeshVertex facing = At(0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    for (const bool inFrame : {false, true}) {
        for (const uint32_t space : {0u, kObjectSpace}) {
            camera_.flags = space;
            if (inFrame) Light::BeginDrawing();
            for (const int near : {3, 5, 0, 11, 5}) {
                Transform placement;
                placement.SetPositionXyz(100.0f * float(near) - 10.0f, 0.0f, 0.0f, Transform::kAllFlags);
                FrameAttenuatedLight alone(Vector3{100.0f * float(near), 0.0f, 0.0f}, 0.0f, 30.0f);
                const int32_t expected = Lit(alone, facing, 0, &placement);
                ASSERT_GT(expected, 0);
                EXPECT_EQ(Lit(ambient, facing, 0, &placement), expected) << near;
                Light spare;
                const auto relink = [&] { spare.InsertAfter(crowd.back().get()), spare.Unlink(); };
                EXPECT_EQ(LitAfter(relink, ambient, facing, &placement), expected) << near << " after a link changed";
            }
            if (inFrame) Light::EndDrawing();
        }
    }
}

// In a frame each object's preparation judges the chain's lights from
// their world places as the frame found them, and its vertices take the
// shares copied for its first: a flash moved between frames lights the ship
// it came to in the next, and one switched off between two vertices outside
// a frame adds nothing to the second.
TEST_F(LightTest, LightsMovedOrSwitchedAreSeenByTheNextFrameOrVertex) {
    camera_.flags = kObjectSpace;
    Light ambient, tail;
    ambient.intensity = tail.intensity = 0;
    FrameAttenuatedLight flash(Vector3{500.0f, 0.0f, 0.0f}, 0.0f, 20.0f);
    flash.InsertAfter(&ambient);
    tail.InsertAfter(&flash);
    Transform ship;
    ship.SetPositionXyz(10.0f, 0.0f, 0.0f, Transform::kAllFlags);
    const MeshVertex side = At(0.0f, 0.0f, 0.0f, -1.0f, 0.0f, 0.0f);
    // Worked out first: linking or freeing lights between the frames would
    // hide a stale judgement.
    FrameAttenuatedLight alone(Vector3{0.0f, 0.0f, 0.0f}, 0.0f, 20.0f);
    const int32_t near = Lit(alone, side, 0, &ship);
    ASSERT_GT(near, 0);

    Light::BeginDrawing();
    EXPECT_EQ(Lit(ambient, side, 0, &ship), 0);
    Light::EndDrawing();
    flash.position = {0.0f, 0.0f, 0.0f};
    Light::BeginDrawing();
    EXPECT_EQ(Lit(ambient, side, 0, &ship), near);
    Light::EndDrawing();

    ambient.Prepare(&ship);
    RenderVertex first, second;
    ambient.LightVertex(side, first, 0);
    flash.flags |= Light::kFlagOff;
    ambient.LightVertex(side, second, 0);
    EXPECT_EQ(first.intensity, near);
    EXPECT_EQ(second.intensity, 0);
}

// A vector light shines from its direction as each object sees it, whatever
// it was prepared for before: another turn, another space, another
// direction, another form of the math.
TEST_F(LightTest, AVectorLightShinesAsEachObjectTurnsAndAfterEveryChange) {
    Transform moved, turned;
    moved.SetPositionXyz(30.0f, -5.0f, 2.0f, Transform::kAllFlags);
    turned.RotateY(0.9f, Transform::kAllFlags);
    const MeshVertex slanted = At(0.0f, 0.0f, 0.0f, 0.6f, 0.48f, 0.64f);
    VectorLight sun(Vector3{1.0f, -2.0f, -0.5f});
    // The space, the placement, whether the sun turns, whether the other math.
    const std::tuple<uint32_t, const Transform*, bool, bool> steps[] = {
        {kObjectSpace, &moved, false, false}, {kObjectSpace, &moved, false, false}, {kObjectSpace, &turned, false, false},
        {0, &turned, false, false},           {0, &moved, false, false},            {0, &moved, true, false},
        {kObjectSpace, &turned, false, true}, {kObjectSpace, &turned, false, false}, {kObjectSpace, nullptr, true, false},
    };
    for (size_t k = 0; k < std::size(steps); ++k) {
        const auto& [space, placement, turnSun, otherMath] = steps[k];
        camera_.flags = space;
        if (turnSun) sun.direction = {sun.direction.z, sun.direction.x, sun.direction.y};
        otherMath ? MathRoutineTable::Install3dNow() : MathRoutineTable::InstallX87();
        VectorLight fresh;
        fresh.direction = sun.direction;
        EXPECT_EQ(Lit(sun, slanted, 1, placement), Lit(fresh, slanted, 1, placement)) << k;
    }
}

// A battle's chain of every kind, its flashes of every shape (past their
// range, at the object itself, inner past outer, without attenuation,
// negative, off): in a frame, each object, turned, scaled or only moved, gets
// at each vertex what it gets outside one, under either form of the math.
TEST_F(LightTest, InAFrameEachObjectIsLitAsOutsideOne) {
    std::mt19937 random(85);
    const auto uniform = [&random](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    const auto place = [&] { return Vector3{uniform(-100, 100), uniform(-100, 100), uniform(-100, 100)}; };
    std::vector<Transform> objects(24);
    for (size_t i = 0; i < objects.size(); ++i) {
        if (i % 3 == 1) objects[i].RotateY(uniform(-3, 3), Transform::kAllFlags);
        if (i % 3 == 2) objects[i].Scale(uniform(0.5f, 3.0f), Transform::kAllFlags);
        const Vector3 at = place();
        objects[i].SetPositionXyz(at.x, at.y, at.z, Transform::kAllFlags);
    }
    Light ambient;
    ambient.intensity = 12;
    std::vector<std::unique_ptr<Light>> chain;
    const auto link = [&](Light* light) {
        light->intensity = uint8_t(uniform(10, 200));
        light->InsertAfter(chain.empty() ? &ambient : chain.back().get());
        chain.emplace_back(light);
    };
    for (int i = 0; i < 90; ++i) {
        const float inner = uniform(0, 40);
        auto* const flash = new FrameAttenuatedLight(place(), inner, i % 11 == 3 ? inner - 5.0f : uniform(-5, 90));
        // At an object's place, or right at the outer range from it.
        const auto& at = objects[size_t(i) % objects.size()].matrix.rows[3];
        if (i % 13 == 0) flash->position = {at[0], at[1], at[2]};
        if (i % 17 == 6) flash->position = {at[0] + flash->outerRange, at[1], at[2]};
        if (i % 7 == 2) flash->flags &= ~Light::kFlagAttenuate;
        if (i % 9 == 4) flash->flags |= Light::kFlagNegative;
        if (i % 5 == 1) flash->flags |= Light::kFlagOff;
        link(flash);
        if (i % 23 == 5) link(new FrameSpotLight(place(), 0.0f, 80.0f, place(), 20.0f, 50.0f));
        if (i % 29 == 7) link(new AttenuatedLight(place(), 10.0f, 60.0f));
        if (i % 31 == 9) link(new VectorLight(place()));
        if (i % 37 == 11) link(new FramePointLight(place()));
    }
    std::vector<MeshVertex> points;
    for (int i = 0; i < 5; ++i) {
        Vector3 normal = place();
        g_mathRoutineTable.normalizeVector(&normal);
        points.push_back(At(uniform(-3, 3), uniform(-3, 3), uniform(-3, 3), normal.x, normal.y, normal.z));
    }
    // Every other object's walk comes after a link changed, down every light
    // as it stands: those passed over must add nothing.
    Light spare;
    spare.intensity = 0;
    const auto lightAll = [&](std::vector<int32_t>* out) {
        for (const Transform& object : objects) {
            ambient.Prepare(&object);
            if ((&object - objects.data()) % 2 == 1) spare.InsertAfter(chain.back().get()), spare.Unlink();
            for (const MeshVertex& point : points) {
                for (const int32_t twoSided : {0, 1}) {
                    RenderVertex vertex, alt;
                    vertex.intensity = alt.intensity = 0;
                    ambient.LightVertex(point, vertex, twoSided);
                    ambient.LightVertexAlt(point, alt, twoSided);
                    out->push_back(vertex.intensity);
                    out->push_back(alt.intensity);
                }
            }
        }
    };
    for (const bool x87 : {true, false}) {
        x87 ? MathRoutineTable::InstallX87() : MathRoutineTable::Install3dNow();
        for (const uint32_t space : {0u, kObjectSpace}) {
            camera_.flags = space;
            std::vector<int32_t> outside, inside;
            lightAll(&outside);
            Light::BeginDrawing();
            lightAll(&inside);
            Light::EndDrawing();
            EXPECT_EQ(inside, outside) << x87 << " " << space;
            EXPECT_GT(std::count_if(outside.begin(), outside.end(), [](int32_t v) { return v > 40; }), 100);
        }
    }
}

// A sprite's one vertex, lit without the chain's preparation, takes what the
// prepared chain gives it under a battle's chain of the kinds the lone
// lighting knows (off, negative, unattenuated, at the sprite, past their
// range, the last one off); another kind, or no frame, is left to the
// preparation.
TEST_F(LightTest, ALoneVertexIsLitAsThePreparedChainLightsIt) {
    std::mt19937 random(103);
    const auto uniform = [&random](float low, float high) {
        return std::uniform_real_distribution<float>(low, high)(random);
    };
    const auto place = [&] { return Vector3{uniform(-100, 100), uniform(-100, 100), uniform(-100, 100)}; };
    std::vector<Transform> sprites(30);
    for (Transform& sprite : sprites) {
        const Vector3 at = place();
        sprite.SetPosition(&at, Transform::kAllFlags);
    }
    sprites[1].RotateY(40.0f, Transform::kAllFlags);
    Light ambient;
    ambient.intensity = 20;
    std::vector<std::unique_ptr<Light>> chain;
    for (int i = 0; i < 60; ++i) {
        const float inner = uniform(0, 30);
        auto* const flash = new FrameAttenuatedLight(place(), inner, i % 11 == 3 ? inner - 5.0f : uniform(-5, 90));
        if (i % 13 == 0) sprites[size_t(i) % sprites.size()].matrix.GetTranslation(&flash->position);
        flash->flags ^= (i % 7 == 2 ? Light::kFlagAttenuate : 0) | (i % 9 == 4 ? Light::kFlagNegative : 0) |
                        (i % 5 == 1 ? Light::kFlagOff : 0);
        chain.emplace_back(flash);
        if (i % 17 == 5) chain.emplace_back(new VectorLight(place()));
        if (i % 19 == 7) chain.emplace_back(new FramePointLight(place()));
    }
    for (size_t i = 0; i < chain.size(); ++i) {
        chain[i]->intensity = uint8_t(uniform(10, 120));
        chain[i]->InsertAfter(i == 0 ? &ambient : chain[i - 1].get());
    }
    chain.back()->flags |= Light::kFlagOff;
    const MeshVertex point = At(0.0f, 0.0f, 0.0f, 0.6f, 0.0f, -0.8f);
    for (const bool x87 : {true, false}) {
        x87 ? MathRoutineTable::InstallX87() : MathRoutineTable::Install3dNow();
        for (const uint32_t space : {0u, kObjectSpace}) {
            camera_.flags = space;
            Light::BeginDrawing();
            int lit = 0;
            for (const Transform& sprite : sprites) {
                for (const int32_t twoSided : {0, 1}) {
                    RenderVertex lone;
                    lone.intensity = 0;
                    ASSERT_TRUE(ambient.LightLoneVertex(&sprite, point, lone, twoSided));
                    EXPECT_EQ(lone.intensity, Lit(ambient, point, twoSided, &sprite)) << x87 << " " << space;
                    lit += lone.intensity > 40;
                }
            }
            Light::EndDrawing();
            EXPECT_GT(lit, 10);
        }
    }
    RenderVertex untouched;
    untouched.intensity = 7;
    EXPECT_FALSE(ambient.LightLoneVertex(&sprites[0], point, untouched, 1)) << "outside a frame";
    PointLight bulb(Vector3{0.0f, 0.0f, 0.0f});
    bulb.InsertAfter(chain.front().get());
    Light::BeginDrawing();
    EXPECT_FALSE(ambient.LightLoneVertex(&sprites[0], point, untouched, 1)) << "a point light in the chain";
    Light::EndDrawing();
    EXPECT_EQ(untouched.intensity, 7);

    // One ranged light, the sprite between its inner and outer range: the
    // lone vertex fades with the distance as the prepared chain does, dim far
    // out and bright near in.
    Light alone;
    alone.intensity = 0;
    FrameAttenuatedLight flash(Vector3{0.0f, 0.0f, 0.0f}, 10.0f, 200.0f);
    flash.intensity = 200;
    flash.InsertAfter(&alone);
    const MeshVertex facing = At(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -1.0f);
    camera_.flags = 0;
    std::vector<int32_t> levels;
    for (const float away : {40.0f, 120.0f, 180.0f}) {
        Transform sprite;
        sprite.SetPositionXyz(0.0f, 0.0f, away, Transform::kAllFlags);
        Light::BeginDrawing();
        RenderVertex lone;
        lone.intensity = 0;
        ASSERT_TRUE(alone.LightLoneVertex(&sprite, facing, lone, 0));
        Light::EndDrawing();
        EXPECT_EQ(lone.intensity, Lit(alone, facing, 0, &sprite)) << away;
        levels.push_back(lone.intensity);
    }
    EXPECT_GT(levels[0], levels[1]);
    EXPECT_GT(levels[1], levels[2]);
}

// A row of frame lights adds each share, hands on to every other kind between
// and after it, an off light adding none, in both lightings, and a link
// changed after the preparation sends the walk along every light as it stands.
TEST_F(LightTest, ARowOfFrameLightsAddsEachShareAndHandsOnToTheOtherKinds) {
    camera_.flags = 0;
    const MeshVertex up = At(0.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f);
    Transform ship;
    ship.SetPositionXyz(0.0f, 0.0f, 0.0f, Transform::kAllFlags);
    std::vector<std::unique_ptr<Light>> lights;
    lights.emplace_back(new FramePointLight(Vector3{0.0f, 50.0f, 0.0f}));
    lights.emplace_back(new FrameAttenuatedLight(Vector3{10.0f, 40.0f, 0.0f}, 0.0f, 200.0f));
    lights.emplace_back(new FrameAttenuatedLight(Vector3{0.0f, 30.0f, 0.0f}, 0.0f, 100.0f));
    lights.emplace_back(new VectorLight(Vector3{0.0f, -1.0f, 0.2f}));
    lights.emplace_back(new FrameSpotLight(Vector3{0.0f, 20.0f, 0.0f}, 0.0f, 100.0f, Vector3{0.0f, -1.0f, 0.0f}, 40.0f, 50.0f));
    lights.emplace_back(new AttenuatedLight(Vector3{5.0f, 20.0f, 0.0f}, 0.0f, 100.0f));
    lights.emplace_back(new FrameAttenuatedLight(Vector3{-10.0f, 25.0f, 0.0f}, 0.0f, 100.0f));
    // Small shares, so that no sum saturates and each share counts alone.
    const uint8_t intensities[] = {20, 30, 25, 15, 35, 10, 40};
    for (size_t i = 0; i < lights.size(); ++i) lights[i]->intensity = intensities[i];
    lights[2]->flags |= Light::kFlagOff;

    for (const bool alt : {false, true}) {
        int32_t expected = 0;
        Light head;
        head.intensity = 0;
        for (const auto& each : lights) {
            if ((each->flags & Light::kFlagOff) != 0) continue;
            each->InsertAfter(&head);
            const int32_t share = Lit(head, up, 0, &ship, alt);
            each->Unlink();
            EXPECT_GT(share, 0);
            expected += share;
        }
        ASSERT_LT(expected, alt ? Light::kAltFullLevel : 240);
        for (size_t i = lights.size(); i-- > 0;) lights[i]->InsertAfter(&head);
        EXPECT_EQ(Lit(head, up, 0, &ship, alt), expected) << alt;

        Light spare;
        spare.intensity = 0;
        EXPECT_EQ(LitAfter([&] { spare.InsertAfter(lights[4].get()); }, head, up, &ship, alt), expected)
            << alt << " after a link changed";
        spare.Unlink();
        for (const auto& each : lights) each->Unlink();
    }
}

// A model's normals need not be unit long: shares far past 32 bits
// saturate one by one instead of wrapping round to dark, and a normal that
// is not a number adds nothing, whichever way the chain is walked.
TEST_F(LightTest, OverlongAndBrokenNormalsSaturateInsteadOfWrapping) {
    Light ambient;
    ambient.intensity = 85;   // 80 of 240
    VectorLight first(Vector3{0.0f, -1.0f, 0.0f}), second(Vector3{0.0f, -1.0f, 0.0f});
    first.InsertAfter(&ambient);
    second.InsertAfter(&first);
    const MeshVertex overlong = At(0, 0, 0, 0, 1e8f, 0);
    for (const bool inFrame : {false, true}) {
        SCOPED_TRACE(inFrame);
        if (inFrame) Light::BeginDrawing();
        EXPECT_EQ(Lit(ambient, overlong), 240);
        EXPECT_EQ(Lit(ambient, overlong, 0, nullptr, true), Light::kAltFullLevel);
        EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, -1e8f, 0), 1), 240);   // two-sided: the back lit as the front
        EXPECT_EQ(Lit(ambient, At(0, 0, 0, 0, -1e8f, 0), 0), 80);    // one-sided: the lights add nothing
        first.flags |= Light::kFlagNegative;
        second.flags |= Light::kFlagNegative;
        EXPECT_EQ(Lit(ambient, overlong), 0);
        first.flags &= ~Light::kFlagNegative;
        second.flags &= ~Light::kFlagNegative;
        EXPECT_EQ(Lit(ambient, At(0, 0, 0, std::nanf(""), 1e8f, 0)), 80);
        if (inFrame) Light::EndDrawing();
    }
    second.Unlink();
    first.Unlink();
}

// A frame lists the lights after the chain's head to prepare each object
// quickly; a chain longer than the list is still walked to its end, and an
// object without a placement is lit from the origin by every light that
// reaches it.
TEST_F(LightTest, LongChainsAndUnplacedObjectsAreLitByEveryLight) {
    Light head;
    head.intensity = 0;
    std::vector<std::unique_ptr<Light>> crowd;
    for (int i = 0; i < 600; ++i) {
        crowd.push_back(std::make_unique<Light>());
        crowd.back()->intensity = i == 599 ? 85 : 0;
        crowd.back()->InsertAfter(i == 0 ? &head : crowd[size_t(i) - 1].get());
    }
    Light::BeginDrawing();
    EXPECT_EQ(Lit(head, At(0, 0, 0, 0, 1, 0)), 80);
    Light::EndDrawing();
    for (auto& light : crowd) light->Unlink();

    FrameAttenuatedLight near(Vector3{20.0f, 0.0f, 0.0f}, 0.0f, 30.0f);
    const MeshVertex facing = At(0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f);
    Light::BeginDrawing();
    const int32_t alone = Lit(near, facing);
    ASSERT_GT(alone, 0);
    near.InsertAfter(&head);
    EXPECT_EQ(Lit(head, facing), alone);
    Light::EndDrawing();
    near.Unlink();
}

// Light records as the scene files carry them.
class LightRecordTest : public LightTest {
protected:
    static void Name(std::vector<uint8_t>& record, const char* name) {
        std::memcpy(record.data(), name, std::strlen(name));
    }
    static void Word(std::vector<uint8_t>& record, size_t at, uint32_t word) {
        for (int i = 0; i < 4; ++i) record[at + i] = uint8_t(word >> (8 * i));
    }
    static uint32_t FloatWord(float f) {
        uint32_t w;
        std::memcpy(&w, &f, sizeof w);
        return w;
    }
    // A vector record: name, flags, direction, colour 0x302010.
    static std::vector<uint8_t> VectorRecord(const char* name, bool fixed, size_t bytes = 48) {
        std::vector<uint8_t> r(bytes);
        Name(r, name);
        const float direction[3] = {0.0f, -3.0f, 0.0f};
        for (int i = 0; i < 3 && 32 + 4 <= bytes; ++i) {
            Word(r, 20 + 4 * i, fixed ? uint32_t(int32_t(direction[i] * 65536.0f)) : FloatWord(direction[i]));
        }
        if (bytes >= 36) Word(r, 32, 0x302010);
        return r;
    }
    std::string Write(const std::vector<uint8_t>& bytes) {
        dir_.WriteFile("lights.iff", std::string(bytes.begin(), bytes.end()));
        return dir_.Str() + "/lights.iff";
    }
    const TempDir dir_;
    const ChunkBuilder b_;
};

TEST_F(LightRecordTest, FixedAndFloatRecordsGiveTheSameLight) {
    const std::string fixedFile =
        Write(b_.Form("ESEN", {b_.Chunk("EAMB", std::vector<uint8_t>(32)), b_.Chunk("EVEC", VectorRecord("Sun", true))}));
    VectorLight fromFixed(fixedFile.c_str(), "Sun");
    const std::string floatFile = Write(b_.Chunk("EVE1", VectorRecord("Sun", false)));
    VectorLight fromFloat(floatFile.c_str(), "Sun");
    for (const VectorLight* light : {&fromFixed, &fromFloat}) {
        EXPECT_STREQ(light->name, "Sun");
        EXPECT_EQ(light->intensity, 0x30);   // the brightest channel
        EXPECT_NEAR(light->direction.y, -1.0f, 1e-4f);
    }
    // Read as a light, the record lights what faces up.
    EXPECT_NEAR(Lit(fromFloat, At(0, 0, 0, 0, 1, 0)), 240 * 0x30 / 255, 1);
}

TEST_F(LightRecordTest, BadRecordsAndFilesEndInTheirCodes) {
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        const char* name;
        Status expected;
    } const cases[] = {
        {"another name", b_.Chunk("EVEC", VectorRecord("Sun", true)), "Moon", kStatusLightNotFound},
        {"a name equal in its sixteen bytes",
         b_.Chunk("EVEC", VectorRecord("ABCDEFGHIJKLMNOP", true)), "ABCDEFGHIJKLMNOPQ", kStatusOk},
        {"a record too short", b_.Chunk("EVEC", VectorRecord("Sun", true, 40)), "Sun", kStatusLightBadSize},
        {"another kind only", b_.Chunk("EPNT", VectorRecord("Sun", true)), "Sun", kStatusLightNotFound},
        {"a truncated chunk", ChunkBuilder::Join({b_.Header("EVEC", 48), VectorRecord("Sun", true, 20)}), "Sun",
         kStatusLightReadFailed},
        {"a truncated scene", ChunkBuilder::Join({b_.Header("FORM", 200), ChunkBuilder::Text("ESEN"),
                                                  b_.Chunk("EAMB", std::vector<uint8_t>(32))}),
         "Sun", kStatusLightReadFailed},
        {"an empty file", {}, "Sun", kStatusLightNotFound},
    };
    for (const Case& c : cases) {
        const std::string path = Write(c.file);
        VectorLight light;
        EXPECT_EQ(light.Load(path.c_str(), c.name), c.expected) << c.what;
    }
    VectorLight light;
    EXPECT_EQ(light.Load((dir_.Str() + "/missing.iff").c_str(), "Sun"), kStatusLightReadFailed);
}

}  // namespace
