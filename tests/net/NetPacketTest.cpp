// The packets of objects and weapons: sizes, flags and fields against golden
// bytes, every build read back, and every malformed packet refused.
#include "net/NetPacket.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/CareerRecord.h"
#include "net/NetPacketReaders.h"
#include "net/NetPacketType.h"
#include "net/NetworkHooks.h"
#include "net/PacketBytes.h"
#include "objects/space/SpaceObject.h"
#include "objects/weapons/Projectile.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"

namespace {

std::vector<uint8_t> Bytes(const NetPacket& packet) {
    return std::vector<uint8_t>(packet.GetData(), packet.GetData() + packet.GetSize());
}

int32_t Word(const std::vector<uint8_t>& bytes, uint32_t at) { return PacketReader(bytes.data(), uint32_t(bytes.size())).I32(at); }

void PutWord(std::vector<uint8_t>& bytes, uint32_t at, uint32_t value) {
    PacketWriter(bytes.data(), uint32_t(bytes.size())).U32(at, value);
}

// The packet cut or padded (with `fill`) to `size` bytes, its header saying so.
std::vector<uint8_t> Resized(std::vector<uint8_t> bytes, size_t size, uint8_t fill = 0) {
    bytes.resize(size, fill);
    PacketWriter(bytes.data(), uint32_t(bytes.size())).U16(2, uint16_t(size));
    return bytes;
}

std::vector<uint8_t> Relabelled(std::vector<uint8_t> bytes, uint16_t type) {
    PacketWriter(bytes.data(), uint32_t(bytes.size())).U16(0, type);
    return bytes;
}

// How many readers take the bytes for a packet.
int AcceptingReaders(const std::vector<uint8_t>& bytes) {
    const uint8_t* const p = bytes.data();
    const uint32_t n = uint32_t(bytes.size());
    auto create = std::make_unique<net_read::ObjectCreate>();
    return int(net_read::ReadObjectCreate(p, n, create.get())) + int(net_read::ReadObjectUpdate(p, n).has_value()) +
           int(net_read::ReadObjectRequest(p, n).has_value()) + int(net_read::ReadDestroy(p, n).has_value()) +
           int(net_read::ReadAutoturretRequest(p, n).has_value()) + int(net_read::ReadCollision(p, n).has_value()) +
           int(net_read::ReadDeath(p, n).has_value()) + int(net_read::ReadProjectile(p, n).has_value()) +
           int(net_read::ReadProjectileHit(p, n).has_value()) + int(net_read::ReadProjectileDestroy(p, n).has_value()) +
           int(net_read::ReadWeaponFire(p, n).has_value()) + int(net_read::ReadEmpDamage(p, n).has_value()) +
           int(net_read::ReadEcmStatus(p, n).has_value());
}

// Whether a packet of `type` may have `size` bytes: the sizes of the types
// whose layout is fixed (the creates' sizes follow their names).
bool TypeHasSize(uint16_t type, size_t size) {
    if (type == kObjectUpdate) return size == NetPacket::kObjectUpdateShortBytes || size == NetPacket::kObjectUpdateFullBytes;
    uint32_t fixed = 0;
    switch (type) {
        case kAutoturretRequest: fixed = NetPacket::kAutoturretRequestBytes; break;
        case kProjRequest:
        case kProjCreate: fixed = NetPacket::kProjectileBytes; break;
        case kObjectRequest: fixed = NetPacket::kObjectRequestBytes; break;
        case kDestructionRequest:
        case kObjectDestroy: fixed = NetPacket::kDestroyBytes; break;
        case kCollision: fixed = NetPacket::kCollisionBytes; break;
        case kProjHit: fixed = NetPacket::kProjectileHitBytes; break;
        case kProjDestroy: fixed = NetPacket::kProjectileDestroyBytes; break;
        case kDeath: fixed = NetPacket::kDeathBytes; break;
        case kGunShot: fixed = NetPacket::kGunShotBytes; break;
        case kBeamHit: fixed = NetPacket::kBeamHitBytes; break;
        case kEmpDamage: fixed = NetPacket::kEmpDamageBytes; break;
        case kEcmStatus: fixed = NetPacket::kEcmStatusBytes; break;
        default: return false;
    }
    return size == fixed;
}

class NetPacketTest : public ::testing::Test {
protected:
    NetPacketTest() {
        rock_ = builder_.Spawn(builder_.Template("ROCK0"), 1);
        rock_->uoid = 40;   // golden bytes: fixed numbers whatever ran before
        rock_->type = SpaceObject::kTypeAsteroid;
        rock_->SetName("Rock");
        std::strcpy(rock_->label, "Rock");
        buoy_ = builder_.Spawn(builder_.Template("BUOY0"), 2);
        buoy_->uoid = 41;
        buoy_->type = SpaceObject::kTypeNavBuoy;
        buoy_->isNavPoint = 1;
        buoy_->SetName("Beacon Alpha");
        std::strcpy(buoy_->label, "Nav Buoy");
        buoy_->velocity = {1.0f, 2.0f, 3.0f};
        buoy_->local.SetPositionXyz(10.0f, 20.0f, 30.0f, Transform::kAllFlags);
        buoy_->partnerPart = 3;
        damage_.source = rock_;
        for (int i = 0; i < 5; ++i) damage_.amounts[i] = 10 * (i + 1);
    }

