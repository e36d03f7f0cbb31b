// Flights decided by their goals: small mission files written here, set up
// and flown frame by frame, the player's ship put where a pilot would fly it.
#include "mission/FlightGoals.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "game/Cockpit.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/Goal.h"
#include "mission/MissionFile.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "mission/SpawnRecords.h"
#include "objects/ships/Craft.h"
#include "objects/systems/EnergySystem.h"
#include "objects/systems/ShipSystem.h"
#include "objects/space/WorldPass.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/SampleMissionTest.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/MissionRecords.h"
#include "tools/mkdata/SampleTree.h"

namespace {

struct GoalSpec {
    int32_t id;
    int32_t type;
    const char* subject = "";
    const char* destination = "";
    const char* objective = "";
    float distance = 0.0f;
    int32_t active = 1;
    int32_t next = -1;
    int32_t threshold = 0;
    uint32_t timeMs = 0;
    int32_t wordC = 0;
    int32_t player = 1;
    // What the goal switches, by name, and whether on (1) or off (0).
    std::vector<std::pair<const char*, int32_t>> links = {};
};

MissionRecord GoalOf(const GoalSpec& spec) {
    MissionRecord goal(mission_file::kGoalBytes);
    goal.Word(0, spec.id).Word(4, spec.type).Word(8, spec.player).Word(16, 1).Word(20, spec.active).Word(24, spec.wordC);
    goal.Word(28, spec.threshold).Word(32, int32_t(spec.timeMs)).Floats(36, {spec.distance}).Word(44, spec.next);
    goal.Text(48, spec.subject, 16).Text(64, spec.destination, 16).Text(80, spec.objective, 64);
    for (size_t i = 0; i < spec.links.size(); ++i) {
        goal.Text(208 + 20 * uint32_t(i), spec.links[i].first, 16).Word(224 + 20 * uint32_t(i), spec.links[i].second);
    }
    return goal;
}

MissionRecord WayPointAt(const char* name, float z) {
    MissionRecord point(mission_file::kWayPointBytes);
    point.Text(0, "Way Point", 16).Text(16, name, 32).Floats(48, {0.0f, 0.0f, z});
    return point;
}

MissionRecord GateAt(const char* name, float z) {
    MissionRecord gate(spawn_records::kGateBytes);
    gate.Text(0, "Gate", 16).Floats(36, {0.0f, 0.0f, z, 0.0f});
    gate.Floats(56, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.0f, 0.0f, z}).Text(236, name, 32);
    return gate;
}

class FlightGoalsTest : public SampleMissionTest {
protected:
    // A mission of the player's ship at the origin, the records given, then the goals.
    Status Fly(const std::vector<std::pair<uint32_t, MissionRecord>>& records, const std::vector<GoalSpec>& goals,
               const char* ship = "P101") {
        const std::string path = (dir_.Path() / "missions" / "goals.uli").string();
        IffFile iff(0);
        Status status = iff.OpenFile(path.c_str(), kOpenWrite | kOpenCreate);
        if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
        status = PutRecord(iff, mission_file::kHeader, MissionHeader(0.0f), status);
        status = PutRecord(iff, mission_file::kPlayer, PlayerRecord(ship, "Alpha"), status);
        for (const auto& [chunk, record] : records) status = PutRecord(iff, chunk, record, status);
        for (const GoalSpec& goal : goals) status = PutRecord(iff, mission_file::kGoal, GoalOf(goal), status);
        if (status == kStatusOk) status = iff.Ascend();
        iff.CloseFile();
        if (status != kStatusOk) return status;
        return SetUpMission("goals.uli", -1);
    }
    Craft& Player() { return *static_cast<Craft*>(Game().playerShip); }
    // The pilot holds the ship still at z: the engines do not carry it off.
    void HoldAt(float z) {
        Player().local.SetPositionXyz(0.0f, 0.0f, z, Transform::kAllFlags);
        Player().velocity = {};
    }
    // Frames of 50 ms for `ms`, the ship held where it is put, when asked.
    void Frames(uint32_t ms, float holdZ = -1.0f) {
        for (uint32_t flown = 0; flown < ms; flown += 50) {
            if (holdZ >= 0.0f) HoldAt(holdZ);
            builder_->Clock().Advance(50);
            Game().Simulate();
        }
    }
    SpaceObject* Named(const char* name) {
        for (SpaceObject* o = Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
            if (o->name != nullptr && std::strcmp(o->name, name) == 0) return o;
        }
        return nullptr;
    }
    std::string Objective() { return Game().TheCockpit().ObjectiveText(); }

