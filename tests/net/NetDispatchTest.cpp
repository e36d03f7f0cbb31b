#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "net/NetControlPackets.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketReaders.h"
#include "net/NetPacketType.h"
#include "net/NetworkHooks.h"
#include "mission/RandomMissionGenerator.h"
#include "game/Cockpit.h"
#include "engine/Clock.h"
#include <tuple>
#include "net/PacketBytes.h"
#include "objects/effects/StreamEffect.h"
#include "objects/ships/Craft.h"
#include "objects/space/ObjectPart.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/weapons/GunWeapon.h"
#include "objects/weapons/Launchers.h"
#include "objects/space/Missile.h"
#include "objects/weapons/Projectile.h"
#include "platform/DebugOutput.h"
#include "game/DataDirectories.h"
#include "mission/ObjectLoader.h"
#include "objects/space/WorldPass.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/NetPacketBytes.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

namespace {

std::string g_lines;

class NetDispatchTest : public ::testing::Test {
protected:
    NetDispatchTest() {
        previousSink_ = platform::SetDebugSink([](const char* text) { g_lines += text; });
        g_lines.clear();
        rock_ = builder_.Spawn(builder_.Template("ROCK0"), 1);
        rock_->uoid = 40;
        rock_->active = 1;
        ship_ = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 3);
        ship_->uoid = 41;
        ship_->active = 1;
        ship_->type = SpaceObject::kTypeAiShip;
        builder_.Game().netSettings = &settings_;
    }
    ~NetDispatchTest() override {
        builder_.Game().netSettings = nullptr;
        builder_.Game().playerShip = nullptr;
        delete builder_.Game().netSession;
        builder_.Game().netSession = nullptr;
        platform::SetDebugSink(previousSink_);
    }
    RecordingNetSession& Session(bool host) {
        auto* const session = new RecordingNetSession(host);
        builder_.Game().netSession = session;
        return *session;
    }
    static std::vector<uint16_t> Types(const RecordingNetSession& session) {
        std::vector<uint16_t> types;
        for (const auto& sent : session.sent) types.push_back(PacketReader(sent.bytes.data(), 8).U16(0));
        return types;
    }

    WorldBuilder builder_;
    NetGameSettings settings_;
    SpaceObject* rock_ = nullptr;
    Craft* ship_ = nullptr;
    platform::DebugSink previousSink_ = nullptr;
};

TEST_F(NetDispatchTest, EachSideReportsTheOthersTypesAndOnlyTracedPacketsPrint) {
    RecordingNetSession& client = Session(false);
    // Only the server speaks to a client: another member's packet is not even read.
    Deliver(client, 9, Packet(kNewPlayer, 52));
    EXPECT_EQ(g_lines, "");
    Deliver(client, 1, Packet(kNewPlayer, 52));
    EXPECT_EQ(g_lines, "Client recieved unhandled packet type.\n");
    EXPECT_EQ(client.serverDpid, 1u);
    EXPECT_TRUE(client.sent.empty());
    delete &client;

    RecordingNetSession& host = Session(true);
    host.AddPlayer(2, "Bob", -1);
    g_lines.clear();
    Deliver(host, 2, Packet(kObjectUpdate, 84));
    EXPECT_EQ(g_lines, "Server recieved unhandled packet type.\n");
    EXPECT_EQ(host.lastServerPacketTime, -1);
    EXPECT_EQ(host.serverDpid, 1u);

    g_lines.clear();
    Deliver(host, 2, Packet(kIdAck, 8));
    EXPECT_EQ(g_lines, "");
    Deliver(host, 2, Packet(kIdAck, 8, PF_TRACE));
    EXPECT_EQ(g_lines, "Recieving ID_ACK packet.\n");
}

// Packed packets run in order with the MEGAPACKET's sender; an update for
// an unknown uoid asks the server for it each time.
TEST_F(NetDispatchTest, AMegapacketRunsItsPacketsInOrder) {
    RecordingNetSession& client = Session(false);
    std::vector<uint8_t> mega = Packet(kMegapacket, 12 + 2 * 84, PF_IMMEDIATE);
    PacketWriter out(mega.data(), uint32_t(mega.size()));
    out.U32(8, 2);
    for (uint32_t i = 0; i < 2; ++i) {
        const std::vector<uint8_t> update = Packet(kObjectUpdate, 84, PF_QUEUE_2);
        std::copy(update.begin(), update.end(), mega.begin() + 12 + 84 * i);
        out.I32(12 + 84 * i + 8, 70 + int32_t(i));
    }
    Deliver(client, 1, mega);
    EXPECT_EQ(client.serverDpid, 1u);
    ASSERT_EQ(Types(client), (std::vector<uint16_t>{kObjectRequest, kObjectRequest}));
    EXPECT_EQ(PacketReader(client.sent[0].bytes.data(), 16).I32(8), 70);
    EXPECT_EQ(PacketReader(client.sent[1].bytes.data(), 16).I32(8), 71);
}

TEST_F(NetDispatchTest, MalformedPacketsChangeNothing) {
    RecordingNetSession& client = Session(false);
    std::vector<uint8_t> update = Packet(kObjectUpdate, 84);
    PacketWriter(update.data(), 84).I32(8, 70);
    // Declared beyond what arrived, then sizes other than the type's.
    Deliver(client, 5, std::vector<uint8_t>(update.begin(), update.begin() + 60));
    Deliver(client, 5, Packet(kProjDestroy, 16));
    Deliver(client, 5, Packet(kIdInfo, 7));
    // A SALVAGE whose item name does not end in its field.
    std::vector<uint8_t> salvage = Packet(kSalvage, 32);
    std::fill(salvage.begin() + 8, salvage.begin() + 24, uint8_t('A'));
    Deliver(client, 5, salvage);
    // An OBJECT_CREATE whose name runs off the end.
    std::vector<uint8_t> create = Packet(kObjectCreate, 125);
    PacketWriter(create.data(), 125).I32(12, SpaceObject::kTypeAsteroid);
    create[124] = 'x';
    Deliver(client, 5, create);
    EXPECT_EQ(client.serverDpid, 1u);   // only a salvage that parsed would have set it
    EXPECT_TRUE(client.sent.empty());
    EXPECT_EQ(g_lines, "");
}

