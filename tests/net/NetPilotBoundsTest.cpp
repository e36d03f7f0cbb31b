// The host's judgement of a member's own ship, whole: the member announces
// its ship with NEW_PLAYER, the host builds its copy from the sample
// definitions, and the member's PLAYER_INFO, EMP_DAMAGE, GUN_SHOT and
// CREATION_REQUEST packets go through the host's dispatch as they arrive
// from the network.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <tuple>
#include <vector>

#include "engine/Clock.h"
#include "engine/IffFile.h"
#include "engine/Random.h"
#include "game/CareerRecord.h"
#include "game/Cockpit.h"
#include "game/DefinitionFormat.h"
#include "game/EquipmentItem.h"
#include "game/GameState.h"
#include "mission/Goal.h"
#include "mission/MissionSetUp.h"
#include "mission/ObjectLoader.h"
#include "mission/RandomMissionGenerator.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPilotBounds.h"
#include "objects/ships/Craft.h"
#include "objects/space/Missile.h"
#include "objects/space/WorldPass.h"
#include "objects/systems/CountermeasureSystems.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/weapons/BeamWeapon.h"
#include "objects/weapons/GunWeapon.h"
#include "objects/weapons/Launchers.h"
#include "scene/Transform.h"
#include "tests/support/SampleDataSuite.h"
#include "tests/support/world/NetPacketBytes.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

constexpr uint32_t kMember = 2;
constexpr int32_t kHostShip = 10;

// What a member's copy may have in hand at once: a second's flight at the fastest.
float Held() { return net_bounds::kFastestFlight * float(net_bounds::kMoveLagMs) / 1000.0f; }

Vector3 RowOf(const Matrix34& m, int row) { return {m.rows[row][0], m.rows[row][1], m.rows[row][2]}; }
Vector3 At(const Transform& place) { return RowOf(place.matrix, 3); }
float Apart(const Vector3& a, const Vector3& b) { return a.Difference(b).Length(); }
void Put(Transform& place, const Vector3& at) { place.SetPosition(&at, Transform::kAllFlags); }

// A member's report of its ship standing at `place` (its rows and
// position), flying at `velocity`, as its own machine writes it.
std::vector<uint8_t> Report(int32_t uoid, const Transform& place, const Vector3& velocity = {0.0f, 0.0f, 0.0f}) {
    std::vector<uint8_t> bytes = Packet(kPlayerInfo, NetPacket::kPlayerInfoBytes, PF_QUEUE_3);
    PacketWriter out(bytes.data(), NetPacket::kPlayerInfoBytes);
    out.I32(8, uoid);
    out.Vector(28, velocity);
    out.Vector(52, place.forward);
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 3; ++column) out.F32(72 + uint32_t(4 * (row * 3 + column)), place.matrix.rows[row][column]);
    }
    out.U8(128, 100);
    return bytes;
}

class NetPilotBoundsTest : public SampleDataSuite {
protected:
    NetPilotBoundsTest() {
        RegisterSpaceObjects();
        DefinitionLibrary::RegisterCoreBuilders();
        GameState& game = builder_.Game();
        game.netSettings = &settings_;
        game.mode = GameState::kModeFlight;
        host_ = new RecordingNetSession(true);
        game.netSession = host_;
        hostShip_ = builder_.SpawnAs<Craft>(builder_.Template("SHIP0"), 1);
        hostShip_->uoid = kHostShip;
        // Copies are numbered past the ship placed by hand.
        SpaceObject::g_nextUoid = std::max(SpaceObject::g_nextUoid, kHostShip + 1);
        hostShip_->type = SpaceObject::kTypePlayerShip;
        hostShip_->active = 1;
        game.playerShip = hostShip_;
    }
    ~NetPilotBoundsTest() override {
        GameState& game = builder_.Game();
        game.jumpGoal = nullptr;
        FreeGoals();
        game.playerShip = nullptr;
        game.netSettings = nullptr;
        delete game.netSession;
        game.netSession = nullptr;
        for (SpaceObject* copy : copies_) builder_.Remove(copy);
        DefinitionLibrary::Reset();
        GameState::RegisterObjectKind(SpaceObject::kTypePlayerShip, nullptr);
        GameState::RegisterObjectKind(SpaceObject::kTypeAiShip, nullptr);
    }

