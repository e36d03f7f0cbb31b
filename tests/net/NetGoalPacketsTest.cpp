// The host's goals reaching its clients, and the clients' reports back.
#include "net/NetGoalPackets.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "game/Cockpit.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "mission/Goal.h"
#include "mission/ObjectLoader.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/PacketBytes.h"
#include "objects/ships/Craft.h"
#include "objects/space/WorldPass.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Built(const NetPacket& packet) {
    return packet.GetData() != nullptr ? Bytes(packet.GetData(), packet.GetData() + packet.GetSize()) : Bytes();
}

Bytes GoalPacket(uint16_t type, const Goal* goal, int32_t form = 0) {
    NetPacket packet;
    packet.BuildGoalPacket(type, goal, form);
    return Built(packet);
}

// SET_GOAL or GOAL_DONE as the other side would send it.
Bytes GoalState(uint16_t type, int32_t id, int32_t ship, uint32_t value, uint32_t form = 0) {
    Bytes bytes(type == kSetGoal ? NetPacket::kSetGoalBytes : NetPacket::kGoalDoneBytes, 0);
    PacketWriter out(bytes.data(), uint32_t(bytes.size()));
    out.U16(0, type);
    out.U16(2, uint16_t(bytes.size()));
    out.U32(4, PF_QUEUE_1);
    out.I32(8, id);
    out.I32(12, ship);
    out.U32(16, value);
    out.U32(20, form);
    return bytes;
}

int32_t Word(const Bytes& bytes, uint32_t at) { return PacketReader(bytes.data(), uint32_t(bytes.size())).I32(at); }

class NetGoalTest : public ::testing::Test {
protected:
    NetGoalTest() {
        ship_ = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 1);
        ship_->uoid = 50;
        ship_->SetSide(2);
        ship_->type = SpaceObject::kTypePlayerShip;
        Game().playerShip = ship_;
        net_handlers::InstallGoalHooks();
    }
    ~NetGoalTest() override {
        SetGoalNetHooks({});
        FreeGoals();
        Game().playerShip = nullptr;
        delete Game().netSession;
        Game().netSession = nullptr;
    }
    GameState& Game() { return builder_.Game(); }
    RecordingNetSession& Session(bool host) {
        delete Game().netSession;
        auto* const session = new RecordingNetSession(host);
        Game().netSession = session;
        return *session;
    }
    static void Deliver(NetSession& session, const Bytes& bytes) {
        session.HandleMessage(session.IsHost() ? 2 : 1, session.ownDpid, bytes.data(), uint32_t(bytes.size()));
    }
    // A player goal of the host's, sent and then forgotten: the client's list starts empty.
    Bytes HostGoal(int32_t id, int32_t recordType, const char* objective, int32_t subject = -1) {
        Goal* const goal = MakeGoal(recordType, builder_.TheMission().firstObject);
        goal->id = id;
        goal->recordType = recordType;
        goal->playerGoal = 1;
        goal->active = 1;
        goal->SetObjectiveText(objective);
        goal->pendingSubject = subject;
        const Bytes bytes = GoalPacket(kGoalNew, goal);
        delete goal;
        return bytes;
    }
    static std::vector<uint16_t> Types(const RecordingNetSession& session) {
        std::vector<uint16_t> types;
        for (const auto& sent : session.sent) types.push_back(PacketReader(sent.bytes.data(), 8).U16(0));
        return types;
    }

    WorldBuilder builder_;
    Craft* ship_ = nullptr;
};

TEST_F(NetGoalTest, GoalNewCarriesItsTextsAtTheirOffsets) {
    const struct {
        const char* objective;
        const char* second;
        size_t size;
        int32_t secondOffset, objectiveOffset;
    } table[] = {
        {"", "", 64, -1, -1},
        {"Destroy the ship", "", 81, -1, 0},
        {"", "Briefing", 73, 0, -1},
        {"Scout", "Briefing", 79, 6, 0},
    };
    for (const auto& row : table) {
        TravelGoal goal;
        goal.SetObjectiveText(row.objective);
        goal.SetSecondText(row.second);
        goal.distance = 250.9f;
        goal.travelSecond = 4;
        const Bytes bytes = GoalPacket(kGoalNew, &goal);
        ASSERT_EQ(bytes.size(), row.size) << row.objective << "/" << row.second;
        EXPECT_EQ(Word(bytes, 52), row.secondOffset);
        EXPECT_EQ(Word(bytes, 56), row.objectiveOffset);
        const auto in = net_read::ReadGoalNew(bytes.data(), uint32_t(bytes.size()));
        ASSERT_TRUE(in);
        EXPECT_STREQ(in->objective != nullptr ? in->objective : "", row.objective);
        EXPECT_STREQ(in->second != nullptr ? in->second : "", row.second);
        EXPECT_EQ(in->distance, 250);
        EXPECT_EQ(in->value, 4);
    }
    // No goal: ids -1, no texts.
    const Bytes none = GoalPacket(kGoalNew, nullptr);
    EXPECT_EQ(none.size(), 64u);
    EXPECT_EQ(Word(none, 8), -1);
    EXPECT_EQ(Word(none, 28), -1);
}

