// The sample tree's missions as they are flown: set up from the written
// tree, stepped frame by frame on the world builder's clock.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
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
// network game's as their host) and every random kind at every difficulty,
// one frame after launch: wherever an enemy is on the radar besides the
// target the first objective gave, one T locks on an enemy, from that
// target and from none.
TEST_F(SampleMissionsTest, TheFirstTLocksOnAnEnemyInEveryMissionWhereOneIsOnTheRadar) {
    using Generator = RandomMissionGenerator;
    std::vector<std::pair<std::string, int32_t>> flights;   // a file, or a random kind and difficulty (-1 none)
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path() / "missions")) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".uli" && name != Generator::kSectorsFile) flights.emplace_back(name, -1);
    }
    for (int32_t k = 0; k < Generator::kKinds * Generator::kDifficulties; ++k) flights.emplace_back("Rnd 0", k);
    int32_t contested = 0;
    for (const auto& [file, random] : flights) {
        SCOPED_TRACE(file + " " + std::to_string(random));
        RecordingNetSession host(true);
        Game().netSession = file.rfind("net", 0) == 0 ? &host : nullptr;
        Generator& generator = Generator::Of(Game());
        generator.networkGame = 1, generator.wingFlies = 0, generator.enemyAmount = generator.base = 1;
        if (random >= 0) generator.SetUp(random / Generator::kDifficulties, random % Generator::kDifficulties);
        ASSERT_EQ(SetUpSeededMission(file.c_str(), 1), kStatusOk);
        builder_->Clock().Advance(kFrameMs);
        Game().Simulate();
        auto* const ship = dynamic_cast<Craft*>(Game().playerShip);
        ASSERT_NE(ship, nullptr);
        auto* const targeting = static_cast<TargetingSystem*>(ship->GetSystem(ShipSystem::kTargeting, nullptr));
        for (const bool held : {true, false}) {
            if (!held) targeting->SelectTarget(nullptr);
            bool enemy = false;
            for (SpaceObject* o = Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
                enemy = enemy || (o != targeting->GetTarget() && ship->IsHostile(o) && targeting->CanTarget(o));
            }
            targeting->CycleTarget(1);
            contested += enemy ? 1 : 0;
            const SpaceObject* const locked = targeting->GetTarget();
            EXPECT_TRUE(!enemy || ship->IsHostile(locked))
                << "T locked on " << (locked != nullptr ? NameOf(locked) : "nothing") << (held ? " from its target" : " from none");
        }
        FreeMission();
        Game().netSession = nullptr;
    }
    EXPECT_GE(contested, 40) << "few missions had an enemy on the radar";
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