    WorldBuilder builder_;
    SpaceObject* rock_ = nullptr;
    SpaceObject* buoy_ = nullptr;
    DamageRecord damage_;
};

TEST_F(NetPacketTest, EveryBuildMatchesItsGoldenBytesAndReadsBack) {
    struct Case {
        const char* golden;
        std::unique_ptr<NetPacket> packet;
        uint32_t size, flags;
    };
    std::vector<Case> cases;
    const auto add = [&cases](const char* golden, uint32_t size, uint32_t flags) -> NetPacket& {
        cases.push_back({golden, std::make_unique<NetPacket>(), size, flags});
        return *cases.back().packet;
    };
    add("net_create_rock.bin", 125, 4).BuildObjectPacket(kObjectCreate, rock_);
    add("net_create_buoy.bin", 165 + 12, 4).BuildObjectPacket(kObjectCreate, buoy_);
    add("net_creation_request.bin", 161 + 12, 4).BuildObjectPacket(kCreationRequest, buoy_);
    add("net_update_short.bin", 84, 16).BuildObjectPacket(kObjectUpdate, buoy_);
    add("net_autoturret.bin", 12, 4).BuildObjectPacket(kAutoturretRequest, nullptr);
    add("net_destroy.bin", 20, 4).BuildObjectEventPacket(kObjectDestroy, buoy_, rock_);
    add("net_collision.bin", 104, 4).BuildObjectEventPacket(kCollision, buoy_, rock_);
    add("net_death.bin", 16, 4).BuildObjectEventPacket(kDeath, nullptr, buoy_);
    const Vector3 impact{5.0f, 6.0f, 7.0f};
    add("net_gun_shot.bin", 84, 4).BuildWeaponFire(kGunShot, damage_, 9, buoy_, 0, "Mass Driver", 2, 1, impact);
    add("net_gun_miss.bin", 84, 16).BuildWeaponFire(kGunShot, damage_, 9, nullptr, 0, "Mass Driver", 2, -1, impact);
    add("net_beam_hit.bin", 64, 4).BuildWeaponFire(kBeamHit, damage_, 0, buoy_, 0, "Ion Beam", 1, 0, impact);
    add("net_emp.bin", 16, 4).BuildEmpDamage(kEmpDamage, buoy_, 250);
    add("net_ecm_off.bin", 20, 4).BuildEcmStatus(kEcmStatus, buoy_->uoid, -1, 300, 45);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.golden);
        ASSERT_NE(c.packet->GetData(), nullptr);
        EXPECT_EQ(c.packet->GetSize(), c.size);
        EXPECT_EQ(c.packet->GetFlags(), c.flags);
        EXPECT_TRUE(MatchesGoldenBytes(Bytes(*c.packet), c.golden));
    }

    // Read back.
    auto create = std::make_unique<net_read::ObjectCreate>();
    const std::vector<uint8_t> rock = Bytes(*cases[0].packet);
    ASSERT_TRUE(net_read::ReadObjectCreate(rock.data(), uint32_t(rock.size()), create.get()));
    EXPECT_EQ(create->uoid, rock_->uoid);
    EXPECT_STREQ(create->name, "Rock");
    EXPECT_EQ(rock[120], 'R');
    const std::vector<uint8_t> request = Bytes(*cases[2].packet);
    ASSERT_TRUE(net_read::ReadObjectCreate(request.data(), uint32_t(request.size()), create.get()));
    EXPECT_TRUE(create->request);
    EXPECT_EQ(create->type, SpaceObject::kTypeNavBuoy);
    EXPECT_STREQ(create->definitionName, "Nav Buoy");
    EXPECT_EQ(create->tail[0], 1u);          // the navigation-point flag
    EXPECT_EQ(int32_t(create->tail[1]), -1);  // no lifetime
    EXPECT_FLOAT_EQ(create->transform[8], 30.0f);
    EXPECT_STREQ(create->name, "Beacon Alpha");
    const std::vector<uint8_t> collision = Bytes(*cases[6].packet);
    const auto hit = net_read::ReadCollision(collision.data(), uint32_t(collision.size()));
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->first, buoy_->uoid);
    EXPECT_EQ(hit->firstImpact, 3);
    EXPECT_EQ(hit->firstOwner, -1);
    EXPECT_FLOAT_EQ(hit->firstPosition.y, 20.0f);
    const std::vector<uint8_t> shot = Bytes(*cases[8].packet);
    const auto fire = net_read::ReadWeaponFire(shot.data(), uint32_t(shot.size()));
    ASSERT_TRUE(fire);
    EXPECT_EQ(fire->shooter, rock_->uoid);
    EXPECT_EQ(fire->damage[4], 50);
    EXPECT_EQ(Word(shot, 16), 0);   // no pointer on the wire
    EXPECT_FLOAT_EQ(fire->impact.z, 7.0f);
    const std::vector<uint8_t> ecm = Bytes(*cases[12].packet);
    const auto status = net_read::ReadEcmStatus(ecm.data(), uint32_t(ecm.size()));
    ASSERT_TRUE(status);
    EXPECT_EQ(status->range, -1);
    EXPECT_EQ(status->kind3Percent, 300 % 256);

    EXPECT_EQ(NetPacket::ObjectSignature(rock_), 0x526F636Bu);
    std::strcpy(rock_->label, "Roc");
    EXPECT_EQ(NetPacket::ObjectSignature(rock_), 0u);
}