TEST_F(NetGoalTest, MalformedGoalPacketsAreRefused) {
    TravelGoal goal;
    goal.SetObjectiveText("Scout");
    goal.SetSecondText("Briefing");
    const Bytes good = GoalPacket(kGoalNew, &goal);
    const auto with = [&](uint32_t at, int32_t value) {
        Bytes bytes = good;
        PacketWriter(bytes.data(), uint32_t(bytes.size())).I32(at, value);
        return bytes;
    };
    const Bytes refused[] = {
        with(56, 15),          // the objective offset at the end of the text area
        with(56, INT32_MAX),
        with(52, -2),
        with(52, INT32_MIN),
        with(28, -2),          // subject
        with(32, 3),           // clock
    };
    for (const Bytes& bytes : refused) EXPECT_FALSE(net_read::ReadGoalNew(bytes.data(), uint32_t(bytes.size())));
    Bytes unterminated = good;
    unterminated.back() = 'x';
    EXPECT_FALSE(net_read::ReadGoalNew(unterminated.data(), uint32_t(unterminated.size())));
    EXPECT_FALSE(net_read::ReadGoalNew(good.data(), uint32_t(good.size() - 1)));
    Bytes shrunk = good;
    PacketWriter(shrunk.data(), 8).U16(2, 63);
    EXPECT_FALSE(net_read::ReadGoalNew(shrunk.data(), uint32_t(shrunk.size())));

    const Bytes set = GoalPacket(kSetGoal, &goal, 1);
    Bytes badForm = set;
    PacketWriter(badForm.data(), 24).U32(20, 2);
    EXPECT_TRUE(net_read::ReadSetGoal(set.data(), 24));
    EXPECT_FALSE(net_read::ReadSetGoal(badForm.data(), 24));
    EXPECT_FALSE(net_read::ReadSetGoal(set.data(), 23));
    EXPECT_FALSE(net_read::ReadGoalDone(set.data(), 24));
}

TEST_F(NetGoalTest, TheClientMakesEachClassOnceAndDropsTheRest) {
    RecordingNetSession& client = Session(false);
    const struct {
        int32_t wire;
        int32_t kind;   // -1: no goal
    } table[] = {{0, Goal::kKill},   {1, Goal::kDisable},  {2, Goal::kProtect}, {3, Goal::kTravel},
                 {7, Goal::kWait},   {8, Goal::kFinishIn}, {9, Goal::kTravel},  {4, -1},
                 {5, -1},            {6, -1},              {10, -1},            {-1, -1}};
    int32_t id = 100;
    for (const auto& row : table) {
        Bytes bytes = HostGoal(id, Goal::kKill, "Objective");
        PacketWriter(bytes.data(), uint32_t(bytes.size())).I32(12, row.wire);
        Deliver(client, bytes);
        const Goal* const goal = FindGoalById(id++);
        EXPECT_EQ(goal != nullptr ? goal->GetKind() : -1, row.kind) << "wire type " << row.wire;
    }
    Goal* const jump = FindGoalById(106);
    ASSERT_NE(jump, nullptr);
    EXPECT_EQ(jump->recordType, Goal::kJumpThrough);

    // A known id changes nothing, whatever it says.
    Deliver(client, HostGoal(100, Goal::kTravel, "Something else"));
    EXPECT_EQ(FindGoalById(100)->GetKind(), Goal::kKill);
    EXPECT_EQ(FindGoalById(100)->objectiveText, "Objective");
    // The mission sees every goal received, so relinking keeps them all.
    EXPECT_EQ(builder_.TheMission().goalList, g_goalList);
    EXPECT_TRUE(client.sent.empty());
}

TEST_F(NetGoalTest, SetGoalChangesOnlyItsFormsFieldsAndMovesTheObjectiveOn) {
    RecordingNetSession& client = Session(false);
    Deliver(client, HostGoal(1, Goal::kKill, "First"));
    Deliver(client, HostGoal(2, Goal::kKill, ""));        // no text: never the objective
    Deliver(client, HostGoal(3, Goal::kKill, "Third"));
    LinkGoals(1);
    Goal* const first = FindGoalById(1);
    Goal* const third = FindGoalById(3);
    third->active = 0;

    Deliver(client, GoalState(kSetGoal, 3, 50, 1, 1));
    EXPECT_EQ(third->active, 1);
    EXPECT_EQ(third->met, 0);
    EXPECT_EQ(third->metBy, nullptr);
    EXPECT_EQ(Game().TheCockpit().objective, first);

    Deliver(client, GoalState(kSetGoal, 1, 50, 1, 0));
    EXPECT_EQ(first->met, 1);
    EXPECT_EQ(first->metBy, ship_);
    EXPECT_EQ(first->active, 1);
    EXPECT_EQ(Game().TheCockpit().objective, third);

    // A goal of another side is not ours to pursue.
    third->side = 1;
    Deliver(client, GoalState(kSetGoal, 1, 50, 1, 0));
    EXPECT_EQ(Game().TheCockpit().objective, nullptr);
}

