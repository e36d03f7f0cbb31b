// The campaign between flights: the training file's messages on its first
// and on a won load, offers retired, lifetimes running out, damaged
// messages and awards skipped, awards gated and paid once, and a flight's
// results written back into the career.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/MessageEntry.h"
#include "mission/AfterFlight.h"
#include "mission/CampaignMessages.h"
#include "mission/CareerUpdate.h"
#include "mission/MissionFile.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/Craft.h"
#include "objects/space/WorldPass.h"
#include "objects/systems/ShipSystem.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/SampleMissionTest.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/CampaignData.h"
#include "tools/mkdata/CareerData.h"
#include "tools/mkdata/MissionRecords.h"
#include "tools/mkdata/SampleTree.h"

namespace {

int g_hookRuns = 0;

std::vector<std::string> Titles(const MessageList& list) {
    std::vector<std::string> titles;
    for (int32_t i = 0; i < list.Count(); ++i) titles.push_back(list.At(i)->title);
    return titles;
}

using Names = std::vector<std::string>;

std::vector<uint8_t> Movie(const char* name) {
    std::vector<uint8_t> bytes(mission_file::kMovieBytes, 0);
    std::memcpy(bytes.data(), name, std::strlen(name));
    return bytes;
}

class CampaignTest : public SampleMissionTest {
protected:
    void SetUp() override {
        SampleMissionTest::SetUp();
        g_hookRuns = 0;
        SetMessageListsHook([](GameState&) { ++g_hookRuns; });
    }
    void TearDown() override {
        SetMessageListsHook(nullptr);
        SampleMissionTest::TearDown();
    }
    // A mission file of the missions directory holding these chunks after
    // its header.
    void WriteMission(const char* name, const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& chunks) {
        IffFile iff(0);
        const std::string path = g_dataDirs.Prefix(DataDir::kMissions) + name;
        Status status = iff.OpenFile(path.c_str(), kOpenWrite | kOpenCreate);
        if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
        status = PutRecord(iff, mission_file::kHeader, MissionHeader(0.0f), status);
        for (const auto& [chunk, bytes] : chunks) status = PutBytes(iff, chunk, bytes, status);
        if (status == kStatusOk) status = iff.Ascend();
        ASSERT_EQ(status, kStatusOk);
        ASSERT_EQ(iff.CloseFile(), kStatusOk);
    }

};

TEST_F(CampaignTest, TrainingsFirstLoadDeliversItsFirstMessagesToTheirLists) {
    GameState& game = Game();
    game.oldNews.Append(std::make_unique<MessageEntry>());
    game.plotCounter = 4;
    StartTraining(game);
    EXPECT_EQ(game.plotCounter, 0);
    EXPECT_EQ(g_hookRuns, 1);
    EXPECT_EQ(Titles(game.newMail), (Names{"Welcome Aboard", "Training Flight"}));
    EXPECT_EQ(Titles(game.newNews), (Names{"Raiders Sighted", "Training Under Way"}));
    EXPECT_EQ(Titles(game.logs), (Names{"Reported For Duty"}));
    EXPECT_EQ(Titles(game.voice), (Names{"Base Control"}));
    EXPECT_EQ(game.oldMail.Count() + game.oldNews.Count(), 0);
    const MessageEntry& offer = *game.newMail.At(1);
    EXPECT_EQ(offer.kind, MessageEntry::kKindOffer);
    EXPECT_EQ(offer.launchFile, kTrainingMissionFile);
    const MessageEntry& held = *game.newNews.At(1);
    EXPECT_EQ(held.kind, MessageEntry::kKindHeld);
    EXPECT_EQ(held.active, MessageEntry::kHidden);
    EXPECT_EQ(game.newNews.At(0)->active, MessageEntry::kShown);
}

// A won flight of the training: the debriefing and the next offer arrive
// once, the flown offer moves to the old list, and the award is paid once
// however often the step is asked for.
TEST_F(CampaignTest, AWonTrainingFlightIsSettledOnce) {
    GameState& game = Game();
    StartTraining(game);
    game.missionName = kTrainingMissionFile;
    game.flightUnsettled = 1;
    const int32_t funds = game.career->funds;
    std::vector<std::string> played;
    const MoviePlayer play = [&played](const char* name) { played.push_back(name); };
    SettleFlight(game, MessageEntry::kWon, "lnd.mpg", play);
    SettleFlight(game, MessageEntry::kWon, "lnd.mpg", play);
    EXPECT_EQ(g_hookRuns, 2);
    EXPECT_EQ(Titles(game.newMail), (Names{"Welcome Aboard", "Training Debriefing", "Raider Strike"}));
    EXPECT_EQ(Titles(game.oldMail), (Names{"Training Flight"}));
    EXPECT_EQ(Titles(game.logs), (Names{"Reported For Duty", "Training Flown"}));
    EXPECT_EQ(game.newMail.At(2)->launchFile, kStrikeMissionFile);
    EXPECT_EQ(game.career->funds, funds + kTrainingAward);
    EXPECT_EQ(game.career->trophies, kTrainingTrophy);
    EXPECT_EQ(game.career->missions, 1);
    EXPECT_EQ(played, (Names{"lnd.mpg"}));

    // A loss accepted later is a new flight's.
    game.flightUnsettled = 1;
    AcceptFlightLoss(game);
    EXPECT_EQ(game.career->funds, funds + kTrainingAward);
    EXPECT_EQ(game.career->missions, 2);
    EXPECT_EQ(played.size(), 1u);
}

// The sample campaign settled flight by flight as the landings settle it:
// a lost strike is offered again and pays nothing; each win pays its
// award and offers the next mission; the last win offers nothing and
// tells the campaign's end, which needs every campaign trophy held.
TEST_F(CampaignTest, TheSampleCampaignRunsFromTheTrainingToItsEnd) {
    GameState& game = Game();
    StartTraining(game);
    CareerRecord& career = *game.career;
    const int32_t funds = career.funds;
    const auto settle = [&game](const char* file, int32_t outcome) {
        game.missionName = file;
        game.flightUnsettled = 1;
        SettleFlight(game, outcome, nullptr, nullptr);
    };
    const auto offers = [&game] {
        Names titles;
        for (int32_t i = 0; i < game.newMail.Count(); ++i) {
            const MessageEntry& entry = *game.newMail.At(i);
            if (entry.kind == MessageEntry::kKindOffer) titles.push_back(entry.title + " " + entry.launchFile);
        }
        return titles;
    };
    settle(kTrainingMissionFile, MessageEntry::kWon);
    EXPECT_EQ(offers(), (Names{"Raider Strike strike.uli"}));
    settle(kStrikeMissionFile, MessageEntry::kLost);
    EXPECT_EQ(offers(), (Names{"Raider Strike strike.uli"}));
    EXPECT_EQ(Titles(game.newMail).back(), "Raider Strike");
    EXPECT_EQ(career.funds, funds + kTrainingAward);
    settle(kStrikeMissionFile, MessageEntry::kWon);
    EXPECT_EQ(offers(), (Names{"Beacon Patrol patrol.uli"}));
    settle(kPatrolMissionFile, MessageEntry::kWon);
    EXPECT_EQ(offers(), (Names{"Raider Sweep sweep.uli"}));
    settle(kSweepMissionFile, MessageEntry::kWon);
    EXPECT_TRUE(offers().empty());
    const Names mail = Titles(game.newMail);
    for (const char* title : {"Raider Strike Failed", "Raider Strike Debriefing", "Beacon Patrol Debriefing",
                              "Raider Sweep Debriefing", kCampaignEndTitle}) {
        EXPECT_EQ(std::count(mail.begin(), mail.end(), title), 1) << title;
    }
    EXPECT_EQ(career.funds, funds + kTrainingAward + kStrikeAward + kPatrolAward + kSweepAward);
    EXPECT_EQ(career.trophies, kTrainingTrophy | kStrikeTrophy | kPatrolTrophy | kSweepTrophy);
    EXPECT_EQ(career.missions, 5);

    // A sweep won without the strike's trophy: paid, but the end is not told.
    career.trophies &= ~kStrikeTrophy;
    settle(kSweepMissionFile, MessageEntry::kWon);
    const Names again = Titles(game.newMail);
    EXPECT_EQ(std::count(again.begin(), again.end(), kCampaignEndTitle), 1);
}

// The lobby counted the network game as it was hosted or joined; its
// flight settles without counting it again, while the next single
// player's flight counts as ever.
TEST_F(CampaignTest, ANetworkFlightLeavesTheMissionCountToTheLobby) {
    GameState& game = Game();
    game.SetConfigFolder(dir_.Str());   // the network game's pilot file goes there
    StartTraining(game);
    CareerRecord& career = *game.career;
    career.missions = 3;
    const int32_t funds = career.funds;
    GameState::NetworkHooks network;
    network.isNetworkGame = [] { return true; };
    GameState::SetNetworkHooks(network);
    game.missionName = kTrainingMissionFile;
    game.flightUnsettled = 1;
    SettleFlight(game, MessageEntry::kWon, nullptr, nullptr);
    GameState::SetNetworkHooks({});
    EXPECT_EQ(career.missions, 3);
    EXPECT_EQ(career.funds, funds);

    game.flightUnsettled = 1;
    SettleFlight(game, MessageEntry::kWon, nullptr, nullptr);
    EXPECT_EQ(career.missions, 4);
    EXPECT_EQ(career.funds, funds + kTrainingAward);
}

TEST_F(CampaignTest, TheMissionsCutSceneTakesTheLandingMoviesPlace) {
    WriteMission("cut.uli", {{mission_file::kMovie, Movie("victory.mpg")}});
    GameState& game = Game();
    game.missionName = "cut.uli";
    game.flightUnsettled = 1;
    std::vector<std::string> played;
    SettleFlight(game, MessageEntry::kWon, "lnd.mpg", [&played](const char* name) { played.push_back(name); });
    EXPECT_EQ(played, (Names{"victory.mpg"}));
}

TEST_F(CampaignTest, LifetimesRunOutOnTheirLoadAndZeroNeverExpires) {
    MessageEntry lasting, brief;
    lasting.title = "Lasting";
    brief.title = "Brief";
    brief.lifetime = 2;
    brief.list = lasting.list = MessageEntry::kLog;
    // A list number out of range, a short message and a short award are
    // skipped, not the file.
    MessageEntry stray = lasting;
    stray.list = 7;
    std::vector<uint8_t> cut = lasting.Encode();
    cut.resize(MessageEntry::kFixedBytes - 1);
    WriteMission("brief.uli", {{MessageEntry::kChunk, lasting.Encode()},
                               {MessageEntry::kChunk, stray.Encode()},
                               {MessageEntry::kChunk, cut},
                               {mission_file::kAward, std::vector<uint8_t>(mission_file::kAwardBytes - 1)},
                               {MessageEntry::kChunk, brief.Encode()},
                               {mission_file::kMovie, Movie("../lch.mpg")}});
    mission_file::Contents contents;
    ASSERT_EQ(mission_file::Load((g_dataDirs.Prefix(DataDir::kMissions) + "brief.uli").c_str(), &contents), kStatusOk);
    EXPECT_EQ(contents.messages.size(), 2u);
    EXPECT_EQ(contents.skippedMessages, 2);
    EXPECT_EQ(contents.skippedAwards, 1);
    EXPECT_EQ(contents.movie, "");   // none from outside the video directory

    GameState& game = Game();
    ASSERT_EQ(LoadMissionFile("brief.uli", MessageEntry::kFirstLoad), kStatusOk);
    EXPECT_EQ(Titles(game.logs), (Names{"Lasting", "Brief"}));
    EXPECT_NE(LoadMissionFile("missing.uli", MessageEntry::kFirstLoad), kStatusOk);
    EXPECT_EQ(Titles(game.logs), (Names{"Lasting", "Brief"}));
    EXPECT_EQ(game.logs.At(1)->lifetime, 1);
    LoadMissionFile("missing.uli", MessageEntry::kFirstLoad);
    EXPECT_EQ(Titles(game.logs), (Names{"Lasting"}));
    EXPECT_EQ(g_hookRuns, 3);
}

TEST_F(CampaignTest, MessagesWaitForTheirPlotCounterAndTrophies) {
    MessageEntry later, decorated;
    later.title = "Later";
    later.conditions[MessageEntry::kLeastPlot] = 2;
    decorated.title = "Decorated";
    decorated.conditions[MessageEntry::kTrophyMask] = 0x3;
    WriteMission("gated.uli", {{MessageEntry::kChunk, later.Encode()}, {MessageEntry::kChunk, decorated.Encode()}});
    GameState& game = Game();
    game.plotCounter = 1;
    game.career->trophies = 0x1;
    LoadMissionFile("gated.uli", MessageEntry::kFirstLoad);
    EXPECT_EQ(game.newNews.Count(), 0);
    game.plotCounter = 2;
    game.career->trophies = 0x7;
    LoadMissionFile("gated.uli", MessageEntry::kFirstLoad);
    EXPECT_EQ(Titles(game.newNews), (Names{"Later", "Decorated"}));
    LoadMissionFile("gated.uli", MessageEntry::kWon);
    EXPECT_EQ(game.newNews.Count(), 2);
}

TEST(Awards, OutcomeAndAccuracyGateThemAndTheCreditsOnlyMaskSetsNoTrophy) {
    using mission_file::Award;
    CareerRecord career(0);
    career.funds = 0;
    career.trophies = 0;
    career.accuracyValue = 50;
    const std::vector<Award> awards = {
        {1, 0, 100, 10, 0x1},                    // won
        {2, 0, 100, 20, 0x2},                    // lost
        {0, 50, 50, 40, 0x4},                    // either, accuracy exactly 50
        {0, 51, 100, 80, 0x8},                   // too accurate a bound
        {0, 0, 49, 160, 0x10},                   // not accurate enough a bound
        {1, 0, 100, 320, Award::kCreditsOnly},   // credits alone
    };
    EXPECT_EQ(PayAwards(career, awards, 1), 3);
    EXPECT_EQ(career.funds, 10 + 40 + 320);
    EXPECT_EQ(career.trophies, 0x1u | 0x4u);
    career.funds = career.trophies = 0;
    EXPECT_EQ(PayAwards(career, awards, 2), 2);
    EXPECT_EQ(career.funds, 20 + 40);
    EXPECT_EQ(career.trophies, 0x2u | 0x4u);
    // Credits cannot wrap the funds.
    career.funds = INT32_MAX - 5;
    PayAwards(career, {{0, 0, 100, 100, 0}}, 1);
    EXPECT_EQ(career.funds, INT32_MAX);
}

Craft* NamedCraft(GameState& game, const char* name) {
    for (SpaceObject* o = game.mission->firstObject; o != nullptr; o = o->GetNext()) {
        if (o->name != nullptr && std::strcmp(o->name, name) == 0) return dynamic_cast<Craft*>(o);
    }
    return nullptr;
}

// "strike.uli" flown from the base with two crewed ships: one wingman comes
// home, one is shot down.
TEST_F(CampaignTest, AFlightFromTheBaseWritesItsResultsBackIntoTheCareer) {
    GameState& game = Game();
    CareerRecord& career = *game.career;
    ShipRecord* const own = career.GetShip(-1);
    ASSERT_NE(own, nullptr);
    ShipRecord* escorts[2] = {};
    const char* const pilots[2] = {kSamplePilots[2], kSamplePilots[3]};
    for (int i = 0; i < 2; ++i) {
        auto ship = std::make_unique<ShipRecord>("P303");
        ASSERT_EQ(ship->LoadHull(), kStatusOk);
        escorts[i] = career.AddShip(std::move(ship));
        career.HirePilot(pilots[i]);
        escorts[i]->pilot = career.hiredPilots.back().get();
    }
    PilotRecord* const survivor = escorts[0]->pilot;
    const int32_t ships = career.GetShipCount();
    career.accuracyValue = 61;
    game.launchFromBase = 1;
    ASSERT_EQ(SetUpMission(kStrikeMissionFile, -1), kStatusOk);
    ASSERT_NE(LaunchPlayerShip(), nullptr);
    for (int i = 0; i < 20; ++i) {
        builder_->Clock().Advance(50);
        game.Simulate();
    }

    auto* const player = dynamic_cast<Craft*>(game.playerShip);
    ASSERT_NE(player, nullptr);
    player->maxHitPoints = 300;
    player->hitPoints = 200;   // 100 - 66.6: the damage rounds up
    ShipSystem* const energy = player->GetSystem(ShipSystem::kEnergy, nullptr);
    ASSERT_NE(energy, nullptr);
    energy->SetDamage(energy->maxDamage / 2);
    career.accuracy.kills = 2;
    career.accuracy.byKind[0] = {10, 5};
    career.accuracy.byKind[1] = {4, 4};   // the mean of 50 and 100: 75
    survivor->flight.kills = 1;
    survivor->flight.byKind[2] = {2, 1};
    Craft* const lost = NamedCraft(game, pilots[1]);
    ASSERT_NE(lost, nullptr);
    lost->Deactivate(0);

    UpdateCareerAfterMission(game);
    EXPECT_EQ(career.missions, 1);
    EXPECT_EQ(career.kills, 2);
    EXPECT_EQ(career.accuracyValue, (61 + 75) / 2);
    EXPECT_EQ(own->damage, 34);
    int32_t energyDamage = -1;
    for (const auto& item : own->Items()) {
        if (std::strcmp(item->id, energy->equipmentId) == 0) energyDamage = item->damage;
    }
    EXPECT_EQ(energyDamage, 50);
    EXPECT_EQ(survivor->missions, 14 + 1);
    EXPECT_EQ(survivor->kills, 6 + 1);
    EXPECT_EQ(survivor->accuracy, (47 + 50) / 2);
    EXPECT_EQ(escorts[0]->damage, 0);
    ASSERT_EQ(career.lostPilots.size(), 1u);
    EXPECT_EQ(career.lostPilots[0]->name, pilots[1]);
    EXPECT_EQ(career.GetShipCount(), ships - 1);
    EXPECT_EQ(career.GetShip(-1), own);
    EXPECT_EQ(lost->FlownRecord(), nullptr);
}

}  // namespace
