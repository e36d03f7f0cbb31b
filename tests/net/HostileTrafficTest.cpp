// Packet sequences a hostile peer sent, replayed into one world: each once
// broke a host or a client (a freed owner read, a wrapped level or purse,
// an unbounded store, a ship or object made for every request, objects
// asked for piling up in flight).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "game/DataDirectories.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "mission/ObjectLoader.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetworkHooks.h"
#include "net/PacketBytes.h"
#include "objects/ships/Craft.h"
#include "objects/space/WorldPass.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/weapons/Projectile.h"
#include "platform/DebugOutput.h"
#include "tests/support/ScriptedSessionService.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

namespace {

constexpr int32_t kTop = std::numeric_limits<int32_t>::max();

std::vector<uint8_t> Packet(uint16_t type, uint32_t size) {
    std::vector<uint8_t> bytes(size, 0);
    PacketWriter out(bytes.data(), size);
    out.U16(0, type);
    out.U16(2, uint16_t(size));
    out.U32(4, PF_QUEUE_1);
    return bytes;
}

std::vector<uint8_t> Built(const NetPacket& packet) { return {packet.GetData(), packet.GetData() + packet.GetSize()}; }

std::vector<uint8_t> Announce(uint32_t dpid, float mass) {
    std::vector<uint8_t> bytes = Packet(kNewPlayer, 52);
    PacketWriter out(bytes.data(), 52);
    out.U32(8, dpid);
    out.F32(12, mass);
    out.Text(25, 19, "P101");
    out.Text(48, 4, "Ace");
    return bytes;
}

// A rock (uoid 40), a shielded ship (41) and another ship (42) in one world.
class HostileTrafficTest : public ::testing::Test {
protected:
    HostileTrafficTest() {
        previousSink_ = platform::SetDebugSink([](const char*) {});
        rock_ = builder_.Spawn(builder_.Template("ROCK0"), 1);
        rock_->uoid = 40;
        rock_->active = 1;
        ship_ = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 3);
        ship_->uoid = 41;
        ship_->active = 1;
        ship_->type = SpaceObject::kTypeAiShip;
        ship_->AddSystem(0, new ShieldSystem(ship_, 0, 100, 40, 100, 10, 100));
        other_ = builder_.SpawnAs<Craft>(builder_.Template("SHIP1"), 3);
        other_->uoid = 42;
        other_->active = 1;
        other_->type = SpaceObject::kTypeAiShip;
        builder_.Game().netSettings = &settings_;
        builder_.Game().mode = GameState::kModeFlight;
        std::snprintf(shell_.name, sizeof shell_.name, "Flak Shell");
        previousTypes_ = g_projectileTypes;
        g_projectileTypes = &shell_;
    }
    ~HostileTrafficTest() override {
        builder_.Game().ClearFlight();
        g_projectileTypes = previousTypes_;
        for (SpaceObject* object : builder_.World()) {
            if (object != rock_ && object != ship_ && object != other_) builder_.Remove(object);
        }
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
    static void Deliver(RecordingNetSession& session, uint32_t from, const std::vector<uint8_t>& bytes) {
        session.HandleMessage(from, session.ownDpid, bytes.data(), uint32_t(bytes.size()));
    }
    int32_t CountNamed(const char* name) const {
        int32_t count = 0;
        for (SpaceObject* o : builder_.World()) count += o->name != nullptr && std::strcmp(o->name, name) == 0 ? 1 : 0;
        return count;
    }

    WorldBuilder builder_;
    NetGameSettings settings_;
    ProjectileType shell_;
    ProjectileType* previousTypes_ = nullptr;
    SpaceObject* rock_ = nullptr;
    Craft* ship_ = nullptr;
    Craft* other_ = nullptr;
    platform::DebugSink previousSink_ = nullptr;
};

// The host makes a projectile of ship 42's, ship 42's copy is given up and
// deleted here, then the host tells of the projectile striking shielded
// ship 41: the shield turns towards the shooter it was told of.
TEST_F(HostileTrafficTest, AHitAfterTheShootersCopyWasDeletedNamesNoShooter) {
    RecordingNetSession& client = Session(false);
    std::vector<uint8_t> create = Packet(kProjCreate, 108);
    PacketWriter(create.data(), 108).I32(72, 42);
    PacketWriter(create.data(), 108).Text(76, 16, "Flak Shell");
    Deliver(client, 1, create);
    ASSERT_EQ(builder_.Game().projectiles.Count(), 1);

    NetPacket update;
    update.BuildObjectPacket(kObjectUpdate, other_);
    std::vector<uint8_t> stale = Built(update);
    PacketWriter(stale.data(), uint32_t(stale.size())).U32(12, 0x41424344);   // another object's signature
    Deliver(client, 1, stale);
    ASSERT_EQ(other_->active, 0u);
    builder_.Remove(other_);
    other_ = nullptr;

    std::vector<uint8_t> hit = Packet(kProjHit, 20);
    PacketWriter(hit.data(), 20).I32(8, 0);
    PacketWriter(hit.data(), 20).I32(12, 41);
    Deliver(client, 1, hit);
    EXPECT_EQ(builder_.Game().projectiles[0]->damage.source, nullptr);
    EXPECT_EQ(builder_.Game().projectiles[0]->owner.Get(), nullptr);
}

// A shot whose damage no weapon deals, at the host's own ship on the easy
// level (which takes a quarter off every amount), is refused unread.
TEST_F(HostileTrafficTest, AShotOfImpossibleDamageIsRefused) {
    RecordingNetSession& host = Session(true);
    ship_->type = SpaceObject::kTypePlayerShip;
    ship_->hitPoints = 500;
    builder_.Game().playerShip = ship_;
    builder_.Game().difficulty = 1;
    DamageRecord damage;
    damage.source = other_;
    for (int32_t& amount : damage.amounts) amount = 1280068829;
    NetPacket shot;
    shot.BuildWeaponFire(kGunShot, damage, 1, ship_, 0, "Gun", 0, 0, Vector3{});
    Deliver(host, 2, Built(shot));
    EXPECT_EQ(ship_->hitPoints, 500);
    EXPECT_TRUE(host.sent.empty());   // nor passed on
}

// Levels and purses hold at their top, however many pulses and rewards come.
TEST_F(HostileTrafficTest, PulsesAndRewardsWithoutEndHoldAtTheTop) {
    RecordingNetSession& host = Session(true);
    builder_.Game().playerShip = rock_;
    NetPacket pulse;
    pulse.BuildEmpDamage(kEmpDamage, ship_, kTop);
    for (int i = 0; i < 3; ++i) Deliver(host, 2, Built(pulse));
    EXPECT_EQ(ship_->empLevel, kTop);
    delete &host;

    RecordingNetSession& client = Session(false);
    client.AddPlayer(2, "Me", 41);
    builder_.Game().career->funds = 5;
    std::vector<uint8_t> reward = Packet(kKillsUpdate, 44);
    PacketWriter(reward.data(), 44).I32(32, kTop);
    PacketWriter(reward.data(), 44).U32(40, 2);
    for (int i = 0; i < 3; ++i) Deliver(client, 1, reward);
    EXPECT_EQ(builder_.Game().career->funds, kTop);
}

// The same world with the sample definitions, from which ships and
// salvage are made.
class HostileDefinitionsTest : public HostileTrafficTest {
protected:
    HostileDefinitionsTest() {
        // Copies are numbered past the objects placed by hand.
        previousUoid_ = SpaceObject::g_nextUoid;
        SpaceObject::g_nextUoid = 100;
        std::string error;
        EXPECT_TRUE(WriteSampleTree(dir_.Str(), &error)) << error;
        EXPECT_TRUE(g_dataDirs.Find(dir_.Str()));
        RegisterSpaceObjects();
        DefinitionLibrary::RegisterCoreBuilders();
    }
    ~HostileDefinitionsTest() override {
        for (SpaceObject* object : builder_.World()) {
            if (object != rock_ && object != ship_ && object != other_) builder_.Remove(object);
        }
        DefinitionLibrary::Reset();
        GameState::RegisterObjectKind(SpaceObject::kTypePlayerShip, nullptr);
        GameState::RegisterObjectKind(SpaceObject::kTypeAiShip, nullptr);
        g_dataDirs.Clear();
        SpaceObject::g_nextUoid = previousUoid_;
    }

