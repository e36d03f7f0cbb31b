// Packet sequences a hostile peer sent, replayed into one world: each once
// broke a host or a client.
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
#include "net/NetworkHooks.h"
#include "objects/ships/Craft.h"
#include "objects/space/NetObjectState.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/RadarSystem.h"
#include "objects/weapons/Weapon.h"
#include "objects/space/WorldPass.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/weapons/Projectile.h"
#include "platform/DebugOutput.h"
#include "tests/support/ScriptedSessionService.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/NetPacketBytes.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

namespace {

constexpr int32_t kTop = std::numeric_limits<int32_t>::max();

std::vector<uint8_t> Announce(uint32_t dpid, float mass) {
    std::vector<uint8_t> bytes = Packet(kNewPlayer, 52);
    PacketWriter out(bytes.data(), 52);
    out.U32(8, dpid);
    out.F32(12, mass);
    out.Text(25, 19, "P101");
    out.Text(48, 4, "Ace");
    return bytes;
}

void DeliverTimes(int times, NetSession& session, uint32_t from, const std::vector<uint8_t>& bytes) {
    for (int i = 0; i < times; ++i) Deliver(session, from, bytes);
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
        RemoveAdded();
        builder_.Game().netSettings = nullptr;
        builder_.Game().playerShip = nullptr;
        delete builder_.Game().netSession;
        builder_.Game().netSession = nullptr;
        platform::SetDebugSink(previousSink_);
    }
    // A new session in place of the last.
    RecordingNetSession& Session(bool host) {
        delete builder_.Game().netSession;
        auto* const session = new RecordingNetSession(host);
        builder_.Game().netSession = session;
        return *session;
    }
    void RemoveAdded() {
        for (SpaceObject* object : builder_.World()) {
            if (object != rock_ && object != ship_ && object != other_) builder_.Remove(object);
        }
    }
    std::vector<SpaceObject*> Named(const char* name) const {
        std::vector<SpaceObject*> found;
        for (SpaceObject* o : builder_.World()) {
            if (o->name != nullptr && std::strcmp(o->name, name) == 0) found.push_back(o);
        }
        return found;
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

// A projectile of ship 42's, whose copy is then given up and deleted here,
// strikes shielded ship 41: the shield turns towards no freed shooter.
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

// Levels and purses hold at their top, however many pulses and rewards
// a host sends (a member's pulses are held to its weapons before).
TEST_F(HostileTrafficTest, PulsesAndRewardsWithoutEndHoldAtTheTop) {
    builder_.Game().playerShip = rock_;
    NetPacket pulse;
    pulse.BuildEmpDamage(kEmpDamage, ship_, kTop);
    Session(false);
    DeliverTimes(3, *builder_.Game().netSession, 1, Built(pulse));
    EXPECT_EQ(ship_->empLevel, kTop);

    Session(false).AddPlayer(2, "Me", 41);
    builder_.Game().career->funds = 5;
    std::vector<uint8_t> reward = Packet(kKillsUpdate, 44);
    PacketWriter(reward.data(), 44).I32(32, kTop);
    PacketWriter(reward.data(), 44).U32(40, 2);
    DeliverTimes(3, *builder_.Game().netSession, 1, reward);
    EXPECT_EQ(builder_.Game().career->funds, kTop);
}

// Each receive pass takes a frame's share of a flood, a MEGAPACKET's each
// counted, and leaves the rest waiting.
TEST_F(HostileTrafficTest, AReceivePassTakesAFramesShareAndTheRestWaits) {
    InstallNetworkHooks();
    auto* const host = new NetSession("Ann's game", 8);
    auto service = std::make_unique<ScriptedSessionService>();
    ScriptedSessionService& script = *service;
    host->Attach(std::move(service));
    host->connected = host->isHost = 1;
    host->serverDpid = host->ownDpid = 1;
    host->AddPlayer(2, "Flood", -1);
    builder_.Game().netSession = host;
    std::vector<uint8_t> mega = Packet(kMegapacket, 12 + 300 * 8);
    for (uint32_t i = 0; i < 300; ++i) PacketWriter(mega.data(), uint32_t(mega.size())).U16(12 + 8 * i + 2, 8);
    script.QueueData(2, 1, mega);
    for (int i = 0; i < 1000; ++i) script.QueueData(2, 1, Packet(200, 8));
    builder_.Game().NetReceive();
    EXPECT_EQ(script.queue.size(), 1000u);
    builder_.Game().NetReceive();
    EXPECT_EQ(script.queue.size(), size_t(1000 - NetSession::kPacketsPerPass));
    for (int pass = 0; pass < 1000 / NetSession::kPacketsPerPass; ++pass) builder_.Game().NetReceive();
    EXPECT_TRUE(script.queue.empty());
    GameState::SetNetworkHooks(GameState::NetworkHooks{});
}

// The same world with the sample definitions that ships and salvage need.
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
        RemoveAdded();
        DefinitionLibrary::Reset();
        GameState::RegisterObjectKind(SpaceObject::kTypePlayerShip, nullptr);
        GameState::RegisterObjectKind(SpaceObject::kTypeAiShip, nullptr);
        g_dataDirs.Clear();
        SpaceObject::g_nextUoid = previousUoid_;
    }