    RecordingMessageBox boxes_;
    ScopedInstall<platform::MessageBox> installed_{boxes_};
};

using flight_goals::Outcome;

// Out to a point and back: nothing is won by waiting; each leg met moves
// the chain, the cockpit's objective and the ship's nav target on; the
// flight, without a gate, ends five seconds after it is won.
TEST_F(FlightGoalsTest, TravelLegsAreMetByFlyingAndTheFlightEndsWonAfterTheLast) {
    ASSERT_EQ(Fly({{mission_file::kWayPoint, WayPointAt("Out", 1500.0f)}, {mission_file::kWayPoint, WayPointAt("Home", 0.0f)}},
                  {{1, 5, "", "Out", "Fly out", 200.0f, 1, 2}, {2, 5, "", "Home", "Fly home", 200.0f, 0}}),
              kStatusOk);
    Frames(10000, 0.0f);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kOpen);
    EXPECT_EQ(FindGoalById(2)->met, 0);   // at home all along, but not asked yet
    EXPECT_EQ(Objective(), "Fly out");
    EXPECT_EQ(Player().navTarget.Get(), Named("Out"));

    Frames(100, 1400.0f);
    EXPECT_EQ(FindGoalById(1)->met, 1);
    EXPECT_EQ(FindGoalById(2)->active, 1);
    EXPECT_EQ(Objective(), "Fly home");
    EXPECT_EQ(Player().navTarget.Get(), Named("Home"));
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kOpen);

    Frames(100, 100.0f);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kWon);
    EXPECT_EQ(Objective(), "");
    Frames(flight_goals::kEndDelayMs - 200, 100.0f);
    EXPECT_FALSE(flight_goals::FlightOver(Game()));
    Frames(200, 100.0f);
    EXPECT_TRUE(flight_goals::FlightOver(Game()));

    // In a network game a pilot shot down flies again: its death loses
    // nothing, and the legs it flies after are won.
    GameState::NetworkHooks network;
    network.isNetworkGame = [] { return true; };
    GameState::SetNetworkHooks(network);
    ASSERT_EQ(Fly({{mission_file::kWayPoint, WayPointAt("Out", 1500.0f)}, {mission_file::kWayPoint, WayPointAt("Home", 0.0f)}},
                  {{1, 5, "", "Out", "Fly out", 200.0f, 1, 2}, {2, 5, "", "Home", "Fly home", 200.0f, 0}}),
              kStatusOk);
    Player().Explode(nullptr, 0);
    Frames(3000);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kOpen);
    Player().Respawn();
    Frames(100, 1400.0f);
    Frames(100, 100.0f);
    GameState::SetNetworkHooks({});
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kWon);
}

// Subjects decide kill, disable and protect goals; a protect goal without
// a time holds until the others are met and is met with them.
TEST_F(FlightGoalsTest, KillDisableAndProtectAreDecidedByTheirSubjects) {
    const std::vector<std::pair<uint32_t, MissionRecord>> ships = {
        {mission_file::kShip, AiShipRecord("Raider", "Prey", "Red", -3000.0f, 0.0f, 3000.0f, 0, 0)},
        {mission_file::kShip, AiShipRecord("Raider", "Prize", "Gold", 3000.0f, 0.0f, 3000.0f, 0, 0)},
        {mission_file::kShip, AiShipRecord("Capital", "Convoy", "Blue", 0.0f, 3000.0f, -3000.0f, 0, 0)},
    };
    const std::vector<GoalSpec> goals = {{1, 1, "Prey", "", "Destroy the prey"},
                                         {2, 3, "Prize", "", "Disable the prize", 0.0f, 1, -1, 50},
                                         {3, 2, "Convoy", "", "Protect the convoy", 0.0f, 1, -1, 30}};
    ASSERT_EQ(Fly(ships, goals), kStatusOk);
    SpaceObject* const prize = Named("Prize");
    prize->hitPoints = prize->maxHitPoints * 6 / 10;
    Frames(500, 0.0f);
    EXPECT_EQ(FindGoalById(2)->met, 0);
    prize->hitPoints = prize->maxHitPoints * 4 / 10;
    Named("Prey")->hitPoints = 0;
    Frames(100, 0.0f);
    EXPECT_EQ(FindGoalById(1)->met, 1);
    EXPECT_EQ(FindGoalById(2)->met, 1);
    EXPECT_EQ(FindGoalById(3)->met, 1);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kWon);

    // Again, and this time the convoy is hit below its threshold, the prize destroyed.
    ASSERT_EQ(Fly(ships, goals), kStatusOk);
    SpaceObject* const convoy = Named("Convoy");
    convoy->hitPoints = convoy->maxHitPoints / 5;
    Named("Prize")->hitPoints = 0;
    Frames(100, 0.0f);
    EXPECT_TRUE(FindGoalById(3)->Failed());
    EXPECT_TRUE(FindGoalById(2)->Failed());
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kFailed);
    Frames(flight_goals::kEndDelayMs, 0.0f);
    EXPECT_TRUE(flight_goals::FlightOver(Game()));
}