TEST_F(NetPacketTest, MalformedPacketsAreRefused) {
    NetPacket create, update, shot, projectile;
    create.BuildObjectPacket(kObjectCreate, buoy_);
    update.BuildObjectPacket(kObjectUpdate, buoy_);
    shot.BuildWeaponFire(kGunShot, damage_, 1, buoy_, 0, "Gun", 0, 0, {});
    Projectile flying;
    std::strcpy(flying.typeName, "Slug");
    projectile.BuildProjectilePacket(kProjCreate, &flying, nullptr, 0);
    auto fields = std::make_unique<net_read::ObjectCreate>();
    const auto readAll = [&fields](const std::vector<uint8_t>& b) {
        const uint32_t n = uint32_t(b.size());
        return int(net_read::ReadObjectCreate(b.data(), n, fields.get())) + int(bool(net_read::ReadObjectUpdate(b.data(), n))) +
               int(bool(net_read::ReadWeaponFire(b.data(), n))) + int(bool(net_read::ReadProjectile(b.data(), n)));
    };
    for (const NetPacket* packet : {&create, &update, &shot, &projectile}) {
        std::vector<uint8_t> bytes = Bytes(*packet);
        EXPECT_EQ(readAll(bytes), 1);
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            EXPECT_EQ(readAll(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut))), 0) << cut;
        }
        // A size field below 8, beyond the bytes, or below the type's size.
        for (const uint16_t size : {uint16_t(4), uint16_t(bytes.size() + 1), uint16_t(60)}) {
            std::vector<uint8_t> bad = bytes;
            PacketWriter(bad.data(), uint32_t(bad.size())).U16(2, size);
            EXPECT_EQ(readAll(bad), 0) << size;
        }
    }
    // Texts that do not end inside their field or the packet.
    std::vector<uint8_t> bytes = Bytes(create);
    std::memset(bytes.data() + 24, 'x', 16);
    EXPECT_FALSE(net_read::ReadObjectCreate(bytes.data(), uint32_t(bytes.size()), fields.get()));
    bytes = Bytes(create);
    bytes.back() = 'x';
    EXPECT_FALSE(net_read::ReadObjectCreate(bytes.data(), uint32_t(bytes.size()), fields.get()));
    bytes = Bytes(shot);
    std::memset(bytes.data() + 68, 'x', 16);
    EXPECT_FALSE(net_read::ReadWeaponFire(bytes.data(), uint32_t(bytes.size())));
}