    // A CREATION_REQUEST for a sample definition, at `x`, whatever its
    // launcher would have made, as a member's machine sends it.
    std::vector<uint8_t> Request(int32_t type, const char* definition, float x = 0.0f) {
        char label[sizeof rock_->label];
        std::memcpy(label, rock_->label, sizeof label);
        std::snprintf(rock_->label, sizeof rock_->label, "%s", definition);
        NetPacket built;
        built.BuildObjectPacket(kCreationRequest, rock_);
        std::memcpy(rock_->label, label, sizeof label);
        std::vector<uint8_t> bytes = Built(built);
        PacketWriter out(bytes.data(), uint32_t(bytes.size()));
        out.I32(8, type);
        out.F32(12, 9.0f);
        out.F32(104, x);   // the position's x
        return bytes;
    }
    // Member `dpid`'s ship, announced; its launchers hold `rounds` each and
    // launch without a refire delay: what bounds a flood here is the host's
    // share, not a rack's pace.
    Craft* ShipOf(RecordingNetSession& host, uint32_t dpid, int32_t rounds) {
        Deliver(host, dpid, Announce(dpid, 9.0f));
        const int32_t entry = host.FindPlayerByDpid(dpid);
        auto* const ship = dynamic_cast<Craft*>(builder_.World().front()->FindByUoid(host.GetPlayerUoid(entry)));
        for (ShipSystem* system = ship != nullptr ? ship->GetSystem(ShipSystem::kAnyWeapon, nullptr) : nullptr;
             system != nullptr; system = ship->GetSystem(ShipSystem::kAnyWeapon, system)) {
            static_cast<Weapon*>(system)->ammunition = rounds;
            static_cast<Weapon*>(system)->refireDelay = 0;
        }
        return ship;
    }
    // What `ship` launched and the world still holds.
    std::vector<SpaceObject*> LaunchedBy(const SpaceObject* ship) const {
        std::vector<SpaceObject*> found;
        for (SpaceObject* o : builder_.World()) {
            NetObjectState state;
            o->FillNetState(state);
            if (o != ship && state.owner == ship) found.push_back(o);
        }
        return found;
    }
    // Asks for 40 objects a second, for `seconds` seconds.
    void Flood(RecordingNetSession& host, uint32_t from, const std::vector<uint8_t>& request, int seconds) {
        for (int second = 0; second < seconds; ++second) {
            DeliverTimes(40, host, from, request);
            builder_.Clock().Advance(NetSession::kObjectWindowMs);
        }
    }

    TempDir dir_;
    int32_t previousUoid_ = 0;
};