    // A CREATION_REQUEST for an object of the sample definitions, named to
    // be counted, far out on the x axis (away from everything else here).
    std::vector<uint8_t> Request(int32_t type, const char* definition, const char* name, float x) {
        char label[sizeof rock_->label];
        std::memcpy(label, rock_->label, sizeof label);
        rock_->SetName(name);
        std::snprintf(rock_->label, sizeof rock_->label, "%s", definition);
        NetPacket built;
        built.BuildObjectPacket(kCreationRequest, rock_);
        rock_->SetName("Rock");
        std::memcpy(rock_->label, label, sizeof label);
        std::vector<uint8_t> bytes = Built(built);
        PacketWriter out(bytes.data(), uint32_t(bytes.size()));
        out.I32(8, type);
        out.F32(12, 9.0f);
        out.F32(104, x);   // the position's x
        return bytes;
    }
    std::vector<SpaceObject*> Named(const char* name) const {
        std::vector<SpaceObject*> found;
        for (SpaceObject* o : builder_.World()) {
            if (o->name != nullptr && std::strcmp(o->name, name) == 0) found.push_back(o);
        }
        return found;
    }

    TempDir dir_;
    int32_t previousUoid_ = 0;
};

// A ship's mass comes from a definition: one that would overflow a
// collision, or weigh nothing, makes no ship.
TEST_F(HostileDefinitionsTest, AnnouncedShipsOfImpossibleMassAreNotMade) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(2, "Ace", -1);
    for (const float mass : {3e38f, 0.0f, std::numeric_limits<float>::quiet_NaN(), -9.0f}) {
        Deliver(host, 2, Announce(2, mass));
        builder_.Clock().Advance(NetSession::kShipWindowMs);   // each in a window of its own
    }
    EXPECT_EQ(CountNamed("Ace"), 0);
    EXPECT_TRUE(host.sent.empty());
    Deliver(host, 2, Announce(2, 9.0f));
    EXPECT_EQ(CountNamed("Ace"), 1);
}