// The mission clock: a finish-in limit fails when its goal comes late, a
// wait is met at its time; a player reported fails what had to stay unseen.
TEST_F(FlightGoalsTest, ClockGoalsAndTheReportDecideOnTime) {
    const std::vector<std::pair<uint32_t, MissionRecord>> points = {{mission_file::kWayPoint, WayPointAt("Far", 5000.0f)}};
    ASSERT_EQ(Fly(points, {{1, 4, "", "", "Hold", 0.0f, 1, -1, 0, 8000},
                           {2, 6, "", "", "Be quick", 0.0f, 1, 3, 0, 4000},
                           {3, 5, "", "Far", "Reach Far", 100.0f, 1}}),
              kStatusOk);
    Frames(3900, 0.0f);
    EXPECT_EQ(FindGoalById(2)->done, 0);
    Frames(200, 0.0f);
    EXPECT_TRUE(FindGoalById(2)->Failed());
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kFailed);
    EXPECT_EQ(FindGoalById(1)->met, 0);
    Frames(4000, 0.0f);
    EXPECT_EQ(FindGoalById(1)->met, 1);

    // In time: the limit is met with its goal.
    ASSERT_EQ(Fly(points, {{2, 6, "", "", "Be quick", 0.0f, 1, 3, 0, 4000}, {3, 5, "", "Far", "Reach Far", 100.0f, 1}}),
              kStatusOk);
    Frames(2000, 0.0f);
    Frames(100, 4950.0f);
    EXPECT_EQ(FindGoalById(2)->met, 1);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kWon);

    ASSERT_EQ(Fly(points, {{3, 5, "", "Far", "Reach Far unseen", 100.0f, 1, -1, 0, 0, Goal::kUndetected}}), kStatusOk);
    Frames(500, 0.0f);
    Game().mission->playerReported = 1;
    Frames(100, 4950.0f);
    EXPECT_TRUE(FindGoalById(3)->Failed());
}

// Into the gate: the jump goal is met, the ship jumps, untouched by the
// gate it sits in, and the flight ends when the jump is complete. A ship
// wrecked before its jump completes is no jump out.
TEST_F(FlightGoalsTest, FlyingIntoTheGateJumpsOutUnharmedAndEndsTheFlight) {
    // The Lancer carries no armour: whatever strikes it strikes its hull.
    ASSERT_EQ(Fly({{mission_file::kGate, GateAt("Home Gate", 3000.0f)}},
                  {{1, 9, "", "Home Gate", "Jump through Home Gate", 300.0f}}, "P102"),
              kStatusOk);
    Frames(1000, 0.0f);
    EXPECT_EQ(Player().jumpDeadline, 0);
    const int32_t hull = Player().hitPoints;
    Frames(50, 2800.0f);
    EXPECT_EQ(FindGoalById(1)->met, 1);
    EXPECT_GT(Player().jumpDeadline, 0);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kWon);
    EXPECT_FALSE(flight_goals::FlightOver(Game()));
    Frames(2000);
    EXPECT_EQ(Player().active, 0u);
    EXPECT_EQ(Player().hitPoints, hull);
    EXPECT_EQ(Player().dead, 0);
    EXPECT_TRUE(flight_goals::FlightOver(Game()));

    ASSERT_EQ(Fly({{mission_file::kGate, GateAt("Home Gate", 3000.0f)}},
                  {{1, 9, "", "Home Gate", "Jump through Home Gate", 300.0f}}),
              kStatusOk);
    Frames(50, 2800.0f);
    ASSERT_GT(Player().jumpDeadline, 0);
    Player().Explode(nullptr, 0);
    Frames(3000);
    EXPECT_EQ(Player().active, 0u);
    EXPECT_EQ(Player().deaths, 1);
    EXPECT_FALSE(flight_goals::FlightOver(Game()));
    // Its death run, the wreck reads as one: inactive, neither on its way
    // through the gate nor out of it. A wreck still on a jump would keep
    // the death watch waiting, and the flight would never end.
    EXPECT_EQ(Player().jumpDeadline, 0) << "a wreck still jumping";
    EXPECT_EQ(Player().jumpedOut, 0);
}