TEST_F(NetDispatchTest, UpdatesSteerCopiesButNeverTheClientsOwnShip) {
    RecordingNetSession& client = Session(false);
    builder_.Game().mode = GameState::kModeFlight;
    ship_->hitPoints = 500;
    ship_->maxHitPoints = 500;
    ship_->side = 3;
    ship_->flags |= SpaceObject::kFlagChanged;
    client.updatePasses = 1;   // a short update
    NetPacket update;
    update.BuildObjectPacket(kObjectUpdate, ship_);
    std::vector<uint8_t> bytes = Built(update);
    PacketWriter(bytes.data(), 84).F32(28, 7.0f);   // velocity x
    ship_->hitPoints = 250;
    Deliver(client, 1, bytes);
    EXPECT_FLOAT_EQ(ship_->velocity.x, 7.0f);
    EXPECT_EQ(ship_->hitPoints, 250);
    EXPECT_EQ(ship_->side, 3);

    // The full form at 39 percent: hit points, side, one exhaust only.
    std::vector<uint8_t> full = Packet(kObjectUpdate, 104, PF_QUEUE_2);
    std::copy(bytes.begin() + 8, bytes.end(), full.begin() + 8);
    PacketWriter out(full.data(), 104);
    out.U8(86, 5);
    out.U8(90, 39);
    out.U8(91, 0xFF);
    Deliver(client, 1, full);
    EXPECT_EQ(ship_->hitPoints, 195);
    EXPECT_EQ(ship_->side, 5);
    ASSERT_GT(ship_->parts.Count(), 0);
    PartAttachment* const exhaust = ship_->parts[0]->attached;
    ASSERT_NE(exhaust, nullptr);
    Deliver(client, 1, full);
    EXPECT_EQ(ship_->parts[0]->attached, exhaust);
    // The form has a byte for the side: a ship's own number as its side in
    // a free-for-all, told whole at its creation, stays whole.
    ship_->side = 300;
    out.U8(86, uint8_t(300 & 0xFF));
    Deliver(client, 1, full);
    EXPECT_EQ(ship_->side, 300);

    // A signature that does not match gives the copy up and asks again.
    PacketWriter(bytes.data(), 84).I32(8, 40);
    PacketWriter(bytes.data(), 84).U32(12, 0x41424344);
    Deliver(client, 1, bytes);
    EXPECT_EQ(rock_->uoid, -2);
    EXPECT_EQ(rock_->active, 0u);
    EXPECT_EQ(Types(client), (std::vector<uint16_t>{kObjectRequest}));
}

// A copy the host ended (a death, a jump out) and brings back by its
// updates (a respawn, a jump in) is shot at and collides again, not only
// shown.
TEST_F(NetDispatchTest, AnUpdateBringsAnEndedCopyBackWhole) {
    RecordingNetSession& client = Session(false);
    builder_.Game().mode = GameState::kModeFlight;
    NetPacket update;
    update.BuildObjectPacket(kObjectUpdate, ship_);
    const std::vector<uint8_t> bytes = Built(update);
    ship_->Deactivate(0);
    ASSERT_NE(ship_->flags & SpaceObject::kFlagNoCollisions, 0u);
    Deliver(client, 1, bytes);
    EXPECT_EQ(ship_->active, 1u);
    EXPECT_EQ(ship_->flags & SpaceObject::kFlagNoCollisions, 0u);
    // Ended by the host without an explosion, it left the flight, no wreck
    // to bring back; the host's update of its jump in makes it fly again.
    NetPacket destroy;
    destroy.BuildObjectEventPacket(kObjectDestroy, ship_, nullptr);
    Deliver(client, 1, Built(destroy));
    EXPECT_EQ(ship_->active, 0u);
    EXPECT_NE(ship_->jumpedOut, 0);
    Deliver(client, 1, bytes);
    EXPECT_EQ(ship_->active, 1u);
    EXPECT_EQ(ship_->jumpedOut, 0);
}

// The host brought a pilot back: its update takes the client's own wreck,
// once the death has run its course, and a copy's back into the world at
// the host's place, whole and still. The client's own ship that flies, or
// is still dying, goes on as its pilot steers it.
TEST_F(NetDispatchTest, AnUpdateBringsASpentWreckBackWholeAndStillWhereTheHostHasIt) {
    RecordingNetSession& client = Session(false);
    builder_.Game().mode = GameState::kModeFlight;
    ship_->SetHitPoints(80);
    ship_->SetPositionFlags({0.0f, 0.0f, 300.0f}, Transform::kAllFlags | 0x10);
    NetPacket update;
    update.BuildObjectPacket(kObjectUpdate, ship_);
    const std::vector<uint8_t> bytes = Built(update);
    const auto wreck = [](Craft& craft) {
        craft.SetPositionFlags({50.0f, 20.0f, 900.0f}, Transform::kAllFlags | 0x10);
        craft.velocity = {0.0f, 5.0f, 30.0f};
        craft.angularVelocity = {9.0f, 0.0f, 0.0f};
        craft.hitPoints = 0;
        craft.deaths = 1;
        craft.dead = 0;
        craft.Deactivate(0);
    };
    for (const int32_t type : {SpaceObject::kTypePlayerShip, SpaceObject::kTypeAiShip}) {
        SCOPED_TRACE(type);
        ship_->type = type;
        builder_.Game().playerShip = type == SpaceObject::kTypePlayerShip ? ship_ : nullptr;
        wreck(*ship_);
        Deliver(client, 1, bytes);
        EXPECT_EQ(ship_->active, 1u);
        EXPECT_LT(ship_->Position().Difference({0.0f, 0.0f, 300.0f}).Length(), 0.01f);
        EXPECT_EQ(ship_->velocity.Length(), 0.0f);
        EXPECT_EQ(ship_->angularVelocity.Length(), 0.0f);
        EXPECT_EQ(ship_->hitPoints, 80);
    }
    ship_->type = SpaceObject::kTypePlayerShip;
    builder_.Game().playerShip = ship_;
    ship_->SetPositionFlags({0.0f, 0.0f, 10.0f}, Transform::kAllFlags | 0x10);
    ship_->dead = 1;
    Deliver(client, 1, bytes);
    EXPECT_FLOAT_EQ(ship_->Position().z, 10.0f);
    ship_->dead = 0;
    Deliver(client, 1, bytes);
    EXPECT_FLOAT_EQ(ship_->Position().z, 10.0f);
    // The host judged the hits on it: its word of the hull lowers the
    // flying ship's, never raises it, and leaves the place alone.
    std::vector<uint8_t> full = Packet(kObjectUpdate, 104, PF_QUEUE_2);
    std::copy(bytes.begin() + 8, bytes.begin() + 84, full.begin() + 8);
    std::fill(full.begin() + 92, full.end(), uint8_t(0xFF));
    const int64_t most = ship_->GetMaxHitPoints(nullptr);
    ship_->hitPoints = int32_t(most / 2);
    for (const int percent : {20, 90}) {
        PacketWriter(full.data(), 104).U8(90, uint8_t(percent));
        Deliver(client, 1, full);
        EXPECT_EQ(ship_->hitPoints * 100 / most, 20) << percent;
    }
    EXPECT_FLOAT_EQ(ship_->Position().z, 10.0f);
}

// A machine ends only what is its own, and only while it is in flight.
TEST_F(NetDispatchTest, DestructionRequestsEndOnlyActiveObjects) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(2, "Bob", rock_->uoid);
    host.AddPlayer(3, "Cy", ship_->uoid);
    rock_->active = 0;
    NetPacket request;
    request.BuildObjectEventPacket(kDestructionRequest, rock_, nullptr);
    std::vector<uint8_t> bytes = Built(request);
    PacketWriter(bytes.data(), 20).I32(16, 0);   // leaves without exploding
    Deliver(host, 2, bytes);
    EXPECT_TRUE(host.sent.empty());
    rock_->active = 1;
    Deliver(host, 3, bytes);
    EXPECT_EQ(rock_->active, 1u);
    EXPECT_TRUE(host.sent.empty());
    rock_->active = 1;
    Deliver(host, 2, bytes);
    EXPECT_EQ(rock_->active, 0u);
    ASSERT_EQ(Types(host), (std::vector<uint16_t>{kObjectDestroy}));
    EXPECT_EQ(host.sent[0].to, RecordingNetSession::kToAll);
}