    // Member `dpid` announces its ship "Ace" of `hull`: the host's copy, or null.
    Craft* Announce(const char* hull, uint32_t dpid = kMember) {
        std::vector<uint8_t> bytes = Packet(kNewPlayer, 52);
        PacketWriter out(bytes.data(), 52);
        out.F32(12, 9.0f);
        out.Text(25, 19, hull);
        out.Text(48, 4, "Ace");
        return Announce(bytes, dpid);
    }
    // The announcement `bytes` from member `dpid`, as its own: the host's copy, or null.
    Craft* Announce(std::vector<uint8_t> bytes, uint32_t dpid) {
        // The member joined before: the host heard of its player.
        if (host_->FindPlayerByDpid(dpid) < 0) host_->AddPlayer(dpid, "Ace", -1);
        PacketWriter(bytes.data(), uint32_t(bytes.size())).U32(8, dpid);
        Deliver(*host_, dpid, bytes);
        SpaceObject* const copy = ShipOf(dpid);
        if (copy != nullptr && std::find(copies_.begin(), copies_.end(), copy) == copies_.end()) copies_.push_back(copy);
        return dynamic_cast<Craft*>(copy);
    }
    SpaceObject* ShipOf(uint32_t dpid) {
        const int32_t entry = host_->FindPlayerByDpid(dpid);
        const int32_t uoid = entry >= 0 ? host_->GetPlayerUoid(entry) : -1;
        return uoid >= 0 ? builder_.TheMission().firstObject->FindByUoid(uoid) : nullptr;
    }
    // The member's ship where its copy stands now, as its pilot would see it.
    static Transform PlaceOf(const SpaceObject& copy) {
        Transform place = copy.local;
        place.forward = RowOf(place.matrix, 2).DividedBy(place.scale);
        return place;
    }
    void Tell(const Craft& copy, const Transform& place, uint32_t dpid = kMember) {
        Deliver(*host_, dpid, Report(copy.uoid, place));
    }
    // The member reports its ship at `at`, turned as its copy is.
    void Fly(const Craft& copy, const Vector3& at, uint32_t dpid = kMember) {
        Transform place = PlaceOf(copy);
        Put(place, at);
        Tell(copy, place, dpid);
    }
    // The member's ship flies to `to` a second's flight at a time.
    void FlyTo(const Craft& copy, const Vector3& to) {
        while (Apart(copy.Position(), to) > 0.01f) {
            builder_.Clock().Advance(1000);
            Fly(copy, to);
        }
    }
    SpaceObject* Gate(const Vector3& at, float radius = 100.0f) {
        SpaceObject* const gate = Buoy(at, radius);
        gate->type = SpaceObject::kTypeJumpGate;
        return gate;
    }
    SpaceObject* Buoy(const Vector3& at, float radius = 5.0f) {
        SpaceObject* const buoy = builder_.Spawn(builder_.Ball("BUOY", radius), 2);
        buoy->active = 1;
        buoy->SetPositionFlags(at, Transform::kAllFlags);
        return buoy;
    }
    // A travel goal of the players', switched on: to `to` within `distance`.
    Goal* Leg(SpaceObject* to, float distance = 250.0f, int32_t recordType = Goal::kTravel) {
        Goal* const goal = MakeGoal(recordType, nullptr);
        goal->id = ++goals_;
        goal->recordType = recordType;
        goal->destination = to;
        goal->distance = distance;
        goal->active = goal->playerGoal = 1;
        return goal;
    }
    // The member's GOAL_DONE: its ship met `goal` (1) or did not (0).
    void ReportGoal(const Craft& copy, const Goal& goal, uint32_t met = 1, uint32_t dpid = kMember) {
        std::vector<uint8_t> bytes = Packet(kGoalDone, NetPacket::kGoalDoneBytes);
        PacketWriter out(bytes.data(), NetPacket::kGoalDoneBytes);
        out.I32(8, goal.id);
        out.I32(12, copy.uoid);
        out.U32(16, met);
        Deliver(*host_, dpid, bytes);
    }
    // The member's word that its ship launched `definition` of `kind` (a
    // missile, homing on `target`'s part `part`; a mine; a decoy), as its
    // machine sends it: what the host launched, or null.
    SpaceObject* Launch(Craft& copy, int32_t kind, const char* definition, SpaceObject* target = nullptr,
                        int32_t part = 0, uint32_t dpid = kMember) {
        SpaceObject* const asked = DefinitionLibrary::Current().LoadObjectDefinition(definition, nullptr, kind, 0);
        if (asked == nullptr) return nullptr;
        if (auto* const missile = dynamic_cast<Missile*>(asked)) {
            missile->owner = &copy;
            missile->target = target;
            missile->targetPart = part;
        }
        NetPacket request;
        request.BuildObjectPacket(kCreationRequest, asked);
        builder_.Remove(asked);
        const std::vector<SpaceObject*> before = builder_.World();
        Deliver(*host_, dpid, Built(request));
        for (SpaceObject* object : builder_.World()) {
            if (std::find(before.begin(), before.end(), object) == before.end()) return object;
        }
        return nullptr;
    }
    // The same, what it launched taken out of the world again: whether there was a launch.
    bool Launches(Craft& copy, int32_t kind, const char* definition) {
        SpaceObject* const made = Launch(copy, kind, definition);
        if (made != nullptr) builder_.Remove(made);
        return made != nullptr;
    }
    // The copy's launcher of `kind` its trigger fires.
    static Weapon* Rack(Craft& copy, int32_t kind) {
        for (ShipSystem* system : copy.GetWeaponList()) {
            auto* const weapon = static_cast<Weapon*>(system);
            if (weapon->typeId == kind && weapon->group != Weapon::kNoGroup) return weapon;
        }
        return nullptr;
    }
    // The career's P102 as its pilot's machine flies it, `bought` fitted after its hull's own items.
    Craft* PilotsShip(const std::vector<const char*>& bought) {
        delete builder_.Game().career;
        builder_.Game().career = new CareerRecord(1);
        ShipRecord* const record = builder_.Game().career->GetShip(-1);
        IffFile definitions(0);
        definitions.OpenFile((g_dataDirs.Prefix(DataDir::kData) + definition_format::kFileName).c_str(), kOpenRead);
        for (const char* id : bought) EXPECT_EQ(record->PlaceStoredItem(std::make_unique<EquipmentItem>(id, definitions, 0)), nullptr);
        definitions.CloseFile();
        auto* const ship = static_cast<Craft*>(DefinitionLibrary::Current().LoadObjectDefinition("P102", nullptr, SpaceObject::kTypePlayerShip, 0));
        copies_.push_back(ship);
        FitFromRecord(*ship, *record);
        ship->SetName("Ace");
        return ship;
    }
    // `ms` of `gun`'s fire (a second's unless told) by `from` on `at`, as member `dpid` sends it.
    void Fire(const GunWeapon& gun, Craft* from, Craft* at, uint32_t dpid, int32_t ms = 1000) {
        DamageRecord damage = gun.damageRecord;
        for (int32_t& amount : damage.amounts) amount = amount * ms / 1000;
        damage.source = from;
        NetPacket shot;
        shot.BuildWeaponFire(kGunShot, damage, gun.rateOfFire, at, 0, gun.explosionName, gun.partIndex, 0, Vector3{});
        Deliver(*host_, dpid, Built(shot));
    }
    int Relayed(uint16_t type) const {
        int count = 0;
        for (const auto& sent : host_->sent) count += PacketReader(sent.bytes.data(), 8).U16(0) == type ? 1 : 0;
        return count;
    }

    WorldBuilder builder_;
    NetGameSettings settings_;
    RecordingNetSession* host_ = nullptr;
    Craft* hostShip_ = nullptr;
    std::vector<SpaceObject*> copies_;
    int32_t goals_ = 0;
};


// The copy waits where the host made it while the world flies on (its
// pilot has not yet heard its number) and moves from there, however long
// it waited, and however many reports arrive at one instant it moves a
// second's flight at most; the allowance refills at the fastest flight, and
// to no more than a second's flight however long the pilot was silent.
TEST_F(NetPilotBoundsTest, ReportsMoveTheCopyFromWhereItWasMadeNoFartherThanASecondsFlight) {
    Craft* const copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    const Vector3 made = copy->Position();
    for (int frame = 0; frame < 100; ++frame) {
        builder_.Clock().Advance(50);
        builder_.Game().Simulate();
    }
    EXPECT_NEAR(Apart(copy->Position(), made), 0.0f, 0.01f);
    const Vector3 east{1.0f, 0.0f, 0.0f};
    for (const uint32_t silent : {30000u, 30000u}) {
        builder_.Clock().Advance(silent);
        const Vector3 before = copy->Position();
        for (int i = 1; i <= 100; ++i) Fly(*copy, before.Sum(east.Scaled(399.0f * float(i))));
        EXPECT_NEAR(Apart(copy->Position(), before.Sum(east.Scaled(Held()))), 0.0f, 0.5f);
    }
    // A tenth of a second's flight comes back in a tenth of a second, and no more.
    builder_.Clock().Advance(100);
    const Vector3 tenth = copy->Position().Sum(east.Scaled(0.1f * net_bounds::kFastestFlight - 1.0f));
    Fly(*copy, tenth);
    EXPECT_NEAR(Apart(copy->Position(), tenth), 0.0f, 0.01f);
    Fly(*copy, tenth.Sum(east.Scaled(30.0f)));
    EXPECT_NEAR(Apart(copy->Position(), tenth.Sum(east)), 0.0f, 0.01f);
}

// An honest pilot at the fastest flight, turning all the while, its link
// stalling for a second now and then and its reports arriving bunched: the
// copy stands where the pilot does, turned as it is, after every delivery.
TEST_F(NetPilotBoundsTest, HonestFlightAtTopSpeedIsFollowedThroughTurnsAndStalls) {
    Craft* const copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    Transform pilot = PlaceOf(*copy);
    constexpr uint32_t kFrameMs = 20;
    const float step = net_bounds::kFastestFlight * float(kFrameMs) / 1000.0f;
    std::vector<std::vector<uint8_t>> held;
    for (int frame = 1; frame <= 3000; ++frame) {
        builder_.Clock().Advance(kFrameMs);
        pilot.RotateAboutLocalY(3.0f, Transform::kAllFlags);
        pilot.RotateAboutForward(1.0f, Transform::kAllFlags);
        const Vector3 ahead{0.0f, 0.0f, step / pilot.scale};
        pilot.MoveLocal(&ahead, Transform::kAllFlags);
        held.push_back(Report(copy->uoid, pilot));
        // Every ten seconds most of a second's reports wait on the link.
        if (frame % 500 > 455) continue;
        for (const auto& report : held) Deliver(*host_, kMember, report);
        held.clear();
        ASSERT_NEAR(Apart(copy->Position(), At(pilot)), 0.0f, 0.05f) << "frame " << frame;
        for (int row = 0; row < 3; ++row) {
            ASSERT_NEAR(Apart(RowOf(copy->local.matrix, row), RowOf(pilot.matrix, row)), 0.0f, 1e-3f) << frame << " " << row;
        }
    }
}