// A protect goal without a time is no win by waiting: alone it is refused
// at set-up, as a flight nothing flown could win; beside another goal it
// is not won while the goal that would join it is still to be switched on
// by the chain.
TEST_F(FlightGoalsTest, AProtectGoalAloneIsRefusedAndOneWaitingForItsPartnerIsNotWonIdle) {
    const std::vector<std::pair<uint32_t, MissionRecord>> records = {
        {mission_file::kShip, AiShipRecord("Capital", "Convoy", "Blue", 0.0f, 3000.0f, -3000.0f, 0, 0)},
        {mission_file::kWayPoint, WayPointAt("Far", 5000.0f)},
        {mission_file::kWayPoint, WayPointAt("Near", 0.0f)}};
    EXPECT_EQ(Fly(records, {{1, 2, "Convoy", "", "Protect the convoy", 0.0f, 1, -1, 30}}), kStatusMalformed);
    EXPECT_EQ(SetUpReport(), std::vector<std::string>{set_up_refusal::kOnlyHolding});
    EXPECT_EQ(Game().missionReady, 0);

    // A leg met at once, and another that a wait of the mission's own
    // switches on later: until then the convoy's goal holds.
    ASSERT_EQ(Fly(records, {{1, 2, "Convoy", "", "Protect the convoy", 0.0f, 1, 3, 30},
                            {2, 5, "", "Far", "Reach Far", 100.0f, 0},
                            {3, 4, "", "", "", 0.0f, 1, 2, 0, 3000, 0, 0},
                            {4, 5, "", "Near", "Reach Near", 100.0f, 1}}),
              kStatusOk);
    Frames(2000, 0.0f);
    EXPECT_EQ(FindGoalById(4)->met, 1);
    EXPECT_EQ(FindGoalById(2)->active, 0);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kOpen);
    Frames(2000, 0.0f);
    EXPECT_EQ(FindGoalById(2)->active, 1);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kOpen);
    Frames(100, 4950.0f);
    EXPECT_EQ(FindGoalById(1)->met, 1);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kWon);
}

// Near, then the convoy kept, then the raider: the protection in the
// middle of the chain passes it on as it comes on, holds while the raider
// is hunted and keeps the flight open until the raider is down; the
// cockpit shows the raider, not the convoy. Lose the convoy on the way and
// the flight is lost.
TEST_F(FlightGoalsTest, AProtectGoalInTheMiddleOfTheChainKeepsTheFlightOpenUntilTheGoalAfterIt) {
    const std::vector<std::pair<uint32_t, MissionRecord>> records = {
        {mission_file::kShip, AiShipRecord("Capital", "Convoy", "Blue", 0.0f, 3000.0f, -3000.0f, 0, 0)},
        {mission_file::kShip, AiShipRecord("Raider", "Bandit", "Red", 3000.0f, 0.0f, 3000.0f, 0, 0)},
        {mission_file::kWayPoint, WayPointAt("Near", 1000.0f)}};
    const std::vector<GoalSpec> goals = {{1, 5, "", "Near", "Fly to Near", 200.0f, 1, 2},
                                         {2, 2, "Convoy", "", "Protect the convoy", 0.0f, 0, 3, 30},
                                         {3, 1, "Bandit", "", "Destroy the raider", 0.0f, 0}};
    ASSERT_EQ(Fly(records, goals), kStatusOk);
    EXPECT_TRUE(SetUpReport().empty());
    Frames(1000, 0.0f);
    EXPECT_EQ(FindGoalById(2)->active, 0);
    EXPECT_EQ(FindGoalById(3)->active, 0);
    Frames(500, 950.0f);
    EXPECT_EQ(FindGoalById(1)->met, 1);
    EXPECT_EQ(FindGoalById(3)->active, 1);
    EXPECT_EQ(Objective(), "Destroy the raider");
    Frames(5000, 950.0f);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kOpen);
    EXPECT_EQ(FindGoalById(2)->met, 0);
    Named("Bandit")->hitPoints = 0;
    Frames(100, 950.0f);
    EXPECT_EQ(FindGoalById(3)->met, 1);
    EXPECT_EQ(FindGoalById(2)->met, 1);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kWon);

    ASSERT_EQ(Fly(records, goals), kStatusOk);
    Frames(500, 950.0f);
    ASSERT_EQ(FindGoalById(3)->active, 1);
    Named("Convoy")->hitPoints = 0;
    Frames(100, 950.0f);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kFailed);
}