// Every packet a reader takes, as the builders make them, and a full update
// made by hand (the builder makes one only for a craft in a session).
class NetPacketReadTest : public NetPacketTest {
protected:
    NetPacketReadTest() {
        std::strcpy(flying_.typeName, "Slug");
        flying_.velocity = {1.0f, 2.0f, 3.0f};
        const auto add = [this](const char* name, const std::function<void(NetPacket&)>& build) {
            NetPacket packet;
            build(packet);
            packets_.push_back({name, Bytes(packet)});
        };
        add("create rock", [this](NetPacket& p) { p.BuildObjectPacket(kObjectCreate, rock_); });
        add("create buoy", [this](NetPacket& p) { p.BuildObjectPacket(kObjectCreate, buoy_); });
        add("creation request", [this](NetPacket& p) { p.BuildObjectPacket(kCreationRequest, buoy_); });
        add("short update", [this](NetPacket& p) { p.BuildObjectPacket(kObjectUpdate, buoy_); });
        add("autoturret", [](NetPacket& p) { p.BuildObjectPacket(kAutoturretRequest, nullptr); });
        add("destroy", [this](NetPacket& p) { p.BuildObjectEventPacket(kObjectDestroy, buoy_, rock_); });
        add("collision", [this](NetPacket& p) { p.BuildObjectEventPacket(kCollision, buoy_, rock_); });
        add("death", [this](NetPacket& p) { p.BuildObjectEventPacket(kDeath, nullptr, buoy_); });
        add("projectile", [this](NetPacket& p) { p.BuildProjectilePacket(kProjCreate, &flying_, nullptr, 0); });
        add("projectile hit", [this](NetPacket& p) { p.BuildProjectilePacket(kProjHit, &flying_, buoy_, 2); });
        add("projectile end", [this](NetPacket& p) { p.BuildProjectilePacket(kProjDestroy, &flying_, nullptr, 0); });
        add("gun shot", [this](NetPacket& p) {
            p.BuildWeaponFire(kGunShot, damage_, 9, buoy_, 0, "Mass Driver", 2, 1, {5.0f, 6.0f, 7.0f});
        });
        add("beam hit", [this](NetPacket& p) { p.BuildWeaponFire(kBeamHit, damage_, 0, buoy_, 0, "Ion Beam", 1, 0, {}); });
        add("emp", [this](NetPacket& p) { p.BuildEmpDamage(kEmpDamage, buoy_, 250); });
        add("ecm", [this](NetPacket& p) { p.BuildEcmStatus(kEcmStatus, buoy_->uoid, 900, 30, 45); });
        std::vector<uint8_t> full = Resized(*Find("short update"), NetPacket::kObjectUpdateFullBytes);
        const uint8_t state[] = {50, 1, 3, 0, 0x34, 0x12, 39, 7};
        std::copy(std::begin(state), std::end(state), full.begin() + 84);
        packets_.push_back({"full update", full});
        std::vector<uint8_t> request(NetPacket::kObjectRequestBytes);
        PacketWriter(request.data(), uint32_t(request.size())).U16(0, kObjectRequest);
        PacketWriter(request.data(), uint32_t(request.size())).U16(2, uint16_t(request.size()));
        PacketWriter(request.data(), uint32_t(request.size())).I32(8, 41);
        packets_.push_back({"object request", request});
    }

    const std::vector<uint8_t>* Find(const std::string& name) const {
        for (const auto& [packetName, bytes] : packets_) {
            if (packetName == name) return &bytes;
        }
        return nullptr;
    }

    // The bytes of a named packet with one 32-bit word replaced.
    std::vector<uint8_t> With(const std::string& name, uint32_t at, uint32_t value) const {
        std::vector<uint8_t> bytes = *Find(name);
        PutWord(bytes, at, value);
        return bytes;
    }

    Projectile flying_;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> packets_;
};

