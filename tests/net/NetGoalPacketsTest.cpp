// The host's goals reaching its clients, and the clients' reports back.
#include "net/NetGoalPackets.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <utility>
#include <string>
#include <tuple>
#include <vector>

#include "game/Cockpit.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "mission/FlightGoals.h"
#include "mission/Goal.h"
#include "mission/ObjectLoader.h"
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

Bytes Built(const NetPacket& packet) { return Bytes(packet.GetData(), packet.GetData() + packet.GetSize()); }

// SET_GOAL or GOAL_DONE as the other side sends it.
Bytes GoalState(uint16_t type, int32_t id, int32_t ship, uint32_t value, uint32_t form = 0) {
    Bytes bytes(type == kSetGoal ? NetPacket::kSetGoalBytes : NetPacket::kGoalDoneBytes, 0);
    PacketWriter out(bytes.data(), uint32_t(bytes.size()));
    out.U16(0, type);
    out.U16(2, uint16_t(bytes.size()));
    const uint32_t words[] = {uint32_t(id), uint32_t(ship), value, form};
    for (uint32_t i = 0; i < 4; ++i) out.U32(8 + 4 * i, words[i]);
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
        builder_.Game().playerShip = ship_;
        net_handlers::InstallGoalHooks();
    }
    ~NetGoalTest() override {
        SetGoalNetHooks({});
        FreeGoals();
        builder_.Game().playerShip = nullptr;
        delete builder_.Game().netSession;
        builder_.Game().netSession = nullptr;
    }
    RecordingNetSession& Session(bool host) {
        builder_.Game().netSession = new RecordingNetSession(host);
        return *static_cast<RecordingNetSession*>(builder_.Game().netSession);
    }
    // The machine played so far leaves the game.
    void EndSession() {
        delete builder_.Game().netSession;
        builder_.Game().netSession = nullptr;
    }
    static void Deliver(NetSession& session, const Bytes& bytes) {
        session.HandleMessage(session.IsHost() ? 2 : 1, session.ownDpid, bytes.data(), uint32_t(bytes.size()));
    }
    // The host's copy of a member's ship (uoid 51, table id 2), flying far
    // from the host's own.
    Craft* Guest(RecordingNetSession& host) {
        Craft* const guest = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 2);
        guest->uoid = 51;
        guest->type = SpaceObject::kTypeAiShip;
        guest->active = 1;   // flying
        guest->local.SetPositionXyz(0.0f, 0.0f, 50000.0f, Transform::kAllFlags);
        host.AddPlayer(2, "Guest", 51);
        return guest;
    }
    // GOAL_NEW of a host's player goal; the host's copy is gone again.
    Bytes HostGoal(int32_t id, const char* objective, const char* second = "", int32_t subject = -1) {
        TravelGoal goal;
        goal.id = id;
        goal.playerGoal = goal.active = 1;
        goal.SetObjectiveText(objective);
        goal.SetSecondText(second);
        goal.pendingSubject = subject;
        goal.distance = 250.9f;
        NetPacket packet;
        packet.BuildGoalPacket(kGoalNew, &goal, 0);
        return Built(packet);
    }

    WorldBuilder builder_;
    Craft* ship_ = nullptr;
};