// A convoy kept to the end, its links naming a player's goal to switch on,
// a beacon and a lookout's goal to switch off: while it holds only the leg
// after it on its chain comes on; everything its links name waits for the
// convoy's goal to be met with the win. Lose the convoy and nothing it
// names is ever switched.
TEST_F(FlightGoalsTest, AProtectGoalWithoutATimePassesOnlyItsChainWhileItHoldsAndSwitchesItsLinksWhenMet) {
    const std::vector<std::pair<uint32_t, MissionRecord>> records = {
        {mission_file::kShip, AiShipRecord("Capital", "Convoy", "Blue", 0.0f, 3000.0f, -3000.0f, 0, 0)},
        {mission_file::kWayPoint, WayPointAt("Near", 1000.0f)},
        {mission_file::kWayPoint, WayPointAt("Far", 6000.0f)},
        {mission_file::kWayPoint, WayPointAt("Beacon", -2000.0f)}};
    const std::vector<GoalSpec> goals = {
        {1, 2, "Convoy", "", "Keep the convoy", 0.0f, 1, 2, 30, 0, 0, 1, {{"Reach Far", 1}, {"Beacon", 0}, {"Watch", 0}}},
        {2, 5, "", "Near", "Reach Near", 200.0f, 0, 5},
        {4, 5, "", "Far", "Reach Far", 200.0f, 0},
        {5, 4, "", "", "Watch", 0.0f, 1, -1, 0, 600000, 0, 0}};
    ASSERT_EQ(Fly(records, goals), kStatusOk);
    EXPECT_TRUE(SetUpReport().empty());
    Frames(2000, 0.0f);
    EXPECT_EQ(FindGoalById(2)->active, 1);
    EXPECT_EQ(Objective(), "Reach Near");
    EXPECT_EQ(FindGoalById(4)->active, 0) << "switched on before the convoy's goal was met";
    EXPECT_NE(Named("Beacon")->active, 0u) << "switched off before the convoy's goal was met";
    EXPECT_EQ(FindGoalById(5)->active, 1) << "switched off before the convoy's goal was met";
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kOpen);

    // The leg flown: the goal the convoy's link would switch on later does
    // not hold the win back, and the links act as the convoy's goal is met.
    Frames(100, 950.0f);
    EXPECT_EQ(FindGoalById(2)->met, 1);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kWon);
    EXPECT_EQ(FindGoalById(1)->met, 1);
    EXPECT_EQ(FindGoalById(4)->active, 1);
    EXPECT_EQ(Named("Beacon")->active, 0u);
    EXPECT_EQ(FindGoalById(5)->active, 0);

    ASSERT_EQ(Fly(records, goals), kStatusOk);
    Frames(500, 0.0f);
    ASSERT_EQ(FindGoalById(2)->active, 1);
    Named("Convoy")->hitPoints = 0;
    Frames(1000, 0.0f);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kFailed);
    EXPECT_EQ(FindGoalById(4)->active, 0);
    EXPECT_NE(Named("Beacon")->active, 0u);
    EXPECT_EQ(FindGoalById(5)->active, 1);
}

