// Missions from their files: the sample mission's world, the player's ship
// with its chase object and wing, a second set-up leaving nothing of the
// first, files cut short, and the mission's own values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ai/WingGroup.h"
#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/GameState.h"
#include "game/Mission.h"
#include "game/DefinitionFormat.h"
#include "game/EffectTypes.h"
#include "scene/Material.h"
#include "mission/CareerUpdate.h"
#include "mission/Goal.h"
#include "mission/MissionFile.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "mission/SpawnRecords.h"
#include "objects/ships/AiShip.h"
#include "objects/ships/Craft.h"
#include "objects/ships/PlayerShip.h"
#include "objects/space/ChaseObject.h"
#include "objects/space/ObjectPart.h"
#include "objects/weapons/HitSearch.h"
#include "scene/Camera.h"
#include "sound/SoundEffectLibrary.h"
#include "sound/SoundObject.h"
#include "objects/systems/ShipSystem.h"
#include "objects/space/WorldPass.h"
#include "net/NetGameSettings.h"
#include "net/NetPacketType.h"
#include "net/NetworkHooks.h"
#include "net/PacketBytes.h"
#include "tests/support/ChunkBuilder.h"
#include "tests/support/MemoryStream.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/RecordingTexture.h"
#include "tests/support/ScopedInstall.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/NetPacketBytes.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/SampleMissionTest.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/CareerData.h"
#include "tools/mkdata/MissionData.h"
#include "tools/mkdata/SampleTree.h"

namespace {

class MissionTest : public SampleMissionTest {
protected:
    std::map<int32_t, int> CountByType() {
        std::map<int32_t, int> counts;
        for (SpaceObject* o = builder_->Game().mission->firstObject; o != nullptr; o = o->GetNext()) ++counts[o->type];
        return counts;
    }
    std::vector<uint8_t> SampleBytes() {
        std::ifstream in(dir_.Path() / "missions" / kSampleMissionFile, std::ios::binary);
        return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), {});
    }

    RecordingMessageBox boxes_;
    ScopedInstall<platform::MessageBox> installed_{boxes_};
};

TEST_F(MissionTest, TheSampleMissionBuildsItsWorld) {
    GameState& game = builder_->Game();
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    EXPECT_EQ(game.missionReady, 1);
    std::map<int32_t, int> counts = CountByType();
    EXPECT_EQ(counts[SpaceObject::kTypeAsteroid], 4);
    EXPECT_EQ(counts[SpaceObject::kTypeMine], 2);
    EXPECT_EQ(counts[SpaceObject::kTypeJumpGate], 1);
    EXPECT_EQ(counts[SpaceObject::kTypeDebris], 1);
    EXPECT_EQ(counts[SpaceObject::kTypeWayPoint], 2);
    EXPECT_EQ(counts[SpaceObject::kTypeNavBuoy], 1);
    EXPECT_EQ(game.mission->ReportDelayMs(2), 20000);
    EXPECT_EQ(game.mission->ReportDelayMs(3), -1);
    EXPECT_FLOAT_EQ(game.mission->referencePosition[2], -50.0f);
    EXPECT_FLOAT_EQ(game.mission->mapCentre[2], 1500.0f);
    EXPECT_TRUE(boxes_.Boxes().empty());
    for (SpaceObject* o = game.mission->firstObject; o != nullptr; o = o->GetNext()) {
        if (o->type == SpaceObject::kTypeJumpGate) {
            EXPECT_FLOAT_EQ(o->Position().z, 6000.0f);
        } else if (o->type == SpaceObject::kTypeWayPoint) {
            EXPECT_FLOAT_EQ(o->Position().x, 0.0f);
        }
    }

    // The player starts at the origin, trailed, leading its wingmen.
    EXPECT_EQ(counts[SpaceObject::kTypeAiShip], 5);
    EXPECT_EQ(counts[SpaceObject::kTypePlayerShip], 1);
    ASSERT_NE(game.playerShip, nullptr);
    EXPECT_FLOAT_EQ(game.playerShip->Position().Length(), 0.0f);
    ASSERT_NE(game.chaseObject, nullptr);
    EXPECT_EQ(game.chaseReference, game.playerShip);
    EXPECT_NE(static_cast<Craft*>(game.playerShip)->GetSystem(ShipSystem::kEnergy, nullptr), nullptr);
    WingGroup* const playerWing = static_cast<PlayerShip*>(game.playerShip)->wingGroup;
    ASSERT_NE(playerWing, nullptr);
    EXPECT_EQ(playerWing->GetMember(0), game.playerShip);
    int wingmen = 0, hostile = 0;
    for (SpaceObject* o = game.mission->firstObject; o != nullptr; o = o->GetNext()) {
        if (o->type != SpaceObject::kTypeAiShip) continue;
        auto* const pilot = static_cast<AiShip*>(o);
        wingmen += o->side == 1 && pilot->wingGroup == playerWing;
        hostile += o->side == 2 && pilot->wingGroup != playerWing && pilot->wingGroup != nullptr;
    }
    EXPECT_EQ(wingmen, 2);
    EXPECT_EQ(hostile, 3);
}

SpaceObject* Named(GameState& game, const char* name) {
    for (SpaceObject* o = game.mission->firstObject; o != nullptr; o = o->GetNext()) {
        if (o->name != nullptr && std::strcmp(o->name, name) == 0) return o;
    }
    return nullptr;
}

