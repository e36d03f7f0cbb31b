// The packets of objects and weapons: sizes, flags and fields against golden
// bytes, every build read back, and every malformed packet refused.
#include "net/NetPacket.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

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

}  // namespace
