#include "navmap/MapClasses.h"

#include <gtest/gtest.h>

#include "objects/space/SpaceObject.h"

namespace {

using map_classes::ClassImage;
using map_classes::Filters;
using map_classes::ObjectTraits;

constexpr int32_t kShip = SpaceObject::kTypeAiShip;

ObjectTraits Traits(int32_t kind, const char* model, map_classes::Side side = map_classes::kNeutral,
                    int32_t classWord = -1, uint32_t navPoint = 0) {
    ObjectTraits t;
    t.kind = kind;
    t.model = model;
    t.side = side;
    t.classWord = classWord;
    t.navPointFlag = navPoint;
    return t;
}

TEST(MapClasses, KindModelAndSideGiveTheImage) {
    using map_classes::kFriendly;
    using map_classes::kHostile;
    using map_classes::kNeutral;
    const struct {
        ObjectTraits traits;
        int32_t war, flight;
    } rows[] = {
        {Traits(SpaceObject::kTypeNavBuoy, "", kNeutral, -1, 1), 27, 27},
        {Traits(SpaceObject::kTypeNavBuoy, ""), 23, 23},
        {Traits(SpaceObject::kTypeAsteroid, "ROCK-02"), 26, 26},
        {Traits(SpaceObject::kTypeAsteroid, "ROCK-05"), 25, 25},
        {Traits(SpaceObject::kTypeAsteroid, "ROCK-06"), -1, -1},
        {Traits(SpaceObject::kTypeMine, "", kHostile), 6, 6},
        {Traits(SpaceObject::kTypeWayPoint, ""), 27, 27},
        {Traits(SpaceObject::kTypeJumpGate, "", kNeutral, 51), 24, 24},
        {Traits(SpaceObject::kTypeJumpGate, "", kNeutral, 52), 21, 21},
        {Traits(SpaceObject::kTypeJumpGate, "", kNeutral, 53), 20, 20},
        {Traits(SpaceObject::kTypeJumpGate, "", kNeutral, 54), -1, -1},
        {Traits(kShip, "AA09-X", kFriendly), 12, 12},
        {Traits(kShip, "AA13-X", kHostile), 13, 13},
        {Traits(kShip, "AA14-X", kNeutral), 17, 17},   // '1' then '4' is no class A: base E
        {Traits(kShip, "AA02", kNeutral), 8, 8},
        {Traits(kShip, "DRON-CCCH1", kHostile), 10, 10},
        {Traits(kShip, "AAX7", kFriendly), 2, 2},
        {Traits(kShip, "MULT-CCHH4", kFriendly), -1, 2},   // only the in-flight map knows it, as a class C base
        {Traits(kShip, "AAX5", kHostile), 21, 21},
        {Traits(kShip, "PILT", kHostile), 16, 16},
        {Traits(kShip, "BASE-CCCH9", kHostile), 0, 0},
        {Traits(kShip, "AB"), -1, -1},   // shorter than four characters, no class
        {Traits(kShip, ""), -1, -1},
        {Traits(SpaceObject::kTypePlayerShip, "AA09"), -1, 7},
        {Traits(SpaceObject::kTypeDebris, "ROCK-01"), -1, -1},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ClassImage(MapTwin::kWarRoom, row.traits, Filters{}), row.war) << row.traits.model;
        EXPECT_EQ(ClassImage(MapTwin::kInFlight, row.traits, Filters{}), row.flight) << row.traits.model;
    }
}

// Off buttons hide their class, only by the object's own side, and never
// the always-shown ones.
TEST(MapClasses, ButtonsHideTheirClassButNotTheAlwaysShownOnes) {
    Filters off{{false, false, true}, {false, false, false}, {false, false, false}, false, false};
    EXPECT_EQ(ClassImage(MapTwin::kWarRoom, Traits(kShip, "AA09", map_classes::kFriendly), off), -1);
    EXPECT_EQ(ClassImage(MapTwin::kWarRoom, Traits(kShip, "AA09", map_classes::kHostile), off), 13);
    EXPECT_EQ(ClassImage(MapTwin::kWarRoom, Traits(SpaceObject::kTypeAsteroid, "ROCK-01"), off), -1);
    EXPECT_EQ(ClassImage(MapTwin::kWarRoom, Traits(SpaceObject::kTypeWayPoint, ""), off), -1);
    EXPECT_EQ(ClassImage(MapTwin::kWarRoom, Traits(kShip, "BASE-CCCH9"), off), 0);
    EXPECT_EQ(ClassImage(MapTwin::kWarRoom, Traits(SpaceObject::kTypeJumpGate, "", map_classes::kNeutral, 50), off), 24);
    EXPECT_EQ(ClassImage(MapTwin::kInFlight, Traits(SpaceObject::kTypePlayerShip, ""), off), 7);
}

TEST(MapClasses, EnergySignatureSteps) {
    EXPECT_EQ(map_classes::SignatureImage(299), 30);
    EXPECT_EQ(map_classes::SignatureImage(300), 31);
    EXPECT_EQ(map_classes::SignatureImage(499), 31);
    EXPECT_EQ(map_classes::SignatureImage(500), 32);
}

}  // namespace