// The host holds a member's hull: its word that the member's ship died is
// that ship's one death on the member's own machine, paid for as a death
// the machine saw itself, and told back to nobody. The same word again,
// during the death or after it, starts no second one.
TEST_F(NetDispatchTest, TheHostsWordOfAClientsDeathIsItsOneDeath) {
    RecordingNetSession& client = Session(false);
    client.AddPlayer(client.ownDpid, "Me", ship_->uoid);
    ship_->type = SpaceObject::kTypePlayerShip;
    ship_->maxHitPoints = 300;
    builder_.Game().playerShip = ship_;
    builder_.Game().career->funds = 1000;
    NetPacket destroy;
    destroy.BuildObjectEventPacket(kObjectDestroy, ship_, nullptr);
    std::vector<uint8_t> bytes = Built(destroy);
    PacketWriter(bytes.data(), uint32_t(bytes.size())).I32(16, 1);
    Deliver(client, 1, bytes);
    EXPECT_NE(ship_->dead, 0u);
    EXPECT_EQ(builder_.Game().career->funds, 700);
    Deliver(client, 1, bytes);
    for (int frame = 0; frame < 40; ++frame) {
        if (frame == 39) Deliver(client, 1, bytes);
        builder_.Clock().Advance(50);
        ship_->Simulate(50);
    }
    EXPECT_EQ(ship_->active, 0u);
    EXPECT_EQ(ship_->deaths, 1);
    EXPECT_EQ(builder_.Game().career->funds, 700);
    EXPECT_TRUE(client.sent.empty());
}

TEST_F(NetDispatchTest, IdentitiesRenameTheOwnShipAndPlayerInfoMovesOnlyTheSendersCopy) {
    ship_->SetName("Ace");
    NetPacket announce;
    announce.BuildObjectPacket(kNewPlayer, ship_);
    ASSERT_EQ(announce.GetSize(), 52u);
    EXPECT_STREQ(reinterpret_cast<const char*>(announce.GetData()) + 48, "Ace");

    RecordingNetSession& client = Session(false);
    builder_.Game().playerShip = ship_;
    settings_.gameType = 7;
    NetPacket info;
    info.BuildIdInfo(kIdInfo, 3, 1, 77);   // for another client
    Deliver(client, 1, Built(info));
    EXPECT_EQ(ship_->uoid, 41);
    EXPECT_TRUE(client.sent.empty());
    // No ship has a negative number, and the client's own range is never the host's.
    for (const int32_t wrong : {-1, NetSession::kClientUoidBase + 5}) {
        NetPacket odd;
        odd.BuildIdInfo(kIdInfo, client.ownDpid, 1, wrong);
        Deliver(client, 1, Built(odd));
    }
    EXPECT_EQ(ship_->uoid, 41);
    EXPECT_TRUE(client.sent.empty());
    // The host's updates came first and made a copy of our ship under its
    // number: the identity gives the copy up and the ship takes the number.
    rock_->uoid = 77;
    client.AddPlayer(client.ownDpid, "Bob", -1);
    NetPacket mine;
    mine.BuildIdInfo(kIdInfo, client.ownDpid, 1, 77);
    Deliver(client, 1, Built(mine));
    EXPECT_EQ(ship_->uoid, 77);
    EXPECT_EQ(ship_->side, 77);
    EXPECT_EQ(rock_->uoid, -3);
    EXPECT_EQ(rock_->active, 0u);
    EXPECT_EQ(client.GetPlayerUoid(client.FindPlayerByDpid(client.ownDpid)), 77);
    ASSERT_EQ(Types(client), (std::vector<uint16_t>{kIdAck}));
    EXPECT_EQ(client.sent[0].bytes.size(), 8u);
    // The same identity again, the first answer lost: confirmed again, nothing renamed.
    ship_->SetSide(5);
    Deliver(client, 1, Built(mine));
    EXPECT_EQ(ship_->side, 5);
    EXPECT_EQ(Types(client), (std::vector<uint16_t>{kIdAck, kIdAck}));
    delete &client;

    RecordingNetSession& host = Session(true);
    builder_.Game().playerShip = nullptr;
    host.AddPlayer(2, "Ann", 77);
    host.AddPlayer(3, "Bob", 90);
    NetPacket report;
    ship_->velocity = {3.0f, 0.0f, 0.0f};
    report.BuildObjectPacket(kPlayerInfo, ship_);
    ship_->velocity = {};
    Deliver(host, 3, Built(report));   // Bob's entry names another ship
    EXPECT_FLOAT_EQ(ship_->velocity.x, 0.0f);
    Deliver(host, 2, Built(report));
    EXPECT_FLOAT_EQ(ship_->velocity.x, 3.0f);
}

class NetWeaponTest : public NetDispatchTest {
protected:
    NetWeaponTest() {
        std::snprintf(type_.name, sizeof type_.name, "Flak Shell");
        previousTypes_ = g_projectileTypes;
        g_projectileTypes = &type_;
    }
    ~NetWeaponTest() override {
        builder_.Game().ClearFlight();
        g_projectileTypes = previousTypes_;
    }
    ProjectileType type_;
    ProjectileType* previousTypes_ = nullptr;
};

TEST_F(NetWeaponTest, ProjectilesComeFromTheHostAndAreNamedByIndex) {
    RecordingNetSession& client = Session(false);
    builder_.Game().mode = GameState::kModeFlight;
    std::vector<uint8_t> create = Packet(kProjCreate, 108);
    PacketWriter out(create.data(), 108);
    out.I32(72, 41);
    out.Text(76, 16, "FLAK SHELL");   // the case of a name does not matter
    Deliver(client, 1, create);
    ASSERT_EQ(builder_.Game().projectiles.Count(), 1);

    std::vector<uint8_t> hit = Packet(kProjHit, 20);
    PacketWriter(hit.data(), 20).I32(8, 1);   // the count: no such projectile
    PacketWriter(hit.data(), 20).I32(12, 40);
    Deliver(client, 1, hit);
    PacketWriter(hit.data(), 20).I32(8, -1);
    Deliver(client, 1, hit);
    std::vector<uint8_t> end = Packet(kProjDestroy, 12);
    PacketWriter(end.data(), 12).I32(8, 1);
    Deliver(client, 1, end);
    EXPECT_EQ(builder_.Game().projectiles[0]->flags & Projectile::kEnded, 0u);
    PacketWriter(end.data(), 12).I32(8, 0);
    Deliver(client, 1, end);
    // Flagged only: it keeps its place until the world's pass.
    ASSERT_EQ(builder_.Game().projectiles.Count(), 1);
    EXPECT_NE(builder_.Game().projectiles[0]->flags & Projectile::kEnded, 0u);
}

