// Kill announcements, broadcast lines, and the collision and death packets.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/Clock.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "mission/RandomMissionGenerator.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetPilotBounds.h"
#include "net/PacketBytes.h"
#include "objects/ships/Craft.h"
#include "tests/support/world/NetPacketBytes.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

std::vector<int32_t> g_impacts;
struct ImpactProbe : SpaceObject {
    using SpaceObject::SpaceObject;
    void ApplyImpact(int32_t) override { g_impacts.push_back(uoid); }
};

enum { kAnn, kBob, kCid, kRaider };
using Said = std::pair<std::string, int32_t>;

// The host (id 1) flies Ann; Bob (2, ten kills) is her enemy, Cid (3) her
// teammate; the raider, of 500 hit points, is nobody's. Kills pay 100.
class NetKillsTest : public ::testing::Test {
protected:
    NetKillsTest() {
        const char* const names[] = {"Ann", "Bob", "Cid", "Raider"};
        for (int32_t i = 0; i < 4; ++i) {
            ships_[i] = builder_.SpawnAs<Craft>(builder_.Template("SHIP0"), 1);
            ships_[i]->uoid = 50 + i;
            ships_[i]->active = 1;
            ships_[i]->side = i == kCid ? 1 : i + 1;
            ships_[i]->SetName(names[i]);
            if (i != kRaider) session_->SetPlayerKills(session_->AddPlayer(uint32_t(i + 1), names[i], 50 + i), 10 * (i == kBob));
        }
        ships_[kRaider]->maxHitPoints = 500;
        Game().netSession = session_;
        Game().netSettings = &settings_;
        Game().randomMissions = std::make_shared<RandomMissionGenerator>();
        Game().career->kills = 7;
        session_->CopyCareerFigures(0);
        session_->announceKills = true;
        Rate(100);
    }
    ~NetKillsTest() override {
        Game().netSettings = nullptr;
        Game().playerShip = nullptr;
        Game().netSession = nullptr;
        delete session_;
    }
    GameState& Game() { return builder_.Game(); }
    void Rate(int32_t rate) { Game().randomMissions->pays[RandomMissionGenerator::kKillPayWord] = rate; }
    std::string Shown() { return Game().TheCockpit().MessageAt(GetMilliseconds()); }
    // A new life's end: the text shown and the KILLS_UPDATE's reward (-1 none).
    Said Kill(int killer, int victim) {
        ++ships_[victim]->deaths;
        session_->sent.clear();
        Game().TheCockpit().ShowMessage("", nullptr, 0, 0);
        session_->AnnounceKill(ships_[killer]->uoid, ships_[victim]->uoid);
        return {Shown(), Rewards().empty() ? -1 : Rewards().back()};
    }
    std::vector<int32_t> Rewards() {
        std::vector<int32_t> rewards;
        for (auto& sent : session_->sent) {
            PacketReader in(sent.bytes.data(), uint32_t(sent.bytes.size()));
            if (in.U16(0) == kKillsUpdate) rewards.push_back(in.I32(32));
        }
        return rewards;
    }

    WorldBuilder builder_;
    RecordingNetSession* session_ = new RecordingNetSession(true);
    NetGameSettings settings_;
    Craft* ships_[4] = {};
};

}  // namespace

TEST_F(NetKillsTest, KillsArePaidScoredAndShown) {
    const int32_t funds = Game().career->funds;
    EXPECT_EQ(Kill(kAnn, kBob), Said("Ann killed Bob!", 300));
    EXPECT_EQ(Kill(kBob, kRaider), Said("Bob killed Raider!", 200));
    Rate(0);
    EXPECT_EQ(Kill(kAnn, kBob), Said("Ann killed Bob!", 0));
    Rate(100);
    EXPECT_EQ(Kill(kAnn, kAnn), Said("Ann commited suicide!", 0));
    EXPECT_EQ(Kill(kAnn, kCid), Said("Ann killed a teammate!", 0));
    EXPECT_EQ(Kill(kRaider, kAnn), Said("", -1));
    EXPECT_EQ(session_->Player(0)->score, 1);
    // The host's own two kills count in its career, paid or not; Bob's went to Bob.
    EXPECT_EQ(Game().career->funds, funds + 300);
    EXPECT_EQ(Game().career->kills, 9);
}