// A client announces its new ship to the host, once, under its own uoid.
TEST_F(MissionTest, AClientsShipIsAnnouncedToTheHost) {
    InstallNetworkHooks();
    auto* const session = new RecordingNetSession(false);
    GameState& game = builder_->Game();
    game.netSession = session;
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    std::vector<const RecordingNetSession::Sent*> announced;
    for (const auto& sent : session->sent) {
        if (PacketReader(sent.bytes.data(), 8).U16(0) == kNewPlayer) announced.push_back(&sent);
    }
    ASSERT_EQ(announced.size(), 1u);
    EXPECT_EQ(announced[0]->to, session->serverDpid);
    ASSERT_NE(game.playerShip, nullptr);
    EXPECT_EQ(PacketReader(announced[0]->bytes.data(), 20).I32(16), game.playerShip->uoid);
    delete session;
    game.netSession = nullptr;
    GameState::SetNetworkHooks({});
}

// The host builds a member's copy as the member's own machine builds the
// member's ship of that hull, from the announcement that machine sends: the
// same systems, so the same mass by which the host judges its rams.
TEST_F(MissionTest, TheHostsCopyOfAMembersShipIsTheShipItsPilotFlies) {
    InstallNetworkHooks();
    GameState& game = builder_->Game();
    NetGameSettings settings;
    settings.gameType = NetGameSettings::kDeathMatch;
    game.netSettings = &settings;
    const auto systems = [](const Craft& craft) {
        std::multiset<int32_t> kinds;
        for (const ObjectPart* part : craft.parts) {
            for (const ShipSystem* system : part->systems) kinds.insert(system->typeId);
        }
        return kinds;
    };
    for (const char* hull : {"P101", "P102"}) {
        RecordingNetSession member(false);
        game.netSession = &member;
        ASSERT_EQ(SetUpMission("", -1), kStatusOk);
        mission_file::Player player;
        std::strcpy(player.definition, hull);
        auto* const own = dynamic_cast<Craft*>(CreatePlayerShip(player));
        ASSERT_NE(own, nullptr);
        ASSERT_EQ(member.sent.size(), 1u);
        RecordingNetSession host(true);
        game.netSession = &host;
        const int32_t entry = host.AddPlayer(member.ownDpid, "Bob", -1);
        Deliver(host, member.ownDpid, member.sent[0].bytes);
        auto* const copy = dynamic_cast<Craft*>(game.mission->firstObject->FindByUoid(host.GetPlayerUoid(entry)));
        ASSERT_NE(copy, nullptr) << hull;
        EXPECT_NE(copy, own);
        EXPECT_EQ(copy->mass, own->mass) << hull;
        EXPECT_EQ(systems(*copy), systems(*own)) << hull;
        EXPECT_EQ(copy->GetMaxHitPoints(nullptr), own->GetMaxHitPoints(nullptr)) << hull;
        game.netSession = nullptr;
        FreeMission();
    }
    game.netSettings = nullptr;
    GameState::SetNetworkHooks({});
}

// The host's own ship, made at the launch of a network game, flies the
// side the game gives its pilot, as every member's ship does: its team's
// in a team battle, the players' in a cooperative game, its own number in
// a free-for-all; and the host's entry of the table follows the ship.
TEST_F(MissionTest, AHostsOwnShipFliesTheSideItsGameGivesItsPilot) {
    InstallNetworkHooks();
    auto* const session = new RecordingNetSession(true);
    NetGameSettings settings;
    GameState& game = builder_->Game();
    game.netSession = session;
    game.netSettings = &settings;
    const int32_t own = session->AddPlayer(session->ownDpid, "Ann", -1);
    for (const auto& [type, team] : {std::pair{NetGameSettings::kDeathMatchTeams, 1}, {NetGameSettings::kTagTeams, 0},
                                     {NetGameSettings::kCooperativeTeams, 1}, {NetGameSettings::kDeathMatch, 1}}) {
        settings.gameType = type;
        session->SetPlayerTeam(own, team);
        ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
        const SpaceObject* const ship = game.playerShip;
        ASSERT_NE(ship, nullptr);
        EXPECT_EQ(session->GetPlayerUoid(own), ship->uoid) << type;
        const int32_t side = type == NetGameSettings::kCooperativeTeams ? PlayerShip::kPlayersSide
                             : type == NetGameSettings::kDeathMatch      ? ship->uoid
                                                                         : team + 1;
        EXPECT_EQ(ship->side, side) << type;
    }
    FreeMission();
    game.netSettings = nullptr;
    game.netSession = nullptr;
    delete session;
    GameState::SetNetworkHooks({});
}

// A joining client makes its ship into an empty mission, after the set-up.
TEST_F(MissionTest, AShipMadeAfterTheSetUpGoesWithItsWing) {
    ASSERT_EQ(SetUpMission("", -1), kStatusOk);
    mission_file::Player player;
    std::strcpy(player.definition, "P101");
    ASSERT_NE(CreatePlayerShip(player), nullptr);
    FreeMission();
    EXPECT_EQ(builder_->Game().playerShip, nullptr);
}