TEST_F(NetWeaponTest, ShotsAreRelayedButNeverReplayedByTheShooter) {
    RecordingNetSession& host = Session(true);
    // Raider's ship carries a gun on its first part.
    auto* const raider = builder_.SpawnAs<Craft>(builder_.Template("SHIP1"), 3);
    raider->uoid = 42;
    raider->active = 1;
    const int32_t words[5] = {10, 0, 0, 0, 0};
    raider->AddSystem(0, new GunWeapon(raider, 0, 0, Weapon::kGunGroup, 10, 1, 100, 1000, words, "Gun", nullptr));
    host.AddPlayer(2, "Raider", raider->uoid);
    builder_.Game().playerShip = ship_;
    DamageRecord damage;
    damage.source = raider;
    NetPacket miss;
    miss.BuildWeaponFire(kGunShot, damage, 1, nullptr, 0, "Gun", 0, 0, Vector3{});
    Deliver(host, 2, Built(miss));
    ASSERT_EQ(Types(host), (std::vector<uint16_t>{kGunShot}));
    EXPECT_EQ(host.sent[0].to, RecordingNetSession::kToAll);

    // The host's own ship fired it: nothing, not even the relay.
    host.sent.clear();
    damage.source = ship_;
    NetPacket own;
    own.BuildWeaponFire(kGunShot, damage, 1, rock_, 0, "Gun", 0, 0, Vector3{});
    Deliver(host, 2, Built(own));
    EXPECT_TRUE(host.sent.empty());

    // Salvage: back to the player whose own ship it names (who has a kill
    // to show for it); dropped for another's ship, and for nobody's.
    host.AddPlayer(3, "Bob", 40);
    host.AddPlayerKills(host.FindPlayerByDpid(3), 1);
    NetPacket salvage;
    salvage.BuildSalvage(kSalvage, "Shields 1", 10, 40);
    Deliver(host, 2, Built(salvage));
    EXPECT_TRUE(host.sent.empty());
    Deliver(host, 3, Built(salvage));
    ASSERT_EQ(Types(host), (std::vector<uint16_t>{kSalvage}));
    EXPECT_EQ(host.sent[0].bytes, Built(salvage));
    EXPECT_EQ(host.sent[0].to, 3u);
    host.sent.clear();
    PacketWriter(const_cast<uint8_t*>(salvage.GetData()), 32).I32(28, 99);   // nobody's ship
    Deliver(host, 3, Built(salvage));
    EXPECT_TRUE(host.sent.empty());
    builder_.Remove(raider);
}

// A member switches its own ship's ECM only, and only as strong as the
// host's copy of it: the host passes each switch on, with the copy's
// strength, once. Another member's copy, which carried no ECM, takes one
// from the word; the member's own ship is not switched by its own word
// coming back, and a copy switched so tells nobody.
TEST_F(NetWeaponTest, AMembersEcmIsItsOwnToSwitchAndEveryMachineHearsOfIt) {
    RecordingNetSession& host = Session(true);
    const int16_t standard[3] = {40, 30, 1000};
    auto* const copy = new EcmSystem(ship_, 0, standard, 0);
    ship_->AddSystem(0, copy);
    host.AddPlayer(2, "Bob", ship_->uoid);
    host.AddPlayer(3, "Cid", 77);
    const auto status = [](int32_t ship, int32_t range, int32_t kind3, int32_t kind2) {
        NetPacket packet;
        packet.BuildEcmStatus(kEcmStatus, ship, range, kind3, kind2);
        return Built(packet);
    };
    Deliver(host, 3, status(ship_->uoid, 900, 30, 40));   // Cid speaking for Bob's ship
    EXPECT_EQ(copy->switchedOn, 0);
    EXPECT_TRUE(host.sent.empty());
    Deliver(host, 2, status(ship_->uoid, 32000, 255, 255));
    EXPECT_EQ(copy->switchedOn, 1);
    EXPECT_EQ(copy->range, 1000);
    EXPECT_EQ(copy->chanceMode3, 30);
    ASSERT_EQ(Types(host), (std::vector<uint16_t>{kEcmStatus}));
    EXPECT_EQ(host.sent[0].to, RecordingNetSession::kToAll);
    const auto told = net_read::ReadEcmStatus(host.sent[0].bytes.data(), uint32_t(host.sent[0].bytes.size()));
    ASSERT_TRUE(told);
    EXPECT_EQ(told->ship, ship_->uoid);
    EXPECT_EQ(told->range, 1000);
    EXPECT_EQ(told->kind3Percent, 30);
    EXPECT_EQ(told->kind2Percent, 40);
    // The same switch again changes nothing and goes no further.
    Deliver(host, 2, status(ship_->uoid, 1000, 30, 40));
    EXPECT_EQ(host.sent.size(), 1u);
    Deliver(host, 2, status(ship_->uoid, -1, 30, 40));
    EXPECT_EQ(copy->switchedOn, 0);
    ASSERT_EQ(Types(host), (std::vector<uint16_t>{kEcmStatus, kEcmStatus}));
    const std::vector<uint8_t> switchedOn = host.sent[0].bytes;
    delete &host;

    // Another member: the host's word switches its copy of Bob's ship.
    RecordingNetSession& client = Session(false);
    auto* const own = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 3);
    own->uoid = 77;
    own->active = 1;
    own->type = SpaceObject::kTypePlayerShip;
    auto* const ownEcm = new EcmSystem(own, 0, standard, 0);
    own->AddSystem(0, ownEcm);
    builder_.Game().playerShip = own;
    auto* const plain = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 3);
    plain->uoid = 78;
    plain->active = 1;
    Deliver(client, 1, status(78, 700, 25, 35));
    auto* const heard = static_cast<EcmSystem*>(plain->GetSystem(ShipSystem::kEcm, nullptr));
    ASSERT_NE(heard, nullptr);
    EXPECT_EQ(heard->switchedOn, 1);
    EXPECT_EQ(heard->range, 700);
    EXPECT_EQ(heard->chanceMode2, 35);
    Deliver(client, 1, switchedOn);
    EXPECT_EQ(copy->switchedOn, 1);
    Deliver(client, 1, status(77, 1000, 30, 40));   // its own switch, back from the host
    EXPECT_EQ(ownEcm->switchedOn, 0);
    EXPECT_TRUE(client.sent.empty());
    // Its own switch it tells the host of.
    ownEcm->TurnOn();
    ASSERT_EQ(Types(client), (std::vector<uint16_t>{kEcmStatus}));
    builder_.Game().playerShip = nullptr;
    builder_.Remove(own);
    builder_.Remove(plain);
}

int32_t EcmsOn(const SpaceObject& ship) {
    int32_t count = 0;
    for (const ObjectPart* part : ship.parts) {
        for (const ShipSystem* system : part->systems) count += system->typeId == ShipSystem::kEcm ? 1 : 0;
    }
    return count;
}