// A ship's mass comes from a definition: an announcement of one that would
// overflow a collision, or weigh nothing, makes no ship, and an announced
// mass is not the ship's. Of ship after ship announced one is made: its
// player flies the first.
TEST_F(HostileDefinitionsTest, AnnouncedShipsOfImpossibleMassOrWithoutEndAreNotMade) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(2, "Ace", -1);
    for (const float mass : {3e38f, 0.0f, std::numeric_limits<float>::quiet_NaN(), -9.0f}) {
        Deliver(host, 2, Announce(2, mass));
        builder_.Clock().Advance(NetSession::kShipWindowMs);   // each in a window of its own
    }
    EXPECT_TRUE(Named("Ace").empty());
    EXPECT_TRUE(host.sent.empty());
    DeliverTimes(40, host, 2, Announce(2, 9.0f));
    ASSERT_EQ(Named("Ace").size(), 1u);
    SpaceObject* const first = Named("Ace")[0];
    EXPECT_NE(first->mass, 9.0f);
    for (int window = 0; window < 3; ++window) {
        builder_.Clock().Advance(NetSession::kShipWindowMs);
        DeliverTimes(5, host, 2, Announce(2, 2147483648.0f));
    }
    ASSERT_EQ(Named("Ace").size(), 1u);
    EXPECT_EQ(Named("Ace")[0], first);
    EXPECT_NE(first->active, 0u);
    EXPECT_NE(first->mass, 2147483648.0f);
}

// Salvage comes of kills: a SALVAGE repeated without end stores one item
// for each kill the host has told of, at a client, and the host forwards
// no more for a player than that player's kills.
TEST_F(HostileDefinitionsTest, SalvageRepeatedWithoutEndStoresOneItemPerKill) {
    RecordingNetSession& client = Session(false);
    builder_.Game().playerShip = ship_;
    client.AddPlayer(2, "Me", 41);
    CareerRecord& career = *builder_.Game().career;
    const size_t before = career.stores.size();
    NetPacket salvage;
    salvage.BuildSalvage(kSalvage, "Shields 1", 60, 41);
    DeliverTimes(5, client, 1, Built(salvage));
    EXPECT_EQ(career.stores.size(), before);
    std::vector<uint8_t> kills = Packet(kKillsUpdate, 44);
    PacketWriter(kills.data(), 44).I32(8, 1);
    PacketWriter(kills.data(), 44).U32(40, 2);
    Deliver(client, 1, kills);
    DeliverTimes(5, client, 1, Built(salvage));
    ASSERT_EQ(career.stores.size(), before + 1);
    EXPECT_STREQ(career.stores.back()->id, "Shields 1");

    RecordingNetSession& host = Session(true);
    builder_.Game().playerShip = rock_;
    host.AddPlayer(3, "Bob", 41);
    host.AddPlayerKills(host.FindPlayerByDpid(3), 2);
    DeliverTimes(5, host, 3, Built(salvage));
    EXPECT_EQ(host.sent.size(), 2u);
}

// A peer asking for missile after missile gets its share of the moment
// from its ship's racks; a peer that is no player, or asks for a ship to be
// launched, gets nothing.
TEST_F(HostileDefinitionsTest, ObjectsMadeForOnePeerAreBoundedEachSecond) {
    RecordingNetSession& host = Session(true);
    const std::vector<uint8_t> request = Request(SpaceObject::kTypeMissile, "Missile 29");
    DeliverTimes(40, host, 9, request);   // nobody's
    host.AddPlayer(3, "Bob", -1);
    Craft* const bob = ShipOf(host, 3, 100);
    ASSERT_NE(bob, nullptr);
    builder_.Clock().Advance(NetSession::kObjectWindowMs);
    DeliverTimes(40, host, 3, Request(SpaceObject::kTypeAiShip, "Missile 29"));
    EXPECT_TRUE(LaunchedBy(bob).empty());
    DeliverTimes(40, host, 3, request);
    EXPECT_EQ(LaunchedBy(bob).size(), size_t(NetSession::kObjectsPerWindow));
    builder_.Clock().Advance(NetSession::kObjectWindowMs);
    Deliver(host, 3, request);
    EXPECT_EQ(LaunchedBy(bob).size(), size_t(NetSession::kObjectsPerWindow + 1));
    // One naming no owner is a probe, from the ship's one probe.
    std::vector<uint8_t> probe = request;
    PacketWriter(probe.data(), uint32_t(probe.size())).I32(136, -1);
    builder_.Clock().Advance(NetSession::kObjectWindowMs);
    const size_t before = builder_.World().size();
    DeliverTimes(2, host, 3, probe);
    EXPECT_EQ(builder_.World().size(), before + 1);
    EXPECT_EQ(static_cast<SensorSystem*>(bob->GetSystem(ShipSystem::kSensor, nullptr))->probesLeft, 0);
}

