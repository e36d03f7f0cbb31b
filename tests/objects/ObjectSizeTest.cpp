// Objects at their model's size: a template's placement scale reaches every
// object made from it, and the radius, collisions, the missile sweep, gun
// rays, the hull's speeds and placements all follow it.
#include "objects/space/SpaceObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "objects/effects/FxObject.h"
#include "objects/ships/Craft.h"
#include "objects/space/HullObject.h"
#include "objects/space/MovingObject.h"
#include "objects/space/ObjectPart.h"
#include "objects/space/WorldPass.h"
#include "objects/weapons/HitSearch.h"
#include "objects/weapons/Projectile.h"
#include "scene/Model.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

// An object that keeps the parts it was hit on.
class Target : public SpaceObject {
public:
    explicit Target(SpaceObject* templateObject) : SpaceObject(templateObject) {}
    int32_t TakeDamage(int32_t part, const DamageRecord&, SpaceObject*) override {
        parts.push_back(part);
        return 0;
    }
    std::vector<int32_t> parts;
};

void GiveBounds(SceneObject& node, float radius) {
    node.model->sphere.radius = radius;
    node.model->box.min = Vector3{-radius * 0.7f, -radius * 0.7f, -radius * 0.7f};
    node.model->box.max = Vector3{radius * 0.7f, radius * 0.7f, radius * 0.7f};
    node.ownSphere = &node.model->sphere;
}

// A unit hull with a wing at (2, 0, 0) of half its size, as the template
// loader leaves one: the model's placement scale in the template's
// transform, the wing's scale in its matrix alone (the scene reader keeps
// the scale word at 1).
SpaceObject* ScaledShip(WorldBuilder& builder, const char* name, float scale) {
    SpaceObject* const made = builder.Template(name, {{"WING0FRHW", {}}});
    GiveBounds(*made, 1.0f);
    auto* const wing = static_cast<SceneObject*>(made->firstChild);
    GiveBounds(*wing, 1.0f);
    for (int row = 0; row < 3; ++row) wing->local.matrix.rows[row][row] = 0.5f;
    wing->local.matrix.rows[3][0] = 2.0f;
    made->local.Scale(scale, Transform::kAllFlags);
    return made;
}

void Arm(SpaceObject* object, int32_t type, uint32_t mask, const Vector3& at) {
    object->type = type;
    object->collisionMask = mask;
    object->SetPositionFlags(at, Transform::kAllFlags | 0x10);
    object->previousPosition = at;
    object->Activate(0);
    object->collisionDelay = 0;
    object->UpdateVisibility();
}

Vector3 NodeWorldPosition(const SceneObject& node) {
    Vector3 at;
    node.world.matrix.GetTranslation(&at);
    return at;
}

// The radius reaches over the parts at their scales; the parts sit where
// the scaled object puts them.
TEST(ObjectSizeTest, ObjectsKeepTheirTemplatesSizeAndTheirPartsFollowIt) {
    WorldBuilder builder;
    SpaceObject* const ship = builder.Spawn(ScaledShip(builder, "SHIP0", 10.0f), 1);
    ship->SetPositionFlags({100.0f, 0.0f, 0.0f}, Transform::kAllFlags | 0x10);
    // The wing reaches 2 + 0.5 from the centre, beyond the hull's own 1.
    EXPECT_NEAR(ship->Radius(), 25.0f, 1e-3f);
    ASSERT_EQ(ship->parts.Count(), 2);
    const SceneObject& wing = *ship->parts[1]->node;
    EXPECT_NEAR(wing.world.scale, 5.0f, 1e-5f);
    EXPECT_NEAR(NodeWorldPosition(wing).x, 120.0f, 1e-3f);
    // A plain template keeps the unit size.
    EXPECT_NEAR(builder.Spawn(builder.Ball("ROCK0", 3.0f), 1)->Radius(), 3.0f, 1e-5f);
}