TEST_F(MissionTest, ALaunchFromTheBaseFliesTheCareersShipAndItsCrewedShipsAsWingmen) {
    GameState& game = builder_->Game();
    CareerRecord& career = *game.career;
    ShipRecord* const own = career.GetShip(-1);
    ASSERT_NE(own, nullptr);
    EquipmentItem* const generator = own->GetItem(0, EquipmentItem::kSystems);
    ASSERT_STREQ(generator->id, "Generator 1");
    generator->damage = 50;
    own->damage = 10;
    auto heavy = std::make_unique<ShipRecord>("P303");
    ASSERT_EQ(heavy->LoadHull(), kStatusOk);
    ShipRecord* const escort = career.AddShip(std::move(heavy));
    career.HirePilot(kSamplePilots[2]);
    escort->pilot = career.hiredPilots.at(0).get();
    escort->pilot->flight.kills = 4;
    career.accuracy.kills = 9;
    own->hullRepairMoney = 300;

    game.launchFromBase = 1;
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    // The accept sets the world up; the ship waits for the launch, so that
    // what the squadron does before it (here, the hull's damage) flies.
    EXPECT_EQ(game.playerShip, nullptr);
    own->damage = 40;
    auto* const player = dynamic_cast<Craft*>(LaunchPlayerShip());
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(game.playerShip, player);
    EXPECT_STREQ(player->label, "P102");
    EXPECT_EQ(player->FlownRecord(), own);
    EXPECT_EQ(career.accuracy.kills, 0);
    int32_t systems = 0;
    for (ShipSystem* s = player->GetSystem(ShipSystem::kAny, nullptr); s != nullptr; s = player->GetSystem(ShipSystem::kAny, s)) ++systems;
    EXPECT_EQ(systems, own->CountItems(EquipmentItem::kAll));
    const ShipSystem* const energy = player->GetSystem(ShipSystem::kEnergy, nullptr);
    ASSERT_NE(energy, nullptr);
    EXPECT_EQ(energy->GetDamagePercent(), 50);
    // The hull flies as damaged as it came back from its last flight.
    EXPECT_EQ(player->GetHitPoints(nullptr), player->GetMaxHitPoints(nullptr) * 60 / 100);

    auto* const wingman = dynamic_cast<AiShip*>(Named(game, kSamplePilots[2]));
    ASSERT_NE(wingman, nullptr);
    EXPECT_EQ(wingman->FlownRecord(), escort);
    EXPECT_EQ(wingman->side, player->side);
    EXPECT_EQ(wingman->wingGroup, static_cast<PlayerShip*>(game.playerShip)->wingGroup);
    EXPECT_EQ(wingman->accuracy, &escort->pilot->flight);
    EXPECT_EQ(escort->pilot->flight.kills, 0);
    EXPECT_EQ(escort->pilot->flying, 1);
    player->ResetSystems();
    EXPECT_EQ(own->hullRepairMoney, 0);

    // Sold after the flight, the record is gone and the craft that flew it
    // names nothing: the career's step after the flight passes it by.
    const auto sold = std::find_if(career.ships.begin(), career.ships.end(),
                                   [escort](const auto& ship) { return ship.get() == escort; });
    ASSERT_NE(sold, career.ships.end());
    career.ships.erase(sold);
    EXPECT_EQ(wingman->FlownRecord(), nullptr);
    wingman->ResetSystems();
    player->hitPoints = player->GetMaxHitPoints(nullptr) / 2;
    UpdateCareerAfterMission(game);
    EXPECT_EQ(own->damage, 50);
}

// A career with every ship sold launches nothing: the mission file's own
// ship is the command line's flight, never a career's.
TEST_F(MissionTest, ACareerWithNoShipLaunchesNothing) {
    GameState& game = builder_->Game();
    game.career->ships.clear();
    game.career->EnsureShipSelected();
    ASSERT_EQ(game.career->GetShip(-1), nullptr);
    game.launchFromBase = 1;
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    EXPECT_EQ(LaunchPlayerShip(), nullptr);
    EXPECT_EQ(game.playerShip, nullptr);
}

TEST_F(MissionTest, TheCommandLinesFlightKeepsTheMissionsShip) {
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    EXPECT_STREQ(static_cast<Craft*>(builder_->Game().playerShip)->label, "P101");
    EXPECT_EQ(static_cast<Craft*>(builder_->Game().playerShip)->FlownRecord(), nullptr);
}

void Frames(WorldBuilder& builder, int count) {
    for (int i = 0; i < count; ++i) {
        builder.Clock().Advance(50);
        builder.Game().Simulate();
    }
}

// The ships of the sample keep their model's placement scale: the capital
// ship is big, its turrets sit on its hull, and a gun's ray that passes its
// centre by 40 units meets it.
TEST_F(MissionTest, TheSampleShipsKeepTheirModelsSize) {
    GameState& game = builder_->Game();
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    SpaceObject* const capital = Named(game, "Bastion");
    ASSERT_NE(capital, nullptr);
    EXPECT_NEAR(capital->Radius(), 40.0f * std::sqrt(3.0f), 0.05f);
    EXPECT_GT(game.playerShip->Radius(), 10.0f);
    const SceneObject* turret = nullptr;
    for (const ObjectPart* part : capital->parts) {
        if (part->kind == ObjectPart::kTurret && turret == nullptr) turret = part->node;
    }
    ASSERT_NE(turret, nullptr);
    Vector3 at;
    turret->world.matrix.GetTranslation(&at);
    EXPECT_NEAR(at.Difference(capital->Position()).Length(), 40.0f * Vector3(0.5f, 1.1f, 0.5f).Length(), 0.05f);
    EXPECT_NEAR(turret->world.scale, 4.0f, 1e-4f);

    const Vector3 from = capital->Position().Sum({40.0f, 0.0f, -300.0f});
    const WeaponHit hit = FindWeaponHit(game.playerShip, from, {0.0f, 0.0f, 1.0f}, 1000.0f);
    EXPECT_EQ(hit.object, capital);
}