// Whatever a kill pays, it is one more in the killer's career and in the
// table's entry the KILLS_UPDATE is written from: the host's own career
// counts it where it is announced, a client's hears it in that update.
TEST_F(NetKillsTest, EveryKillCountsOnceInTheKillersCareerPaidOrNot) {
    const auto careerKillsSent = [this] {
        std::vector<int32_t> kills;
        for (auto& sent : session_->sent) {
            PacketReader in(sent.bytes.data(), uint32_t(sent.bytes.size()));
            if (in.U16(0) == kKillsUpdate) kills.push_back(in.I32(12));
        }
        return kills;
    };
    const int32_t funds = Game().career->funds;
    Rate(0);
    Kill(kAnn, kBob);
    EXPECT_EQ(careerKillsSent(), std::vector<int32_t>{8});
    Kill(kAnn, kRaider);
    EXPECT_EQ(careerKillsSent(), std::vector<int32_t>{9});
    Rate(100);
    Kill(kAnn, kRaider);
    EXPECT_EQ(careerKillsSent(), std::vector<int32_t>{10});
    Kill(kAnn, kCid);   // a teammate is no kill
    EXPECT_EQ(careerKillsSent(), std::vector<int32_t>{10});
    EXPECT_EQ(Game().career->kills, 10);
    EXPECT_EQ(session_->Player(kAnn)->careerKills, 10);
    EXPECT_EQ(Game().career->funds, funds + 200);

    Rate(0);
    Kill(kBob, kRaider);
    ASSERT_EQ(session_->sent.size(), 2u);   // the broadcast line, then the update about Bob, every machine's news
    const std::vector<uint8_t> toBob = session_->sent.back().bytes;
    EXPECT_EQ(session_->sent.back().to, RecordingNetSession::kToAll);
    EXPECT_EQ(careerKillsSent(), std::vector<int32_t>{1});
    EXPECT_EQ(Game().career->kills, 10);

    // Bob's machine takes the update into its own career.
    session_->isHost = 0;
    session_->ownDpid = 2;
    Game().career->kills = 0;
    session_->HandleMessage(1, 2, toBob.data(), uint32_t(toBob.size()));
    EXPECT_EQ(Game().career->kills, 1);
    EXPECT_EQ(Game().career->funds, funds + 200);
}

TEST_F(NetKillsTest, TagPassesItOnlyInTagGames) {
    settings_.gameType = 2;
    EXPECT_EQ(Kill(kAnn, kRaider).first, "Ann killed Raider!");
    EXPECT_EQ(Kill(kAnn, kBob).first, "Ann killed Bob and is now IT!");
    EXPECT_EQ(Kill(kAnn, kBob), Said("Ann killed Bob!", 600));
    EXPECT_EQ(session_->Player(0)->score, 1 + 1 + 3);
    EXPECT_EQ(Kill(kCid, kAnn), Said("Cid killed Ann and is now IT!", 0));
    EXPECT_EQ(session_->FindItPlayer(), kCid);
    for (const uint32_t type : {3u, 4u, 7u, 8u}) {
        session_->SetPlayerIt(-1);
        settings_.gameType = type;
        Kill(kAnn, kBob);
        EXPECT_EQ(session_->FindItPlayer(), -1) << type;
    }
}

// The host's own destruction and a client's report of one death pay once,
// however late the report; a client may report only its own ship's death,
// one the host's world saw, at the hands of a killer the host saw strike it.
TEST_F(NetKillsTest, ADeathIsAnnouncedOnceAndOnlyByItsShip) {
    Craft& bob = *ships_[kBob];
    const auto death = [&](uint32_t from, int killer, int victim) {
        NetPacket packet;
        packet.BuildObjectEventPacket(kDeath, killer >= 0 ? ships_[killer] : nullptr, ships_[victim]);
        session_->HandleMessage(from, 1, packet.GetData(), packet.GetSize());
    };
    death(2, kBob, kRaider);   // not Bob's to report
    death(2, kAnn, kBob);      // Bob flies on: nothing died
    bob.dead = 1;
    death(2, kRaider, kBob);   // nobody saw the raider strike him
    death(3, kAnn, kBob);      // nor is it Cid's to report
    EXPECT_TRUE(session_->kills.empty());
    session_->NoteHit(bob.uoid, ships_[kAnn]);
    death(2, kAnn, kBob);
    death(2, kAnn, kBob);      // reported twice, paid once
    bob.active = 0;            // the death ended without a respawn
    ++bob.deaths;
    death(2, kAnn, kBob);
    EXPECT_EQ(Rewards().size(), 1u);
    bob.active = 1;            // respawned and wrecked again, by his own doing
    bob.dead = 1;
    death(2, -1, kBob);
    EXPECT_EQ(Rewards().size(), 2u);
    EXPECT_EQ(Rewards().back(), 0);
    EXPECT_EQ(session_->kills.size(), 4u);
}