TEST_F(NetGoalTest, GoalNewCarriesItsTextsAtTheirOffsetsAndRefusesOthers) {
    const struct {
        const char *objective, *second;
        size_t size;
        int32_t secondOffset, objectiveOffset;
    } table[] = {{"", "", 64, -1, -1}, {"Destroy the ship", "", 81, -1, 0}, {"", "Briefing", 73, 0, -1}, {"Scout", "Go", 73, 6, 0}};
    for (const auto& row : table) {
        const Bytes bytes = HostGoal(1, row.objective, row.second);
        ASSERT_EQ(bytes.size(), row.size) << row.objective << "/" << row.second;
        EXPECT_EQ(Word(bytes, 52), row.secondOffset);
        EXPECT_EQ(Word(bytes, 56), row.objectiveOffset);
        const auto in = net_read::ReadGoalNew(bytes.data(), uint32_t(bytes.size()));
        ASSERT_TRUE(in);
        EXPECT_STREQ(in->objective != nullptr ? in->objective : "", row.objective);
        EXPECT_STREQ(in->second != nullptr ? in->second : "", row.second);
        EXPECT_EQ(in->distance, 250);
    }
    const Bytes good = HostGoal(1, "Scout", "Go");
    // Offsets past the text area or below -1, a text without its end, a
    // subject or clock out of range, a packet cut short.
    const std::pair<uint32_t, int32_t> refused[] = {{56, 9}, {56, INT32_MAX}, {52, -2}, {52, INT32_MIN}, {28, -2}, {32, 3}};
    for (const auto& [at, word] : refused) {
        Bytes bad = good;
        PacketWriter(bad.data(), uint32_t(bad.size())).I32(at, word);
        EXPECT_FALSE(net_read::ReadGoalNew(bad.data(), uint32_t(bad.size()))) << at << " " << word;
    }
    Bytes unterminated = good;
    unterminated.back() = 'x';
    EXPECT_FALSE(net_read::ReadGoalNew(unterminated.data(), uint32_t(unterminated.size())));
    EXPECT_FALSE(net_read::ReadGoalNew(good.data(), uint32_t(good.size() - 1)));
    EXPECT_FALSE(net_read::ReadSetGoal(GoalState(kSetGoal, 1, 50, 1, 2).data(), NetPacket::kSetGoalBytes));
}

TEST_F(NetGoalTest, TheClientMakesEachClassOnceAndDropsTheRest) {
    RecordingNetSession& client = Session(false);
    const std::pair<int32_t, int32_t> table[] = {{0, Goal::kKill}, {1, Goal::kDisable}, {2, Goal::kProtect},
                                                 {3, Goal::kTravel}, {7, Goal::kWait}, {8, Goal::kFinishIn},
                                                 {9, Goal::kTravel}, {4, -1}, {5, -1}, {6, -1}, {10, -1}, {-1, -1}};
    int32_t id = 100;
    for (const auto& [wire, kind] : table) {
        Bytes bytes = HostGoal(id, "Objective");
        PacketWriter(bytes.data(), uint32_t(bytes.size())).I32(12, wire);
        Deliver(client, bytes);
        const Goal* const goal = FindGoalById(id++);
        EXPECT_EQ(goal != nullptr ? goal->GetKind() : -1, kind) << "wire type " << wire;
    }
    EXPECT_EQ(FindGoalById(106)->recordType, Goal::kJumpThrough);
    // A known id changes nothing; the mission sees every goal, so relinking keeps them.
    Deliver(client, HostGoal(100, "Something else"));
    EXPECT_EQ(FindGoalById(100)->GetKind(), Goal::kKill);
    EXPECT_EQ(FindGoalById(100)->objectiveText, "Objective");
    EXPECT_EQ(builder_.TheMission().goalList, g_goalList);
    EXPECT_TRUE(client.sent.empty());
}

TEST_F(NetGoalTest, SetGoalChangesOnlyItsFormsFieldsAndMovesTheObjectiveOn) {
    RecordingNetSession& client = Session(false);
    const std::pair<int32_t, const char*> goals[] = {{1, "First"}, {2, ""}, {3, "Third"}};
    for (const auto& [id, text] : goals) Deliver(client, HostGoal(id, text));
    LinkGoals(1);
    Goal* const first = FindGoalById(1);
    Goal* const third = FindGoalById(3);
    third->active = 0;
    Deliver(client, GoalState(kSetGoal, 3, 50, 1, 1));
    EXPECT_EQ(std::tuple(third->active, third->met, third->metBy), std::tuple(1, 0, nullptr));
    EXPECT_EQ(builder_.Game().TheCockpit().objective, first);
    Deliver(client, GoalState(kSetGoal, 1, 50, 1, 0));
    EXPECT_EQ(std::tuple(first->active, first->met, first->metBy), std::tuple(1, 1, ship_));
    // The goal without a text is passed over.
    EXPECT_EQ(builder_.Game().TheCockpit().objective, third);
    third->side = 1;   // another side's
    Deliver(client, GoalState(kSetGoal, 1, 50, 1, 0));
    EXPECT_EQ(builder_.Game().TheCockpit().objective, nullptr);
}