// Rows that stretch, flatten, shear or mirror the ship, and numbers no ship
// has, are no report; an honest pilot's drifted rows are squared again, so
// the ship every machine is told of keeps its shape and size.
TEST_F(NetPilotBoundsTest, RowsThatWouldStretchTheShipAreRefusedAndDriftIsSquared) {
    Craft* const copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    const float scale = copy->local.scale;
    Transform place = PlaceOf(*copy);
    place.RotateAboutLocalX(30.0f, Transform::kAllFlags);
    const Vector3 first = copy->Position().Sum(Vector3{10.0f, 0.0f, 0.0f});
    Put(place, first);
    Tell(*copy, place);
    ASSERT_NEAR(Apart(copy->Position(), first), 0.0f, 0.01f);
    const Matrix34 kept = copy->local.matrix;

    const auto forged = [&](const char* what, auto change) {
        Transform bad = place;
        Put(bad, Vector3{first.x + 20.0f, first.y, first.z});
        change(bad.matrix);
        Tell(*copy, bad);
        for (int row = 0; row < 4; ++row) EXPECT_EQ(Apart(RowOf(copy->local.matrix, row), RowOf(kept, row)), 0.0f) << what << " row " << row;
    };
    forged("one axis doubled", [](Matrix34& m) { for (float& word : m.rows[0]) word *= 2.0f; });
    forged("flattened to nothing", [](Matrix34& m) { std::fill(&m.rows[0][0], &m.rows[3][0], 0.0f); });
    forged("mirrored", [](Matrix34& m) { for (float& word : m.rows[0]) word = -word; });
    forged("sheared", [](Matrix34& m) {
        for (int column = 0; column < 3; ++column) m.rows[1][column] = 0.6f * m.rows[1][column] + 0.8f * m.rows[2][column];
    });
    forged("beyond any float's square", [](Matrix34& m) { m.rows[2][2] = 3e38f; });
    forged("not a number", [](Matrix34& m) { m.rows[1][1] = std::nanf(""); });
    forged("placed nowhere", [](Matrix34& m) { m.rows[3][0] = std::numeric_limits<float>::infinity(); });

    // A hundredth too long and slightly askew: taken, squared.
    Transform drifted = place;
    const Vector3 second = first.Sum(Vector3{0.0f, 0.0f, 25.0f});
    Put(drifted, second);
    for (int column = 0; column < 3; ++column) {
        drifted.matrix.rows[1][column] += 0.03f * drifted.matrix.rows[2][column];
        for (int row = 0; row < 3; ++row) drifted.matrix.rows[row][column] *= 1.01f;
    }
    Tell(*copy, drifted);
    EXPECT_NEAR(Apart(copy->Position(), second), 0.0f, 0.01f);
    const Matrix34& m = copy->local.matrix;
    for (int row = 0; row < 3; ++row) {
        EXPECT_NEAR(RowOf(m, row).Length(), scale, 1e-4f * scale) << row;
        EXPECT_NEAR(RowOf(m, row).Dot(RowOf(m, (row + 1) % 3)), 0.0f, 1e-4f * scale * scale) << row;
    }
    EXPECT_GT(RowOf(m, 1).Cross(RowOf(m, 2)).Dot(RowOf(m, 0)), 0.0f);
    // Forward kept, as the pilot flies it, and the copy's heading along it.
    EXPECT_NEAR(Apart(RowOf(m, 2).DividedBy(scale), RowOf(place.matrix, 2).DividedBy(scale)), 0.0f, 1e-4f);
    EXPECT_NEAR(Apart(copy->local.forward, RowOf(m, 2).DividedBy(scale)), 0.0f, 1e-5f);

    // Speeds no ship has: the host flies the copy on between reports no
    // faster than the fastest flight.
    std::vector<uint8_t> racing = Report(copy->uoid, drifted, Vector3{3e37f, 0.0f, 0.0f});
    PacketWriter out(racing.data(), uint32_t(racing.size()));
    out.F32(44, 3e37f);
    out.F32(48, 3e37f);
    Deliver(*host_, kMember, racing);
    const Vector3 reported = copy->Position();
    EXPECT_LE(copy->velocity.Length(), net_bounds::kFastestFlight + 0.01f);
    for (int frame = 0; frame < 20; ++frame) copy->Simulate(50);
    EXPECT_LE(Apart(copy->Position(), reported), net_bounds::kFastestFlight);
}

// The host builds a member's copy only of a hull the game offers its
// pilots: a capital ship, a raider, the pilot-only pod or a name the file
// lacks gets the offered hull, its weapons and its hull's strength.
TEST_F(NetPilotBoundsTest, AHullTheGameOffersNoPilotIsReplacedByTheOfferedOne) {
    Craft* const offered = Announce("P101");
    ASSERT_NE(offered, nullptr);
    const auto weaponsOf = [](Craft& craft) {
        std::multiset<int32_t> kinds;
        for (const ShipSystem* weapon : craft.GetWeaponList()) kinds.insert(weapon->typeId);
        return kinds;
    };
    const std::multiset<int32_t> weapons = weaponsOf(*offered);
    const int32_t strength = offered->GetMaxHitPoints(nullptr);
    for (const char* hull : {"Capital", "Marauder", "PILT", "Carrier", "P10", "p101", "P999", ""}) {
        // Each a new member's first ship, in the entry the last one left.
        host_->ClearPlayer(host_->FindPlayerByDpid(kMember + 1));
        Craft* const copy = Announce(hull, kMember + 1);
        ASSERT_NE(copy, nullptr) << hull;
        EXPECT_STREQ(copy->label, "P101") << hull;
        EXPECT_EQ(weaponsOf(*copy), weapons) << hull;
        EXPECT_EQ(copy->GetMaxHitPoints(nullptr), strength) << hull;
    }
}