// Salvage comes of kills: a SALVAGE repeated without end stores one item
// for each kill the host has told of, at the host and at a client.
TEST_F(HostileDefinitionsTest, SalvageRepeatedWithoutEndStoresOneItemPerKill) {
    RecordingNetSession& client = Session(false);
    builder_.Game().playerShip = ship_;
    client.AddPlayer(2, "Me", 41);
    CareerRecord& career = *builder_.Game().career;
    const size_t before = career.stores.size();
    NetPacket salvage;
    salvage.BuildSalvage(kSalvage, "Shields 1", 60, 41);
    for (int i = 0; i < 5; ++i) Deliver(client, 1, Built(salvage));
    EXPECT_EQ(career.stores.size(), before);

    std::vector<uint8_t> kills = Packet(kKillsUpdate, 44);
    PacketWriter(kills.data(), 44).I32(8, 1);
    PacketWriter(kills.data(), 44).U32(40, 2);
    Deliver(client, 1, kills);
    for (int i = 0; i < 5; ++i) Deliver(client, 1, Built(salvage));
    ASSERT_EQ(career.stores.size(), before + 1);
    EXPECT_STREQ(career.stores.back()->id, "Shields 1");
    delete &client;

    // The host forwards no more for a player than that player's kills.
    RecordingNetSession& host = Session(true);
    builder_.Game().playerShip = rock_;
    host.AddPlayer(3, "Bob", 41);
    host.AddPlayerKills(host.FindPlayerByDpid(3), 2);
    for (int i = 0; i < 5; ++i) Deliver(host, 3, Built(salvage));
    EXPECT_EQ(host.sent.size(), 2u);
}