// Freeing the flight's world lets the explosions' frames go of the device
// textures drawn from them; the explosion definitions stay for the next one.
TEST_F(MissionTest, FreeingTheWorldDropsTheExplosionsTexturesButKeepsThem) {
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    ExplosionType* const explosion = g_explosionTypes;
    ASSERT_NE(explosion, nullptr);
    PixelImage* picture = nullptr;
    for (BitmapMaterial* frame : explosion->frames) {
        if (frame != nullptr && frame->block != nullptr && picture == nullptr) picture = frame->block;
    }
    ASSERT_NE(picture, nullptr);
    std::vector<int> deleted;
    new RecordingTexture(picture, &deleted, 1);
    FreeMission();
    EXPECT_EQ(deleted, std::vector<int>{1});
    EXPECT_EQ(picture->copies, nullptr);
    EXPECT_EQ(g_explosionTypes, explosion);
    picture->ReleaseCopies();   // a texture left behind must not outlive `deleted`
}

// The chase object trails the player's ship, the camera rides with the
// viewed ship, weapons have a flash to light, and the effects their palettes.
TEST_F(MissionTest, TheFlightHasItsChaseObjectCameraFlashAndPalettes) {
    GameState& game = builder_->Game();
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    SpaceObject* const player = game.playerShip;
    ASSERT_NE(player, nullptr);
    auto* const chase = dynamic_cast<ChaseObject*>(game.chaseObject);
    ASSERT_NE(chase, nullptr);
    EXPECT_EQ(chase->target.Get(), player);
    ASSERT_NE(game.flightCamera, nullptr);
    ASSERT_NE(game.weaponFlash, nullptr);
    EXPECT_EQ(game.weaponFlash->craft, player);
    EXPECT_NE(game.effectKey, nullptr);
    EXPECT_NE(game.tracerKey, nullptr);

    // Sideways: the trail turns from the ship's nose to its move.
    player->velocity = {150.0f, 0.0f, 0.0f};
    Frames(*builder_, 12);
    const Vector3 behind = player->Position().Difference(chase->Position());
    EXPECT_NEAR(behind.x, 10.0f, 0.05f);
    EXPECT_NEAR(behind.z, 0.0f, 0.05f);
    Vector3 camera;
    game.flightCamera->transform.matrix.GetTranslation(&camera);
    EXPECT_LT(camera.Difference(player->previousPosition).Length(), 1e-3f);
}

// A craft's death plays its explosion and waits for it, and ends after.
TEST_F(MissionTest, ACraftsDeathMakesAnExplosion) {
    GameState& game = builder_->Game();
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    auto* const raider = dynamic_cast<Craft*>(Named(game, "Alpha 2"));
    ASSERT_NE(raider, nullptr);
    raider->Explode(nullptr, 0);
    ASSERT_NE(raider->firstExplosion, nullptr);
    Frames(*builder_, 1);
    EXPECT_EQ(raider->dead, 1);
    Frames(*builder_, 40);
    EXPECT_EQ(raider->dead, 0);
    EXPECT_EQ(raider->deaths, 1);
}

// An AI wing lets go of a member that is gone, as the player's does.
TEST_F(MissionTest, EveryWingLetsGoOfShipsThatAreGone) {
    GameState& game = builder_->Game();
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    auto* const lead = dynamic_cast<AiShip*>(Named(game, "Red 1"));
    auto* const second = dynamic_cast<AiShip*>(Named(game, "Red 2"));
    ASSERT_NE(lead, nullptr);
    ASSERT_NE(second, nullptr);
    WingGroup* const wing = lead->wingGroup;
    ASSERT_NE(wing, nullptr);
    ASSERT_EQ(second->wingGroup, wing);
    ASSERT_EQ(wing->GetMember(0), lead);
    second->Deactivate(0);
    Frames(*builder_, 1);
    EXPECT_FALSE(wing->Contains(second));
    EXPECT_EQ(second->wingGroup, nullptr);
    EXPECT_TRUE(wing->Contains(lead));
}

// Goals naming templates, objects, goals and templates of the first set-up
// all go with the second (ASan watches).
TEST_F(MissionTest, ASecondSetUpLeavesNothingOfTheFirst) {
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    SpaceObject* const station = DefinitionLibrary::Current().LaunchTemplate("Carrier", SpaceObject::kTypeMissile);
    ASSERT_NE(station, nullptr);
    auto* const reload = new ReloadGoal(station);
    EXPECT_STREQ(reload->GetDescription(), "Reload at Carrier");
    EXPECT_EQ(builder_->Game().mission->goalList, reload);
    SpaceObject* const rock = builder_->Game().mission->firstObject;
    auto* const travel = new Goal;
    travel->destination = rock;
    travel->metBy = rock;
    travel->SetSubject(rock);
    ForgetGoalSubject(rock);
    EXPECT_EQ(travel->destination, nullptr);
    EXPECT_EQ(travel->metBy, nullptr);
    EXPECT_EQ(travel->GetSubject(), nullptr);
    ASSERT_EQ(SetUpMission("", -1), kStatusOk);
    EXPECT_EQ(builder_->Game().mission->firstObject, nullptr);
    EXPECT_EQ(g_goalList, nullptr);
    EXPECT_EQ(builder_->Game().missionReady, 1);
    // A missing file: not ready, an empty world.
    EXPECT_NE(SetUpMission("nowhere.uli", -1), kStatusOk);
    ASSERT_EQ(SetUpReport().size(), 1u);
    EXPECT_EQ(SetUpReport()[0], mission_file::failure::kNoFile);
    EXPECT_EQ(builder_->Game().missionReady, 0);
    EXPECT_EQ(builder_->Game().mission->firstObject, nullptr);
}