TEST_F(NetPacketReadTest, EachPacketIsReadByOneReaderAtExactlyItsSize) {
    for (const auto& [name, bytes] : packets_) {
        SCOPED_TRACE(name);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(AcceptingReaders(bytes), 1);
        // Padded with zeros, cut (the header telling either way), or received
        // with bytes missing.
        const uint16_t type = PacketReader(bytes.data(), uint32_t(bytes.size())).U16(0);
        for (const size_t size : {bytes.size() + 1, bytes.size() + 4, bytes.size() + 20, bytes.size() - 1,
                                  bytes.size() - 4, bytes.size() - 20, size_t(NetPacketHeader::kBytes)}) {
            if (size < NetPacketHeader::kBytes || size >= bytes.size() + 32) continue;   // wrapped below 0
            if (TypeHasSize(type, size)) continue;   // the other form of an update
            EXPECT_EQ(AcceptingReaders(Resized(bytes, size)), 0) << size;
        }
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            EXPECT_EQ(AcceptingReaders(std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(cut))), 0) << cut;
        }
    }
    // A short update padded to the full size with what is not a full update's
    // state (zeros are one: only the size tells the forms apart).
    EXPECT_FALSE(net_read::ReadObjectUpdate(Resized(*Find("short update"), 104, 0xFF).data(), 104));
    // Received in a larger block (as inside a MEGAPACKET): the header's size rules.
    std::vector<uint8_t> block = *Find("gun shot");
    block.resize(block.size() + 30, 0xEE);
    EXPECT_EQ(AcceptingReaders(block), 1);
    const auto full = net_read::ReadObjectUpdate(Find("full update")->data(), NetPacket::kObjectUpdateFullBytes);
    ASSERT_TRUE(full);
    EXPECT_TRUE(full->full);
    EXPECT_EQ(full->powerDraw, 0x1234);
    EXPECT_EQ(full->playerIndex, 7);
}

TEST_F(NetPacketReadTest, RelabelledPacketsAreRefused) {
    for (const auto& [name, bytes] : packets_) {
        SCOPED_TRACE(name);
        const uint16_t own = PacketReader(bytes.data(), uint32_t(bytes.size())).U16(0);
        for (uint16_t type = 0; type <= kNetPacketTypes + 1; ++type) {
            // Types of one size share a layout of plain words; only their
            // header tells them apart, and it is the header that changed.
            if (type == own || TypeHasSize(type, bytes.size())) continue;
            EXPECT_EQ(AcceptingReaders(Relabelled(bytes, type)), 0) << type;
        }
    }
    // The object type word switches the create's layout: an asteroid's has no tail.
    EXPECT_EQ(AcceptingReaders(With("create buoy", 12, SpaceObject::kTypeAsteroid)), 0);
    EXPECT_EQ(AcceptingReaders(With("create rock", 12, SpaceObject::kTypeAiShip)), 0);
    EXPECT_EQ(AcceptingReaders(With("create rock", 12, SpaceObject::kTypeNavBuoy)), 0);
    // Kinds that never travel.
    for (const int32_t kind : {-1, 6, 13, int32_t(SpaceObject::kTypePlayerShip), 17, 0x7FFFFFFF}) {
        EXPECT_EQ(AcceptingReaders(With("create buoy", 12, uint32_t(kind))), 0) << kind;
        EXPECT_EQ(AcceptingReaders(With("creation request", 8, uint32_t(kind))), 0) << kind;
    }
}

TEST_F(NetPacketReadTest, FloatsThatAreNotFiniteAreRefused) {
    struct Floats {
        const char* packet;
        std::vector<uint32_t> offsets;
    };
    std::vector<uint32_t> create = {16};
    for (uint32_t at = 44; at <= 116; at += 4) create.push_back(at);
    std::vector<uint32_t> request;
    for (const uint32_t at : create) request.push_back(at - 4);
    std::vector<uint32_t> update;
    for (uint32_t at = 16; at <= 80; at += 4) update.push_back(at);
    const std::vector<Floats> cases = {
        {"create buoy", create},
        {"create rock", create},
        {"creation request", request},
        {"short update", update},
        {"full update", update},
        {"collision", {40, 44, 48, 56, 60, 64, 72, 76, 80, 88, 92, 96}},
        {"projectile", {8, 12, 16, 24, 28, 32}},
        {"gun shot", {52, 56, 60}},
    };
    const uint32_t bad[] = {0x7FC00000u, 0xFFC00001u, 0x7F800000u, 0xFF800000u};   // NaNs, +Inf, -Inf
    for (const Floats& c : cases) {
        for (const uint32_t at : c.offsets) {
            for (const uint32_t bits : bad) {
                EXPECT_EQ(AcceptingReaders(With(c.packet, at, bits)), 0) << c.packet << " at " << at;
            }
            // The largest finite float is a float like any other, but for a mass.
            const std::string name = c.packet;
            const bool mass = (name == "creation request" && at == 12) || (name.starts_with("create ") && at == 16);
            EXPECT_EQ(AcceptingReaders(With(c.packet, at, 0x7F7FFFFFu)), mass ? 0 : 1) << c.packet << " at " << at;
        }
    }
}