TEST_F(NetGoalTest, GoalDoneActivatesOnlyTheFirstTimeAndClientsReportTheirs) {
    RecordingNetSession& host = Session(true);
    // The reporter's ship, where both legs lead.
    Craft* const guest = Guest(host);
    Goal* const done = MakeGoal(Goal::kTravel, nullptr);
    done->destination = guest;
    done->distance = 100.0f;
    done->id = 7;
    done->playerGoal = done->active = 1;
    std::snprintf(done->links[0].name, sizeof done->links[0].name, "Next");
    done->links[0].on = 1;
    Goal* const next = MakeGoal(Goal::kTravel, nullptr);
    next->destination = guest;
    next->distance = 100.0f;
    next->id = 8;
    next->playerGoal = 1;
    next->SetObjectiveText("Next");
    // The reported goal restarts the mission clock, which has run a while on the host.
    done->clockRestart = 1;
    flight_goals::Start(builder_.Game());
    for (int i = 0; i < 3; ++i) {
        builder_.Clock().Advance(100);
        flight_goals::Step(builder_.Game());
    }
    ASSERT_EQ(flight_goals::ClockMs(), 200u);
    // Reports of another's ship, and of a ship nowhere near, count for nothing.
    Deliver(host, GoalState(kGoalDone, 7, 50, 1));
    guest->local.SetPositionXyz(0.0f, 0.0f, 90000.0f, Transform::kAllFlags);
    guest->UpdateWorldTransform(0);
    done->destination = ship_;
    Deliver(host, GoalState(kGoalDone, 7, 51, 1));
    EXPECT_EQ(done->met, 0);
    EXPECT_TRUE(host.sent.empty());
    done->destination = guest;
    Deliver(host, GoalState(kGoalDone, 7, 51, 1));
    EXPECT_EQ(done->metBy, guest);
    EXPECT_EQ(next->active, 1);
    EXPECT_EQ(flight_goals::ClockMs(), 0u);
    // The activation tells all of the met goal (the reporter too) and of the switched one, once each.
    ASSERT_EQ(host.sent.size(), 2u);
    EXPECT_EQ(std::tuple(Word(host.sent[0].bytes, 8), Word(host.sent[0].bytes, 12), Word(host.sent[0].bytes, 20)),
              std::tuple(7, 51, 0));
    EXPECT_EQ(host.sent[0].to, RecordingNetSession::kToAll);
    EXPECT_EQ(std::tuple(Word(host.sent[1].bytes, 8), Word(host.sent[1].bytes, 20)), std::tuple(8, 1));
    host.sent.clear();
    next->active = 0;
    // A second report keeps the first one's credit and is answered with it.
    Deliver(host, GoalState(kGoalDone, 7, 51, 1));
    EXPECT_EQ(next->active, 0);
    EXPECT_EQ(done->metBy, guest);
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(std::tuple(Word(host.sent[0].bytes, 8), Word(host.sent[0].bytes, 12), Word(host.sent[0].bytes, 16)),
              std::tuple(7, 51, 1));
    Deliver(host, GoalState(kGoalDone, 99, 51, 1));
    EXPECT_EQ(host.sent.size(), 1u);
    // A goal the host failed stays failed, and the reporter hears so.
    next->Fail();
    Deliver(host, GoalState(kGoalDone, 8, 51, 1));
    EXPECT_TRUE(next->Failed());
    ASSERT_EQ(host.sent.size(), 2u);
    EXPECT_EQ(std::tuple(Word(host.sent[1].bytes, 8), Word(host.sent[1].bytes, 16)), std::tuple(8, 0));
    // A word that an open goal was not met, from where it is met, tells
    // nobody anything: the met form of an open goal would fail it on every
    // client.
    Goal* const open = MakeGoal(Goal::kTravel, nullptr);
    open->destination = guest;
    open->distance = 100.0f;
    open->id = 9;
    open->playerGoal = open->active = 1;
    Deliver(host, GoalState(kGoalDone, 9, 51, 0));
    EXPECT_EQ(host.sent.size(), 2u);
    EXPECT_FALSE(open->Failed());
    EXPECT_EQ(open->met, 0);

    delete &host;
    RecordingNetSession& client = Session(false);
    Goal* const own = MakeGoal(Goal::kKill, nullptr);
    own->playerGoal = 1;
    ActivateGoal(own, ship_);
    ActivateGoal(MakeGoal(Goal::kKill, nullptr), ship_);   // not the player's: stays here
    ASSERT_EQ(client.sent.size(), 1u);
    EXPECT_EQ(PacketReader(client.sent[0].bytes.data(), 8).U16(0), kGoalDone);
    EXPECT_EQ(client.sent[0].to, client.serverDpid);
}