TEST_F(MissionTest, CutAndBentFilesReadWhatIsWholeAndNoMore) {
    const std::vector<uint8_t> whole = SampleBytes();
    mission_file::Contents contents;
    {
        MemoryStream stream(whole);
        IffFile iff(&stream, 0);
        ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
        ASSERT_EQ(mission_file::Read(iff, &contents), kStatusOk);
    }
    EXPECT_EQ(contents.records.size(), 21u);
    EXPECT_TRUE(contents.refusals.empty());
    EXPECT_STREQ(contents.player.definition, "P101");
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        MemoryStream stream(std::vector<uint8_t>(whole.begin(), whole.begin() + std::ptrdiff_t(cut)));
        IffFile iff(&stream, 0);
        if (iff.ValidateHeader() != kStatusOk) continue;
        mission_file::Contents partial;
        if (mission_file::Read(iff, &partial) == kStatusOk) {
            EXPECT_LT(partial.records.size(), contents.records.size());
        }
    }
    // A record one byte short is refused alone.
    std::vector<uint8_t> bent = whole;
    const size_t rock = size_t(std::search(bent.begin(), bent.end(), std::begin("ROCK"), std::end("ROCK") - 1) - bent.begin());
    ASSERT_LT(rock, bent.size());
    bent[rock + 7] = uint8_t(bent[rock + 7] - 1);   // the size's low byte
    MemoryStream stream(bent);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    mission_file::Contents shortened;
    mission_file::Read(iff, &shortened);
    ASSERT_EQ(shortened.refusals.size(), 1u);
    EXPECT_STREQ(shortened.refusals[0].reason, mission_file::refusal::kWrongSize);

    // Set-ups of cut files end not ready, leaving an empty world.
    for (size_t cut = 16; cut < whole.size(); cut += 701) {
        std::ofstream out(dir_.Path() / "missions" / "cut.uli", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(whole.data()), std::streamsize(cut));
        out.close();
        const Status status = SetUpMission("cut.uli", -1);
        if (status != kStatusOk) {
            EXPECT_EQ(builder_->Game().missionReady, 0);
            EXPECT_EQ(builder_->Game().mission->firstObject, nullptr);
        }
    }
}

// A definitions file cut short loses every definition: the set-up fails,
// names each record it could not build and the player's ship, and leaves
// an empty world.
TEST_F(MissionTest, AWorldLostToACutDefinitionsFileFailsTheSetUp) {
    const std::filesystem::path definitions = dir_.Path() / "data" / definition_format::kFileName;
    std::vector<uint8_t> whole;
    {
        std::ifstream in(definitions, std::ios::binary);
        whole.assign(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_GT(whole.size(), 400u);
    for (const size_t cut : {size_t(0), size_t(12), size_t(100), size_t(400)}) {
        SCOPED_TRACE(cut);
        {
            std::ofstream out(definitions, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(whole.data()), std::streamsize(cut));
        }
        EXPECT_NE(SetUpMission(kSampleMissionFile, -1), kStatusOk);
        EXPECT_EQ(builder_->Game().missionReady, 0);
        EXPECT_EQ(builder_->Game().mission->firstObject, nullptr);
        EXPECT_EQ(builder_->Game().playerShip, nullptr);
        const std::vector<std::string>& report = SetUpReport();
        ASSERT_EQ(report.size(), 17u);   // the sixteen records and the player's ship
        EXPECT_EQ(report[0], "record 2 SHIP \"Raider\": no object can be made of its definition");
        EXPECT_EQ(report[6], "record 8 ROCK \"Asteroid\": no object can be made of its definition");
        EXPECT_EQ(report.back(), "the player's ship \"P101\" cannot be made");
    }
    {
        std::ofstream out(definitions, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(whole.data()), std::streamsize(whole.size()));
    }
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    EXPECT_TRUE(SetUpReport().empty());
}

// Every record the reader refuses is told: which one and why, its name's
// unprintable bytes escaped.
TEST_F(MissionTest, RefusedRecordsAreNamedWithTheirReason) {
    std::vector<uint8_t> bent = SampleBytes();
    const auto find = [&bent](const char* tag, size_t from) {
        return size_t(std::search(bent.begin() + std::ptrdiff_t(from), bent.end(), tag, tag + 4) - bent.begin());
    };
    const size_t rock = find("ROCK", 0) + 8;   // the first rock's bytes
    ASSERT_LT(rock, bent.size());
    PacketWriter(bent.data() + rock, spawn_records::kRockBytes).F32(68, std::numeric_limits<float>::quiet_NaN());
    bent[rock] = 0x01;
    const size_t buoy = find("BUOY", 0) + 8;
    ASSERT_LT(buoy, bent.size());
    PacketWriter(bent.data() + buoy, mission_file::kBuoyBytes).I32(60, std::numeric_limits<int32_t>::max());
    {
        std::ofstream out(dir_.Path() / "missions" / "bent.uli", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bent.data()), std::streamsize(bent.size()));
    }
    ASSERT_EQ(SetUpMission("bent.uli", -1), kStatusOk);
    const std::vector<std::string>& report = SetUpReport();
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[0], std::string("record 7 ROCK \"\\x01steroid\": ") + mission_file::refusal::kBadField);
    EXPECT_EQ(report[1], std::string("record 17 BUOY \"Nav Buoy\": ") + mission_file::refusal::kBadField);
    EXPECT_EQ(CountByType()[SpaceObject::kTypeAsteroid], 3);
    EXPECT_EQ(CountByType()[SpaceObject::kTypeNavBuoy], 0);
}