// Touching the scaled hull's box is a hit; beside the wing's scaled box,
// inside the sum of the radii, is none. A missile passing the wing within
// one frame strikes it.
TEST(ObjectSizeTest, CollisionsAndTheMissileSweepMeetTheObjectAtItsSize) {
    const struct {
        Vector3 at;
        int32_t part;   // -2: no hit
    } cases[] = {
        {{0.0f, 0.0f, 7.5f}, 0},    // the hull's box reaches 7 at scale 10
        {{20.0f, 0.0f, 4.0f}, 1},   // the wing's box reaches 3.5 around x = 20
        {{20.0f, 0.0f, 6.0f}, -2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at.z);
        WorldBuilder builder;
        Target* const ship = builder.SpawnAs<Target>(ScaledShip(builder, "SHIP0", 10.0f), 1);
        Arm(ship, SpaceObject::kTypeCraft, 0, {0.0f, 0.0f, 0.0f});
        Target* const pod = builder.SpawnAs<Target>(builder.Ball("POD00", 1.0f), 2);
        Arm(pod, SpaceObject::kTypeAsteroid, 1u << SpaceObject::kTypeCraft, c.at);
        ship->Collide();
        if (c.part == -2) {
            EXPECT_TRUE(ship->parts.empty());
        } else {
            ASSERT_EQ(ship->parts.size(), 1u);
            EXPECT_EQ(ship->parts[0], c.part);
        }
    }

    WorldBuilder builder;
    RegisterSpaceObjects();
    Target* const ship = builder.SpawnAs<Target>(ScaledShip(builder, "SHIP0", 10.0f), 1);
    Arm(ship, SpaceObject::kTypeCraft, 0, {0.0f, 0.0f, 0.0f});
    auto* const missile = builder.SpawnAs<MovingObject>(builder.Ball("MSSL0", 0.5f), 2);
    Arm(missile, SpaceObject::kTypeMissile, 1u << SpaceObject::kTypeCraft, {18.0f, 0.0f, -500.0f});
    missile->velocity = {0.0f, 0.0f, 1000.0f};
    missile->velocityCap = 2000.0f;
    builder.Clock().Advance(1000);
    builder.Game().Simulate();
    ASSERT_EQ(ship->parts.size(), 1u);
    EXPECT_EQ(ship->parts[0], 1);
    GameState::RegisterObjectKind(1, nullptr);
}

// A gun's ray that passes the scaled ship by 18 units meets its wing.
TEST(ObjectSizeTest, GunRaysMeetTheObjectAtItsSize) {
    WorldBuilder builder;
    SpaceObject* const ship = builder.Spawn(ScaledShip(builder, "SHIP0", 10.0f), 1);
    Arm(ship, SpaceObject::kTypeCraft, 0, {0.0f, 0.0f, 0.0f});
    const WeaponHit hit = FindWeaponHit(nullptr, {18.0f, 0.0f, -300.0f}, {0.0f, 0.0f, 1.0f}, 1000.0f);
    EXPECT_EQ(hit.object, ship);
    EXPECT_EQ(hit.part, 1);
    EXPECT_NEAR(hit.distance, 300.0f - std::sqrt(25.0f - 4.0f), 1e-2f);
    EXPECT_EQ(FindWeaponHit(nullptr, {30.0f, 0.0f, -300.0f}, {0.0f, 0.0f, 1.0f}, 1000.0f).object, nullptr);
}

// A big hull settles at its speed cap as a small one does: its scale sizes
// the hull, not its speeds.
TEST(ObjectSizeTest, HullsFlyAtTheirSpeedsWhateverTheirSize) {
    WorldBuilder builder;
    auto* const hull = builder.SpawnAs<HullObject>(ScaledShip(builder, "HULL0", 4.0f), 1);
    hull->local.RotateAboutLocalY(30.0f, Transform::kAllFlags);
    hull->UpdateWorldTransform(Transform::kAllFlags);
    hull->velocityCap = 100.0f;
    hull->maxSpeed = 20.0f;
    hull->velocity = {0.0f, 0.0f, 0.0f};
    for (int step = 0; step < 100; ++step) hull->Simulate(100);
    EXPECT_NEAR(hull->speed, 100.0f, 1e-2f);
    EXPECT_NEAR(hull->velocity.Length(), 100.0f, 1e-2f);
}