// A goal the host has not switched on is met by no report: the report
// changes nothing and is not answered (a met form of an open goal would
// fail it on every client). Switched on by the leg before it, the goal is
// met by the next report.
TEST_F(NetGoalTest, AGoalIsMetOnlyByAReportMadeOnceItIsSwitchedOn) {
    RecordingNetSession& host = Session(true);
    Craft* const guest = Guest(host);
    Goal* const first = MakeGoal(Goal::kTravel, nullptr);
    first->destination = guest;
    first->id = 1;
    first->playerGoal = first->active = 1;
    std::snprintf(first->links[0].name, sizeof first->links[0].name, "Second");
    first->links[0].on = 1;
    Goal* const second = MakeGoal(Goal::kTravel, nullptr);
    second->destination = guest;
    second->id = 2;
    second->playerGoal = 1;
    second->SetObjectiveText("Second");
    Deliver(host, GoalState(kGoalDone, 2, 51, 1));
    EXPECT_EQ(std::tuple(second->met, second->done, second->metBy), std::tuple(0, 0, nullptr));
    EXPECT_TRUE(host.sent.empty());
    Deliver(host, GoalState(kGoalDone, 1, 51, 1));
    ASSERT_EQ(std::tuple(first->met, second->active), std::tuple(1, 1));
    Deliver(host, GoalState(kGoalDone, 2, 51, 1));
    EXPECT_EQ(std::tuple(second->met, second->metBy), std::tuple(1, guest));
}