// No more records than the cap: a file with one more is refused whole.
TEST_F(MissionTest, MissionFilesHoldAtMostTheCapOfRecords) {
    const ChunkBuilder b;
    std::vector<uint8_t> point(mission_file::kWayPointBytes, 0);
    PacketWriter(point.data(), uint32_t(point.size())).Text(0, 16, "Way Point");
    const ChunkBuilder::Bytes record = b.Chunk("WAYP", point);
    for (const int32_t count : {mission_file::kMaxRecords, mission_file::kMaxRecords + 1}) {
        SCOPED_TRACE(count);
        ChunkBuilder::Bytes body = ChunkBuilder::Join({ChunkBuilder::Text("MSSN"),
                                                       b.Chunk("HDR ", ChunkBuilder::Bytes(mission_file::kHeaderBytes, 0))});
        for (int32_t i = 0; i < count; ++i) body.insert(body.end(), record.begin(), record.end());
        const ChunkBuilder::Bytes file = ChunkBuilder::Join({b.Header("FORM", uint32_t(body.size())), body});
        MemoryStream stream(file);
        IffFile iff(&stream, 0);
        ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
        mission_file::Contents contents;
        const Status read = mission_file::Read(iff, &contents);
        if (count <= mission_file::kMaxRecords) {
            EXPECT_EQ(read, kStatusOk);
            EXPECT_EQ(contents.records.size(), size_t(count));
        } else {
            EXPECT_EQ(read, kStatusMalformed);
            EXPECT_STREQ(contents.failure, mission_file::failure::kTooManyRecords);
        }
    }
}

// The sample mission with one more chunk at the end of its form.
std::vector<uint8_t> WithChunk(std::vector<uint8_t> mission, const ChunkBuilder::Bytes& chunk) {
    mission.insert(mission.end(), chunk.begin(), chunk.end());
    const uint32_t size = uint32_t(mission.size() - 8);
    for (int i = 0; i < 4; ++i) mission[4 + size_t(i)] = uint8_t(size >> (24 - 8 * i));
    return mission;
}

ChunkBuilder::Bytes MusicChunk(const std::string& name, int32_t track, size_t size = mission_file::kMusicBytes) {
    ChunkBuilder::Bytes bytes(size, 0);
    std::copy(name.begin(), name.begin() + ptrdiff_t(std::min(name.size(), size_t(16))), bytes.begin());
    for (int i = 0; i < 4 && 16 + size_t(i) < size; ++i) bytes[16 + size_t(i)] = uint8_t(uint32_t(track) >> (8 * i));
    return ChunkBuilder().Chunk("MUSI", bytes);
}

// The music chunk names a tune of the xmi directory and a CD track; a
// music chunk that is cut or names a path leaves the mission silent, and
// the rest of the mission as it was.
TEST_F(MissionTest, AMissionHoldsTheTuneItsMusicChunkNames) {
    const std::vector<uint8_t> sample = SampleBytes();
    const auto read = [&](const ChunkBuilder::Bytes& chunk) {
        MemoryStream stream(WithChunk(sample, chunk));
        IffFile iff(&stream, 0);
        mission_file::Contents contents;
        EXPECT_EQ(iff.ValidateHeader(), kStatusOk);
        EXPECT_EQ(mission_file::Read(iff, &contents), kStatusOk);
        EXPECT_EQ(contents.records.size(), 21u);
        return contents;
    };
    const mission_file::Contents full = read(MusicChunk("sixteen-char.xmi", 2));
    EXPECT_TRUE(full.hasMusic);
    EXPECT_STREQ(full.music.file, "sixteen-char.xmi");
    EXPECT_EQ(full.music.track, 2);
    for (const auto& bad : {MusicChunk("tune.xmi", 1, 19), MusicChunk("../tune.xmi", 1), MusicChunk("", 1)}) {
        EXPECT_FALSE(read(bad).hasMusic);
    }

    const std::string tune = "tune-bytes";
    dir_.WriteFile("xmi/tune.xmi", tune);
    const std::vector<uint8_t> file = WithChunk(sample, MusicChunk("tune.xmi", 3));
    std::ofstream(dir_.Path() / "missions" / "music.uli", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    ASSERT_EQ(SetUpMission("music.uli", -1), kStatusOk);
    const MusicFile* const music = builder_->Game().mission->music.get();
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(music->Data()), music->Size()), tune);
    EXPECT_EQ(music->GetTrack(), 3);
}