// A link that switches a goal off is no way for that goal to come on: a
// mission whose only goal to fly for is reached by such a link alone is
// refused, as is one reached only by the links of a protection without a
// time (they act with the win); a goal that only a refused goal switches on
// is refused, whatever off links name it. In flight, a goal that an off
// link names does not keep the win waiting.
TEST_F(FlightGoalsTest, AnOffLinkNeverCountsAsSwitchingAGoalOn) {
    const std::vector<std::pair<uint32_t, MissionRecord>> records = {
        {mission_file::kShip, AiShipRecord("Capital", "Convoy", "Blue", 0.0f, 3000.0f, -3000.0f, 0, 0)},
        {mission_file::kWayPoint, WayPointAt("Near", 1000.0f)},
        {mission_file::kWayPoint, WayPointAt("Far", 6000.0f)}};
    // The convoy's chain leads to the lookout: only a link could bring the far leg on.
    const GoalSpec convoy = {1, 2, "Convoy", "", "Keep the convoy", 0.0f, 1, 5, 30};
    const GoalSpec far = {4, 5, "", "Far", "Reach Far", 200.0f, 0};
    GoalSpec lookout = {5, 4, "", "", "Watch", 0.0f, 1, -1, 0, 3000, 0, 0, {{"Reach Far", 0}}};
    EXPECT_EQ(Fly(records, {convoy, far, lookout}), kStatusMalformed);
    EXPECT_EQ(SetUpReport(), std::vector<std::string>{set_up_refusal::kOnlyHolding});
    lookout.links = {{"Reach Far", 1}};
    EXPECT_EQ(Fly(records, {convoy, far, lookout}), kStatusOk);
    GoalSpec linkedByTheConvoy = convoy;
    linkedByTheConvoy.links = {{"Reach Far", 1}};
    EXPECT_EQ(Fly(records, {linkedByTheConvoy, far}), kStatusMalformed);
    EXPECT_EQ(SetUpReport(), std::vector<std::string>{set_up_refusal::kOnlyHolding});

    // First on the chain, the far leg is on nobody's chain.
    EXPECT_EQ(Fly(records, {{1, 5, "", "Far", "Reach Far", 200.0f, 0},
                            {2, 5, "", "Nowhere", "Fly nowhere", 200.0f, 1, -1, 0, 0, 0, 1, {{"Reach Far", 1}}},
                            {3, 5, "", "Near", "Reach Near", 200.0f, 1, -1, 0, 0, 0, 1, {{"Reach Far", 0}}}}),
              kStatusOk);
    EXPECT_EQ(SetUpReport(),
              (std::vector<std::string>{std::string("goal 1 \"Reach Far\": ") + set_up_refusal::kOnlyRefusedSwitch,
                                        std::string("goal 2 \"Fly nowhere\": ") + set_up_refusal::kNoDestination}));

    lookout.links = {{"Reach Far", 0}};
    ASSERT_EQ(Fly(records, {convoy, {3, 5, "", "Near", "Reach Near", 200.0f, 1, 5}, far, lookout}), kStatusOk);
    Frames(500, 0.0f);
    Frames(100, 950.0f);
    EXPECT_EQ(FindGoalById(3)->met, 1);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kWon);
    EXPECT_EQ(FindGoalById(4)->active, 0);
}

// Missions that no flight could win are refused at set-up, the first
// reason first: no goal of the player's; a finish-in limit on a protection
// that is met only at the end; and the training's shape with its first
// destination misspelt, where the way home only that leg switches on goes
// too, and the limit on it with it.
TEST_F(FlightGoalsTest, MissionsThatCanNeverBeWonAreRefusedWithTheFirstReasonFirst) {
    const std::vector<std::pair<uint32_t, MissionRecord>> records = {
        {mission_file::kShip, AiShipRecord("Capital", "Convoy", "Blue", 0.0f, 3000.0f, -3000.0f, 0, 0)},
        {mission_file::kWayPoint, WayPointAt("Home", 0.0f)}};
    const auto refused = [](int32_t id, const char* text, const char* why) {
        return "goal " + std::to_string(id) + " \"" + text + "\": " + why;
    };
    EXPECT_EQ(Fly(records, {}), kStatusMalformed);
    EXPECT_EQ(SetUpReport(), std::vector<std::string>{set_up_refusal::kNoPlayerGoal});
    EXPECT_EQ(Fly(records, {{1, 4, "", "", "", 0.0f, 1, -1, 0, 3000, 0, 0}}), kStatusMalformed);
    EXPECT_EQ(SetUpReport(), std::vector<std::string>{set_up_refusal::kNoPlayerGoal});
    EXPECT_EQ(Game().playerShip, nullptr);

    EXPECT_EQ(Fly(records, {{1, 6, "", "", "Within a minute", 0.0f, 1, 2, 0, 60000},
                            {2, 2, "Convoy", "", "Protect the convoy", 0.0f, 1, -1, 30}}),
              kStatusMalformed);
    EXPECT_EQ(SetUpReport(), (std::vector<std::string>{refused(1, "Within a minute", set_up_refusal::kNextOnlyAtEnd),
                                                        set_up_refusal::kOnlyHolding}));

    EXPECT_EQ(Fly(records, {{1, 5, "", "Beacn", "Fly to the beacon", 300.0f, 1, 3},
                            {2, 6, "", "", "Back within 90 seconds", 0.0f, 1, 3, 0, 90000},
                            {3, 5, "", "Home", "Return home", 400.0f, 0}}),
              kStatusMalformed);
    EXPECT_EQ(SetUpReport(),
              (std::vector<std::string>{refused(1, "Fly to the beacon", set_up_refusal::kNoDestination),
                                        refused(2, "Back within 90 seconds", set_up_refusal::kNothingToFinish),
                                        refused(3, "Return home", set_up_refusal::kOnlyRefusedSwitch),
                                        set_up_refusal::kNoGoalLeft}));
    EXPECT_EQ(Game().missionReady, 0);
}