// Announced again in a flight, a pilot's ship is the one the host made:
// the same copy, where its reports put it, with the hull, systems, start and
// allowances it had, and still a pilot's ship whatever its reports called
// it. One that left the flight (a jump, an eject) or died stays out of it,
// moved by no report, and nothing new flies in its place; an eject under
// fire is the kill of the last pilot who struck it.
TEST_F(NetPilotBoundsTest, AnnouncedAgainAShipIsTheOneTheHostMadeAndNothingComesBack) {
    Craft* const first = Announce("P101");
    ASSERT_NE(first, nullptr);
    const Vector3 start{first->spawnPoint[0], first->spawnPoint[1], first->spawnPoint[2]};
    const GunWeapon* gun = nullptr;
    for (ShipSystem* weapon : first->GetWeaponList()) {
        if (gun == nullptr && weapon->typeId == Weapon::kGun) gun = static_cast<GunWeapon*>(weapon);
    }
    ASSERT_NE(gun, nullptr);
    const auto fire = [&](Craft& from) {
        DamageRecord damage = gun->damageRecord;
        damage.source = &from;
        NetPacket shot;
        shot.BuildWeaponFire(kGunShot, damage, gun->rateOfFire, nullptr, 0, gun->explosionName, gun->partIndex, 0, Vector3{});
        const int before = Relayed(kGunShot);
        Deliver(*host_, kMember, Built(shot));
        return Relayed(kGunShot) - before;
    };
    // Past the ship window, so that a second announcement is heard: the
    // member, under fire at a quarter of its hull, spends all the flight
    // and fire it has in hand, and calls its ship a plain craft.
    builder_.Clock().Advance(NetSession::kShipWindowMs);
    const Vector3 spent = first->Position().Sum(Vector3{0.0f, 0.0f, Held()});
    Transform place = PlaceOf(*first);
    Put(place, spent);
    std::vector<uint8_t> report = Report(first->uoid, place);
    PacketWriter(report.data(), uint32_t(report.size())).U8(128, 25);
    PacketWriter(report.data(), uint32_t(report.size())).I32(120, 1);
    Deliver(*host_, kMember, report);
    ASSERT_NEAR(Apart(first->Position(), spent), 0.0f, 0.5f);
    const int32_t hull = first->hitPoints;
    EXPECT_EQ(hull * 100 / first->GetMaxHitPoints(nullptr), 25);
    EXPECT_EQ(fire(*first), 1);
    EXPECT_EQ(fire(*first), 1);
    EXPECT_EQ(fire(*first), 0);
    first->GetWeaponList()[0]->damage = 1;   // a mark no new copy carries

    EXPECT_EQ(Announce("Capital"), first);
    EXPECT_EQ(first->type, SpaceObject::kTypeAiShip);
    EXPECT_NEAR(Apart(first->Position(), spent), 0.0f, 0.01f);
    EXPECT_EQ(first->hitPoints, hull);
    EXPECT_EQ(first->GetWeaponList()[0]->damage, 1);
    EXPECT_EQ(fire(*first), 0);
    EXPECT_EQ(Apart(Vector3{first->spawnPoint[0], first->spawnPoint[1], first->spawnPoint[2]}, start), 0.0f);

    // Two pilots strike the next one in turn; it is ejected from.
    Craft* const striker = Announce("P101", kMember + 10);
    Craft* const last = Announce("P101", kMember + 11);
    ASSERT_TRUE(striker != nullptr && last != nullptr);
    const size_t ships = copies_.size();
    for (const int32_t how : {0, 1, 2}) {   // a jump, an eject, a death
        const uint32_t dpid = kMember + 1 + uint32_t(how);
        Craft* const ship = Announce("P101", dpid);
        ASSERT_NE(ship, nullptr);
        SpaceObject* const gate = how == 0 ? Gate(ship->Position().Sum(Vector3{0.0f, 0.0f, 150.0f})) : nullptr;
        for (Craft* const attacker : {striker, last, striker, last}) {
            if (how == 1) host_->NoteHit(ship->uoid, attacker);
            builder_.Clock().Advance(100);
        }
        host_->kills.clear();
        Deliver(*host_, dpid, RemovalRequest(*ship, how == 2 ? 1 : 0));
        EXPECT_FALSE(net_bounds::Flying(*ship)) << how;
        if (how == 1) {
            ASSERT_EQ(host_->kills.size(), 1u);
            EXPECT_TRUE(host_->kills[0].killer == last->uoid && host_->kills[0].victim == ship->uoid);
        }
        // At once, and once a death has run its course.
        for (int pass = 0; pass < 2; ++pass) {
            builder_.Clock().Advance(NetSession::kShipWindowMs);
            EXPECT_EQ(Announce("P101", dpid), ship) << how;
            EXPECT_FALSE(net_bounds::Flying(*ship)) << how;
            EXPECT_EQ(copies_.size(), ships + size_t(how) + 1) << how;
            const Vector3 there = ship->Position();
            Fly(*ship, there.Sum(Vector3{0.0f, 0.0f, 100.0f}), dpid);
            EXPECT_EQ(Apart(ship->Position(), there), 0.0f) << how;
            // Nor does it launch anything.
            EXPECT_EQ(Launch(*ship, SpaceObject::kTypeMissile, "Missile 29", nullptr, 0, dpid), nullptr) << how;
            for (int frame = 0; frame < 40; ++frame) {
                builder_.Clock().Advance(50);
                builder_.Game().Simulate();
            }
        }
        EXPECT_EQ(ship->active, 0u) << how;
        if (gate != nullptr) builder_.Remove(gate);
    }
}

// A member's report that its ship met a travel goal counts where the host
// holds the copy within the goal's own distance of it: not from far off,
// and, told ahead of the place it was met at, once the copy's next report
// brings it there, not after the report has waited too long.
TEST_F(NetPilotBoundsTest, AGoalReportCountsOnlyWithinTheGoalsDistanceOfTheCopy) {
    Craft* const copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    SpaceObject* const buoy = Buoy(copy->Position().Sum(Vector3{0.0f, 0.0f, 2500.0f}));
    Goal* const goal = Leg(buoy);
    const auto met = [&] {
        ReportGoal(*copy, *goal);
        return goal->met != 0;
    };
    const auto toward = [&](float left) { FlyTo(*copy, buoy->Position().Sum(Vector3{0.0f, 0.0f, -left})); };
    toward(1450.0f);
    EXPECT_FALSE(met());
    toward(260.0f);
    EXPECT_FALSE(met());
    builder_.Clock().Advance(net_bounds::kGoalReportMs + 1);
    Fly(*copy, buoy->Position().Sum(Vector3{0.0f, 0.0f, -240.0f}));
    EXPECT_EQ(goal->met, 0);   // told too long before
    toward(260.0f);
    EXPECT_FALSE(met());
    Fly(*copy, buoy->Position().Sum(Vector3{0.0f, 0.0f, -240.0f}));
    EXPECT_EQ(goal->met, 1);
    EXPECT_EQ(goal->metBy, copy);
}

// Goals told met ahead of the copy wait each for itself: two told together
// are both met when the copy comes within reach of them in time, a later
// report does not lengthen an earlier one's wait, and a member telling
// more than the host keeps has the rest refused, not the waiting ones dropped.
TEST_F(NetPilotBoundsTest, EachGoalReportedAheadOfTheCopyWaitsItsOwnTime) {
    Craft* const copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    // A buoy past a second's flight ahead, and the report that brings the copy within reach of it.
    const auto buoyAhead = [&] { return Buoy(copy->Position().Sum(Vector3{0.0f, 0.0f, 600.0f})); };
    const auto arrive = [&](const SpaceObject& buoy) { Fly(*copy, buoy.Position().Sum(Vector3{0.0f, 0.0f, -240.0f})); };

    SpaceObject* buoy = buoyAhead();
    Goal* const first = Leg(buoy);
    Goal* const second = Leg(buoy);
    ReportGoal(*copy, *first);
    ReportGoal(*copy, *second);
    EXPECT_EQ(first->met + second->met, 0);
    builder_.Clock().Advance(net_bounds::kGoalReportMs);
    arrive(*buoy);
    EXPECT_EQ(std::tuple(first->met, first->metBy, second->met, second->metBy), std::tuple(1, copy, 1, copy));

    buoy = buoyAhead();
    Goal* const early = Leg(buoy);
    Goal* const late = Leg(buoy);
    ReportGoal(*copy, *early);
    builder_.Clock().Advance(3000);
    ReportGoal(*copy, *late);
    builder_.Clock().Advance(net_bounds::kGoalReportMs - 3000 + 1);
    arrive(*buoy);
    EXPECT_EQ(early->met, 0);   // told too long before
    EXPECT_EQ(late->met, 1);

    builder_.Clock().Advance(1000);
    buoy = buoyAhead();
    std::vector<Goal*> legs;
    for (int32_t i = 0; i <= NetPlayer::kReportedGoals; ++i) legs.push_back(Leg(buoy));
    for (const Goal* leg : legs) ReportGoal(*copy, *leg), ReportGoal(*copy, *legs.front());
    arrive(*buoy);
    for (int32_t i = 0; i < NetPlayer::kReportedGoals; ++i) EXPECT_EQ(legs[size_t(i)]->met, 1) << i;
    EXPECT_EQ(legs.back()->met, 0);
    // Told again from where it is met, it counts.
    ReportGoal(*copy, *legs.back());
    EXPECT_EQ(legs.back()->met, 1);
}