// One peer asking for ship after ship and missile after missile gets its
// share of the moment; a peer that is no player, or asks for a ship to be
// launched, gets nothing; the next window brings a new share.
TEST_F(HostileDefinitionsTest, ShipsAndObjectsMadeForOnePeerAreBoundedEachSecond) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(2, "Ace", -1);
    for (int i = 0; i < 40; ++i) Deliver(host, 2, Announce(2, 9.0f));
    EXPECT_EQ(CountNamed("Ace"), 1);

    rock_->SetName("Stone");
    std::snprintf(rock_->label, sizeof rock_->label, "Missile 29");
    NetPacket built;
    built.BuildObjectPacket(kCreationRequest, rock_);
    rock_->SetName("Rock");
    std::vector<uint8_t> request = Built(built);
    PacketWriter(request.data(), uint32_t(request.size())).I32(8, SpaceObject::kTypeMissile);
    PacketWriter(request.data(), uint32_t(request.size())).F32(12, 9.0f);
    for (int i = 0; i < 40; ++i) Deliver(host, 9, request);   // nobody's
    EXPECT_EQ(CountNamed("Stone"), 0);
    host.AddPlayer(3, "Bob", -1);
    // Nobody launches a ship.
    std::vector<uint8_t> ship = request;
    PacketWriter(ship.data(), uint32_t(ship.size())).I32(8, SpaceObject::kTypeAiShip);
    for (int i = 0; i < 40; ++i) Deliver(host, 3, ship);
    EXPECT_EQ(CountNamed("Stone"), 0);
    for (int i = 0; i < 40; ++i) Deliver(host, 3, request);
    EXPECT_EQ(CountNamed("Stone"), NetSession::kObjectsPerWindow);

    builder_.Clock().Advance(NetSession::kShipWindowMs);
    Deliver(host, 2, Announce(2, 9.0f));
    Deliver(host, 3, request);
    EXPECT_EQ(CountNamed("Stone"), NetSession::kObjectsPerWindow + 1);
    // A player flies one ship: the one announced before is out of play.
    std::vector<bool> flying;
    for (SpaceObject* o : builder_.World()) {
        if (o->name != nullptr && std::strcmp(o->name, "Ace") == 0) flying.push_back(o->active != 0);
    }
    EXPECT_EQ(flying, (std::vector<bool>{false, true}));
}

// A peer asking for missiles second after second, none of which has yet
// burnt out, keeps no more of them in flight than its share; another
// peer's are made all the while, and as the flood's leave the world, the
// flood gets as many again.
TEST_F(HostileDefinitionsTest, APeersObjectsInFlightAreBoundedWhileAnothersAreMade) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(3, "Flood", -1);
    host.AddPlayer(4, "Bob", -1);
    const std::vector<uint8_t> flood = Request(SpaceObject::kTypeMissile, "Missile 29", "Stone", 0.0f);
    const std::vector<uint8_t> fair = Request(SpaceObject::kTypeMissile, "Missile 29", "Fair", 0.0f);
    for (int second = 0; second < 20; ++second) {
        for (int i = 0; i < 40; ++i) Deliver(host, 3, flood);
        builder_.Clock().Advance(NetSession::kObjectWindowMs);
    }
    ASSERT_EQ(Named("Stone").size(), size_t(NetSession::kObjectsAlive));
    EXPECT_EQ(host.CreationsAlive(host.FindPlayerByDpid(3)), NetSession::kObjectsAlive);
    for (int i = 0; i < 3; ++i) Deliver(host, 4, fair);
    EXPECT_EQ(Named("Fair").size(), 3u);

    builder_.Remove(Named("Stone")[0]);
    builder_.Remove(Named("Stone")[0]);
    for (int i = 0; i < 40; ++i) Deliver(host, 3, flood);
    EXPECT_EQ(Named("Stone").size(), size_t(NetSession::kObjectsAlive));
}