// Every machine holds each ship's ECM as its pilot switched it, whenever
// that was: the host's own switch goes to everybody; a newcomer asking for
// a ship hears how its ECM stands right after the ship; a member whose ship
// the host did not know yet when it switched tells it again under the
// ship's number. A member's copy takes one ECM, kept, and a copy without
// parts none.
TEST_F(NetWeaponTest, EveryMachineHoldsAnEcmSwitchedBeforeItKnewTheShip) {
    const int16_t standard[3] = {40, 30, 1000};
    const auto craft = [&](int32_t uoid, int32_t type, bool ecm) {
        auto* const made = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 3);
        made->uoid = uoid;
        made->active = 1;
        made->type = type;
        if (ecm) {
            EXPECT_TRUE(made->AddSystem(0, new EcmSystem(made, 0, standard, 0)));
        }
        return made;
    };
    const auto ecmOf = [](Craft& ship) { return dynamic_cast<EcmSystem*>(ship.GetSystem(ShipSystem::kEcm, nullptr)); };
    RecordingNetSession& host = Session(true);
    Craft* const own = craft(60, SpaceObject::kTypePlayerShip, true);
    builder_.Game().playerShip = own;
    ASSERT_TRUE(ship_->AddSystem(0, new EcmSystem(ship_, 0, standard, 0)));
    host.AddPlayer(1, "Ann", own->uoid);
    host.AddPlayer(2, "Bob", ship_->uoid);
    ecmOf(*own)->TurnOn();
    ASSERT_EQ(Types(host), (std::vector<uint16_t>{kEcmStatus}));
    EXPECT_EQ(host.sent[0].to, RecordingNetSession::kToAll);
    EXPECT_EQ(net_read::ReadEcmStatus(host.sent[0].bytes.data(), 20)->ship, 60);
    NetPacket bobsOn;
    bobsOn.BuildEcmStatus(kEcmStatus, ship_->uoid, 1000, 30, 40);
    Deliver(host, 2, Built(bobsOn));

    // Cid comes later and asks for what it does not hold.
    host.AddPlayer(3, "Cid", -1);
    host.sent.clear();
    for (const int32_t uoid : {ship_->uoid, rock_->uoid, own->uoid}) {
        std::vector<uint8_t> ask = Packet(kObjectRequest, 16);
        PacketWriter(ask.data(), 16).I32(8, uoid);
        Deliver(host, 3, ask);
    }
    ASSERT_EQ(Types(host), (std::vector<uint16_t>{kObjectCreate, kEcmStatus, kObjectCreate, kObjectCreate, kEcmStatus}));
    for (const auto& sent : host.sent) EXPECT_EQ(sent.to, 3u);
    EXPECT_EQ(net_read::ReadEcmStatus(host.sent[1].bytes.data(), 20)->ship, ship_->uoid);
    EXPECT_EQ(net_read::ReadEcmStatus(host.sent[4].bytes.data(), 20)->ship, own->uoid);
    const std::vector<uint8_t> bobsToCid = host.sent[1].bytes;
    builder_.Game().playerShip = nullptr;
    delete &host;

    // Cid's machine: its copy of Bob's ship takes one ECM, however often
    // told; a copy without parts keeps none and holds nothing it made.
    RecordingNetSession& client = Session(false);
    Craft* const cids = craft(NetSession::kClientUoidBase + 3, SpaceObject::kTypePlayerShip, true);
    builder_.Game().playerShip = cids;
    client.AddPlayer(client.ownDpid, "Cid", -1);
    Craft* const copy = craft(90, SpaceObject::kTypeAiShip, false);
    Craft* const bare = craft(91, SpaceObject::kTypeAiShip, false);
    for (ObjectPart* part : bare->parts) delete part;
    bare->parts.Clear();
    for (const int32_t range : {1000, -1, 1000, 1000}) {
        for (const int32_t uoid : {90, 91}) {
            std::vector<uint8_t> status = bobsToCid;
            PacketWriter out(status.data(), 20);
            out.I32(8, uoid);
            out.I32(12, range);
            Deliver(client, 1, status);
        }
    }
    EXPECT_EQ(EcmsOn(*copy), 1);
    ASSERT_NE(ecmOf(*copy), nullptr);
    EXPECT_EQ(ecmOf(*copy)->switchedOn, 1);
    EXPECT_EQ(EcmsOn(*bare), 0);
    EXPECT_TRUE(client.sent.empty());

    // Cid switched on before the host numbered his ship: the word went
    // under his own number, so it goes again under the host's, once.
    ecmOf(*cids)->TurnOn();
    NetPacket named;
    named.BuildIdInfo(kIdInfo, client.ownDpid, 1, 77);
    Deliver(client, 1, Built(named));
    Deliver(client, 1, Built(named));
    ASSERT_EQ(Types(client), (std::vector<uint16_t>{kEcmStatus, kEcmStatus, kIdAck, kIdAck}));
    EXPECT_EQ(net_read::ReadEcmStatus(client.sent[0].bytes.data(), 20)->ship, NetSession::kClientUoidBase + 3);
    EXPECT_EQ(net_read::ReadEcmStatus(client.sent[1].bytes.data(), 20)->ship, 77);
    builder_.Game().playerShip = nullptr;
    for (Craft* made : {own, cids, copy, bare}) builder_.Remove(made);
}

// With the sample definitions: the host's copy of a client's ship, and
// that copy arriving at another client.
class NetDefinitionsTest : public NetDispatchTest {
protected:
    NetDefinitionsTest() {
        // Copies are numbered past the objects placed by hand.
        previousUoid_ = SpaceObject::g_nextUoid;
        SpaceObject::g_nextUoid = 100;
        std::string error;
        EXPECT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        EXPECT_TRUE(g_dataDirs.Find(dir_.Str()));
        RegisterSpaceObjects();
        DefinitionLibrary::RegisterCoreBuilders();
    }
    ~NetDefinitionsTest() override {
        for (SpaceObject* ship : Named("Ace")) builder_.Remove(ship);
        DefinitionLibrary::Reset();
        GameState::RegisterObjectKind(SpaceObject::kTypePlayerShip, nullptr);
        GameState::RegisterObjectKind(SpaceObject::kTypeAiShip, nullptr);
        g_dataDirs.Clear();
        SpaceObject::g_nextUoid = previousUoid_;
    }
    static std::vector<uint8_t> Announce(uint32_t dpid) {
        std::vector<uint8_t> bytes = Packet(kNewPlayer, 52);
        PacketWriter out(bytes.data(), 52);
        out.U32(8, dpid);
        out.F32(12, 9.0f);
        out.I32(20, 4);
        out.Text(25, 19, "P101");
        out.Text(48, 4, "Ace");
        return bytes;
    }
    std::vector<SpaceObject*> Named(const char* name) {
        std::vector<SpaceObject*> found;
        for (SpaceObject* o : builder_.World()) {
            if (o->name != nullptr && std::strcmp(o->name, name) == 0) found.push_back(o);
        }
        return found;
    }

    TempDir dir_;
    int32_t previousUoid_ = 0;
};