TEST_F(MissionTest, SpawnPointsLieBesideStations) {
    ASSERT_EQ(SetUpMission("", -1), kStatusOk);
    Vector3 point{7.0f, 7.0f, 7.0f};
    EXPECT_EQ(PickRandomSpawnPoint(&point, 1), 0);
    EXPECT_FLOAT_EQ(point.x, 7.0f);
    SpaceObject* const station = builder_->Spawn(builder_->Ball("STATION", 50.0f), 3);
    station->classWord = 33;
    station->Activate(0);
    station->SetPositionFlags({1000.0f, 0.0f, 0.0f}, Transform::kAllFlags | 0x10);
    ASSERT_EQ(PickRandomSpawnPoint(&point, 1), 1);
    EXPECT_NEAR(point.Difference(station->Position()).Length(), 150.0f, 1e-2f);
    // A network game's client starts at a spawn point too; with none, on
    // the rings round the start, away from the ships there: the host's at
    // the start and another player's on the spot this one would try first.
    EXPECT_NEAR(PickNetworkStart(1).Difference(station->Position()).Length(), 150.0f, 1e-2f);
    // Players who launch at once see none of the others: each place has a
    // spot of its own, every two of them apart.
    std::vector<Vector3> spots;
    for (int32_t place = 0; place < 16; ++place) spots.push_back(PickNetworkStart(place));
    for (size_t a = 0; a < spots.size(); ++a) {
        for (size_t b = a + 1; b < spots.size(); ++b) EXPECT_GE(spots[a].Difference(spots[b]).Length(), 149.0f) << a << " " << b;
    }
    builder_->Remove(station);
    const Vector3 taken{106.0f, 0.0f, 106.0f};
    for (const Vector3& at : {Vector3{0.0f, 0.0f, 0.0f}, taken}) {
        SpaceObject* const ship = builder_->Spawn(builder_->Ball("SHIP", 10.0f), 3);
        ship->type = SpaceObject::kTypeAiShip;
        ship->Activate(0);
        ship->SetPositionFlags(at, Transform::kAllFlags | 0x10);
    }
    const Vector3 start = PickNetworkStart(1);
    EXPECT_GE(start.Length(), 160.0f);
    EXPECT_GE(start.Difference(taken).Length(), 160.0f);
    EXPECT_NE(PickNetworkStart(2).Difference(PickNetworkStart(3)).Length(), 0.0f);
}

// Round a station of 20 m that is itself a ship (a depot), twelve co-op
// starts stand at least 150 m apart on two rings, the first 150 m out: the
// station is no ship to keep away from. A free-for-all's respawn spot is
// one no ship holds, and no place is given inside a hull.
TEST_F(MissionTest, StartsAndRespawnsStandApartRoundASmallStation) {
    ASSERT_EQ(SetUpMission("", -1), kStatusOk);
    SpaceObject* const depot = builder_->Spawn(builder_->Ball("DEPOT", 20.0f), 3);
    depot->type = SpaceObject::kTypeAiShip;
    depot->classWord = 33;
    depot->Activate(0);
    depot->SetPositionFlags({1000.0f, 0.0f, 0.0f}, Transform::kAllFlags | 0x10);
    std::vector<Vector3> spots;
    for (int32_t place = 0; place < 12; ++place) spots.push_back(PickNetworkStart(place));
    EXPECT_NEAR(spots[0].Difference(depot->Position()).Length(), 150.0f, 1e-2f);
    for (size_t a = 0; a < spots.size(); ++a) {
        for (size_t b = a + 1; b < spots.size(); ++b) EXPECT_GE(spots[a].Difference(spots[b]).Length(), 149.9f) << a << " " << b;
    }

    // Ships on every spot of the first ring round the depot: a random spawn
    // point lies clear of all of them.
    std::vector<SpaceObject*> ships;
    for (int32_t i = 0; i < 24; ++i) {
        SpaceObject* const ship = builder_->Spawn(builder_->Ball("SHIP", 10.0f), 3);
        ship->type = SpaceObject::kTypeAiShip;
        ship->Activate(0);
        const float angle = 6.2831853f * float(i) / 24.0f;
        ship->SetPositionFlags(depot->Position().Sum(Vector3{120.0f * std::cos(angle), 0.0f, 120.0f * std::sin(angle)}),
                               Transform::kAllFlags | 0x10);
        ships.push_back(ship);
    }
    for (int32_t pick = 0; pick < 20; ++pick) {
        Vector3 point;
        ASSERT_EQ(PickRandomSpawnPoint(&point, 1), 1);
        for (const SpaceObject* ship : ships) EXPECT_GE(point.Difference(ship->Position()).Length(), 150.0f) << pick;
    }
    // A wanted place inside a hull moves out of it; a clear one stays.
    SpaceObject* const wreck = builder_->Spawn(builder_->Ball("WRECK", 10.0f), 3);
    const Vector3 taken = ships[0]->Position();
    const Vector3 moved = FreeSpawnPlace(*wreck, taken);
    for (const SpaceObject* ship : ships) EXPECT_GE(moved.Difference(ship->Position()).Length(), 20.0f);
    const Vector3 clear{-3000.0f, 0.0f, 0.0f};
    EXPECT_LT(FreeSpawnPlace(*wreck, clear).Difference(clear).Length(), 1e-3f);
    // Clear of a hull is not yet room: a place less than twice the two
    // radii from a ship moves out to that, one beyond it stays.
    SpaceObject* const lone = builder_->Spawn(builder_->Ball("SHIP", 10.0f), 3);
    lone->type = SpaceObject::kTypeAiShip;
    lone->Activate(0);
    lone->SetPositionFlags(clear, Transform::kAllFlags | 0x10);
    for (const float off : {21.0f, 30.0f, 39.0f}) {
        const Vector3 near = clear.Sum(Vector3{0.0f, 0.0f, off});
        EXPECT_GE(FreeSpawnPlace(*wreck, near).Difference(lone->Position()).Length(), 40.0f) << off;
    }
    const Vector3 roomy = clear.Sum(Vector3{0.0f, 0.0f, 41.0f});
    EXPECT_LT(FreeSpawnPlace(*wreck, roomy).Difference(roomy).Length(), 1e-3f);
}