// A mine the host lays stays; one asked for, and a decoy asked for without
// an end, go once the longest stay has passed, and every machine is told.
TEST_F(HostileDefinitionsTest, MinesAndEndlessDecoysAskedForEndAfterTheLongestStay) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(3, "Layer", -1);
    Deliver(host, 3, Request(SpaceObject::kTypeMine, "Mine", "Laid", 50000.0f));
    Deliver(host, 3, Request(SpaceObject::kTypeDecoy, "Decoy", "Lure", -50000.0f));
    ASSERT_EQ(Named("Laid").size(), 1u);
    ASSERT_EQ(Named("Lure").size(), 1u);
    builder_.Clock().Advance(uint32_t(NetSession::kLongestStayMs) - 1000);
    UpdateSpaceObjects();
    EXPECT_EQ(Named("Laid").size(), 1u);
    EXPECT_EQ(Named("Lure").size(), 1u);
    EXPECT_EQ(host.CreationsAlive(host.FindPlayerByDpid(3)), 2);
    host.sent.clear();

    builder_.Clock().Advance(2000);
    UpdateSpaceObjects();
    UpdateSpaceObjects();
    EXPECT_TRUE(Named("Laid").empty());
    EXPECT_TRUE(Named("Lure").empty());
    EXPECT_EQ(host.CreationsAlive(host.FindPlayerByDpid(3)), 0);
    int destroys = 0;
    for (const RecordingNetSession::Sent& sent : host.sent) {
        destroys += PacketReader(sent.bytes.data(), uint32_t(sent.bytes.size())).U16(0) == kObjectDestroy ? 1 : 0;
    }
    EXPECT_EQ(destroys, 2);
}

// A peer that leaves takes what it launched along with its ship: coming
// back, or another taking its entry, it starts with a full share.
TEST_F(HostileDefinitionsTest, ALeaversObjectsGoWithIt) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(3, "Flood", -1);
    const std::vector<uint8_t> flood = Request(SpaceObject::kTypeMissile, "Missile 29", "Stone", 0.0f);
    for (int second = 0; second < 5; ++second) {
        for (int i = 0; i < 40; ++i) Deliver(host, 3, flood);
        builder_.Clock().Advance(NetSession::kObjectWindowMs);
    }
    ASSERT_EQ(Named("Stone").size(), size_t(NetSession::kObjectsAlive));
    host.OnDestroyPlayer(3);
    for (SpaceObject* stone : Named("Stone")) EXPECT_EQ(stone->active, 0u);
    UpdateSpaceObjects();
    EXPECT_TRUE(Named("Stone").empty());

    host.AddPlayer(5, "Cid", -1);
    for (int i = 0; i < 40; ++i) Deliver(host, 5, flood);
    EXPECT_EQ(Named("Stone").size(), size_t(NetSession::kObjectsPerWindow));
}

// A peer sending without pause: each receive pass takes a frame's share
// of packets, a MEGAPACKET's each counted, and leaves the rest waiting.
TEST_F(HostileTrafficTest, AReceivePassTakesAFramesShareAndTheRestWaits) {
    InstallNetworkHooks();
    auto* const host = new NetSession("Ann's game", 8);
    auto service = std::make_unique<ScriptedSessionService>();
    ScriptedSessionService& script = *service;
    host->Attach(std::move(service));
    host->connected = host->isHost = 1;
    host->serverDpid = host->ownDpid = 1;
    builder_.Game().netSession = host;
    std::vector<uint8_t> mega = Packet(kMegapacket, 12 + 300 * 8);
    for (uint32_t i = 0; i < 300; ++i) PacketWriter(mega.data(), uint32_t(mega.size())).U16(12 + 8 * i + 2, 8);
    script.QueueData(2, 1, mega);
    const std::vector<uint8_t> junk = Packet(200, 8);
    for (int i = 0; i < 1000; ++i) script.QueueData(2, 1, junk);
    builder_.Game().NetReceive();
    EXPECT_EQ(script.queue.size(), 1000u);
    builder_.Game().NetReceive();
    EXPECT_EQ(script.queue.size(), size_t(1000 - NetSession::kPacketsPerPass));
    for (int pass = 0; pass < 1000 / NetSession::kPacketsPerPass; ++pass) builder_.Game().NetReceive();
    EXPECT_TRUE(script.queue.empty());
    GameState::SetNetworkHooks(GameState::NetworkHooks{});
}

}  // namespace
