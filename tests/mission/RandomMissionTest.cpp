// Random missions: the table they are paid and made from, the worlds and
// goals each kind builds, and the host's cooperative end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "mission/CooperativeEnd.h"
#include "mission/FlightGoals.h"
#include "mission/Goal.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "mission/RandomMissionGenerator.h"
#include "mission/SkyRecords.h"
#include "net/NetGameSettings.h"
#include "net/NetPacketType.h"
#include "net/PacketBytes.h"
#include "objects/space/SpaceObject.h"
#include "objects/space/WorldPass.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/SampleMissionTest.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

namespace {

using Generator = RandomMissionGenerator;
using Bytes = ChunkBuilder::Bytes;

Bytes TemplateBytes(int32_t kind, const std::string& text, int32_t enemies, int32_t asteroids, int32_t mines) {
    Bytes bytes(Generator::kTemplateBytes, 0);
    PacketWriter out(bytes.data(), uint32_t(bytes.size()));
    out.I32(0, kind);
    for (size_t i = 0; i < text.size() && i < Generator::kDescriptionBytes; ++i) bytes[4 + i] = uint8_t(text[i]);
    out.I32(4 + Generator::kDescriptionBytes, enemies);
    out.I32(8 + Generator::kDescriptionBytes, asteroids);
    out.I32(12 + Generator::kDescriptionBytes, mines);
    return bytes;
}

Bytes GoalTexts(const char* objective, const char* second) {
    Bytes bytes(2 * Generator::kGoalTextBytes, 0);
    std::memcpy(bytes.data(), objective, std::strlen(objective));
    std::memcpy(bytes.data() + Generator::kGoalTextBytes, second, std::strlen(second));
    return bytes;
}

Bytes Star(int32_t count) {
    Bytes bytes(Mission::kStarFieldBytes, 0);
    PacketWriter(bytes.data(), uint32_t(bytes.size())).I32(4, count);
    return bytes;
}

Bytes Pays(uint32_t words) {
    Bytes bytes(4 * words, 0);
    for (uint32_t i = 0; i < words; ++i) bytes[4 * i] = uint8_t(10 + i);
    return bytes;
}

Status ReadTable(const Bytes& file, Generator* generator) {
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    if (iff.ValidateHeader() != kStatusOk) return kStatusCannotOpen;
    return generator->Read(iff);
}

TEST(RandomTableTest, OnlyWholeSoundPartsOfTheTableAreKept) {
    ChunkBuilder b;
    const Bytes good = b.Form("RAND", {
        b.Chunk("PAYS", Pays(19)),
        b.Form("TMPL", {b.Chunk("TINF", TemplateBytes(1, "Hunt", 2, 3, 4)), b.Chunk("GTXT", GoalTexts("Hunt it", "Now")),
                        b.Chunk("STAR", Star(5)), b.Chunk("STAR", Star(-1)), b.Chunk("LGHT", Bytes(44, 0))}),
        // The parts of a refused template belong to no other.
        b.Form("TMPL", {b.Chunk("TINF", TemplateBytes(1, "Swarm", Generator::kMaxCount + 1, 0, 0)),
                        b.Chunk("GTXT", GoalTexts("Swarm", "")), b.Chunk("STAR", Star(6))}),
        b.Form("TMPL", {b.Chunk("TINF", TemplateBytes(5, "No such kind", 0, 0, 0))}),
        b.Form("TMPL", {b.Chunk("TINF", TemplateBytes(2, std::string(64, 'x'), 0, 0, 0))}),   // no NUL in its field
        b.Form("TMPL", {b.Chunk("TINF", Bytes(Generator::kTemplateBytes - 1, 0))}),
        b.Form("TMPL", {b.Chunk("TINF", TemplateBytes(0, "Look", 0, -1, 0))}),
    });
    Generator generator;
    ASSERT_EQ(ReadTable(good, &generator), kStatusOk);
    ASSERT_EQ(generator.Templates().size(), 1u);
    EXPECT_EQ(generator.Templates()[0].description, "Hunt");
    EXPECT_EQ(generator.Templates()[0].objective, "Hunt it");
    EXPECT_EQ(generator.Templates()[0].second, "Now");
    ASSERT_EQ(generator.Templates()[0].sky.size(), 2u);   // the star field of -1 stars is refused
    EXPECT_EQ(generator.Templates()[0].sky[0].bytes, Star(5));
    EXPECT_EQ(generator.KillPayRate(), 28);
    EXPECT_EQ(generator.Pay(1, 2), 16);   // word 4k + d
    EXPECT_EQ(generator.Pay(4, 0), 27);
    EXPECT_EQ(generator.Pay(0, 4), 0);
    EXPECT_EQ(generator.Pay(-1, 0), 0);

    // A short pay table refuses the table and keeps the one before.
    EXPECT_EQ(ReadTable(b.Form("RAND", {b.Chunk("PAYS", Pays(18))}), &generator), kStatusMalformed);
    EXPECT_EQ(generator.KillPayRate(), 28);
    EXPECT_EQ(generator.Templates().size(), 1u);
    // A form whose size runs past the file stops the walk.
    const Bytes broken = ChunkBuilder::Join({b.Header("FORM", 400), ChunkBuilder::Text("RAND"),
                                             b.Chunk("PAYS", Pays(19)), b.Header("FORM", 0xFFFFFFF0u)});
    EXPECT_NE(ReadTable(broken, &generator), kStatusOk);
    // Every cut of the good table ends, whole or refused.
    for (size_t cut = 0; cut < good.size(); ++cut) {
        Generator partial;
        const Status status = ReadTable(Bytes(good.begin(), good.begin() + std::ptrdiff_t(cut)), &partial);
        if (status == kStatusOk) {
            EXPECT_LE(partial.Templates().size(), 1u);
        }
    }
    // So many templates that only the cap is kept.
    std::vector<Bytes> many(Generator::kMaxTemplates + 3, b.Form("TMPL", {b.Chunk("TINF", TemplateBytes(0, "Look", 1, 1, 1))}));
    Bytes crowded = ChunkBuilder::Join({ChunkBuilder::Text("RAND"), b.Chunk("PAYS", Pays(19))});
    for (const Bytes& entry : many) crowded.insert(crowded.end(), entry.begin(), entry.end());
    crowded = ChunkBuilder::Join({b.Header("FORM", uint32_t(crowded.size())), crowded});
    ASSERT_EQ(ReadTable(crowded, &generator), kStatusOk);
    EXPECT_EQ(generator.Templates().size(), size_t(Generator::kMaxTemplates));
}

class RandomMissionTest : public SampleMissionTest {
protected:
    Generator& Lobby(int32_t kind, int32_t difficulty) {
        Generator& generator = Generator::Of(builder_->Game());
        generator.networkGame = 1;
        generator.SetUp(kind, difficulty);
        return generator;
    }
    std::map<int32_t, int> CountByType() {
        std::map<int32_t, int> counts;
        for (SpaceObject* o = builder_->Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
            if (o->classWord != 33) ++counts[o->type];
        }
        return counts;
    }
    // The world as the command line lists it.
    std::vector<std::string> World() {
        std::vector<std::string> lines;
        for (SpaceObject* o = builder_->Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
            const Vector3 at = o->Position();
            lines.push_back(std::to_string(o->type) + " " + (o->name != nullptr ? o->name : "") + " " +
                            std::to_string(at.x) + " " + std::to_string(at.y) + " " + std::to_string(at.z));
        }
        return lines;
    }
    std::vector<int32_t> GoalKinds() {
        std::vector<int32_t> kinds;
        for (Goal* goal = g_objectiveChain; goal != nullptr; goal = goal->nextGoal) kinds.push_back(goal->GetKind());
        return kinds;
    }

};

// A network game's mission: the wing forms up, then the kind's goals.
TEST_F(RandomMissionTest, EachKindAndDifficultyBuildsItsWorldAndGoals) {
    const std::map<int32_t, std::vector<int32_t>> expected = {
        {Generator::kScout, {Goal::kWait, Goal::kTravel, Goal::kTravel, Goal::kTravel, Goal::kTravel}},
        {Generator::kDestroy, {Goal::kWait, Goal::kKill, Goal::kTravel}},
        {Generator::kProtect, {Goal::kWait, Goal::kProtect, Goal::kTravel}},
        {Generator::kCapture, {Goal::kWait, Goal::kDisable, Goal::kTravel}},
    };
    GameState& game = builder_->Game();
    for (const auto& [kind, kinds] : expected) {
        for (int32_t difficulty = 0; difficulty < Generator::kDifficulties; ++difficulty) {
            SCOPED_TRACE("kind " + std::to_string(kind) + " difficulty " + std::to_string(difficulty));
            const Generator& generator = Lobby(kind, difficulty);
            ASSERT_GE(generator.templateIndex, 0);
            const Generator::Template& chosen = generator.Templates()[size_t(generator.templateIndex)];
            ASSERT_EQ(SetUpSeededMission("Rnd 0", 3), kStatusOk);
            EXPECT_EQ(GoalKinds(), kinds);
            ASSERT_NE(game.jumpGoal, nullptr);
            EXPECT_EQ(game.jumpGoal->recordType, Goal::kJumpThrough);
            ASSERT_NE(game.jumpGoal->destination, nullptr);
            EXPECT_EQ(game.jumpGoal->destination->type, SpaceObject::kTypeJumpGate);
            for (Goal* goal = g_objectiveChain->nextGoal; goal != nullptr; goal = goal->nextGoal) {
                EXPECT_TRUE(goal->GetSubject() != nullptr || goal->destination != nullptr) << goal->GetDescription();
            }
            std::map<int32_t, int> counts = CountByType();
            const int ships = counts[SpaceObject::kTypeAiShip];
            // Raiders by the template and the difficulty, and the goal's own ship.
            EXPECT_EQ(ships, chosen.enemies + difficulty + (kind == Generator::kScout ? 0 : 1));
            EXPECT_EQ(counts[SpaceObject::kTypeAsteroid], chosen.asteroids);
            EXPECT_EQ(counts[SpaceObject::kTypeMine], chosen.mines);
            EXPECT_GT(generator.payment, 0);
            // Every random mission starts under the sectors' sky, one record
            // of each kind, and adds its template's, among them space dust.
            const sky_records::Held held = sky_records::CountHeld();
            EXPECT_EQ(size_t(held.starFields + held.spaceDust + held.wallpapers + held.lights), 4 + chosen.sky.size());
            EXPECT_GT(held.spaceDust, 1);
            EXPECT_EQ(game.mission->dustTemplates.size(), size_t(held.spaceDust));
            ASSERT_NE(game.dustField, nullptr);
            EXPECT_EQ(g_objectiveChain->objectiveText, Generator::kFormUpText);
            EXPECT_EQ(g_objectiveChain->nextGoal->objectiveText, chosen.objective);
            EXPECT_EQ(g_objectiveChain->nextGoal->secondText, chosen.second);
        }
    }
}

TEST(SkyRecordTest, UnsoundSkyRecordsAreRefused) {
    std::vector<uint8_t> light(Mission::kLightBytes, 0);
    PacketWriter out(light.data(), uint32_t(light.size()));
    out.I32(0, 2);
    out.F32(40, 500.0f);
    EXPECT_TRUE(sky_records::Sound(sky_records::kLightChunk, light.data(), uint32_t(light.size())));
    const auto bent = [](std::vector<uint8_t> bytes, uint32_t at, uint32_t value) {
        PacketWriter(bytes.data(), uint32_t(bytes.size())).U32(at, value);
        return bytes;
    };
    std::vector<uint8_t> dust(Mission::kSpaceDustBytes, 0);
    std::memcpy(dust.data(), "Dust", 4);
    EXPECT_TRUE(sky_records::Sound(sky_records::kDustChunk, dust.data(), uint32_t(dust.size())));
    std::vector<uint8_t> unnamed = dust;
    std::memset(unnamed.data(), 'd', 16);
    const uint32_t nan = 0x7FC00000u, negative = 0xBF800000u, infinite = 0x7F800000u;
    const struct {
        uint32_t chunk;
        std::vector<uint8_t> bytes;
    } refused[] = {
        {sky_records::kLightChunk, bent(light, 0, 3)},           {sky_records::kLightChunk, bent(light, 4, nan)},
        {sky_records::kLightChunk, bent(light, 40, negative)},   {sky_records::kDustChunk, bent(dust, 16, 2049)},
        {sky_records::kDustChunk, bent(dust, 16, uint32_t(-5))}, {sky_records::kDustChunk, unnamed},
        {sky_records::kDustChunk, std::vector<uint8_t>(dust.begin(), dust.end() - 1)},
        {sky_records::kStarChunk, bent(std::vector<uint8_t>(Mission::kStarFieldBytes, 0), 12, infinite)},
        {sky_records::kStarChunk, bent(std::vector<uint8_t>(Mission::kStarFieldBytes, 0), 4, 8193)},
        {sky_records::kWallChunk, bent(std::vector<uint8_t>(Mission::kWallpaperBytes, 0), 24, nan)},
    };
    for (size_t i = 0; i < std::size(refused); ++i) {
        EXPECT_FALSE(sky_records::Sound(refused[i].chunk, refused[i].bytes.data(), uint32_t(refused[i].bytes.size())))
            << "case " << i;
    }
}

TEST_F(RandomMissionTest, OneSeedMakesOneMissionAndADeathMatchTakesTheLobbysWords) {
    Lobby(Generator::kDestroy, 2);
    ASSERT_EQ(SetUpSeededMission("Rnd 0", 4), kStatusOk);
    const std::vector<std::string> first = World();
    ASSERT_EQ(SetUpSeededMission("Rnd 0", 4), kStatusOk);
    EXPECT_EQ(World(), first);
    ASSERT_EQ(SetUpSeededMission("Rnd 0", 5), kStatusOk);
    EXPECT_NE(World(), first);

    Generator& lobby = Lobby(Generator::kDeathMatch, 3);
    EXPECT_EQ(lobby.difficulty, 0);
    ASSERT_EQ(SetUpSeededMission("Rnd 0", 4), kStatusOk);
    std::map<int32_t, int> counts = CountByType();
    EXPECT_EQ(counts[SpaceObject::kTypeAsteroid], 0);
    EXPECT_EQ(counts[SpaceObject::kTypeMine], 0);
    EXPECT_EQ(counts[SpaceObject::kTypeAiShip], 0);
    EXPECT_EQ(g_goalList, nullptr);
    EXPECT_EQ(builder_->Game().jumpGoal, nullptr);
    // The player starts beside the sectors' station, not at the origin.
    EXPECT_GT(builder_->Game().playerShip->Position().Length(), 1.0f);

    lobby.asteroidAmount = 1;
    lobby.mineAmount = 2;
    lobby.enemyAmount = 1;
    ASSERT_EQ(SetUpSeededMission("Rnd 0", 4), kStatusOk);
    counts = CountByType();
    EXPECT_EQ(counts[SpaceObject::kTypeAsteroid], 8);
    EXPECT_EQ(counts[SpaceObject::kTypeMine], 8);
    EXPECT_EQ(counts[SpaceObject::kTypeAiShip], 2);

    // With a base asked for, an enemy carrier stands as the station.
    lobby.base = 1;
    ASSERT_EQ(SetUpSeededMission("Rnd 0", 4), kStatusOk);
    std::vector<SpaceObject*> stations;
    for (SpaceObject* o = builder_->Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
        if (o->name != nullptr && std::string(o->name) == "Base") stations.push_back(o);
    }
    ASSERT_EQ(stations.size(), 1u);
    EXPECT_EQ(stations[0]->classWord, 33);
    EXPECT_EQ(stations[0]->type, SpaceObject::kTypeAiShip);
    // The raiders' side, which no team of a team battle flies for.
    for (SpaceObject* o = builder_->Game().mission->firstObject; o != nullptr; o = o->GetNext()) {
        if (o->name != nullptr && std::string(o->name).rfind("Raider", 0) == 0) {
            EXPECT_EQ(o->side, stations[0]->side);
        }
    }
    EXPECT_GT(stations[0]->side, NetGameSettings::kMostTeams);
    EXPECT_GT(stations[0]->Position().Length(), 1400.0f);
    lobby.base = 0;
}

// Outside a network game the name's slot tells the kind, and the accepted
// offer seeds the mission.
TEST_F(RandomMissionTest, AnOffersSlotTellsTheKindAndItsWordTheMission) {
    Generator& generator = Generator::Of(builder_->Game());
    generator.chosenOffer = 0x80000006u;
    ASSERT_EQ(SetUpMission("Rnd 5", -1), kStatusOk);
    EXPECT_EQ(generator.kind, Generator::kDestroy);
    const std::vector<std::string> first = World();
    ASSERT_EQ(SetUpMission("Rnd 5", -1), kStatusOk);
    EXPECT_EQ(World(), first);
    ASSERT_EQ(SetUpMission("Rnd 6", -1), kStatusOk);
    EXPECT_EQ(GoalKinds(), (std::vector<int32_t>{Goal::kProtect, Goal::kTravel}));
}

// A mission file's goals name their objects, which are there when they are made.
TEST_F(RandomMissionTest, AMissionFilesGoalsFindTheirObjectsByName) {
    ASSERT_EQ(SetUpMission("sample.uli", -1), kStatusOk);
    std::vector<std::string> chain;
    for (Goal* goal = g_objectiveChain; goal != nullptr; goal = goal->nextGoal) {
        const SpaceObject* const named = goal->GetSubject() != nullptr ? goal->GetSubject() : goal->destination;
        chain.push_back(named != nullptr && named->name != nullptr ? named->name : "-");
    }
    EXPECT_EQ(chain, (std::vector<std::string>{"Red 1", "Nav 1", "Home Gate"}));
    ASSERT_NE(builder_->Game().jumpGoal, nullptr);
    EXPECT_EQ(builder_->Game().jumpGoal->id, 3);
    FreeMission();
    EXPECT_EQ(builder_->Game().jumpGoal, nullptr);
    EXPECT_EQ(g_objectiveChain, nullptr);
}

// A cooperative destroy mission flown to its end by the host's goal step:
// the wing forms up by time (which starts the mission clock the others
// count by), the target dies, the ship flies into the gate; the payment is
// shared out in the step the mission is won, and never again.
TEST_F(RandomMissionTest, AWonCooperativeMissionIsPaidOnceAtTheWin) {
    GameState& game = builder_->Game();
    Generator& generator = Lobby(Generator::kDestroy, 0);
    ASSERT_EQ(SetUpSeededMission("Rnd 0", 2), kStatusOk);
    generator.payment = 9000;
    auto* const session = new RecordingNetSession(true);
    game.netSession = session;
    session->AddPlayer(1, "Host", 10);
    session->AddPlayer(7, "Ann", 11);
    session->AddPlayer(9, "Bob", 12);
    const int32_t funds = game.career->funds;
    // The shares sent so far (the raiders' shots go out too).
    const auto shares = [session] {
        std::vector<int32_t> paid;
        for (const auto& sent : session->sent) {
            PacketReader in(sent.bytes.data(), uint32_t(sent.bytes.size()));
            if (in.U16(0) == kKillsUpdate) paid.push_back(in.I32(32));
        }
        return paid;
    };
    const auto fly = [&](uint32_t ms) {
        for (uint32_t flown = 0; flown < ms; flown += 50) {
            game.playerShip->velocity = {};
            builder_->Clock().Advance(50);
            game.Simulate();
        }
    };
    Goal* const formUp = g_objectiveChain;
    Goal* const kill = formUp->nextGoal;
    ASSERT_EQ(kill->GetKind(), Goal::kKill);
    fly(Generator::kFormUpMs - 1000);
    EXPECT_EQ(formUp->met, 0);
    fly(1100);
    EXPECT_EQ(formUp->met, 1);
    EXPECT_LT(flight_goals::ClockMs(), 500u);

    kill->GetSubject()->SetHitPoints(0);
    fly(100);
    EXPECT_EQ(kill->met, 1);
    EXPECT_EQ(flight_goals::GetOutcome(), flight_goals::Outcome::kOpen);
    EXPECT_TRUE(shares().empty());

    const Vector3 gate = game.jumpGoal->destination->Position();
    game.playerShip->local.SetPositionXyz(gate.x, gate.y, gate.z, Transform::kAllFlags);
    fly(50);
    ASSERT_EQ(flight_goals::GetOutcome(), flight_goals::Outcome::kWon);
    EXPECT_EQ(game.cooperativeTimeUp, 0);
    EXPECT_EQ(shares(), (std::vector<int32_t>{3000, 3000}));
    EXPECT_EQ(game.career->funds, funds + 3000);

    // The time limit passes: the time is up, but the mission was paid.
    builder_->Clock().Advance(uint32_t(generator.CoopLimitSeconds()) * 1000);
    fly(50);
    EXPECT_EQ(game.cooperativeTimeUp, 1);
    EXPECT_EQ(shares().size(), 2u);
    EXPECT_EQ(game.career->funds, funds + 3000);
    delete session;
    game.netSession = nullptr;
}

TEST_F(RandomMissionTest, TheHostSharesThePaymentOnceWhenTheTimeIsUp) {
    GameState& game = builder_->Game();
    Generator& generator = Lobby(Generator::kProtect, 1);
    ASSERT_EQ(SetUpSeededMission("Rnd 0", 2), kStatusOk);
    ASSERT_EQ(generator.CoopLimitSeconds(), 60);
    generator.payment = 9001;
    auto* const session = new RecordingNetSession(true);
    game.netSession = session;
    session->AddPlayer(1, "Host", 10);
    session->AddPlayer(7, "Ann", 11);
    session->AddPlayer(9, "Bob", 12);
    const int32_t funds = game.career->funds;

    builder_->Clock().Advance(60000);
    game.Simulate();
    EXPECT_TRUE(session->sent.empty());
    EXPECT_EQ(game.cooperativeTimeUp, 0);
    builder_->Clock().Advance(1);
    game.Simulate();
    game.Simulate();
    EXPECT_EQ(game.cooperativeTimeUp, 1);
    ASSERT_EQ(session->sent.size(), 2u);
    std::vector<uint32_t> paid;
    for (const auto& sent : session->sent) {
        PacketReader in(sent.bytes.data(), uint32_t(sent.bytes.size()));
        EXPECT_EQ(in.U16(0), kKillsUpdate);
        EXPECT_EQ(in.U16(2), 44u);
        EXPECT_EQ(in.I32(32), 3000);
        EXPECT_EQ(in.U32(40), sent.to);
        paid.push_back(sent.to);
    }
    EXPECT_EQ(paid, (std::vector<uint32_t>{7, 9}));
    EXPECT_EQ(game.career->funds, funds + 3000);

    // A client never pays.
    session->isHost = 0;
    generator.cooperativePaid = 0;
    session->sent.clear();
    CheckCooperativeEnd(game);
    EXPECT_TRUE(session->sent.empty());
    delete session;
    game.netSession = nullptr;
}

// Only a cooperative game (teams or not) shares a payment, and only one not
// lost: a death match (by its kind or by the lobby's settings) and a lost
// cooperative mission pay nobody when the time would be up; an open one
// adds the host's share to funds near their top without wrapping them.
TEST_F(RandomMissionTest, OnlyAnOpenCooperativeGamePaysAndItsShareHoldsAtTheTop) {
    constexpr int32_t kMost = std::numeric_limits<int32_t>::max();
    GameState& game = builder_->Game();
    NetGameSettings settings;
    auto* const session = new RecordingNetSession(true);
    game.netSession = session;
    session->AddPlayer(1, "Host", 10);
    session->AddPlayer(7, "Ann", 11);
    const struct {
        int32_t kind;
        uint32_t gameType;
        bool lost;
        size_t shares;
    } kCases[] = {{Generator::kDeathMatch, NetGameSettings::kCooperative, false, 0},
                  {Generator::kProtect, NetGameSettings::kDeathMatch, false, 0},
                  {Generator::kProtect, NetGameSettings::kCooperative, true, 0},
                  {Generator::kProtect, NetGameSettings::kCooperative, false, 1},
                  {Generator::kProtect, NetGameSettings::kCooperativeTeams, false, 1}};
    for (const auto& row : kCases) {
        session->sent.clear();
        settings.gameType = row.gameType;
        game.netSettings = &settings;
        Generator& generator = Lobby(row.kind, 1);
        ASSERT_EQ(SetUpSeededMission("Rnd 0", 2), kStatusOk);
        generator.payment = kMost;
        if (row.lost) {
            Goal* protect = g_objectiveChain;
            while (protect != nullptr && protect->GetKind() != Goal::kProtect) protect = protect->nextGoal;
            ASSERT_NE(protect, nullptr);
            protect->GetSubject()->SetHitPoints(0);
            game.Simulate();
            ASSERT_EQ(flight_goals::GetOutcome(), flight_goals::Outcome::kFailed);
        }
        game.career->funds = kMost - 10;
        builder_->Clock().Advance(uint32_t(std::max(generator.CoopLimitSeconds(), 60)) * 1000 + 1);
        game.Simulate();
        game.Simulate();
        size_t shares = 0;
        for (const auto& sent : session->sent) {
            if (PacketReader(sent.bytes.data(), uint32_t(sent.bytes.size())).U16(0) == kKillsUpdate) ++shares;
        }
        EXPECT_EQ(shares, row.shares) << row.kind << " " << row.gameType << " " << row.lost;
        EXPECT_EQ(game.career->funds, row.shares != 0 ? kMost : kMost - 10) << row.kind << " " << row.gameType;
    }
    game.netSettings = nullptr;
    delete session;
    game.netSession = nullptr;
}

}  // namespace