// A station's reload goal: met when the player's ship comes to rest beside
// it, which fills its fuel, once the station is in the world (a goal holds
// it back at the start, and it jumps in later); it never decides the flight.
TEST_F(FlightGoalsTest, ComingToRestBesideAStationReloads) {
    ASSERT_EQ(Fly({{mission_file::kShip, AiShipRecord("Capital", "Depot", "Depot", 0.0f, 0.0f, 1000.0f, 0, 0)},
                   {mission_file::kWayPoint, WayPointAt("Far", 9000.0f)}},
                  {{1, 5, "", "Far", "Reach Far", 100.0f}, {2, 4, "", "", "Hold", 0.0f, 1, -1, 0, 0, 0, 1, {{"Depot", 0}}}}),
              kStatusOk);
    auto* const reload = new ReloadGoal(Named("Depot"));
    auto* const energy = static_cast<EnergySystem*>(Player().GetSystem(ShipSystem::kEnergy, nullptr));
    ASSERT_NE(energy, nullptr);
    energy->fuel = 0;
    Frames(500, 600.0f);
    EXPECT_EQ(reload->met, 0);
    const float beside = 1000.0f - Named("Depot")->Radius() - Player().Radius() - 50.0f;
    Frames(100, beside);
    EXPECT_EQ(reload->met, 0);
    static_cast<Craft*>(Named("Depot"))->ArriveByJump();
    Frames(100, beside);
    EXPECT_EQ(reload->met, 1);
    EXPECT_GT(energy->fuel, 0);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kOpen);
}

// A goal about nothing in the world, and a chain that comes back on itself,
// are refused at set-up, named in the report; the looping mission does not fly.
TEST_F(FlightGoalsTest, GoalsWithoutSubjectAndLoopingChainsAreRefused) {
    const std::vector<std::pair<uint32_t, MissionRecord>> points = {{mission_file::kWayPoint, WayPointAt("Out", 500.0f)}};
    ASSERT_EQ(Fly(points, {{1, 1, "Nobody", "", "Destroy nobody"}, {2, 5, "", "Out", "Fly out", 100.0f}}), kStatusOk);
    EXPECT_EQ(FindGoalById(1), nullptr);
    ASSERT_FALSE(SetUpReport().empty());
    EXPECT_NE(SetUpReport().back().find("Destroy nobody"), std::string::npos);
    Frames(1000, 0.0f);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kOpen);

    EXPECT_EQ(Fly(points, {{1, 5, "", "Out", "One", 100.0f, 1, 2}, {2, 5, "", "Out", "Two", 100.0f, 1, 1}}),
              kStatusMalformed);
    ASSERT_FALSE(SetUpReport().empty());
    EXPECT_NE(SetUpReport().back().find("loops"), std::string::npos);
    EXPECT_EQ(GetGoalList(), nullptr);
    EXPECT_EQ(Game().playerShip, nullptr);
}

