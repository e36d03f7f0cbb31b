// Space objects in a built world: parts from the node names, hit points,
// the detail switch, lifetimes, and the one rule for removed objects.
#include "objects/space/SpaceObject.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ai/AiBrain.h"
#include "mission/Goal.h"
#include "objects/space/ObjectPart.h"
#include "scene/Model.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

TEST(ObjectPartTest, KindsAndNamesFollowTheNamingConvention) {
    const struct {
        const char* name;
        int32_t kind;
        const char* displayName;   // null: none
        uint32_t solid;
    } cases[] = {
        // Too short for a letter and a code: a hull, no direction, no position words.
        {"", ObjectPart::kHull, "Hull", 1},       {"E", ObjectPart::kHull, "Hull", 1},
        {"HULL0FE", ObjectPart::kHull, "Hull", 1}, {"WING0FLW", ObjectPart::kWing, "Front Left Wing", 1},
        {"HULL0FLHW", ObjectPart::kWing, "Front Left Upper Wing", 1},   // 9 characters: the last
        {"HULL0RRLEx", ObjectPart::kEngine, "Rear Right Lower Engine", 1},  // 10: the second-to-last
        {"HULL0RRLExW", ObjectPart::kWing, "Rear Right Lower Wing", 1},  // 11: the last again
        {"hull0frhm", ObjectPart::kMissileLauncher, "Front Right Upper Missile Launcher", 1},
        {"HULL0SLHX", ObjectPart::kWeaponSystem, nullptr, 0},             // shields: no name, no hit points
        {"HULL0F  A", ObjectPart::kAttachment, "Front ", 0},
        {"HULL0RLLT", ObjectPart::kTarget, "Rear Left Lower ", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ObjectPart part(nullptr);
        part.SetFromName(c.name);
        EXPECT_EQ(part.kind, c.kind);
        EXPECT_EQ(part.solid, c.solid);
        if (c.displayName == nullptr) {
            EXPECT_EQ(part.displayName, nullptr);
        } else {
            ASSERT_NE(part.displayName, nullptr);
            EXPECT_STREQ(part.displayName, c.displayName);
        }
    }
    ObjectPart still(nullptr);
    Vector3 jittered;
    still.GetVector(&jittered, true);   // a zero direction still gives a unit vector
    EXPECT_NEAR(jittered.Length(), 1.0f, 1e-4f);
}

// A hull with wings left and right and a shield node, copied node for node:
// three directions make three hit-point records of a third each.
TEST(SpaceObjectTest, PartsAndHitPointsComeFromTheTemplatesTree) {
    WorldBuilder builder;
    SpaceObject* const fighter = builder.Template(
        "HULL00000", {{"WING0FLHW", {{"GUNS0FLHG", {}}}}, {"WING0FRHW", {}}, {"SHLD0S00S", {}}, {"TAIL0FLHW", {}}});
    SpaceObject* const ship = builder.Spawn(fighter, 1);
    ASSERT_EQ(ship->parts.Count(), 6);
    // Siblings first in order, then the children.
    EXPECT_STREQ(ship->parts[1]->node->model->name, "WING0FLHW");
    EXPECT_STREQ(ship->parts[4]->node->model->name, "TAIL0FLHW");
    EXPECT_STREQ(ship->parts[5]->node->model->name, "GUNS0FLHG");
    EXPECT_EQ(ship->parts[5]->node->parent, ship->parts[1]->node);
    ship->SetHitPoints(500);
    // Part 0 and the shield give no direction of their own: (0,0,0), (-1,1,1), (1,1,1).
    EXPECT_EQ(ship->HitPointRecordCount(), 3);
    const Vector3 leftWing{-1.0f, 1.0f, 1.0f};
    EXPECT_EQ(ship->GetMaxHitPoints(&leftWing), 166);
    EXPECT_EQ(ship->GetMaxHitPoints(nullptr), 500);
    EXPECT_FALSE(ship->DamageHitPoints(&leftWing, 200));
    EXPECT_EQ(ship->GetHitPoints(&leftWing), 0);
    const Vector3 nowhere{5.0f, 5.0f, 5.0f};
    EXPECT_TRUE(ship->DamageHitPoints(&nowhere, 300));   // still lowers the total
    EXPECT_EQ(ship->GetHitPoints(nullptr), 0);
}

TEST(SpaceObjectTest, TheDetailSwitchWorksFarOut) {
    WorldBuilder builder;
    SpaceObject* const station = builder.Spawn(builder.Template("BASE0STATN", {{"DOCK0FLHX", {}}}), 1);
    const int64_t detail = 100000;
    station->lodFarSq = detail * detail - 100;
    station->lodNearSq = detail * detail + 100;
    Model* const full = station->model;
    station->UpdateDetailLevel({100001.0f, 0.0f, 0.0f});
    EXPECT_EQ(station->model, station->templateObject->model);
    EXPECT_NE(station->parts[1]->node->flags & SpaceObject::kFlagHiddenObject, 0u);
    station->UpdateDetailLevel({99999.0f, 0.0f, 0.0f});
    EXPECT_EQ(station->model, full);
    EXPECT_EQ(station->parts[1]->node->flags & SpaceObject::kFlagHiddenObject, 0u);
    EXPECT_EQ(station->isBase, 1u);
    // At the ends of the 32-bit range on every axis the squares' sum is far,
    // not wrapped round to near (UBSan watches the sum).
    station->UpdateDetailLevel({3.0e9f, -3.0e9f, 3.0e9f});
    EXPECT_EQ(station->model, station->templateObject->model);
    station->UpdateDetailLevel({0.0f, 0.0f, 0.0f});
    EXPECT_EQ(station->model, full);
    station->UpdateDetailLevel({-2147483648.0f, -2147483648.0f, -2147483648.0f});
    EXPECT_EQ(station->model, station->templateObject->model);
}

TEST(SpaceObjectTest, IdentityLifetimeAndSides) {
    WorldBuilder builder;
    SpaceObject* const rock = builder.Template("ROCK0");
    SpaceObject* const a = builder.Spawn(rock, 1);
    SpaceObject* const b = builder.Spawn(rock, 1);
    EXPECT_EQ(b->uoid, a->uoid + 1);
    SpaceObject* const copy = a->Clone(nullptr);
    EXPECT_EQ(copy->uoid, b->uoid + 1);
    EXPECT_EQ(builder.World().size(), 3u);
    EXPECT_EQ(a->FindByUoid(copy->uoid), copy);
    EXPECT_EQ(a->FindByUoid(-1), nullptr);

    a->Activate(5);
    EXPECT_EQ(a->expiresAt, int32_t(a->Age()) + 5000);
    a->Activate(0);
    EXPECT_EQ(a->expiresAt, -1);
    EXPECT_EQ(a->flags & SpaceObject::kFlagHiddenObject, 0u);
    a->Deactivate(1);
    EXPECT_NE(a->flags & SpaceObject::kFlagHiddenObject, 0u);

    b->Activate(0);
    copy->Activate(0);
    const struct {
        int32_t mine, theirs;
        bool hostile;
    } sides[] = {{1, 0, false}, {0, 1, false}, {1, 2, true}, {2, 2, false}};
    for (const auto& s : sides) {
        b->SetSide(s.mine);
        copy->SetSide(s.theirs);
        EXPECT_EQ(b->IsHostile(copy), s.hostile) << s.mine << " " << s.theirs;
    }
    copy->Deactivate(0);
    b->SetSide(1);
    copy->SetSide(2);
    EXPECT_FALSE(b->IsHostile(copy));   // inactive targets are never hostile
}

class Subject : public Goal {};

// Three groups, a clone, and every holder there is so far naming the
// objects; each object in turn is removed and deleted. Nothing reads it
// afterwards (ASan), every holder is cleared, and the world still reaches
// every survivor.
TEST(SpaceObjectTest, RemovedObjectsLeaveNoReferenceBehind) {
    const int kObjects = 7;
    for (int victim = 0; victim < kObjects; ++victim) {
        SCOPED_TRACE(victim);
        WorldBuilder builder;
        SpaceObject* const ship = builder.Template("SHIP0FLHW", {{"WING0FLHW", {}}});
        std::vector<SpaceObject*> objects;
        for (uint32_t key : {1u, 1u, 1u, 2u, 3u, 3u}) objects.push_back(builder.Spawn(ship, key));
        objects.push_back(objects[3]->Clone(nullptr));   // joins group 2
        SpaceObject* const gone = objects[victim];
        SpaceObject* const other = objects[(victim + 1) % kObjects];

        AiBrain brain(other);
        brain.hostile = gone;
        brain.obstacle = gone;
        brain.followed = gone;
        other->killer = gone;
        other->collisionPartner = gone;
        other->partnerPart = 1;
        Subject goal;
        goal.SetSubject(gone);
        GameState& game = builder.Game();
        game.playerShip = game.viewedObject = game.chaseObject = game.rotatingObject = gone;
        game.trackedPlayerMissile = gone;

        builder.Remove(gone);
        objects.erase(objects.begin() + victim);
        EXPECT_EQ(brain.hostile.Get(), nullptr);
        EXPECT_EQ(brain.obstacle.Get(), nullptr);
        EXPECT_EQ(brain.followed.Get(), nullptr);
        EXPECT_EQ(other->killer.Get(), nullptr);
        EXPECT_EQ(other->collisionPartner.Get(), nullptr);
        EXPECT_EQ(other->partnerPart, -1);
        EXPECT_EQ(goal.GetSubject(), nullptr);
        for (SpaceObject* field : {game.playerShip, game.viewedObject, game.chaseObject, game.rotatingObject,
                                   game.trackedPlayerMissile}) {
            EXPECT_EQ(field, nullptr);
        }
        std::vector<SpaceObject*> expected = objects;
        // The clone stands after the other member of group 2.
        std::vector<SpaceObject*> world = builder.World();
        std::sort(expected.begin(), expected.end());
        std::sort(world.begin(), world.end());
        EXPECT_EQ(world, expected);
    }
}

}  // namespace