TEST_F(NetDefinitionsTest, TheHostCopiesAnnouncedShipsAndClientsTakeTheCopy) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(2, "Ace", -1);
    host.AddPlayer(3, "Bob", 50);
    settings_.gameType = 7;
    Deliver(host, 2, Announce(2));
    ASSERT_EQ(Named("Ace").size(), 1u);
    SpaceObject* const copy = Named("Ace")[0];
    EXPECT_EQ(copy->type, SpaceObject::kTypeAiShip);
    EXPECT_EQ(copy->side, copy->uoid);   // each ship its own side
    // It carries its hull's weapons and launchers, by which its pilot's
    // shots are judged and from which its launches leave.
    std::multiset<int32_t> weapons;
    for (const ShipSystem* weapon : static_cast<Craft*>(copy)->GetWeaponList()) weapons.insert(weapon->typeId);
    EXPECT_EQ(weapons, (std::multiset<int32_t>{Weapon::kBeam, Weapon::kGun, Weapon::kMissileLauncher,
                                               Weapon::kMissileLauncher, Weapon::kObjectLauncher}));
    for (const int32_t kind : {ShipSystem::kSensor, ShipSystem::kDecoy}) {
        EXPECT_NE(static_cast<Craft*>(copy)->GetSystem(kind, nullptr), nullptr) << kind;
    }
    const int32_t entry = host.FindPlayerByDpid(2);
    EXPECT_EQ(host.GetPlayerUoid(entry), copy->uoid);
    // ID_INFO to the sender, the copy for Bob.
    ASSERT_EQ(Types(host), (std::vector<uint16_t>{kIdInfo, kObjectCreate}));
    EXPECT_EQ(host.sent[0].to, 2u);
    EXPECT_EQ(PacketReader(host.sent[0].bytes.data(), 20).I32(8), copy->uoid);
    EXPECT_EQ(host.sent[1].to, 3u);
    const std::vector<uint8_t> create = host.sent[1].bytes;

    // A second announcement (a while later: a player announces a ship once
    // a flight) makes nothing: its pilot hears the number of the ship it
    // flies again, to confirm anew.
    host.SetPlayerAcked(entry, 1);
    host.sent.clear();
    builder_.Clock().Advance(NetSession::kShipWindowMs);
    Deliver(host, 2, Announce(2));
    ASSERT_EQ(Named("Ace").size(), 1u);
    EXPECT_EQ(host.GetPlayerUoid(entry), copy->uoid);
    EXPECT_EQ(host.IsPlayerAcked(entry), 0u);
    ASSERT_EQ(Types(host), (std::vector<uint16_t>{kIdInfo}));
    EXPECT_EQ(PacketReader(host.sent[0].bytes.data(), 20).I32(8), copy->uoid);
    // Nobody announces another's ship.
    Deliver(host, 2, Announce(3));
    EXPECT_EQ(Named("Ace").size(), 1u);
    delete &host;

    RecordingNetSession& client = Session(false);
    for (SpaceObject* ship : Named("Ace")) builder_.Remove(ship);
    Deliver(client, 1, create);
    Deliver(client, 1, create);   // similar: ignored
    ASSERT_EQ(Named("Ace").size(), 1u);
    EXPECT_EQ(Named("Ace")[0]->type, SpaceObject::kTypeAiShip);
    EXPECT_EQ(Named("Ace")[0]->active, 1u);
    EXPECT_EQ(Named("Ace")[0]->uoid, PacketReader(create.data(), 12).I32(8));
    // The host's class word comes along: a spawn point there is one here.
    Named("Ace")[0]->classWord = 33;
    NetPacket spawnPoint;
    spawnPoint.BuildObjectPacket(kObjectCreate, Named("Ace")[0]);
    std::vector<uint8_t> station = Built(spawnPoint);
    PacketWriter(station.data(), uint32_t(station.size())).I32(8, 4000);
    Deliver(client, 1, station);
    ASSERT_EQ(Named("Ace").size(), 2u);
    EXPECT_EQ(Named("Ace")[1]->classWord, 33);

    // An object made without a definition (the host's chase object) is
    // updated like any other; asking for it must not put up a message each time.
    std::vector<uint8_t> nameless = create;
    PacketWriter(nameless.data(), 40).Text(24, 16, "");
    RecordingMessageBox boxes;
    platform::MessageBox* const previous = platform::MessageBox::Install(&boxes);
    Deliver(client, 1, nameless);
    platform::MessageBox::Install(previous);
    EXPECT_TRUE(boxes.Boxes().empty());
}

// Every machine holds a pilot's ship on the side its game gives it,
// whatever the pilot announced: in the team battles its team's number plus
// 1 (a pilot of no team on its own), in the cooperative games the players'
// side, in the free-for-alls its own number. Kills score across teams and
// sides; within one they are a teammate's.
TEST_F(NetDefinitionsTest, APilotsShipTakesItsGamesSideAndKillsScoreAcrossTeams) {
    builder_.Game().randomMissions = std::make_shared<RandomMissionGenerator>();
    const char* const names[] = {"Ann", "Bob", "Cid", "Dee"};
    const int32_t teams[] = {0, 1, 0, -1};
    for (const uint32_t type : {NetGameSettings::kTagTeams, NetGameSettings::kDeathMatchTeams,
                                NetGameSettings::kCooperativeTeams, NetGameSettings::kTag, NetGameSettings::kDeathMatch,
                                NetGameSettings::kCooperative}) {
        settings_.gameType = type;
        const bool battle = type == NetGameSettings::kTagTeams || type == NetGameSettings::kDeathMatchTeams;
        const bool together = type == NetGameSettings::kCooperativeTeams || type == NetGameSettings::kCooperative;
        RecordingNetSession& host = Session(true);
        host.announceKills = true;
        std::vector<SpaceObject*> ships;
        for (uint32_t i = 0; i < 4; ++i) {
            host.EditPlayer(host.AddPlayer(2 + i, names[i], -1))->team = teams[i];
            Deliver(host, 2 + i, Announce(2 + i));   // side 4, say the pilots
            ships.push_back(builder_.World().front()->FindByUoid(host.GetPlayerUoid(host.FindPlayerByDpid(2 + i))));
            ASSERT_NE(ships.back(), nullptr) << type;
            const int32_t side = together ? 1 : battle && teams[i] >= 0 ? teams[i] + 1 : ships.back()->uoid;
            EXPECT_EQ(ships.back()->side, side) << type << " " << names[i];
        }
        const auto told = [&](int killer, int victim) {
            host.AnnounceKill(ships[size_t(killer)]->uoid, ships[size_t(victim)]->uoid);
            return std::string(builder_.Game().TheCockpit().MessageAt(GetMilliseconds()));
        };
        // The tag games' own lines aside, what the kill is shows.
        if (type != NetGameSettings::kTagTeams && type != NetGameSettings::kTag) {
            EXPECT_EQ(told(0, 1), together ? "Ann killed a teammate!" : "Ann killed Bob!") << type;
            EXPECT_EQ(told(0, 2), together || battle ? "Ann killed a teammate!" : "Ann killed Cid!") << type;
            EXPECT_EQ(told(3, 0), together ? "Dee killed a teammate!" : "Dee killed Ann!") << type;
            EXPECT_EQ(host.Player(host.FindPlayerByDpid(2))->kills, together ? 0 : battle ? 1 : 2) << type;
        }
        for (SpaceObject* ship : ships) builder_.Remove(ship);
        builder_.Game().netSession = nullptr;
        delete &host;
    }

    // A member's own machine gives its ship the side with its number.
    RecordingNetSession& client = Session(false);
    ship_->type = SpaceObject::kTypePlayerShip;
    builder_.Game().playerShip = ship_;
    client.EditPlayer(client.AddPlayer(client.ownDpid, "Me", -1))->team = 1;
    for (const auto& [type, uoid, side] : {std::tuple{NetGameSettings::kDeathMatchTeams, 77, 2},
                                           std::tuple{NetGameSettings::kDeathMatch, 78, 78},
                                           std::tuple{NetGameSettings::kCooperativeTeams, 79, 1}}) {
        settings_.gameType = type;
        NetPacket named;
        named.BuildIdInfo(kIdInfo, client.ownDpid, 1, uoid);
        Deliver(client, 1, Built(named));
        EXPECT_EQ(ship_->uoid, uoid);
        EXPECT_EQ(ship_->side, side) << type;
    }
}

