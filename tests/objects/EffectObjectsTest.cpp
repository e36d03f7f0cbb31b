// The short-lived effect objects in a built world: explosion timing and the
// things an explosion sets off, shock spheres, 3-D animations, spark bursts,
// stream trails, beams and shots, each ending itself through the groups.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "display/Bitmap.h"
#include "display/PixelImage.h"
#include "engine/EngineAllocation.h"
#include "game/DataDirectories.h"
#include "game/EffectRegistries.h"
#include "game/EffectTypes.h"
#include "objects/effects/BeamEffect.h"
#include "objects/effects/ExplosionSparks.h"
#include "objects/effects/FxObject.h"
#include "objects/effects/ShieldHitBubble.h"
#include "objects/effects/ShotEffect.h"
#include "objects/effects/StreamEffect.h"
#include "objects/effects/TimedEffect.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/WorldPass.h"
#include "objects/space/SpaceObject.h"
#include "scene/Camera.h"
#include "scene/Material.h"
#include "scene/Model.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/MeshData.h"

namespace {

constexpr uint32_t kRemoveNow = 0x1000000;

// A text the object frees with the engine heap, as its explosion names are.
char* EngineText(const char* text) {
    const size_t bytes = std::strlen(text) + 1;
    auto* const copy = static_cast<char*>(EngineAllocate(bytes));
    std::memcpy(copy, text, bytes);
    return copy;
}

// A picture material of `side` pixels.
BitmapMaterial* Frame(uint16_t side) {
    Bitmap picture;
    EXPECT_EQ(picture.Create(side, side, Bitmap::kDepth8Bit, true), kStatusOk);
    auto* const material = new BitmapMaterial;
    EXPECT_EQ(material->CreateFromBitmap(&picture, true, nullptr), kStatusOk);
    return material;
}

ExplosionType* Explosion(const char* name, int32_t frames, int32_t duration) {
    auto* const type = new ExplosionType;
    std::strncpy(type->name, name, sizeof type->name - 1);
    type->duration = duration;
    type->level = 200;
    for (int32_t i = 0; i < frames; ++i) type->frames.push_back(Frame(i == 0 ? 16 : 32));
    type->frameCount = frames;
    type->widestWidth = type->tallestHeight = frames > 1 ? 32 : 16;
    return type;
}

StreamType* Stream(const char* name, int32_t frames, int32_t life, float spacing) {
    auto* const type = new StreamType;
    std::strncpy(type->name, name, sizeof type->name - 1);
    for (int32_t i = 0; i < frames; ++i) type->frames.push_back(Frame(16));
    type->frameCount = frames;
    type->life = life;
    type->timePerFrame = life / frames;
    type->spacing = spacing;
    type->driftPercent = 50;
    return type;
}

// Everything the groups hold of one kind.
template <typename T>
std::vector<T*> Registered(GameState& game) {
    std::vector<T*> found;
    game.Groups().ForEach([&](const void*, NamedObject* object) {
        if (auto* const typed = dynamic_cast<T*>(object)) found.push_back(typed);
    });
    return found;
}

// Updates until the object asks to go; the number of updates it took.
template <typename T>
int UpdatesUntilGone(T& object, FakeClock& clock, uint32_t step, int limit = 1000) {
    for (int n = 1; n <= limit; ++n) {
        clock.Advance(step);
        object.Update();
        if ((object.flags & kRemoveNow) != 0) return n;
    }
    return -1;
}

class EffectObjectsTest : public ::testing::Test {
protected:
    void TearDown() override { FreeEffectRegistries(); }
    WorldBuilder world_;
};

TEST_F(EffectObjectsTest, ExplosionFramesCarryTheRemainderAndTheLastFrameShowsOnce) {
    ExplosionType* const type = Explosion("Boom", 4, 160);   // 40 ms a frame
    SpaceObject* const ship = world_.Spawn(world_.Ball("Ship", 2.0f), 1);
    std::unique_ptr<FxObject> fx(FxObject::FxObjectNamed(ship, "Boom"));
    EXPECT_EQ(fx->alpha, 200);
    EXPECT_FLOAT_EQ(fx->size, 2.0f);   // no size code: the named default

    fx->Update();   // no delay: the first frame at once
    EXPECT_EQ(fx->frameIndex, 0);
    EXPECT_EQ(fx->material, type->frames[0]);
    EXPECT_FLOAT_EQ(fx->width, 1.0f);   // a 16-pixel frame of a 32-pixel sequence
    // Started on the surface of the followed object.
    EXPECT_NEAR(fx->position.Length(), 2.0f, 1e-3f);

    world_.Clock().Advance(100);
    fx->Update();
    EXPECT_EQ(fx->frameIndex, 2);       // two frames, 20 ms carried
    EXPECT_FLOAT_EQ(fx->width, 2.0f);
    world_.Clock().Advance(30);
    fx->Update();
    EXPECT_EQ(fx->frameIndex, 3);       // 20 + 30 = 50: one more, 10 carried
    world_.Clock().Advance(40);
    fx->Update();                       // 50 again: past the end
    EXPECT_EQ(fx->material, type->frames[3]);
    EXPECT_EQ(fx->explosionType, nullptr);
    EXPECT_EQ(fx->flags & kRemoveNow, 0u);
    world_.Clock().Advance(10);
    fx->Update();
    EXPECT_NE(fx->flags & kRemoveNow, 0u);

    // An unknown name, and a type whose duration is shorter than its frames.
    std::unique_ptr<FxObject> unknown(FxObject::FxObjectNamed(ship, "Nothing"));
    unknown->Update();
    EXPECT_NE(unknown->flags & kRemoveNow, 0u);
    Explosion("Quick", 3, 1);
    std::unique_ptr<FxObject> quick(FxObject::FxObjectNamed(ship, "Quick"));
    EXPECT_EQ(UpdatesUntilGone(*quick, world_.Clock(), 5), 2);
}

TEST_F(EffectObjectsTest, ADelayedExplosionAtAnObjectNeedsTheFlightCamera) {
    ExplosionType* const type = Explosion("Late", 2, 100);
    type->leastDelay = type->greatestDelay = 70;
    type->sizeCode = 75;
    SpaceObject* const ship = world_.Spawn(world_.Ball("Ship", 4.0f), 1);
    EXPECT_EQ(FxObject::FxObjectAt(ship, "Late"), nullptr);

    Camera camera;
    world_.Game().flightCamera = &camera;
    ship->velocity = {10.0f, 0.0f, 0.0f};
    std::unique_ptr<FxObject> fx(FxObject::FxObjectAt(ship, "Late"));
    ASSERT_NE(fx, nullptr);
    EXPECT_FLOAT_EQ(fx->size, 3.0f);
    EXPECT_NEAR(fx->position.z, 2.0f, 1e-4f);   // half the radius along the line of sight
    fx->Update();
    world_.Clock().Advance(50);
    fx->Update();
    EXPECT_EQ(fx->frameIndex, -1);   // 20 ms of the delay left
    world_.Clock().Advance(30);
    fx->Update();
    EXPECT_EQ(fx->frameIndex, -1);
    world_.Clock().Advance(30);
    fx->Update();
    EXPECT_EQ(fx->frameIndex, 0);
    EXPECT_NEAR(fx->GetPosition().x, 0.3f, 1e-4f);   // moved with the ship for 30 ms
    world_.Game().flightCamera = nullptr;
}

TEST_F(EffectObjectsTest, ANovaSetsOffThreeShockSpheresAndItsAnimation) {
    TempDir dir;
    dir.WriteFile("data/vorn.dir", "data\n");
    dir.WriteFile("mesh/vorn.dir", "mesh\n");
    ASSERT_EQ(WriteShieldMesh((dir.Path() / "mesh" / "shield.iff").c_str()), kStatusOk);
    g_dataDirs.Find(dir.Str());

    ExplosionType* const nova = Explosion("Nova", 2, 400);
    nova->shockSphere = 1;
    std::strcpy(nova->animationName, "Ring");
    auto* const ring = new AnimationType;
    std::strcpy(ring->name, "Ring");
    ring->frames = new DynArray<Model*>;
    Model models[3];
    for (Model& model : models) ring->frames->Append(&model);
    ring->frameCount = 3;
    ring->duration = 300;
    world_.Game().enhancedGraphics = 1;

    SpaceObject* const ship = world_.Spawn(world_.Ball("Ship", 2.0f), 1);
    std::unique_ptr<FxObject> fx(FxObject::FxObjectNamed(ship, "Nova"));
    fx->Update();
    EXPECT_NE(fx->flags & 0x1, 0u);   // the animation shows instead of the sprite

    std::vector<ShieldHitBubble*> bubbles = Registered<ShieldHitBubble>(world_.Game());
    ASSERT_EQ(bubbles.size(), 3u);
    ASSERT_NE(bubbles[0]->model, nullptr);
    EXPECT_NE(bubbles[0]->model, bubbles[1]->model);   // each fades its own faces
    EXPECT_EQ(bubbles[0]->model->faces[0].flags, ShieldHitBubble::kFaceFlags);
    const int expected[3] = {8, 13, 26};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(UpdatesUntilGone(*bubbles[i], world_.Clock(), 30), expected[i]) << i;
    EXPECT_GT(bubbles[2]->currentScale, 40.0f);

    std::vector<TimedEffect*> animations = Registered<TimedEffect>(world_.Game());
    ASSERT_EQ(animations.size(), 1u);
    TimedEffect& animation = *animations[0];
    EXPECT_EQ(animation.model, &models[0]);
    const uint32_t started = animation.startTime;
    world_.Clock().SetMilliseconds(started + 150);
    animation.Update();
    EXPECT_EQ(animation.model, &models[1]);
    world_.Clock().SetMilliseconds(started + 300);
    animation.Update();
    EXPECT_NE(animation.flags & kRemoveNow, 0u);

    // The groups and the type let go of the models before they go.
    world_.Game().ClearFlight();
    FreeEffectRegistries();
    g_dataDirs.Clear();
}

TEST_F(EffectObjectsTest, AnAnimationInAParentsFrameEndsWithItsParent) {
    auto* const type = new AnimationType;
    std::strcpy(type->name, "Swirl");
    type->frames = new DynArray<Model*>;
    Model model;
    type->frames->Append(&model);
    type->frameCount = 1;
    type->duration = 0;   // one frame per update
    SpaceObject* const gate = world_.Spawn(world_.Ball("Gate", 10.0f), 1);
    gate->local.SetPositionXyz(100.0f, 0.0f, 0.0f, Transform::kAllFlags);
    gate->UpdateWorldTransform(Transform::kUpdateInverse);
    TimedEffect effect(type, Vector3{0.0f, 5.0f, 0.0f}, gate, Vector3{0.0f, 0.0f, 1.0f}, Vector3{});
    Vector3 shown;
    effect.local.matrix.GetTranslation(&shown);
    EXPECT_FLOAT_EQ(shown.x, 100.0f);
    EXPECT_FLOAT_EQ(shown.y, 5.0f);
    world_.Remove(gate);
    effect.Update();
    EXPECT_NE(effect.flags & kRemoveNow, 0u);

    // Without a parent and one frame per update: shown once, then gone.
    TimedEffect free(type, Vector3{}, nullptr, Vector3{}, Vector3{});
    EXPECT_EQ(UpdatesUntilGone(free, world_.Clock(), 10), 1);
    free.DetachModel();
    effect.DetachModel();
    delete type;
}

TEST_F(EffectObjectsTest, AStreamLaysSpritesOnlyOnceTheEmitterHasMovedItsSpacing) {
    StreamType* const type = Stream("Trail", 2, 200, 1.0f);
    StreamEffect stream("Trail");
    GameState& game = world_.Game();
    const Vector3 velocity{0.0f, 0.0f, 8.0f};
    stream.Update({0.0f, 0.0f, 0.0f}, velocity);
    ASSERT_EQ(Registered<EffectSprite>(game).size(), 1u);   // the first, where the emitter starts
    EXPECT_FLOAT_EQ(Registered<EffectSprite>(game)[0]->velocity.z, 4.0f);   // half the emitter's velocity

    float z = 0.0f;
    for (int i = 0; i < 2; ++i) {
        world_.Clock().Advance(50);
        z += 0.4f;
        stream.Update({0.0f, 0.0f, z}, velocity);
    }
    EXPECT_EQ(Registered<EffectSprite>(game).size(), 1u);   // 0.8 of 1.0 so far
    world_.Clock().Advance(50);
    stream.Update({0.0f, 0.0f, 1.2f}, velocity);
    ASSERT_EQ(Registered<EffectSprite>(game).size(), 2u);
    EXPECT_NEAR(stream.lastSpawn.z, 1.0f, 1e-5f);
    // A long jump lays a sprite every spacing along it.
    world_.Clock().Advance(50);
    stream.Update({0.0f, 0.0f, 4.5f}, velocity);
    EXPECT_EQ(Registered<EffectSprite>(game).size(), 5u);
    EXPECT_NEAR(stream.lastSpawn.z, 4.0f, 1e-5f);

    // A sprite fades through its frames (100 ms each) and goes after the last.
    EffectSprite sprite(Vector3{}, Vector3{}, type, 0, 0.75f);
    EXPECT_EQ(sprite.material, type->frames[0]);
    world_.Clock().Advance(60);
    sprite.Update();
    EXPECT_EQ(sprite.alpha, 255);
    world_.Clock().Advance(60);
    sprite.Update();
    EXPECT_EQ(sprite.material, type->frames[1]);
    EXPECT_EQ(sprite.alpha, 127);
    EXPECT_EQ(UpdatesUntilGone(sprite, world_.Clock(), 60), 2);

    // No type, or no spacing: nothing beyond the first sprite.
    StreamEffect none("Missing");
    none.Update({}, velocity);
    type->spacing = 0.0f;
    StreamEffect flat(type);
    flat.Update({}, velocity);
    flat.Update({0.0f, 0.0f, 10.0f}, velocity);
    EXPECT_EQ(Registered<EffectSprite>(game).size(), 6u);
}

TEST_F(EffectObjectsTest, BeamsPulseSpanToTheirTargetAndEndWithTheirOwner) {
    auto* const type = new BeamType;
    std::strcpy(type->name, "Ray");
    type->halfWidth = 0.5f;
    type->level = 210;
    SpaceObject* const owner = world_.Spawn(world_.Ball("Ship", 2.0f), 1);
    SpaceObject* const target = world_.Spawn(world_.Ball("Rock", 2.0f), 1);
    owner->local.SetPositionXyz(10.0f, 0.0f, 0.0f, Transform::kAllFlags);
    owner->UpdateWorldTransform(Transform::kUpdateInverse);
    target->local.SetPositionXyz(10.0f, 0.0f, 50.0f, Transform::kAllFlags);
    target->UpdateWorldTransform(Transform::kUpdateInverse);

    // At 0 ms the pulse is at its widest and faintest: a = 20.
    BeamEffect single(type), twin(type);
    single.SetParams(owner, nullptr, 0, 0, 300, nullptr, nullptr, 1);
    twin.SetParams(owner, target, 0, 0, 300, nullptr, nullptr, 2);
    single.Update();
    twin.Update();
    const float w1 = single.corners[1][0] - single.corners[0][0];
    const float w2 = twin.corners[1][0] - twin.corners[0][0];
    EXPECT_FLOAT_EQ(w1, 2.0f * 0.5f * 1.5f);
    EXPECT_FLOAT_EQ(w2, 2.0f * w1);
    EXPECT_EQ(single.level, uint32_t(210 - 20 * 210 / 21));
    EXPECT_EQ(twin.level, single.level / 2);
    EXPECT_FLOAT_EQ(single.corners[2][2], 300.0f);   // straight ahead for its length
    EXPECT_NEAR(twin.corners[2][2], 50.0f, 1e-3f);   // to the target, in the owner's frame
    EXPECT_NEAR(twin.corners[2][0] + twin.corners[3][0], 0.0f, 1e-3f);

    // Half a period on, the pulse is narrow and bright: a = 0.
    world_.Clock().Advance(500);
    single.Update();
    EXPECT_EQ(single.level, 210u);
    EXPECT_EQ(UpdatesUntilGone(single, world_.Clock(), 30), 3);   // four frames shown

    world_.Remove(target);
    world_.Remove(owner);
    twin.Update();
    EXPECT_NE(twin.flags & kRemoveNow, 0u);
    delete type;
}

TEST_F(EffectObjectsTest, ShotsAndSparksEndThemselvesInTheGroups) {
    GameState& game = world_.Game();
    SpaceObject* const owner = world_.Spawn(world_.Ball("Ship", 2.0f), 1);
    auto* const shot = new ShotEffect(owner, Vector3{0.0f, 0.0f, 40.0f}, Vector3{0.0f, 0.0f, 2.0f});
    EXPECT_FLOAT_EQ(shot->corners[0][2], 2.0f);
    EXPECT_FLOAT_EQ(shot->corners[2][2], 40.0f);
    EXPECT_FLOAT_EQ(shot->corners[1][0] - shot->corners[0][0], 0.4f);
    game.RegisterObjectGroup(shot, nullptr, 1);
    auto* const sparks = new ExplosionSparks(4, Vector3{}, Vector3{1.0f, 0.0f, 0.0f});
    EXPECT_EQ(sparks->capacity, 12u);
    game.RegisterObjectGroup(sparks, nullptr, 1);

    game.Groups().Walk();
    EXPECT_EQ(shot->level, 255u);
    game.Groups().Walk();
    EXPECT_EQ(shot->level, 64u);   // the second frame, faded
    game.Groups().Walk();
    EXPECT_EQ(Registered<ShotEffect>(game).size(), 0u);
    for (int i = 3; i < ExplosionSparks::kLife - 1; ++i) game.Groups().Walk();
    EXPECT_EQ(Registered<ExplosionSparks>(game).size(), 1u);
    game.Groups().Walk();
    EXPECT_EQ(game.Groups().Count(), 0);

    // A shot whose owner left ends at its next update.
    ShotEffect orphan(owner, Vector3{0.0f, 0.0f, 10.0f}, Vector3{});
    world_.Remove(owner);
    orphan.Update();
    EXPECT_NE(orphan.flags & kRemoveNow, 0u);
}

TEST_F(EffectObjectsTest, ExplodingObjectsLeaveTheirExplosionsInTheGroups) {
    Explosion("Blast", 2, 100);
    Explosion("Flash", 1, 50);
    Camera camera;
    world_.Game().flightCamera = &camera;
    SpaceObject* const rock = world_.Spawn(world_.Ball("Rock", 3.0f), 1);
    for (const char* name : {"Blast", "Flash", "Unknown"}) rock->explosionNames.Append(EngineText(name));
    rock->Explode(nullptr, 1);
    const std::vector<FxObject*> made = Registered<FxObject>(world_.Game());
    ASSERT_EQ(made.size(), 3u);
    EXPECT_NE(made[0]->explosionType, nullptr);
    EXPECT_EQ(made[2]->explosionType, nullptr);   // ends at its first update
    world_.Game().flightCamera = nullptr;
}

}  // namespace