// Only a report that would meet the goal where the copy stands waits for
// the copy: not one that says the goal was not met. A leg its last leg
// switches on, told of before, is met with that one once the copy comes;
// none outlives the pilot who sent it in the entry the next takes, nor its flight.
TEST_F(NetPilotBoundsTest, OnlyAReportThatWouldMeetTheGoalWaitsAndNotPastItsPilot) {
    Craft* const copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    const auto buoyAhead = [](const SpaceObject& ship, SpaceObject* buoy) {
        buoy->SetPositionFlags(ship.Position().Sum(Vector3{0.0f, 0.0f, 600.0f}), Transform::kAllFlags);
        return buoy;
    };
    const auto arrive = [&](const Craft& ship, const SpaceObject& buoy, uint32_t dpid) {
        Transform place = PlaceOf(ship);
        Put(place, buoy.Position().Sum(Vector3{0.0f, 0.0f, -240.0f}));
        Tell(ship, place, dpid);
    };
    SpaceObject* const buoy = Buoy(Vector3{0.0f, 0.0f, 0.0f});

    Goal* const notMet = Leg(buoyAhead(*copy, buoy));
    ReportGoal(*copy, *notMet, 0);
    arrive(*copy, *buoy, kMember);
    EXPECT_EQ(notMet->met, 0);

    builder_.Clock().Advance(1000);
    Goal* const first = Leg(buoyAhead(*copy, buoy));
    Goal* const chained = first->nextGoal = Leg(buoy);
    chained->active = 0;
    ReportGoal(*copy, *chained);
    ReportGoal(*copy, *first);
    arrive(*copy, *buoy, kMember);
    EXPECT_EQ(std::tuple(first->met, chained->met, chained->metBy), std::tuple(1, 1, copy));

    builder_.Clock().Advance(1000);
    Goal* const left = Leg(buoyAhead(*copy, buoy));
    const int32_t entry = host_->FindPlayerByDpid(kMember);
    ReportGoal(*copy, *left);
    host_->OnDestroyPlayer(kMember);
    Craft* const next = Announce("P101", kMember + 1);
    ASSERT_NE(next, nullptr);
    ASSERT_EQ(host_->FindPlayerByDpid(kMember + 1), entry);
    arrive(*next, *buoyAhead(*next, buoy), kMember + 1);
    ASSERT_LT(Apart(next->Position(), buoy->Position()), left->distance);
    EXPECT_EQ(left->met, 0);
    builder_.Clock().Advance(NetSession::kShipWindowMs);   // its next flight's announcement
    Goal* const last = Leg(buoyAhead(*next, buoy));
    ReportGoal(*next, *last, 1, kMember + 1);
    copies_.erase(std::find(copies_.begin(), copies_.end(), next));
    builder_.Remove(next);
    Craft* const again = Announce("P101", kMember + 1);
    ASSERT_NE(again, nullptr);
    arrive(*again, *buoyAhead(*again, buoy), kMember + 1);
    EXPECT_EQ(last->met, 0);
}

// A travel leg is met within its own distance of its subject, however
// large the subject; only the jump through a gate takes a ship that
// touches the gate from farther off.
TEST_F(NetPilotBoundsTest, ALegIsMetWithinItsDistanceAndOnlyTheJumpByTouchingTheGate) {
    Craft* const copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    SpaceObject* const gate = Gate(copy->Position().Sum(Vector3{0.0f, 0.0f, 1500.0f}), 400.0f);
    Goal* const leg = Leg(gate);
    Goal* const jump = Leg(gate, 250.0f, Goal::kJumpThrough);
    const float touching = gate->Radius() + copy->Radius() - 10.0f;
    ASSERT_GT(touching, leg->distance + 10.0f);
    FlyTo(*copy, gate->Position().Sum(Vector3{0.0f, 0.0f, -touching}));
    ReportGoal(*copy, *leg);
    ReportGoal(*copy, *jump);
    EXPECT_EQ(leg->met, 0);
    EXPECT_EQ(std::tuple(jump->met, jump->metBy), std::tuple(1, copy));
    builder_.Clock().Advance(1000);
    Fly(*copy, gate->Position().Sum(Vector3{0.0f, 0.0f, -(leg->distance - 10.0f)}));
    EXPECT_EQ(std::tuple(leg->met, leg->metBy), std::tuple(1, copy));
}

// A ship jumps into a gate from as far as the jump reaches, not farther,
// and has nothing left in hand when it lands there; the gate that is no
// jump's takes it in only from beside it.
TEST_F(NetPilotBoundsTest, AJumpGateTakesTheShipInFromTheJumpsReachAndNoFarther) {
    Craft* const copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    const Vector3 made = copy->Position();
    const auto gateAt = [&](float ahead) {
        SpaceObject* const gate = builder_.Spawn(builder_.Ball("GATE", 100.0f), 2);
        gate->type = SpaceObject::kTypeJumpGate;
        gate->active = 1;
        gate->SetPositionFlags(made.Sum(Vector3{0.0f, 0.0f, ahead}), Transform::kAllFlags);
        return gate;
    };
    SpaceObject* const gate = gateAt(1500.0f);
    SpaceObject* const stray = gateAt(-1000.0f);
    Goal* const jump = MakeGoal(Goal::kTravel, nullptr);
    jump->destination = gate;
    jump->distance = 1200.0f;
    builder_.Game().jumpGoal = jump;

    Fly(*copy, stray->Position());
    EXPECT_NEAR(Apart(copy->Position(), made), Held(), 0.5f);
    builder_.Clock().Advance(1000);
    const Vector3 from = copy->Position();
    Fly(*copy, gate->Position());
    EXPECT_NEAR(Apart(copy->Position(), from), Held(), 0.5f) << "the jump's reach and a second's flight fall short";
    builder_.Clock().Advance(1000);
    Fly(*copy, gate->Position());
    EXPECT_NEAR(Apart(copy->Position(), gate->Position()), 0.0f, 0.01f);
    Fly(*copy, gate->Position().Sum(Vector3{300.0f, 0.0f, 0.0f}));
    EXPECT_NEAR(Apart(copy->Position(), gate->Position()), 0.0f, 0.01f);
    builder_.Remove(gate);
    builder_.Remove(stray);
}

// A copy the host brings back after a death flies on from where it came
// back, whatever its pilot said while it was a wreck.
TEST_F(NetPilotBoundsTest, ACopyBroughtBackFliesOnFromItsReturn) {
    Craft* const copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    const Vector3 home = copy->Position();
    const auto flies = [&](const Vector3& at) {
        Fly(*copy, at);
        return Apart(copy->Position(), at) < 0.01f;
    };
    for (int second = 1; second <= 3; ++second) {
        builder_.Clock().Advance(1000);
        ASSERT_TRUE(flies(home.Sum(Vector3{0.0f, 0.0f, 380.0f * float(second)})));
    }
    // Its wreck drifts where its pilot says; the host brings it back home.
    copy->dead = 1;
    Fly(*copy, home.Sum(Vector3{0.0f, 0.0f, 1600.0f}));
    copy->RespawnAt(home);
    EXPECT_TRUE(flies(home.Sum(Vector3{10.0f, 0.0f, 0.0f})));
    // Brought back again with no word heard in between.
    builder_.Clock().Advance(1000);
    ASSERT_TRUE(flies(home.Sum(Vector3{0.0f, 0.0f, 390.0f})));
    ++copy->deaths;
    copy->RespawnAt(home);
    builder_.Clock().Advance(1000);
    EXPECT_TRUE(flies(home.Sum(Vector3{-20.0f, 0.0f, 0.0f})));
}