TEST_F(NetKillsTest, BroadcastSendsOnlyWhileActiveAndAlwaysShows) {
    session_->isHost = 0;
    session_->ownDpid = 2;
    session_->BroadcastText("Dee has joined the game.");
    session_->connected = 0;
    session_->BroadcastText("Bob has left the game.");
    ASSERT_EQ(session_->sent.size(), 1u);
    EXPECT_EQ(session_->sent[0].to, 1u);
    EXPECT_EQ(Shown(), "Bob has left the game.");
}

TEST_F(NetKillsTest, CollisionsReplayTheHostsOutcomeInFlightOnly) {
    session_->isHost = 0;
    auto* const a = builder_.SpawnAs<ImpactProbe>(builder_.Template("ROCK0"), 1);
    auto* const b = builder_.SpawnAs<ImpactProbe>(builder_.Template("ROCK1"), 1);
    const auto set = [](SpaceObject* o, int32_t impact, int32_t hidden, float x) {
        o->partnerPart = impact;
        o->collisionDelay = hidden;
        o->SetPositionFlags({x, 0.0f, 0.0f}, Transform::kAllFlags);
        o->velocity = {x + 1.0f, 0.0f, 0.0f};
    };
    a->uoid = 70;
    b->uoid = 71;
    set(a, 1, 7, 10.0f);
    set(b, 3, 9, 20.0f);
    NetPacket packet;
    packet.BuildObjectEventPacket(kCollision, a, b);
    set(a, -1, -1, 0.0f);
    set(b, -1, -1, 0.0f);
    const auto deliver = [&](SpaceObject* ship, int32_t mode, int32_t bUoid) {
        Game().playerShip = ship;
        Game().mode = mode;
        b->uoid = bUoid;
        session_->HandleMessage(1, 2, packet.GetData(), packet.GetSize());
    };
    deliver(ships_[kAnn], GameState::kModeLobbyWait, 71);
    deliver(nullptr, GameState::kModeFlight, 71);
    deliver(ships_[kAnn], GameState::kModeFlight, 72);
    EXPECT_TRUE(g_impacts.empty());
    EXPECT_EQ(a->partnerPart, -1);
    deliver(ships_[kAnn], GameState::kModeFlight, 71);
    EXPECT_EQ(g_impacts, (std::vector<int32_t>{70, 71}));
    EXPECT_TRUE(a->collisionPartner.Get() == b && b->collisionPartner.Get() == a);
    EXPECT_EQ(std::vector<float>({float(a->partnerPart), float(a->collisionDelay), a->Position().x, a->velocity.x,
                                  float(b->partnerPart), float(b->collisionDelay), b->Position().x, b->velocity.x}),
              (std::vector<float>{1, 7, 10, 11, 3, 9, 20, 21}));
}

// A client's ship lost to nobody is announced as the pilot's own doing.
TEST_F(NetKillsTest, ADeathWithoutAKillerIsAnnouncedAsSuicide) {
    ships_[kBob]->dead = 1;
    NetPacket packet;
    packet.BuildObjectEventPacket(kDeath, nullptr, ships_[kBob]);
    session_->HandleMessage(2, 1, packet.GetData(), packet.GetSize());
    EXPECT_EQ(Shown(), "Bob commited suicide!");
    EXPECT_EQ(session_->Player(kBob)->score, -1);
    EXPECT_EQ(Rewards(), std::vector<int32_t>{0});
}