// Goals that can never be met are refused at set-up, so that the flight
// still ends as flown: a travel goal and a jump to nothing, and a finish-in
// limit written last, with nothing after it on the chain, which would
// otherwise fail once its time ran out. A mission left without a goal of
// the player's is refused whole.
TEST_F(FlightGoalsTest, GoalsThatCanNeverBeMetAreRefusedAndTheFlightStillEnds) {
    const std::vector<std::pair<uint32_t, MissionRecord>> points = {{mission_file::kWayPoint, WayPointAt("Out", 500.0f)}};
    ASSERT_EQ(Fly(points, {{1, 5, "", "Nowhere", "Fly nowhere", 100.0f},
                           {2, 5, "", "Out", "Fly out", 100.0f},
                           {3, 9, "", "No Gate", "Jump through No Gate", 300.0f},
                           {4, 6, "", "", "Within four seconds", 0.0f, 1, -1, 0, 4000}}),
              kStatusOk);
    EXPECT_EQ(SetUpReport(), (std::vector<std::string>{
                                 std::string("goal 1 \"Fly nowhere\": ") + set_up_refusal::kNoDestination,
                                 std::string("goal 3 \"Jump through No Gate\": ") + set_up_refusal::kNoDestination,
                                 std::string("goal 4 \"Within four seconds\": ") + set_up_refusal::kNothingToFinish}));
    EXPECT_EQ(Game().jumpGoal, nullptr);
    Frames(5000, 0.0f);
    Frames(100, 450.0f);
    EXPECT_EQ(flight_goals::GetOutcome(), Outcome::kWon);
    Frames(flight_goals::kEndDelayMs, 450.0f);
    EXPECT_TRUE(flight_goals::FlightOver(Game()));

    EXPECT_EQ(Fly(points, {{1, 5, "", "Nowhere", "Fly nowhere", 100.0f}}), kStatusMalformed);
    ASSERT_FALSE(SetUpReport().empty());
    EXPECT_EQ(SetUpReport().back(), set_up_refusal::kNoGoalLeft);
    EXPECT_EQ(GetGoalList(), nullptr);
    EXPECT_EQ(Game().mission->firstObject, nullptr);
    EXPECT_EQ(Game().missionReady, 0);
}

// A goal of no kind of its own, active among the player's, is decided by no
// pass of the flight: it stays open while the travel goal beside it is met.
TEST_F(FlightGoalsTest, AGoalOfNoKindIsLeftOpenByTheFlight) {
    const std::vector<std::pair<uint32_t, MissionRecord>> points = {{mission_file::kWayPoint, WayPointAt("Near", 500.0f)}};
    ASSERT_EQ(Fly(points, {{3, 5, "", "Near", "Reach Near", 100.0f, 1}}), kStatusOk);
    auto* const plain = new Goal(Game().mission->firstObject);
    plain->playerGoal = 1;
    plain->active = 1;
    Frames(1000, 0.0f);
    Frames(100, 480.0f);
    EXPECT_EQ(FindGoalById(3)->met, 1);
    EXPECT_EQ(plain->met, 0);
    EXPECT_EQ(plain->done, 0);
    EXPECT_EQ(plain->Evaluate(60000), 0);
    delete plain;
}

// A goal may name a subject that starts crippled: its weapons and engine
// are run down from the first frame; the same ship under a plain goal is whole.
TEST_F(FlightGoalsTest, ACrippledSubjectStartsWithItsSystemsRunDown) {
    const std::vector<std::pair<uint32_t, MissionRecord>> ships = {
        {mission_file::kShip, AiShipRecord("Raider", "Prize", "Gold", 3000.0f, 0.0f, 3000.0f, 0, 0)},
    };
    for (const int32_t wordC : {0, int32_t(Goal::kCrippledSubject)}) {
        SCOPED_TRACE(wordC);
        ASSERT_EQ(Fly(ships, {{2, 3, "Prize", "", "Disable the prize", 0.0f, 1, -1, 50, 0, wordC}}), kStatusOk);
        auto* const prize = dynamic_cast<Craft*>(Named("Prize"));
        ASSERT_NE(prize, nullptr);
        ShipSystem* const engine = prize->GetSystem(ShipSystem::kEngine, nullptr);
        ASSERT_NE(engine, nullptr);
        ASSERT_GT(engine->maxDamage, 0);
        EXPECT_EQ(engine->damage, wordC != 0 ? engine->maxDamage * 2 / 3 : 0);
        for (ShipSystem* s = prize->GetSystem(ShipSystem::kAnyWeapon, nullptr); s != nullptr;
             s = prize->GetSystem(ShipSystem::kAnyWeapon, s)) {
            EXPECT_EQ(s->damage, wordC != 0 ? s->maxDamage : 0) << s->typeId;
        }
    }
}

}  // namespace