// A pilot's team changes in flight as in the lobby, and the ship's side
// with it, on every machine: the table and the side never disagree. Bob
// and Cid fly for Red; Dee, in no team, for herself. A switch to a team the
// game lacks changes nothing; Dee makes Blue and flies for it, Bob joins
// her there, and from then on his kill of Cid, Red, scores, while Dee's
// kill of Bob is a teammate's. A member's machine moves its own ship and
// the copies it holds as the host's word comes by.
TEST_F(NetDefinitionsTest, ATeamChangeInFlightMovesThePilotsShipOnEveryMachine) {
    builder_.Game().randomMissions = std::make_shared<RandomMissionGenerator>();
    settings_.gameType = NetGameSettings::kDeathMatchTeams;
    settings_.SetTeamName(0, "Red");
    settings_.teamCount = 1;
    const auto record = [](const char* pilot, const char* team, int32_t number) {
        NetPacket packet;
        packet.BuildUpdateTeam(kUpdateTeam, pilot, team, number, number < 0 ? -1 : 3, 1);
        return Built(packet);
    };
    RecordingNetSession& host = Session(true);
    host.announceKills = true;
    const char* const names[] = {"Bob", "Cid", "Dee"};
    std::vector<SpaceObject*> ships;
    for (uint32_t i = 0; i < 3; ++i) {
        host.AddPlayer(2 + i, names[i], -1);
        if (i < 2) Deliver(host, 2 + i, record(names[i], "NONE.", 0));
        Deliver(host, 2 + i, Announce(2 + i));
        ships.push_back(builder_.World().front()->FindByUoid(host.GetPlayerUoid(host.FindPlayerByDpid(2 + i))));
        ASSERT_NE(ships.back(), nullptr) << names[i];
    }
    SpaceObject& bob = *ships[0];
    SpaceObject& cid = *ships[1];
    SpaceObject& dee = *ships[2];
    const auto agree = [&](uint32_t dpid, const SpaceObject& ship, int32_t team) {
        const NetPlayer* const pilot = host.Player(host.FindPlayerByDpid(dpid));
        EXPECT_EQ(pilot->team, team) << pilot->name;
        EXPECT_EQ(ship.side, team >= 0 ? team + 1 : ship.uoid) << pilot->name;
    };
    agree(2, bob, 0);
    agree(4, dee, -1);
    Deliver(host, 2, record("Bob", "NONE.", 1));
    agree(2, bob, 0);
    Deliver(host, 4, record("NONE.", "Blue", 1));
    agree(4, dee, 1);
    host.sent.clear();
    Deliver(host, 2, record("Bob", "NONE.", 1));
    agree(2, bob, 1);
    agree(3, cid, 0);
    // Every machine hears of it.
    ASSERT_EQ(Types(host), (std::vector<uint16_t>{kUpdateTeam}));
    const std::vector<uint8_t> told = host.sent[0].bytes;
    const auto relayed = net_read::ReadUpdateTeam(told.data(), uint32_t(told.size()));
    EXPECT_EQ(host.sent[0].to, RecordingNetSession::kToAll);
    EXPECT_STREQ(relayed->playerName, "Bob");
    EXPECT_EQ(relayed->team, 1);

    const auto said = [&] { return std::string(builder_.Game().TheCockpit().MessageAt(GetMilliseconds())); };
    host.AnnounceKill(bob.uoid, cid.uoid);
    EXPECT_EQ(said(), "Bob killed Cid!");
    host.AnnounceKill(dee.uoid, bob.uoid);
    EXPECT_EQ(said(), "Dee killed a teammate!");
    EXPECT_EQ(host.Player(host.FindPlayerByDpid(2))->kills, 1);
    EXPECT_EQ(host.Player(host.FindPlayerByDpid(4))->score, 0);
    builder_.Game().netSession = nullptr;
    delete &host;

    // A member, Cid, holds Bob's ship as the host told it (on Red), and its
    // own: Bob's move reaches both table and ship, and a switch of its own
    // moves its own ship, which flies under the number the host gave it.
    RecordingNetSession& member = Session(false);
    member.AddPlayer(member.ownDpid, "Cid", -1);
    member.SetPlayerUoid(member.AddPlayer(5, "Bob", -1), bob.uoid);
    member.SetPlayerTeam(member.FindPlayerByDpid(5), 0);
    ASSERT_EQ(bob.side, 1);
    Deliver(member, 1, told);
    EXPECT_EQ(member.Player(member.FindPlayerByDpid(5))->team, 1);
    EXPECT_EQ(bob.side, 2);
    ship_->type = SpaceObject::kTypePlayerShip;
    builder_.Game().playerShip = ship_;
    Deliver(member, 1, record("Cid", "NONE.", 1));
    EXPECT_EQ(member.Player(member.FindPlayerByDpid(member.ownDpid))->team, 1);
    EXPECT_EQ(ship_->side, 2);
    Deliver(member, 1, record("Cid", "NONE.", -1));
    EXPECT_EQ(ship_->side, ship_->uoid);
    for (SpaceObject* ship : ships) builder_.Remove(ship);
}