// A mass is a definition's whole number: 3e38, a speck or a negative one
// overflows the collision arithmetic; only what is not a ship weighs nothing.
TEST_F(NetPacketReadTest, MassesOutsideTheDefinitionsRangeAreRefused) {
    const auto accepted = [this](uint32_t kind, float mass) {
        std::vector<uint8_t> bytes = With("create buoy", 12, kind);
        PutWord(bytes, 16, std::bit_cast<uint32_t>(mass));
        return AcceptingReaders(bytes) == 1;
    };
    for (const uint32_t kind : {uint32_t(SpaceObject::kTypeNavBuoy), uint32_t(SpaceObject::kTypeCraft)}) {
        for (const float mass : {3e38f, 4294967296.0f, 1e-30f, 0.5f, -1.0f}) EXPECT_FALSE(accepted(kind, mass)) << kind << " " << mass;
        for (const float mass : {1.0f, 10.0f, 2147483648.0f}) EXPECT_TRUE(accepted(kind, mass)) << kind << " " << mass;
    }
    EXPECT_TRUE(accepted(SpaceObject::kTypeNavBuoy, 0.0f));
    EXPECT_FALSE(accepted(SpaceObject::kTypeCraft, 0.0f));
}

TEST_F(NetPacketReadTest, IdsPartsAndIndicesOutOfRangeAreRefused) {
    struct Field {
        const char* packet;
        uint32_t at;
        int64_t refused, accepted;   // just outside and just inside the range
    };
    constexpr int64_t kTop = 0x7FFFFFFF;
    const Field fields[] = {
        {"create buoy", 8, -1, kTop},             // the object's own uoid
        {"create buoy", 120, 2, 0},               // navigation-point flag
        {"short update", 8, -1, 0},
        {"object request", 8, -1, kTop},
        {"destroy", 8, -1, 0},
        {"destroy", 12, -2, -1},                  // killer
        {"destroy", 16, 2, 0},                    // explode flag
        {"autoturret", 8, -2, -1},
        {"collision", 8, -1, 7},
        {"collision", 12, -1, 7},
        {"collision", 16, -2, -1},                // impact parts
        {"collision", 20, -2, -1},
        {"collision", 32, -2, -1},                // owners
        {"collision", 36, -2, kTop},
        {"death", 8, -2, -1},
        {"death", 12, -1, 0},
        {"projectile", 64, -1, 0},                // EMP
        {"projectile", 72, -2, -1},               // owner
        {"projectile hit", 8, -1, 0},             // index in the projectile list
        {"projectile hit", 12, -1, 0},
        {"projectile hit", 16, -2, -1},
        {"projectile end", 8, int64_t(INT32_MIN), kTop},
        {"gun shot", 8, -2, -1},
        {"gun shot", 12, -2, -1},
        {"gun shot", 40, -2, -1},                 // firing part
        {"gun shot", 44, -2, kTop},               // hit part
        {"gun shot", 48, -1, 0},                  // strength
        {"beam hit", 40, -2, -1},
        {"beam hit", 44, -2, -1},
        {"emp", 8, -2, -1},
        {"emp", 12, -1, 0},
        {"ecm", 8, -1, 0},
        {"ecm", 12, -2, -1},                      // range: -1 switched off
    };
    for (const Field& f : fields) {
        EXPECT_EQ(AcceptingReaders(With(f.packet, f.at, uint32_t(f.refused))), 0) << f.packet << " at " << f.at;
        EXPECT_EQ(AcceptingReaders(With(f.packet, f.at, uint32_t(f.accepted))), 1) << f.packet << " at " << f.at;
    }
    // An object does not collide with itself.
    EXPECT_EQ(AcceptingReaders(With("collision", 12, uint32_t(buoy_->uoid))), 0);

    // The full update's bytes: shield and hit percent up to 100, the cloak a
    // flag, the player index a slot of the table or -1.
    struct Byte {
        uint32_t at;
        uint8_t refused, accepted;
    };
    for (const Byte& b : {Byte{84, 101, 100}, Byte{85, 2, 0}, Byte{90, 101, 100}, Byte{90, 0xFF, 0}, Byte{91, 8, 0xFF},
                          Byte{91, 0xFE, 0}}) {
        std::vector<uint8_t> bytes = *Find("full update");
        bytes[b.at] = b.refused;
        EXPECT_FALSE(net_read::ReadObjectUpdate(bytes.data(), uint32_t(bytes.size()))) << b.at;
        bytes[b.at] = b.accepted;
        EXPECT_TRUE(net_read::ReadObjectUpdate(bytes.data(), uint32_t(bytes.size()))) << b.at;
    }

    // The tail names what its kind keeps: a missile's owner, target and the
    // target's part, a mine's and a decoy's owner, a craft's logo (-1 none).
    const auto asKind = [this](int32_t kind, uint32_t at, int32_t value) {
        std::vector<uint8_t> bytes = With("create buoy", 12, uint32_t(kind));
        PutWord(bytes, at, uint32_t(value));
        return AcceptingReaders(bytes);
    };
    EXPECT_EQ(asKind(SpaceObject::kTypeMissile, 140, -1), 1);
    EXPECT_EQ(asKind(SpaceObject::kTypeMissile, 140, -2), 0);
    EXPECT_EQ(asKind(SpaceObject::kTypeMissile, 144, -2), 0);
    EXPECT_EQ(asKind(SpaceObject::kTypeMissile, 148, -1), 0);
    // A hit's damage is a weapon's, not any 32-bit number.
    for (const auto& [packet, at] : {std::pair<const char*, uint32_t>{"gun shot", 20}, {"beam hit", 36}, {"projectile", 60}}) {
        EXPECT_EQ(AcceptingReaders(With(packet, at, 1u << 20)), 1) << packet;
        EXPECT_EQ(AcceptingReaders(With(packet, at, (1u << 20) + 1)), 0) << packet;
        EXPECT_EQ(AcceptingReaders(With(packet, at, uint32_t(-(1 << 20) - 1))), 0) << packet;
    }
    // So are a missile's and a mine's warheads, and a mine's pulse is no less than none.
    for (const int32_t kind : {SpaceObject::kTypeMissile, SpaceObject::kTypeMine}) {
        EXPECT_EQ(asKind(kind, 136, 1 << 20), 1) << kind;
        EXPECT_EQ(asKind(kind, 120, (1 << 20) + 1), 0) << kind;
        EXPECT_EQ(asKind(kind, 136, -(1 << 20) - 1), 0) << kind;
    }
    EXPECT_EQ(asKind(SpaceObject::kTypeMine, 148, 0x7FFFFFFF), 1);
    EXPECT_EQ(asKind(SpaceObject::kTypeMine, 148, -1), 0);
    // A missile's lifetime is a launcher's: one that never ends is refused.
    EXPECT_EQ(asKind(SpaceObject::kTypeMissile, 160, 32767), 1);
    EXPECT_EQ(asKind(SpaceObject::kTypeMissile, 160, 32768), 0);
    EXPECT_EQ(asKind(SpaceObject::kTypeMissile, 160, -1), 0);
    EXPECT_EQ(asKind(SpaceObject::kTypeMine, 140, -2), 0);
    EXPECT_EQ(asKind(SpaceObject::kTypeDecoy, 128, -2), 0);
    EXPECT_EQ(asKind(SpaceObject::kTypeAiShip, 120, -1), 1);
    EXPECT_EQ(asKind(SpaceObject::kTypeAiShip, 120, -2), 0);
    EXPECT_EQ(asKind(SpaceObject::kTypeCraft, 120, -2), 0);
    // The request's tail lies 4 bytes lower.
    std::vector<uint8_t> request = With("creation request", 8, SpaceObject::kTypeDecoy);
    PutWord(request, 124, uint32_t(-2));
    EXPECT_EQ(AcceptingReaders(request), 0);
}