// A peer asking for missiles second after second, none of which has yet
// burnt out, keeps no more of them in flight than its share while another
// peer's are made; as the flood's leave the world it gets as many again.
// Leaving, it takes them along: whoever takes its entry starts afresh.
TEST_F(HostileDefinitionsTest, APeersObjectsInFlightAreBoundedAndGoWithIt) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(3, "Flood", -1);
    host.AddPlayer(4, "Bob", -1);
    Craft* const flooder = ShipOf(host, 3, 1000);
    Craft* const bob = ShipOf(host, 4, 1000);
    ASSERT_TRUE(flooder != nullptr && bob != nullptr);
    const std::vector<uint8_t> flood = Request(SpaceObject::kTypeMissile, "Missile 29");
    Flood(host, 3, flood, 20);
    ASSERT_EQ(LaunchedBy(flooder).size(), size_t(NetSession::kObjectsAlive));
    DeliverTimes(3, host, 4, flood);
    EXPECT_EQ(LaunchedBy(bob).size(), 3u);
    builder_.Remove(LaunchedBy(flooder)[0]);
    builder_.Remove(LaunchedBy(flooder)[0]);
    DeliverTimes(40, host, 3, flood);
    EXPECT_EQ(LaunchedBy(flooder).size(), size_t(NetSession::kObjectsAlive));

    const std::vector<SpaceObject*> flooded = LaunchedBy(flooder);
    host.OnDestroyPlayer(3);
    for (SpaceObject* missile : flooded) EXPECT_EQ(missile->active, 0u);
    UpdateSpaceObjects();
    EXPECT_EQ(LaunchedBy(bob).size(), 3u);
    host.AddPlayer(5, "Cid", -1);
    Craft* const cid = ShipOf(host, 5, 1000);
    ASSERT_NE(cid, nullptr);
    DeliverTimes(40, host, 5, flood);
    EXPECT_EQ(LaunchedBy(cid).size(), size_t(NetSession::kObjectsPerWindow));
}

// A mine a member lays, and a decoy its launcher would keep without end,
// go once the longest stay has passed, and every machine is told; each
// left its launcher, wherever the request placed it.
TEST_F(HostileDefinitionsTest, MinesAndEndlessDecoysAskedForEndAfterTheLongestStay) {
    RecordingNetSession& host = Session(true);
    host.AddPlayer(3, "Layer", -1);
    Craft* const layer = ShipOf(host, 3, 3);
    ASSERT_NE(layer, nullptr);
    auto* const decoys = static_cast<DecoySystem*>(layer->GetSystem(ShipSystem::kDecoy, nullptr));
    ASSERT_NE(decoys, nullptr);
    decoys->lifetime = 0;
    const Vector3 from = layer->Position();
    Deliver(host, 3, Request(SpaceObject::kTypeMine, "Mine", 50000.0f));
    Deliver(host, 3, Request(SpaceObject::kTypeDecoy, "Decoy", -50000.0f));
    for (const SpaceObject* launched : LaunchedBy(layer)) EXPECT_LT(launched->DistanceTo(*layer), 2.0f * layer->Radius());
    EXPECT_EQ(layer->Position().Difference(from).Length(), 0.0f);
    // The layer flies off before its mine comes to rest, armed, beside it.
    layer->SetPositionFlags(layer->Position().Sum(Vector3{0.0f, 5000.0f, 0.0f}), Transform::kAllFlags | 0x10);
    const auto left = [&] { return LaunchedBy(layer).size(); };
    ASSERT_EQ(left(), 2u);
    builder_.Clock().Advance(uint32_t(NetSession::kLongestStayMs) - 1000);
    UpdateSpaceObjects();
    EXPECT_EQ(left(), 2u);
    host.sent.clear();

    builder_.Clock().Advance(2000);
    UpdateSpaceObjects();
    UpdateSpaceObjects();
    EXPECT_EQ(left(), 0u);

    EXPECT_EQ(host.CreationsAlive(host.FindPlayerByDpid(3)), 0);
    int destroys = 0;
    for (const auto& sent : host.sent) destroys += PacketReader(sent.bytes.data(), 8).U16(0) == kObjectDestroy ? 1 : 0;
    EXPECT_EQ(destroys, 2);
}

}  // namespace