// Each set-up makes the ten exclamations of the sample "fx.iff" anew, the
// empty one of a joining client too; the old ones go (ASan watches).
TEST_F(MissionTest, EachSetUpMakesTheTenExclamations) {
    GameState& game = builder_->Game();
    auto* const effects = new SoundEffectLibrary;
    ASSERT_EQ(effects->Load((dir_.Path() / "data" / "fx.iff").string().c_str()), kStatusOk);
    game.TakeSound(nullptr, effects);
    ASSERT_EQ(SetUpMission(kSampleMissionFile, -1), kStatusOk);
    for (int32_t i = 0; i < GameState::kExclamations; ++i) {
        ASSERT_NE(game.exclamationSounds[i], nullptr) << i;
        EXPECT_EQ(std::string(game.exclamationSounds[i]->name), "Excl " + std::to_string(i + 1));
    }
    ASSERT_EQ(SetUpMission("", -1), kStatusOk);
    ASSERT_NE(game.exclamationSounds[9], nullptr);
    EXPECT_STREQ(game.exclamationSounds[9]->name, "Excl 10");
}

// Of every kind of record: one of the wrong size is refused as such, one of
// the right size with fields no world can hold as a bad field; empty and
// oversized chunks are the wrong size, chunks and forms of later issues are
// passed over, and the rest of the file is still read.
TEST(MissionFileTest, EachKindOfRecordIsRefusedForItsOwnReason) {
    using Bytes = std::vector<uint8_t>;
    const ChunkBuilder b;
    const struct {
        const char* id;
        uint32_t size;
    } kinds[] = {
        {"ROCK", spawn_records::kRockBytes},     {"MINE", spawn_records::kRockBytes},
        {"GATE", spawn_records::kGateBytes},     {"DEBR", spawn_records::kDebrisBytes},
        {"WAYP", mission_file::kWayPointBytes},  {"BUOY", mission_file::kBuoyBytes},
        {"SHIP", mission_file::kShipBytes},      {"GOAL", mission_file::kGoalBytes},
        {"STAR", Mission::kStarFieldBytes},      {"DUST", Mission::kSpaceDustBytes},
        {"WALL", Mission::kWallpaperBytes},      {"LGHT", Mission::kLightBytes},
    };
    Bytes body = b.Chunk("HDR ", Bytes(mission_file::kHeaderBytes, 0));
    const auto add = [&body](const Bytes& chunk) { body.insert(body.end(), chunk.begin(), chunk.end()); };
    std::vector<std::string> expected;
    add(b.Chunk("PLYR", Bytes(mission_file::kPlayerBytes - 1, 0)));
    expected.push_back(mission_file::refusal::kWrongSize);
    add(b.Chunk("PLYR", Bytes(mission_file::kPlayerBytes, 'A')));   // names without an end
    expected.push_back(mission_file::refusal::kBadField);
    for (const auto& kind : kinds) {
        add(b.Chunk(kind.id, Bytes(kind.size + 4, 0)));
        expected.push_back(mission_file::refusal::kWrongSize);
        add(b.Chunk(kind.id, Bytes(kind.size, 0xFF)));   // no number in it is finite
        expected.push_back(mission_file::refusal::kBadField);
    }
    add(b.Chunk("ROCK", Bytes{}));
    expected.push_back(mission_file::refusal::kWrongSize);
    add(b.Chunk("GOAL", Bytes(2000, 0)));
    expected.push_back(mission_file::refusal::kWrongSize);
    add(b.Chunk("ZZZZ", Bytes(12, 1)));
    add(b.Form("LATR", {b.Chunk("ROCK", Bytes(3, 0))}));
    add(b.Chunk("PLYR", ChunkBuilder::Join({ChunkBuilder::Text("P101"), Bytes(12, 0), ChunkBuilder::Text("Alpha"),
                                            Bytes(11, 0)})));
    const Bytes file = b.Form("MSSN", {body});
    MemoryStream stream(file);
    IffFile iff(&stream, 0);
    ASSERT_EQ(iff.ValidateHeader(), kStatusOk);
    mission_file::Contents contents;
    ASSERT_EQ(mission_file::Read(iff, &contents), kStatusOk);
    std::vector<std::string> reasons;
    for (const mission_file::Refusal& refusal : contents.refusals) reasons.push_back(refusal.reason);
    EXPECT_EQ(reasons, expected);
    EXPECT_TRUE(contents.records.empty());
    EXPECT_TRUE(contents.hasPlayer);
    EXPECT_STREQ(contents.player.definition, "P101");

    // A header of the wrong size, or with a number no view can hold, refuses the file.
    for (const Bytes& header : {Bytes(mission_file::kHeaderBytes - 4, 0), Bytes(mission_file::kHeaderBytes, 0xFF)}) {
        const Bytes bad = b.Form("MSSN", {b.Chunk("HDR ", header)});
        MemoryStream badStream(bad);
        IffFile badIff(&badStream, 0);
        ASSERT_EQ(badIff.ValidateHeader(), kStatusOk);
        mission_file::Contents refused;
        EXPECT_EQ(mission_file::Read(badIff, &refused), kStatusMalformed);
    }
}

}  // namespace