TEST_F(NetPacketTest, PacketsOwnOnlyWhatTheyBuild) {
    NetPacket empty;
    EXPECT_EQ(empty.GetType(), 0);
    EXPECT_EQ(empty.GetSize(), 0u);
    empty.BuildObjectPacket(kMessage, buoy_);   // not a type of this build
    EXPECT_EQ(empty.GetData(), nullptr);
    uint8_t received[20] = {11, 0, 20, 0, 4};
    {
        NetPacket wrapped(sizeof received, received);   // freeing a stack block would abort under ASan
        EXPECT_EQ(wrapped.GetType(), kObjectDestroy);
    }
    EXPECT_STREQ(NetPacketTypeName(8), "DESTRCTION_REQUEST");
    EXPECT_EQ(NetPacketTypeName(38), nullptr);
}

// A client asks the host with its own id as sender; the host tells all.
TEST_F(NetPacketTest, ClientsSendToTheServerAndTheHostToAll) {
    InstallNetworkHooks();
    for (const bool host : {false, true}) {
        auto* const session = new RecordingNetSession(host);
        builder_.Game().netSession = session;
        EXPECT_EQ(builder_.Game().NetCreateObject(buoy_), host ? 1 : 0);
        NetPacket shot;
        shot.BuildWeaponFire(kGunShot, damage_, 1, buoy_, 0, "Gun", 0, 0, {});
        session->SendGamePacket(shot.GetData(), shot.GetSize());
        ASSERT_EQ(session->sent.size(), 2u);
        for (const RecordingNetSession::Sent& sent : session->sent) {
            EXPECT_EQ(sent.from, host ? 1u : 2u);
            EXPECT_EQ(sent.to, host ? RecordingNetSession::kToAll : 1u);
        }
        EXPECT_EQ(session->sent[0].bytes[0], host ? kObjectCreate : kCreationRequest);
        EXPECT_EQ(builder_.Game().IsClient(), !host);
        delete session;
        builder_.Game().netSession = nullptr;
    }
    GameState::SetNetworkHooks({});
}