// The killer a client names must have struck its ship on the host lately.
TEST_F(NetKillsTest, AKillerOfAClientsShipIsOneTheHostSawStrikeIt) {
    Craft& bob = *ships_[kBob];
    bob.dead = 1;
    const auto death = [&] {
        NetPacket packet;
        packet.BuildObjectEventPacket(kDeath, ships_[kAnn], &bob);
        session_->HandleMessage(2, 1, packet.GetData(), packet.GetSize());
    };
    session_->NoteHit(bob.uoid, ships_[kAnn]);
    builder_.Clock().Advance(net_bounds::kSeenHitMs + 1);
    death();
    for (const int other : {kCid, kRaider, kCid}) session_->NoteHit(bob.uoid, ships_[other]);
    death();   // others struck him since; Ann's hit is long past
    EXPECT_TRUE(session_->kills.empty());
    session_->NoteHit(bob.uoid, ships_[kAnn]);
    death();
    EXPECT_EQ(session_->kills.size(), 1u);
}

// A late report of a death the host already counted (the ship flies
// again) counts nothing; the next death counts again.
TEST_F(NetKillsTest, ADeathReportedAfterTheRespawnCountsOnce) {
    Craft& bob = *ships_[kBob];
    const auto death = [&] {
        NetPacket packet;
        packet.BuildObjectEventPacket(kDeath, ships_[kAnn], &bob);
        session_->HandleMessage(2, 1, packet.GetData(), packet.GetSize());
    };
    session_->NoteHit(bob.uoid, ships_[kAnn]);
    bob.dead = 1;
    death();
    EXPECT_EQ(Rewards().size(), 1u);
    bob.dead = 0;   // its sequence ended and it flies again
    ++bob.deaths;
    death();
    EXPECT_EQ(Rewards().size(), 1u);
    EXPECT_EQ(session_->Player(kAnn)->score, 1);

    bob.dead = 1;   // this life ends too
    death();
    EXPECT_EQ(Rewards().size(), 2u);
    EXPECT_EQ(session_->Player(kAnn)->score, 2);
}

// Players fly ships with hull names; the lines name the pilots.
TEST_F(NetKillsTest, LinesNameThePilotsNotTheirHulls) {
    ships_[kAnn]->SetName("P100");
    ships_[kBob]->SetName("P101");
    EXPECT_EQ(Kill(kAnn, kBob).first, "Ann killed Bob!");
    EXPECT_EQ(Kill(kBob, kRaider).first, "Bob killed Raider!");
    EXPECT_EQ(Kill(kBob, kBob).first, "Bob commited suicide!");
    EXPECT_EQ(Kill(kAnn, kCid).first, "Ann killed a teammate!");
}

// A member's death is told and paid once, whichever word of it comes
// first: the host's world destroying the copy, or the member's own
// removal and report of it; its next life's death is told again.
TEST_F(NetKillsTest, AMembersDeathIsToldOnceWhicheverWordComesFirst) {
    Craft& bob = *ships_[kBob];
    bob.type = SpaceObject::kTypeAiShip;
    session_->NoteHit(bob.uoid, ships_[kAnn]);
    const auto report = [&] {
        NetPacket death;
        death.BuildObjectEventPacket(kDeath, ships_[kAnn], &bob);
        session_->HandleMessage(2, 1, death.GetData(), death.GetSize());
    };
    const auto removal = [&] {
        const std::vector<uint8_t> bytes = RemovalRequest(bob, 1, ships_[kAnn]);
        session_->HandleMessage(2, 1, bytes.data(), uint32_t(bytes.size()));
    };
    const auto finish = [&] {
        for (int frame = 0; frame < 40 && bob.active != 0; ++frame) {
            builder_.Clock().Advance(50);
            bob.Simulate(50);
        }
    };
    // The host's destruction, then the report, during the death and after it.
    bob.Explode(ships_[kAnn], 0);
    report();
    finish();
    ASSERT_EQ(bob.active, 0u);
    report();
    EXPECT_EQ(Rewards().size(), 1u);
    // Back again and struck: the report first, then the host's destruction.
    bob.RespawnAt(bob.Position());
    session_->NoteHit(bob.uoid, ships_[kAnn]);
    removal();
    report();
    bob.Explode(ships_[kAnn], 0);
    finish();
    ASSERT_EQ(bob.active, 0u);
    report();
    EXPECT_EQ(Rewards().size(), 2u);
    EXPECT_EQ(session_->Player(kAnn)->kills, 2);
    EXPECT_EQ(Shown(), "Ann killed Bob!");
}