// A pulse is a frame's at most: one charge, however much the weapon has
// saved up; two charges go in two pulses, then only what the charge
// brings back a second.
TEST_F(NetPilotBoundsTest, APulseIsOneChargeAtMostAndTheChargeComesBackASecond) {
    constexpr int32_t kCharge = 6;
    auto* const ship = builder_.SpawnAs<Craft>(builder_.Template("SHIP0"), 3);
    ship->uoid = 30;
    ship->type = SpaceObject::kTypeAiShip;
    ship->active = 1;
    const int32_t damage[5] = {40, 30, 0, 0, 20};
    auto* const beam = new BeamWeapon(ship, 0, 0, Weapon::kGunGroup, 30, 2000, damage, "Ion Beam", nullptr);
    beam->empCharge = kCharge;
    ship->AddSystem(0, beam);
    auto* const target = builder_.SpawnAs<Craft>(builder_.Template("SHIP1"), 3);
    target->uoid = 31;
    target->type = SpaceObject::kTypeAiShip;
    target->active = 1;
    target->SetPositionFlags(Vector3{0.0f, 0.0f, 500.0f}, Transform::kAllFlags);
    host_->AddPlayer(7, "Eve", ship->uoid);
    const auto pulse = [&](int32_t amount) {
        std::vector<uint8_t> bytes = Packet(kEmpDamage, NetPacket::kEmpDamageBytes);
        PacketWriter out(bytes.data(), NetPacket::kEmpDamageBytes);
        out.I32(8, target->uoid);
        out.I32(12, amount);
        const int before = Relayed(kEmpDamage);
        Deliver(*host_, 7, bytes);
        return Relayed(kEmpDamage) - before;
    };
    // The charge's worth and its time: {ms waited, amount, pulses relayed}.
    const int32_t steps[][3] = {{0, kCharge + 1, 0}, {0, 2 * kCharge - 1, 0}, {0, kCharge, 1}, {0, kCharge, 1},
                                {0, 1, 0},           {500, kCharge / 2, 1},   {0, 1, 0},       {3000, kCharge + 1, 0},
                                {0, kCharge, 1},     {0, -1, 0}};
    for (const auto& [wait, amount, relayed] : steps) {
        builder_.Clock().Advance(uint32_t(wait));
        EXPECT_EQ(pulse(amount), relayed) << "after " << wait << " ms, " << amount;
    }
    builder_.Remove(target);
    builder_.Remove(ship);
}

// A member's rack keeps the pace its trigger keeps: after a rest a third
// missile or mine waits the refire delay. An honest pilot's requests, sent a
// delay apart, may arrive more than a shot's lag closer, and none is lost;
// a member asking four times a second launches no faster than the pace on
// average, nor ever more than one round ahead of it.
TEST_F(NetPilotBoundsTest, AMembersRackLaunchesAtItsTriggersPace) {
    Craft* const copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    const struct {
        int32_t kind;
        const char* definition;
        int32_t rackKind;
    } racks[] = {{SpaceObject::kTypeMissile, "Missile 29", Weapon::kMissileLauncher},
                 {SpaceObject::kTypeMine, "Mine", Weapon::kObjectLauncher}};
    for (const auto& each : racks) {
        // Named apart: a lambda below takes them, which a structured binding may not be.
        const int32_t kind = each.kind;
        const char* const definition = each.definition;
        Weapon* const rack = Rack(*copy, each.rackKind);
        ASSERT_NE(rack, nullptr) << definition;
        rack->ammunition = 100;
        const uint32_t delay = uint32_t(rack->refireDelay);
        const uint32_t lag = net_bounds::kShotLagMs;
        ASSERT_GT(delay, lag) << definition;
        const auto launches = [&] { return Launches(*copy, kind, definition); };
        builder_.Clock().Advance(delay);
        EXPECT_TRUE(launches() && launches() && !launches()) << definition;
        builder_.Clock().Advance(delay - 1);
        EXPECT_FALSE(launches()) << definition;
        builder_.Clock().Advance(1);
        EXPECT_TRUE(launches()) << definition;

        // Sent a delay apart, every other one held up past a lag.
        builder_.Clock().Advance(3 * delay);
        for (int sent = 0; sent < 12; ++sent) {
            EXPECT_TRUE(launches()) << definition << " " << sent;
            builder_.Clock().Advance(sent % 2 == 0 ? delay + lag + 100 : delay - lag - 100);
        }

        // Asked four times a second, or every time a lag early: at every
        // moment the rounds of the pace so far and one ahead at most, and
        // the pace's rounds it does get.
        for (const uint32_t every : {250u, delay - lag}) {
            builder_.Clock().Advance(3 * delay);
            int launched = 0;
            for (uint32_t at = 0; at < 10 * delay; at += every) {
                launched += launches() ? 1 : 0;
                ASSERT_LE(launched, int(at / delay) + 2) << definition << " every " << every << " at " << at;
                builder_.Clock().Advance(every);
            }
            EXPECT_GE(launched, 9) << definition << " every " << every;
        }
    }
}

// What a member asks for leaves its ship's launchers, each launch taking a
// round: its one decoy and then none, its mine layer's mines and then none,
// however long it waits; a missile homes on the target the request names,
// or on none.
TEST_F(NetPilotBoundsTest, AMembersLaunchesTakeTheirRoundsAndHomeWhereAsked) {
    Craft* const copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    auto* const decoys = static_cast<DecoySystem*>(copy->GetSystem(ShipSystem::kDecoy, nullptr));
    Weapon* const layer = Rack(*copy, Weapon::kObjectLauncher);
    ASSERT_TRUE(decoys != nullptr && layer != nullptr);
    layer->ammunition = 3;
    const int32_t left[2] = {decoys->decoysLeft, layer->ammunition};
    const int32_t kinds[2] = {SpaceObject::kTypeDecoy, SpaceObject::kTypeMine};
    const char* const definitions[2] = {"Decoy", "Mine"};
    for (int i = 0; i < 2; ++i) {
        int launched = 0;
        for (int asked = 0; asked < left[i] + 3; ++asked) {
            builder_.Clock().Advance(uint32_t(layer->refireDelay));
            launched += Launches(*copy, kinds[i], definitions[i]) ? 1 : 0;
        }
        EXPECT_EQ(launched, left[i]) << definitions[i];
    }

    for (SpaceObject* const target : {static_cast<SpaceObject*>(hostShip_), static_cast<SpaceObject*>(nullptr)}) {
        builder_.Clock().Advance(uint32_t(Rack(*copy, Weapon::kMissileLauncher)->refireDelay));
        auto* const missile = dynamic_cast<Missile*>(Launch(*copy, SpaceObject::kTypeMissile, "Missile 29", target, 0));
        ASSERT_NE(missile, nullptr);
        EXPECT_EQ(missile->target.Get(), target);
        EXPECT_EQ(missile->owner.Get(), copy);
        builder_.Remove(missile);
    }
}