namespace {

// A craft set on fire by its death, its explosion held back for a second so
// that the wreck flies (and burns) for that long before it breaks up.
class DyingCraftTest : public EffectObjectsTest {
protected:
    DyingCraftTest() {
        ExplosionType* const slow = Explosion("Slow", 3, 300);
        slow->leastDelay = slow->greatestDelay = 1000;
        Stream("Fire", 2, 400, 1.0f);
        RegisterSpaceObjects();
        world_.Game().flightCamera = &camera_;
    }
    ~DyingCraftTest() override { world_.Game().flightCamera = nullptr; }

    Craft* Burning() {
        Craft* const ship = world_.SpawnAs<Craft>(world_.Template("SHIP0", {{"WING0FLHW", {}}, {"ENGN0RR0E", {}}}), 14);
        ship->type = SpaceObject::kTypeAiShip;
        ship->Activate(0);
        ship->SetHitPoints(100);
        ship->explosionNames.Append(EngineText("Slow"));
        ship->Explode(nullptr, 0);
        return ship;
    }
    void Frame() {
        world_.Clock().Advance(50);
        world_.Game().Simulate();
    }
    size_t Sprites() { return Registered<EffectSprite>(world_.Game()).size(); }

    Camera camera_;
};

// An update that throws a burning wreck across the map must not lay a
// sprite per spacing of the throw (a million units grew the heap by hundreds
// of megabytes; at 1e8 the float step no longer shrank the distance and the
// frame never ended), nor may a position no number can hold.
TEST_F(DyingCraftTest, AWreckThrownFarKeepsItsTrailToAFewSpritesAFrame) {
    Craft* const ship = Burning();
    ASSERT_NE(ship->parts[0]->attached, nullptr);
    Frame();
    ASSERT_GE(Sprites(), 1u);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Vector3 throws[] = {{1e6f, 0.0f, 0.0f}, {1e6f, 1e8f, 0.0f}, {nan, 0.0f, 0.0f},
                              {inf, 0.0f, -inf}, {1e6f, 1e8f, 3.0f}, {1e6f, 1e8f, 30.0f}};
    size_t before = Sprites();
    for (const Vector3& to : throws) {
        SCOPED_TRACE(testing::Message() << to.x << " " << to.y << " " << to.z);
        ship->SetPositionFlags(to, Transform::kAllFlags | 0x10);
        Frame();
        const size_t now = Sprites();
        EXPECT_LE(now, before + size_t(StreamEffect::kMaxSpritesPerUpdate));
        before = now;
    }
    for (const EffectSprite* sprite : Registered<EffectSprite>(world_.Game())) {
        EXPECT_TRUE(std::isfinite(sprite->position.x) && std::isfinite(sprite->position.y) &&
                    std::isfinite(sprite->position.z));
    }
    EXPECT_EQ(ship->dead, 1);
    world_.Remove(ship);
}

// The copy of a dead ship given up (an update from its owner) after its
// death has run but before its explosion has played out: the explosion
// ends later and must not write into the freed craft.
TEST_F(DyingCraftTest, AnExplosionOutlivingItsCraftLetsGoOfIt) {
    Craft* const ship = Burning();
    FxObject* const first = ship->firstExplosion;
    ASSERT_NE(first, nullptr);
    for (int frame = 0; frame < 40 && ship->dead != 0; ++frame) Frame();
    ASSERT_EQ(ship->dead, 0);
    EXPECT_EQ(ship->firstExplosion, nullptr);
    ASSERT_EQ(Registered<FxObject>(world_.Game()).size(), 1u);   // still playing
    world_.Remove(ship);
    for (int frame = 0; frame < 40 && !Registered<FxObject>(world_.Game()).empty(); ++frame) Frame();
    EXPECT_TRUE(Registered<FxObject>(world_.Game()).empty());
}

}  // namespace