TEST_F(NetGoalTest, GoalDoneActivatesOnlyTheFirstTime) {
    RecordingNetSession& host = Session(true);
    Goal* const done = MakeGoal(Goal::kKill, nullptr);
    done->id = 7;
    done->playerGoal = 1;
    std::snprintf(done->links[0].name, sizeof done->links[0].name, "Next");
    done->links[0].on = 1;
    Goal* const next = MakeGoal(Goal::kWait, nullptr);
    next->id = 8;
    next->playerGoal = 1;
    next->SetObjectiveText("Next");

    Deliver(host, GoalState(kGoalDone, 7, 50, 1));
    EXPECT_EQ(done->met, 1);
    EXPECT_EQ(done->metBy, ship_);
    EXPECT_EQ(next->active, 1);
    // Activation sends the met goal and the switched one; the answer the met goal again.
    EXPECT_EQ(Types(host), (std::vector<uint16_t>{kSetGoal, kSetGoal, kSetGoal}));
    EXPECT_EQ(Word(host.sent[1].bytes, 8), 8);
    EXPECT_EQ(Word(host.sent[1].bytes, 20), 1);
    EXPECT_EQ(Word(host.sent[2].bytes, 8), 7);
    EXPECT_EQ(Word(host.sent[2].bytes, 12), 50);

    host.sent.clear();
    next->active = 0;
    Deliver(host, GoalState(kGoalDone, 7, -1, 1));
    EXPECT_EQ(next->active, 0);
    EXPECT_EQ(done->metBy, nullptr);
    EXPECT_EQ(Types(host), (std::vector<uint16_t>{kSetGoal}));

    host.sent.clear();
    Deliver(host, GoalState(kGoalDone, 99, 50, 1));
    EXPECT_TRUE(host.sent.empty());
}

TEST_F(NetGoalTest, AClientReportsItsOwnMetGoalsToTheHost) {
    RecordingNetSession& client = Session(false);
    Goal* const goal = MakeGoal(Goal::kKill, nullptr);
    goal->id = 5;
    goal->playerGoal = 1;
    ActivateGoal(goal, ship_);
    ASSERT_EQ(Types(client), (std::vector<uint16_t>{kGoalDone}));
    EXPECT_EQ(client.sent[0].to, client.serverDpid);
    EXPECT_EQ(Word(client.sent[0].bytes, 12), 50);
    // A goal that is not the player's stays here.
    client.sent.clear();
    Goal* const hidden = MakeGoal(Goal::kKill, nullptr);
    ActivateGoal(hidden, ship_);
    EXPECT_TRUE(client.sent.empty());
}

// A subject the client does not hold yet becomes the goal's once its
// OBJECT_CREATE arrives.
class NetGoalSubjectTest : public NetGoalTest {
protected:
    NetGoalSubjectTest() {
        std::string error;
        EXPECT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        EXPECT_TRUE(g_dataDirs.Find(dir_.Str()));
        RegisterSpaceObjects();
        DefinitionLibrary::RegisterCoreBuilders();
    }
    ~NetGoalSubjectTest() override {
        DefinitionLibrary::Reset();
        GameState::RegisterObjectKind(SpaceObject::kTypePlayerShip, nullptr);
        GameState::RegisterObjectKind(SpaceObject::kTypeAiShip, nullptr);
        g_dataDirs.Clear();
    }
    TempDir dir_;
};

TEST_F(NetGoalSubjectTest, ADeferredSubjectIsBoundWhenItArrives) {
    SpaceObject* const prey = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 1);
    std::snprintf(prey->label, sizeof prey->label, "P101");
    prey->uoid = 77;
    NetPacket create;
    create.BuildObjectPacket(kObjectCreate, prey);
    const Bytes announced = Built(create);
    builder_.Remove(prey);

    RecordingNetSession& client = Session(false);
    Deliver(client, HostGoal(1, Goal::kKill, "Destroy", 77));
    Goal* const goal = FindGoalById(1);
    ASSERT_NE(goal, nullptr);
    EXPECT_EQ(goal->GetSubject(), nullptr);
    EXPECT_EQ(goal->Evaluate(0), 0);   // not gone: not there yet
    Deliver(client, announced);
    ASSERT_NE(goal->GetSubject(), nullptr);
    EXPECT_EQ(goal->GetSubject()->uoid, 77);
    EXPECT_EQ(goal->pendingSubject, -1);
}

}  // namespace