// Placed where a bigger object stands, an object keeps its own size; a
// clone placed at a small object keeps the original's.
TEST(ObjectSizeTest, PlacementsKeepTheObjectsOwnSize) {
    WorldBuilder builder;
    SpaceObject* const big = builder.Spawn(ScaledShip(builder, "SHIP0", 10.0f), 1);
    big->local.RotateAboutLocalY(90.0f, Transform::kAllFlags);
    big->SetPositionFlags({5.0f, 6.0f, 7.0f}, Transform::kAllFlags | 0x10);
    SpaceObject* const small = builder.Spawn(builder.Ball("POD00", 1.0f), 1);
    small->CopyPlacement(*big);
    EXPECT_FLOAT_EQ(small->local.scale, 1.0f);
    EXPECT_NEAR(small->Radius(), 1.0f, 1e-5f);
    for (int row = 0; row < 3; ++row) {
        const float* const axis = small->world.matrix.rows[row];
        EXPECT_NEAR(std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]), 1.0f, 1e-5f) << row;
    }
    EXPECT_NEAR(small->world.forward.x, big->world.forward.x, 1e-5f);
    EXPECT_NEAR(small->Position().z, 7.0f, 1e-5f);

    SpaceObject* const copy = big->Clone(small);
    ASSERT_NE(copy, nullptr);
    EXPECT_NEAR(copy->Radius(), 25.0f, 1e-3f);
    EXPECT_NEAR(copy->Position().x, 5.0f, 1e-5f);
    EXPECT_NEAR(copy->world.scale, 10.0f, 1e-5f);

    // A craft that jumps takes the gate's place, not its size.
    auto* const craft = builder.SpawnAs<Craft>(ScaledShip(builder, "SHIP1", 4.0f), 1);
    craft->Jump(big);
    EXPECT_NEAR(craft->Radius(), 10.0f, 1e-3f);
    EXPECT_NEAR(craft->Position().Difference(big->Position()).Length(), 0.0f, 1e-4f);
}

// Matrices without a usable scale leave the unit size.
TEST(ObjectSizeTest, PlacementScaleOfDegenerateMatrices) {
    const struct {
        float diagonal, scale;
    } cases[] = {{0.0f, 1.0f}, {std::nanf(""), 1.0f}, {3.0e38f, 3.0e38f}, {-2.0f, 2.0f}};
    for (const auto& c : cases) {
        Matrix34 matrix{};
        matrix.rows[0][0] = matrix.rows[1][1] = matrix.rows[2][2] = c.diagonal;
        EXPECT_FLOAT_EQ(SpaceObject::PlacementScale(matrix), c.scale) << c.diagonal;
    }
}

// A shot's blast on a ship ten times its model's size stands off it by
// two thirds of the ship's own radius, not the model's.
TEST(ObjectSizeTest, AShotsBlastStandsOffAtTheStruckShipsSize) {
    WorldBuilder builder;
    SpaceObject* const ship = builder.Spawn(ScaledShip(builder, "SHIP0", 10.0f), 1);
    ship->SetPositionFlags({0.0f, 0.0f, 0.0f}, Transform::kAllFlags | 0x10);
    Projectile shot;
    shot.currentPoint = {0.0f, 0.0f, 30.0f};
    shot.velocity = {0.0f, 0.0f, -100.0f};
    FxObject* const blast = FxObject::FxObjectFor(&shot, ship);
    ASSERT_NE(blast, nullptr);
    EXPECT_NEAR(blast->forward.Length(), 0.666f * ship->model->sphere.radius * 10.0f, 1e-3f);
    delete blast;
}

}  // namespace