// A member's copy rearms where its pilot's own reload goal rearms the
// pilot's ship: at rest within the dock's reach of the depot, once, while
// the depot is in the world. Resting there before the depot comes brings a
// launch back; at rest just beyond the reach, or passing it at speed while
// saying it stands still, its racks stay dry; at rest within it they are
// full (a disabled rack left out of its group, launching nothing) and launch again, and
// resting there again after they ran dry once more fills nothing.
TEST_F(NetPilotBoundsTest, AMembersCopyRearmsAtRestBesideADepotAndLaunchesAgain) {
    Craft* copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    SpaceObject* const depot =
        DefinitionLibrary::Current().LoadObjectDefinition("Depot", nullptr, SpaceObject::kTypeAiShip, 0);
    ASSERT_NE(depot, nullptr);
    builder_.Game().AddObjectsToWorld(depot, 0);
    depot->Activate(0.0f);
    depot->SetPositionFlags(copy->Position().Sum(Vector3{0.0f, 0.0f, 700.0f}), Transform::kAllFlags);
    const float reach = depot->Radius() + copy->Radius() + ReloadGoal::kDockReach;
    const Vector3 beside = depot->Position().Sum(Vector3{0.0f, 0.0f, 50.0f - reach});
    const Vector3 near = depot->Position().Sum(Vector3{0.0f, 0.0f, -50.0f - reach});
    const uint32_t delay = uint32_t(Rack(*copy, Weapon::kMissileLauncher)->refireDelay);
    Weapon* const lead = Rack(*copy, Weapon::kMissileLauncher);
    const auto launches = [&] {
        builder_.Clock().Advance(delay);
        return Launches(*copy, SpaceObject::kTypeMissile, "Missile 29");
    };
    const auto runDry = [&] {
        int launched = 0;
        while (launched < 50 && launches()) ++launched;
        return launched;
    };
    const auto report = [&](const Vector3& at, float speed) {
        builder_.Clock().Advance(1000);
        Transform place = PlaceOf(*copy);
        Put(place, at);
        Deliver(*host_, kMember, Report(copy->uoid, place, Vector3{0.0f, 0.0f, speed}));
    };
    constexpr int32_t full = 4;   // a P101's two racks of two
    depot->active = 0;            // held out of the world, as a mission's link holds a later arrival
    EXPECT_TRUE(launches());
    for (int i = 0; i < 3; ++i) report(beside, 0.0f);   // flown there in two reports at most
    EXPECT_EQ(1 + runDry(), full);
    static_cast<Craft*>(depot)->ArriveByJump();
    report(near, 0.0f);
    report(near, 0.0f);
    ASSERT_NEAR(Apart(copy->Position(), near), 0.0f, 0.01f);
    EXPECT_FALSE(launches());
    for (const float x : {-380.0f, 0.0f, 380.0f}) report(beside.Sum(Vector3{x, 0.0f, 0.0f}), 0.0f);
    EXPECT_FALSE(launches());
    report(beside, 300.0f);
    ASSERT_NEAR(Apart(copy->Position(), beside), 0.0f, 0.01f);
    EXPECT_FALSE(launches());
    lead->SetDamage(lead->maxDamage);
    report(beside, 0.0f);
    EXPECT_EQ(lead->group, Weapon::kNoGroup);
    // A wreck launches nothing, nor does its sister hand it the group on running dry.
    EXPECT_EQ(runDry(), full / 2);
    lead->SetDamage(0);
    report(near, 0.0f);
    report(beside, 0.0f);
    report(beside, 0.0f);
    EXPECT_FALSE(launches());
    // A reload goal is each machine's own: the member's word of it, at
    // rest beside the depot, leaves the host's own pilot's open.
    const Goal* reload = nullptr;
    for (const Goal* goal = GetGoalList(); goal != nullptr; goal = goal->next) {
        if (goal->GetKind() == Goal::kReload && goal->GetSubject() == depot) reload = goal;
    }
    ASSERT_NE(reload, nullptr);
    ReportGoal(*copy, *reload);
    EXPECT_EQ(reload->met, 0);
    EXPECT_EQ(reload->done, 0);
    // The next flight's copy, its racks run dry, rearms there afresh.
    const int32_t first = copy->uoid;
    copies_.erase(std::find(copies_.begin(), copies_.end(), copy));
    builder_.Remove(copy);
    copy = Announce("P101");
    ASSERT_NE(copy, nullptr);
    ASSERT_NE(copy->uoid, first);
    // A rack wrecked while it holds its group launches nothing on its pilot's word.
    Weapon* const wreck = Rack(*copy, Weapon::kMissileLauncher);
    wreck->SetDamage(wreck->maxDamage);
    EXPECT_EQ(runDry(), 0);
    wreck->SetDamage(0);
    EXPECT_EQ(runDry(), full);
    report(near, 0.0f);
    report(near, 0.0f);
    report(beside, 0.0f);
    report(beside, 0.0f);
    EXPECT_EQ(runDry(), full);
    builder_.Remove(depot);
}

}  // namespace

// The host holds a member's hull and shield as the same hull flown here
// holds its own. Another member's fire lowers the copy as
// the member's own machine lowers its ship, whatever the member reports: a
// report above the held hull, or beyond 0 to 100 per cent, changes nothing,
// and a lower one lowers it. Once the hits add up the copy dies as any ship
// the host destroys: its end told to every machine, the kill told and
// scored once, however the member's own word of that death follows.
TEST_F(NetPilotBoundsTest, AMemberReportingAWholeHullIsShotDownWhenTheHostsHitsAddUp) {
    builder_.Game().randomMissions = std::make_shared<RandomMissionGenerator>();
    settings_.gameType = NetGameSettings::kDeathMatch;
    host_->announceKills = true;
    host_->AddPlayer(kMember, "Bob", -1);
    host_->AddPlayer(kMember + 1, "Cid", -1);
    // Bob flies a hull without armour, which would turn the laser for good.
    Craft* const bob = Announce("P102", kMember);
    Craft* const cid = Announce("P101", kMember + 1);
    ASSERT_TRUE(bob != nullptr && cid != nullptr);
    const GunWeapon* gun = nullptr;
    for (ShipSystem* weapon : cid->GetWeaponList()) {
        if (gun == nullptr && weapon->typeId == Weapon::kGun) gun = static_cast<GunWeapon*>(weapon);
    }
    ASSERT_NE(gun, nullptr);
    // A second of Cid's laser on Bob.
    const auto fire = [&] {
        DamageRecord damage = gun->damageRecord;
        damage.source = cid;
        NetPacket shot;
        shot.BuildWeaponFire(kGunShot, damage, gun->rateOfFire, bob, 0, gun->explosionName, gun->partIndex, 0, Vector3{});
        Deliver(*host_, kMember + 1, Built(shot));
    };
    // Bob's word on his hull, his records' low bytes as his copy holds them
    // unless `bytes` says otherwise; his shield, and his speed ahead.
    const auto report = [&](uint8_t percent, int bytes = -1, uint8_t depletion = 0, float speed = 0.0f) {
        const Vector3 ahead = RowOf(bob->world.matrix, 2).DividedBy(bob->world.scale);
        std::vector<uint8_t> said = Report(bob->uoid, PlaceOf(*bob), ahead.Scaled(speed));
        PacketWriter out(said.data(), uint32_t(said.size()));
        out.F32(44, speed);
        out.U8(128, percent);
        out.U8(124, depletion);
        for (int32_t i = 0; i < 12 && i < bob->HitPointRecordCount(); ++i) {
            out.U8(132 + uint32_t(i), uint8_t(bytes >= 0 ? bytes : bob->HitPointRecord(i).hp & 0xFF));
        }
        Deliver(*host_, kMember, said);
    };
    const auto records = [&] {
        std::vector<int32_t> held;
        for (int32_t i = 0; i < bob->HitPointRecordCount(); ++i) held.push_back(bob->HitPointRecord(i).hp);
        return held;
    };
    const int32_t most = bob->GetMaxHitPoints(nullptr);
    DefinitionLibrary& library = DefinitionLibrary::Current();
    auto* const twin = dynamic_cast<Craft*>(library.LoadObjectDefinition("P102", nullptr, SpaceObject::kTypePlayerShip, 0));
    copies_.push_back(twin);
    library.LoadShipDefinition(twin, nullptr, nullptr, 0);
    twin->StartAt(bob->Position().Sum(Vector3{300.0f, 0.0f, 0.0f}));
    builder_.Game().AddObjectsToWorld(twin, 0);
    const auto shield = [](Craft* craft) { return static_cast<ShieldSystem*>(craft->GetSystem(ShipSystem::kShield, nullptr)); };
    const auto fly = [&](int seconds) {
        for (int frame = 0; frame < 10 * seconds; ++frame) {
            builder_.Clock().Advance(100);
            builder_.Game().Simulate();
        }
    };
    // A 20 ms frame of laser every 5 s, at each difficulty in turn.
    for (int hit = 0; hit < 20; ++hit) {
        builder_.Game().difficulty = hit % 2 == 0 ? 1 : 4;
        for (Craft* at : {bob, twin}) Fire(*gun, cid, at, kMember + 1, 20);
        ASSERT_EQ(shield(bob)->FacingSum(), shield(twin)->FacingSum()) << hit;
        fly(5);
    }
    EXPECT_EQ(bob->hitPoints + twin->hitPoints, 2 * most);
    // Drained by its pilot's word, never raised by it, it comes back: flying
    // on as its pilot says, whatever its engine would; whole after a death.
    const int64_t full = shield(bob)->capacity;
    for (const auto& [depletion, left] : {std::pair{40, full * 6 / 10}, {0, full * 6 / 10}, {100, int64_t(0)}}) {
        report(100, -1, uint8_t(depletion), 100.0f);
        NetObjectState state;
        bob->FillNetState(state);
        EXPECT_EQ(shield(bob)->FacingSum() * 100 / full, 100 - state.shieldDepletion);
        EXPECT_EQ(shield(bob)->FacingSum(), left) << depletion;
    }
    const Vector3 from = bob->Position();
    fly(5);
    EXPECT_EQ(shield(bob)->FacingSum(), full);
    EXPECT_NEAR(Apart(bob->Position(), from), 500.0f, 1.0f);
    report(100, -1, 100);
    bool tried = false;
    int32_t held = bob->hitPoints;
    for (int second = 0; second < 600 && bob->dead == 0; ++second) {
        builder_.Clock().Advance(1000);
        report(100);
        ASSERT_EQ(bob->hitPoints, held) << second;
        fire();
        ASSERT_LE(bob->hitPoints, held) << second;
        held = bob->hitPoints;
        if (tried || bob->dead != 0 || held >= most || held * 100 / most < 30) continue;
        tried = true;
        const std::vector<int32_t> before = records();
        for (const uint8_t word : {uint8_t(100), uint8_t(127), uint8_t(156), uint8_t(255)}) {
            report(word, 0xFF);
            EXPECT_EQ(bob->hitPoints, held) << int(word);
            EXPECT_EQ(records(), before) << int(word);
        }
        const int32_t lower = int32_t(held * 100 / most) - 10;
        report(uint8_t(lower));
        EXPECT_EQ(bob->hitPoints * 100 / most, lower);
        held = bob->hitPoints;
    }
    ASSERT_TRUE(tried);
    ASSERT_NE(bob->dead, 0u);
    const auto told = [&](uint16_t type) {
        int count = 0;
        for (const auto& sent : host_->sent) {
            PacketReader in(sent.bytes.data(), uint32_t(sent.bytes.size()));
            count += in.U16(0) == type && (type != kObjectDestroy || in.I32(8) == bob->uoid) ? 1 : 0;
        }
        return count;
    };
    // Bob's own machine saw it too, and says so.
    builder_.Clock().Advance(50);
    Deliver(*host_, kMember, RemovalRequest(*bob, 1, cid));
    NetPacket death;
    death.BuildObjectEventPacket(kDeath, cid, bob);
    Deliver(*host_, kMember, Built(death));
    EXPECT_EQ(told(kObjectDestroy), 1);
    EXPECT_EQ(told(kMessage), 1);
    EXPECT_EQ(host_->Player(host_->FindPlayerByDpid(kMember + 1))->kills, 1);
    for (int frame = 0; frame < 40; ++frame) {
        builder_.Clock().Advance(50);
        builder_.Game().Simulate();
    }
    EXPECT_EQ(bob->deaths, 1);
    bob->Respawn();
    EXPECT_EQ(shield(bob)->FacingSum() + bob->hitPoints, full + most);
}