// One shared scouting leg over three machines, played one after the other
// on this process's world (each machine holds a copy of the same objects):
// a client flies to the buoy, its own goal step meets the leg and reports
// it; the host meets it for everybody and tells all; another client, which
// never went near, holds it met from the host's word, and follows the next leg.
TEST_F(NetGoalTest, AClientsTravelGoalReachesTheHostAndEveryOtherClient) {
    GameState& game = builder_.Game();
    GameState::NetworkHooks roles;
    roles.isNetworkGame = [] { return true; };
    roles.isHost = [] { return g_gameState->netSession->IsHost(); };
    roles.isClient = [] { return !g_gameState->netSession->IsHost(); };
    GameState::SetNetworkHooks(roles);
    SpaceObject* const buoy = builder_.Spawn(builder_.Template("BUOY"), 2);
    buoy->uoid = 60;
    buoy->local.SetPositionXyz(0.0f, 0.0f, 3000.0f, Transform::kAllFlags);
    const auto hostGoals = [buoy] {
        FreeGoals();
        Goal* const second = MakeGoal(Goal::kTravel, nullptr);
        second->id = 2;
        second->playerGoal = second->active = 1;
        second->SetObjectiveText("Scout Buoy 2");
        second->location[0] = 9000;
        second->distance = 250.0f;
        Goal* const leg = MakeGoal(Goal::kTravel, nullptr);
        leg->id = 1;
        leg->playerGoal = leg->active = 1;
        leg->SetObjectiveText("Scout Buoy 1");
        leg->destination = buoy;
        leg->distance = 250.0f;
        // The other team's leg to the same buoy: no client of this team
        // decides it, however near its ship flies.
        Goal* const theirs = MakeGoal(Goal::kTravel, nullptr);
        theirs->id = 3;
        theirs->playerGoal = theirs->active = 1;
        theirs->side = 5;
        theirs->SetObjectiveText("Scout Buoy 1 for Gold");
        theirs->destination = buoy;
        theirs->distance = 250.0f;
        LinkGoals(1);
    };
    ship_->active = 1;   // flying
    const auto flyTo = [&](float z) {
        ship_->local.SetPositionXyz(0.0f, 0.0f, z, Transform::kAllFlags);
        builder_.Clock().Advance(50);
        game.Simulate();
    };
    hostGoals();
    std::vector<Bytes> shared;
    {
        RecordingNetSession& host = Session(true);
        net_handlers::SendSharedGoals(host);
        for (const auto& sent : host.sent) shared.push_back(sent.bytes);
        EndSession();
    }
    ASSERT_EQ(shared.size(), 3u);

    // The first client.
    FreeGoals();
    RecordingNetSession& first = Session(false);
    for (const Bytes& bytes : shared) Deliver(first, bytes);
    LinkGoals(1);
    flight_goals::Start(game);
    flyTo(0.0f);
    EXPECT_TRUE(first.sent.empty());
    flyTo(2800.0f);
    ASSERT_NE(FindGoalById(1), nullptr);
    EXPECT_EQ(FindGoalById(1)->met, 1);
    ASSERT_NE(FindGoalById(3), nullptr);
    EXPECT_EQ(FindGoalById(3)->met, 0) << "a client decided the other team's leg";
    ASSERT_EQ(first.sent.size(), 1u);
    const Bytes report = first.sent[0].bytes;
    EXPECT_EQ(first.sent[0].to, first.serverDpid);
    const auto reported = net_read::ReadGoalDone(report.data(), uint32_t(report.size()));
    ASSERT_TRUE(reported);
    EXPECT_EQ(std::tuple(reported->id, reported->ship, reported->value), std::tuple(1, 50, 1u));
    EndSession();

    // The host, its own ship far from the buoy, its copy of the client's near it.
    hostGoals();
    RecordingNetSession& host = Session(true);
    ship_->uoid = 49;
    SpaceObject* const copy = builder_.Spawn(builder_.Template("SHIP0"), 2);
    copy->uoid = 50;
    copy->type = SpaceObject::kTypeAiShip;
    copy->active = 1;   // flying
    copy->local.SetPositionXyz(0.0f, 0.0f, 2800.0f, Transform::kAllFlags);
    copy->UpdateWorldTransform(0);
    host.AddPlayer(2, "Guest", 50);
    flight_goals::Start(game);
    flyTo(0.0f);
    Deliver(host, report);
    EXPECT_EQ(std::tuple(FindGoalById(1)->met, FindGoalById(1)->metBy), std::tuple(1, copy));
    Bytes told;
    for (const auto& sent : host.sent) {
        const auto state = net_read::ReadSetGoal(sent.bytes.data(), uint32_t(sent.bytes.size()));
        if (state && state->id == 1 && state->form == 0 && sent.to == RecordingNetSession::kToAll) told = sent.bytes;
    }
    ASSERT_FALSE(told.empty());
    EndSession();
    builder_.Remove(copy);
    ship_->uoid = 50;

    // The second client, which stays at the start.
    FreeGoals();
    RecordingNetSession& second = Session(false);
    for (const Bytes& bytes : shared) Deliver(second, bytes);
    LinkGoals(1);
    flight_goals::Start(game);
    flyTo(0.0f);
    EXPECT_EQ(game.TheCockpit().ObjectiveText(), std::string("Scout Buoy 1"));
    Deliver(second, told);
    flyTo(0.0f);
    EXPECT_EQ(std::tuple(FindGoalById(1)->met, FindGoalById(1)->metBy), std::tuple(1, ship_));
    EXPECT_EQ(game.TheCockpit().ObjectiveText(), std::string("Scout Buoy 2"));
    // It heard the news; it has nothing of its own to report.
    EXPECT_TRUE(second.sent.empty());
    GameState::SetNetworkHooks({});
}