// MESSAGE: the fixed words, then the three texts each behind its NUL at
// the offsets the words give, the face from the career; a text too long
// for one packet is cut, and a missing one travels empty.
TEST_F(NetPacketTest, MessagesCarryTheirTextsAtTheirOffsets) {
    delete builder_.Game().career;   // the game's own, for a fresh one
    builder_.Game().career = new CareerRecord;
    builder_.Game().career->face = 7;
    NetPacket chat;
    chat.BuildMessage(kMessage, "ALL", "Alpha", "Alpha: [hi]", 3);
    std::vector<uint8_t> expected = {31, 0, 54, 0, 4, 0, 0, 0, 3, 0, 0, 0, 7, 0, 0, 0,
                                     0,  0, 0,  0, 4, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0};
    for (const char* text : {"ALL", "Alpha", "Alpha: [hi]"}) {
        expected.insert(expected.end(), text, text + std::strlen(text) + 1);
    }
    EXPECT_EQ(Bytes(chat), expected);
    delete builder_.Game().career;
    builder_.Game().career = nullptr;

    NetPacket exclamation;
    exclamation.BuildMessage(kMessage, "ALL", nullptr, nullptr, 0);
    ASSERT_EQ(exclamation.GetSize(), NetPacket::kMessageFixedBytes + 6);
    EXPECT_EQ(Word(Bytes(exclamation), 12), -1);   // no career, no face

    const std::string huge(40000, 'x');
    NetPacket cut;
    cut.BuildMessage(kMessage, "ALL", "Alpha", huge.c_str(), 0);
    ASSERT_EQ(cut.GetSize(), NetPacket::kMaxPacketBytes);
    EXPECT_EQ(Bytes(cut).back(), 0);
    EXPECT_EQ(Bytes(cut).end()[-2], 'x');

    NetPacket other;
    other.BuildMessage(kEcmStatus, "ALL", "Alpha", "hi", 0);
    EXPECT_EQ(other.GetData(), nullptr);
}

}  // namespace