// A teammate's copy is no wingman: the host's own fire on it in a
// cooperative game warns the host of nothing and never has the copy desert
// the players' side, however often it strikes.
TEST_F(NetPilotBoundsTest, TheHostsFireOnATeammatesCopyMakesNoDeserter) {
    settings_.gameType = NetGameSettings::kCooperative;
    Craft* const bob = Announce("P101");
    ASSERT_NE(bob, nullptr);
    const int32_t side = bob->side;
    hostShip_->side = side;
    for (int hit = 0; hit < 12; ++hit) {
        builder_.Clock().Advance(300);
        DamageRecord graze;
        graze.amounts[0] = 1;
        graze.source = hostShip_;
        bob->TakeDamage(0, graze, hostShip_);
    }
    EXPECT_EQ(bob->side, side);
    EXPECT_STREQ(builder_.Game().TheCockpit().WarningAt(GetMilliseconds()), "");
}

// A career pilot's ship reaches the host as its squadron pages fitted it:
// the copy weighs what the ship weighs, takes each hit as the ship takes it
// (the dice that share a hit between hull and systems thrown alike) and
// switches its pilot's ECM, told to every machine, and jammer. A fit the
// hull cannot take (an item the game lacks or offers no pilot, one with no
// mount there, more than the mounts take) leaves the copy its hull's own; a
// fit cut or spoilt on the way makes no copy.
TEST_F(NetPilotBoundsTest, AFittedPilotsCopyIsItsShipAndAFitTheHullCannotTakeIsRefused) {
    Craft* const cid = Announce("P101", kMember + 1);
    Craft* const plain = PilotsShip({});
    Craft* const pilots = PilotsShip({"Armor 2", "ECM 1", "Jammer 1"});
    NetPacket announce;
    announce.BuildObjectPacket(kNewPlayer, pilots);
    const std::vector<uint8_t> fitted = Built(announce);
    Craft* const copy = Announce(fitted, kMember);
    ASSERT_TRUE(cid != nullptr && copy != nullptr);
    EXPECT_EQ(copy->mass, pilots->mass);
    pilots->SetPositionFlags(copy->Position(), Transform::kAllFlags);
    builder_.Game().AddObjectsToWorld(pilots, 0);
    pilots->Activate(0.0f);
    const auto* const gun = static_cast<GunWeapon*>(Rack(*cid, Weapon::kGun));
    // Until the hull has given a quarter, its shields and armour worn through.
    for (int second = 0; second < 120 && copy->hitPoints * 4 > copy->GetMaxHitPoints(nullptr) * 3; ++second) {
        builder_.Clock().Advance(2000);
        for (Craft* target : {copy, pilots}) {
            GameRandomSeed(uint32_t(second + 1));
            Fire(*gun, cid, target, kMember + 1);
        }
        ASSERT_EQ(copy->hitPoints, pilots->hitPoints) << second;
    }
    EXPECT_LE(copy->hitPoints * 4, copy->GetMaxHitPoints(nullptr) * 3);
    NetPacket ecm;
    ecm.BuildEcmStatus(kEcmStatus, copy->uoid, 1000, 40, 30);
    Deliver(*host_, kMember, Built(ecm));
    EXPECT_EQ(Relayed(kEcmStatus), 1);
    std::vector<uint8_t> jamming = Report(copy->uoid, PlaceOf(*copy));
    PacketWriter(jamming.data(), uint32_t(jamming.size())).U16(130, 2000);
    Deliver(*host_, kMember, jamming);
    EXPECT_EQ(builder_.Game().ActiveJammers().Count(), 1);

    // The bought items are the fit's last three; the fit follows the name "Ace".
    const uint32_t count = fitted[52];
    const auto item = [&](uint32_t i) { return 53 + NetPacket::kFitItemBytes * (count - 3 + i); };
    const auto with = [&](uint32_t at, const std::vector<uint8_t>& bytes, size_t size = 0) {
        std::vector<uint8_t> changed = fitted;
        std::copy(bytes.begin(), bytes.end(), changed.begin() + at);
        changed.resize(size != 0 ? size : changed.size());
        PacketWriter(changed.data(), uint32_t(changed.size())).U16(2, uint16_t(changed.size()));
        return changed;
    };
    uint32_t member = kMember + 1;
    // Unknown, offered to no pilot, in the armour's bay, in the jammer's cells.
    const std::vector<uint8_t> jammersCells(fitted.begin() + item(2) + 16, fitted.begin() + item(2) + 19);
    for (const auto& bytes : {with(item(0), {'W', 0}), with(item(0) + 6, {'1', '3', 0}), with(item(1) + 16, {0}),
                              with(item(1) + 16, jammersCells)}) {
        const Craft* const own = Announce(bytes, ++member);
        EXPECT_TRUE(own != nullptr && own->mass == plain->mass) << member;
    }
    // Cut, padded, miscounted, damaged beyond the whole, an id without its end.
    for (const auto& bytes : {with(52, {}, fitted.size() - 1), with(52, {}, fitted.size() + 1), with(52, {uint8_t(count + 1)}),
                              with(52, {0}), with(item(0) + 19, {101}), with(item(0), std::vector<uint8_t>(16, 'x'))}) {
        EXPECT_EQ(Announce(bytes, ++member), nullptr) << member;
    }
}