// A player joining late hears every shared goal, and right behind each
// decided one whether it was met or failed; the open ones stay open.
TEST_F(NetGoalTest, APlayerJoiningLateHearsWhichGoalsAreDecided) {
    const int32_t kinds[] = {Goal::kWait, Goal::kKill, Goal::kWait};
    for (int32_t id = 1; id <= 3; ++id) {
        Goal* const goal = MakeGoal(kinds[id - 1], nullptr);
        goal->id = id;
        goal->playerGoal = goal->active = 1;
    }
    ActivateGoal(FindGoalById(1), ship_);
    FindGoalById(2)->Fail();
    RecordingNetSession& host = Session(true);
    net_handlers::SendSharedGoals(host);
    std::vector<Bytes> told;
    for (const auto& sent : host.sent) told.push_back(sent.bytes);
    EndSession();
    EXPECT_EQ(told.size(), 5u);

    FreeGoals();
    RecordingNetSession& late = Session(false);
    for (const Bytes& bytes : told) Deliver(late, bytes);
    ASSERT_NE(FindGoalById(1), nullptr);
    ASSERT_NE(FindGoalById(3), nullptr);
    EXPECT_EQ(std::tuple(FindGoalById(1)->met, FindGoalById(1)->metBy), std::tuple(1, ship_));
    EXPECT_TRUE(FindGoalById(2)->Failed());
    EXPECT_EQ(std::tuple(FindGoalById(3)->met, FindGoalById(3)->done, FindGoalById(3)->active), std::tuple(0, 0, 1));
}

// A subject the client does not hold yet becomes the goal's once its OBJECT_CREATE arrives.
TEST_F(NetGoalTest, ADeferredSubjectIsBoundWhenItArrives) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteSampleTree(dir.Str(), &error)) << error;
    ASSERT_TRUE(g_dataDirs.Find(dir.Str()));
    RegisterSpaceObjects();
    DefinitionLibrary::RegisterCoreBuilders();
    SpaceObject* const prey = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 1);
    std::snprintf(prey->label, sizeof prey->label, "P101");
    prey->uoid = 77;
    NetPacket create;
    create.BuildObjectPacket(kObjectCreate, prey);
    builder_.Remove(prey);
    RecordingNetSession& client = Session(false);
    Bytes kill = HostGoal(2, "Destroy", "", 77);
    PacketWriter(kill.data(), 16).I32(12, 0);
    Deliver(client, kill);
    Goal* const goal = FindGoalById(2);
    ASSERT_NE(goal, nullptr);
    EXPECT_EQ(goal->Evaluate(0), 0);   // not gone: not there yet
    Deliver(client, Built(create));
    ASSERT_NE(goal->GetSubject(), nullptr);
    EXPECT_EQ(goal->GetSubject()->uoid, 77);
    DefinitionLibrary::Reset();
    GameState::RegisterObjectKind(SpaceObject::kTypePlayerShip, nullptr);
    GameState::RegisterObjectKind(SpaceObject::kTypeAiShip, nullptr);
    g_dataDirs.Clear();
}

}  // namespace
