#include "mission/Goal.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Goals are on the list for their life; an object leaving the world leaves
// no goal naming it.
TEST(GoalTest, ALeavingObjectIsNoGoalsSubject) {
    auto* const object = reinterpret_cast<SpaceObject*>(&g_goalList);
    auto first = std::make_unique<Goal>();
    auto second = std::make_unique<Goal>();
    first->SetSubject(object);
    second->SetSubject(object);
    EXPECT_EQ(g_goalList, second.get());
    ForgetGoalSubject(object);
    EXPECT_EQ(first->GetSubject(), nullptr);
    EXPECT_EQ(second->GetSubject(), nullptr);
    second.reset();
    EXPECT_EQ(g_goalList, first.get());
    first.reset();
    EXPECT_EQ(g_goalList, nullptr);
}

}  // namespace

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "game/GameState.h"
#include "mission/MissionFile.h"
#include "net/PacketBytes.h"
#include "objects/space/SpaceObject.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

TEST(GoalTest, EachRecordTypeMakesItsGoal) {
    const struct {
        int32_t recordType;
        int32_t kind;
    } table[] = {{1, Goal::kKill},   {2, Goal::kProtect}, {3, Goal::kDisable}, {4, Goal::kWait},
                 {5, Goal::kTravel}, {6, Goal::kFinishIn}, {9, Goal::kTravel}, {0, -1}, {7, -1}, {-9, -1}};
    for (const auto& row : table) {
        std::unique_ptr<Goal> goal(MakeGoal(row.recordType, nullptr));
        EXPECT_EQ(goal != nullptr ? goal->GetKind() : -1, row.kind) << "record type " << row.recordType;
    }
    EXPECT_EQ(g_goalList, nullptr);
}

class GoalWorldTest : public ::testing::Test {
protected:
    ~GoalWorldTest() override { FreeGoals(); }
    SpaceObject* Named(const char* name) {
        SpaceObject* const object = builder_.Spawn(builder_.Ball(name, 10.0f), 1);
        object->SetName(name);
        object->Activate(0);
        return object;
    }
    WorldBuilder builder_;
};

// A subject named by its uoid before it exists is bound when it arrives, once.
TEST_F(GoalWorldTest, APendingSubjectIsBoundOnArrival) {
    auto* const goal = new KillGoal(nullptr, 0);
    goal->pendingSubject = 77;
    goal->active = 1;
    EXPECT_EQ(goal->Evaluate(0), 0);   // not yet there is not gone
    SpaceObject* const other = Named("OTHER");
    other->uoid = 76;
    BindPendingSubjects(other);
    EXPECT_EQ(goal->GetSubject(), nullptr);
    SpaceObject* const arrival = Named("ARRIVE");
    arrival->uoid = 77;
    BindPendingSubjects(arrival);
    EXPECT_EQ(goal->GetSubject(), arrival);
    EXPECT_EQ(goal->pendingSubject, -1);
    other->uoid = 77;
    BindPendingSubjects(other);
    EXPECT_EQ(goal->GetSubject(), arrival);
}

TEST_F(GoalWorldTest, ActivationSwitchesTheLinksOnce) {
    SpaceObject* const gate = Named("Gate 2");
    gate->active = 0;
    auto* const next = new WaitGoal(nullptr, 0);
    next->SetObjectiveText("Wait here");
    auto* const goal = new TravelGoal(nullptr, 0);
    std::strcpy(goal->links[0].name, "Gate 2");
    goal->links[0].on = 1;
    std::strcpy(goal->links[1].name, "Wait here");
    goal->links[1].on = 1;
    ActivateGoal(goal, builder_.Game().playerShip);
    EXPECT_EQ(goal->met, 1);
    EXPECT_NE(gate->active, 0u);
    EXPECT_EQ(next->active, 1);
    gate->active = 0;
    next->active = 0;
    ActivateGoal(goal, nullptr);
    EXPECT_EQ(gate->active, 0u);
    EXPECT_EQ(next->active, 0);
}

TEST_F(GoalWorldTest, TheObjectiveChainRunsThroughThePlayersGoalsByTheirIds) {
    for (const int32_t id : {5, 2, 9, 3}) {
        Goal* const goal = new WaitGoal(nullptr, 0);
        goal->id = id;
        goal->playerGoal = id != 9 ? 1 : 0;
    }
    builder_.Game().mission->goalList = g_goalList;
    EXPECT_EQ(LinkGoals(1), 1);
    std::vector<int32_t> ids;
    for (Goal* goal = g_objectiveChain; goal != nullptr; goal = goal->nextGoal) ids.push_back(goal->id);
    EXPECT_EQ(ids, (std::vector<int32_t>{2, 3, 5}));
    EXPECT_EQ(FindGoalById(9)->playerGoal, 0);
    EXPECT_EQ(FindGoalById(4), nullptr);
    // A goal leaving the chain leaves it whole.
    delete FindGoalById(3);
    ids.clear();
    for (Goal* goal = g_objectiveChain; goal != nullptr; goal = goal->nextGoal) ids.push_back(goal->id);
    EXPECT_EQ(ids, (std::vector<int32_t>{2, 5}));
}

// Goal records from a file: anything out of its field or range refuses the record.
TEST(GoalRecordTest, UnsoundGoalRecordsAreRefused) {
    std::vector<uint8_t> good(mission_file::kGoalBytes, 0);
    PacketWriter out(good.data(), uint32_t(good.size()));
    out.I32(0, 4);
    out.I32(4, 3);
    out.I32(28, 40);
    out.F32(36, 250.0f);
    std::memcpy(good.data() + 48, "Prize", 5);
    std::memcpy(good.data() + 80, "Disable the prize", 17);
    mission_file::GoalRecord goal;
    ASSERT_TRUE(mission_file::DecodeGoal({mission_file::kGoal, good}, &goal));
    EXPECT_STREQ(goal.subject, "Prize");
    EXPECT_EQ(goal.threshold, 40);

    const auto bent = [&good](uint32_t at, uint32_t value) {
        std::vector<uint8_t> bytes = good;
        PacketWriter(bytes.data(), uint32_t(bytes.size())).U32(at, value);
        return bytes;
    };
    uint32_t nan;
    const float quiet = std::numeric_limits<float>::quiet_NaN();
    std::memcpy(&nan, &quiet, 4);
    std::vector<uint8_t> unended = good;
    std::memset(unended.data() + 48, 'x', 16);
    const std::vector<std::vector<uint8_t>> refused = {
        std::vector<uint8_t>(good.begin(), good.end() - 1), bent(4, 7), bent(4, 0x80000000u), bent(28, 101),
        bent(28, uint32_t(-1)), bent(36, nan), bent(36, 0xFF800000u), bent(224, 2), unended,
    };
    for (size_t i = 0; i < refused.size(); ++i) {
        EXPECT_FALSE(mission_file::DecodeGoal({mission_file::kGoal, refused[i]}, &goal)) << "case " << i;
    }
}

}  // namespace