// A missile a member fires is asked of the host, which launches it from
// the member's own flying ship, from a rack with a round left, as the
// rack's missiles leave, with their warhead: nothing the request says of
// its place, speed or strength counts. The host flies it and judges its
// hits: it goes off on the ship it flies into as one of the host's own,
// and collisions by the masses of the hulls it made: one announced at 2^31
// rams as its hull's own mass does.
TEST_F(NetDefinitionsTest, AMembersMissileLeavesItsOwnRackAndStrikesAsItsDefinitionSays) {
    RecordingNetSession& host = Session(true);
    settings_.gameType = NetGameSettings::kCooperative;
    host.AddPlayer(2, "Ace", -1);
    host.AddPlayer(3, "Bob", -1);
    host.AddPlayer(4, "Cid", -1);
    std::vector<uint8_t> heavy = Announce(4);
    PacketWriter(heavy.data(), uint32_t(heavy.size())).F32(12, 2147483648.0f);
    Deliver(host, 3, Announce(3));
    Deliver(host, 4, heavy);
    ASSERT_EQ(Named("Ace").size(), 2u);
    auto* const bob = static_cast<Craft*>(Named("Ace")[0]);
    std::vector<Weapon*> racks[2];
    for (int i = 0; i < 2; ++i) {
        for (ShipSystem* system : static_cast<Craft*>(Named("Ace")[i])->GetWeaponList()) {
            if (system->typeId == Weapon::kMissileLauncher) racks[i].push_back(static_cast<Weapon*>(system));
        }
    }
    for (Weapon* rack : racks[1]) rack->ammunition = 0;   // Cid's are empty
    ASSERT_EQ(racks[0].size(), 2u);
    const auto rounds = [&] { return racks[0][0]->ammunition + racks[0][1]->ammunition; };
    const int32_t full = rounds();

    // Each asks for a missile of every damage word at its top, 5 km off,
    // flying on at the fastest.
    SpaceObject* const asked =
        DefinitionLibrary::Current().LoadObjectDefinition("Missile 29", nullptr, SpaceObject::kTypeMissile, 0);
    ASSERT_NE(asked, nullptr);
    for (int32_t& amount : static_cast<Missile*>(asked)->damage.amounts) amount = 1 << 20;
    static_cast<Missile*>(asked)->owner = bob;
    asked->SetPositionFlags(bob->Position().Sum(Vector3{0.0f, 0.0f, 5000.0f}), Transform::kAllFlags | 0x10);
    asked->velocity = {0.0f, 0.0f, 400.0f};
    NetPacket request;
    request.BuildObjectPacket(kCreationRequest, asked);
    const std::vector<uint8_t> bytes = Built(request);
    builder_.Remove(asked);
    const auto launched = [&] {
        std::vector<Missile*> found;
        for (SpaceObject* object : builder_.World()) {
            if (auto* const missile = dynamic_cast<Missile*>(object)) found.push_back(missile);
        }
        return found;
    };
    std::vector<uint8_t> unlaunchable = bytes;   // of a kind no launcher of Bob's launches
    PacketWriter(unlaunchable.data(), uint32_t(unlaunchable.size())).Text(20, 16, "Capital");
    Deliver(host, 3, unlaunchable);
    for (const uint32_t from : {2u, 4u, 9u}) Deliver(host, from, bytes);   // no ship, no round, nobody
    EXPECT_TRUE(launched().empty());

    // Bob's: from his rack, at the rack's speed, with its warhead, a round
    // gone, and every machine told of it.
    InstallNetworkHooks();
    Deliver(host, 3, bytes);
    GameState::SetNetworkHooks(GameState::NetworkHooks{});
    ASSERT_EQ(launched().size(), 1u);
    Missile* const missile = launched()[0];
    EXPECT_EQ(rounds(), full - 1);
    EXPECT_LT(missile->DistanceTo(*bob), 2.0f * bob->Radius());
    EXPECT_LE(missile->velocity.Length(), missile->velocityCap / 3.0f + bob->velocity.Length() + 0.01f);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(missile->damage.amounts[i], racks[0][0]->damageRecord.amounts[i]) << i;
    EXPECT_EQ(PacketReader(host.sent.back().bytes.data(), 8).U16(0), kObjectCreate);
    EXPECT_EQ(host.sent.back().to, RecordingNetSession::kToAll);

    // It goes off on what stands ahead of the rack; the racks give out.
    Craft* const prey = builder_.SpawnAs<Craft>(builder_.Ball("PREY", 5.0f), 3);
    prey->type = SpaceObject::kTypeAiShip;
    prey->Activate(0);
    prey->collisionDelay = 0;
    prey->UpdateVisibility();
    prey->SetPositionFlags(missile->Position().Sum(missile->velocity), Transform::kAllFlags | 0x10);
    for (int32_t frame = 0; frame < 60 && missile->active != 0; ++frame) {
        builder_.Clock().Advance(50);
        builder_.Game().Simulate();
    }
    EXPECT_EQ(missile->collisionPartner.Get(), prey);
    for (int32_t i = 0; i < 2 * full; ++i) {
        builder_.Clock().Advance(NetSession::kObjectWindowMs);
        Deliver(host, 3, bytes);
    }
    EXPECT_EQ(rounds(), 0);
    EXPECT_LE(launched().size(), size_t(full));
    builder_.Remove(prey);

    struct Rammed : SpaceObject {
        using SpaceObject::SpaceObject;
        int32_t TakeDamage(int32_t, const DamageRecord& record, SpaceObject*) override {
            taken = record;
            return 0;
        }
        DamageRecord taken;
    };
    auto* const capital = builder_.SpawnAs<Rammed>(builder_.Ball("HULL", 50.0f), 3);
    capital->SetMass(5000.0f);
    std::vector<int32_t> rams[2];
    for (int i = 0; i < 2; ++i) {
        Named("Ace")[i]->collisionPartner = capital;
        Named("Ace")[i]->speed = 300.0f;
        Named("Ace")[i]->ApplyImpact(0);
        rams[i].assign(capital->taken.amounts, capital->taken.amounts + 5);
    }
    EXPECT_GT(rams[0][0], 5);
    EXPECT_EQ(rams[1], rams[0]);
    builder_.Remove(capital);
}

}  // namespace

// An object made without a definition (the host's chase object) has a uoid
// and updates, but no client can build it: asked for once, not on every update.
TEST_F(NetDispatchTest, AnObjectNoDefinitionBuildsIsNotAskedForAgain) {
    RecordingNetSession& client = Session(false);
    builder_.Game().mode = GameState::kModeFlight;
    const auto packetFor = [this](uint16_t type, int32_t uoid, const char* label) {
        const std::string kept = rock_->label;
        std::snprintf(rock_->label, sizeof rock_->label, "%s", label);
        rock_->uoid = uoid;
        NetPacket packet;
        packet.BuildObjectPacket(type, rock_);
        rock_->uoid = 40;
        std::snprintf(rock_->label, sizeof rock_->label, "%s", kept.c_str());
        return Built(packet);
    };
    Deliver(client, 1, packetFor(kObjectUpdate, 77, ""));
    EXPECT_EQ(Types(client), (std::vector<uint16_t>{kObjectRequest}));
    Deliver(client, 1, packetFor(kObjectCreate, 77, ""));
    client.sent.clear();
    for (int pass = 0; pass < 3; ++pass) Deliver(client, 1, packetFor(kObjectUpdate, 77, ""));
    EXPECT_TRUE(client.sent.empty());
    EXPECT_EQ(builder_.Game().mission->firstObject->FindByUoid(77), nullptr);

    // A definition this machine lacks may yet come: that object is asked for again.
    Deliver(client, 1, packetFor(kObjectCreate, 78, "NOSUCH"));
    Deliver(client, 1, packetFor(kObjectUpdate, 78, "NOSUCH"));
    EXPECT_EQ(Types(client), (std::vector<uint16_t>{kObjectRequest}));
}
