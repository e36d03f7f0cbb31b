// The sample tree's missions as they are flown: set up from the written
// tree, stepped frame by frame on the world builder's clock.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/IffFile.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/Goal.h"
#include "mission/MissionFile.h"
#include "mission/MissionSetUp.h"
#include "mission/RandomMissionGenerator.h"
#include "objects/ships/Craft.h"
#include "objects/space/SpaceObject.h"
#include "objects/systems/TargetingSystem.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/SampleMissionTest.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/MissionRecords.h"
#include "tools/mkdata/RandomData.h"

namespace {

constexpr uint32_t kFrameMs = 50;

std::string NameOf(const SpaceObject* object) { return object->name != nullptr ? object->name : "?"; }

class SampleMissionsTest : public SampleMissionTest {
protected:
    // The pairs of crafts that touched in the first `ms` of the mission
    // flown with `seed`, named "A / B".
    std::set<std::string> CraftCollisions(const char* mission, int32_t seed, uint32_t ms) {
        std::set<std::string> met;
        EXPECT_EQ(SetUpSeededMission(mission, seed), kStatusOk);
        if (Game().mission == nullptr) return met;
        for (uint32_t flown = 0; flown < ms; flown += kFrameMs) {
            builder_->Clock().Advance(kFrameMs);
            Game().Simulate();
            for (SpaceObject* o = Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
                const SpaceObject* const partner = o->collisionPartner;
                if (o->active == 0 || partner == nullptr || o->type < SpaceObject::kTypeCraft) continue;
                if (partner->type < SpaceObject::kTypeCraft) continue;
                const std::string a = NameOf(o), b = NameOf(partner);
                met.insert(a < b ? a + " / " + b : b + " / " + a);
            }
        }
        FreeMission();
        return met;
    }
};

// Wingmen and raiders start where their first turns take them past each
// other: over eight seeds no two ships touch in the first ten seconds.
TEST_F(SampleMissionsTest, NoShipsOfTheSampleMissionCollideAtLaunch) {
    for (int32_t seed = 1; seed <= 8; ++seed) {
        const std::set<std::string> met = CraftCollisions("sample.uli", seed, 10000);
        std::string names;
        for (const std::string& pair : met) names += " [" + pair + "]";
        EXPECT_TRUE(met.empty()) << "seed " << seed << ":" << names;
    }
}

// Every mission of the sample tree as the command line flies it (the
// network game's as their host), and every kind of random mission at every
// difficulty: one frame after launch, wherever an enemy is on the radar
// besides the target the first objective gave, one T locks on an enemy;
// so it does from no target at all.
TEST_F(SampleMissionsTest, TheFirstTLocksOnAnEnemyInEveryMissionWhereOneIsOnTheRadar) {
    using Generator = RandomMissionGenerator;
    struct Flight {
        std::string file;
        int32_t kind = -1, level = 0;   // a random mission's
    };
    std::vector<Flight> flights;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path() / "missions")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".uli" && name != Generator::kSectorsFile) flights.push_back({name});
    }
    for (int32_t kind = 0; kind < Generator::kKinds; ++kind) {
        for (int32_t level = 0; level < Generator::kDifficulties; ++level) flights.push_back({"Rnd 0", kind, level});
    }
    std::set<std::string> contested;   // where an enemy was on the radar
    for (const Flight& flight : flights) {
        const std::string label = flight.kind < 0 ? flight.file : "random " + std::to_string(flight.kind) + "/" + std::to_string(flight.level);
        SCOPED_TRACE(label);
        const auto session = std::make_unique<RecordingNetSession>(true);
        Game().netSession = flight.file.rfind("net", 0) == 0 ? session.get() : nullptr;
        if (flight.kind >= 0) {
            Generator& generator = Generator::Of(Game());
            generator.networkGame = 1;
            generator.wingFlies = 0;
            generator.enemyAmount = generator.base = 1;   // a death match's raiders and base
            generator.SetUp(flight.kind, flight.level);
        }
        ASSERT_EQ(SetUpSeededMission(flight.file.c_str(), 1), kStatusOk);
        builder_->Clock().Advance(kFrameMs);
        Game().Simulate();
        auto* const ship = dynamic_cast<Craft*>(Game().playerShip);
        auto* const targeting = ship != nullptr ? static_cast<TargetingSystem*>(ship->GetSystem(ShipSystem::kTargeting, nullptr)) : nullptr;
        ASSERT_NE(targeting, nullptr);
        for (const bool held : {true, false}) {
            if (!held) targeting->SelectTarget(nullptr);
            const SpaceObject* const before = targeting->GetTarget();
            bool enemy = false;
            for (SpaceObject* o = Game().mission->firstObject; o != nullptr && !enemy; o = o->GetNext()) {
                enemy = o != before && ship->IsHostile(o) && targeting->CanTarget(o);
            }
            targeting->CycleTarget(1);
            if (!enemy) continue;
            contested.insert(label);
            const SpaceObject* const locked = targeting->GetTarget();
            EXPECT_TRUE(ship->IsHostile(locked)) << "T locked on " << (locked != nullptr ? NameOf(locked) : "nothing")
                                                 << (held ? " from the objective's target" : " from no target");
        }
        FreeMission();
        Game().netSession = nullptr;
    }
    for (const char* flown : {"sample.uli", "skirmish.uli", "mapworld.uli", "netfight.uli", "strike.uli", "patrol.uli",
                              "sweep.uli", "random 2/0", "random 4/0"}) {
        EXPECT_EQ(contested.count(flown), 1u) << flown << " had no enemy on the radar";
    }
}

// The watch itself sees a collision: two raiders launched nose to nose.
TEST_F(SampleMissionsTest, TwoShipsLaunchedHeadOnAreSeenToCollide) {
    const std::string path = (dir_.Path() / "missions" / "headon.uli").string();
    IffFile iff(0);
    Status status = iff.OpenFile(path.c_str(), kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(0.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", "Red 1", "Red", 0.0f, 0.0f, 900.0f, 2, 0), status);
    status = PutRecord(iff, mission_file::kShip, AiShipRecord("Raider", "Red 2", "Red", 0.0f, 0.0f, 960.0f, 2, 0, 0, true), status);
    // A leg to fly, far behind: a mission without a goal is refused at set-up.
    status = PutRecord(iff, mission_file::kWayPoint, NavPointRecord("Far", 0.0f, 0.0f, -50000.0f), status);
    status = PutRecord(iff, mission_file::kGoal, GoalRecord(1, Goal::kTravel, "", "Far", "Fly to Far", 300.0f), status);
    if (status == kStatusOk) status = iff.Ascend();
    iff.CloseFile();
    ASSERT_EQ(status, kStatusOk);
    EXPECT_EQ(CraftCollisions("headon.uli", 1, 2000), std::set<std::string>{"Red 1 / Red 2"});
}

}  // namespace
